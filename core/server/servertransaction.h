// SPDX-License-Identifier: MIT
#pragma once

namespace nomix {

class ServerConnection;

// A transaction on the server, rolled back unless commit() was reached: a
// failure or an exception anywhere before leaves the server's data as it
// was.
class ServerTransaction {
  public:
    explicit ServerTransaction(ServerConnection& connection);
    ~ServerTransaction();
    ServerTransaction(const ServerTransaction&) = delete;
    ServerTransaction& operator=(const ServerTransaction&) = delete;

    void commit();

  private:
    ServerConnection& m_connection;
    bool m_open = true;
};

} // namespace nomix
