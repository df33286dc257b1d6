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
size_t Fill(ByteSource& source, char* into, size_t capacity) {
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
    Block(ByteSource& source, size_t blockBytes) : source_(source) {
        bytes_.resize(std::max<size_t>(blockBytes, 1));
    }

    // Keeps the bytes from `from` on at the front and reads after them.
    // Returns false once the data has ended (the source or its end-of-file
    // mark) and nothing new came; the block then holds only what was kept.
    bool next(size_t from) {
        std::memmove(bytes_.data(), bytes_.data() + from, size_ - from);
        size_ -= from;
        if (ended_) {
            return false;
        }
        if (size_ == bytes_.size()) {
            grow(); // a line longer than the block
        }
        fresh_ = size_;
        const size_t room = bytes_.size() - size_;
        const size_t got = Fill(source_, bytes_.data() + size_, room);
        ended_ = got < room;
        if (const void* mark = std::memchr(bytes_.data() + size_, kEndOfFileMark, got)) {
            size_ = static_cast<size_t>(static_cast<const char*>(mark) - bytes_.data());
            ended_ = true;
        } else {
            size_ += got;
        }
        return size_ > fresh_ || ended_;
    }

    void restart() {
        source_.rewind();
        size_ = 0;
        fresh_ = 0;
        ended_ = false;
    }

    const char* data() const { return bytes_.data(); }
    size_t size() const { return size_; }
    // Where the bytes read by the last next() begin.
    size_t fresh() const { return fresh_; }
    bool ended() const { return ended_; }

  private:
    void grow() {
        const size_t wanted = bytes_.size() * 2;
        if (wanted >= MemoryLimitBytes()) {
            ThrowInOutError(ENOMEM, source_.name());
        }
        try {
            bytes_.resize(wanted);
        } catch (const std::bad_alloc&) {
            ThrowInOutError(ENOMEM, source_.name());
        }
    }

    ByteSource& source_;
    std::vector<char> bytes_;
    size_t size_ = 0;
    size_t fresh_ = 0;
    bool ended_ = false;
};

class StreamSearcher {
  public:
    StreamSearcher(ByteSource& source, const SearchRequest& request, const StreamHitHandler& onHit,
                   size_t blockBytes)
        : block_(source, blockBytes), matcher_(request), onHit_(onHit) {}

    int32_t run() {
        if (matcher_.finder().size() == 0) {
            return 0;
        }
        decideTerminator();
        // A file guessed to have LF line ends that turns out to hold a CR is
        // searched again with CR line ends: only a count can start over.
        while (!searchFile()) {
            terminator_ = kCR;
            guessed_ = false;
        }
        return hitCount_;
    }

  private:
    // A CR anywhere before the end-of-file mark makes CR the line end. Most
    // files show one in their first block. When none does, a count goes
    // ahead on LF and watches for a CR; hits handed out cannot be taken
    // back, so for them the whole file is looked through first.
    void decideTerminator() {
        terminator_ = kLF;
        while (block_.next(block_.size())) {
            if (std::memchr(block_.data(), kCR, block_.size()) != nullptr) {
                terminator_ = kCR;
                break;
            }
            if (!onHit_) {
                guessed_ = true;
                break;
            }
        }
        block_.restart();
    }

    // False when a guessed LF line end proved wrong.
    bool searchFile() {
        hitCount_ = 0;
        lineIndex_ = 0;
        size_t consumed = 0;
        while (block_.next(consumed)) {
            if (guessed_ && std::memchr(block_.data() + block_.fresh(), kCR,
                                        block_.size() - block_.fresh()) != nullptr) {
                block_.restart();
                return false;
            }
            consumed = block_.ended() ? block_.size() : endOfWholeLines();
            searchLines(consumed);
        }
        return true;
    }

    // Where the block's last whole line ends, line end included; 0 if the
    // block holds no whole line. A CR at the very end of the block is left
    // for the next one, which shows whether a LF follows it.
    size_t endOfWholeLines() const {
        const char* const data = block_.data();
        const size_t limit = block_.size() - (terminator_ == kCR ? 1 : 0);
        const void* last = ::memrchr(data, terminator_, limit);
        if (last == nullptr) {
            return 0;
        }
        return beginAfter(static_cast<size_t>(static_cast<const char*>(last) - data),
                          block_.size());
    }

    // Where the line after the line end at `end` begins, in [0, limit).
    size_t beginAfter(size_t end, size_t limit) const {
        size_t begin = end + 1;
        if (terminator_ == kCR && begin < limit && block_.data()[begin] == kLF) {
            ++begin;
        }
        return begin;
    }

