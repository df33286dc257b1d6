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
class CompressedInput {
  public:
    enum class Format { Plain, Gzip, Zstd, Bzip2 };
    using Sink = std::function<void(std::string_view bytes)>;

    explicit CompressedInput(Sink sink);
    ~CompressedInput();
    CompressedInput(const CompressedInput&) = delete;
    CompressedInput& operator=(const CompressedInput&) = delete;

    // False once the input proved corrupt; error() says how, and whatever
    // comes later is ignored.
    bool feed(std::string_view bytes);
    // The input ended: false when it is corrupt or a compressed one stopped
    // short of its end.
    bool finish();

    // What is wrong, as "not a complete gzip stream"; empty while nothing is.
    const std::string& error() const { return m_error; }

  private:
    void decide();
    bool pass(std::string_view bytes);

    Sink m_sink;
    Format m_format = Format::Plain; // until the first four bytes, or the end, decide
    bool m_decided = false;
    std::string m_head; // the first bytes, until they decide the format
    std::unique_ptr<StreamDecoder> m_decoder;
    std::string m_error;
};

} // namespace nomix
