// plughost: loads a VST 2 plug-in and makes it usable without a DAW.
#include "tools/plughost/commands.h"
#include "tools/plughost/options.h"
#include "tools/plughost/pluginhost.h"
#include "tools/plughost/responseplot.h"

#include <cstdio>
#include <exception>
#include <map>
#include <string>

namespace {

using Command = int (*)(const plughost::Arguments&);

const std::map<std::string, Command>& commands() {
    static const std::map<std::string, Command> table = {
        {"info", plughost::runInfo},
        {"render", plughost::runRender},
        {"response", plughost::runResponse},
        {"generate", plughost::runGenerate},
        {"screenshot", plughost::runScreenshot},
        {"gui", plughost::runGui},
    };
    return table;
}

std::string commandNames() {
    std::string names;
    for (const auto& [name, command] : commands()) {
        names += (names.empty() ? "" : ", ") + name;
    }
    return names;
}

int run(Command command, const plughost::Arguments& arguments) {
    try {
        return command(arguments);
    } catch (const plughost::UsageError& error) {
        const std::string message = error.what();
        std::fprintf(stderr, "%s%s\n",
                     message.starts_with("usage:") ? "" : "plughost: ", message.c_str());
        return 2;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "plughost: %s\n", error.what());
        return 1;
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: plughost COMMAND ARGUMENTS (commands: %s)\n",
                     commandNames().c_str());
        return 2;
    }
    const auto command = commands().find(argv[1]);
    if (command == commands().end()) {
        std::fprintf(stderr, "plughost: unknown command '%s' (commands: %s)\n", argv[1],
                     commandNames().c_str());
        return 2;
    }
    const int status = run(command->second, plughost::Arguments(argv + 2, argv + argc));
    plughost::releaseDrawingCaches();
    return status;
}
