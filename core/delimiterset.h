// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>

namespace nomix {

// A set of byte values, one bit each: bit v of byte v / 8 is set when byte
// value v is a delimiter. Thirty-two bytes, cheap to copy and to test.
class DelimiterSet {
  public:
    constexpr DelimiterSet() = default;
    constexpr DelimiterSet(std::initializer_list<unsigned char> bytes) {
        for (unsigned char b : bytes) {
            add(b);
        }
    }

    constexpr void add(unsigned char b) { m_bits[b >> 3] |= static_cast<uint8_t>(1u << (b & 7)); }
    constexpr bool contains(unsigned char b) const { return (m_bits[b >> 3] >> (b & 7)) & 1u; }

  private:
    std::array<uint8_t, 32> m_bits{};
};

inline constexpr DelimiterSet kBarSet{'|'};
inline constexpr DelimiterSet kBlankSet{' '};

} // namespace nomix
