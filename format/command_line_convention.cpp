#include "format/command_line_convention.h"

#include <CLI/CLI.hpp>

#include <deque>

namespace kzo::cli {
namespace {

std::string optionNames(const OptionRule& rule) {
    std::string names;
    if (rule.shortName != 0) {
        names = std::string("-") + rule.shortName + ",";
    }
    return names + "--" + rule.longName;
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The library names the option at the start of its messages; say it in the
// words of our other usage errors where we can tell which case it is.
std::string describe(const CLI::ParseError& e, const std::vector<OptionRule>& options) {
    const std::string_view what = e.what();
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&e) != nullptr) {
        for (const OptionRule& rule : options) {
            if (rule.takesValue && startsWith(what, "--" + rule.longName + ":")) {
                return "option '--" + rule.longName + "' needs a value";
            }
            if (!rule.takesValue && startsWith(what, rule.longName + " was given")) {
                return "option '--" + rule.longName + "' takes no value";
            }
        }
    }
    return std::string(what);
}

} // namespace

ParsedArguments parseArguments(const std::vector<OptionRule>& options,
                               const std::vector<std::string>& args) {
    CLI::App app;
    app.set_help_flag();
    app.allow_extras();
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    CLI::Option* help = app.add_flag("-h,--help")->disable_flag_override();
    CLI::Option* version = app.add_flag("--version")->disable_flag_override();
    std::deque<std::string> values; // stable addresses for the library to fill
    std::deque<std::vector<std::string>> repeated;
    std::vector<CLI::Option*> given;
    for (const OptionRule& rule : options) {
        if (rule.takesValue && rule.repeats) {
            // One value per occurrence, as for every other option.
            given.push_back(app.add_option(optionNames(rule), repeated.emplace_back())
                                ->allow_extra_args(false)
                                ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll));
            values.emplace_back();
        } else if (rule.takesValue) {
            repeated.emplace_back();
            given.push_back(app.add_option(optionNames(rule), values.emplace_back()));
        } else {
            given.push_back(app.add_flag(optionNames(rule))->disable_flag_override());
            values.emplace_back();
            repeated.emplace_back();
        }
    }
    ParsedArguments result;
    app.add_option("operands", result.operands);

    // The library takes the arguments last first.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        result.request = Request::invalid;
        result.error = describe(e, options);
        return result;
    }
    if (help->count() > 0) {
        result.request = Request::help;
        return result;
    }
    if (version->count() > 0) {
        result.request = Request::version;
        return result;
    }
    for (const std::string& extra : app.remaining()) {
        if (extra != "--") {
            result.request = Request::invalid;
            result.error = "unknown option '" + extra + "'";
            return result;
        }
    }
    for (std::size_t i = 0; i < options.size(); ++i) {
        if (given[i]->count() == 0) {
            continue;
        }
        const std::vector<std::string> each =
            options[i].repeats ? repeated[i] : std::vector<std::string>{values[i]};
        for (const std::string& value : each) {
            if (std::string error = options[i].apply(value); !error.empty()) {
                result.request = Request::invalid;
                result.error = std::move(error);
                return result;
            }
        }
    }
    return result;
}

std::string usageErrorText(std::string_view program, std::string_view error) {
    std::string text(program);
    text += ": ";
    text += error;
    text += "\nTry '";
    text += program;
    text += " --help'.\n";
    return text;
}

} // namespace kzo::cli
