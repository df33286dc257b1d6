// SPDX-License-Identifier: MIT
#include "compressedinput.h"

#include "core/fileerror.h"

#define ZLIB_CONST
#include <bzlib.h>
#include <zlib.h>
#include <zstd.h>
#include <zstd_errors.h>

#include <algorithm>
#include <new>
#include <vector>

namespace nomix {

// Undoes one compression format a piece at a time.
class StreamDecoder {
  public:
    using Sink = CompressedInput::Sink;

    virtual ~StreamDecoder() = default;
    // False, with the reason in `error`, when the data cannot be undone.
    virtual bool decode(std::string_view bytes, const Sink& sink, std::string& error) = 0;
    // True when the data so far ends where a compressed part ends.
    virtual bool atEnd() const = 0;

  protected:
    // The libraries write into this, and each filled piece goes on at once.
    std::vector<char> m_out = std::vector<char>(size_t{1} << 18);
};

namespace {

constexpr size_t kMagicSize = 4;
// The libraries count input in 32 bits.
constexpr size_t kLargestPiece = size_t{1} << 30;

class GzipDecoder final : public StreamDecoder {
  public:
    GzipDecoder() {
        // 16 + the largest window: gzip wrapping only, no bare zlib data.
        if (inflateInit2(&m_stream, 16 + MAX_WBITS) != Z_OK) {
            throw std::bad_alloc();
        }
    }
    ~GzipDecoder() override { inflateEnd(&m_stream); }
    GzipDecoder(const GzipDecoder&) = delete;
    GzipDecoder& operator=(const GzipDecoder&) = delete;

    bool decode(std::string_view bytes, const Sink& sink, std::string& error) override {
        m_stream.next_in = reinterpret_cast<const Bytef*>(bytes.data());
        m_stream.avail_in = static_cast<uInt>(bytes.size());
        for (;;) {
            if (m_memberEnded) {
                if (m_stream.avail_in == 0) {
                    return true;
                }
                inflateReset(&m_stream); // another member follows
                m_memberEnded = false;
            }
            m_stream.next_out = reinterpret_cast<Bytef*>(m_out.data());
            m_stream.avail_out = static_cast<uInt>(m_out.size());
            const int result = inflate(&m_stream, Z_NO_FLUSH);
            const size_t made = m_out.size() - m_stream.avail_out;
            if (made > 0) {
                sink(std::string_view(m_out.data(), made));
            }
            if (result == Z_STREAM_END) {
                m_memberEnded = true;
            } else if (result == Z_BUF_ERROR ||
                       (result == Z_OK && m_stream.avail_in == 0 && m_stream.avail_out > 0)) {
                return true; // everything given is undone
            } else if (result != Z_OK) {
                error = "corrupt gzip stream";
                if (m_stream.msg != nullptr) {
                    error += std::string(" (") + m_stream.msg + ")";
                }
                return false;
            }
        }
    }
    bool atEnd() const override { return m_memberEnded; }

  private:
    z_stream m_stream = {};
    bool m_memberEnded = false;
};

class ZstdDecoder final : public StreamDecoder {
  public:
    ZstdDecoder() : m_stream(ZSTD_createDStream()) {
        if (m_stream == nullptr || ZSTD_isError(ZSTD_initDStream(m_stream))) {
            ZSTD_freeDStream(m_stream);
            throw std::bad_alloc();
        }
    }
    ~ZstdDecoder() override { ZSTD_freeDStream(m_stream); }
    ZstdDecoder(const ZstdDecoder&) = delete;
    ZstdDecoder& operator=(const ZstdDecoder&) = delete;

    bool decode(std::string_view bytes, const Sink& sink, std::string& error) override {
        ZSTD_inBuffer in = {bytes.data(), bytes.size(), 0};
        for (;;) {
            ZSTD_outBuffer out = {m_out.data(), m_out.size(), 0};
            // Frames that follow one another are read on without a word.
            const size_t result = ZSTD_decompressStream(m_stream, &out, &in);
            if (ZSTD_getErrorCode(result) == ZSTD_error_frameParameter_windowTooLarge) {
                // Made with --long beyond 27: whole, but more memory than an
                // import may take.
                error = "zstd stream needs a window over 128 MB (as zstd --long makes), too large "
                        "to read";
                return false;
            }
            if (ZSTD_isError(result)) {
                error = std::string("corrupt zstd stream (") + ZSTD_getErrorName(result) + ")";
                return false;
            }
            if (out.pos > 0) {
                sink(std::string_view(m_out.data(), out.pos));
            }
            m_frameEnded = result == 0;
            if (in.pos == in.size && out.pos < out.size) {
                return true;
            }
        }
    }
    bool atEnd() const override { return m_frameEnded; }

