// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace nomix {

// The program's pictures, drawn once in code: glyphs, grid markers, the
// document picture of the counter panel. Backgrounds use the colours that
// replaceImageColor later turns into their window's colour.
namespace Pictures {

inline const QColor kOlive(128, 128, 0);
inline const QColor kWhite(255, 255, 255);

QImage noVirus();      // 13 x 13, olive background
QImage magnifier();    // 14 x 16, olive background
QImage helpMarker();   // 15 x 17, olive background
QImage findDocument(); // white background
QPixmap searchGlyph();
QPixmap stopGlyph();
QPixmap helpGlyph();
QPixmap exitGlyph();
QPixmap productGlyph();
QPixmap beginsGlyph(bool down);
QPixmap endsGlyph(bool down);
QPixmap folderGlyph();
QPixmap openGlyph();
QPixmap optionsGlyph();
QIcon applicationIcon();

} // namespace Pictures

// Every pixel of `oldColor` becomes `newColor`, so a picture's background
// takes the colour of the window it sits on.
void replaceImageColor(QImage& image, const QColor& newColor, const QColor& oldColor);

} // namespace nomix
