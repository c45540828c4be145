// The names the LV2 plug-in, its host and its UI share: the plug-in, its preset and its UI, and
// the messages between the UI and the plug-in on the atom ports. The bundle's Turtle files are
// generated with these same values.
#pragma once

inline constexpr char kLv2PluginUri[] = "urn:glidefilter:plugin";
inline constexpr char kLv2DefaultPresetUri[] = "urn:glidefilter:preset:default";
inline constexpr char kLv2UiUri[] = "urn:glidefilter:ui";

// On `control`: an object of this type with a kLv2ParameterUri property (an int, 5..7) arms
// learning for that controller parameter; with -1 it takes learning back (the editor's lit learn
// switch went dark, or the editor closed).
inline constexpr char kLv2LearnUri[] = "urn:glidefilter:learn";
// On `notify`: an object of this type with kLv2ParameterUri and kLv2ControllerUri properties
// (ints, 5..7 and 0..127) reports the controller a parameter learned.
inline constexpr char kLv2LearnedUri[] = "urn:glidefilter:learned";
inline constexpr char kLv2ParameterUri[] = "urn:glidefilter:parameter";
inline constexpr char kLv2ControllerUri[] = "urn:glidefilter:controller";
