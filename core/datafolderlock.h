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

    // Waits until the lock is granted. Throws FileError naming the folder
    // when a write lock cannot be had (the folder is missing or not
    // writable); a read lock always can.
    DataFolderLock(const std::string& directory, Mode mode);
    ~DataFolderLock();
    DataFolderLock(const DataFolderLock&) = delete;
    DataFolderLock& operator=(const DataFolderLock&) = delete;

    // With the write lock: renames each (from, to) pair, as one step for
    // every reader. Throws FileError naming the folder when the note of the
    // renames could not be written; nothing is renamed then.
    void replace(const std::vector<std::pair<std::string, std::string>>& renames);

  private:
    void finishInterruptedReplacement();

    std::string m_directory;
    int m_fd = -1;
};

} // namespace nomix
