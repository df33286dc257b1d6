#pragma once

#include <stdexcept>
#include <string>

namespace nomix {

// A failure of the folder browser (a special folder this desktop does not
// have), with a code so a caller that handles it through the browser's error
// event can tell the kinds apart (1: a folder lookup failed). Costs its
// message and one integer.
class FolderDialogError : public std::runtime_error {
  public:
    FolderDialogError(const std::string& message, int code) : std::runtime_error(message), code_(code) {}

    int Code() const { return code_; }

  private:
    int code_;
};

} // namespace nomix
