// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace nomix {

// A folder of one's own in the temporary folder (TMPDIR, else /tmp), for
// files on their way elsewhere, such as an import bound for the team
// database; removed with all it holds when the object goes. A process that
// is killed cannot remove it, so the folder is held locked while in use
// and a new one first removes those of its kind that nobody holds: a killed
// import's hundred megabytes do not stay behind for good.
class ScratchFolder {
  public:
    // Makes "<temporary folder>/<namePrefix>.XXXXXX". Throws ImportError
    // naming the folder when it cannot.
    explicit ScratchFolder(std::string_view namePrefix);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return m_path; }

    // Removes the folders "<namePrefix>.XXXXXX" in `parent` that no one holds
    // and that are older than a minute: a younger one may be on its way to
    // being locked.
    static void removeLeftovers(const std::string& parent, std::string_view namePrefix);

  private:
    std::string m_path;
    int m_lock = -1; // the folder, open and locked while it is in use
};

} // namespace nomix
