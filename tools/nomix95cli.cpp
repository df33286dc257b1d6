// SPDX-License-Identifier: MIT
// nomix95-cli: the search of the desktop program, for scripts, benchmarks and
// tests. Same data files, same core, same answers.

#include "clioptions.h"
#include "filelinesource.h"
#ifdef NOMIX_HAVE_SERVER
#include "serverlinesource.h"
#endif

#include "core/database.h"
#include "core/fields.h"
#include "core/fileerror.h"
#include "core/labelling/familyvote.h"
#include "core/labelling/labellingrules.h"
#include "core/namesbyproduct.h"
#include "core/productselection.h"
#include "core/producttable.h"
#include "core/resultwriter.h"
#include "core/utf8.h"
#include "platform/datafolder.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <variant>
#include <vector>

using namespace nomix;

namespace {

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
    HitPrinter(ResultFormat format, const ProductTable& table, const ProductSelection& selection,
               bool withFamily)
        : m_writer(
              format, titlesOf(table, selection, m_columns),
              [this](std::string_view bytes) { m_out.put(bytes); }, withFamily) {
        m_writer.header();
    }
    ~HitPrinter() { m_writer.finish(); }

    void row(uint64_t index, std::string_view line, std::string_view family) {
        m_names.resize(m_columns.size());
        for (size_t i = 0; i < m_columns.size(); ++i) {
            m_names[i] = fieldViewByChar(static_cast<int32_t>(m_columns[i] + 1), line, '|');
        }
        m_writer.row(index, m_names, family);
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

// Data bytes as the terminal reads them, one TSV field.
void putTsvField(Output& out, std::string_view bytes) {
    std::string field;
    appendTsvField(field, isValidUtf8Bytes(bytes.data(), bytes.size()) ? std::string(bytes)
                                                                       : displayUtf8(bytes));
    out.put(field);
}

ExitStatus listProducts(const ProductTable& table) {
    Output out;
    for (size_t i = 0; i < table.entries.size(); ++i) {
        const ProductItem item = splitProductEntry(table.entries[i]);
        const std::string name = productName(table.entries[i]);
        out.put(std::to_string(i + 1));
        out.put('\t');
        putTsvField(out, name);
        out.put('\t');
        putTsvField(out, std::string_view(item.version).substr(item.version.empty() ? 0 : 1));
        out.put('\t');
        // A one-word entry is the name alone.
        putTsvField(out, name == item.date ? std::string_view() : std::string_view(item.date));
        out.put('\n');
    }
    return table.entries.empty() ? ExitStatus::NoHits : ExitStatus::Hits;
}

void printNamesByProduct(const ProductNameTally& tally, const ProductTable& table,
                         const ProductSelection& selection) {
    Output out;
    const std::vector<std::vector<NameCount>> products = tally.result();
    for (size_t p = 0; p < products.size(); ++p) {
        if (!selection.isSelected(p)) {
            continue;
        }
        const std::string product = productName(table.entries[p]);
        for (const NameCount& name : products[p]) {
            putTsvField(out, product);
            out.put('\t');
            putTsvField(out, name.name);
            out.put('\t');
            out.put(std::to_string(name.count));
            out.put('\n');
        }
    }
}

// Family NAME as typed: families are voted in lower case.
std::string familyAsVoted(const std::string& typed) {
    std::string family = typed;
    for (char& c : family) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return family;
}

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

// The lines of the data folder's files, or of a team database when the
// command line names a server.
std::unique_ptr<LineSource> openLineSource(const CliOptions& options) {
#ifdef NOMIX_HAVE_SERVER
    if (options.serverGiven) {
        return std::make_unique<ServerLineSource>(options.serverUrl);
    }
#else
    if (options.serverGiven) {
        throw NomixError("this nomix95-cli was built without the team database (--server)");
    }
#endif
    return std::make_unique<FileLineSource>(options.location);
}

// The terminal gives UTF-8; the database may be Windows-1252. Only a string
// beyond ASCII depends on which, and finding out reads the whole database.
std::string searchBytes(const std::string& typed, LineSource& lines) {
    const bool ascii = std::all_of(typed.begin(), typed.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) {
        return typed;
    }
    return dataBytesFromUtf8(typed, lines.isUtf8());
}

// The database is searched straight from the file, a block at a time, or by
// the server, so the memory used does not grow with it; the answers are the
// loaded database's. A family is voted per hit, as the hit passes.
ExitStatus run(const CliOptions& options) {
    const DataLocation& location = options.location;
    if (options.output == CliOutput::ProductsList) {
        if (options.serverGiven) {
            return listProducts(openLineSource(options)->productTable());
        }
        return listProducts(readProductTable(location.tablePath(), location.tableName));
    }
    if (options.textGiven && options.text.empty()) {
        throw NomixError("Please, set a search string");
    }
    const std::unique_ptr<LineSource> lines = openLineSource(options);
    const ProductTable& table = lines->productTable();
    const size_t productCount = table.entries.size();
    const ProductSelection selection = selectionFor(options, productCount);

    std::unique_ptr<FamilyVote> vote;
    const bool wantsFamily =
        options.familyIsGiven ||
        (options.family && (options.output == CliOutput::Tsv || options.output == CliOutput::Csv ||
                            options.output == CliOutput::Json));
    if (wantsFamily) {
        const std::string rules = options.rulesFolder.empty()
                                      ? defaultLabellingFolder(runningProgramDir())
                                      : options.rulesFolder;
        vote = std::make_unique<FamilyVote>(LabellingRules::fromFolder(rules), table);
    }
    FamilyVote::Scratch scratch;
    const std::string wantedFamily = familyAsVoted(options.familyIs);

    SearchRequest request;
    if (options.textGiven) {
        request.text = searchBytes(options.text, *lines);
    }
    request.mode = decideMatchMode(options.complete, options.begins, options.ends);
    request.numericOnly = options.output == CliOutput::Count && !options.familyIsGiven;
    request.allProductsSelected = selection.allSelected();
    request.selected = selection.states();
    request.columnCount = productCount;

    // Each hit of the search (each line, when only a family is asked for)
    // goes to `onHit` with its family, unless the family is not the one asked for.
    int64_t hitCount = 0;
    const auto forEachHit =
        [&](const std::function<void(uint64_t, std::string_view, std::string_view)>& onHit) {
            const LineSource::LineHandler handler = [&](uint64_t index, std::string_view line) {
                const std::string_view family = vote ? vote->familyOf(line, scratch) : "";
                if (options.familyIsGiven && family != wantedFamily) {
                    return;
                }
                ++hitCount;
                if (onHit) {
                    onHit(index, line, family);
                }
            };
            if (options.textGiven) {
                lines->search(request, handler);
            } else {
                lines->forEachLine(handler);
            }
        };

    switch (options.output) {
    case CliOutput::Count:
        if (request.numericOnly) {
            hitCount = lines->search(request, {});
        } else {
            forEachHit({});
        }
        std::printf("%lld\n", static_cast<long long>(hitCount));
        break;
    case CliOutput::Indices: {
        Output out;
        forEachHit([&out](uint64_t index, std::string_view, std::string_view) {
            out.put(std::to_string(index));
            out.put('\n');
        });
        break;
    }
    case CliOutput::NamesByProduct: {
        ProductNameTally tally(productCount);
        forEachHit(
            [&tally](uint64_t, std::string_view line, std::string_view) { tally.addLine(line); });
        printNamesByProduct(tally, table, selection);
        break;
    }
    case CliOutput::Tsv:
    case CliOutput::Csv:
    case CliOutput::Json: {
        HitPrinter printer(formatOf(options.output), table, selection, options.family);
        forEachHit([&printer](uint64_t index, std::string_view line, std::string_view family) {
            printer.row(index, line, family);
        });
        break;
    }
    case CliOutput::ProductsList:
        break;
    }
    return hitCount > 0 ? ExitStatus::Hits : ExitStatus::NoHits;
}

} // namespace

int main(int argc, char** argv) {
    const DataLocation defaults{defaultCommonDirectory(runningProgramDir()), kNameDatabaseFileName,
                                kProductTableFileName};
    const std::variant<CliOptions, ExitStatus> parsed = parseCliOptions(argc, argv, defaults);
    if (const ExitStatus* status = std::get_if<ExitStatus>(&parsed)) {
        return exitCode(*status);
    }
    try {
        return exitCode(run(std::get<CliOptions>(parsed)));
    } catch (const FileError& e) {
        std::fprintf(stderr, "nomix95-cli: %s: %s\n", e.path().c_str(), e.what());
    } catch (const std::bad_alloc&) {
        std::fputs("nomix95-cli: Out of memory\n", stderr);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "nomix95-cli: %s\n", e.what());
    }
    return exitCode(ExitStatus::Error);
}
