// The plughost sub-commands, each with its help; each returns the process exit code.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace plughost {

using Arguments = std::vector<std::string>;

int runList(const Arguments& arguments);
int runInfo(const Arguments& arguments);
int runRender(const Arguments& arguments);
int runResponse(const Arguments& arguments);
int runGenerate(const Arguments& arguments);
int runScreenshot(const Arguments& arguments);
int runGui(const Arguments& arguments);

struct Command {
    std::string_view name;
    int (*run)(const Arguments&);
    std::string_view synopsis; // the arguments, as the usage line shows them
    std::string_view summary;  // one line for the command list
    std::string_view details;  // what it does and its options, for COMMAND --help
};

// In the order the help lists them.
const std::vector<Command>& commands();
// Null for an unknown name.
const Command* findCommand(std::string_view name);
// "usage: plughost NAME SYNOPSIS"
std::string usageOf(std::string_view name);

} // namespace plughost
