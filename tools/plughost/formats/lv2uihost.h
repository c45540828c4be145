// An LV2 plug-in's X11 UI, hosted as a host embeds one: found through lilv, its library loaded
// and instantiated with plughost's window as ui:parent, ui:resize, ui:touch and the URI map, and
// idled through ui:idleInterface. It hears every control port's value when it opens, then the
// plug-in's control outputs and the atoms of the outputs it asks to be notified of after each
// block; what it writes goes to the plug-in's ports. Works for any plug-in with an X11 UI.
#pragma once

#include "tools/plughost/formats/embeddededitor.h"
#include "tools/plughost/formats/lv2plugin.h"

#include <lv2/ui/ui.h>

#include <array>
#include <map>
#include <string>
#include <vector>

namespace plughost {

// One write of the UI's, as it comes: a control value (protocol 0) or an atom.
struct UiWrite {
    uint32_t port;
    uint32_t protocol;
    std::vector<uint8_t> data;
    bool taken; // false for a port or protocol the plug-in has none of
};

// The UI took hold of a control input (a gesture begins) or let go of it.
struct UiTouch {
    uint32_t port;
    bool grabbed;
};

class Lv2UiHost : public EmbeddedEditor {
public:
    using WriteObserver = std::function<void(const UiWrite&)>;
    using TouchObserver = std::function<void(const UiTouch&)>;

    // Throws HostError when the plug-in has no X11 UI, its UI needs what plughost does not give,
    // or its library does not load. `display` is where the UI's window is measured.
    Lv2UiHost(Lv2Plugin& plugin, Display* display);
    ~Lv2UiHost() override;
    Lv2UiHost(const Lv2UiHost&) = delete;
    Lv2UiHost& operator=(const Lv2UiHost&) = delete;

    // "Name (URI)", for window titles and messages.
    std::string title() const;
    void setWriteObserver(WriteObserver observer) { writeObserver = std::move(observer); }
    void setTouchObserver(TouchObserver observer) { touchObserver = std::move(observer); }

    // Once open: the size the UI asked for last, else its window's.
    std::optional<EditorSize> size() override;
    void open(Window parent, SizeRequest resize) override;
    bool idle() override;
    void close() override;
    // After a block the plug-in ran: the control ports whose values changed since the UI last
    // heard them (outputs, and inputs the host changed) and the atoms of the notified outputs,
    // to the UI.
    void deliverBlockOutputs();
    // The UI's own window; 0 while closed.
    Window widget() const;

private:
    void findUi();
    void requireFeatures(const LilvNode* ui);
    void findNotifiedPorts(const LilvNode* ui);
    void loadLibrary();
    // The control ports whose values changed since the UI last heard them.
    void deliverControls();
    void portEvent(uint32_t port, uint32_t size, uint32_t protocol, const void* buffer);
    static void writeEntry(LV2UI_Controller controller, uint32_t port, uint32_t size,
                           uint32_t protocol, const void* buffer);
    static int resizeEntry(LV2UI_Feature_Handle handle, int width, int height);
    static void touchEntry(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed);

    Lv2Plugin& plugin;
    Display* display;
    std::string uiUri;
    std::string binaryPath;
    std::string bundlePath;
    std::vector<uint32_t> notifiedPorts;
    void* library = nullptr;
    const LV2UI_Descriptor* descriptor = nullptr;

    LV2UI_Handle handle = nullptr;
    LV2UI_Widget uiWidget = nullptr;
    const LV2UI_Idle_Interface* idleInterface = nullptr;
    bool closedItself = false;
    SizeRequest resizeRequest;
    std::optional<EditorSize> askedSize;
    LV2UI_Resize resizeFeature{};
    LV2UI_Touch touchFeature{};
    std::array<LV2_Feature, 6> featureData{};
    std::array<const LV2_Feature*, 7> features{};
    std::map<uint32_t, float> delivered; // control ports' values as the UI last heard them
    WriteObserver writeObserver;
    TouchObserver touchObserver;
};

} // namespace plughost
