// nomix95-cli: the search of the desktop program, for scripts, benchmarks and
// tests. Same data files, same core, same answers.

#include "clioptions.h"

#include "core/fields.h"
#include "core/fileerror.h"
#include "core/productselection.h"
#include "core/producttable.h"
#include "core/resultwriter.h"
#include "core/streamsearch.h"
#include "core/utf8.h"
#include "platform/datafolder.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <string>
#include <sys/stat.h>
#include <vector>

using namespace nomix;

namespace {

constexpr int kExitHits = 0;
constexpr int kExitNoHits = 1;
constexpr int kExitError = 2;

// Buffered standard output: hit lists run to millions of lines.
class Output {
  public:
    ~Output() { flush(); }
    void put(std::string_view text) {
        buffer_.append(text);
        if (buffer_.size() >= (1u << 20)) {
            flush();
        }
    }
    void put(char c) { buffer_.push_back(c); }
    void flush() {
        if (!buffer_.empty()) {
            std::fwrite(buffer_.data(), 1, buffer_.size(), stdout);
            buffer_.clear();
        }
    }

  private:
    std::string buffer_;
};

ProductSelection selectionFor(const CliOptions& options, size_t productCount) {
    ProductSelection selection(productCount);
    if (!options.productsGiven) {
        return selection;
    }
    for (size_t i = 0; i < productCount; ++i) {
        selection.setSelected(i, false);
    }
    for (int product : options.products) {
        if (static_cast<size_t>(product) > productCount) {
            throw NomixError("there is no product " + std::to_string(product) +
                              " (the table has " + std::to_string(productCount) + ")");
        }
        selection.setSelected(static_cast<size_t>(product - 1), true);
    }
    return selection;
}

// One row per hit as it is found: the database is never held whole.
class HitPrinter {
  public:
    HitPrinter(ResultFormat format, const ProductTable& table, const ProductSelection& selection)
        : writer_(format, titlesOf(table, selection, columns_),
                  [this](std::string_view bytes) { out_.put(bytes); }) {
        writer_.header();
    }

    void row(uint32_t index, std::string_view line) {
        names_.resize(columns_.size());
        for (size_t i = 0; i < columns_.size(); ++i) {
            names_[i] = FieldViewByChar(static_cast<int32_t>(columns_[i] + 1), line, '|');
        }
        writer_.row(index, names_);
    }

  private:
    static std::vector<std::string> titlesOf(const ProductTable& table,
                                             const ProductSelection& selection,
                                             std::vector<size_t>& columns) {
        std::vector<std::string> titles;
        for (size_t c = 0; c < table.entries.size(); ++c) {
            if (selection.isSelected(c)) {
                columns.push_back(c);
                titles.push_back(table.entries[c]);
            }
        }
        return titles;
    }

    std::vector<size_t> columns_;
    std::vector<std::string_view> names_;
    Output out_;
    ResultWriter writer_;
};

ResultFormat FormatOf(CliOutput output) {
    switch (output) {
    case CliOutput::Csv:
        return ResultFormat::Csv;
    case CliOutput::Json:
        return ResultFormat::JsonLines;
    default:
        return ResultFormat::Tsv;
    }
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string WhyNotAFile(const std::string& path) {
    return path + (IsFolder(path) ? " is a folder" : " does not exist");
}

std::string NoDatabaseMessage(const DataLocation& location) {
    const std::string database = location.databasePath();
    const std::string table = location.tablePath();
    if (!IsFolder(database) && !IsFolder(table)) {
        return "Could not open the database: neither " + database + " nor " + table + " exists";
    }
    return "Could not open the database: " + WhyNotAFile(database) + ", and " + WhyNotAFile(table);
}

// The terminal gives UTF-8; the database may be Windows-1252. Only a string
// beyond ASCII depends on which, and finding out reads the whole database.
std::string SearchBytes(const std::string& typed, ByteSource& database) {
    const bool ascii = std::all_of(typed.begin(), typed.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) {
        return typed;
    }
    return DataBytesFromUtf8(typed, StreamIsUtf8(database));
}

// The database is searched straight from the file, a block at a time, so
// the memory used does not grow with it; the answers are the loaded
// database's.
int run(const CliOptions& options) {
    if (options.text.empty()) {
        throw NomixError("Please, set a search string");
    }
    const DataLocation& location = options.location;
    if (!DatabaseFilesPresent(location)) {
        throw NomixError(NoDatabaseMessage(location));
    }
    const ProductTable table = ReadProductTable(location.tablePath(), location.tableName);
    FileByteSource database(location.databasePath());
    const size_t productCount = table.entries.size();
    const ProductSelection selection = selectionFor(options, productCount);

    SearchRequest request;
    request.text = SearchBytes(options.text, database);
    request.mode = DecideMatchMode(options.complete, options.begins, options.ends);
    request.numericOnly = options.output == CliOutput::Count;
    request.allProductsSelected = selection.allSelected();
    request.selected = selection.states();
    request.columnCount = productCount;

    int32_t hitCount = 0;
    switch (options.output) {
    case CliOutput::Count:
        hitCount = StreamSearch(database, request);
        std::printf("%d\n", hitCount);
        break;
    case CliOutput::Indices: {
        Output out;
        hitCount = StreamSearch(database, request, [&out](uint32_t index, std::string_view) {
            out.put(std::to_string(index));
            out.put('\n');
        });
        break;
    }
    case CliOutput::Tsv:
    case CliOutput::Csv:
    case CliOutput::Json: {
        HitPrinter printer(FormatOf(options.output), table, selection);
        hitCount =
            StreamSearch(database, request, [&printer](uint32_t index, std::string_view line) {
                printer.row(index, line);
            });
        break;
    }
    }
    return hitCount > 0 ? kExitHits : kExitNoHits;
}

} // namespace

int main(int argc, char** argv) {
    const DataLocation defaults{DefaultCommonDirectory(RunningProgramDir()), "NOMIX.DAT",
                                "NOMIX.CFG"};
    try {
        const CliOptions options =
            ParseCliOptions(std::vector<std::string>(argv + 1, argv + argc), defaults);
        if (options.help) {
            std::fputs(kCliUsage, stdout);
            return 0;
        }
        if (options.version) {
            std::puts("nomix95-cli 1.1.0");
            return 0;
        }
        return run(options);
    } catch (const CliUsageError& e) {
        std::fprintf(stderr, "nomix95-cli: %s\n%s", e.what(), kCliUsage);
    } catch (const FileError& e) {
        std::fprintf(stderr, "nomix95-cli: %s: %s\n", e.path().c_str(), e.what());
    } catch (const std::bad_alloc&) {
        std::fputs("nomix95-cli: Out of memory\n", stderr);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "nomix95-cli: %s\n", e.what());
    }
    return kExitError;
}
