#include "linematcher.h"

#include <cstring>

namespace nomix {

LineMatcher::LineMatcher(const SearchRequest& request)
    : request_(request), finder_(UpperCaseAscii(request.text)) {}

bool LineMatcher::matches(std::string_view text) const {
    if (request_.allProductsSelected && request_.mode == MatchMode::Substring) {
        return true;
    }
    // The fields in order, each the same as FieldAtByChar(c + 1, text, '|').
    const char* p = text.data();
    const char* const end = p + text.size();
    for (size_t column = 0; column < request_.columnCount; ++column) {
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
    return column < request_.selected.size() && request_.selected[column];
}

// The mode's test on the first occurrence of the string in the field,
// answered without searching the whole field where the mode allows: the
// first occurrence is at the start exactly when the field begins with the
// string, and it can end the field only if the field ends with it.
bool LineMatcher::fieldMatches(std::string_view field) const {
    const size_t m = finder_.size();
    if (field.size() < m) {
        return false;
    }
    const size_t tail = field.size() - m;
    switch (request_.mode) {
    case MatchMode::Substring:
        return finder_.find(field) != AsciiFinder::npos;
    case MatchMode::BeginsWith:
        return finder_.matchesAt(field.data());
    case MatchMode::EndsWith:
        return finder_.matchesAt(field.data() + tail) && finder_.find(field) == tail;
    case MatchMode::CompleteMatch:
        return tail == 0 && finder_.matchesAt(field.data());
    }
    return false;
}

} // namespace nomix
