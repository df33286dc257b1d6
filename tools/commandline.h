// SPDX-License-Identifier: MIT
#pragma once

#include "exitstatus.h"

#include <CLI/CLI.hpp>

#include <optional>
#include <string>
#include <vector>

namespace nomix {

// The options of one of our command-line programs, parsed by CLI11 and told
// as our programs have always told them: --help and -h print the program's
// own usage text, a mistake is one line "PROGRAM: MESSAGE" on standard error
// (the usage after it, as the program wants), and the exit status of a
// mistake is 2. An option given twice takes its last value.
class CommandLine {
  public:
    enum class UsageShown { AfterUnknownOption, AfterEveryMistake };

    CommandLine(std::string program, std::string usage, UsageShown usageShown);

    // Declare the options here; their variables must outlive parse().
    CLI::App& app() { return m_app; }

    // At most one of `options` may be given (each as often as the user
    // likes): each of them wants what the others want too.
    void makeExclusive(const std::vector<CLI::Option*>& options);

    // Fills the options' variables from the arguments. Returns the exit
    // status when the command line already ends the run: UsageShown when the
    // usage or the version was asked for (and printed), UsageError after a
    // mistake (told); nothing when the program goes on.
    std::optional<ExitStatus> parse(int argc, const char* const* argv);

    // Tells a mistake the program found in what was parsed; returns
    // UsageError.
    ExitStatus reject(const std::string& message, bool unknownOption = false) const;

  private:
    ExitStatus rejectParseError(const CLI::ParseError& error,
                                const std::string& lastArgument) const;
    std::optional<std::string> unknownOption() const;
    std::string exclusionMessage() const;

    std::string m_program;
    std::string m_usage;
    UsageShown m_usageShown;
    CLI::App m_app;
    std::vector<std::vector<CLI::Option*>> m_exclusive;
};

} // namespace nomix
