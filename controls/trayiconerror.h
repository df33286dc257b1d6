// SPDX-License-Identifier: MIT
#pragma once

#include <stdexcept>

namespace nomix {

// Raised while a tray icon is being set up wrongly (no window to belong to),
// so the mistake shows at once in the program that made it. Costs nothing
// beyond its message.
class TrayIconError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

} // namespace nomix
