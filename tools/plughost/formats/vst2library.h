// The host side of the VST 2 interface: loads a VST 2 plug-in library, creates instances with a
// callback that records every request, and wraps the record's entries.
#pragma once

#include "frame/aeffect.h"
#include "tools/common/errors.h"

#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace plughost {

struct HostRequest {
    int32_t opcode;
    int32_t index;
    intptr_t value;
    void* ptr;
    float opt;
    bool fromInstance; // false for the version query made before the instance exists
};

// Answers and records the plug-in's requests. By default it answers the version query with
// 2400 and every other request with 0.
class RecordingHost {
public:
    using Responder = std::function<intptr_t(const HostRequest&)>;

    RecordingHost();
    void setResponder(Responder newResponder) { responder = std::move(newResponder); }
    void setObserver(std::function<void(const HostRequest&)> newObserver) {
        observer = std::move(newObserver);
    }
    std::vector<HostRequest> requests() const;
    std::vector<HostRequest> requestsWithOpcode(int32_t opcode) const;
    void clear();

    intptr_t answer(const HostRequest& request);

private:
    mutable std::mutex mutex;
    std::vector<HostRequest> recorded;
    Responder responder;
    std::function<void(const HostRequest&)> observer;
};

// Where a bare plug-in name is looked for, in order: the folders in LXVST_PATH, then VST_PATH
// (each split on ':'), ~/.lxvst, ~/.vst, /usr/local/lib/lxvst, /usr/local/lib/vst,
// /usr/lib/lxvst, /usr/lib/vst.
std::vector<std::string> pluginFolders();

class PluginLibrary {
public:
    // A path with a slash is loaded as it is; a bare name is the file of that name in this
    // folder, else NAME or NAME.so in the first of pluginFolders() that has it.
    explicit PluginLibrary(const std::string& path);
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    using Entry = AEffect* (*)(audioMasterCallback);
    // The entry a host calls: VSTPluginMain, or `main`, the only name older plug-ins export.
    Entry entry() const;
    // The entry under this name; throws HostError when the library has none.
    Entry entry(const char* name) const;
    const std::string& path() const { return libraryPath; }

private:
    std::string libraryPath;
    void* handle;
};

// The callback every instance made through this library is given.
intptr_t recordingCallback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                           void* ptr, float opt);

// Calls the entry with the recording callback; null when the plug-in refuses to start.
AEffect* createInstance(PluginLibrary::Entry entry, RecordingHost& host);

// An instance created through the library's entry and opened (effOpen), as a host does.
class PluginInstance {
public:
    // Hosts open an instance at once, most before anything else; some first set the sample rate
    // and block size and open it themselves.
    enum class Open { now, byCaller };
    // Throws HostError when the plug-in creates no instance or its record lacks the dispatcher,
    // setParameter, getParameter or both processing entries.
    PluginInstance(const PluginLibrary& library, RecordingHost& host, Open open = Open::now);
    ~PluginInstance();
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    AEffect* record() const { return effect; }
    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f) const;
    void setParameter(int32_t index, float value) const;
    float getParameter(int32_t index) const;
    void process(float** inputs, float** outputs, int32_t frames) const;
    void processReplacing(float** inputs, float** outputs, int32_t frames) const;

    std::string parameterName(int32_t index) const;
    std::string parameterLabel(int32_t index) const;
    std::string parameterDisplay(int32_t index) const;
    std::string programName() const;
    // Closes the instance now (effClose); the destructor then does nothing.
    void close();

private:
    std::string text(int32_t opcode, int32_t index) const;
    AEffect* effect;
};

// Human-readable form of a four-character code.
std::string fourCharText(int32_t code);

} // namespace plughost
