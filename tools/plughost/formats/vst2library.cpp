#include "tools/plughost/formats/vst2library.h"

#include "tools/plughost/commands/text.h"
#include "tools/plughost/formats/pluginlookup.h"

#include <cstdlib>
#include <dlfcn.h>
#include <sys/stat.h>

namespace plughost {
namespace {

// The instance's host is kept in the record's user field, which belongs to the host. The
// version query comes before the record exists; the creating thread's host answers it.
thread_local RecordingHost* creatingHost = nullptr;

RecordingHost* hostOf(AEffect* effect) {
    if (effect != nullptr && effect->user != nullptr) {
        return static_cast<RecordingHost*>(effect->user);
    }
    return creatingHost;
}

constexpr intptr_t kHostVersion = 2400;
constexpr size_t kTextBufferSize = 256;

// What every command needs besides the dispatcher, or null; either processing entry will do.
const char* missingEntry(const AEffect& effect) {
    if (effect.setParameter == nullptr) {
        return "its setParameter entry";
    }
    if (effect.getParameter == nullptr) {
        return "its getParameter entry";
    }
    if (effect.process == nullptr && effect.processReplacing == nullptr) {
        return "a process or processReplacing entry";
    }
    return nullptr;
}

void appendPathList(std::vector<std::string>& folders, const char* variable) {
    const char* list = std::getenv(variable);
    const std::vector<std::string> given = splitPathList(list != nullptr ? list : "");
    folders.insert(folders.end(), given.begin(), given.end());
}

// dlopen would search the system's library path for a bare name; a user means the file in this
// folder or a plug-in installed where hosts find it.
std::string loadablePath(const std::string& path) {
    return path.find('/') != std::string::npos ? path : findPlugin(path).location;
}

} // namespace

// The variables first, as hosts read them: the user set them for a reason. Then the per-user and
// system folders, each the Linux-specific name before the shared one.
std::vector<std::string> pluginFolders() {
    std::vector<std::string> folders;
    appendPathList(folders, "LXVST_PATH");
    appendPathList(folders, "VST_PATH");
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
        folders.insert(folders.end(), {std::string(home) + "/.lxvst", std::string(home) + "/.vst"});
    }
    folders.insert(folders.end(), {"/usr/local/lib/lxvst", "/usr/local/lib/vst", "/usr/lib/lxvst",
                                   "/usr/lib/vst"});
    return folders;
}

RecordingHost::RecordingHost()
    : responder([](const HostRequest& request) -> intptr_t {
          return request.opcode == audioMasterVersion ? kHostVersion : 0;
      }) {}

std::vector<HostRequest> RecordingHost::requests() const {
    std::lock_guard lock(mutex);
    return recorded;
}

std::vector<HostRequest> RecordingHost::requestsWithOpcode(int32_t opcode) const {
    std::vector<HostRequest> matching;
    for (const HostRequest& request : requests()) {
        if (request.opcode == opcode) {
            matching.push_back(request);
        }
    }
    return matching;
}

void RecordingHost::clear() {
    std::lock_guard lock(mutex);
    recorded.clear();
}

intptr_t RecordingHost::answer(const HostRequest& request) {
    {
        std::lock_guard lock(mutex);
        recorded.push_back(request);
    }
    if (observer) {
        observer(request);
    }
    return responder(request);
}

intptr_t recordingCallback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                           void* ptr, float opt) {
    RecordingHost* host = hostOf(effect);
    if (host == nullptr) {
        return opcode == audioMasterVersion ? kHostVersion : 0;
    }
    return host->answer({opcode, index, value, ptr, opt, effect != nullptr});
}

PluginLibrary::PluginLibrary(const std::string& path)
    : libraryPath(loadablePath(path)), handle(dlopen(libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL)) {
    if (handle == nullptr) {
        const char* reason = dlerror();
        throw HostError("cannot load " + path + ": " + (reason != nullptr ? reason : "unknown"));
    }
}

PluginLibrary::~PluginLibrary() {
    dlclose(handle);
}

PluginLibrary::Entry PluginLibrary::entry() const {
    for (const char* name : {"VSTPluginMain", "main"}) {
        if (void* symbol = dlsym(handle, name)) {
            return reinterpret_cast<Entry>(symbol);
        }
    }
    throw HostError(libraryPath + " has no entry point VSTPluginMain or main: not a VST 2 plug-in");
}

PluginLibrary::Entry PluginLibrary::entry(const char* name) const {
    void* symbol = dlsym(handle, name);
    if (symbol == nullptr) {
        throw HostError(libraryPath + " has no entry point " + name + ": not a VST 2 plug-in");
    }
    return reinterpret_cast<Entry>(symbol);
}

AEffect* createInstance(PluginLibrary::Entry entry, RecordingHost& host) {
    creatingHost = &host;
    AEffect* effect = entry(recordingCallback);
    creatingHost = nullptr;
    if (effect != nullptr) {
        effect->user = &host;
    }
    return effect;
}

PluginInstance::PluginInstance(const PluginLibrary& library, RecordingHost& host, Open open)
    : effect(createInstance(library.entry(), host)) {
    if (effect == nullptr) {
        throw HostError(library.path() + " refused to create an instance");
    }
    if (effect->magic != kEffectMagic) {
        throw HostError(library.path() + " returned a record without the plug-in magic");
    }
    if (effect->dispatcher == nullptr) { // nothing can be asked of it, not even to close
        throw HostError(library.path() + " returned a record without a dispatcher");
    }
    if (const char* missing = missingEntry(*effect)) {
        close();
        throw HostError(library.path() + " returned a record without " + missing);
    }
    // Some plug-ins build their state only when opened.
    if (open == Open::now) {
        dispatch(effOpen);
    }
}

PluginInstance::~PluginInstance() {
    close();
}

void PluginInstance::close() {
    if (effect != nullptr) {
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
        effect = nullptr;
    }
}

intptr_t PluginInstance::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                  float opt) const {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

void PluginInstance::setParameter(int32_t index, float value) const {
    effect->setParameter(effect, index, value);
}

float PluginInstance::getParameter(int32_t index) const {
    return effect->getParameter(effect, index);
}

void PluginInstance::process(float** inputs, float** outputs, int32_t frames) const {
    effect->process(effect, inputs, outputs, frames);
}

void PluginInstance::processReplacing(float** inputs, float** outputs, int32_t frames) const {
    effect->processReplacing(effect, inputs, outputs, frames);
}

std::string PluginInstance::text(int32_t opcode, int32_t index) const {
    char buffer[kTextBufferSize] = {};
    dispatch(opcode, index, 0, buffer);
    buffer[kTextBufferSize - 1] = '\0';
    return buffer;
}

std::string PluginInstance::parameterName(int32_t index) const {
    return text(effGetParamName, index);
}

std::string PluginInstance::parameterLabel(int32_t index) const {
    return text(effGetParamLabel, index);
}

std::string PluginInstance::parameterDisplay(int32_t index) const {
    return text(effGetParamDisplay, index);
}

std::string PluginInstance::programName() const {
    return text(effGetProgramName, 0);
}

std::string fourCharText(int32_t code) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto character = static_cast<char>((static_cast<uint32_t>(code) >> shift) & 0xFF);
        text += (character >= 32 && character < 127) ? character : '?';
    }
    return text;
}

} // namespace plughost
