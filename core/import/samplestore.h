// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace nomix {

// The samples of an import, kept in a temporary file rather than in memory,
// so an import of millions of reports needs only a few dozen bytes of memory
// per sample. Each sample is known by its SHA-256 and keeps the record of its
// newest analysis; the samples come back in the order they were first seen.
//
// The file lies in the folder given (the output folder, so a large import
// needs no room in /tmp) or, when that cannot be written, in the temporary
// folder. It is unlinked as soon as it is made: a killed import leaves
// nothing behind.
//
// A failure of the file, to be made, written or read, throws ImportError
// with the message the user sees.
class SampleStore {
  public:
    explicit SampleStore(const std::string& directory = {});
    ~SampleStore();
    SampleStore(const SampleStore&) = delete;
    SampleStore& operator=(const SampleStore&) = delete;

    // Keeps `record` for the sample `sha256` (64 lower-case hex digits)
    // unless the sample already has one of a later analysis; a record of the
    // same date replaces the one before. Returns whether it was kept.
    // The record may come in two parts, `record` and `more` after it.
    bool put(std::string_view sha256, int64_t analysisDate, std::string_view record,
             std::string_view more = {});
    // Whether put() would keep a record of this analysis.
    bool wants(std::string_view sha256, int64_t analysisDate) const;

    size_t size() const { return m_samples.size(); }

    using Visit =
        std::function<void(std::string_view sha256, int64_t analysisDate, std::string_view record)>;
    // Each sample's hash, analysis date and kept record, in order of first
    // appearance.
    void forEach(const Visit& visit) const;
    // The same for the samples numbered [first, last) in that order, reading
    // through `window`, which the caller keeps from call to call. Several
    // threads may visit at once, each with its window, once flush() has
    // written what waits.
    void forEachIn(size_t first, size_t last, const Visit& visit, std::string& window) const;
    // Writes the records that wait in memory to the file.
    void flush() const;

  private:
    struct Sample {
        uint8_t hash[32];
        int64_t analysisDate;
        uint64_t offset; // of the record's length in the file
    };

    uint64_t append(std::string_view record, std::string_view more);
    size_t slotOf(const uint8_t* hash) const;
    void grow();
    void readAt(uint64_t offset, size_t size, std::string& into) const;

    int m_fd = -1;
    uint64_t m_fileSize = 0;
    mutable std::string m_pending; // appended, not yet written
    std::deque<Sample> m_samples;  // grows without copying what it holds
    std::vector<uint32_t> m_slots; // open addressing: sample index + 1, 0 for none
};

} // namespace nomix
