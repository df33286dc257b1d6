// SPDX-License-Identifier: MIT
#include "linematcher.h"

#include <cstring>

namespace nomix {

namespace {

// No name holds a field separator, a line end or the end-of-file mark, so a
// string with one of them finds nothing. Searched for as it is, it would
// match across the fields of a line when all products take part.
std::string searchableText(const std::string& text) {
    return text.find_first_of(std::string_view("|\r\n\x1a", 4)) == std::string::npos
               ? upperCaseAscii(text)
               : std::string();
}

} // namespace

LineMatcher::LineMatcher(const SearchRequest& request)
    : m_request(request), m_finder(searchableText(request.text)) {}

bool LineMatcher::matches(std::string_view text) const {
    if (holdingIsEnough()) {
        return true;
    }
    // The fields in order, each the same as fieldAtByChar(c + 1, text, '|').
    const char* p = text.data();
    const char* const end = p + text.size();
    for (size_t column = 0; column < m_request.columnCount; ++column) {
        while (p < end && *p == '|') {
            ++p;
        }
        if (p == end) {
            return false; // no field left: the later columns are empty
        }
        const void* bar = std::memchr(p, '|', static_cast<size_t>(end - p));
        const char* fieldEnd = bar ? static_cast<const char*>(bar) : end;
        if (isSelected(column) &&
            fieldMatches(std::string_view(p, static_cast<size_t>(fieldEnd - p)))) {
            return true;
        }
        p = fieldEnd;
    }
    return false;
}

bool LineMatcher::isSelected(size_t column) const {
    return column < m_request.selected.size() && m_request.selected[column];
}

// The mode's test on the first occurrence of the string in the field,
// answered without searching the whole field where the mode allows: the
// first occurrence is at the start exactly when the field begins with the
// string, and it can end the field only if the field ends with it.
bool LineMatcher::fieldMatches(std::string_view field) const {
    const size_t m = m_finder.size();
    if (field.size() < m) {
        return false;
    }
    const size_t tail = field.size() - m;
    switch (m_request.mode) {
    case MatchMode::Substring:
        return m_finder.find(field) != AsciiFinder::npos;
    case MatchMode::BeginsWith:
        return m_finder.matchesAt(field.data());
    case MatchMode::EndsWith:
        return m_finder.matchesAt(field.data() + tail) && m_finder.find(field) == tail;
    case MatchMode::CompleteMatch:
        return tail == 0 && m_finder.matchesAt(field.data());
    }
    return false;
}

} // namespace nomix
