// SPDX-License-Identifier: MIT
#include "datafolder.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace nomix {

namespace fs = std::filesystem;

namespace {

// Test programs sit two folders below the top of the build tree, the
// programs one.
constexpr int kMarkerSearchDepth = 3;

bool isDirectory(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

struct BuildTree {
    fs::path top;       // where the marker lies
    fs::path resources; // the source tree's resources/ it names
};

// The build tree around `dir` whose marker names an existing resources/, or
// empty paths.
BuildTree buildTreeAround(fs::path dir) {
    for (int depth = 0; depth < kMarkerSearchDepth && !dir.empty(); ++depth) {
        std::ifstream marker(dir / kBuildTreeMarker);
        std::string resources;
        if (marker && std::getline(marker, resources) && isDirectory(resources)) {
            return {dir, resources};
        }
        if (dir == dir.root_path()) {
            break;
        }
        dir = dir.parent_path();
    }
    return {};
}

// The parent rather than "..", so the stored default reads
// /usr/share/nomix95/sample and not /usr/bin/../share/nomix95/sample.
fs::path installedFolder(const fs::path& dir) {
    const fs::path parent =
        dir.has_filename() ? dir.parent_path() : dir.parent_path().parent_path();
    return parent / "share" / "nomix95";
}

} // namespace

std::string programDataFolder(const std::string& programDir) {
    const fs::path dir = fs::path(programDir).lexically_normal();
    const fs::path installed = installedFolder(dir);
    if (isDirectory(installed)) {
        return installed.string();
    }
    const fs::path resources = buildTreeAround(dir).resources;
    return resources.empty() ? installed.string() : resources.string();
}

// Translations are built, not kept in the source tree: a program in its
// build tree finds them at the top of that tree.
std::string translationsFolder(const std::string& programDir) {
    const fs::path dir = fs::path(programDir).lexically_normal();
    const fs::path installed = installedFolder(dir);
    if (isDirectory(installed)) {
        return (installed / "translations").string();
    }
    const fs::path top = buildTreeAround(dir).top;
    return ((top.empty() ? installed : top) / "translations").string();
}

std::string runningProgramDir() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string() : self.parent_path().string();
}

std::string defaultCommonDirectory(const std::string& programDir) {
    return programDataFolder(programDir) + "/sample";
}

std::string defaultLabellingFolder(const std::string& programDir) {
    return programDataFolder(programDir) + "/labelling";
}

bool isStaleDefaultDirectory(const std::string& storedPath) {
    std::string path = storedPath;
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    // The defaults every build and installation of the program has used:
    // an installed sample under any prefix, and the sample of a source tree.
    const bool wasDefault =
        path.ends_with("/share/nomix95/sample") || path.ends_with("/resources/sample");
    if (!wasDefault) {
        return false;
    }
    // A folder that cannot be looked at (no permission, a server away) may
    // well be there: only a certain absence counts.
    std::error_code error;
    return !fs::exists(fs::path(path), error) && !error;
}

} // namespace nomix
