// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace nomix {

// Visits the entries of `folder` named `namePrefix` and six characters that
// nobody holds locked (flock): those a killed process left behind, where a
// running one holds its own locked. Each is open (O_RDONLY with `openFlags`
// added) and locked while `visit` runs, so two visitors never take the same
// one.
void forEachUnheldLeftover(
    const std::string& folder, std::string_view namePrefix, int openFlags,
    const std::function<void(const std::string& path, const struct stat& status)>& visit);

} // namespace nomix
