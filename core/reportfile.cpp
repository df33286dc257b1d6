#include "reportfile.h"

#include "fileerror.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nomix {

namespace {

// O_NONBLOCK only for the open itself: a FIFO without a reader fails at once
// instead of hanging the program.
constexpr int kOpenFlags = O_WRONLY | O_CLOEXEC | O_NONBLOCK;

int OpenOrThrow(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0) {
        // Creating a file that appeared since the user was asked would
        // replace it unasked.
        if (errno == EEXIST) {
            throw FileError(InOutErrorMessage(EACCES), path, EEXIST);
        }
        ThrowInOutError(errno, path);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

struct stat StatOrThrow(int fd, const std::string& path) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        ThrowInOutError(err, path);
    }
    return st;
}

// A rename keeps the file as the user knows it only when nothing else refers
// to it and it would keep its owner.
bool CanBeReplaced(const struct stat& st) {
    return S_ISREG(st.st_mode) && st.st_nlink == 1 && st.st_uid == ::geteuid();
}

std::string ResolvedPath(const std::string& path) {
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
    : path_(std::move(path)), mode_(mode) {
    switch (mode_) {
    case ReportOpenMode::omCreate:
        openNew();
        break;
    case ReportOpenMode::omAppend:
        openForAppend();
        break;
    case ReportOpenMode::omOverwrite:
        openForOverwrite();
        break;
    }
}

ReportFile::~ReportFile() {
    if (!committed_) {
        abandon();
    }
}

void ReportFile::openNew() {
    fd_ = OpenOrThrow(path_, kOpenFlags | O_CREAT | O_EXCL);
    regular_ = true;
}

void ReportFile::openForAppend() {
    fd_ = OpenOrThrow(path_, kOpenFlags | O_APPEND);
    const struct stat st = StatOrThrow(fd_, path_);
    regular_ = S_ISREG(st.st_mode);
    originalSize_ = st.st_size;
}

void ReportFile::openForOverwrite() {
    // Opening the file itself first gives the refusal the user would get
    // for a file they may not write, and follows links to the real file.
    const int fd = OpenOrThrow(path_, kOpenFlags);
    const struct stat st = StatOrThrow(fd, path_);
    regular_ = S_ISREG(st.st_mode);
    bool replacing = false;
    try {
        replacing = CanBeReplaced(st) && startReplacement(st);
    } catch (...) {
        ::close(fd);
        throw;
    }
    if (replacing) {
        ::close(fd);
        return;
    }
    if (regular_ && ::ftruncate(fd, 0) != 0) {
        const int err = errno;
        ::close(fd);
        ThrowInOutError(err, path_);
    }
    fd_ = fd;
}

bool ReportFile::startReplacement(const struct stat& target) {
    targetPath_ = ResolvedPath(path_);
    if (targetPath_.empty()) {
        return false;
    }
    std::string pattern = targetPath_ + ".XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) {
        // A folder we may not create files in, or a name too long for a
        // suffix: the file itself is still writable, so write it in place.
        if (errno == EACCES || errno == EPERM || errno == ENAMETOOLONG) {
            return false;
        }
        ThrowInOutError(errno, path_);
    }
    if (::fchmod(fd, target.st_mode & 07777) != 0 ||
        ::fchown(fd, static_cast<uid_t>(-1), target.st_gid) != 0) {
        ::close(fd);
        ::unlink(pattern.c_str());
        return false;
    }
    fd_ = fd;
    tempPath_ = pattern;
    return true;
}

void ReportFile::write(std::string_view bytes) {
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, left);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ThrowInOutError(n < 0 ? errno : ENOSPC, path_);
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
}

void ReportFile::commit() {
    if (committed_) {
        return;
    }
    syncIfOldContentAtStake();
    closeOrThrow();
    if (!tempPath_.empty()) {
        if (::rename(tempPath_.c_str(), targetPath_.c_str()) != 0) {
            ThrowInOutError(errno, path_);
        }
        tempPath_.clear();
    }
    committed_ = true;
}

// Until the bytes are on the disk, a late failure could still cost the old
// content, and only before the close can it still be undone.
void ReportFile::syncIfOldContentAtStake() {
    const bool atStake = mode_ == ReportOpenMode::omAppend || !tempPath_.empty();
    if (regular_ && atStake && ::fsync(fd_) != 0) {
        ThrowInOutError(errno, path_);
    }
}

void ReportFile::closeOrThrow() {
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR) {
        ThrowInOutError(errno, path_);
    }
}

void ReportFile::abandon() noexcept {
    if (mode_ == ReportOpenMode::omAppend && regular_) {
        const int result =
            fd_ >= 0 ? ::ftruncate(fd_, originalSize_) : ::truncate(path_.c_str(), originalSize_);
        // Nothing is left to try when even cutting back fails.
        static_cast<void>(result);
    }
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!tempPath_.empty()) {
        ::unlink(tempPath_.c_str());
    }
}

} // namespace nomix
