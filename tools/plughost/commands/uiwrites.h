// How plughost gui shows what an LV2 UI writes to its plug-in, and its gestures: one line each,
// e.g. "write port=7 (frequency) value=37.5",
// "message port=4 (control) urn:glidefilter:learn {urn:glidefilter:parameter=5}" or
// "touch port=7 (frequency) grabbed".
#pragma once

#include "tools/plughost/formats/lv2uihost.h"

#include <string>

namespace plughost {

// `plugin` names the ports; `map` names the atoms' types and keys.
std::string describeUiWrite(const UiWrite& write, const Lv2Plugin& plugin, UridMap& map);
std::string describeUiTouch(const UiTouch& touch, const Lv2Plugin& plugin);

} // namespace plughost
