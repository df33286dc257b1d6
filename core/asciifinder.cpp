#include "asciifinder.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define NOMIX_X86 1
#endif

namespace nomix {

namespace {

bool isUpperLetter(unsigned char c) {
    return c >= 'A' && c <= 'Z';
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

std::string UpperCaseAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - ('a' - 'A'));
        }
    }
    return out;
}

AsciiFinder::AsciiFinder(std::string_view upperNeedle) : needle_(upperNeedle) {
    orMask_.reserve(needle_.size());
    folded_.reserve(needle_.size());
    for (char ch : needle_) {
        const auto c = static_cast<unsigned char>(ch);
        // Setting bit 5 maps exactly the two cases of a letter onto its lower
        // case; for any other byte an exact compare is needed.
        const uint8_t mask = isUpperLetter(c) ? 0x20 : 0x00;
        orMask_.push_back(mask);
        folded_.push_back(static_cast<uint8_t>(c | mask));
    }
    static const bool avx2 = cpuHasAvx2();
    useAvx2_ = avx2;
}

bool AsciiFinder::matchesAt(const char* text) const {
    const size_t m = needle_.size();
    for (size_t i = 0; i < m; ++i) {
        if ((static_cast<uint8_t>(text[i]) | orMask_[i]) != folded_[i]) {
            return false;
        }
    }
    return true;
}

size_t AsciiFinder::findScalar(const char* text, size_t from, size_t length) const {
    const size_t m = needle_.size();
    if (m == 0 || length < m) {
        return npos;
    }
    const uint8_t firstMask = orMask_[0];
    const uint8_t firstValue = folded_[0];
    for (size_t i = from; i + m <= length; ++i) {
        if ((static_cast<uint8_t>(text[i]) | firstMask) == firstValue && matchesAt(text + i)) {
            return i;
        }
    }
    return npos;
}

size_t AsciiFinder::find(const char* text, size_t length) const {
    if (needle_.empty() || length < needle_.size()) {
        return npos;
    }
#ifdef NOMIX_X86
    return useAvx2_ ? findAvx2(text, length) : findSse2(text, length);
#else
    return findScalar(text, 0, length);
#endif
}

#ifdef NOMIX_X86

size_t AsciiFinder::findSse2(const char* text, size_t length) const {
    const size_t m = needle_.size();
    const size_t last = m - 1;
    const __m128i firstMask = _mm_set1_epi8(static_cast<char>(orMask_[0]));
    const __m128i firstValue = _mm_set1_epi8(static_cast<char>(folded_[0]));
    const __m128i lastMask = _mm_set1_epi8(static_cast<char>(orMask_[last]));
    const __m128i lastValue = _mm_set1_epi8(static_cast<char>(folded_[last]));
    size_t i = 0;
    // Block at i covers starts i..i+15; its last-byte load reads up to
    // i + last + 15, which must stay inside the text.
    for (; i + last + 16 <= length; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i + last));
        const __m128i eqA = _mm_cmpeq_epi8(_mm_or_si128(a, firstMask), firstValue);
        const __m128i eqB = _mm_cmpeq_epi8(_mm_or_si128(b, lastMask), lastValue);
        unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(eqA, eqB)));
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
    const size_t m = needle_.size();
    const size_t last = m - 1;
    const __m256i firstMask = _mm256_set1_epi8(static_cast<char>(orMask_[0]));
    const __m256i firstValue = _mm256_set1_epi8(static_cast<char>(folded_[0]));
    const __m256i lastMask = _mm256_set1_epi8(static_cast<char>(orMask_[last]));
    const __m256i lastValue = _mm256_set1_epi8(static_cast<char>(folded_[last]));
    size_t i = 0;
    for (; i + last + 32 <= length; i += 32) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + i));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + i + last));
        const __m256i eqA = _mm256_cmpeq_epi8(_mm256_or_si256(a, firstMask), firstValue);
        const __m256i eqB = _mm256_cmpeq_epi8(_mm256_or_si256(b, lastMask), lastValue);
        unsigned bits = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_and_si256(eqA, eqB)));
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
