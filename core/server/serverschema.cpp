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
constexpr const char* kSchemaLock = "SELECT pg_advisory_xact_lock(1853189458)";

constexpr const char* kSchema = R"sql(
CREATE SCHEMA IF NOT EXISTS nomix;
CREATE EXTENSION IF NOT EXISTS pg_trgm;
CREATE TABLE IF NOT EXISTS nomix.meta (key text PRIMARY KEY, value text NOT NULL);
CREATE TABLE IF NOT EXISTS nomix.products (position int PRIMARY KEY, entry text NOT NULL);
CREATE TABLE IF NOT EXISTS nomix.lines (position bigint PRIMARY KEY, sha256 text UNIQUE,
                                        analysis_date bigint, line text NOT NULL);
CREATE TABLE IF NOT EXISTS nomix.names (id serial PRIMARY KEY, name text UNIQUE NOT NULL,
                                        upper_name text NOT NULL);
CREATE INDEX IF NOT EXISTS names_upper_name_trgm ON nomix.names
    USING gin (upper_name gin_trgm_ops);
CREATE TABLE IF NOT EXISTS nomix.fields (name_id int NOT NULL, position bigint NOT NULL,
                                         product int NOT NULL,
                                         PRIMARY KEY (name_id, position, product));
CREATE INDEX IF NOT EXISTS fields_position ON nomix.fields (position);
INSERT INTO nomix.meta (key, value) VALUES ('schema', '1') ON CONFLICT (key) DO NOTHING;
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

void createMissing(ServerConnection& connection) {
    checkEncoding(connection);
    connection.exec(kSchemaLock);
    connection.run(kSchema);
    const ServerResult version =
        connection.exec("SELECT value FROM nomix.meta WHERE key = 'schema'");
    if (version.rows() != 1 || version.text(0, 0) != kServerSchemaVersion) {
        const std::string found = version.rows() == 1 ? std::string(version.text(0, 0)) : "none";
        throw ServerError("the team database at " + connection.serverName() +
                          " has tables of schema version " + found + "; this program knows " +
                          kServerSchemaVersion);
    }
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

} // namespace nomix
