#include "databaselines.h"

#include "datafile.h"

#include <algorithm>
#include <cstring>
#include <ctime>

namespace nomix {

namespace {

constexpr char kCR = '\r';
constexpr char kLF = '\n';
constexpr char kEndOfFileMark = 26;
constexpr size_t kLinesPerProgress = 1u << 16;
constexpr size_t kSplitBlock = 64u << 10;

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
long long daysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

const long long kDay1899_12_30 = daysFromCivil(1899, 12, 30);

} // namespace

DatabaseLines::DatabaseLines(std::unique_ptr<char[]> bytes, size_t size,
                             const std::function<void()>& onProgress)
    : buffer_(std::move(bytes)), size_(size) {
    const char* const data = buffer_.get();
    // The end-of-file mark is looked for one block ahead of the line ends,
    // so the line search reads each block from the cache instead of making
    // a second trip through memory.
    size_t pos = 0; // start of the line being looked at
    for (size_t block = 0; block < size_; block += kSplitBlock) {
        const size_t blockEnd = std::min(size_, block + kSplitBlock);
        if (const void* eof = std::memchr(data + block, kEndOfFileMark, blockEnd - block)) {
            size_ = static_cast<size_t>(static_cast<const char*>(eof) - data);
        }
        const size_t limit = std::min(blockEnd, size_);
        while (pos < limit) {
            // Bytes before `block` were searched with the previous block.
            const size_t from = std::max(pos, block);
            const void* cr = std::memchr(data + from, kCR, limit - from);
            if (cr == nullptr) {
                break;
            }
            const size_t lineEnd = static_cast<size_t>(static_cast<const char*>(cr) - data);
            addLine(pos, lineEnd);
            pos = lineEnd + 1;
            if (pos < size_ && data[pos] == kLF) {
                ++pos;
            }
            if (onProgress && begins_.size() % kLinesPerProgress == 0) {
                onProgress();
            }
        }
    }
    if (pos < size_) {
        addLine(pos, size_); // the last line has no line end
    }
}

void DatabaseLines::addLine(size_t rawBegin, size_t rawEnd) {
    if (rawEnd - rawBegin <= 2) {
        begins_.push_back(rawBegin);
        ends_.push_back(rawBegin);
    } else {
        begins_.push_back(rawBegin + 1);
        ends_.push_back(rawEnd - 1);
    }
}

size_t DatabaseLines::lineAtOrBefore(size_t offset) const {
    const auto it = std::upper_bound(begins_.begin(), begins_.end(), offset);
    return it == begins_.begin() ? 0 : static_cast<size_t>(it - begins_.begin()) - 1;
}

double DayNumberFromDate(int year, int month, int day) {
    return static_cast<double>(
        daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
        kDay1899_12_30);
}

double DayNumberFromFileTime(long long unixSeconds) {
    const time_t t = static_cast<time_t>(unixSeconds);
    struct tm local {};
    localtime_r(&t, &local);
    const int evenSeconds = local.tm_sec & ~1; // the packed DOS time keeps seconds / 2
    const double days = DayNumberFromDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    const double secondsOfDay = local.tm_hour * 3600.0 + local.tm_min * 60.0 + evenSeconds;
    return days + secondsOfDay / 86400.0;
}

NameDatabase ReadNameDatabase(const std::string& path, const std::function<void()>& onProgress) {
    FileBytes file = ReadFileBytes(path, onProgress);
    NameDatabase db;
    db.date = DayNumberFromFileTime(file.modifiedSeconds);
    db.lines = DatabaseLines(std::move(file.data), file.size, onProgress);
    return db;
}

} // namespace nomix
