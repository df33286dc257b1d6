// SPDX-License-Identifier: MIT
#pragma once

#include <string_view>

namespace nomix {

// Where the bytes of a report go: a file in the program, a string or a
// failing fake in tests. The writer hands over large blocks, so the virtual
// call costs nothing next to the system call behind it.
class ReportSink {
  public:
    virtual ~ReportSink() = default;
    // Takes all of `bytes`, or throws FileError.
    virtual void write(std::string_view bytes) = 0;
};

} // namespace nomix
