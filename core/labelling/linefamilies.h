// SPDX-License-Identifier: MIT
#pragma once

#include "core/databaselines.h"
#include "familyvote.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nomix {

// The families of every line of a database, each distinct name stored once.
class LineFamilies {
  public:
    LineFamilies() = default;
    // `names` sorted and distinct; `ids` one per line: 0 for no family, else
    // 1 + the name's index.
    LineFamilies(std::vector<std::string> names, std::vector<uint32_t> ids)
        : m_names(std::move(names)), m_ids(std::move(ids)) {}

    std::string_view familyOf(size_t line) const { // empty: no family
        const uint32_t id = m_ids[line];
        return id == 0 ? std::string_view() : std::string_view(m_names[id - 1]);
    }
    size_t lineCount() const { return m_ids.size(); }

    // The distinct families in byte order, and per line the number of its
    // family in that list plus one (0: none), for callers that group or
    // compare lines by family without comparing names.
    const std::vector<std::string>& names() const { return m_names; }
    uint32_t familyIdOf(size_t line) const { return m_ids[line]; }

  private:
    std::vector<std::string> m_names;
    std::vector<uint32_t> m_ids;
};

// Computes on every core; returns std::nullopt when `cancelled()` turned true (polled often
// enough to stop within ~50 ms); `onProgress(linesDone)` may be called from worker threads.
// Both are called from the worker threads, one at a time.
std::optional<LineFamilies> computeLineFamilies(const FamilyVote& vote, const DatabaseLines& lines,
                                                const std::function<bool()>& cancelled = {},
                                                const std::function<void(size_t)>& onProgress = {});

} // namespace nomix
