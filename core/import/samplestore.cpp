// SPDX-License-Identifier: MIT
#include "samplestore.h"

#include "core/fileerror.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace nomix {

namespace {

constexpr size_t kWriteBuffer = 1 << 20;
constexpr size_t kReadAhead = 1 << 20;

int makeUnlinkedFile(const std::string& directory) {
    std::string path = directory + "/.NOMIX.spill.XXXXXX";
    const int fd = mkostemp(path.data(), O_CLOEXEC);
    if (fd >= 0) {
        unlink(path.c_str());
    }
    return fd;
}

uint8_t hexValue(char c) {
    return static_cast<uint8_t>(c <= '9' ? c - '0' : c - 'a' + 10);
}

void hashFromHex(std::string_view hex, uint8_t* hash) {
    for (size_t i = 0; i < 32; ++i) {
        hash[i] = static_cast<uint8_t>(hexValue(hex[2 * i]) << 4 | hexValue(hex[2 * i + 1]));
    }
}

std::string hexFromHash(const uint8_t* hash) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex(64, '0');
    for (size_t i = 0; i < 32; ++i) {
        hex[2 * i] = kDigits[hash[i] >> 4];
        hex[2 * i + 1] = kDigits[hash[i] & 15];
    }
    return hex;
}

[[noreturn]] void throwStoreError(int err) {
    throw ImportError("cannot keep the samples in a temporary file: " +
                      std::string(std::strerror(err)));
}

} // namespace

SampleStore::SampleStore(const std::string& directory) {
    if (!directory.empty()) {
        m_fd = makeUnlinkedFile(directory);
    }
    if (m_fd < 0) {
        const char* temporary = std::getenv("TMPDIR");
        m_fd = makeUnlinkedFile(temporary && *temporary ? temporary : "/tmp");
    }
    if (m_fd < 0) {
        throwStoreError(errno);
    }
    m_slots.assign(1024, 0);
}

SampleStore::~SampleStore() {
    if (m_fd >= 0) {
        close(m_fd);
    }
}

// Hashes from real reports are uniformly spread, but made-up ones (tests,
// benchmarks, hostile input) need not be: all 32 bytes are hashed again.
size_t SampleStore::slotOf(const uint8_t* hash) const {
    const size_t key = std::hash<std::string_view>{}(
        std::string_view(reinterpret_cast<const char*>(hash), sizeof(Sample::hash)));
    const size_t mask = m_slots.size() - 1;
    size_t slot = key & mask;
    while (m_slots[slot] != 0 &&
           std::memcmp(m_samples[m_slots[slot] - 1].hash, hash, sizeof(Sample::hash)) != 0) {
        slot = (slot + 1) & mask;
    }
    return slot;
}

void SampleStore::grow() {
    m_slots.assign(m_slots.size() * 2, 0);
    for (uint32_t i = 0; i < m_samples.size(); ++i) {
        m_slots[slotOf(m_samples[i].hash)] = i + 1;
    }
}

bool SampleStore::wants(std::string_view sha256, int64_t analysisDate) const {
    uint8_t hash[32];
    hashFromHex(sha256, hash);
    const uint32_t index = m_slots[slotOf(hash)];
    return index == 0 || analysisDate >= m_samples[index - 1].analysisDate;
}

bool SampleStore::put(std::string_view sha256, int64_t analysisDate, std::string_view record,
                      std::string_view more) {
    uint8_t hash[32];
    hashFromHex(sha256, hash);
    const size_t slot = slotOf(hash);
    if (m_slots[slot] != 0) {
        Sample& sample = m_samples[m_slots[slot] - 1];
        if (analysisDate < sample.analysisDate) {
            return false;
        }
        sample.analysisDate = analysisDate;
        sample.offset = append(record, more);
        return true;
    }
    Sample sample{};
    std::memcpy(sample.hash, hash, sizeof hash);
    sample.analysisDate = analysisDate;
    sample.offset = append(record, more);
    m_samples.push_back(sample);
    m_slots[slot] = static_cast<uint32_t>(m_samples.size());
    if (m_samples.size() * 2 > m_slots.size()) {
        grow();
    }
    return true;
}

uint64_t SampleStore::append(std::string_view record, std::string_view more) {
    const uint64_t offset = m_fileSize;
    const auto length = static_cast<uint32_t>(record.size() + more.size());
    m_pending.append(reinterpret_cast<const char*>(&length), sizeof length);
    m_pending.append(record);
    m_pending.append(more);
    m_fileSize += sizeof length + length;
    if (m_pending.size() >= kWriteBuffer) {
        flush();
    }
    return offset;
}

void SampleStore::flush() const {
    if (m_pending.empty()) {
        return;
    }
    size_t done = 0;
    while (done < m_pending.size()) {
        const ssize_t n = ::write(m_fd, m_pending.data() + done, m_pending.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            m_pending.clear();
            throwStoreError(n < 0 ? errno : EIO);
        }
        done += static_cast<size_t>(n);
    }
    m_pending.clear();
}

void SampleStore::readAt(uint64_t offset, size_t size, std::string& into) const {
    into.resize(size);
    size_t done = 0;
    while (done < size) {
        const ssize_t n =
            ::pread(m_fd, into.data() + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            throwStoreError(n < 0 ? errno : EIO);
        }
        done += static_cast<size_t>(n);
    }
}

// Records are read through a window of the file: samples seen once lie in
// the order they are visited, so most come from the window already read. A
// sample analysed again later has its record far from its place; such a
// record is read alone, and the window stays where the order goes on,
// unless the next record follows the one read alone.
void SampleStore::forEach(const Visit& visit) const {
    flush();
    std::string window;
    forEachIn(0, m_samples.size(), visit, window);
}

void SampleStore::forEachIn(size_t first, size_t last, const Visit& visit,
                            std::string& window) const {
    // The window holds the file's bytes [windowStart, windowEnd); its
    // buffer keeps its size from call to call, so it is not cleared again.
    uint64_t windowStart = 0;
    uint64_t windowEnd = 0;
    std::string single;
    uint64_t afterSingle = 0; // where the record read alone ended
    const auto inWindow = [&](uint64_t from, uint64_t size) {
        return from >= windowStart && from + size <= windowEnd;
    };
    const auto nearAhead = [&](uint64_t from) {
        return from >= windowEnd && from - windowEnd < kReadAhead;
    };
    for (size_t i = first; i < last; ++i) {
        const Sample& sample = m_samples[i];
        uint32_t length = 0;
        if (!inWindow(sample.offset, sizeof length) &&
            (windowEnd == windowStart || nearAhead(sample.offset) ||
             sample.offset == afterSingle)) {
            windowStart = sample.offset;
            const uint64_t left = m_fileSize - windowStart;
            readAt(windowStart, static_cast<size_t>(std::min<uint64_t>(kReadAhead, left)), window);
            windowEnd = windowStart + window.size();
        }
        std::string_view record;
        if (inWindow(sample.offset, sizeof length)) {
            std::memcpy(&length, window.data() + (sample.offset - windowStart), sizeof length);
            if (inWindow(sample.offset + sizeof length, length)) {
                record = std::string_view(window).substr(
                    sample.offset + sizeof length - windowStart, length);
            }
        } else {
            readAt(sample.offset, sizeof length, single);
            std::memcpy(&length, single.data(), sizeof length);
        }
        if (record.size() != length) {
            readAt(sample.offset + sizeof length, length, single);
            record = single;
            afterSingle = sample.offset + sizeof length + length;
        }
        visit(hexFromHash(sample.hash), sample.analysisDate, record);
    }
}

} // namespace nomix
