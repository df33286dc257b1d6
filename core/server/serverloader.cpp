// SPDX-License-Identifier: MIT
#include "serverloader.h"

#include "copystream.h"
#include "serverconnection.h"
#include "servererror.h"
#include "serverschema.h"
#include "servertransaction.h"

#include "core/asciifinder.h"
#include "core/database.h"
#include "core/datafolderlock.h"
#include "core/fileerror.h"
#include "core/import/scanreports.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace nomix {

namespace {

constexpr size_t kLinesPerStopCheck = 4096;
constexpr std::string_view kNotInReport = "~not in report";
constexpr std::string_view kHashProduct = "SHA-256";
// Per product of an imported database: the newest analysis that named its
// engine, whose version and update date the product's entry shows.
const std::string kEngineDateKey = "engine date:";

struct Folder {
    Database database;
    std::optional<ImportRecord> record;
    std::string namesPath;
};

Folder readFolder(const std::string& dir) {
    const DataLocation location{dir, kNameDatabaseFileName, kProductTableFileName};
    // Both files and the record from one import, not two.
    const DataFolderLock lock(dir, DataFolderLock::Mode::Read);
    std::optional<Database> database = loadDatabaseFiles(location);
    if (!database) {
        throw ImportError(dir + ": no " + kProductTableFileName + " and " + kNameDatabaseFileName +
                          " there");
    }
    Folder folder{std::move(*database), readImportRecord(dir), location.databasePath()};
    if (folder.record &&
        folder.record->analysisDates.size() != folder.database.names.lines.count()) {
        folder.record.reset();
    }
    return folder;
}

// Line k as the file holds it, line end excluded. The lines keep only the
// text between the first and last byte, which is all of a line of one or
// two bytes (they have none); those are read up to their line end.
std::string_view rawLine(const DatabaseLines& lines, size_t k, char terminator) {
    const size_t begin = lines.beginOf(k);
    const size_t end = lines.endOf(k);
    if (end > begin) {
        return std::string_view(lines.data() + begin - 1, end - begin + 2);
    }
    size_t stop = begin;
    while (stop < lines.dataSize() && stop - begin < 2 && lines.data()[stop] != terminator) {
        ++stop;
    }
    return std::string_view(lines.data() + begin, stop - begin);
}

// The text the search looks at: the line without its first and last byte.
std::string_view searchedText(std::string_view raw) {
    return raw.size() > 2 ? raw.substr(1, raw.size() - 2) : std::string_view();
}

// Each non-empty field of the searched text with its column, numbered as the
// search numbers them: a run of bars is one separator.
template <typename Take> void forEachField(std::string_view text, Take take) {
    int32_t column = 0;
    size_t start = 0;
    while (start < text.size()) {
        const size_t bar = std::min(text.find('|', start), text.size());
        if (bar > start) {
            take(column++, text.substr(start, bar - start));
        }
        start = bar + 1;
    }
}

bool isSampleHash(std::string_view text) {
    return text.size() == 64 && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

std::string_view firstField(std::string_view text) {
    std::string_view first;
    forEachField(text, [&first](int32_t column, std::string_view field) {
        if (column == 0) {
            first = field;
        }
    });
    return first;
}

void checkStop(const StopCheck& stopRequested) {
    if (stopRequested && stopRequested()) {
        throw ImportStopped();
    }
}

void refuseNul(std::string_view raw, const std::string& path, size_t k) {
    if (raw.find('\0') != std::string_view::npos) {
        throw ImportError(path + ": line " + std::to_string(k + 1) +
                          " holds a NUL byte, which the team database cannot hold");
    }
}

// The names of some lines, each once, with the ids the server gives them.
class NameIds {
  public:
    // The ids of the names of a searched text, each once, sorted: the array
    // the line's row holds.
    std::string idsOf(std::string_view text) const {
        m_lineIds.clear();
        forEachField(text, [this](int32_t, std::string_view field) {
            m_lineIds.push_back(m_ids.at(field));
        });
        std::sort(m_lineIds.begin(), m_lineIds.end());
        m_lineIds.erase(std::unique(m_lineIds.begin(), m_lineIds.end()), m_lineIds.end());
        std::string array = "{";
        for (const int32_t id : m_lineIds) {
            if (array.size() > 1) {
                array += ',';
            }
            array += std::to_string(id);
        }
        return array + '}';
    }

    // Gathers the names of a searched text.
    void gather(std::string_view text) {
        forEachField(text, [this](int32_t, std::string_view field) {
            if (m_ids.try_emplace(field, 0).second) {
                m_order.push_back(field);
            }
        });
    }

    // For a table the server has just emptied: numbers the names 1, 2, ...
    // and copies them in.
    void copyAllNew(ServerConnection& connection) {
        CopyStream copy(connection, "COPY nomix.names (id, name, upper_name) FROM STDIN");
        int32_t id = 0;
        for (const std::string_view name : m_order) {
            m_ids[name] = ++id;
            copy.number(id).text(name).text(upperCaseAscii(name)).endRow();
        }
        copy.finish();
        connection.exec("SELECT setval(pg_get_serial_sequence('nomix.names', 'id'), "
                        "greatest($1::int, 1), $1::int > 0)",
                        {std::to_string(id)});
    }

    // Adds the names the server lacks and learns every name's id.
    void mergeInto(ServerConnection& connection) {
        connection.run("CREATE TEMP TABLE incoming_names (name text, upper_name text) "
                       "ON COMMIT DROP");
        {
            CopyStream copy(connection, "COPY incoming_names (name, upper_name) FROM STDIN");
            for (const std::string_view name : m_order) {
                copy.text(name).text(upperCaseAscii(name)).endRow();
            }
            copy.finish();
        }
        connection.run("INSERT INTO nomix.names (name, upper_name) SELECT name, upper_name "
                       "FROM incoming_names ON CONFLICT (name) DO NOTHING");
        const ServerResult ids = connection.exec(
            "SELECT n.id, n.name FROM nomix.names n JOIN incoming_names USING (name)");
        for (size_t row = 0; row < ids.rows(); ++row) {
            m_ids[ids.text(row, 1)] = static_cast<int32_t>(ids.number(row, 0));
        }
    }

  private:
    std::unordered_map<std::string_view, int32_t> m_ids;
    std::vector<std::string_view> m_order;
    mutable std::vector<int32_t> m_lineIds; // idsOf's, kept for its capacity
};

void setMeta(ServerConnection& connection, const std::string& key, const std::string& value) {
    connection.exec("INSERT INTO nomix.meta (key, value) VALUES ($1, $2) "
                    "ON CONFLICT (key) DO UPDATE SET value = excluded.value",
                    {key, value});
}

std::optional<int64_t> engineDate(ServerConnection& connection, const std::string& product) {
    const ServerResult date =
        connection.exec("SELECT value FROM nomix.meta WHERE key = $1", {kEngineDateKey + product});
    if (date.rows() == 0) {
        return std::nullopt;
    }
    return date.number(0, 0);
}

ServerLoad replaceWith(ServerConnection& connection, const Folder& folder,
                       const StopCheck& stopRequested) {
    const ProductTable& table = folder.database.table;
    const DatabaseLines& lines = folder.database.names.lines;
    connection.run("TRUNCATE nomix.names, nomix.lines, nomix.products RESTART IDENTITY; "
                   "DELETE FROM nomix.meta WHERE key <> 'schema'");
    dropSearchIndexes(connection);
    setMeta(connection, "label", table.label);
    {
        CopyStream copy(connection, "COPY nomix.products (position, entry) FROM STDIN");
        for (size_t i = 0; i < table.entries.size(); ++i) {
            copy.number(static_cast<int64_t>(i)).text(table.entries[i]).endRow();
        }
        copy.finish();
    }
    if (folder.record) {
        for (const ImportRecord::Engine& engine : folder.record->engines) {
            setMeta(connection, kEngineDateKey + engine.product, std::to_string(engine.newestDate));
        }
    }
    const bool hashed = !table.entries.empty() && productName(table.entries[0]) == kHashProduct;
    const char terminator =
        std::memchr(lines.data(), '\r', lines.dataSize()) != nullptr ? '\r' : '\n';
    // Every name gets its id before the first line, whose row holds them.
    NameIds names;
    for (size_t k = 0; k < lines.count(); ++k) {
        const std::string_view raw = rawLine(lines, k, terminator);
        refuseNul(raw, folder.namesPath, k);
        names.gather(searchedText(raw));
        if ((k + 1) % kLinesPerStopCheck == 0) {
            checkStop(stopRequested);
        }
    }
    names.copyAllNew(connection);
    std::unordered_set<std::string_view> hashes;
    {
        CopyStream copy(connection, "COPY nomix.lines (position, sha256, analysis_date, line, "
                                    "name_ids) FROM STDIN");
        for (size_t k = 0; k < lines.count(); ++k) {
            const std::string_view raw = rawLine(lines, k, terminator);
            const std::string_view text = searchedText(raw);
            copy.number(static_cast<int64_t>(k));
            // A hash seen before stays with its first line: each sample once.
            const std::string_view hash = hashed ? firstField(text) : std::string_view();
            if (isSampleHash(hash) && hashes.insert(hash).second) {
                copy.text(hash);
            } else {
                copy.null();
            }
            if (folder.record) {
                copy.number(folder.record->analysisDates[k]);
            } else {
                copy.null();
            }
            copy.text(raw).text(names.idsOf(text)).endRow();
            if ((k + 1) % kLinesPerStopCheck == 0) {
                checkStop(stopRequested);
            }
        }
        copy.finish();
    }
    createSearchIndexes(connection);
    // The planner's guess of how many lines an array of ids finds comes
    // from these statistics; without them it may walk the whole table.
    connection.run("ANALYZE nomix.names, nomix.lines");
    checkStop(stopRequested);
    return ServerLoad{lines.count(), table.entries.size(), lines.count(), 0};
}

// The fields of a line an import wrote: "|hash|field|...|field|", one bar
// between fields, so an empty field keeps its place.
std::vector<std::string_view> importedFields(std::string_view raw) {
    std::vector<std::string_view> fields;
    const std::string_view inner = searchedText(raw);
    size_t start = 0;
    for (;;) {
        const size_t bar = inner.find('|', start);
        fields.push_back(inner.substr(start, bar - start));
        if (bar == std::string_view::npos) {
            return fields;
        }
        start = bar + 1;
    }
}

} // namespace

ServerLoad replaceServerData(ServerConnection& connection, const std::string& dir,
                             const StopCheck& stopRequested) {
    const Folder folder = readFolder(dir);
    ServerTransaction transaction(connection);
    ensureSchema(connection);
    const ServerLoad load = replaceWith(connection, folder, stopRequested);
    transaction.commit();
    return load;
}

ServerLoad addToServerData(ServerConnection& connection, const std::string& dir,
                           const std::optional<std::string>& label,
                           const StopCheck& stopRequested) {
    const Folder folder = readFolder(dir);
    if (!folder.record) {
        throw ImportError(dir + ": not written by an import of scan reports");
    }
    ServerTransaction transaction(connection);
    ensureSchema(connection);
    // Other imports wait; searches go on reading what was committed.
    connection.run("LOCK TABLE nomix.lines IN EXCLUSIVE MODE");
    const ServerResult held = connection.exec("SELECT entry FROM nomix.products ORDER BY position");
    if (held.rows() == 0) {
        ServerLoad load = replaceWith(connection, folder, stopRequested);
        if (label) {
            setMeta(connection, "label", *label);
        }
        transaction.commit();
        return load;
    }
    std::vector<std::string> serverEntries;
    for (size_t row = 0; row < held.rows(); ++row) {
        serverEntries.emplace_back(held.text(row, 0));
    }
    const std::vector<std::string> serverProducts = uniqueProductNames(serverEntries);
    const ProductTable& table = folder.database.table;
    const std::vector<std::string> newProducts = uniqueProductNames(table.entries);
    if (serverProducts.front() != kHashProduct || newProducts.empty() ||
        newProducts.front() != kHashProduct) {
        throw ImportError("the team database at " + connection.serverName() +
                          " was not loaded from scan reports: its lines have no sample "
                          "hashes to add to");
    }
    // Where each of the new database's columns stands in the server's lines.
    std::vector<size_t> columnOf(newProducts.size());
    std::string missing;
    for (size_t i = 0; i < newProducts.size(); ++i) {
        const auto found = std::find(serverProducts.begin(), serverProducts.end(), newProducts[i]);
        if (found == serverProducts.end()) {
            missing += (missing.empty() ? "" : ", ") + newProducts[i];
        }
        columnOf[i] = static_cast<size_t>(found - serverProducts.begin());
    }
    if (!missing.empty()) {
        throw ImportError("the reports name engines the team database at " +
                          connection.serverName() + " has no product for (" + missing +
                          "); import all reports again with --server URL FILE...");
    }

    const DatabaseLines& lines = folder.database.names.lines;
    const char terminator =
        std::memchr(lines.data(), '\r', lines.dataSize()) != nullptr ? '\r' : '\n';
    // The lines in the server's columns, and the ids of their names, before
    // any row is sent. The names of a line an older analysis loses to stay
    // unused, as those of a replaced line do: harmless to the search.
    std::vector<std::string> composed(lines.count());
    std::vector<std::string_view> hashes(lines.count());
    NameIds names;
    std::vector<std::string_view> placed(serverProducts.size());
    for (size_t k = 0; k < lines.count(); ++k) {
        const std::string_view raw = rawLine(lines, k, terminator);
        refuseNul(raw, folder.namesPath, k);
        const std::vector<std::string_view> fields = importedFields(raw);
        std::fill(placed.begin(), placed.end(), kNotInReport);
        for (size_t i = 0; i < fields.size() && i < columnOf.size(); ++i) {
            placed[columnOf[i]] = fields[i];
        }
        std::string& line = composed[k];
        for (const std::string_view field : placed) {
            line += '|';
            line += field;
        }
        line += '|';
        hashes[k] = fields.front();
        names.gather(searchedText(line));
        if ((k + 1) % kLinesPerStopCheck == 0) {
            checkStop(stopRequested);
        }
    }
    names.mergeInto(connection);
    connection.run("CREATE TEMP TABLE incoming_lines (sha256 text, analysis_date bigint, "
                   "line text, name_ids int[], ord bigint) ON COMMIT DROP");
    {
        CopyStream copy(connection, "COPY incoming_lines (sha256, analysis_date, line, name_ids, "
                                    "ord) FROM STDIN");
        for (size_t k = 0; k < lines.count(); ++k) {
            copy.text(hashes[k])
                .number(folder.record->analysisDates[k])
                .text(composed[k])
                .text(names.idsOf(searchedText(composed[k])))
                .number(static_cast<int64_t>(k))
                .endRow();
            if ((k + 1) % kLinesPerStopCheck == 0) {
                checkStop(stopRequested);
            }
        }
        copy.finish();
    }
    // A newer analysis, or one as new, replaces the line in its place; a new
    // sample goes to the end, in the order the reports gave them.
    const ServerResult replaced =
        connection.exec("UPDATE nomix.lines l SET line = i.line, analysis_date = i.analysis_date, "
                        "name_ids = i.name_ids FROM incoming_lines i WHERE l.sha256 = i.sha256 "
                        "AND (l.analysis_date IS NULL OR i.analysis_date >= l.analysis_date)");
    const ServerResult added = connection.exec(
        "INSERT INTO nomix.lines (position, sha256, analysis_date, line, name_ids) "
        "SELECT m.top + row_number() OVER (ORDER BY i.ord), i.sha256, i.analysis_date, i.line, "
        "i.name_ids "
        "FROM incoming_lines i, (SELECT coalesce(max(position), -1) AS top FROM nomix.lines) m "
        "WHERE NOT EXISTS (SELECT 1 FROM nomix.lines l WHERE l.sha256 = i.sha256)");

    // A product's entry shows the engine's version of its newest analysis.
    for (const ImportRecord::Engine& engine : folder.record->engines) {
        const auto found = std::find(newProducts.begin(), newProducts.end(), engine.product);
        const std::optional<int64_t> heldDate = engineDate(connection, engine.product);
        if (found == newProducts.end() || (heldDate && *heldDate > engine.newestDate)) {
            continue;
        }
        const size_t i = static_cast<size_t>(found - newProducts.begin());
        connection.exec("UPDATE nomix.products SET entry = $1 WHERE position = $2::int",
                        {table.entries[i], std::to_string(columnOf[i])});
        setMeta(connection, kEngineDateKey + engine.product, std::to_string(engine.newestDate));
    }
    const size_t total =
        static_cast<size_t>(connection.exec("SELECT count(*) FROM nomix.lines").number(0, 0));
    setMeta(connection, "label", label ? *label : defaultImportLabel(total, std::time(nullptr)));
    checkStop(stopRequested);
    transaction.commit();
    return ServerLoad{total, serverProducts.size(), added.affectedRows(), replaced.affectedRows()};
}

} // namespace nomix
