// SPDX-License-Identifier: MIT
#pragma once

namespace nomix {

class ServerConnection;

// The version of the tables below that this program reads and writes.
inline constexpr const char* kServerSchemaVersion = "1";

// Makes what the team database needs where it is missing, in schema
// "nomix" of the connection's database (which may hold other things):
//   meta(key, value)          the table's label ('label'), 'schema' = "1"
//   products(position, entry) the product table's entries in order
//   lines(position, sha256, analysis_date, line)
//                             each line as the name database file holds it
//   names(id, name, upper_name) each distinct field once, trigram-indexed
//   fields(name_id, position, product) which line holds which name where
// Runs inside the caller's transaction when one is open. Throws ServerError
// when the database cannot keep names as bytes (its encoding is not
// SQL_ASCII with the C locale) or holds another schema version.
void ensureSchema(ServerConnection& connection);

} // namespace nomix
