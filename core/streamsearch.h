// SPDX-License-Identifier: MIT
#pragma once

#include "searchengine.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

namespace nomix {

// A file's bytes in order, from the start again whenever asked.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Up to `capacity` (at least 1) bytes into `into`; 0 only at the end.
    virtual size_t read(char* into, size_t capacity) = 0;
    virtual void rewind() = 0;
    // The file named in error messages.
    virtual const std::string& name() const = 0;
};

// A regular file, refused up front like readFileBytes refuses it. Throws
// FileError naming the file on any failure.
class FileByteSource final : public ByteSource {
  public:
    explicit FileByteSource(std::string path);
    ~FileByteSource() override;
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;

    size_t read(char* into, size_t capacity) override;
    void rewind() override;
    const std::string& name() const override { return m_path; }

  private:
    std::string m_path;
    int m_fd = -1;
};

// Bytes in memory, handed out at most `readLimit` at a time, as a file may.
class MemoryByteSource final : public ByteSource {
  public:
    explicit MemoryByteSource(std::string_view bytes, size_t readLimit = SIZE_MAX,
                              std::string name = "memory")
        : m_bytes(bytes), m_readLimit(readLimit), m_name(std::move(name)) {}

    size_t read(char* into, size_t capacity) override;
    void rewind() override { m_position = 0; }
    const std::string& name() const override { return m_name; }

  private:
    std::string_view m_bytes;
    size_t m_readLimit;
    std::string m_name;
    size_t m_position = 0;
};

// Large enough that the read calls cost little, small enough that a block
// is still in the cache when it is searched.
inline constexpr size_t kStreamBlockBytes = 256u << 10;

// Line index and text of one hit; the text lives only during the call.
using StreamHitHandler = std::function<void(uint32_t index, std::string_view text)>;

// runSearch's answer for the name database that `source` holds, read block
// by block through one reused buffer of `blockBytes` (grown only for a line
// longer than that) instead of being loaded: returns the hit count and, when
// `onHit` is given, hands it each hit in line order. The request's
// numericOnly, updateCounter and background flags are not used. A line too
// long for memory fails with "Out of memory" naming the file.
int32_t streamSearch(ByteSource& source, const SearchRequest& request,
                     const StreamHitHandler& onHit = {}, size_t blockBytes = kStreamBlockBytes);

// Every line of the name database that `source` holds, in order, handed to
// `onLine` with its index and its text as the loaded database holds it, read
// the same way as streamSearch reads. Returns the number of lines.
size_t streamLines(ByteSource& source, const StreamHitHandler& onLine,
                   size_t blockBytes = kStreamBlockBytes);

// isValidUtf8Bytes for the bytes the loaded database would hold (those before
// the end-of-file mark), read the same way. Leaves the source rewound.
bool streamIsUtf8(ByteSource& source, size_t blockBytes = kStreamBlockBytes);

} // namespace nomix
