// SPDX-License-Identifier: MIT
#include "fileerror.h"

#include <cerrno>

namespace nomix {

std::string inOutErrorMessage(int err) {
    switch (err) {
    case ENOENT:
        return "File not found";
    case ENOTDIR:
    case ELOOP: // links that lead back to themselves: no path to a file
        return "Path not found";
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
    case ETXTBSY:
        return "File access denied";
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return "Disk full";
    case ENAMETOOLONG:
    case EINVAL:
    case EILSEQ:
        return "Invalid file name";
    case EMFILE:
    case ENFILE:
        return "Too many open files";
    case EBADF:
        return "Invalid file handle";
    case ENOMEM:
        return "Out of memory";
    case ENXIO:
    case ENODEV:
        return "File not found";
    default:
        return "I/O error " + std::to_string(err);
    }
}

void throwInOutError(int err, const std::string& path) {
    throw FileError(inOutErrorMessage(err), path, err);
}

} // namespace nomix
