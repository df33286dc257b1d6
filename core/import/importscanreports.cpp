// SPDX-License-Identifier: MIT
#include "importscanreports.h"

#include "core/fileerror.h"
#include "core/import/compressedinput.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <span>
#include <sys/stat.h>
#include <unistd.h>

namespace nomix {

void ImportCallbacks::progressed(uint64_t, size_t) {}

bool ImportCallbacks::stopRequested() {
    return false;
}

void ImportCallbacks::lineSkipped(const std::string&, size_t, const std::string&) {}

namespace {

constexpr size_t kChunk = 1 << 17;

[[noreturn]] void failToRead(const std::string& name, int err) {
    throw ImportError(name + ": " + std::strerror(err));
}

// One input, open for reading; standard input stays open.
class InputFile {
  public:
    explicit InputFile(const std::string& name)
        : m_standardInput(name == "-"),
          m_fd(m_standardInput ? STDIN_FILENO : ::open(name.c_str(), O_RDONLY | O_CLOEXEC)) {
        struct stat info = {};
        if (m_fd < 0) {
            failToRead(name, errno);
        }
        if (::fstat(m_fd, &info) != 0 || S_ISDIR(info.st_mode)) {
            const int err = S_ISDIR(info.st_mode) ? EISDIR : errno;
            close();
            failToRead(name, err);
        }
    }
    ~InputFile() { close(); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    int fd() const { return m_fd; }

  private:
    void close() {
        if (!m_standardInput && m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = -1;
    }

    bool m_standardInput;
    int m_fd;
};

} // namespace

ImportSummary importScanReports(const ImportRequest& request, ImportCallbacks& callbacks) {
    const auto stopRequested = [&callbacks] { return callbacks.stopRequested(); };
    // The samples wait in the output folder, where the database will need
    // the room anyway.
    NameDatabaseBuilder builder(request.folder);
    if (request.update) {
        builder.loadPrevious(request.folder);
    }
    ImportSummary summary;
    uint64_t bytesRead = 0;
    std::vector<char> buffer(kChunk);
    for (const std::string& name : request.files) {
        const InputFile file(name);
        ScanReportReader reader([&builder](ScanReport&& report) { builder.add(std::move(report)); },
                                [&](size_t line, const std::string& reason) {
                                    ++summary.skippedLines;
                                    callbacks.lineSkipped(name, line, reason);
                                });
        CompressedInput input([&reader](std::string_view bytes) { reader.feed(bytes); }, name);
        for (;;) {
            if (stopRequested()) {
                throw ImportStopped();
            }
            // Plain input goes straight where the reader keeps it.
            const std::span<char> room = input.isPlain() ? reader.room() : std::span<char>();
            const std::span<char> target = room.empty() ? std::span<char>(buffer) : room;
            const ssize_t got = ::read(file.fd(), target.data(), target.size());
            if (got < 0 && errno == EINTR) {
                continue; // a signal, perhaps the one that asks to stop
            }
            if (got < 0) {
                failToRead(name, errno);
            }
            if (got == 0) {
                break;
            }
            if (room.empty()) {
                input.feed(std::string_view(target.data(), static_cast<size_t>(got)));
            } else {
                reader.filled(static_cast<size_t>(got));
            }
            bytesRead += static_cast<uint64_t>(got);
            callbacks.progressed(bytesRead, builder.sampleCount());
        }
        input.finish();
        reader.finish();
    }
    if (stopRequested()) {
        throw ImportStopped();
    }
    summary.samples = builder.sampleCount();
    summary.products = builder.productCount();
    if (summary.samples == 0) {
        return summary;
    }
    const std::string label =
        request.label ? *request.label : defaultImportLabel(summary.samples, std::time(nullptr));
    writeImportedDatabase(request.folder, builder, label, stopRequested);
    summary.written = true;
    summary.engineChanges = builder.engineChanges();
    summary.nameChanges = builder.nameChanges();
    return summary;
}

} // namespace nomix
