// SPDX-License-Identifier: MIT
#pragma once

#include "exitstatus.h"

#include "core/database.h"
#include "core/searchengine.h"

#include <string>
#include <variant>
#include <vector>

namespace nomix {

enum class CliOutput { Tsv, Csv, Json, Count, Indices, NamesByProduct, ProductsList };

struct CliOptions {
    DataLocation location;
    std::string serverUrl; // a team database instead of the data folder's files
    bool serverGiven = false;
    bool begins = false;
    bool ends = false;
    bool complete = false;
    bool productsGiven = false;
    std::vector<int> products; // 1-based, as typed
    CliOutput output = CliOutput::Tsv;
    bool family = false; // a family column in the rows
    bool familyIsGiven = false;
    std::string familyIs;    // only the lines of this family
    std::string rulesFolder; // empty: the bundled labelling rules
    std::string text;
    bool textGiven = false;
};

// Parses the command line. Returns the options to run with, or the exit
// status when the command line already ends the run: UsageShown after --help
// or --version (printed), UsageError after a mistake (told on standard error).
std::variant<CliOptions, ExitStatus> parseCliOptions(int argc, const char* const* argv,
                                                     const DataLocation& defaults);

} // namespace nomix
