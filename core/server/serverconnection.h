// SPDX-License-Identifier: MIT
#pragma once

#include "serverresult.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct pg_conn;

namespace nomix {

// One connection to the team database's server. The URL is any libpq takes
// ("postgresql://user@host:port/dbname" or "host=... dbname=..."); the
// password comes from it or from ~/.pgpass, as libpq has it, and is never
// kept or shown. Every failure throws ServerError naming the server.
class ServerConnection {
  public:
    explicit ServerConnection(const std::string& url);
    ~ServerConnection();
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;

    // host:port/dbname, how every message names the server.
    const std::string& serverName() const { return m_serverName; }

    // Runs one statement. Each parameter is sent as text, byte for byte
    // (none is converted, none may hold a NUL byte); nullopt is NULL. A
    // statement needing another type casts it ($1::bigint, $1::int[]).
    ServerResult exec(std::string_view sql,
                      const std::vector<std::optional<std::string>>& parameters = {});

    // Statements that are only sent, without parameters: several may be
    // given at once, separated by ';'.
    void run(std::string_view sql);

    // True while a transaction is open on the connection.
    bool inTransaction() const;

    // Throws ServerError for what went wrong on the connection, with `what`
    // saying what was being done and `reason` the server's word (the
    // connection's last message when empty).
    [[noreturn]] void fail(const std::string& what, std::string_view reason = {},
                           bool lost = false) const;
    // Throws ServerError when `result` says the statement failed.
    void check(const ServerResult& result, const std::string& what) const;

    pg_conn* handle() const { return m_connection; }

  private:
    pg_conn* m_connection = nullptr;
    std::string m_serverName;
};

} // namespace nomix
