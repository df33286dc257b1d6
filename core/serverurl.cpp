// SPDX-License-Identifier: MIT
#include "serverurl.h"

#include <algorithm>
#include <string_view>

namespace nomix {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// postgresql://[user[:password]@]host...[/db][?key=value&...]
std::string uriWithoutPassword(std::string_view url, size_t schemeEnd) {
    const size_t authorityEnd = std::min(url.find_first_of("/?", schemeEnd), url.size());
    std::string_view authority = url.substr(schemeEnd, authorityEnd - schemeEnd);
    std::string result(url.substr(0, schemeEnd));
    const size_t at = authority.rfind('@');
    if (at != std::string_view::npos) {
        const std::string_view user = authority.substr(0, at);
        result += user.substr(0, user.find(':'));
        authority.remove_prefix(at);
    }
    result += authority;
    const size_t question = url.find('?', authorityEnd);
    result += url.substr(authorityEnd, std::min(question, url.size()) - authorityEnd);
    if (question == std::string_view::npos) {
        return result;
    }
    std::string query;
    std::string_view rest = url.substr(question + 1);
    while (!rest.empty()) {
        const size_t amp = rest.find('&');
        const std::string_view parameter = rest.substr(0, amp);
        if (!startsWith(parameter, "password=") && parameter != "password") {
            query += (query.empty() ? "" : "&") + std::string(parameter);
        }
        rest = amp == std::string_view::npos ? std::string_view() : rest.substr(amp + 1);
    }
    if (!query.empty()) {
        result += '?' + query;
    }
    return result;
}

// key = value pairs, a value quoted in '' with \ escapes or ended by a space.
std::string keywordsWithoutPassword(std::string_view text) {
    std::string result;
    size_t i = 0;
    for (;;) {
        while (i < text.size() && isSpace(text[i])) {
            ++i;
        }
        if (i == text.size()) {
            return result;
        }
        const size_t begin = i;
        while (i < text.size() && text[i] != '=' && !isSpace(text[i])) {
            ++i;
        }
        const std::string_view key = text.substr(begin, i - begin);
        while (i < text.size() && isSpace(text[i])) {
            ++i;
        }
        if (key.empty() || i == text.size() || text[i] != '=') {
            return result;
        }
        ++i;
        while (i < text.size() && isSpace(text[i])) {
            ++i;
        }
        const bool quoted = i < text.size() && text[i] == '\'';
        i += quoted ? 1 : 0;
        bool closed = !quoted;
        while (i < text.size()) {
            if (text[i] == '\\' && i + 1 < text.size()) {
                i += 2;
            } else if (quoted && text[i] == '\'') {
                ++i;
                closed = true;
                break;
            } else if (!quoted && isSpace(text[i])) {
                break;
            } else {
                ++i;
            }
        }
        if (!closed) {
            return result;
        }
        if (key != "password") {
            result += (result.empty() ? "" : " ") + std::string(text.substr(begin, i - begin));
        }
    }
}

} // namespace

std::string urlWithoutPassword(const std::string& url) {
    for (std::string_view scheme : {"postgresql://", "postgres://"}) {
        if (startsWith(url, scheme)) {
            return uriWithoutPassword(url, scheme.size());
        }
    }
    return keywordsWithoutPassword(url);
}

} // namespace nomix
