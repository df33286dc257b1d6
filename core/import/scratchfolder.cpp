// SPDX-License-Identifier: MIT
#include "scratchfolder.h"

#include "core/fileerror.h"
#include "core/leftovers.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nomix {

namespace {

constexpr std::string_view kRandomPart = ".XXXXXX";
constexpr std::chrono::seconds kYoungest{60};

std::string temporaryFolder() {
    const char* tmp = std::getenv("TMPDIR");
    return tmp && *tmp ? tmp : "/tmp";
}

void removeQuietly(const std::string& path) {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

} // namespace

ScratchFolder::ScratchFolder(std::string_view namePrefix) {
    const std::string parent = temporaryFolder();
    removeLeftovers(parent, namePrefix);
    std::string pattern = parent + "/" + std::string(namePrefix) + std::string(kRandomPart);
    if (!::mkdtemp(pattern.data())) {
        throw ImportError(pattern + ": cannot make a folder there: " + std::strerror(errno));
    }
    m_path = pattern;
    m_lock = ::open(m_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_lock < 0 || ::flock(m_lock, LOCK_EX) != 0) {
        const int error = errno;
        if (m_lock >= 0) {
            ::close(m_lock);
        }
        removeQuietly(m_path);
        throw ImportError(m_path + ": cannot lock the folder: " + std::strerror(error));
    }
}

ScratchFolder::~ScratchFolder() {
    removeQuietly(m_path);
    ::close(m_lock);
}

void ScratchFolder::removeLeftovers(const std::string& parent, std::string_view namePrefix) {
    const auto now = std::chrono::system_clock::now();
    forEachUnheldLeftover(
        parent, std::string(namePrefix) + ".", O_DIRECTORY,
        [now](const std::string& path, const struct stat& status) {
            const bool old =
                std::chrono::system_clock::from_time_t(status.st_mtime) + kYoungest < now;
            // Someone else's folder is theirs to remove, and theirs only.
            if (old && status.st_uid == ::geteuid()) {
                removeQuietly(path);
            }
        });
}

} // namespace nomix
