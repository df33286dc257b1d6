// SPDX-License-Identifier: MIT
#include "utf8.h"

#include <cstdint>
#include <cstring>

namespace nomix {

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char kUnencodable = '?';

bool isAscii(std::string_view bytes) {
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// The Windows-1252 byte for a character, or '?' when it has none.
char windows1252Byte(char32_t character) {
    if (character < 0x80 || (character >= 0xA0 && character <= 0xFF)) {
        return static_cast<char>(character);
    }
    for (unsigned i = 0; i < 32; ++i) {
        if (kWindows1252High[i] == character) {
            return static_cast<char>(0x80 + i);
        }
    }
    return kUnencodable;
}

// Decodes the UTF-8 sequence at `text[pos]` (known to be valid) and moves
// `pos` past it.
char32_t nextCharacter(std::string_view text, size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos++]);
    if (lead < 0x80) {
        return lead;
    }
    const size_t continuation = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
    char32_t character = lead & (0x3F >> continuation);
    for (size_t i = 0; i < continuation; ++i) {
        character = (character << 6) | (static_cast<unsigned char>(text[pos++]) & 0x3F);
    }
    return character;
}

void appendUtf8(std::string& out, char32_t character) {
    if (character < 0x80) {
        out += static_cast<char>(character);
    } else if (character < 0x800) {
        out += static_cast<char>(0xC0 | (character >> 6));
        out += static_cast<char>(0x80 | (character & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (character >> 12));
        out += static_cast<char>(0x80 | ((character >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (character & 0x3F));
    }
}

} // namespace

char32_t windows1252Character(unsigned char byte) {
    return byte >= 0x80 && byte <= 0x9F ? kWindows1252High[byte - 0x80] : byte;
}

std::string dataBytesFromUtf8(std::string_view typed, bool dataIsUtf8) {
    if (dataIsUtf8 || isAscii(typed) || !isValidUtf8Bytes(typed.data(), typed.size())) {
        return std::string(typed);
    }
    std::string bytes;
    bytes.reserve(typed.size());
    for (size_t pos = 0; pos < typed.size();) {
        bytes += windows1252Byte(nextCharacter(typed, pos));
    }
    return bytes;
}

std::string displayUtf8(std::string_view bytes) {
    if (isValidUtf8Bytes(bytes.data(), bytes.size())) {
        return std::string(bytes);
    }
    std::string text;
    text.reserve(bytes.size() * 2);
    for (char c : bytes) {
        appendUtf8(text, windows1252Character(static_cast<unsigned char>(c)));
    }
    return text;
}

size_t firstInvalidUtf8Byte(const char* data, size_t size) {
    const auto* const start = reinterpret_cast<const unsigned char*>(data);
    const auto* p = start;
    const unsigned char* const end = p + size;
    while (p < end) {
        // Eight ASCII bytes at a time: the common case of virus names.
        if (end - p >= 8) {
            uint64_t word;
            std::memcpy(&word, p, 8);
            if ((word & 0x8080808080808080ull) == 0) {
                p += 8;
                continue;
            }
        }
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        size_t length = 0;
        uint32_t min = 0;
        uint32_t code = 0;
        if ((c & 0xE0) == 0xC0) {
            length = 2;
            min = 0x80;
            code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3;
            min = 0x800;
            code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4;
            min = 0x10000;
            code = c & 0x07;
        } else {
            return static_cast<size_t>(p - start);
        }
        if (static_cast<size_t>(end - p) < length) {
            return static_cast<size_t>(p - start);
        }
        for (size_t i = 1; i < length; ++i) {
            if ((p[i] & 0xC0) != 0x80) {
                return static_cast<size_t>(p - start);
            }
            code = (code << 6) | (p[i] & 0x3F);
        }
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return static_cast<size_t>(p - start);
        }
        p += length;
    }
    return size;
}

bool isValidUtf8Bytes(const char* data, size_t size) {
    return firstInvalidUtf8Byte(data, size) == size;
}

} // namespace nomix
