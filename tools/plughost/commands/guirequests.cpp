#include "tools/plughost/commands/guirequests.h"

#include "tools/plughost/commands/text.h"

#include <array>
#include <cstring>

namespace plughost {
namespace {

// By opcode; opcode 5 has no name.
constexpr std::array<const char*, 43> kRequestNames = {
    "automate",
    "version",
    "currentId",
    "idle",
    "pinConnected",
    nullptr,
    "wantMidi",
    "getTime",
    "processEvents",
    "setTime",
    "tempoAt",
    "getNumAutomatableParameters",
    "getParameterQuantization",
    "ioChanged",
    "needIdle",
    "sizeWindow",
    "getSampleRate",
    "getBlockSize",
    "getInputLatency",
    "getOutputLatency",
    "getPreviousPlug",
    "getNextPlug",
    "willReplaceOrAccumulate",
    "getCurrentProcessLevel",
    "getAutomationState",
    "offlineStart",
    "offlineRead",
    "offlineWrite",
    "offlineGetCurrentPass",
    "offlineGetCurrentMetaPass",
    "setOutputSampleRate",
    "getSpeakerArrangement",
    "getVendorString",
    "getProductString",
    "getVendorVersion",
    "vendorSpecific",
    "setIcon",
    "canDo",
    "getLanguage",
    "openWindow",
    "closeWindow",
    "getDirectory",
    "updateDisplay",
};
// A capability text longer than this is cut; the plug-in's buffer is not trusted to end.
constexpr size_t kLongestQuotedText = 64;

// The requests whose float argument carries a value; in the others it is whatever the plug-in's
// register held, and printing it would only mislead.
bool carriesFloat(int32_t opcode) {
    return opcode == audioMasterSetOutputSampleRate || opcode == audioMasterVendorSpecific;
}

std::string requestName(int32_t opcode) {
    if (opcode >= 0 && static_cast<size_t>(opcode) < kRequestNames.size() &&
        kRequestNames[static_cast<size_t>(opcode)] != nullptr) {
        return kRequestNames[static_cast<size_t>(opcode)];
    }
    return "opcode " + std::to_string(opcode);
}

std::string describeAutomation(const HostRequest& request,
                               const std::vector<std::string>& parameterNames) {
    std::string line = "automate index=" + std::to_string(request.index) +
                       " value=" + numberText(static_cast<double>(request.opt));
    if (request.index >= 0 && static_cast<size_t>(request.index) < parameterNames.size()) {
        line += " (" + printable(parameterNames[static_cast<size_t>(request.index)]) + ")";
    }
    return line;
}

} // namespace

std::string describeRequest(const HostRequest& request,
                            const std::vector<std::string>& parameterNames) {
    if (request.opcode == audioMasterAutomate) {
        return describeAutomation(request, parameterNames);
    }
    std::string line = requestName(request.opcode);
    if (request.opcode == audioMasterCanDo && request.ptr != nullptr) {
        const auto* text = static_cast<const char*>(request.ptr);
        return line + " \"" + printable(std::string(text, strnlen(text, kLongestQuotedText))) +
               "\"";
    }
    if (request.index != 0) {
        line += " index=" + std::to_string(request.index);
    }
    if (request.value != 0) {
        line += " value=" + std::to_string(request.value);
    }
    if (carriesFloat(request.opcode) && request.opt != 0.0f) {
        line += " opt=" + numberText(static_cast<double>(request.opt));
    }
    return line;
}

} // namespace plughost
