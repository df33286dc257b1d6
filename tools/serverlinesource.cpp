// SPDX-License-Identifier: MIT
#include "serverlinesource.h"

#include "core/server/serversearch.h"

namespace nomix {

ServerLineSource::ServerLineSource(const std::string& url)
    : m_connection(url), m_snapshot(m_connection) {
    m_connection.run("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ, READ ONLY");
    m_table = readServerProductTable(m_connection);
}

bool ServerLineSource::isUtf8() {
    return serverLinesAreUtf8(m_connection);
}

int64_t ServerLineSource::search(const SearchRequest& request, const LineHandler& onHit) {
    return searchServer(m_connection, request, onHit).hitCount;
}

void ServerLineSource::forEachLine(const LineHandler& onLine) {
    serverLines(m_connection, onLine);
}

} // namespace nomix
