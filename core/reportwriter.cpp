// SPDX-License-Identifier: MIT
#include "reportwriter.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__)
#include <emmintrin.h>
#define NOMIX_X86 1
#endif

namespace nomix {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kBanner = "NOMIX 1.1 for Windows 95 - by ";
constexpr size_t kLabelWidth = 25;
constexpr char kFieldDelimiter = '|';

// Room kept free after the bytes being written: the row code copies whole
// blocks of 32 bytes (labels and fields) before it knows how many of their
// bytes count, and the next copy overwrites the rest.
constexpr size_t kSpare = 64;

// "%-25s": blanks on the right up to the width, a longer text kept whole.
std::string paddedLabel(std::string_view text) {
    std::string padded(text);
    if (padded.size() < kLabelWidth) {
        padded.append(kLabelWidth - padded.size(), ' ');
    }
    return padded;
}

std::string_view withoutLeadingBlanks(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

// A selected product: which field of a line it shows, and what goes before
// that field: the end of the previous product's line, if there is one, and
// the product's label. One copy for both saves a store per field.
struct Column {
    size_t field = 0;
    size_t leadInSize = 0;
    // Blank-padded to at least kLeadInSlot bytes, so that the usual lead-in
    // is one fixed-size copy.
    std::string leadIn;
};

// Fits the lead-in of every product name of 28 characters or less: a line
// end, "%-25s" and ": ".
constexpr size_t kLeadInSlot = 32;

Column makeColumn(size_t field, std::string_view productName, bool first) {
    Column column;
    column.field = field;
    column.leadIn =
        std::string(first ? "" : kLineEnd) + paddedLabel(withoutLeadingBlanks(productName)) + ": ";
    column.leadInSize = column.leadIn.size();
    column.leadIn.resize(std::max(column.leadInSize, kLeadInSlot), ' ');
    return column;
}

char* putLeadIn(char* out, const Column& column) {
    if (column.leadInSize <= kLeadInSlot) {
        std::memcpy(out, column.leadIn.data(), kLeadInSlot);
    } else {
        std::memcpy(out, column.leadIn.data(), column.leadInSize);
    }
    return out + column.leadInSize;
}

char* putLineEnd(char* out) {
    std::memcpy(out, kLineEnd.data(), kLineEnd.size());
    return out + kLineEnd.size();
}

// Under the program's field rule a run of delimiters is one separator, and
// none at either end of a line counts.
const char* skipDelimiters(const char* p, const char* end) {
    while (p < end && *p == kFieldDelimiter) {
        ++p;
    }
    return p;
}

const char* fieldEnd(const char* p, const char* end) {
    if (p == end) {
        return end; // also the line of an index past the end, which has no bytes
    }
    const void* hit = std::memchr(p, kFieldDelimiter, static_cast<size_t>(end - p));
    return hit ? static_cast<const char*>(hit) : end;
}

#ifdef NOMIX_X86
// Copies the 32 bytes at `from` to `to` and returns a bit per byte, set
// where the byte is a delimiter.
uint32_t copyBlockFindDelimiters(const char* from, char* to) {
    const __m128i delimiter = _mm_set1_epi8(kFieldDelimiter);
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 16));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to), low);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 16), high);
    const auto lowBits = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(low, delimiter)));
    const auto highBits = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(high, delimiter)));
    return lowBits | highBits << 16;
}
#endif

// Copies the field that starts at `p` (up to the next delimiter or `end`) to
// `out` and returns where it ends; `out` moves past the copy. Finding the end
// first and copying afterwards would read each field twice and cost a call
// per field, most fields being a dozen bytes.
//
// `readLimit` is the end of the database's bytes. The vector loop may read
// past `end` into the next line, never past `readLimit`: a buffer can end
// right after its last line.
//
// This and PutColumn are always inlined: as calls, GCC kept a row's read and
// write positions in memory between fields, and every field waited for them.
[[gnu::always_inline]] inline const char* CopyField(const char* p, const char* end,
                                                    const char* readLimit, char*& out) {
    if (p == end) {
        return p; // an empty field, or the missing line of an index past the end
    }
#ifdef NOMIX_X86
    // Blocks of 32 bytes are stored before we know where the field ends;
    // only the bytes up to the delimiter count. Almost every field fits in
    // one block, so the loop rarely goes round and its branch is rarely
    // mispredicted.
    constexpr ptrdiff_t kBlock = 32;
    while (readLimit - p >= kBlock) {
        const uint64_t delimiters = copyBlockFindDelimiters(p, out);
        // A stop where the line ends, if it ends inside the block; at the
        // block's end otherwise, which is no stop.
        const uint64_t lineEnd = uint64_t{1} << std::min(end - p, kBlock);
        // Unsigned, so that the count needs no sign extension on its way
        // to the next field's address.
        const auto length = static_cast<unsigned>(__builtin_ctzll(delimiters | lineEnd));
        out += length;
        p += length;
        if (length < kBlock) {
            return p;
        }
    }
#else
    (void)readLimit;
#endif
    // The rest of a field at the very end of the buffer, or any field where
    // there are no vector instructions.
    const char* const stop = fieldEnd(p, end);
    const auto length = static_cast<size_t>(stop - p);
    std::memcpy(out, p, length);
    out += length;
    return stop;
}

