// SPDX-License-Identifier: MIT
#pragma once

#include <stdexcept>

namespace nomix {

// A line of a marquee could not be rendered when scrolling started.
class MarqueeError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

} // namespace nomix
