// SPDX-License-Identifier: MIT
#include "streamsearch.h"

#include "bytecount.h"
#include "datafile.h"
#include "fileerror.h"
#include "linematcher.h"
#include "utf8.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <unistd.h>
#include <vector>

namespace nomix {

namespace {

constexpr char kCR = '\r';
constexpr char kLF = '\n';
constexpr char kEndOfFileMark = 26;

// Fills `into` as far as the source goes: less than `capacity` only at its end.
size_t fill(ByteSource& source, char* into, size_t capacity) {
    size_t filled = 0;
    while (filled < capacity) {
        const size_t got = source.read(into + filled, capacity - filled);
        if (got == 0) {
            break;
        }
        filled += got;
    }
    return filled;
}

// The reused buffer: a block of the file, after the unfinished part of the
// block before it.
class Block {
  public:
    Block(ByteSource& source, size_t blockBytes) : m_source(source) {
        m_bytes.resize(std::max<size_t>(blockBytes, 1));
    }

    // Keeps the bytes from `from` on at the front and reads after them.
    // Returns false once the data has ended (the source or its end-of-file
    // mark) and nothing new came; the block then holds only what was kept.
    bool next(size_t from) {
        std::memmove(m_bytes.data(), m_bytes.data() + from, m_size - from);
        m_size -= from;
        if (m_ended) {
            return false;
        }
        if (m_size == m_bytes.size()) {
            grow(); // a line longer than the block
        }
        m_fresh = m_size;
        const size_t room = m_bytes.size() - m_size;
        const size_t got = fill(m_source, m_bytes.data() + m_size, room);
        m_ended = got < room;
        if (const void* mark = std::memchr(m_bytes.data() + m_size, kEndOfFileMark, got)) {
            m_size = static_cast<size_t>(static_cast<const char*>(mark) - m_bytes.data());
            m_ended = true;
        } else {
            m_size += got;
        }
        return m_size > m_fresh || m_ended;
    }

    void restart() {
        m_source.rewind();
        m_size = 0;
        m_fresh = 0;
        m_ended = false;
    }

    const char* data() const { return m_bytes.data(); }
    size_t size() const { return m_size; }
    // Where the bytes read by the last next() begin.
    size_t fresh() const { return m_fresh; }
    bool ended() const { return m_ended; }

  private:
    void grow() {
        const size_t wanted = m_bytes.size() * 2;
        if (wanted >= memoryLimitBytes()) {
            throwInOutError(ENOMEM, m_source.name());
        }
        try {
            m_bytes.resize(wanted);
        } catch (const std::bad_alloc&) {
            throwInOutError(ENOMEM, m_source.name());
        }
    }

    ByteSource& m_source;
    std::vector<char> m_bytes;
    size_t m_size = 0;
    size_t m_fresh = 0;
    bool m_ended = false;
};

class StreamSearcher {
  public:
    StreamSearcher(ByteSource& source, const SearchRequest& request, const StreamHitHandler& onHit,
                   size_t blockBytes)
        : m_block(source, blockBytes), m_matcher(request), m_onHit(onHit) {}

    int32_t run() {
        if (m_matcher.finder().size() == 0) {
            return 0;
        }
        decideTerminator();
        // A file guessed to have LF line ends that turns out to hold a CR is
        // searched again with CR line ends: only a count can start over.
        while (!searchFile()) {
            m_terminator = kCR;
            m_guessed = false;
        }
        return m_hitCount;
    }

  private:
    // A CR anywhere before the end-of-file mark makes CR the line end. Most
    // files show one in their first block. When none does, a count goes
    // ahead on LF and watches for a CR; hits handed out cannot be taken
    // back, so for them the whole file is looked through first.
    void decideTerminator() {
        m_terminator = kLF;
        while (m_block.next(m_block.size())) {
            if (std::memchr(m_block.data(), kCR, m_block.size()) != nullptr) {
                m_terminator = kCR;
                break;
            }
            if (!m_onHit) {
                m_guessed = true;
                break;
            }
        }
        m_block.restart();
    }

