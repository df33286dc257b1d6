// SPDX-License-Identifier: MIT
#include "cellmatcher.h"

namespace nomix {

namespace {

SearchRequest oneFieldRequest(const SearchRequest& search) {
    SearchRequest request;
    request.text = search.text;
    request.mode = search.mode;
    // Not "all selected": that would let any text holding the string pass
    // without its field being looked at.
    request.allProductsSelected = false;
    request.selected = {true};
    request.columnCount = 1;
    return request;
}

} // namespace

CellMatcher::CellMatcher(const SearchRequest& search)
    : m_searched(search.selected), m_fieldRequest(oneFieldRequest(search)),
      m_matcher(m_fieldRequest) {}

bool CellMatcher::matches(size_t column, std::string_view field) const {
    const bool searched = column < m_searched.size() && m_searched[column];
    // A string the search could not look for matched nothing.
    if (!searched || m_matcher.finder().size() == 0 || field.empty()) {
        return false;
    }
    return m_matcher.finder().find(field) != AsciiFinder::npos && m_matcher.matches(field);
}

} // namespace nomix
