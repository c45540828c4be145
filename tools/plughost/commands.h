// The plughost sub-commands; each returns the process exit code.
#pragma once

#include <string>
#include <vector>

namespace plughost {

using Arguments = std::vector<std::string>;

int runInfo(const Arguments& arguments);
int runRender(const Arguments& arguments);
int runResponse(const Arguments& arguments);
int runGenerate(const Arguments& arguments);
int runScreenshot(const Arguments& arguments);
int runGui(const Arguments& arguments);

} // namespace plughost
