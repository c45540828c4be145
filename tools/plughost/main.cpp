// plughost: loads a VST 2 or LV2 plug-in and makes it usable without a DAW.
#include "tools/plughost/commands/commands.h"
#include "tools/plughost/commands/options.h"
#include "tools/plughost/commands/text.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>

namespace {

bool asksForHelp(const std::string& argument) {
    return argument == "--help" || argument == "-h" || argument == "help";
}

void printOverview() {
    std::printf("plughost %s: loads a VST 2 or LV2 plug-in for 64-bit Linux as a host does, to\n"
                "hear, measure and script it without a DAW.\n\n"
                "usage: plughost COMMAND ARGUMENTS...\n"
                "       plughost help [COMMAND] | plughost COMMAND --help | plughost --version\n\n"
                "commands:\n",
                PLUGHOST_VERSION);
    for (const plughost::Command& command : plughost::commands()) {
        std::printf("  %-11s %s\n", std::string(command.name).c_str(),
                    std::string(command.summary).c_str());
    }
    std::printf(
        "\nPLUGIN.so names a plug-in of either format: a path (a folder is an LV2 bundle, a\n"
        "file a VST 2 library); an LV2 plug-in's URI; an LV2 bundle's folder name (NAME.lv2)\n"
        "looked up on LV2_PATH (lilv's default folders when it is not set: ~/.lv2, the\n"
        "multiarch /usr/lib/TRIPLET/lv2, /usr/lib/lv2, /usr/local/lib/lv2); a VST 2 file,\n"
        "NAME or NAME.so, looked up in the folders of LXVST_PATH and VST_PATH, ~/.lxvst,\n"
        "~/.vst, /usr/local/lib/lxvst, /usr/local/lib/vst, /usr/lib/lxvst and /usr/lib/vst,\n"
        "in this order; or a plug-in's name as plughost list shows it (\"Glide Filter\"; LV2\n"
        "plug-ins first). A parameter value is a number within the parameter's range, or one\n"
        "of its labels as info lists them.\n");
    std::printf("\nErrors are one line on stderr. Exit codes: 0 done, 1 something could not be\n"
                "loaded, read or written, 2 the command line is wrong.\n");
}

void printCommandHelp(const plughost::Command& command) {
    std::printf("%s\n\n%s", plughost::usageOf(command.name).c_str(),
                std::string(command.details).c_str());
}

int unknownCommand(const std::string& name) {
    std::fprintf(stderr, "plughost: unknown command '%s' (plughost --help lists them)\n",
                 name.c_str());
    return 2;
}

// "help", "--help", "help COMMAND"; the version.
int runHelp(const plughost::Arguments& arguments) {
    if (arguments.empty()) {
        printOverview();
        return 0;
    }
    const plughost::Command* command = plughost::findCommand(arguments[0]);
    if (command == nullptr) {
        return unknownCommand(arguments[0]);
    }
    printCommandHelp(*command);
    return 0;
}

int run(const plughost::Command& command, const plughost::Arguments& arguments) {
    try {
        return command.run(arguments);
    } catch (const UsageError& error) {
        // Errors carry the plug-in's names and the user's arguments: one line, escaped.
        const std::string message = plughost::printable(error.what());
        std::fprintf(stderr, "%s%s\n",
                     message.starts_with("usage:") ? "" : "plughost: ", message.c_str());
        return 2;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "plughost: %s\n", plughost::printable(error.what()).c_str());
        return 1;
    }
}

} // namespace

int main(int argc, char** argv) {
    const plughost::Arguments arguments(argv + 1, argv + argc);
    if (arguments.empty()) {
        std::fprintf(stderr, "usage: plughost COMMAND ARGUMENTS... (plughost --help lists the "
                             "commands)\n");
        return 2;
    }
    if (arguments[0] == "--version") {
        std::printf("plughost %s\n", PLUGHOST_VERSION);
        return 0;
    }
    if (asksForHelp(arguments[0])) {
        return runHelp({arguments.begin() + 1, arguments.end()});
    }
    const plughost::Command* command = plughost::findCommand(arguments[0]);
    if (command == nullptr) {
        return unknownCommand(arguments[0]);
    }
    const plughost::Arguments rest(arguments.begin() + 1, arguments.end());
    if (std::any_of(rest.begin(), rest.end(), [](const std::string& argument) {
            return argument == "--help" || argument == "-h";
        })) {
        printCommandHelp(*command);
        return 0;
    }
    return run(*command, rest);
}
