// SPDX-License-Identifier: MIT
#include "fields.h"

#include <cstring>

namespace nomix {

namespace {

// Shared walk of fieldStart and fieldStartByChar: `isDelim` decides what
// separates fields.
template <typename IsDelim>
size_t fieldStartIndex(int32_t n, std::string_view text, IsDelim isDelim) {
    const size_t len = text.size();
    size_t i = 0;
    int32_t seen = 0;
    while (i < len && seen != n) {
        while (i < len && isDelim(static_cast<unsigned char>(text[i]))) {
            ++i;
        }
        if (i < len) {
            ++seen;
            if (seen == n) {
                return i + 1;
            }
        }
        while (i < len && !isDelim(static_cast<unsigned char>(text[i]))) {
            ++i;
        }
    }
    return 0;
}

template <typename IsDelim>
std::string_view fieldView(int32_t n, std::string_view text, IsDelim isDelim) {
    const size_t start = fieldStartIndex(n, text, isDelim);
    if (start == 0) {
        return {};
    }
    size_t end = start - 1;
    while (end < text.size() && !isDelim(static_cast<unsigned char>(text[end]))) {
        ++end;
    }
    return text.substr(start - 1, end - (start - 1));
}

} // namespace

int32_t countFields(std::string_view text, const DelimiterSet& delims) {
    const size_t len = text.size();
    size_t i = 0;
    int32_t count = 0;
    while (i < len) {
        while (i < len && delims.contains(static_cast<unsigned char>(text[i]))) {
            ++i;
        }
        if (i < len) {
            ++count;
        }
        while (i < len && !delims.contains(static_cast<unsigned char>(text[i]))) {
            ++i;
        }
    }
    return count;
}

int32_t fieldStart(int32_t n, std::string_view text, const DelimiterSet& delims) {
    return static_cast<int32_t>(
        fieldStartIndex(n, text, [&](unsigned char c) { return delims.contains(c); }));
}

std::string fieldAt(int32_t n, std::string_view text, const DelimiterSet& delims) {
    return std::string(fieldView(n, text, [&](unsigned char c) { return delims.contains(c); }));
}

int32_t fieldStartByChar(int32_t n, std::string_view text, char delim) {
    const auto d = static_cast<unsigned char>(delim);
    return static_cast<int32_t>(fieldStartIndex(n, text, [d](unsigned char c) { return c == d; }));
}

std::string fieldAtByChar(int32_t n, std::string_view text, char delim) {
    return std::string(fieldViewByChar(n, text, delim));
}

std::string_view fieldViewByChar(int32_t n, std::string_view text, char delim) {
    if (n < 1) {
        return {};
    }
    // Fast path of the same rule: memchr hops over each field.
    const char* p = text.data();
    const char* const end = p + text.size();
    int32_t seen = 0;
    while (p < end) {
        while (p < end && *p == delim) {
            ++p;
        }
        if (p == end) {
            break;
        }
        const void* hit = std::memchr(p, delim, static_cast<size_t>(end - p));
        const char* fieldEnd = hit ? static_cast<const char*>(hit) : end;
        if (++seen == n) {
            return std::string_view(p, static_cast<size_t>(fieldEnd - p));
        }
        p = fieldEnd;
    }
    return {};
}

} // namespace nomix
