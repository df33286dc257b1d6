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

bool IsDirectory(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

// The build tree's resources/ as the marker names it, or empty.
fs::path BuildTreeResources(fs::path dir) {
    for (int depth = 0; depth < kMarkerSearchDepth && !dir.empty(); ++depth) {
        std::ifstream marker(dir / kBuildTreeMarker);
        std::string resources;
        if (marker && std::getline(marker, resources) && IsDirectory(resources)) {
            return resources;
        }
        if (dir == dir.root_path()) {
            break;
        }
        dir = dir.parent_path();
    }
    return {};
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

std::string ProgramDataFolder(const std::string& programDir) {
    // The parent rather than "..", so the stored default reads
    // /usr/share/nomix95/sample and not /usr/bin/../share/nomix95/sample.
    const fs::path dir = fs::path(programDir).lexically_normal();
    const fs::path parent =
        dir.has_filename() ? dir.parent_path() : dir.parent_path().parent_path();
    const fs::path installed = parent / "share" / "nomix95";
    if (IsDirectory(installed)) {
        return installed.string();
    }
    const fs::path resources = BuildTreeResources(dir);
    return resources.empty() ? installed.string() : resources.string();
}

std::string RunningProgramDir() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string() : self.parent_path().string();
}

std::string DefaultCommonDirectory(const std::string& programDir) {
    return ProgramDataFolder(programDir) + "/sample";
}

bool IsStaleDefaultDirectory(const std::string& storedPath) {
    std::string path = storedPath;
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    // The defaults every build and installation of the program has used:
    // an installed sample under any prefix, and the sample of a source tree.
    const bool wasDefault =
        EndsWith(path, "/share/nomix95/sample") || EndsWith(path, "/resources/sample");
    if (!wasDefault) {
        return false;
    }
    // A folder that cannot be looked at (no permission, a server away) may
    // well be there: only a certain absence counts.
    std::error_code error;
    return !fs::exists(fs::path(path), error) && !error;
}

} // namespace nomix
