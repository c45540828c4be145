// A VST 2 plug-in's editor, driven through its dispatcher: effEditGetRect, effEditOpen with the
// window, effEditIdle, effEditClose, and the plug-in's sizeWindow requests answered.
#pragma once

#include "tools/plughost/formats/embeddededitor.h"
#include "tools/plughost/formats/vst2library.h"

#include <string>

namespace plughost {

// Throws HostError when the plug-in does not announce an editor.
void requireEditor(const PluginInstance& plugin, const std::string& path);

// "Name (ID)": the plug-in's name, or its file name when it gives none, and its unique id.
std::string editorTitle(const PluginInstance& plugin, const std::string& path);

// The plug-in switched on as a host runs it (sample rate, block size, effMainsChanged 1), and
// off again when this goes.
class SwitchedOn {
public:
    explicit SwitchedOn(const PluginInstance& plugin);
    ~SwitchedOn();
    SwitchedOn(const SwitchedOn&) = delete;
    SwitchedOn& operator=(const SwitchedOn&) = delete;

private:
    const PluginInstance& plugin;
};

class Vst2Editor : public EmbeddedEditor {
public:
    // Answers the plug-in's window requests through `host` while the editor is open.
    Vst2Editor(const PluginInstance& plugin, RecordingHost& host, std::string title);
    ~Vst2Editor() override;
    Vst2Editor(const Vst2Editor&) = delete;
    Vst2Editor& operator=(const Vst2Editor&) = delete;

    std::optional<EditorSize> size() override;
    void open(Window parent, SizeRequest resize) override;
    bool idle() override;
    void close() override;

private:
    intptr_t answer(const HostRequest& request);

    const PluginInstance& plugin;
    RecordingHost& host;
    std::string title;
    SizeRequest resize;
    bool opened = false;
};

} // namespace plughost
