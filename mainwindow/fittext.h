// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QFontMetrics;

namespace nomix {

// The text as it fits in `width` pixels: unchanged when strictly narrower,
// otherwise cut from the end with "..." appended; never shorter than "...".
// Measures once, then once per removed character.
QString fitText(const QString& text, int width, const QFontMetrics& metrics);

} // namespace nomix
