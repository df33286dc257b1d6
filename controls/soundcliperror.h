// SPDX-License-Identifier: MIT
#pragma once

#include <stdexcept>

namespace nomix {

// A sound effect could not be played ("No wave data", "Error playing
// sound"). Its own type, so the main window can catch exactly this and beep
// instead, while every other failure still reaches the error report.
class SoundClipError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

} // namespace nomix
