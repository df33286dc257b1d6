#pragma once

#include <stdexcept>
#include <string>

namespace nomix {

// A file input/output failure, carrying the runtime's message ("File not
// found", "Disk full", ...) that the user sees, and the path involved so a
// command-line caller can name the file.
class FileError : public std::runtime_error {
  public:
    FileError(const std::string& message, std::string path, int errorCode = 0)
        : std::runtime_error(message), path_(std::move(path)), errorCode_(errorCode) {}

    const std::string& path() const { return path_; }
    int errorCode() const { return errorCode_; }

  private:
    std::string path_;
    int errorCode_;
};

// Any other failure the program detects itself, with its own text.
class NomixError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The product table file gave fewer bytes than its size promised.
class ShortReadError : public NomixError {
  public:
    using NomixError::NomixError;
};

// The runtime's message for an errno value.
std::string InOutErrorMessage(int err);

// Throws FileError for `err` (an errno value) on `path`.
[[noreturn]] void ThrowInOutError(int err, const std::string& path);

} // namespace nomix
