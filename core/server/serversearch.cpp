// SPDX-License-Identifier: MIT
#include "serversearch.h"

#include "serverconnection.h"
#include "servererror.h"
#include "serverschema.h"
#include "servertransaction.h"

#include "core/linematcher.h"
#include "core/utf8.h"

#include <optional>
#include <string>
#include <vector>

namespace nomix {

namespace {

// Rows per FETCH: the first hits are shown while the server still sends the
// rest, and a stop is seen soon.
constexpr const char* kFetch = "FETCH 1000 FROM nomix_lines";

// Beyond this many names holding the string, reading every line is faster
// than asking the lines' index for each name (measured on 100,000 lines of
// 70 fields and 2.2 million names: 7,700 names took 3 s through the index,
// reading all lines 5 s).
constexpr size_t kMostNamesToNarrow = 10000;

// The lines are read in one snapshot, so an import committed meanwhile is
// seen whole or not at all. Inside the caller's transaction when one is open
// (the caller then decides what the snapshot is).
class ReadTransaction {
  public:
    explicit ReadTransaction(ServerConnection& connection) {
        if (!connection.inTransaction()) {
            m_own.emplace(connection);
            connection.run("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ, READ ONLY");
        }
    }

  private:
    std::optional<ServerTransaction> m_own; // rolled back: a read has nothing to keep
};

// The rows of a SELECT of (position, line), fetched a batch at a time.
class LineCursor {
  public:
    LineCursor(ServerConnection& connection, const std::string& select,
               const std::vector<std::optional<std::string>>& parameters = {})
        : m_connection(connection) {
        m_connection.exec("DECLARE nomix_lines NO SCROLL CURSOR FOR " + select, parameters);
    }
    ~LineCursor() {
        if (!m_closed) {
            // Closed only to free the name inside a caller's transaction;
            // a failure here has already been told, or ends that
            // transaction anyway.
            try {
                close();
            } catch (const std::exception&) {
            }
        }
    }
    LineCursor(const LineCursor&) = delete;
    LineCursor& operator=(const LineCursor&) = delete;

    // Hands each whole line of the next batch to `onLine`; false once none
    // is left.
    bool next(const ServerLineHandler& onLine) {
        const ServerResult batch = m_connection.exec(kFetch);
        for (size_t row = 0; row < batch.rows(); ++row) {
            onLine(static_cast<uint64_t>(batch.number(row, 0)), batch.text(row, 1));
        }
        return batch.rows() > 0;
    }

    void close() {
        m_closed = true;
        m_connection.run("CLOSE nomix_lines");
    }

