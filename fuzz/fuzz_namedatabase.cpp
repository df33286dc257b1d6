// SPDX-License-Identifier: MIT
// The name database split into lines, then searched in every match mode,
// each result compared with a plain reading of the line and match rules,
// and with the search straight from the bytes in blocks so small that most
// lines straddle two.
//
// Input: byte 0 holds the request's flags and column count, byte 1 which of
// the first eight columns are selected (column c uses bit c mod 8), then the
// search string up to the first NUL byte, then the database bytes. Without a
// NUL the first bytes after the header are both the search string and the
// start of the database, so hits are common.

#include "fuzzcheck.h"

#include "core/asciifinder.h"
#include "core/databaselines.h"
#include "core/fields.h"
#include "core/searchengine.h"
#include "core/streamsearch.h"
#include "core/utf8.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

using namespace nomix;

namespace {

constexpr size_t kHeaderBytes = 2;
constexpr size_t kUnseparatedNeedle = 8;

// A CR ends a line, a LF right after it goes with it, a byte 26 ends the
// file; in a file without any CR, a LF ends a line instead. Each line loses
// its first and last character.
std::vector<std::string> referenceLines(std::string_view bytes) {
    bytes = bytes.substr(0, bytes.find('\x1a'));
    const char terminator = bytes.find('\r') == std::string_view::npos ? '\n' : '\r';
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < bytes.size()) {
        const size_t found = bytes.find(terminator, pos);
        const size_t end = found == std::string_view::npos ? bytes.size() : found;
        const std::string_view raw = bytes.substr(pos, end - pos);
        lines.emplace_back(raw.size() <= 2 ? std::string_view() : raw.substr(1, raw.size() - 2));
        if (found == std::string_view::npos) {
            break;
        }
        pos = found + 1;
        if (terminator == '\r' && pos < bytes.size() && bytes[pos] == '\n') {
            ++pos;
        }
    }
    return lines;
}

bool referenceFieldMatches(const std::string& upperNeedle, std::string_view field, MatchMode mode) {
    const size_t first = field.find(upperNeedle);
    if (first == std::string_view::npos) {
        return false;
    }
    switch (mode) {
    case MatchMode::Substring:
        return true;
    case MatchMode::BeginsWith:
        return first == 0;
    case MatchMode::EndsWith:
        return first + upperNeedle.size() == field.size();
    case MatchMode::CompleteMatch:
        return first == 0 && upperNeedle.size() == field.size();
    }
    return false;
}

// The search as the rules put it: the whole upper-cased line first, then
// each selected column's field in turn. A string no name can hold ('|', a
// line end, byte 26) finds nothing.
std::vector<uint32_t> referenceHits(const std::vector<std::string>& lines,
                                    const SearchRequest& request) {
    const std::string needle = upperCaseAscii(request.text);
    std::vector<uint32_t> hits;
    if (needle.empty() ||
        needle.find_first_of(std::string_view("|\r\n\x1a", 4)) != std::string::npos) {
        return hits;
    }
    for (size_t k = 0; k < lines.size(); ++k) {
        const std::string line = upperCaseAscii(lines[k]);
        if (line.find(needle) == std::string::npos) {
            continue;
        }
        bool hit = request.allProductsSelected && request.mode == MatchMode::Substring;
        for (size_t c = 0; !hit && c < request.columnCount; ++c) {
            if (c < request.selected.size() && request.selected[c]) {
                hit = referenceFieldMatches(
                    needle, fieldAtByChar(static_cast<int32_t>(c + 1), line, '|'), request.mode);
            }
        }
        if (hit) {
            hits.push_back(static_cast<uint32_t>(k));
        }
    }
    return hits;
}

