// SPDX-License-Identifier: MIT
#pragma once

#include "core/producttable.h"
#include "core/searchengine.h"

#include <cstdint>
#include <functional>
#include <string_view>

namespace nomix {

class ServerConnection;

// One line of a team database: its position (the index the line has in the
// name database file it stands for) and its text as the loaded database
// holds it, without the line's first and last character. The text lives
// only during the call.
using ServerLineHandler = std::function<void(uint64_t position, std::string_view text)>;

// Asked between the batches a search fetches: true stops it.
using ServerStopCheck = std::function<bool()>;

struct ServerSearchOutcome {
    int64_t hitCount = 0;
    bool stopped = false;
};

// The product table a team database holds, as readProductTable gives it
// from the file it was loaded from. Throws ServerError, or NomixError when
// the database holds no Nomix95 data.
ProductTable readServerProductTable(ServerConnection& connection);

// runSearch's answer for the lines of a team database: the server narrows
// the lines down to those with a name holding the string, and each of them
// is judged by the line matcher the file search uses, so both answer the
// same. Hits go to `onHit` (may be empty) in position order while the rest
// are still being fetched; `stopRequested` is asked before each batch. The
// request's numericOnly, updateCounter and background flags are not used.
// Throws ServerError when the server fails or the connection is lost.
ServerSearchOutcome searchServer(ServerConnection& connection, const SearchRequest& request,
                                 const ServerLineHandler& onHit,
                                 const ServerStopCheck& stopRequested = {});

// Every line of a team database in position order, as streamLines hands out
// a file's lines. Returns the number of lines.
uint64_t serverLines(ServerConnection& connection, const ServerLineHandler& onLine);

// streamIsUtf8 for the file a team database stands for: every line is
// valid UTF-8.
bool serverLinesAreUtf8(ServerConnection& connection);

} // namespace nomix
