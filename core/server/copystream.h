// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace nomix {

class ServerConnection;

// Rows sent to the server with COPY ... FROM STDIN in its text format,
// gathered into large pieces: many times faster than an INSERT a row. The
// rows count only once finish() returned; an unfinished stream is abandoned,
// and the server refuses the statement.
class CopyStream {
  public:
    // `statement` is "COPY table (columns) FROM STDIN".
    CopyStream(ServerConnection& connection, const std::string& statement);
    ~CopyStream();
    CopyStream(const CopyStream&) = delete;
    CopyStream& operator=(const CopyStream&) = delete;

    // A row's values, in the statement's column order, then endRow().
    // Throws ServerError for a value holding a NUL byte, which no text in
    // the server can hold.
    CopyStream& text(std::string_view value);
    CopyStream& number(int64_t value);
    CopyStream& null();
    void endRow();

    // Sends the rest and waits for the server's verdict.
    void finish();

  private:
    void separate();
    void flush();

    ServerConnection& m_connection;
    std::string m_buffer;
    bool m_rowStarted = false;
    bool m_finished = false;
};

} // namespace nomix
