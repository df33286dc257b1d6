// SPDX-License-Identifier: MIT
// The product table reader on any bytes, and the field rule and the entry
// splitting on everything it gives.

#include "fuzzcheck.h"

#include "core/fields.h"
#include "core/producttable.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace nomix;

namespace {

constexpr int32_t kEdgeFields = 8;

// The three field routines must agree with each other on any text.
void checkFieldRule(std::string_view text, char delimiter) {
    const DelimiterSet set{static_cast<unsigned char>(delimiter)};
    const int32_t count = countFields(text, set);
    FUZZ_CHECK(count >= 0 && static_cast<size_t>(count) <= text.size());
    // Each call rescans from the start: the first and last fields are
    // enough to check, and keep a long text from costing quadratic time.
    size_t previousEnd = 0;
    for (int32_t n = 1; n <= count;
         n = (n == kEdgeFields && count > 2 * kEdgeFields) ? count - kEdgeFields + 1 : n + 1) {
        const std::string field = fieldAt(n, text, set);
        FUZZ_CHECK(!field.empty());
        FUZZ_CHECK(field.find(delimiter) == std::string::npos);
        FUZZ_CHECK(fieldAtByChar(n, text, delimiter) == field);
        FUZZ_CHECK(fieldViewByChar(n, text, delimiter) == field);
        const int32_t start = fieldStart(n, text, set);
        FUZZ_CHECK(start == fieldStartByChar(n, text, delimiter));
        FUZZ_CHECK(start >= 1 && static_cast<size_t>(start) > previousEnd);
        FUZZ_CHECK(text.substr(static_cast<size_t>(start) - 1, field.size()) == field);
        previousEnd = static_cast<size_t>(start) - 1 + field.size();
    }
    for (int32_t n : {0, -1, count + 1}) {
        FUZZ_CHECK(fieldStart(n, text, set) == 0);
        FUZZ_CHECK(fieldAt(n, text, set).empty());
        FUZZ_CHECK(fieldViewByChar(n, text, delimiter).empty());
    }
}

// Name, version and date hold exactly the entry's words, in order, with the
// date last and the version starting at the first word that begins with a
// digit.
void checkSplit(std::string_view entry) {
    const ProductItem item = splitProductEntry(entry);
    const int32_t words = countFields(entry, kBlankSet);
    FUZZ_CHECK(item.date == fieldAtByChar(words, entry, ' '));
    std::string rejoined = item.name + item.version;
    if (words > 0) {
        rejoined += ' ' + item.date;
    }
    std::string expected;
    for (int32_t k = 1; k <= words; ++k) {
        expected += ' ' + fieldAtByChar(k, entry, ' ');
    }
    FUZZ_CHECK(rejoined == expected);
    const int32_t nameWords = countFields(item.name, kBlankSet);
    for (int32_t k = 1; k <= nameWords; ++k) {
        const char first = fieldViewByChar(k, item.name, ' ')[0];
        FUZZ_CHECK(first < '0' || first > '9');
    }
    if (!item.version.empty()) {
        const char first = item.version[1];
        FUZZ_CHECK(first >= '0' && first <= '9');
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const ProductTable table = parseProductTable(bytes, size);

    const std::string_view text = bytes.substr(0, bytes.find('\0'));
    FUZZ_CHECK(table.label == fieldAt(1, text, kBarSet));

    // The entries as the rules put them: field i of the product area, which
    // runs from after the first '|' to the line end closing the file (CR LF,
    // LF, CR or none).
    size_t lineEnd = 0;
    if (size >= 2 && bytes.substr(size - 2) == "\r\n") {
        lineEnd = 2;
    } else if (size >= 1 && (bytes.back() == '\n' || bytes.back() == '\r')) {
        lineEnd = 1;
    }
    const size_t bar = text.find('|');
    const size_t first = bar == std::string_view::npos ? 0 : bar + 1;
    const size_t end = std::min(size - lineEnd, text.size());
    const std::string_view area = first < end ? text.substr(first, end - first) : "";
    const int32_t count = countFields(area, kBarSet);
    FUZZ_CHECK(table.entries.size() == static_cast<size_t>(count));
    if (count <= kEdgeFields * 8) {
        for (int32_t i = 1; i <= count; ++i) {
            FUZZ_CHECK(table.entries[static_cast<size_t>(i - 1)] == fieldAt(i, area, kBarSet));
        }
    }
    // Every entry is a field of the text, found in order after the label's bar.
    size_t from = text.find('|') == std::string_view::npos ? 0 : text.find('|') + 1;
    for (const std::string& entry : table.entries) {
        FUZZ_CHECK(!entry.empty());
        FUZZ_CHECK(entry.find('|') == std::string::npos);
        FUZZ_CHECK(entry.find('\0') == std::string::npos);
        const size_t at = text.find(entry, from);
        FUZZ_CHECK(at != std::string_view::npos);
        from = at + entry.size();
        checkSplit(entry);
    }
    // The line end belongs to no entry.
    FUZZ_CHECK(from <= size - lineEnd || table.entries.empty());

    checkFieldRule(text, '|');
    checkFieldRule(text, ' ');
    return 0;
}