class CheckingObserver : public SearchObserver {
  public:
    explicit CheckingObserver(int stopAfter) : m_stopAfter(stopAfter) {}
    void progressChanged(int percent) override {
        FUZZ_CHECK(percent >= m_lastPercent && percent >= 0 && percent < 100);
        m_lastPercent = percent;
    }
    void counterChanged(int32_t hitCount) override {
        FUZZ_CHECK(hitCount % 10 == 0 && hitCount > m_lastCounter);
        m_lastCounter = hitCount;
    }
    bool processMessages(int32_t) override { return m_stopAfter >= 0 && m_calls++ >= m_stopAfter; }

  private:
    int m_stopAfter;
    int m_calls = 0;
    int m_lastPercent = 0;
    int32_t m_lastCounter = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kHeaderBytes) {
        return 0;
    }
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const uint8_t flags = data[0];
    const uint8_t selection = data[1];
    std::string_view rest = input.substr(kHeaderBytes);
    std::string_view needle;
    std::string_view database;
    if (const size_t nul = rest.find('\0'); nul != std::string_view::npos) {
        needle = rest.substr(0, nul);
        database = rest.substr(nul + 1);
    } else {
        needle = rest.substr(0, kUnseparatedNeedle);
        database = rest;
    }

    std::unique_ptr<char[]> buffer(new char[database.size() + 1]);
    std::memcpy(buffer.get(), database.data(), database.size());
    const DatabaseLines lines(std::move(buffer), database.size());
    const std::vector<std::string> expectedLines = referenceLines(database);
    FUZZ_CHECK(lines.count() == expectedLines.size());
    for (size_t k = 0; k < lines.count(); ++k) {
        FUZZ_CHECK(lines.at(k) == expectedLines[k]);
    }

    MemoryByteSource utf8Source(database, 1 + flags % 5);
    FUZZ_CHECK(streamIsUtf8(utf8Source, 1 + selection % 11) ==
               isValidUtf8Bytes(lines.data(), lines.dataSize()));

    SearchRequest request;
    request.text = std::string(needle);
    request.columnCount = flags & 0x0f;
    request.allProductsSelected = (flags & 0x10) != 0;
    request.numericOnly = (flags & 0x20) != 0;
    request.updateCounter = (flags & 0x40) != 0;
    request.background = (flags & 0x80) != 0;
    for (size_t c = 0; c < request.columnCount; ++c) {
        request.selected.push_back(((selection >> (c % 8)) & 1u) != 0);
    }
    for (MatchMode mode : {MatchMode::Substring, MatchMode::BeginsWith, MatchMode::EndsWith,
                           MatchMode::CompleteMatch}) {
        request.mode = mode;
        const std::vector<uint32_t> expected = referenceHits(expectedLines, request);
        CheckingObserver observer(-1);
        const SearchOutcome outcome = runSearch(lines, request, &observer);
        FUZZ_CHECK(!outcome.stopped);
        FUZZ_CHECK(outcome.hitCount == static_cast<int32_t>(expected.size()));
        FUZZ_CHECK(outcome.hits == (request.numericOnly ? std::vector<uint32_t>() : expected));

        MemoryByteSource source(database, 1 + flags % 7);
        const size_t blockBytes = 1 + selection % 13;
        std::vector<uint32_t> streamed;
        const int32_t listed = streamSearch(
            source, request,
            [&](uint32_t k, std::string_view text) {
                FUZZ_CHECK(k < expectedLines.size() && text == expectedLines[k]);
                streamed.push_back(k);
            },
            blockBytes);
        FUZZ_CHECK(listed == static_cast<int32_t>(expected.size()) && streamed == expected);
        source.rewind();
        FUZZ_CHECK(streamSearch(source, request, {}, blockBytes) == listed);

        // A stop keeps the hits found so far: a leading part of the whole.
        CheckingObserver stopping(selection & 3);
        const SearchOutcome stopped = runSearch(lines, request, &stopping);
        FUZZ_CHECK(stopped.hits.size() <= outcome.hits.size());
        FUZZ_CHECK(std::equal(stopped.hits.begin(), stopped.hits.end(), outcome.hits.begin()));
        FUZZ_CHECK(request.background || !stopped.stopped);
    }
    return 0;
}
