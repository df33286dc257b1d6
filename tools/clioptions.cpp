#include "clioptions.h"

#include <charconv>

namespace nomix {

const char* const kCliUsage =
    "Usage: nomix95-cli [--dir DIR] [--db FILE] [--config FILE]\n"
    "                   [--begins] [--ends] [--complete] [--products LIST]\n"
    "                   [--family] [--family-is NAME] [--rules DIR]\n"
    "                   [--count | --indices | --tsv | --csv | --json]\n"
    "                   [--names-by-product] STRING\n"
    "   or: nomix95-cli [options] --family-is NAME\n"
    "   or: nomix95-cli [--dir DIR] [--config FILE] --products-list\n"
    "\n"
    "Looks up STRING in the names every antivirus product gives a virus.\n"
    "\n"
    "  --dir DIR        common directory of the data files\n"
    "  --db FILE        name database file name (default NOMIX.DAT)\n"
    "  --config FILE    product table file name (default NOMIX.CFG)\n"
    "  --begins         names that begin with STRING\n"
    "  --ends           names that end with STRING\n"
    "  --complete       names that are STRING (also --begins with --ends)\n"
    "  --products LIST  comma-separated product numbers (1-based) to search\n"
    "  --count          print the number of hits\n"
    "  --indices        print the 0-based line index of each hit\n"
    "  --tsv            print the products' names for each hit (default); a tab,\n"
    "                   line feed, carriage return or backslash in a name is\n"
    "                   written as \\t, \\n, \\r or \\\\\n"
    "  --csv            the same as CSV (RFC 4180): a row of product titles, then\n"
    "                   one row per hit\n"
    "  --json           the same as JSON Lines, one object per hit:\n"
    "                   {\"line\": N, \"names\": {\"PRODUCT\": \"NAME\", ...}}, N being\n"
    "                   the hit's 1-based line in the name database and PRODUCT\n"
    "                   the product's name without its version and date\n"
    "                   (\"Kaspersky\"), as --products-list shows it\n"
    "  --names-by-product\n"
    "                   print PRODUCT<TAB>NAME<TAB>COUNT for the hits: the\n"
    "                   products taking part in table order, each product's\n"
    "                   names by count, then by name; every name counts,\n"
    "                   NO_VIRUS and notes beginning with '~' included\n"
    "  --products-list  print NUMBER<TAB>NAME<TAB>VERSION<TAB>DATE for each product\n"
    "                   of the table (no STRING)\n"
    "  --family         add each hit's family, the one most products' names agree\n"
    "                   on: a first column \"Family\" in TSV and CSV, a key\n"
    "                   \"family\" (a string, or null for none) in JSON\n"
    "  --family-is NAME\n"
    "                   only the lines of family NAME; without STRING, every\n"
    "                   line of the database\n"
    "  --rules DIR      vote families with the labelling rules in DIR\n"
    "                   (default.taxonomy, default.tagging and default.expansion)\n"
    "                   instead of the bundled ones\n"
    "  --help, --version\n"
    "\n"
    "STRING is read as UTF-8 and encoded like the database (UTF-8, else\n"
    "Windows-1252); names are printed in UTF-8.\n"
    "\n"
    "Exit status: 0 with hits, 1 without, 2 on an error.\n";

namespace {

std::vector<int> parseProductList(const std::string& list) {
    std::vector<int> products;
    size_t start = 0;
    while (start <= list.size()) {
        size_t comma = list.find(',', start);
        if (comma == std::string::npos) {
            comma = list.size();
        }
        const std::string item = list.substr(start, comma - start);
        int value = 0;
        const auto [end, ec] = std::from_chars(item.data(), item.data() + item.size(), value);
        if (item.empty() || ec != std::errc() || end != item.data() + item.size() || value < 1) {
            throw NomixError("'" + item + "' is not a valid product number");
        }
        products.push_back(value);
        start = comma + 1;
    }
    return products;
}

const char* outputOptionName(CliOutput output) {
    switch (output) {
    case CliOutput::Count:
        return "--count";
    case CliOutput::Indices:
        return "--indices";
    case CliOutput::Csv:
        return "--csv";
    case CliOutput::Json:
        return "--json";
    case CliOutput::NamesByProduct:
        return "--names-by-product";
    case CliOutput::ProductsList:
        return "--products-list";
    case CliOutput::Tsv:
        break;
    }
    return "--tsv";
}

// Each output option wants the whole standard output: asking for two is a
// mistake, not a choice of the last one.
void chooseOutput(CliOptions& options, bool& outputGiven, CliOutput output) {
    if (outputGiven && options.output != output) {
        throw NomixError(std::string(outputOptionName(options.output)) + " and " +
                         outputOptionName(output) + " cannot be used together");
    }
    options.output = output;
    outputGiven = true;
}

} // namespace

CliOptions parseCliOptions(const std::vector<std::string>& args, const DataLocation& defaults) {
    CliOptions options;
    options.location = defaults;
    bool textGiven = false;
    bool outputGiven = false;
    auto valueOf = [&](size_t& i) -> const std::string& {
        if (i + 1 >= args.size()) {
            throw NomixError("option " + args[i] + " needs a value");
        }
        return args[++i];
    };
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            if (arg == "--") {
                optionsEnded = true;
            } else if (arg == "--dir") {
                options.location.directory = valueOf(i);
            } else if (arg == "--db") {
                options.location.databaseName = valueOf(i);
            } else if (arg == "--config") {
                options.location.tableName = valueOf(i);
            } else if (arg == "--begins") {
                options.begins = true;
            } else if (arg == "--ends") {
                options.ends = true;
            } else if (arg == "--complete") {
                options.complete = true;
            } else if (arg == "--products") {
                options.productsGiven = true;
                options.products = parseProductList(valueOf(i));
            } else if (arg == "--count") {
                chooseOutput(options, outputGiven, CliOutput::Count);
            } else if (arg == "--indices") {
                chooseOutput(options, outputGiven, CliOutput::Indices);
            } else if (arg == "--tsv") {
                chooseOutput(options, outputGiven, CliOutput::Tsv);
            } else if (arg == "--csv") {
                chooseOutput(options, outputGiven, CliOutput::Csv);
            } else if (arg == "--json") {
                chooseOutput(options, outputGiven, CliOutput::Json);
            } else if (arg == "--names-by-product") {
                chooseOutput(options, outputGiven, CliOutput::NamesByProduct);
            } else if (arg == "--products-list") {
                chooseOutput(options, outputGiven, CliOutput::ProductsList);
            } else if (arg == "--family") {
                options.family = true;
            } else if (arg == "--family-is") {
                options.familyIsGiven = true;
                options.familyIs = valueOf(i);
            } else if (arg == "--rules") {
                options.rulesFolder = valueOf(i);
                if (options.rulesFolder.empty()) {
                    throw NomixError("option --rules needs a folder");
                }
            } else if (arg == "--help" || arg == "-h") {
                options.help = true;
            } else if (arg == "--version") {
                options.version = true;
            } else {
                throw CliUsageError("unknown option " + arg);
            }
            continue;
        }
        if (textGiven) {
            throw NomixError("only one search string may be given");
        }
        options.text = arg;
        textGiven = true;
    }
    options.textGiven = textGiven;
    if (options.output == CliOutput::ProductsList && textGiven) {
        throw NomixError("--products-list takes no search string");
    }
    const bool textOptional = options.output == CliOutput::ProductsList || options.familyIsGiven;
    if (!options.help && !options.version && !textGiven && !textOptional) {
        throw NomixError("no search string given (see --help)");
    }
    return options;
}

} // namespace nomix
