#include "tools/plughost/commands/options.h"
#include "tools/plughost/commands/text.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace plughost {
namespace {

// Upper bounds from here on are no limit the user meets; the plug-in's own counts apply later.
constexpr long long kNoLimit = std::numeric_limits<int32_t>::max();

} // namespace

std::pair<std::string, std::string> splitAt(const std::string& text, char separator,
                                            const std::string& form) {
    const auto position = text.rfind(separator);
    if (position == std::string::npos) {
        throw UsageError("'" + text + "' is not of the form " + form);
    }
    return {text.substr(0, position), text.substr(position + 1)};
}

CommandLine::CommandLine(const Arguments& arguments, const OptionSet& known) {
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const auto equals = argument.find('=');
        const std::string option = argument.substr(0, equals);
        if (argument.size() < 2 || argument[0] != '-') {
            positionalArguments.push_back(argument);
        } else if (known.flags.contains(option)) {
            if (equals != std::string::npos) {
                throw UsageError("option " + option + " takes no value");
            }
            given.emplace_back(option, "");
        } else if (known.withValue.contains(option)) {
            if (equals != std::string::npos) {
                given.emplace_back(option, argument.substr(equals + 1));
            } else if (i + 1 == arguments.size()) {
                throw UsageError("option " + option + " needs a value");
            } else {
                given.emplace_back(option, arguments[++i]);
            }
        } else {
            throw UsageError("unknown option '" + argument + "'");
        }
    }
}

std::optional<std::string> CommandLine::value(const std::string& option) const {
    std::optional<std::string> last;
    for (const auto& [name, value] : given) {
        if (name == option) {
            last = value;
        }
    }
    return last;
}

bool CommandLine::flag(const std::string& option) const {
    return value(option).has_value();
}

void requireArgumentCount(const CommandLine& line, size_t count, std::string_view command) {
    const std::vector<std::string>& given = line.positional();
    if (given.size() > count) {
        throw UsageError("unexpected argument '" + given[count] + "' (" + usageOf(command) + ")");
    }
    if (given.size() < count) {
        throw UsageError(usageOf(command));
    }
}

long long parseInteger(const std::string& text, const std::string& what, long long lowest,
                       long long highest) {
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) {
        throw UsageError("bad " + what + " '" + text + "': not a whole number");
    }
    if (value < lowest || value > highest) {
        const std::string range = highest < kNoLimit
                                      ? std::to_string(lowest) + " to " + std::to_string(highest)
                                  : value < lowest ? std::to_string(lowest) + " or more"
                                                   : "smaller";
        throw UsageError("bad " + what + " " + text + ": must be " + range);
    }
    return value;
}

double parseNumber(const std::string& text, const std::string& what, double lowest,
                   double highest) {
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || !std::isfinite(value)) {
        throw UsageError("bad " + what + " '" + text + "': not a number");
    }
    if (value < lowest || value > highest) {
        throw UsageError("bad " + what + " " + text + ": must be " + numberText(lowest) + " to " +
                         numberText(highest));
    }
    return value;
}

int parseSampleRate(const std::string& text) {
    return static_cast<int>(
        parseInteger(text, "sample rate", kLowestSampleRate, kHighestSampleRate));
}

// Both formats take a number or a label, checked against the plug-in once it is loaded.
ParameterSetting parseParameterSetting(const std::string& text) {
    const auto [parameter, value] = splitAt(text, '=', "N=V");
    return {parameter, value};
}

} // namespace plughost
