// SPDX-License-Identifier: MIT
#pragma once

#include "databaselines.h"
#include "productselection.h"
#include "reportsink.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace nomix {

// The author notice of the report's first line.
inline constexpr std::string_view kReportAuthorNotice = "the Nomix95 developers";

// The first lines of a report. Every text is bytes as they go into the file;
// the caller formats the date and time the way the user's locale asks, so
// this code never depends on a locale.
struct ReportHeader {
    std::string date;       // the system's short date format
    std::string time;       // the system's long time format
    std::string searchText; // the search box's text when saving
    int32_t hitCount = 0;   // hits of the last search
};

// What the rows of a report are made of, read at the moment of saving.
struct ReportRows {
    const DatabaseLines& lines;
    std::span<const uint32_t> resultList; // line indices, in search order
    std::span<const std::string>
        productNames;                  // one per grid column, as the product list shows them
    const ProductSelection& selection; // which columns are written
};

// Called once per result row after it is written, with row * 100 / rowCount;
// the caller may let its user interface run there.
using ReportProgress = std::function<void(int percent)>;

// Turns a search result into the report text and hands it to a sink in large
// blocks, so a report of a million rows costs about what writing its bytes
// costs. Memory: one block (1 MiB by default) and an eighth, or a block and
// the two longest rows if they are longer. No user text ever goes through a
// format string.
class ReportWriter {
  public:
    static constexpr size_t kDefaultBlockSize = size_t{1} << 20;

    explicit ReportWriter(ReportSink& sink, size_t blockSize = kDefaultBlockSize);

    // Lines 1 to 6: banner with date and time, an empty line, the search
    // text, the hit count and two empty lines.
    void writeHeader(const ReportHeader& header);
    // One block per result row: a line per selected product, then an empty
    // line.
    void writeRows(const ReportRows& rows, const ReportProgress& onRow = {});
    // Hands what is still buffered to the sink. Nothing is written unless
    // this runs; a writer dropped after a failure flushes nothing more.
    void flush();

  private:
    // Where `size` more bytes go, with some spare room after them.
    char* room(size_t size);
    void append(std::string_view bytes);
    void flushIfFull();

    ReportSink& m_sink;
    size_t m_blockSize;
    std::unique_ptr<char[]> m_buffer;
    size_t m_capacity = 0;
    size_t m_used = 0;
};

} // namespace nomix
