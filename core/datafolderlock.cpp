// SPDX-License-Identifier: MIT
#include "datafolderlock.h"

#include "fileerror.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace nomix {

namespace {

std::string lockPath(const std::string& directory) {
    return directory + "/.nomix95.lock";
}

// The renames an import is making, one "FROM<TAB>TO" a line; present only
// between the first rename and the last.
std::string notePath(const std::string& directory) {
    return directory + "/.nomix95.replacing";
}

void syncDirectory(const std::string& directory) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool writeAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

std::string readAll(const std::string& path) {
    std::string text;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return text;
    }
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return text;
}

bool exists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

} // namespace

DataFolderLock::DataFolderLock(const std::string& directory, Mode mode) : m_directory(directory) {
    m_fd = ::open(lockPath(directory).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    const bool writable = m_fd >= 0;
    if (!writable && mode == Mode::Read) {
        m_fd = ::open(lockPath(directory).c_str(), O_RDONLY | O_CLOEXEC);
    }
    if (m_fd < 0) {
        if (mode == Mode::Write) {
            throwInOutError(errno, directory);
        }
        return;
    }
    while (::flock(m_fd, mode == Mode::Write ? LOCK_EX : LOCK_SH) != 0) {
        if (errno != EINTR) {
            const int err = errno;
            if (mode == Mode::Write) {
                ::close(m_fd);
                m_fd = -1;
                throwInOutError(err, directory);
            }
            return;
        }
    }
    if (!writable || !exists(notePath(directory))) {
        return;
    }
    if (mode == Mode::Read) {
        // Finishing an interrupted import needs the folder to itself.
        while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
        }
        finishInterruptedReplacement();
        while (::flock(m_fd, LOCK_SH) != 0 && errno == EINTR) {
        }
    } else {
        finishInterruptedReplacement();
    }
}

DataFolderLock::~DataFolderLock() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

// Every file the note names that is still at its old name was not renamed
// yet: the import was killed after it had written both files whole.
void DataFolderLock::finishInterruptedReplacement() {
    const std::string note = readAll(notePath(m_directory));
    size_t start = 0;
    while (start < note.size()) {
        size_t end = note.find('\n', start);
        if (end == std::string::npos) {
            break; // a line cut short: the note was being written, nothing renamed
        }
        const std::string line = note.substr(start, end - start);
        start = end + 1;
        const size_t tab = line.find('\t');
        if (tab != std::string::npos && exists(line.substr(0, tab))) {
            ::rename(line.substr(0, tab).c_str(), line.substr(tab + 1).c_str());
        }
    }
    ::unlink(notePath(m_directory).c_str());
    syncDirectory(m_directory);
}

void DataFolderLock::replace(const std::vector<std::pair<std::string, std::string>>& renames) {
    std::string note;
    for (const auto& [from, to] : renames) {
        note += from + '\t' + to + '\n';
    }
    const std::string draft = notePath(m_directory) + ".new";
    const int fd = ::open(draft.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    bool noted = fd >= 0 && writeAll(fd, note) && ::fsync(fd) == 0;
    int err = noted ? 0 : errno;
    if (fd >= 0) {
        ::close(fd);
    }
    if (noted && ::rename(draft.c_str(), notePath(m_directory).c_str()) != 0) {
        noted = false;
        err = errno;
    }
    if (!noted) {
        ::unlink(draft.c_str());
        throwInOutError(err != 0 ? err : EIO, m_directory);
    }
    syncDirectory(m_directory);
    for (const auto& [from, to] : renames) {
        ::rename(from.c_str(), to.c_str());
    }
    syncDirectory(m_directory);
    ::unlink(notePath(m_directory).c_str());
}

} // namespace nomix
