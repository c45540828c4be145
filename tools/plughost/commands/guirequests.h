// How plughost gui shows a plug-in's requests to its host: one line each.
#pragma once

#include "tools/plughost/formats/vst2library.h"

#include <string>
#include <vector>

namespace plughost {

// The request's name and the values it carries, e.g. "automate index=2 value=0.5 (Reso/BW)" or
// "canDo \"sizeWindow\"". `parameterNames` names automated parameters where known.
std::string describeRequest(const HostRequest& request,
                            const std::vector<std::string>& parameterNames);

} // namespace plughost
