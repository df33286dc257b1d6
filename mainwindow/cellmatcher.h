// SPDX-License-Identifier: MIT
#pragma once

#include "core/linematcher.h"
#include "core/searchengine.h"

#include <string_view>
#include <vector>

namespace nomix {

// Tells which names of a search's hits matched its string: the same test the
// search applied to each selected product's field, asked of one field at a
// time so the grid decides only for the cells it paints.
class CellMatcher {
  public:
    explicit CellMatcher(const SearchRequest& search);
    CellMatcher(const CellMatcher&) = delete;
    CellMatcher& operator=(const CellMatcher&) = delete;

    // Whether `field`, the name of product `column`, matched the search.
    bool matches(size_t column, std::string_view field) const;

  private:
    std::vector<bool> m_searched;
    // The matcher looks at the one field of a one-product request.
    SearchRequest m_fieldRequest;
    LineMatcher m_matcher;
};

} // namespace nomix
