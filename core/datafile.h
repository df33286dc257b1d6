// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <sys/stat.h>

namespace nomix {

// Paths are joined as the user typed them: directory text, "/", file-name
// text, with no normalisation.
std::string joinDataPath(const std::string& directory, const std::string& fileName);

// True when `path` names something that exists and is not a directory.
bool fileExists(const std::string& path);

// Memory the system could give us at most: RAM and swap. Data larger than
// that cannot be held, however it is read.
unsigned long long memoryLimitBytes();

// Opens `path` for reading and returns the descriptor, with `st` filled in.
// Directories, FIFOs and devices are refused ("File access denied"), so a
// data file that is not a file fails at once instead of hanging or reading
// forever. Throws FileError naming the file.
int openRegularFile(const std::string& path, struct stat& st);

// The whole of a regular file read into memory. Directories, FIFOs and
// devices are refused up front ("File access denied"), so a data file that
// is not a file fails at once instead of hanging or reading forever.
struct FileBytes {
    std::unique_ptr<char[]> data;
    size_t size = 0;         // bytes actually read
    size_t expectedSize = 0; // the size the file had when opened
    long long modifiedSeconds = 0;
};

// `onPiece` (may be empty) sees each piece of the file as soon as it has
// been read, while it is still in the cache, and returns false when the rest
// is not wanted. Between pieces a caller can also keep a window painting
// while a big file comes in.
using PieceHandler = std::function<bool(const char* piece, size_t size)>;
FileBytes readFileBytes(const std::string& path, const PieceHandler& onPiece = {});

} // namespace nomix
