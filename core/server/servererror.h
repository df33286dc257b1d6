// SPDX-License-Identifier: MIT
#pragma once

#include <stdexcept>
#include <string>

namespace nomix {

// A failure of the team database's server: it cannot be reached, refused a
// statement, or the connection was lost. The message names the server
// (host:port/dbname, never the password) and gives libpq's reason, so a
// tool can print it as it is.
class ServerError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

} // namespace nomix
