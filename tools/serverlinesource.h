// SPDX-License-Identifier: MIT
#pragma once

#include "linesource.h"

#include "core/server/serverconnection.h"
#include "core/server/servertransaction.h"

#include <string>

namespace nomix {

// A team database on a server: the product table from its tables, the lines
// from the server's search, each judged as the file search judges it.
class ServerLineSource final : public LineSource {
  public:
    // Connects and reads the product table. Throws ServerError naming the
    // server, NomixError when it holds no name database.
    explicit ServerLineSource(const std::string& url);

    const ProductTable& productTable() const override { return m_table; }
    bool isUtf8() override;
    int64_t search(const SearchRequest& request, const LineHandler& onHit) override;
    void forEachLine(const LineHandler& onLine) override;

  private:
    ServerConnection m_connection;
    // One snapshot for the whole run: the table and the lines of one import.
    ServerTransaction m_snapshot;
    ProductTable m_table;
};

} // namespace nomix