    // False when a guessed LF line end proved wrong.
    bool searchFile() {
        m_hitCount = 0;
        m_lineIndex = 0;
        size_t consumed = 0;
        while (m_block.next(consumed)) {
            if (m_guessed && std::memchr(m_block.data() + m_block.fresh(), kCR,
                                         m_block.size() - m_block.fresh()) != nullptr) {
                m_block.restart();
                return false;
            }
            consumed = m_block.ended() ? m_block.size() : endOfWholeLines();
            searchLines(consumed);
        }
        return true;
    }

    // Where the block's last whole line ends, line end included; 0 if the
    // block holds no whole line. A CR at the very end of the block is left
    // for the next one, which shows whether a LF follows it.
    size_t endOfWholeLines() const {
        const char* const data = m_block.data();
        const size_t limit = m_block.size() - (m_terminator == kCR ? 1 : 0);
        const void* last = ::memrchr(data, m_terminator, limit);
        if (last == nullptr) {
            return 0;
        }
        return beginAfter(static_cast<size_t>(static_cast<const char*>(last) - data),
                          m_block.size());
    }

    // Where the line after the line end at `end` begins, in [0, limit).
    size_t beginAfter(size_t end, size_t limit) const {
        size_t begin = end + 1;
        if (m_terminator == kCR && begin < limit && m_block.data()[begin] == kLF) {
            ++begin;
        }
        return begin;
    }

    // True when `at` is the first byte of a line of the block: the block's
    // first byte, or the one after a line end (and after the LF of a CR LF).
    bool beginsLine(const char* data, size_t at) const {
        if (at == 0 || data[at - 1] == m_terminator) {
            return true;
        }
        return m_terminator == kCR && data[at - 1] == kLF && at >= 2 && data[at - 2] == kCR;
    }

    // Searches the whole lines in [0, end) of the block, which begins a line.
    // As in memory: one scan for the string, and only a line whose text
    // holds it is tested further. The string holds no line end (the matcher
    // makes such a string empty), so an occurrence lies inside one line, and
    // the bytes on either side of it tell whether it lies inside the line's
    // text too (which lacks the line's first and last byte). The scan then
    // reads the rest of the line, which it skips, for the line's end: each
    // byte is read once, by the scan or on the way to a line end. Only a hit
    // whose fields must be tested or that is handed out looks back for its
    // line's start.
    void searchLines(size_t end) {
        const char* const data = m_block.data();
        const AsciiFinder& finder = m_matcher.finder();
        const size_t m = finder.size();
        const bool wantsText = m_onHit || !m_matcher.holdingIsEnough();
        size_t pos = 0;
        size_t lineBegin = 0; // a line begins here, at or before pos
        size_t counted = 0;   // line ends before here are in m_lineIndex
        while (pos < end) {
            const size_t offset = finder.find(data + pos, end - pos);
            if (offset == AsciiFinder::npos) {
                break;
            }
            const size_t at = pos + offset;
            if (beginsLine(data, at)) {
                pos = at + 1; // a later occurrence in the line may count
                continue;
            }
            const void* t = std::memchr(data + at + m, m_terminator, end - at - m);
            const size_t lineEnd =
                t ? static_cast<size_t>(static_cast<const char*>(t) - data) : end;
            const size_t nextLine = lineEnd < end ? beginAfter(lineEnd, end) : end;
            if (at + m < lineEnd) { // else it takes the line's last byte, as any later one would
                if (!wantsText || hitInLine(data, lineBegin, at, lineEnd, end, counted)) {
                    ++m_hitCount;
                }
            }
            pos = nextLine;
            lineBegin = nextLine;
        }
        if (m_onHit) {
            m_lineIndex += countByte(data + counted, end - counted, m_terminator);
        }
    }

    // Tests and hands out the line around the occurrence at `at`, which
    // lies inside the line's text; `lineBegin` is a line start at or before
    // it. True for a hit.
    bool hitInLine(const char* data, size_t lineBegin, size_t at, size_t lineEnd, size_t end,
                   size_t& counted) {
        if (const void* t = ::memrchr(data + lineBegin, m_terminator, at - lineBegin)) {
            lineBegin = beginAfter(static_cast<size_t>(static_cast<const char*>(t) - data), end);
        }
        const std::string_view text(data + lineBegin + 1, lineEnd - lineBegin - 2);
        if (!m_matcher.matches(text)) {
            return false;
        }
        if (m_onHit) {
            m_lineIndex += countByte(data + counted, lineBegin - counted, m_terminator);
            counted = lineBegin;
            m_onHit(static_cast<uint32_t>(m_lineIndex), text);
        }
        return true;
    }

