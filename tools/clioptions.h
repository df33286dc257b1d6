#pragma once

#include "core/database.h"
#include "core/fileerror.h"
#include "core/searchengine.h"

#include <string>
#include <vector>

namespace nomix {

enum class CliOutput { Tsv, Csv, Json, Count, Indices, NamesByProduct, ProductsList };

struct CliOptions {
    DataLocation location;
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
    bool help = false;
    bool version = false;
};

// A command line that asks for something the program does not offer: the
// usage is shown after the message.
class CliUsageError : public NomixError {
  public:
    using NomixError::NomixError;
};

// Parses the command line (without the program name). Throws NomixError
// with a one-line message for anything it cannot use, CliUsageError for an
// unknown option.
CliOptions parseCliOptions(const std::vector<std::string>& args, const DataLocation& defaults);

extern const char* const kCliUsage;

} // namespace nomix
