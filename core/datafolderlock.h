// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace nomix {

// Keeps the two data files of one folder changing as one. An import replaces
// the product table and the name database under a write lock and notes the
// renames it is about to make before it makes them; readers open both files
// under a read lock. So no reader sees a new name database under an old
// table, two imports into one folder take turns, and an import killed
// between its renames is finished by whoever takes the lock next.
//
// The lock is advisory (flock) on a hidden file in the folder. A reader of a
// folder it cannot write, such as an installed sample, reads without it: no
// import can write there either.
class DataFolderLock {
  public:
    enum class Mode { Read, Write };

    // Waits until the lock is granted. A write lock that cannot be had (the
    // folder is missing or not writable) leaves ok() false and error() set.
    DataFolderLock(const std::string& directory, Mode mode);
    ~DataFolderLock();
    DataFolderLock(const DataFolderLock&) = delete;
    DataFolderLock& operator=(const DataFolderLock&) = delete;

    bool ok() const { return m_ok; }
    int error() const { return m_error; }

    // With the write lock: renames each (from, to) pair, as one step for
    // every reader. False, with error() set, when the note of the renames
    // could not be written; nothing is renamed then.
    bool replace(const std::vector<std::pair<std::string, std::string>>& renames);

  private:
    void finishInterruptedReplacement();

    std::string m_directory;
    int m_fd = -1;
    bool m_ok = true;
    int m_error = 0;
};

} // namespace nomix