  private:
    ServerConnection& m_connection;
    bool m_closed = false;
};

// A line's text as the loaded database holds it: without its first and
// last character.
std::string_view textOf(std::string_view line) {
    return line.size() > 2 ? line.substr(1, line.size() - 2) : std::string_view();
}

// A LIKE pattern for the names that hold `upper` anywhere.
std::string containsPattern(std::string_view upper) {
    std::string pattern = "%";
    for (const char c : upper) {
        if (c == '\\' || c == '%' || c == '_') {
            pattern += '\\';
        }
        pattern += c;
    }
    pattern += '%';
    return pattern;
}

// An int[] in PostgreSQL's text form.
template <typename Numbers> std::string arrayText(const Numbers& numbers) {
    std::string text = "{";
    for (const auto number : numbers) {
        if (text.size() > 1) {
            text += ',';
        }
        text += std::to_string(number);
    }
    text += '}';
    return text;
}

// The name ids whose text holds the pattern, or nothing when there are
// more than kMostNamesToNarrow; the trigram index serves the pattern for
// three bytes or more.
std::optional<std::vector<int64_t>> candidateNames(ServerConnection& connection,
                                                   const std::string& pattern) {
    const ServerResult result =
        connection.exec("SELECT id FROM nomix.names WHERE upper_name LIKE $1 LIMIT $2::int",
                        {pattern, std::to_string(kMostNamesToNarrow + 1)});
    if (result.rows() > kMostNamesToNarrow) {
        return std::nullopt;
    }
    std::vector<int64_t> ids;
    ids.reserve(result.rows());
    for (size_t row = 0; row < result.rows(); ++row) {
        ids.push_back(result.number(row, 0));
    }
    return ids;
}

// A string in one of the first lines of a hundred is common: gathering its
// names would cost more than reading the lines that hold it, in order.
bool isCommon(ServerConnection& connection, const std::string& pattern) {
    const ServerResult found = connection.exec(
        "SELECT count(*) FROM (SELECT line FROM nomix.lines ORDER BY position LIMIT 1000) first "
        "WHERE upper(line) LIKE $1",
        {pattern});
    return found.number(0, 0) >= 10;
}

// The hits among the lines `select` gives, judged by `matcher`.
ServerSearchOutcome judgeLines(ServerConnection& connection, const std::string& select,
                               const std::vector<std::optional<std::string>>& parameters,
                               const LineMatcher& matcher, const ServerLineHandler& onHit,
                               const ServerStopCheck& stopRequested) {
    ServerSearchOutcome outcome;
    LineCursor cursor(connection, select, parameters);
    // The plan is made: what the search set for it ends here.
    connection.run("RESET enable_seqscan; RESET enable_indexscan; RESET enable_sort");
    const ServerLineHandler judge = [&](uint64_t position, std::string_view line) {
        const std::string_view text = textOf(line);
        if (matcher.isHit(text)) {
            ++outcome.hitCount;
            if (onHit) {
                onHit(position, text);
            }
        }
    };
    for (;;) {
        if (stopRequested && stopRequested()) {
            outcome.stopped = true;
            break;
        }
        if (!cursor.next(judge)) {
            break;
        }
    }
    cursor.close();
    return outcome;
}

} // namespace

ProductTable readServerProductTable(ServerConnection& connection) {
    ReadTransaction transaction(connection);
    const ServerResult present = connection.exec(
        "SELECT to_regclass('nomix.meta') IS NOT NULL AND to_regclass('nomix.products') IS NOT "
        "NULL AND to_regclass('nomix.lines') IS NOT NULL");
    if (present.text(0, 0) != "t") {
        throw ServerError("the team database at " + connection.serverName() +
                          " holds no name database yet");
    }
    const ServerResult meta = connection.exec("SELECT key, value FROM nomix.meta");
    ProductTable table;
    std::string schema;
    for (size_t row = 0; row < meta.rows(); ++row) {
        if (meta.text(row, 0) == "label") {
            table.label = meta.text(row, 1);
        } else if (meta.text(row, 0) == "schema") {
            schema = meta.text(row, 1);
        }
    }
    if (schema != kServerSchemaVersion) {
        throw ServerError("the team database at " + connection.serverName() +
                          " has tables of schema version " + (schema.empty() ? "none" : schema) +
                          "; this program knows " + kServerSchemaVersion);
    }
    const ServerResult entries =
        connection.exec("SELECT entry FROM nomix.products ORDER BY position");
    for (size_t row = 0; row < entries.rows(); ++row) {
        table.entries.emplace_back(entries.text(row, 0));
    }
    return table;
}

// Candidates are the lines with a name that holds the string, in any
// column, or for a common string the lines that hold it anywhere: the
// matcher decides, product selection included, so a candidate list may hold
// too many lines, never too few. A string the matcher makes empty (one with
// a field separator or a line end) finds nothing, as in the file.
ServerSearchOutcome searchServer(ServerConnection& connection, const SearchRequest& request,
                                 const ServerLineHandler& onHit,
                                 const ServerStopCheck& stopRequested) {
    const LineMatcher matcher(request);
    if (matcher.finder().size() == 0) {
        return {};
    }
    ReadTransaction transaction(connection);
    const std::string pattern = containsPattern(upperCaseAscii(request.text));
    std::optional<std::vector<int64_t>> names;
    if (!isCommon(connection, pattern)) {
        names = candidateNames(connection, pattern);
        if (names && names->empty()) {
            return {};
        }
    }
    // A common string, or one in a great many names, is in most lines: the
    // server reads them in order and sends those that hold it (upper() folds
    // ASCII letters only, as the matcher does, in the database's C locale),
    // so the first hits come at once.
    if (!names) {
        connection.run("SET LOCAL enable_sort = off");
        return judgeLines(connection,
                          "SELECT position, line FROM nomix.lines WHERE upper(line) LIKE $1 "
                          "ORDER BY position",
                          {pattern}, matcher, onHit, stopRequested);
    }
    // Only the GIN index may serve the &&: the planner, not knowing what
    // each row's test against thousands of ids costs, would otherwise walk
    // all lines testing each (in position order, or in the table's).
    connection.run("SET LOCAL enable_seqscan = off; SET LOCAL enable_indexscan = off");
    return judgeLines(connection,
                      "SELECT position, line FROM nomix.lines WHERE name_ids && $1::int[] "
                      "ORDER BY position",
                      {arrayText(*names)}, matcher, onHit, stopRequested);
}

uint64_t serverLines(ServerConnection& connection, const ServerLineHandler& onLine) {
    ReadTransaction transaction(connection);
    LineCursor cursor(connection, "SELECT position, line FROM nomix.lines ORDER BY position");
    uint64_t count = 0;
    const ServerLineHandler counted = [&](uint64_t position, std::string_view line) {
        ++count;
        onLine(position, textOf(line));
    };
    while (cursor.next(counted)) {
    }
    cursor.close();
    return count;
}

// Only lines with a byte beyond ASCII can be anything but UTF-8, and each
// line is valid on its own exactly when the file is: line ends are ASCII.
bool serverLinesAreUtf8(ServerConnection& connection) {
    ReadTransaction transaction(connection);
    LineCursor cursor(connection,
                      R"(SELECT position, line FROM nomix.lines WHERE line ~ '[\x80-\xff]')");
    bool valid = true;
    const ServerLineHandler check = [&valid](uint64_t, std::string_view line) {
        valid = valid && isValidUtf8Bytes(line.data(), line.size());
    };
    while (valid && cursor.next(check)) {
    }
    cursor.close();
    return valid;
}

} // namespace nomix
