// SPDX-License-Identifier: MIT
#include "bytecount.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) && defined(__x86_64__)
#define NOMIX_COUNT_SSE2 1
#include <emmintrin.h>
#endif

namespace nomix {

namespace {

#ifdef NOMIX_COUNT_SSE2

// Sixteen bytes at a time: each compare gives -1 in the lanes that hold
// `byte`, subtracted into sixteen byte-wide counters, which are summed
// before any can pass 255.
size_t countByteSse2(const char* data, size_t size, char byte) {
    constexpr size_t kBlocksPerSum = 255;
    const __m128i wanted = _mm_set1_epi8(byte);
    size_t count = 0;
    size_t i = 0;
    while (size - i >= 16) {
        const size_t blocks = std::min((size - i) / 16, kBlocksPerSum);
        __m128i counters = _mm_setzero_si128();
        for (size_t b = 0; b < blocks; ++b, i += 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
            counters = _mm_sub_epi8(counters, _mm_cmpeq_epi8(bytes, wanted));
        }
        const __m128i sums = _mm_sad_epu8(counters, _mm_setzero_si128()); // two 64-bit sums
        count += static_cast<size_t>(_mm_cvtsi128_si64(sums)) +
                 static_cast<size_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums)));
    }
    for (; i < size; ++i) {
        count += data[i] == byte ? 1 : 0;
    }
    return count;
}

#else

// The sum of the eight bytes of `lanes`, each at most 255.
size_t sumOfBytes(uint64_t lanes) {
    constexpr uint64_t kEvenBytes = 0x00ff00ff00ff00ffull;
    const uint64_t pairs = (lanes & kEvenBytes) + ((lanes >> 8) & kEvenBytes);
    return static_cast<size_t>((pairs * 0x0001000100010001ull) >> 48);
}

// Eight bytes at a time into eight byte-wide counters.
size_t countByteSwar(const char* data, size_t size, char byte) {
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
        count += sumOfBytes(lanes);
    }
    for (; i < size; ++i) {
        count += data[i] == byte ? 1 : 0;
    }
    return count;
}

#endif

} // namespace

size_t countByte(const char* data, size_t size, char byte) {
#ifdef NOMIX_COUNT_SSE2
    return countByteSse2(data, size, byte);
#else
    return countByteSwar(data, size, byte);
#endif
}

} // namespace nomix
