// SPDX-License-Identifier: MIT
#include "hitlines.h"

#include <cstring>
#include <memory>

namespace nomix {

// The field separator stands in for the line's first and last character,
// which no one reads; a CR ends the line as in the files.
void HitLines::add(std::string_view text) {
    m_bytes += '|';
    m_bytes += text;
    m_bytes += "|\r";
    ++m_count;
}

void HitLines::takeFrom(HitLines& other) {
    m_bytes += other.m_bytes;
    m_count += other.m_count;
    other.m_bytes.clear();
    other.m_count = 0;
}

DatabaseLines HitLines::lines() const {
    if (m_count == 0) {
        return DatabaseLines();
    }
    auto bytes = std::make_unique<char[]>(m_bytes.size());
    std::memcpy(bytes.get(), m_bytes.data(), m_bytes.size());
    return DatabaseLines(std::move(bytes), m_bytes.size());
}

} // namespace nomix