  private:
    ZSTD_DStream* m_stream;
    bool m_frameEnded = false;
};

class Bzip2Decoder final : public StreamDecoder {
  public:
    Bzip2Decoder() { start(); }
    ~Bzip2Decoder() override { BZ2_bzDecompressEnd(&m_stream); }
    Bzip2Decoder(const Bzip2Decoder&) = delete;
    Bzip2Decoder& operator=(const Bzip2Decoder&) = delete;

    bool decode(std::string_view bytes, const Sink& sink, std::string& error) override {
        // The library only reads through this pointer.
        m_stream.next_in = const_cast<char*>(bytes.data());
        m_stream.avail_in = static_cast<unsigned>(bytes.size());
        for (;;) {
            if (m_streamEnded) {
                if (m_stream.avail_in == 0) {
                    return true;
                }
                BZ2_bzDecompressEnd(&m_stream); // another stream follows
                start();
            }
            m_stream.next_out = m_out.data();
            m_stream.avail_out = static_cast<unsigned>(m_out.size());
            const int result = BZ2_bzDecompress(&m_stream);
            const size_t made = m_out.size() - m_stream.avail_out;
            if (made > 0) {
                sink(std::string_view(m_out.data(), made));
            }
            if (result == BZ_STREAM_END) {
                m_streamEnded = true;
            } else if (result != BZ_OK) {
                error = result == BZ_DATA_ERROR_MAGIC ? "corrupt bzip2 stream (not bzip2 data)"
                        : result == BZ_MEM_ERROR      ? "corrupt bzip2 stream (out of memory)"
                                                      : "corrupt bzip2 stream (data error)";
                return false;
            } else if (m_stream.avail_in == 0 && m_stream.avail_out > 0) {
                return true;
            }
        }
    }
    bool atEnd() const override { return m_streamEnded; }

  private:
    // Keeps the input the caller gave, which the library's start leaves alone.
    void start() {
        char* const next = m_stream.next_in;
        const unsigned available = m_stream.avail_in;
        m_stream = {};
        if (BZ2_bzDecompressInit(&m_stream, 0, 0) != BZ_OK) {
            throw std::bad_alloc();
        }
        m_stream.next_in = next;
        m_stream.avail_in = available;
        m_streamEnded = false;
    }

    bz_stream m_stream = {};
    bool m_streamEnded = false;
};

const char* formatName(CompressedInput::Format format) {
    switch (format) {
    case CompressedInput::Format::Gzip:
        return "gzip";
    case CompressedInput::Format::Zstd:
        return "zstd";
    case CompressedInput::Format::Bzip2:
        return "bzip2";
    case CompressedInput::Format::Plain:
        break;
    }
    return "plain";
}

} // namespace

CompressedInput::CompressedInput(Sink sink, std::string inputName)
    : m_sink(std::move(sink)), m_inputName(std::move(inputName)) {}

CompressedInput::~CompressedInput() = default;

void CompressedInput::fail(const std::string& reason) const {
    throw ImportError(m_inputName.empty() ? reason : m_inputName + ": " + reason);
}

void CompressedInput::feed(std::string_view bytes) {
    if (!m_decided) {
        const size_t taken = std::min(bytes.size(), kMagicSize - m_head.size());
        m_head.append(bytes.substr(0, taken));
        bytes.remove_prefix(taken);
        if (m_head.size() < kMagicSize) {
            return;
        }
        decide();
        pass(m_head);
        m_head.clear();
    }
    pass(bytes);
}

void CompressedInput::finish() {
    if (!m_decided) {
        decide();
        pass(m_head);
        m_head.clear();
    }
    if (m_decoder && !m_decoder->atEnd()) {
        fail(std::string("not a complete ") + formatName(m_format) + " stream");
    }
}

void CompressedInput::decide() {
    m_decided = true;
    const std::string_view head = m_head;
    if (head.starts_with("\x1f\x8b")) {
        m_format = Format::Gzip;
        m_decoder = std::make_unique<GzipDecoder>();
    } else if (head.starts_with("\x28\xb5\x2f\xfd")) {
        m_format = Format::Zstd;
        m_decoder = std::make_unique<ZstdDecoder>();
    } else if (head.size() == kMagicSize && head.starts_with("BZh") && head[3] >= '1' &&
               head[3] <= '9') {
        m_format = Format::Bzip2;
        m_decoder = std::make_unique<Bzip2Decoder>();
    }
}

void CompressedInput::pass(std::string_view bytes) {
    if (!m_decoder) {
        if (!bytes.empty()) {
            m_sink(bytes);
        }
        return;
    }
    std::string error;
    while (!bytes.empty()) {
        const std::string_view piece = bytes.substr(0, kLargestPiece);
        if (!m_decoder->decode(piece, m_sink, error)) {
            fail(error);
        }
        bytes.remove_prefix(piece.size());
    }
}

} // namespace nomix
