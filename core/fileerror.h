// SPDX-License-Identifier: MIT
#pragma once

#include <stdexcept>
#include <string>

namespace nomix {

// A file input/output failure, carrying the runtime's message ("File not
// found", "Disk full", ...) that the user sees, and the path involved so a
// command-line caller can name the file. The errno value, where there is
// one, lets a caller with messages of its own word the failure its way.
class FileError : public std::runtime_error {
  public:
    FileError(const std::string& message, std::string path, int errorNumber = 0)
        : std::runtime_error(message), m_path(std::move(path)), m_errorNumber(errorNumber) {}

    const std::string& path() const { return m_path; }
    int errorNumber() const { return m_errorNumber; }

  private:
    std::string m_path;
    int m_errorNumber;
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

// An import that could not read its reports, write its database or take in
// the one before, with the whole message the user sees.
class ImportError : public NomixError {
  public:
    using NomixError::NomixError;
};

// An import that stopped because it was asked to; nothing was written.
class ImportStopped : public ImportError {
  public:
    ImportStopped() : ImportError("interrupted; nothing written") {}
};

// The runtime's message for an errno value.
std::string inOutErrorMessage(int err);

// Throws FileError for `err` (an errno value) on `path`.
[[noreturn]] void throwInOutError(int err, const std::string& path);

} // namespace nomix
