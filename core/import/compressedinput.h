// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace nomix {

class StreamDecoder;

// Passes on the bytes of one input, decompressed when its first bytes mark it
// as gzip, zstd or bzip2 and as they are otherwise, so that a feed reads the
// same compressed or not, whatever its file is called, from a pipe too. Bytes
// come in and go out a chunk at a time, so memory stays bounded whatever the
// size. Compressed parts that follow one another (gzip members, zstd frames,
// bzip2 streams, as parallel compressors write them) read as one input, as
// zcat reads them.
//
// Corrupt input throws ImportError saying what is wrong, as "reports: not a
// complete gzip stream" (the input's name first when it was given one).
class CompressedInput {
  public:
    enum class Format { Plain, Gzip, Zstd, Bzip2 };
    using Sink = std::function<void(std::string_view bytes)>;

    explicit CompressedInput(Sink sink, std::string inputName = {});
    ~CompressedInput();
    CompressedInput(const CompressedInput&) = delete;
    CompressedInput& operator=(const CompressedInput&) = delete;

    // Throws once the input proved corrupt.
    void feed(std::string_view bytes);
    // The input ended: throws when a compressed one stopped short of its end.
    void finish();
    // The first bytes showed the input is not compressed: its further bytes
    // may go to the sink without passing through feed().
    bool isPlain() const { return m_decided && !m_decoder; }

  private:
    void decide();
    void pass(std::string_view bytes);
    [[noreturn]] void fail(const std::string& reason) const;

    Sink m_sink;
    std::string m_inputName;
    Format m_format = Format::Plain; // until the first four bytes, or the end, decide
    bool m_decided = false;
    std::string m_head; // the first bytes, until they decide the format
    std::unique_ptr<StreamDecoder> m_decoder;
};

} // namespace nomix
