// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nomix {

// Maps 'a'..'z' onto 'A'..'Z' and leaves every other byte as it is: the only
// case folding the program knows.
std::string upperCaseAscii(std::string_view text);

// Finds an upper-cased needle in text as if the text were upper-cased too,
// without copying or upper-casing the text. A letter of the needle matches
// itself and its lower-case form; any other byte matches only itself.
//
// The scan tests two bytes of the needle (its rarest and the end farther
// from it) on 16 (SSE2) or 32 (AVX2, chosen at run time) positions at once
// and compares the rest only where both agree, so common text streams
// through at close to memory speed.
class AsciiFinder {
  public:
    static constexpr size_t npos = static_cast<size_t>(-1);

    explicit AsciiFinder(std::string_view upperNeedle);

    size_t size() const { return m_needle.size(); }
    // Offset of the first occurrence in [text, text + length), or npos. An
    // empty needle occurs nowhere.
    size_t find(const char* text, size_t length) const;
    size_t find(std::string_view text) const { return find(text.data(), text.size()); }

    // True when the needle stands at `text` (which has at least size() bytes).
    bool matchesAt(const char* text) const;

  private:
    size_t findScalar(const char* text, size_t from, size_t length) const;
    size_t findSse2(const char* text, size_t length) const;
    size_t findAvx2(const char* text, size_t length) const;

    std::string m_needle;
    // Byte i of a text matches needle byte i when (byte | m_orMask[i]) == m_folded[i].
    std::vector<uint8_t> m_orMask;
    std::vector<uint8_t> m_folded;
    // The two needle positions the vector scans test, m_probeA <= m_probeB.
    size_t m_probeA = 0;
    size_t m_probeB = 0;
    bool m_useAvx2 = false;
};

} // namespace nomix
