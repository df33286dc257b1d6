// SPDX-License-Identifier: MIT
#include "replacementfile.h"

#include "fileerror.h"
#include "leftovers.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace nomix {

namespace {

constexpr std::string_view kRandomPart = "XXXXXX"; // replaced by mkostemp

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == path.npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

void syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Other programs' new files get these: the replacement should not stand out.
mode_t modeFromUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

ReplacementFile::ReplacementFile(std::string targetPath, Options options)
    : m_targetPath(std::move(targetPath)), m_options(std::move(options)) {
    create();
    try {
        givePermissions();
    } catch (...) {
        ::unlink(m_temporaryPath.c_str());
        ::close(m_fd);
        throw;
    }
}

// Removed before it is closed: while it is locked, no other save takes it
// for a leftover.
ReplacementFile::~ReplacementFile() {
    if (!m_placed) {
        ::unlink(m_temporaryPath.c_str());
    }
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

void ReplacementFile::create() {
    const std::string pattern =
        folderOf(m_targetPath) + "/" + m_options.namePrefix + std::string(kRandomPart);
    for (;;) {
        m_temporaryPath = pattern;
        m_fd = ::mkostemp(m_temporaryPath.data(), O_CLOEXEC);
        if (m_fd < 0) {
            fail(errno);
        }
        if (!m_options.locked) {
            return;
        }
        // Between its creation and the lock, another save may have taken it
        // for a leftover and removed it: then it is made anew. A file system
        // without locks leaves it unlocked.
        struct stat status {};
        if (::flock(m_fd, LOCK_EX) != 0 || (::fstat(m_fd, &status) == 0 && status.st_nlink > 0)) {
            return;
        }
        ::close(m_fd);
    }
}

void ReplacementFile::givePermissions() {
    if (m_options.permissions == Permissions::FromUmask) {
        if (::fchmod(m_fd, modeFromUmask()) != 0) {
            fail(errno);
        }
        return;
    }
    struct stat replaced {};
    if (::stat(m_targetPath.c_str(), &replaced) != 0) {
        return;
    }
    m_permissionsKept = ::fchmod(m_fd, replaced.st_mode & 07777) == 0;
    if (m_options.permissions == Permissions::OfReplacedFileAndGroup && m_permissionsKept) {
        m_permissionsKept = ::fchown(m_fd, static_cast<uid_t>(-1), replaced.st_gid) == 0;
    }
}

void ReplacementFile::write(std::string_view bytes) {
    if (m_options.bufferSize == 0) {
        writeOut(bytes);
        return;
    }
    if (m_buffer.empty() && bytes.size() >= m_options.bufferSize) {
        writeOut(bytes); // large enough already: no need to copy it first
        return;
    }
    // One system call a line would cost more than making the line.
    m_buffer.append(bytes);
    if (m_buffer.size() >= m_options.bufferSize) {
        writeOut(m_buffer);
        m_buffer.clear();
    }
}

void ReplacementFile::writeOut(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t done = ::write(m_fd, bytes.data(), bytes.size());
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            fail(done < 0 ? errno : ENOSPC);
        }
        bytes.remove_prefix(static_cast<size_t>(done));
        m_written += static_cast<uint64_t>(done);
    }
    startWriteback();
}

// A large file goes to the disk while the rest is written, a part at a time,
// so that the flush at its end waits for the last part only. Failures are
// left for that flush to tell.
void ReplacementFile::startWriteback() {
#ifdef SYNC_FILE_RANGE_WRITE
    if (m_written - m_writebackStart >= kWritebackBytes) {
        ::sync_file_range(m_fd, static_cast<off_t>(m_writebackStart),
                          static_cast<off_t>(m_written - m_writebackStart), SYNC_FILE_RANGE_WRITE);
        m_writebackStart = m_written;
    }
#endif
}

void ReplacementFile::finish() {
    if (m_finished) {
        return;
    }
    writeOut(m_buffer);
    m_buffer.clear();
    if (::fsync(m_fd) != 0) {
        fail(errno);
    }
    m_finished = true;
}

void ReplacementFile::commit() {
    finish();
    // A late write error some file systems give only at the close still
    // stops the rename; a locked file stays open, and so locked, until it
    // has its place.
    if (!m_options.locked) {
        closeOrThrow();
    }
    putInPlace(m_temporaryPath, m_targetPath);
    m_placed = true;
}

void ReplacementFile::closeOrThrow() {
    const int fd = std::exchange(m_fd, -1);
    if (::close(fd) != 0 && errno != EINTR) {
        fail(errno);
    }
}

void ReplacementFile::putInPlace(const std::string& from, const std::string& to) {
    if (std::rename(from.c_str(), to.c_str()) != 0) {
        throwInOutError(errno, to);
    }
    syncFolder(folderOf(to));
}

void ReplacementFile::removeLeftovers(const std::string& folder, std::string_view namePrefix) {
    forEachUnheldLeftover(folder, namePrefix, O_NONBLOCK,
                          [](const std::string& path, const struct stat& status) {
                              if (S_ISREG(status.st_mode)) {
                                  ::unlink(path.c_str());
                              }
                          });
}

void ReplacementFile::fail(int error) const {
    throwInOutError(error, m_targetPath);
}

} // namespace nomix