    // Searches the whole lines in [0, end) of the block, which begins a line.
    // As in memory: one scan for the string, and only a line whose text
    // holds it is tested further.
    void searchLines(size_t end) {
        const char* const data = block_.data();
        const AsciiFinder& finder = matcher_.finder();
        const size_t m = finder.size();
        size_t pos = 0;
        size_t lineBegin = 0; // a line begins here, at or before pos
        size_t counted = 0;   // line ends before here are in lineIndex_
        while (pos < end) {
            const size_t offset = finder.find(data + pos, end - pos);
            if (offset == AsciiFinder::npos) {
                break;
            }
            const size_t at = pos + offset;
            if (const void* t = ::memrchr(data + lineBegin, terminator_, at - lineBegin)) {
                lineBegin =
                    beginAfter(static_cast<size_t>(static_cast<const char*>(t) - data), end);
            }
            if (lineBegin > at) {
                pos = at + 1; // the LF of a CR LF
                continue;
            }
            const void* t = std::memchr(data + at, terminator_, end - at);
            const size_t lineEnd =
                t ? static_cast<size_t>(static_cast<const char*>(t) - data) : end;
            // The text lacks the line's first and last character.
            const bool hasText = lineEnd - lineBegin > 2;
            const size_t textBegin = hasText ? lineBegin + 1 : lineBegin;
            const size_t textEnd = hasText ? lineEnd - 1 : lineBegin;
            if (at < textBegin || at + m > textEnd) {
                pos = at + 1;
                continue;
            }
            const std::string_view text(data + textBegin, textEnd - textBegin);
            if (matcher_.matches(text)) {
                ++hitCount_;
                if (onHit_) {
                    lineIndex_ += CountByte(data + counted, lineBegin - counted, terminator_);
                    counted = lineBegin;
                    onHit_(static_cast<uint32_t>(lineIndex_), text);
                }
            }
            pos = lineEnd < end ? beginAfter(lineEnd, end) : end;
            lineBegin = pos;
        }
        if (onHit_) {
            lineIndex_ += CountByte(data + counted, end - counted, terminator_);
        }
    }

    Block block_;
    LineMatcher matcher_;
    const StreamHitHandler& onHit_;
    char terminator_ = kCR;
    bool guessed_ = false;
    int32_t hitCount_ = 0;
    size_t lineIndex_ = 0; // of the line the block begins with
};

// Bytes at the end of [data, data + size) that begin a UTF-8 sequence the
// block does not finish, or 0.
size_t UnfinishedSequence(const char* data, size_t size) {
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

FileByteSource::FileByteSource(std::string path) : path_(std::move(path)) {
    struct stat st {};
    fd_ = OpenRegularFile(path_, st);
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
}

FileByteSource::~FileByteSource() {
    ::close(fd_);
}

size_t FileByteSource::read(char* into, size_t capacity) {
    for (;;) {
        const ssize_t got = ::read(fd_, into, capacity);
        if (got >= 0) {
            return static_cast<size_t>(got);
        }
        if (errno != EINTR) {
            ThrowInOutError(errno, path_);
        }
    }
}

void FileByteSource::rewind() {
    if (::lseek(fd_, 0, SEEK_SET) != 0) {
        ThrowInOutError(errno, path_);
    }
}

size_t MemoryByteSource::read(char* into, size_t capacity) {
    const size_t n = std::min({capacity, readLimit_, bytes_.size() - position_});
    std::memcpy(into, bytes_.data() + position_, n);
    position_ += n;
    return n;
}

int32_t StreamSearch(ByteSource& source, const SearchRequest& request,
                     const StreamHitHandler& onHit, size_t blockBytes) {
    return StreamSearcher(source, request, onHit, blockBytes).run();
}

// Each block is checked up to the start of a sequence it does not finish,
// which goes with the next block: valid pieces make valid data, and an
// error stays inside one piece.
bool StreamIsUtf8(ByteSource& source, size_t blockBytes) {
    Block block(source, blockBytes);
    size_t checked = 0;
    bool valid = true;
    while (valid && block.next(checked)) {
        checked = block.size();
        if (!block.ended()) {
            checked -= UnfinishedSequence(block.data(), block.size());
        }
        valid = IsValidUtf8Bytes(block.data(), checked);
    }
    source.rewind();
    return valid;
}

} // namespace nomix
