// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

struct pg_result;

namespace nomix {

// The rows a statement returned, owned: the result is freed with the object.
// Values come in PostgreSQL's text form; NULL reads as empty (isNull tells).
class ServerResult {
  public:
    ServerResult() = default;
    explicit ServerResult(pg_result* result) : m_result(result) {}
    ~ServerResult();
    ServerResult(ServerResult&& other) noexcept;
    ServerResult& operator=(ServerResult&& other) noexcept;
    ServerResult(const ServerResult&) = delete;
    ServerResult& operator=(const ServerResult&) = delete;

    size_t rows() const;
    std::string_view text(size_t row, size_t column) const;
    bool isNull(size_t row, size_t column) const;
    // The value as a whole number; throws NomixError when it is none.
    int64_t number(size_t row, size_t column) const;
    // How many rows an INSERT, UPDATE or DELETE touched.
    uint64_t affectedRows() const;
    // True when the statement did what it was sent for, rows or not.
    bool succeeded() const;
    // The server's reason when it did not.
    std::string_view errorMessage() const;
    // The server's five-character code for the failure; empty when libpq
    // itself failed (the connection broke).
    std::string_view errorCode() const;

  private:
    pg_result* m_result = nullptr;
};

} // namespace nomix
