// SPDX-License-Identifier: MIT
#pragma once

#include "databaselines.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace nomix {

struct NameCount {
    std::string name;
    size_t count;
};

// Counts, per product column, how often each field value stands in the lines
// it is given. The lines need not outlive the call: each distinct value is
// copied once, so streamed lines can be counted as they pass.
class ProductNameTally {
  public:
    explicit ProductNameTally(size_t productCount);

    // Fields past the last product belong to none and are not counted.
    void addLine(std::string_view line);

    // Per product (table order), its distinct values, most common first, then
    // by name in byte order.
    std::vector<std::vector<NameCount>> result() const;

  private:
    struct TextHash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>()(text);
        }
    };
    std::vector<std::unordered_map<std::string, size_t, TextHash, std::equal_to<>>> m_counts;
};

// Per product (table order), its distinct field values among `hitLines`, most common first,
// then by name in byte order; every value counts (NO_VIRUS and '~' notes included).
std::vector<std::vector<NameCount>> namesByProduct(const DatabaseLines& lines,
                                                   const std::vector<uint32_t>& hitLines,
                                                   size_t productCount);

} // namespace nomix
