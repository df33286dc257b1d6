// SPDX-License-Identifier: MIT
#include "reportfile.h"

#include "fileerror.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace nomix {

namespace {

// O_NONBLOCK only for the open itself: a FIFO without a reader fails at once
// instead of hanging the program.
constexpr int kOpenFlags = O_WRONLY | O_CLOEXEC | O_NONBLOCK;

int openOrThrow(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0) {
        // Creating a file that appeared since the user was asked would
        // replace it unasked.
        if (errno == EEXIST) {
            throw FileError(inOutErrorMessage(EACCES), path);
        }
        throwInOutError(errno, path);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

struct stat statOrThrow(int fd, const std::string& path) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        throwInOutError(errno, path);
    }
    return st;
}

// A descriptor being opened: closed again unless the report file takes it.
class Descriptor {
  public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

  private:
    int m_fd;
};

// A rename keeps the file as the user knows it only when nothing else refers
// to it and it would keep its owner.
bool canBeReplaced(const struct stat& st) {
    return S_ISREG(st.st_mode) && st.st_nlink == 1 && st.st_uid == ::geteuid();
}

std::string resolvedPath(const std::string& path) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved) {
        return {};
    }
    std::string result(resolved);
    std::free(resolved);
    return result;
}

} // namespace

ReportFile::ReportFile(std::string path, ReportOpenMode mode)
    : m_path(std::move(path)), m_mode(mode) {
    switch (m_mode) {
    case ReportOpenMode::Create:
        openNew();
        break;
    case ReportOpenMode::Append:
        openForAppend();
        break;
    case ReportOpenMode::Overwrite:
        openForOverwrite();
        break;
    }
}

ReportFile::~ReportFile() {
    if (!m_committed) {
        abandon();
    }
}

void ReportFile::openNew() {
    m_fd = openOrThrow(m_path, kOpenFlags | O_CREAT | O_EXCL);
    m_regular = true;
}

void ReportFile::openForAppend() {
    Descriptor file(openOrThrow(m_path, kOpenFlags | O_APPEND));
    const struct stat st = statOrThrow(file.get(), m_path);
    m_regular = S_ISREG(st.st_mode);
    m_originalSize = st.st_size;
    m_fd = file.release();
}

void ReportFile::openForOverwrite() {
    // Opening the file itself first gives the refusal the user would get
    // for a file they may not write, and follows links to the real file.
    Descriptor file(openOrThrow(m_path, kOpenFlags));
    const struct stat st = statOrThrow(file.get(), m_path);
    m_regular = S_ISREG(st.st_mode);
    if (canBeReplaced(st) && startReplacement()) {
        return;
    }
    if (m_regular && ::ftruncate(file.get(), 0) != 0) {
        throwInOutError(errno, m_path);
    }
    m_fd = file.release();
}

bool ReportFile::startReplacement() {
    const std::string target = resolvedPath(m_path);
    if (target.empty()) {
        return false;
    }
    try {
        m_replacement.emplace(
            target, ReplacementFile::Options{
                        .namePrefix = target.substr(target.rfind('/') + 1) + ".",
                        .permissions = ReplacementFile::Permissions::OfReplacedFileAndGroup});
    } catch (const FileError& error) {
        // A folder we may not create files in, or a name too long for a
        // suffix: the file itself is still writable, so write it in place.
        const int code = error.errorNumber();
        if (code == EACCES || code == EPERM || code == ENAMETOOLONG) {
            return false;
        }
        throwInOutError(code, m_path);
    }
    if (!m_replacement->permissionsKept()) {
        m_replacement.reset();
        return false;
    }
    return true;
}

void ReportFile::write(std::string_view bytes) {
    if (m_replacement) {
        try {
            m_replacement->write(bytes);
        } catch (const FileError& error) {
            throwInOutError(error.errorNumber(), m_path);
        }
        return;
    }
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, p, left);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            throwInOutError(n < 0 ? errno : ENOSPC, m_path);
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
}

void ReportFile::commit() {
    if (m_committed) {
        return;
    }
    if (m_replacement) {
        try {
            m_replacement->commit();
        } catch (const FileError& error) {
            throwInOutError(error.errorNumber(), m_path);
        }
    } else {
        syncIfOldContentAtStake();
        closeOrThrow();
    }
    m_committed = true;
}

// Until the bytes are on the disk, a late failure could still cost the old
// content, and only before the close can it still be undone.
void ReportFile::syncIfOldContentAtStake() {
    if (m_regular && m_mode == ReportOpenMode::Append && ::fsync(m_fd) != 0) {
        throwInOutError(errno, m_path);
    }
}

void ReportFile::closeOrThrow() {
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && errno != EINTR) {
        throwInOutError(errno, m_path);
    }
}

void ReportFile::abandon() noexcept {
    if (m_mode == ReportOpenMode::Append && m_regular) {
        const int result = m_fd >= 0 ? ::ftruncate(m_fd, m_originalSize)
                                     : ::truncate(m_path.c_str(), m_originalSize);
        // Nothing is left to try when even cutting back fails.
        static_cast<void>(result);
    }
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_replacement.reset();
}

} // namespace nomix
