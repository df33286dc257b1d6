// SPDX-License-Identifier: MIT
#pragma once

namespace nomix {

class ServerConnection;

// The version of the tables below that this program reads and writes.
inline constexpr const char* kServerSchemaVersion = "2";

// Makes what the team database needs where it is missing, in schema
// "nomix" of the connection's database (which may hold other things):
//   meta(key, value)          the table's label ('label'), 'schema' = "2"
//   products(position, entry) the product table's entries in order
//   lines(position, sha256, analysis_date, line, name_ids)
//                             each line as the name database file holds it,
//                             with the ids of its names (each once, sorted),
//                             indexed for && by intarray's GIN
//   names(id, name, upper_name) each distinct field once, trigram-indexed
// Runs inside the caller's transaction when one is open. Throws ServerError
// when the database cannot keep names as bytes (its encoding is not
// SQL_ASCII with the C locale) or holds another schema version.
void ensureSchema(ServerConnection& connection);

// For a load that fills the tables anew, inside its transaction: the
// search's indexes go before the rows come, and are built again after.
void dropSearchIndexes(ServerConnection& connection);
void createSearchIndexes(ServerConnection& connection);

} // namespace nomix
