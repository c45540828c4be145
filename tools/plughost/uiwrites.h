// How plughost gui shows what an LV2 UI writes to its plug-in: one line each, e.g.
// "write port=7 (frequency) value=37.5" or
// "message port=4 (control) urn:glidefilter:learn {urn:glidefilter:parameter=5}".
#pragma once

#include "tools/plughost/lv2uihost.h"

#include <string>

namespace plughost {

// `plugin` names the ports; `map` names the atoms' types and keys.
std::string describeUiWrite(const UiWrite& write, const Lv2Plugin& plugin, UridMap& map);

} // namespace plughost
