// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

namespace nomix {

// The bytes of a batch of reports, followed by room for the padding the JSON
// reader may read past a text's end. Input can be read straight into the
// free room behind the bytes (append() copies instead), and the memory is
// never cleared: zeroing a megabyte for every batch would cost as much as
// the copy that reading in place saves.
class BatchText {
  public:
    BatchText() = default;
    BatchText(BatchText&&) noexcept = default;
    BatchText& operator=(BatchText&&) noexcept = default;

    std::string_view view() const { return {m_data.get(), m_size}; }
    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    size_t capacity() const { return m_capacity; }

    // Makes room for at least `count` bytes behind the present ones, keeping them.
    void reserveMore(size_t count);
    // Where the next bytes go, and how many fit.
    char* freeRoom() { return m_data.get() + m_size; }
    size_t freeRoomSize() const;
    // The next `count` bytes of the free room now belong to the text.
    void grow(size_t count) { m_size += count; }

    void append(std::string_view bytes);
    void truncate(size_t size) { m_size = size; }
    void clear() { m_size = 0; }
    // Fills the padding behind the bytes with blanks.
    void pad();

  private:
    std::unique_ptr<char[]> m_data;
    size_t m_size = 0;
    size_t m_capacity = 0; // padding included
};

} // namespace nomix
