// nomix95-cli: the search of the desktop program, for scripts, benchmarks and
// tests. Same data files, same core, same answers.

#include "clioptions.h"

#include "core/datafolderlock.h"
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
#include <memory>
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
        m_buffer.append(text);
        if (m_buffer.size() >= (1u << 20)) {
            flush();
        }
    }
    void put(char c) { m_buffer.push_back(c); }
    void flush() {
        if (!m_buffer.empty()) {
            std::fwrite(m_buffer.data(), 1, m_buffer.size(), stdout);
            m_buffer.clear();
        }
    }

  private:
    std::string m_buffer;
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
            throw NomixError("there is no product " + std::to_string(product) + " (the table has " +
                             std::to_string(productCount) + ")");
        }
        selection.setSelected(static_cast<size_t>(product - 1), true);
    }
    return selection;
}

// One row per hit as it is found: the database is never held whole.
class HitPrinter {
  public:
    HitPrinter(ResultFormat format, const ProductTable& table, const ProductSelection& selection)
        : m_writer(format, titlesOf(table, selection, m_columns),
                   [this](std::string_view bytes) { m_out.put(bytes); }) {
        m_writer.header();
    }

    void row(uint32_t index, std::string_view line) {
        m_names.resize(m_columns.size());
        for (size_t i = 0; i < m_columns.size(); ++i) {
            m_names[i] = fieldViewByChar(static_cast<int32_t>(m_columns[i] + 1), line, '|');
        }
        m_writer.row(index, m_names);
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

    std::vector<size_t> m_columns;
    std::vector<std::string_view> m_names;
    Output m_out;
    ResultWriter m_writer;
};

ResultFormat formatOf(CliOutput output) {
    switch (output) {
    case CliOutput::Csv:
        return ResultFormat::Csv;
    case CliOutput::Json:
        return ResultFormat::JsonLines;
    default:
        return ResultFormat::Tsv;
    }
}

bool isFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string whyNotAFile(const std::string& path) {
    return path + (isFolder(path) ? " is a folder" : " does not exist");
}

std::string noDatabaseMessage(const DataLocation& location) {
    const std::string database = location.databasePath();
    const std::string table = location.tablePath();
    if (!isFolder(database) && !isFolder(table)) {
        return "Could not open the database: neither " + database + " nor " + table + " exists";
    }
    return "Could not open the database: " + whyNotAFile(database) + ", and " + whyNotAFile(table);
}

// The terminal gives UTF-8; the database may be Windows-1252. Only a string
// beyond ASCII depends on which, and finding out reads the whole database.
std::string searchBytes(const std::string& typed, ByteSource& database) {
    const bool ascii = std::all_of(typed.begin(), typed.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) {
        return typed;
    }
    return dataBytesFromUtf8(typed, streamIsUtf8(database));
}

// The database is searched straight from the file, a block at a time, so
// the memory used does not grow with it; the answers are the loaded
// database's.
int run(const CliOptions& options) {
    if (options.text.empty()) {
        throw NomixError("Please, set a search string");
    }
    const DataLocation& location = options.location;
    if (!databaseFilesPresent(location)) {
        throw NomixError(noDatabaseMessage(location));
    }
    // Both files are opened before an import may replace them; what is
    // open stays readable after that.
    auto lock = std::make_unique<DataFolderLock>(location.directory, DataFolderLock::Mode::Read);
    const ProductTable table = readProductTable(location.tablePath(), location.tableName);
    FileByteSource database(location.databasePath());
    lock.reset();
    const size_t productCount = table.entries.size();
    const ProductSelection selection = selectionFor(options, productCount);

    SearchRequest request;
    request.text = searchBytes(options.text, database);
    request.mode = decideMatchMode(options.complete, options.begins, options.ends);
    request.numericOnly = options.output == CliOutput::Count;
    request.allProductsSelected = selection.allSelected();
    request.selected = selection.states();
    request.columnCount = productCount;

    int32_t hitCount = 0;
    switch (options.output) {
    case CliOutput::Count:
        hitCount = streamSearch(database, request);
        std::printf("%d\n", hitCount);
        break;
    case CliOutput::Indices: {
        Output out;
        hitCount = streamSearch(database, request, [&out](uint32_t index, std::string_view) {
            out.put(std::to_string(index));
            out.put('\n');
        });
        break;
    }
    case CliOutput::Tsv:
    case CliOutput::Csv:
    case CliOutput::Json: {
        HitPrinter printer(formatOf(options.output), table, selection);
        hitCount =
            streamSearch(database, request, [&printer](uint32_t index, std::string_view line) {
                printer.row(index, line);
            });
        break;
    }
    }
    return hitCount > 0 ? kExitHits : kExitNoHits;
}

} // namespace

int main(int argc, char** argv) {
    const DataLocation defaults{defaultCommonDirectory(runningProgramDir()), "NOMIX.DAT",
                                "NOMIX.CFG"};
    try {
        const CliOptions options =
            parseCliOptions(std::vector<std::string>(argv + 1, argv + argc), defaults);
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
