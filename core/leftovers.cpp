// SPDX-License-Identifier: MIT
#include "leftovers.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace nomix {

namespace {

constexpr size_t kRandomCharacters = 6;

} // namespace

void forEachUnheldLeftover(
    const std::string& folder, std::string_view namePrefix, int openFlags,
    const std::function<void(const std::string& path, const struct stat& status)>& visit) {
    DIR* directory = ::opendir(folder.c_str());
    if (!directory) {
        return;
    }
    while (const dirent* entry = ::readdir(directory)) {
        const std::string_view name = entry->d_name;
        if (name.size() != namePrefix.size() + kRandomCharacters || !name.starts_with(namePrefix)) {
            continue;
        }
        const std::string path = folder + "/" + std::string(name);
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | openFlags);
        if (fd < 0) {
            continue;
        }
        struct stat status {};
        if (::fstat(fd, &status) == 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            visit(path, status);
        }
        ::close(fd);
    }
    ::closedir(directory);
}

} // namespace nomix
