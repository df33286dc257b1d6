// SPDX-License-Identifier: MIT
#include "copystream.h"

#include "serverconnection.h"
#include "servererror.h"

#include <libpq-fe.h>

namespace nomix {

namespace {

constexpr size_t kPiece = 1 << 20;

} // namespace

CopyStream::CopyStream(ServerConnection& connection, const std::string& statement)
    : m_connection(connection) {
    ServerResult started(PQexec(m_connection.handle(), statement.c_str()));
    m_connection.check(started, "a copy");
    m_buffer.reserve(kPiece + 4096);
}

CopyStream::~CopyStream() {
    if (!m_finished) {
        PGconn* connection = m_connection.handle();
        PQputCopyEnd(connection, "abandoned");
        while (PGresult* result = PQgetResult(connection)) {
            PQclear(result);
        }
    }
}

void CopyStream::separate() {
    if (m_rowStarted) {
        m_buffer += '\t';
    }
    m_rowStarted = true;
}

CopyStream& CopyStream::text(std::string_view value) {
    separate();
    for (const char c : value) {
        switch (c) {
        case '\\':
            m_buffer += "\\\\";
            break;
        case '\t':
            m_buffer += "\\t";
            break;
        case '\n':
            m_buffer += "\\n";
            break;
        case '\r':
            m_buffer += "\\r";
            break;
        case '\0':
            throw ServerError("the database server at " + m_connection.serverName() +
                              " cannot hold a text with a NUL byte");
        default:
            m_buffer += c;
        }
    }
    return *this;
}

CopyStream& CopyStream::number(int64_t value) {
    separate();
    m_buffer += std::to_string(value);
    return *this;
}

CopyStream& CopyStream::null() {
    separate();
    m_buffer += "\\N";
    return *this;
}

void CopyStream::endRow() {
    m_buffer += '\n';
    m_rowStarted = false;
    if (m_buffer.size() >= kPiece) {
        flush();
    }
}

void CopyStream::flush() {
    if (!m_buffer.empty() && PQputCopyData(m_connection.handle(), m_buffer.data(),
                                           static_cast<int>(m_buffer.size())) != 1) {
        m_connection.fail("a copy");
    }
    m_buffer.clear();
}

void CopyStream::finish() {
    flush();
    m_finished = true;
    PGconn* connection = m_connection.handle();
    if (PQputCopyEnd(connection, nullptr) != 1) {
        m_connection.fail("a copy");
    }
    ServerResult outcome(PQgetResult(connection));
    while (PGresult* more = PQgetResult(connection)) {
        PQclear(more);
    }
    m_connection.check(outcome, "a copy");
}

} // namespace nomix
