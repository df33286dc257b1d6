// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>

namespace nomix {

// The paper the about box's name and notice are printed on: a light grey
// grain with pastel fibres, 80 x 80 pixels in at most 256 colours. Drawn in
// code from a fixed seed, so it is the same on every run, needs no picture
// file, and wraps at its edges so the copies join without seams. Every pixel
// stays light, so dark captions remain readable on any part of it.
QImage aboutPaperTexture();

} // namespace nomix