// A result row being written: where its line is read and where its text
// goes.
struct RowCursor {
    RowCursor(std::string_view line, char* text)
        : p(line.data()), end(line.data() + line.size()), out(text) {}
    const char* p;
    const char* end;
    size_t field = 0; // the field at or after p
    char* out;
};

// Writes a product's line of the row; fields between the selected ones are
// only skipped.
[[gnu::always_inline]] inline void PutColumn(RowCursor& row, const Column& column,
                                             const char* readLimit) {
    for (; row.field < column.field; ++row.field) {
        row.p = fieldEnd(skipDelimiters(row.p, row.end), row.end);
    }
    row.out = putLeadIn(row.out, column);
    row.p = CopyField(skipDelimiters(row.p, row.end), row.end, readLimit, row.out);
    ++row.field;
}

// The end of the last product's line, if any, and the row's empty line.
char* endRow(char* out, std::span<const Column> columns) {
    if (!columns.empty()) {
        out = putLineEnd(out);
    }
    return putLineEnd(out);
}

// Writes a result row (a line per selected product, then an empty line) at
// `out` and returns its end.
char* putRow(char* out, std::string_view line, const char* readLimit,
             std::span<const Column> columns) {
    RowCursor row(line, out);
    for (const Column& column : columns) {
        PutColumn(row, column, readLimit);
    }
    return endRow(row.out, columns);
}

// Writes two result rows one after the other at `out` and returns their
// end; the first row takes at most `firstBound` bytes. Where a field ends is
// known only once its bytes are read, so the fields of a line are a chain of
// waits, and one row at a time kept the processor waiting most of the time.
// Written in step, the two rows are two chains it works on at once; the
// second is written further on, clear of the first, and moved down to
// follow it afterwards, which costs far less than the waits saved.
char* putTwoRows(char* out, size_t firstBound, std::string_view firstLine,
                 std::string_view secondLine, const char* readLimit,
                 std::span<const Column> columns) {
    char* const secondStart = out + firstBound + kSpare;
    RowCursor first(firstLine, out);
    RowCursor second(secondLine, secondStart);
    for (const Column& column : columns) {
        PutColumn(first, column, readLimit);
        PutColumn(second, column, readLimit);
    }
    char* const firstEnd = endRow(first.out, columns);
    const auto secondSize = static_cast<size_t>(endRow(second.out, columns) - secondStart);
    std::memmove(firstEnd, secondStart, secondSize);
    return firstEnd + secondSize;
}

// The line of a row a few rows ahead is asked from memory now, so that it
// is in the cache when its turn comes: hits are spread over a buffer of
// hundreds of megabytes, and waiting for each line in turn cost more than
// all the copying. Eight rows ahead leaves a line time enough to come (four
// to sixteen measured alike); six cache lines cover the usual line of a few
// hundred bytes, and the processor fetches the rest of a longer one itself.
constexpr size_t kPrefetchRows = 8;
constexpr uintptr_t kPrefetchBytes = 384;
constexpr uintptr_t kCacheLine = 64;

// GCC takes a prefetch for an instruction without effect: it dropped calls
// to a function that only prefetched, and a prefetch loop bounded by the
// line's size. So this is inlined into the row loop, and the count of cache
// lines is fixed. A prefetch never faults, so one past the end of the buffer
// is harmless; the address is an integer so as not to form a pointer past
// it.
[[gnu::always_inline]] inline void Prefetch(std::string_view line) {
    const auto address = reinterpret_cast<uintptr_t>(line.data());
    for (uintptr_t offset = 0; offset < kPrefetchBytes; offset += kCacheLine) {
        __builtin_prefetch(reinterpret_cast<const char*>(address + offset));
    }
}

