// Command-line parsing shared by the sub-commands: options, numbers and parameter settings
// (events in time: eventoptions.h).
#pragma once

#include "tools/common/errors.h"
#include "tools/plughost/commands/commands.h"
#include "tools/plughost/formats/plugin.h"

#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace plughost {

// The arguments of one sub-command: positional arguments and options in the order given.
class CommandLine {
public:
    struct OptionSet {
        std::set<std::string> withValue; // "--block N"
        std::set<std::string> flags;     // "--replacing"
    };

    // An option's value follows it ("--block 256") or is joined to it ("--block=256").
    CommandLine(const Arguments& arguments, const OptionSet& known);

    const std::vector<std::string>& positional() const { return positionalArguments; }
    // Every (option, value) pair in command-line order.
    const std::vector<std::pair<std::string, std::string>>& options() const { return given; }
    // The last value given for the option.
    std::optional<std::string> value(const std::string& option) const;
    bool flag(const std::string& option) const;

private:
    std::vector<std::string> positionalArguments;
    std::vector<std::pair<std::string, std::string>> given;
};

// Throws UsageError unless the command was given exactly `count` positional arguments: the
// usage line when some are missing, naming the first one too many otherwise.
void requireArgumentCount(const CommandLine& line, size_t count, std::string_view command);

// Splits "A<separator>B" at the last separator; throws UsageError naming `form` when it is
// missing.
std::pair<std::string, std::string> splitAt(const std::string& text, char separator,
                                            const std::string& form);

// Whole numbers and decimal numbers; the text must be all number. `what` names the value in
// the error message.
long long parseInteger(const std::string& text, const std::string& what, long long lowest,
                       long long highest);
double parseNumber(const std::string& text, const std::string& what, double lowest, double highest);

// The sample rates plughost runs a plug-in at, given with --rate or read from an input file.
constexpr int kLowestSampleRate = 8000;
constexpr int kHighestSampleRate = 768000;
int parseSampleRate(const std::string& text);

struct ParameterSetting {
    std::string parameter; // its index or its name
    std::string value;     // a number in the parameter's units, or a label
};

// "N=V" for parameter N, an index or a name, and value V, both checked against the plug-in
// later.
ParameterSetting parseParameterSetting(const std::string& text);

} // namespace plughost
