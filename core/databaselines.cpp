// SPDX-License-Identifier: MIT
#include "databaselines.h"

#include "bytecount.h"
#include "datafile.h"
#include "fileerror.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <limits>
#include <new>

namespace nomix {

namespace {

constexpr char kCR = '\r';
constexpr char kLF = '\n';
constexpr char kEndOfFileMark = 26;
constexpr size_t kLinesPerProgress = 1u << 16;
constexpr size_t kBytesPerProgress = 8u << 20;
constexpr size_t kSurveyBlock = 64u << 10;

// The last of `begins` (ascending) that is at or before `offset`, or 0.
template <typename Offsets> size_t lastAtOrBefore(const Offsets& begins, size_t offset) {
    const auto it = std::upper_bound(begins.begin(), begins.end(), offset);
    return it == begins.begin() ? 0 : static_cast<size_t>(it - begins.begin()) - 1;
}

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

bool LineSurvey::add(const char* piece, size_t size) {
    if (m_ended) {
        return false;
    }
    if (const void* mark = std::memchr(piece, kEndOfFileMark, size)) {
        size = static_cast<size_t>(static_cast<const char*>(mark) - piece);
        m_ended = true;
    }
    m_dataSize += size;
    m_carriageReturns += countByte(piece, size, kCR);
    if (m_carriageReturns == 0) {
        m_lineFeeds += countByte(piece, size, kLF);
    }
    return !m_ended;
}

DatabaseLines::DatabaseLines(std::unique_ptr<char[]> bytes, size_t size,
                             const std::function<void()>& onProgress)
    : m_buffer(std::move(bytes)) {
    // Block by block, so the counts read each block from the cache.
    LineSurvey survey;
    for (size_t block = 0; block < size; block += kSurveyBlock) {
        if (!survey.add(m_buffer.get() + block, std::min(kSurveyBlock, size - block))) {
            break;
        }
    }
    split(survey, size, onProgress);
}

DatabaseLines::DatabaseLines(std::unique_ptr<char[]> bytes, size_t bufferBytes,
                             const LineSurvey& survey, const std::function<void()>& onProgress)
    : m_buffer(std::move(bytes)) {
    split(survey, bufferBytes, onProgress);
}

// The survey comes first so the spans are allocated once, at their final
// size: growing them on the way would cost copies and, for a while, half as
// much memory again.
void DatabaseLines::split(const LineSurvey& survey, size_t bufferBytes,
                          const std::function<void()>& onProgress) {
    m_size = survey.dataSize();
    reserveSpans(survey.maximumLines(), bufferBytes);
    splitLines(survey.terminator(), onProgress);
}

void DatabaseLines::reserveSpans(size_t lines, size_t bufferBytes) {
    m_wide = m_size > std::numeric_limits<uint32_t>::max();
    const size_t spanBytes = m_wide ? 2 * sizeof(uint64_t) : 2 * sizeof(uint32_t);
    const unsigned long long limit = memoryLimitBytes();
    if (bufferBytes >= limit || lines > (limit - bufferBytes) / spanBytes) {
        throw std::bad_alloc();
    }
    if (m_wide) {
        m_wideBegins.reserve(lines);
        m_wideEnds.reserve(lines);
    } else {
        m_begins.reserve(lines);
        m_ends.reserve(lines);
    }
}

void DatabaseLines::splitLines(char terminator, const std::function<void()>& onProgress) {
    const char* const data = m_buffer.get();
    size_t pos = 0; // start of the line being looked at
    while (pos < m_size) {
        const void* found = std::memchr(data + pos, terminator, m_size - pos);
        if (found == nullptr) {
            break;
        }
        const size_t lineEnd = static_cast<size_t>(static_cast<const char*>(found) - data);
        addLine(pos, lineEnd);
        pos = lineEnd + 1;
        if (terminator == kCR && pos < m_size && data[pos] == kLF) {
            ++pos;
        }
        if (onProgress && count() % kLinesPerProgress == 0) {
            onProgress();
        }
    }
    if (pos < m_size) {
        addLine(pos, m_size); // the last line has no line end
    }
}

void DatabaseLines::addLine(size_t rawBegin, size_t rawEnd) {
    const bool hasText = rawEnd - rawBegin > 2;
    const size_t begin = hasText ? rawBegin + 1 : rawBegin;
    const size_t end = hasText ? rawEnd - 1 : rawBegin;
    if (m_wide) {
        m_wideBegins.push_back(begin);
        m_wideEnds.push_back(end);
    } else {
        m_begins.push_back(static_cast<uint32_t>(begin));
        m_ends.push_back(static_cast<uint32_t>(end));
    }
}

size_t DatabaseLines::lineAtOrBefore(size_t offset) const {
    return m_wide ? lastAtOrBefore(m_wideBegins, offset) : lastAtOrBefore(m_begins, offset);
}

double dayNumberFromDate(int year, int month, int day) {
    return static_cast<double>(
        daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
        kDay1899_12_30);
}

double dayNumberFromFileTime(long long unixSeconds) {
    const time_t t = static_cast<time_t>(unixSeconds);
    struct tm local {};
    localtime_r(&t, &local);
    const int evenSeconds = local.tm_sec & ~1; // the packed DOS time keeps seconds / 2
    const double days = dayNumberFromDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    const double secondsOfDay = local.tm_hour * 3600.0 + local.tm_min * 60.0 + evenSeconds;
    return days + secondsOfDay / 86400.0;
}

NameDatabase readNameDatabase(const std::string& path, const std::function<void()>& onProgress) {
    LineSurvey survey;
    size_t sinceProgress = 0;
    FileBytes file = readFileBytes(path, [&](const char* piece, size_t size) {
        if (onProgress && (sinceProgress += size) >= kBytesPerProgress) {
            onProgress();
            sinceProgress = 0;
        }
        return survey.add(piece, size);
    });
    NameDatabase db;
    db.date = dayNumberFromFileTime(file.modifiedSeconds);
    try {
        db.lines = DatabaseLines(std::move(file.data), file.expectedSize + 1, survey, onProgress);
    } catch (const std::bad_alloc&) {
        throwInOutError(ENOMEM, path);
    }
    return db;
}

} // namespace nomix
