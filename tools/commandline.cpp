// SPDX-License-Identifier: MIT
#include "commandline.h"

#include <algorithm>
#include <cstdio>

namespace nomix {

CommandLine::CommandLine(std::string program, std::string usage, UsageShown usageShown)
    : m_program(std::move(program)), m_usage(std::move(usage)), m_usageShown(usageShown),
      m_app(std::string(), m_program) {
    m_app.set_help_flag("-h,--help");
    m_app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

void CommandLine::makeExclusive(const std::vector<CLI::Option*>& options) {
    for (CLI::Option* option : options) {
        for (CLI::Option* other : options) {
            if (other != option) {
                option->excludes(other);
            }
        }
    }
    m_exclusive.push_back(options);
}

std::optional<ExitStatus> CommandLine::parse(int argc, const char* const* argv) {
    try {
        m_app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::fputs(m_usage.c_str(), stdout);
        return ExitStatus::UsageShown;
    } catch (const CLI::CallForVersion& version) {
        std::puts(version.what());
        return ExitStatus::UsageShown;
    } catch (const CLI::ExtrasError& error) {
        const std::optional<std::string> option = unknownOption();
        return option ? reject("unknown option " + *option, true) : reject(error.what());
    } catch (const CLI::ExcludesError& error) {
        const std::string message = exclusionMessage();
        return reject(message.empty() ? error.what() : message);
    } catch (const CLI::ArgumentMismatch& error) {
        // An option runs short of values only at the end of the arguments.
        const std::string last = argc > 1 ? argv[argc - 1] : "";
        const CLI::Option* option = m_app.get_option_no_throw(last);
        if (option != nullptr && option->get_items_expected_min() > 0) {
            return reject("option " + last + " needs a value");
        }
        return reject(error.what());
    } catch (const CLI::ParseError& error) {
        return reject(error.what());
    }
    // A prefix command leaves what follows its first operand to the
    // program, and unknown options before it too.
    if (const std::optional<std::string> option = unknownOption()) {
        return reject("unknown option " + *option, true);
    }
    return std::nullopt;
}

ExitStatus CommandLine::reject(const std::string& message, bool unknownOption) const {
    std::fprintf(stderr, "%s: %s\n", m_program.c_str(), message.c_str());
    if (unknownOption || m_usageShown == UsageShown::AfterEveryMistake) {
        std::fputs(m_usage.c_str(), stderr);
    }
    return ExitStatus::UsageError;
}

// The first argument CLI11 left over, when it looks like an option; a
// prefix command's first operand and all after it are the program's.
std::optional<std::string> CommandLine::unknownOption() const {
    for (const std::string& argument : m_app.remaining()) {
        if (argument == "--") {
            continue;
        }
        if (argument.size() > 1 && argument[0] == '-') {
            return argument;
        }
        break;
    }
    return std::nullopt;
}

// Names the first two different options of one exclusive set in the order
// the user typed them.
std::string CommandLine::exclusionMessage() const {
    for (const std::vector<CLI::Option*>& options : m_exclusive) {
        const CLI::Option* first = nullptr;
        for (const CLI::Option* option : m_app.parse_order()) {
            if (std::find(options.begin(), options.end(), option) == options.end()) {
                continue;
            }
            if (first == nullptr) {
                first = option;
            } else if (option != first) {
                return first->get_name() + " and " + option->get_name() +
                       " cannot be used together";
            }
        }
    }
    return std::string();
}

} // namespace nomix
