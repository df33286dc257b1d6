#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace nomix {

// The name database held in memory: the file's bytes in one buffer and, per
// line, the span of its text without the first and last character. No
// allocation per line and no copy of the text, so a file of millions of lines
// loads at about the speed of reading it and costs little more memory than
// its size. Line k (0-based) is how a virus is referred to everywhere else.
class DatabaseLines {
  public:
    DatabaseLines() = default;
    // Splits `bytes` (of which `size` are valid) into lines: a CR ends a line,
    // a LF right after that CR goes with it, any other LF is an ordinary
    // byte, and a byte 26 ends the file.
    DatabaseLines(std::unique_ptr<char[]> bytes, size_t size,
                  const std::function<void()>& onProgress = {});

    size_t count() const { return begins_.size(); }
    std::string_view at(size_t index) const {
        return std::string_view(buffer_.get() + begins_[index], ends_[index] - begins_[index]);
    }

    // The buffer itself and the spans, for the search engine's scan.
    const char* data() const { return buffer_.get(); }
    size_t dataSize() const { return size_; }
    size_t beginOf(size_t index) const { return begins_[index]; }
    size_t endOf(size_t index) const { return ends_[index]; }
    // The line whose text begins at or before `offset` (the last such line).
    size_t lineAtOrBefore(size_t offset) const;

  private:
    void addLine(size_t rawBegin, size_t rawEnd);

    std::unique_ptr<char[]> buffer_;
    size_t size_ = 0;
    std::vector<uint64_t> begins_;
    std::vector<uint64_t> ends_;
};

// The file's modification time as a day number counted from 30 December
// 1899 with the time of day as fraction, in local time, at two-second
// resolution (seconds rounded down to even).
double DayNumberFromFileTime(long long unixSeconds);

// The date part of a day number for a calendar date (no time).
double DayNumberFromDate(int year, int month, int day);

struct NameDatabase {
    DatabaseLines lines;
    double date = 0.0; // DatabaseDate
};

// Reads the name database at `path`. `onProgress` (may be empty) runs now
// and then during a long load.
NameDatabase ReadNameDatabase(const std::string& path,
                              const std::function<void()>& onProgress = {});

} // namespace nomix