int rowPercent(size_t row, size_t rowCount) {
    return static_cast<int>(static_cast<uint64_t>(row) * 100 / rowCount);
}

} // namespace

ReportWriter::ReportWriter(ReportSink& sink, size_t blockSize)
    : m_sink(sink), m_blockSize(std::max<size_t>(blockSize, 1)) {}

void ReportWriter::writeHeader(const ReportHeader& header) {
    append(kBanner);
    append(kReportAuthorNotice);
    append(" ");
    append(header.date);
    append(" ");
    append(header.time);
    append(kLineEnd);
    append(kLineEnd);
    append(paddedLabel("Word searched"));
    append(": \"");
    append(header.searchText);
    append("\"");
    append(kLineEnd);
    append(paddedLabel("Total items found"));
    append(": #");
    append(std::to_string(header.hitCount));
    append(kLineEnd);
    append(kLineEnd);
    append(kLineEnd);
    flushIfFull();
}

void ReportWriter::writeRows(const ReportRows& rows, const ReportProgress& onRow) {
    std::vector<Column> columns;
    size_t bytesBesideFields = 2 * kLineEnd.size(); // per row
    for (size_t column = 0; column < rows.productNames.size(); ++column) {
        if (rows.selection.isSelected(column)) {
            columns.push_back(makeColumn(column, rows.productNames[column], columns.empty()));
            bytesBesideFields += columns.back().leadInSize;
        }
    }
    const size_t rowCount = rows.resultList.size();
    // An index past the end cannot come from a search; it gives empty
    // fields rather than a read outside the data.
    const auto lineOf = [&](size_t row) {
        const uint32_t index = rows.resultList[row];
        return index < rows.lines.count() ? rows.lines.at(index) : std::string_view();
    };
    // The fields are parts of the line, so the line's size bounds them.
    const auto rowBound = [&](std::string_view line) { return bytesBesideFields + line.size(); };
    const auto progress = [&](size_t row) {
        if (onRow) {
            onRow(rowPercent(row, rowCount));
        }
    };
    const char* const readLimit = rows.lines.data() + rows.lines.dataSize();
    size_t row = 0;
    for (; row + 1 < rowCount; row += 2) {
        if (row + kPrefetchRows + 1 < rowCount) {
            Prefetch(lineOf(row + kPrefetchRows));
            Prefetch(lineOf(row + kPrefetchRows + 1));
        }
        const std::string_view first = lineOf(row);
        const std::string_view second = lineOf(row + 1);
        char* const out = room(rowBound(first) + kSpare + rowBound(second));
        char* const end = putTwoRows(out, rowBound(first), first, second, readLimit, columns);
        m_used += static_cast<size_t>(end - out);
        flushIfFull();
        progress(row);
        progress(row + 1);
    }
    if (row < rowCount) {
        const std::string_view line = lineOf(row);
        char* const out = room(rowBound(line));
        m_used += static_cast<size_t>(putRow(out, line, readLimit, columns) - out);
        flushIfFull();
        progress(row);
    }
}

void ReportWriter::flush() {
    if (m_used == 0) {
        return;
    }
    m_sink.write(std::string_view(m_buffer.get(), m_used));
    m_used = 0;
}

char* ReportWriter::room(size_t size) {
    const size_t needed = m_used + size + kSpare;
    if (needed > m_capacity) {
        // A block is flushed once it is full, so a block and a row or two
        // is all the room there ever is, unless a row is longer than that.
        const size_t capacity = std::max(needed, m_blockSize + m_blockSize / 8);
        auto buffer = std::make_unique_for_overwrite<char[]>(capacity);
        std::copy_n(m_buffer.get(), m_used, buffer.get());
        m_buffer = std::move(buffer);
        m_capacity = capacity;
    }
    return m_buffer.get() + m_used;
}

void ReportWriter::append(std::string_view bytes) {
    std::memcpy(room(bytes.size()), bytes.data(), bytes.size());
    m_used += bytes.size();
}

// Hands over whole blocks only, keeping the rest for the next one. Writes
// that each ended a row past a block split a page of the file between two
// writes every time, which cost the file system about a millisecond per
// hundred megabytes.
void ReportWriter::flushIfFull() {
    size_t handedOver = 0;
    while (m_used - handedOver >= m_blockSize) {
        m_sink.write(std::string_view(m_buffer.get() + handedOver, m_blockSize));
        handedOver += m_blockSize;
    }
    if (handedOver != 0) {
        m_used -= handedOver;
        std::memmove(m_buffer.get(), m_buffer.get() + handedOver, m_used);
    }
}

} // namespace nomix
