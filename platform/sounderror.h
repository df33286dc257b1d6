// SPDX-License-Identifier: MIT
#pragma once

#include <stdexcept>

namespace nomix {

// The sound service could not do what was asked: no audio device, a clip it
// cannot decode, a MIDI file it cannot load. The message is the mixer's own
// text, which the about box shows to the user as it is.
class SoundError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

} // namespace nomix
