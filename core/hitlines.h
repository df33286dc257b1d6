// SPDX-License-Identifier: MIT
#pragma once

#include "databaselines.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace nomix {

// The hits a team database sent, kept as a name database of their own: hit
// k becomes line k, so the grid, the reports, the names by product and the
// families work on them as on the lines of the files.
class HitLines {
  public:
    // A hit's text as the server hands it: a line without its first and
    // last character.
    void add(std::string_view text);
    // Moves the hits of `other` behind these; `other` is left empty.
    void takeFrom(HitLines& other);

    size_t count() const { return m_count; }
    // The hits so far, as the lines of a name database file.
    DatabaseLines lines() const;

  private:
    std::string m_bytes;
    size_t m_count = 0;
};

} // namespace nomix
