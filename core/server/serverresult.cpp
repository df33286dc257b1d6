// SPDX-License-Identifier: MIT
#include "serverresult.h"

#include "core/fileerror.h"

#include <charconv>
#include <libpq-fe.h>
#include <string>
#include <utility>

namespace nomix {

ServerResult::~ServerResult() {
    PQclear(m_result);
}

ServerResult::ServerResult(ServerResult&& other) noexcept
    : m_result(std::exchange(other.m_result, nullptr)) {}

ServerResult& ServerResult::operator=(ServerResult&& other) noexcept {
    if (this != &other) {
        PQclear(m_result);
        m_result = std::exchange(other.m_result, nullptr);
    }
    return *this;
}

size_t ServerResult::rows() const {
    return m_result ? static_cast<size_t>(PQntuples(m_result)) : 0;
}

std::string_view ServerResult::text(size_t row, size_t column) const {
    const int r = static_cast<int>(row);
    const int c = static_cast<int>(column);
    return std::string_view(PQgetvalue(m_result, r, c),
                            static_cast<size_t>(PQgetlength(m_result, r, c)));
}

bool ServerResult::isNull(size_t row, size_t column) const {
    return PQgetisnull(m_result, static_cast<int>(row), static_cast<int>(column)) != 0;
}

int64_t ServerResult::number(size_t row, size_t column) const {
    const std::string_view value = text(row, column);
    int64_t number = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (error != std::errc() || end != value.data() + value.size()) {
        throw NomixError("the database server answered \"" + std::string(value) +
                         "\" where a number belongs");
    }
    return number;
}

uint64_t ServerResult::affectedRows() const {
    const char* count = m_result ? PQcmdTuples(m_result) : "";
    uint64_t number = 0;
    std::from_chars(count, count + std::char_traits<char>::length(count), number);
    return number;
}

bool ServerResult::succeeded() const {
    const ExecStatusType status = PQresultStatus(m_result);
    return m_result &&
           (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK || status == PGRES_COPY_IN);
}

std::string_view ServerResult::errorMessage() const {
    return m_result ? PQresultErrorMessage(m_result) : "";
}

std::string_view ServerResult::errorCode() const {
    const char* code = m_result ? PQresultErrorField(m_result, PG_DIAG_SQLSTATE) : nullptr;
    return code ? code : "";
}

} // namespace nomix
