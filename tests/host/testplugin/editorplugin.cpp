// A tiny plug-in with an editor of its own, painted with plain Xlib: four quadrants, red, green
// and blue, and a grey whose level is parameter 2. It lets plughost's editor commands be tested
// apart from the effect's editor. Built once more without an editor, exporting its entry as
// `main` only.
//
// Parameters: 0 "Refuse" (at 1 the editor refuses to open), 1 "Size given once open" (at 1
// the editor gives its size only once open; a name longer than most), 2 "Shade". After its first
// paint the editor reports the shade to the host as automation, as a knob the user let go of
// would. A control change sets the shade to its value, reported the same way, as a controller
// mapped to a knob would.
//
// For plughost's refusals it turns hostile on request: TEST_PLUGIN_NULL names an entry of its
// record left null (dispatcher, process, processReplacing, setParameter, getParameter), and
// TEST_PLUGIN_OUTPUTS sets the number of outputs it announces.
#include "frame/aeffect.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

constexpr int16_t kWidth = 176;
constexpr int16_t kHeight = 104;
enum Parameter : int32_t { kRefuse, kLateSize, kShade, kParameterCount };
constexpr const char* kParameterNames[kParameterCount] = {"Refuse", "Size given once open",
                                                          "Shade"};
// Hosts give at least this much room for a name.
constexpr size_t kNameSize = 24;

class PatternEditor {
public:
    bool open(Window parent) {
        display = XOpenDisplay(nullptr);
        if (display == nullptr) {
            return false;
        }
        XSetWindowAttributes attributes{};
        attributes.event_mask = ExposureMask | StructureNotifyMask;
        window = XCreateWindow(display, parent, 0, 0, kWidth, kHeight, 0, CopyFromParent,
                               InputOutput, CopyFromParent, CWEventMask, &attributes);
        gc = XCreateGC(display, window, 0, nullptr);
        XMapWindow(display, window);
        XFlush(display);
        return true;
    }

    void close() {
        if (display != nullptr) {
            XFreeGC(display, gc);
            XDestroyWindow(display, window);
            XCloseDisplay(display);
            display = nullptr;
        }
    }

    // Paints on Expose, as editors do; true after the first paint.
    bool idle(float shade) {
        bool paintedNow = false;
        while (display != nullptr && XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == Expose && event.xexpose.count == 0) {
                paint(shade);
                paintedNow = !painted;
                painted = true;
            }
        }
        return paintedNow;
    }

    bool isOpen() const { return display != nullptr; }

private:
    unsigned long colour(int red, int green, int blue) {
        XColor colour{};
        colour.red = static_cast<unsigned short>(red * 257);
        colour.green = static_cast<unsigned short>(green * 257);
        colour.blue = static_cast<unsigned short>(blue * 257);
        XAllocColor(display, DefaultColormap(display, DefaultScreen(display)), &colour);
        return colour.pixel;
    }

    void fill(int x, int y, unsigned long pixel) {
        XSetForeground(display, gc, pixel);
        XFillRectangle(display, window, gc, x, y, kWidth / 2, kHeight / 2);
    }

    void paint(float shade) {
        const int grey = static_cast<int>(std::lround(shade * 255.0f));
        fill(0, 0, colour(255, 0, 0));
        fill(kWidth / 2, 0, colour(0, 255, 0));
        fill(0, kHeight / 2, colour(0, 0, 255));
        fill(kWidth / 2, kHeight / 2, colour(grey, grey, grey));
        XFlush(display);
    }

    Display* display = nullptr;
    Window window = 0;
    GC gc = nullptr;
    bool painted = false;
};

struct TestPlugin {
    AEffect effect{};
    audioMasterCallback host = nullptr;
    float parameters[kParameterCount] = {};
    PatternEditor editor;
    ERect rect{0, 0, kHeight, kWidth};
    bool opened = false; // its editor needs effOpen first, as in plug-ins that build state there
};

TestPlugin& pluginOf(AEffect* effect) {
    return *static_cast<TestPlugin*>(effect->object);
}

void copyText(void* destination, const char* text) {
    std::snprintf(static_cast<char*>(destination), kNameSize, "%s", text);
}

intptr_t editorOpcode(TestPlugin& plugin, int32_t opcode, void* ptr) {
    switch (opcode) {
    case effEditGetRect:
        if (!plugin.editor.isOpen() && plugin.parameters[kLateSize] >= 0.5f) {
            return 0;
        }
        *static_cast<ERect**>(ptr) = &plugin.rect;
        return 1;
    case effEditOpen:
        if (!plugin.opened || plugin.parameters[kRefuse] >= 0.5f) {
            return 0;
        }
        return plugin.editor.open(static_cast<Window>(reinterpret_cast<uintptr_t>(ptr))) ? 1 : 0;
    case effEditClose:
        plugin.editor.close();
        return 0;
    case effEditIdle:
        if (plugin.editor.idle(plugin.parameters[kShade])) {
            plugin.host(&plugin.effect, audioMasterAutomate, kShade, 0, nullptr,
                        plugin.parameters[kShade]);
            plugin.host(&plugin.effect, audioMasterIdle, 0, 0, nullptr, 0.0f);
        }
        return 0;
    default:
        return 0;
    }
}

