// SPDX-License-Identifier: MIT
#include "clioptions.h"

#include "commandline.h"
#include "nomix95version.h"

#include "core/fileerror.h"

#include <charconv>

namespace nomix {

namespace {

const char* const kCliUsage =
    "Usage: nomix95-cli [--dir DIR] [--db FILE] [--config FILE]\n"
    "                   [--begins] [--ends] [--complete] [--products LIST]\n"
    "                   [--family] [--family-is NAME] [--rules DIR]\n"
    "                   [--count | --indices | --tsv | --csv | --json]\n"
    "                   [--names-by-product] STRING\n"
    "   or: nomix95-cli [options] --family-is NAME\n"
    "   or: nomix95-cli [--dir DIR] [--config FILE] --products-list\n"
    "   or: nomix95-cli --server URL [options] [STRING]\n"
    "\n"
    "Looks up STRING in the names every antivirus product gives a virus.\n"
    "\n"
    "  --dir DIR        common directory of the data files\n"
    "  --db FILE        name database file name (default NOMIX.DAT)\n"
    "  --config FILE    product table file name (default NOMIX.CFG)\n"
    "  --server URL     search a team database on a PostgreSQL server instead of\n"
    "                   the files (no --dir, --db or --config), with the same\n"
    "                   answers: URL as libpq takes it,\n"
    "                   postgresql://USER@HOST:PORT/DBNAME or \"host=HOST\n"
    "                   dbname=DBNAME\"; a password from the URL or ~/.pgpass\n"
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

struct OutputOption {
    const char* name;
    CliOutput output;
};

// Each output option wants the whole standard output: asking for two is a
// mistake, not a choice of the last one.
constexpr OutputOption kOutputOptions[] = {
    {"--count", CliOutput::Count},
    {"--indices", CliOutput::Indices},
    {"--tsv", CliOutput::Tsv},
    {"--csv", CliOutput::Csv},
    {"--json", CliOutput::Json},
    {"--names-by-product", CliOutput::NamesByProduct},
    {"--products-list", CliOutput::ProductsList},
};

// What the parser leaves to us: the product numbers, the folder of the
// rules and whether a search string is wanted.
void completeCliOptions(CliOptions& options, const std::vector<std::string>& texts,
                        const std::string& products, bool rulesGiven) {
    if (options.productsGiven) {
        options.products = parseProductList(products);
    }
    if (options.serverGiven && options.serverUrl.empty()) {
        throw NomixError("option --server needs a URL");
    }
    if (rulesGiven && options.rulesFolder.empty()) {
        throw NomixError("option --rules needs a folder");
    }
    if (texts.size() > 1) {
        throw NomixError("only one search string may be given");
    }
    options.textGiven = !texts.empty();
    if (options.textGiven) {
        options.text = texts.front();
    }
    if (options.output == CliOutput::ProductsList && options.textGiven) {
        throw NomixError("--products-list takes no search string");
    }
    const bool textOptional = options.output == CliOutput::ProductsList || options.familyIsGiven;
    if (!options.textGiven && !textOptional) {
        throw NomixError("no search string given (see --help)");
    }
}

} // namespace

std::variant<CliOptions, ExitStatus> parseCliOptions(int argc, const char* const* argv,
                                                     const DataLocation& defaults) {
    CliOptions options;
    options.location = defaults;
    CommandLine line("nomix95-cli", kCliUsage, CommandLine::UsageShown::AfterUnknownOption);
    CLI::App& app = line.app();
    app.set_version_flag("--version", std::string("nomix95-cli ") + kVersion);
    CLI::Option* dir = app.add_option("--dir", options.location.directory);
    CLI::Option* db = app.add_option("--db", options.location.databaseName);
    CLI::Option* config = app.add_option("--config", options.location.tableName);
    CLI::Option* server = app.add_option("--server", options.serverUrl);
    // The lines come from the files or from the server, never both.
    for (CLI::Option* file : {dir, db, config}) {
        line.makeExclusive({server, file});
    }
    app.add_flag("--begins", options.begins);
    app.add_flag("--ends", options.ends);
    app.add_flag("--complete", options.complete);
    std::string products;
    const CLI::Option* productsOption = app.add_option("--products", products);
    std::vector<CLI::Option*> outputs;
    for (const OutputOption& option : kOutputOptions) {
        outputs.push_back(app.add_flag_callback(
            option.name, [&options, output = option.output] { options.output = output; }));
    }
    line.makeExclusive(outputs);
    app.add_flag("--family", options.family);
    const CLI::Option* familyIs = app.add_option("--family-is", options.familyIs);
    const CLI::Option* rules = app.add_option("--rules", options.rulesFolder);
    std::vector<std::string> texts;
    app.add_option("STRING", texts);
    if (const std::optional<ExitStatus> status = line.parse(argc, argv)) {
        return *status;
    }
    options.serverGiven = server->count() > 0;
    options.productsGiven = productsOption->count() > 0;
    options.familyIsGiven = familyIs->count() > 0;
    try {
        completeCliOptions(options, texts, products, rules->count() > 0);
    } catch (const NomixError& e) {
        return line.reject(e.what());
    }
    return options;
}

} // namespace nomix
