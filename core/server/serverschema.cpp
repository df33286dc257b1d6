// SPDX-License-Identifier: MIT
#include "serverschema.h"

#include "serverconnection.h"
#include "servererror.h"
#include "servertransaction.h"

#include <optional>
#include <string>

namespace nomix {

namespace {

// Two imports starting on an empty database at once would both create the
// tables; the second waits for the first.
// Two imports starting on an empty database at once would both create the
// tables; the second waits for the first.
constexpr const char* kSchemaLock = "SELECT pg_advisory_xact_lock(1853189458)";

// The indexes the search reads through; a full load drops them and builds
// them again once the tables are filled, many times faster than keeping
// them up to date row by row.
constexpr const char* kSearchIndexes = R"sql(
CREATE INDEX IF NOT EXISTS names_upper_name_trgm ON nomix.names
    USING gin (upper_name gin_trgm_ops);
CREATE INDEX IF NOT EXISTS lines_name_ids ON nomix.lines USING gin (name_ids gin__int_ops);
)sql";

// intarray gives int[] an overlap (&&) that merges two sorted arrays, and an
// index for it; the built-in one compares every pair, too slow for the
// thousands of names a short string can match.
constexpr const char* kTables = R"sql(
CREATE SCHEMA IF NOT EXISTS nomix;
CREATE EXTENSION IF NOT EXISTS pg_trgm;
CREATE EXTENSION IF NOT EXISTS intarray;
CREATE TABLE IF NOT EXISTS nomix.meta (key text PRIMARY KEY, value text NOT NULL);
CREATE TABLE IF NOT EXISTS nomix.products (position int PRIMARY KEY, entry text NOT NULL);
CREATE TABLE IF NOT EXISTS nomix.lines (position bigint PRIMARY KEY, sha256 text UNIQUE,
                                        analysis_date bigint, line text NOT NULL,
                                        name_ids int[] NOT NULL);
CREATE TABLE IF NOT EXISTS nomix.names (id serial PRIMARY KEY, name text UNIQUE NOT NULL,
                                        upper_name text NOT NULL);
)sql";

void checkEncoding(ServerConnection& connection) {
    const ServerResult database = connection.exec(
        "SELECT pg_encoding_to_char(encoding), datcollate, datctype FROM pg_database "
        "WHERE datname = current_database()");
    if (database.rows() == 1 && database.text(0, 0) == "SQL_ASCII" && database.text(0, 1) == "C" &&
        database.text(0, 2) == "C") {
        return;
    }
    throw ServerError("the database at " + connection.serverName() +
                      " cannot keep names as they are: it needs encoding SQL_ASCII and locale "
                      "C (createdb -E SQL_ASCII -l C -T template0 NAME)");
}

void checkVersion(ServerConnection& connection) {
    const ServerResult version =
        connection.exec("SELECT value FROM nomix.meta WHERE key = 'schema'");
    if (version.rows() != 1 || version.text(0, 0) != kServerSchemaVersion) {
        const std::string found = version.rows() == 1 ? std::string(version.text(0, 0)) : "none";
        throw ServerError("the team database at " + connection.serverName() +
                          " has tables of schema version " + found + "; this program knows " +
                          kServerSchemaVersion);
    }
}

void createMissing(ServerConnection& connection) {
    checkEncoding(connection);
    connection.exec(kSchemaLock);
    // Tables of another version are refused before anything is added to
    // them: their columns are not the ones the statements below expect.
    if (connection.exec("SELECT to_regclass('nomix.meta') IS NOT NULL").text(0, 0) == "t" &&
        connection.exec("SELECT 1 FROM nomix.meta WHERE key = 'schema'").rows() == 1) {
        checkVersion(connection);
    }
    connection.run(kTables);
    connection.exec("INSERT INTO nomix.meta (key, value) VALUES ('schema', $1) "
                    "ON CONFLICT (key) DO NOTHING",
                    {std::string(kServerSchemaVersion)});
    checkVersion(connection);
    connection.run(kSearchIndexes);
}

} // namespace

void ensureSchema(ServerConnection& connection) {
    if (connection.inTransaction()) {
        createMissing(connection);
        return;
    }
    ServerTransaction transaction(connection);
    createMissing(connection);
    transaction.commit();
}

void dropSearchIndexes(ServerConnection& connection) {
    connection.run("DROP INDEX IF EXISTS nomix.names_upper_name_trgm, nomix.lines_name_ids");
}

void createSearchIndexes(ServerConnection& connection) {
    connection.run(kSearchIndexes);
}

} // namespace nomix