void followControlChanges(TestPlugin& plugin, const VstEvents* events) {
    for (int32_t i = 0; i < events->numEvents; ++i) {
        const VstEvent* event = events->events[i];
        const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
        if (event->type == kVstMidiType &&
            (static_cast<uint8_t>(midi->midiData[0]) & 0xF0) == 0xB0) {
            plugin.parameters[kShade] = static_cast<float>(midi->midiData[2]) / 127.0f;
            plugin.host(&plugin.effect, audioMasterAutomate, kShade, 0, nullptr,
                        plugin.parameters[kShade]);
        }
    }
}

intptr_t dispatch(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                  float) {
    TestPlugin& plugin = pluginOf(effect);
    const bool validIndex = index >= 0 && index < kParameterCount;
    switch (opcode) {
    case effOpen:
        plugin.opened = true;
        return 0;
    case effClose:
        plugin.editor.close();
        delete &plugin;
        return 1;
    case effProcessEvents:
        followControlChanges(plugin, static_cast<const VstEvents*>(ptr));
        return 1;
    case effMainsChanged:
        if (value != 0) {
            plugin.host(effect, audioMasterWantMidi, 0, 1, nullptr, 0.0f);
        }
        return 0;
    case effGetParamName:
        copyText(ptr, validIndex ? kParameterNames[index] : "");
        return 0;
    case effGetEffectName:
        std::strcpy(static_cast<char*>(ptr), "Test Pattern");
        return 1;
    case effCanDo: // one capability of each answer, for plughost info
        return std::strcmp(static_cast<const char*>(ptr), "receiveVstEvents") == 0      ? 1
               : std::strcmp(static_cast<const char*>(ptr), "receiveVstMidiEvent") == 0 ? -1
                                                                                        : 0;
    case effEditGetRect:
    case effEditOpen:
    case effEditClose:
    case effEditIdle:
        return (effect->flags & effFlagsHasEditor) != 0 ? editorOpcode(plugin, opcode, ptr) : 0;
    default:
        return 0;
    }
}

void setParameter(AEffect* effect, int32_t index, float value) {
    if (index >= 0 && index < kParameterCount) {
        pluginOf(effect).parameters[index] = std::clamp(value, 0.0f, 1.0f);
    }
}

float getParameter(AEffect* effect, int32_t index) {
    return index >= 0 && index < kParameterCount ? pluginOf(effect).parameters[index] : 0.0f;
}

void silence(AEffect*, float**, float**, int32_t) {}

std::string_view environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

void leaveEntryNull(AEffect& effect, std::string_view entry) {
    if (entry == "dispatcher") {
        effect.dispatcher = nullptr;
    } else if (entry == "process") {
        effect.process = nullptr;
    } else if (entry == "processReplacing") {
        effect.processReplacing = nullptr;
    } else if (entry == "setParameter") {
        effect.setParameter = nullptr;
    } else if (entry == "getParameter") {
        effect.getParameter = nullptr;
    }
}

int32_t announcedOutputs() {
    const std::string_view outputs = environment("TEST_PLUGIN_OUTPUTS");
    return outputs.empty() ? 2 : std::atoi(outputs.data());
}

} // namespace

#if TEST_PLUGIN_HAS_EDITOR
extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host) {
#else
// Exported as `main` only, as older plug-ins export their entry.
extern "C" __attribute__((visibility("default"))) AEffect*
entryNamedMain(audioMasterCallback host) __asm__("main");
AEffect* entryNamedMain(audioMasterCallback host) {
#endif
    if (host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) {
        return nullptr;
    }
    const std::string_view nullEntry = environment("TEST_PLUGIN_NULL");
    // A record without a dispatcher can never be closed, so it is not allocated.
    static TestPlugin unclosable;
    auto* plugin = nullEntry == "dispatcher" ? &unclosable : new TestPlugin;
    plugin->host = host;
    AEffect& effect = plugin->effect;
    effect.magic = kEffectMagic;
    effect.dispatcher = dispatch;
    effect.process = silence;
    effect.processReplacing = silence;
    effect.setParameter = setParameter;
    effect.getParameter = getParameter;
    effect.numPrograms = 1;
    effect.numParams = kParameterCount;
    effect.numInputs = 2;
    effect.numOutputs = announcedOutputs();
    effect.flags = TEST_PLUGIN_HAS_EDITOR ? effFlagsHasEditor : 0;
    effect.object = plugin;
    effect.uniqueID = fourCharCode("TPat");
    effect.version = 1;
    leaveEntryNull(effect, nullEntry);
    return &effect;
}
