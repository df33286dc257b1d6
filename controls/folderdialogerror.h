// SPDX-License-Identifier: MIT
#pragma once

#include <stdexcept>
#include <string>

namespace nomix {

// A failure of the folder browser (a root folder this desktop does not
// have), with a code so a caller that handles it through the browser's error
// signal can tell the kinds apart. Costs its message and one integer.
class FolderDialogError : public std::runtime_error {
  public:
    // The code of a root folder that could not be found.
    static constexpr int kLookupFailed = 1;

    FolderDialogError(const std::string& message, int code)
        : std::runtime_error(message), m_code(code) {}

    int code() const { return m_code; }

  private:
    int m_code;
};

} // namespace nomix