    Block m_block;
    LineMatcher m_matcher;
    const StreamHitHandler& m_onHit;
    char m_terminator = kCR;
    bool m_guessed = false;
    int32_t m_hitCount = 0;
    size_t m_lineIndex = 0; // of the line the block begins with
};

// Bytes at the end of [data, data + size) that begin a UTF-8 sequence the
// block does not finish, or 0.
size_t unfinishedSequence(const char* data, size_t size) {
    for (size_t back = 1; back <= std::min<size_t>(4, size); ++back) {
        const auto byte = static_cast<unsigned char>(data[size - back]);
        if ((byte & 0xC0) != 0x80) { // not a continuation byte
            const size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
            return length > back ? back : 0;
        }
    }
    return 0;
}

} // namespace

FileByteSource::FileByteSource(std::string path) : m_path(std::move(path)) {
    struct stat st {};
    m_fd = openRegularFile(m_path, st);
    ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
}

FileByteSource::~FileByteSource() {
    ::close(m_fd);
}

size_t FileByteSource::read(char* into, size_t capacity) {
    for (;;) {
        const ssize_t got = ::read(m_fd, into, capacity);
        if (got >= 0) {
            return static_cast<size_t>(got);
        }
        if (errno != EINTR) {
            throwInOutError(errno, m_path);
        }
    }
}

void FileByteSource::rewind() {
    if (::lseek(m_fd, 0, SEEK_SET) != 0) {
        throwInOutError(errno, m_path);
    }
}

size_t MemoryByteSource::read(char* into, size_t capacity) {
    const size_t n = std::min({capacity, m_readLimit, m_bytes.size() - m_position});
    std::memcpy(into, m_bytes.data() + m_position, n);
    m_position += n;
    return n;
}

int32_t streamSearch(ByteSource& source, const SearchRequest& request,
                     const StreamHitHandler& onHit, size_t blockBytes) {
    return StreamSearcher(source, request, onHit, blockBytes).run();
}

// The line end is decided as the loaded database decides it: CR when the
// data holds any, else LF; finding out may take a pass over the whole file.
size_t streamLines(ByteSource& source, const StreamHitHandler& onLine, size_t blockBytes) {
    Block block(source, blockBytes);
    char terminator = kLF;
    while (block.next(block.size())) {
        if (std::memchr(block.data(), kCR, block.size()) != nullptr) {
            terminator = kCR;
            break;
        }
    }
    block.restart();

    size_t lineIndex = 0;
    const auto hand = [&](const char* raw, size_t size) {
        // The text lacks the line's first and last character.
        const std::string_view text = size > 2 ? std::string_view(raw + 1, size - 2) : "";
        onLine(static_cast<uint32_t>(lineIndex++), text);
    };
    size_t consumed = 0;
    while (block.next(consumed)) {
        const char* const data = block.data();
        const size_t size = block.size();
        size_t pos = 0;
        while (pos < size) {
            const void* found = std::memchr(data + pos, terminator, size - pos);
            if (found == nullptr) {
                if (block.ended()) {
                    hand(data + pos, size - pos); // the last line has no line end
                    pos = size;
                }
                break;
            }
            const size_t end = static_cast<size_t>(static_cast<const char*>(found) - data);
            // A CR at the block's end waits for the next block: a LF after it goes with it.
            if (terminator == kCR && end + 1 == size && !block.ended()) {
                break;
            }
            hand(data + pos, end - pos);
            pos = end + 1;
            if (terminator == kCR && pos < size && data[pos] == kLF) {
                ++pos;
            }
        }
        consumed = pos;
    }
    return lineIndex;
}

// Each block is checked up to the start of a sequence it does not finish,
// which goes with the next block: valid pieces make valid data, and an
// error stays inside one piece.
bool streamIsUtf8(ByteSource& source, size_t blockBytes) {
    Block block(source, blockBytes);
    size_t checked = 0;
    bool valid = true;
    while (valid && block.next(checked)) {
        checked = block.size();
        if (!block.ended()) {
            checked -= unfinishedSequence(block.data(), block.size());
        }
        valid = isValidUtf8Bytes(block.data(), checked);
    }
    source.rewind();
    return valid;
}

} // namespace nomix
