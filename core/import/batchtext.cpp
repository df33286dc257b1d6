// SPDX-License-Identifier: MIT
#include "batchtext.h"

#include <simdjson.h>

#include <algorithm>
#include <cstring>

namespace nomix {

void BatchText::reserveMore(size_t count) {
    const size_t needed = m_size + count + simdjson::SIMDJSON_PADDING;
    if (needed <= m_capacity) {
        return;
    }
    const size_t capacity = std::max(needed, m_capacity + m_capacity / 2);
    auto data = std::make_unique_for_overwrite<char[]>(capacity);
    if (m_size > 0) {
        std::memcpy(data.get(), m_data.get(), m_size);
    }
    m_data = std::move(data);
    m_capacity = capacity;
}

size_t BatchText::freeRoomSize() const {
    return m_capacity == 0 ? 0 : m_capacity - simdjson::SIMDJSON_PADDING - m_size;
}

void BatchText::append(std::string_view bytes) {
    reserveMore(bytes.size());
    if (!bytes.empty()) {
        std::memcpy(freeRoom(), bytes.data(), bytes.size());
    }
    m_size += bytes.size();
}

void BatchText::pad() {
    reserveMore(0);
    std::memset(freeRoom(), ' ', simdjson::SIMDJSON_PADDING);
}

} // namespace nomix
