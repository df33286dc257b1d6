// SPDX-License-Identifier: MIT
#pragma once

#include "asciifinder.h"
#include "searchengine.h"

#include <string_view>

namespace nomix {

// The test a search applies to one line, shared by the search of the loaded
// database and the search straight from the file, so both give the same
// answers by construction.
class LineMatcher {
  public:
    explicit LineMatcher(const SearchRequest& request);

    // The upper-cased search string's finder; an empty string occurs
    // nowhere, nor does one holding '|', CR, LF or byte 26 (it is made empty).
    const AsciiFinder& finder() const { return m_finder; }

    // True when `text`, the text of a line that holds the string somewhere,
    // is a hit: the string stands in a selected product's field under the
    // request's mode.
    bool matches(std::string_view text) const;

    // The whole test of one line's text, for a caller that has not scanned
    // for the string itself (lines handed over one by one, as a database
    // server sends its candidates): the text holds the string and matches().
    bool isHit(std::string_view text) const {
        return m_finder.find(text) != AsciiFinder::npos && matches(text);
    }

    // True when matches() is true of every text that holds the string: a
    // substring search of all products, whose hits need not be split into
    // fields, nor their text be looked at.
    bool holdingIsEnough() const {
        return m_request.allProductsSelected && m_request.mode == MatchMode::Substring;
    }

  private:
    bool isSelected(size_t column) const;
    bool fieldMatches(std::string_view field) const;

    const SearchRequest& m_request;
    AsciiFinder m_finder;
};

} // namespace nomix
