#include "bytecount.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace nomix {

namespace {

// The sum of the eight bytes of `lanes`, each at most 255.
size_t SumOfBytes(uint64_t lanes) {
    constexpr uint64_t kEvenBytes = 0x00ff00ff00ff00ffull;
    const uint64_t pairs = (lanes & kEvenBytes) + ((lanes >> 8) & kEvenBytes);
    return static_cast<size_t>((pairs * 0x0001000100010001ull) >> 48);
}

} // namespace

// Eight bytes at a time into eight byte-wide counters.
size_t CountByte(const char* data, size_t size, char byte) {
    constexpr uint64_t kLow7 = 0x7f7f7f7f7f7f7f7full;
    constexpr size_t kWordsPerSum = 255; // a counter's limit
    const uint64_t pattern = 0x0101010101010101ull * static_cast<unsigned char>(byte);
    size_t count = 0;
    size_t i = 0;
    while (size - i >= 8) {
        const size_t words = std::min((size - i) / 8, kWordsPerSum);
        uint64_t lanes = 0;
        for (size_t w = 0; w < words; ++w, i += 8) {
            uint64_t word;
            std::memcpy(&word, data + i, 8);
            const uint64_t x = word ^ pattern;                  // a zero byte where `byte` stands
            const uint64_t nonZero = ((x & kLow7) + kLow7) | x; // top bit of each non-zero byte
            lanes += (~nonZero & ~kLow7) >> 7;
        }
        count += SumOfBytes(lanes);
    }
    for (; i < size; ++i) {
        count += data[i] == byte ? 1 : 0;
    }
    return count;
}

} // namespace nomix
