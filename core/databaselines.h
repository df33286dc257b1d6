// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace nomix {

// The line ends of a name database and where its data ends, learned piece
// by piece: fed each piece as the file is read, it counts the piece while
// the piece is still in the cache, instead of a second trip through memory.
class LineSurvey {
  public:
    // Takes the next `size` bytes. False once the end-of-file mark has been
    // among them: the bytes after it are not wanted.
    bool add(const char* piece, size_t size);

    size_t dataSize() const { return m_dataSize; } // the bytes before the mark
    // CR, or LF for data without any CR.
    char terminator() const { return m_carriageReturns > 0 ? '\r' : '\n'; }
    size_t maximumLines() const {
        return (m_carriageReturns > 0 ? m_carriageReturns : m_lineFeeds) + 1;
    }

  private:
    size_t m_dataSize = 0;
    size_t m_carriageReturns = 0;
    size_t m_lineFeeds = 0; // counted only while no CR has turned up
    bool m_ended = false;
};

// The name database held in memory: the file's bytes in one buffer and, per
// line, the span of its text without the first and last character. No
// allocation per line and no copy of the text, so a file of millions of lines
// loads at about the speed of reading it. The spans cost 8 bytes a line (16
// for a buffer of 4 GiB or more), which only a file of very short lines
// notices. Line k (0-based) is how a virus is referred to everywhere else.
class DatabaseLines {
  public:
    DatabaseLines() = default;
    // Splits `bytes` (of which `size` are valid) into lines: a CR ends a line,
    // a LF right after that CR goes with it, any other LF is an ordinary
    // byte, and a byte 26 ends the file. A file without any CR (as Unix
    // tools write it) has its lines ended by LF instead. Throws
    // std::bad_alloc when the spans would not fit in memory beside the bytes.
    DatabaseLines(std::unique_ptr<char[]> bytes, size_t size,
                  const std::function<void()>& onProgress = {});
    // The same for a buffer of `bufferBytes` whose survey was taken as it was
    // read.
    DatabaseLines(std::unique_ptr<char[]> bytes, size_t bufferBytes, const LineSurvey& survey,
                  const std::function<void()>& onProgress = {});

    size_t count() const { return m_wide ? m_wideBegins.size() : m_begins.size(); }
    std::string_view at(size_t index) const {
        return std::string_view(m_buffer.get() + beginOf(index), endOf(index) - beginOf(index));
    }

    // The buffer itself and the spans, for the search engine's scan.
    const char* data() const { return m_buffer.get(); }
    size_t dataSize() const { return m_size; }
    size_t beginOf(size_t index) const {
        return m_wide ? static_cast<size_t>(m_wideBegins[index]) : m_begins[index];
    }
    size_t endOf(size_t index) const {
        return m_wide ? static_cast<size_t>(m_wideEnds[index]) : m_ends[index];
    }
    // The line whose text begins at or before `offset` (the last such line).
    size_t lineAtOrBefore(size_t offset) const;

  private:
    void split(const LineSurvey& survey, size_t bufferBytes,
               const std::function<void()>& onProgress);
    void reserveSpans(size_t lines, size_t bufferBytes);
    void splitLines(char terminator, const std::function<void()>& onProgress);
    void addLine(size_t rawBegin, size_t rawEnd);

    std::unique_ptr<char[]> m_buffer;
    size_t m_size = 0;
    // Only one pair is in use: 32-bit offsets unless the buffer needs more.
    bool m_wide = false;
    std::vector<uint32_t> m_begins;
    std::vector<uint32_t> m_ends;
    std::vector<uint64_t> m_wideBegins;
    std::vector<uint64_t> m_wideEnds;
};

// The file's modification time as a day number counted from 30 December
// 1899 with the time of day as fraction, in local time, at two-second
// resolution (seconds rounded down to even).
double dayNumberFromFileTime(long long unixSeconds);

// The date part of a day number for a calendar date (no time).
double dayNumberFromDate(int year, int month, int day);

struct NameDatabase {
    DatabaseLines lines;
    double date = 0.0; // the file's modification time as a day number
};

// Reads the name database at `path`. `onProgress` (may be empty) runs now
// and then during a long load. A file that does not fit in memory with its
// lines fails with "Out of memory" naming the file.
NameDatabase readNameDatabase(const std::string& path,
                              const std::function<void()>& onProgress = {});

} // namespace nomix
