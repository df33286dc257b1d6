// SPDX-License-Identifier: MIT
#include "asciifinder.h"

#include <algorithm>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define NOMIX_X86 1
#endif

namespace nomix {

namespace {

bool isUpperLetter(unsigned char c) {
    return c >= 'A' && c <= 'Z';
}

// Bytes of virus names from the most to the least frequent, counted on a
// real database with letters upper-cased; bytes not listed are rarer still.
constexpr std::string_view kBytesByFrequency =
    "NRO|I.VSUAE_TWD2J3BLGCP/MKF1Y- :0H!54867Z9)(XQ][@+~}{<$";

// Higher for more frequent bytes of the (upper-cased) needle.
size_t commonness(char c) {
    const size_t rank = kBytesByFrequency.find(c);
    return rank == std::string_view::npos ? 0 : kBytesByFrequency.size() - rank;
}

bool cpuHasAvx2() {
#ifdef NOMIX_X86
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

} // namespace

std::string upperCaseAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - ('a' - 'A'));
        }
    }
    return out;
}

AsciiFinder::AsciiFinder(std::string_view upperNeedle) : m_needle(upperNeedle) {
    m_orMask.reserve(m_needle.size());
    m_folded.reserve(m_needle.size());
    for (char ch : m_needle) {
        const auto c = static_cast<unsigned char>(ch);
        // Setting bit 5 maps exactly the two cases of a letter onto its lower
        // case; for any other byte an exact compare is needed.
        const uint8_t mask = isUpperLetter(c) ? 0x20 : 0x00;
        m_orMask.push_back(mask);
        m_folded.push_back(static_cast<uint8_t>(c | mask));
    }
    static const bool avx2 = cpuHasAvx2();
    m_useAvx2 = avx2;

    // The vector scans test two bytes of the needle before comparing the
    // rest. First and last byte would be the plain choice, but pairs of
    // common letters leave a candidate every few hundred bytes, each costing
    // a mispredicted branch. So test the needle's rarest byte, with the end
    // of the needle farther from it: bytes far apart are less related.
    if (!m_needle.empty()) {
        const size_t last = m_needle.size() - 1;
        size_t rarest = 0;
        for (size_t i = 1; i <= last; ++i) {
            if (commonness(m_needle[i]) < commonness(m_needle[rarest])) {
                rarest = i;
            }
        }
        const size_t other = rarest >= last - rarest ? 0 : last;
        m_probeA = std::min(rarest, other);
        m_probeB = std::max(rarest, other);
    }
}

bool AsciiFinder::matchesAt(const char* text) const {
    const size_t m = m_needle.size();
    for (size_t i = 0; i < m; ++i) {
        if ((static_cast<uint8_t>(text[i]) | m_orMask[i]) != m_folded[i]) {
            return false;
        }
    }
    return true;
}

size_t AsciiFinder::findScalar(const char* text, size_t from, size_t length) const {
    const size_t m = m_needle.size();
    if (m == 0 || length < m) {
        return npos;
    }
    const uint8_t firstMask = m_orMask[0];
    const uint8_t firstValue = m_folded[0];
    for (size_t i = from; i + m <= length; ++i) {
        if ((static_cast<uint8_t>(text[i]) | firstMask) == firstValue && matchesAt(text + i)) {
            return i;
        }
    }
    return npos;
}

size_t AsciiFinder::find(const char* text, size_t length) const {
    if (m_needle.empty() || length < m_needle.size()) {
        return npos;
    }
#ifdef NOMIX_X86
    return m_useAvx2 ? findAvx2(text, length) : findSse2(text, length);
#else
    return findScalar(text, 0, length);
#endif
}

#ifdef NOMIX_X86

namespace {

// Bytes p[0..15] compared with one needle byte: 0xFF where (byte | mask) == value.
__m128i bytesMatch16(const char* p, __m128i mask, __m128i value) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    return _mm_cmpeq_epi8(_mm_or_si128(bytes, mask), value);
}

__attribute__((target("avx2"))) __m256i bytesMatch32(const char* p, __m256i mask, __m256i value) {
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    return _mm256_cmpeq_epi8(_mm256_or_si256(bytes, mask), value);
}

} // namespace

size_t AsciiFinder::findSse2(const char* text, size_t length) const {
    const size_t last = m_needle.size() - 1;
    const __m128i maskA = _mm_set1_epi8(static_cast<char>(m_orMask[m_probeA]));
    const __m128i valueA = _mm_set1_epi8(static_cast<char>(m_folded[m_probeA]));
    const __m128i maskB = _mm_set1_epi8(static_cast<char>(m_orMask[m_probeB]));
    const __m128i valueB = _mm_set1_epi8(static_cast<char>(m_folded[m_probeB]));
    size_t i = 0;
    // Block at i covers starts i..i+15, whose whole needle must lie inside
    // the text: up to i + last + 15.
    for (; i + last + 16 <= length; i += 16) {
        const __m128i candidates = _mm_and_si128(bytesMatch16(text + i + m_probeA, maskA, valueA),
                                                 bytesMatch16(text + i + m_probeB, maskB, valueB));
        unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(candidates));
        while (bits != 0) {
            const size_t at = i + static_cast<size_t>(__builtin_ctz(bits));
            if (matchesAt(text + at)) {
                return at;
            }
            bits &= bits - 1;
        }
    }
    return findScalar(text, i, length);
}

__attribute__((target("avx2"))) size_t AsciiFinder::findAvx2(const char* text,
                                                             size_t length) const {
    const size_t last = m_needle.size() - 1;
    const __m256i maskA = _mm256_set1_epi8(static_cast<char>(m_orMask[m_probeA]));
    const __m256i valueA = _mm256_set1_epi8(static_cast<char>(m_folded[m_probeA]));
    const __m256i maskB = _mm256_set1_epi8(static_cast<char>(m_orMask[m_probeB]));
    const __m256i valueB = _mm256_set1_epi8(static_cast<char>(m_folded[m_probeB]));
    size_t i = 0;
    for (; i + last + 32 <= length; i += 32) {
        const __m256i candidates =
            _mm256_and_si256(bytesMatch32(text + i + m_probeA, maskA, valueA),
                             bytesMatch32(text + i + m_probeB, maskB, valueB));
        unsigned bits = static_cast<unsigned>(_mm256_movemask_epi8(candidates));
        while (bits != 0) {
            const size_t at = i + static_cast<size_t>(__builtin_ctz(bits));
            if (matchesAt(text + at)) {
                return at;
            }
            bits &= bits - 1;
        }
    }
    return findScalar(text, i, length);
}

#endif

} // namespace nomix
