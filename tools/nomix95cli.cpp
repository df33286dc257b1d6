// nomix95-cli: the search of the desktop program, for scripts, benchmarks and
// tests. Same data files, same core, same answers.

#include "clioptions.h"

#include "core/fields.h"
#include "core/inouterror.h"
#include "core/productselection.h"
#include "core/utf8.h"

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
            throw ENomixError("there is no product " + std::to_string(product) +
                              " (the table has " + std::to_string(productCount) + ")");
        }
        selection.setSelected(static_cast<size_t>(product - 1), true);
    }
    return selection;
}

// A name is bytes in which a tab or a line feed may stand (a lone LF is an
// ordinary byte of a line): escaped, they cannot split a row or a column.
const char* TsvEscape(char c) {
    switch (c) {
    case '\t':
        return "\\t";
    case '\n':
        return "\\n";
    case '\r':
        return "\\r";
    case '\\':
        return "\\\\";
    default:
        return nullptr;
    }
}

void putEscaped(Output& out, std::string_view text) {
    size_t run = 0; // start of the bytes not yet written
    for (size_t i = 0; i < text.size(); ++i) {
        if (const char* escape = TsvEscape(text[i])) {
            out.put(text.substr(run, i - run));
            out.put(escape);
            run = i + 1;
        }
    }
    out.put(text.substr(run));
}

// Printed in UTF-8, as the desktop program shows the name.
void putTsvField(Output& out, std::string_view bytes) {
    if (IsValidUtf8Bytes(bytes.data(), bytes.size())) {
        putEscaped(out, bytes);
    } else {
        putEscaped(out, DisplayUtf8(bytes));
    }
}

void printTsv(const Database& db, const ProductSelection& selection, const SearchOutcome& outcome) {
    Output out;
    const size_t n = db.table.entries.size();
    bool first = true;
    for (size_t c = 0; c < n; ++c) {
        if (selection.isSelected(c)) {
            out.put(first ? "" : "\t");
            putTsvField(out, db.table.entries[c]);
            first = false;
        }
    }
    out.put('\n');
    for (uint32_t hit : outcome.hits) {
        const std::string_view line = db.names.lines.at(hit);
        first = true;
        for (size_t c = 0; c < n; ++c) {
            if (selection.isSelected(c)) {
                out.put(first ? "" : "\t");
                putTsvField(out, FieldViewByChar(static_cast<int32_t>(c + 1), line, '|'));
                first = false;
            }
        }
        out.put('\n');
    }
}

void printIndices(const SearchOutcome& outcome) {
    Output out;
    for (uint32_t hit : outcome.hits) {
        out.put(std::to_string(hit));
        out.put('\n');
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
std::string SearchBytes(const std::string& typed, const DatabaseLines& lines) {
    const bool ascii = std::all_of(typed.begin(), typed.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) {
        return typed;
    }
    return DataBytesFromUtf8(typed, IsValidUtf8Bytes(lines.data(), lines.dataSize()));
}

int run(const CliOptions& options) {
    if (options.text.empty()) {
        throw ENomixError("Please, set a search string");
    }
    std::optional<Database> db = LoadDatabaseFiles(options.location);
    if (!db) {
        throw ENomixError(NoDatabaseMessage(options.location));
    }
    const size_t productCount = db->table.entries.size();
    const ProductSelection selection = selectionFor(options, productCount);

    SearchRequest request;
    request.text = SearchBytes(options.text, db->names.lines);
    request.mode = DecideMatchMode(options.complete, options.begins, options.ends);
    request.numericOnly = options.output == CliOutput::Count;
    request.allProductsSelected = selection.allSelected();
    request.selected = selection.states();
    request.columnCount = productCount;
    const SearchOutcome outcome = RunSearch(db->names.lines, request);

    switch (options.output) {
    case CliOutput::Count:
        std::printf("%d\n", outcome.hitCount);
        break;
    case CliOutput::Indices:
        printIndices(outcome);
        break;
    case CliOutput::Tsv:
        printTsv(*db, selection, outcome);
        break;
    }
    return outcome.hitCount > 0 ? kExitHits : kExitNoHits;
}

} // namespace

int main(int argc, char** argv) {
    const DataLocation defaults{NOMIX_DEFAULT_DATA_DIR, "NOMIX.DAT", "NOMIX.CFG"};
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
    } catch (const ECliUsageError& e) {
        std::fprintf(stderr, "nomix95-cli: %s\n%s", e.what(), kCliUsage);
    } catch (const EInOutError& e) {
        std::fprintf(stderr, "nomix95-cli: %s: %s\n", e.path().c_str(), e.what());
    } catch (const std::bad_alloc&) {
        std::fputs("nomix95-cli: Out of memory\n", stderr);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "nomix95-cli: %s\n", e.what());
    }
    return kExitError;
}
