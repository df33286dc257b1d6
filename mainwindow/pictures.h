#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace nomix {

// The program's pictures, drawn once in code: glyphs, grid markers, the
// document picture of the counter panel. Backgrounds use the colours that
// ReplaceImageColor later turns into their window's colour.
namespace Pictures {

inline const QColor kOlive(128, 128, 0);
inline const QColor kWhite(255, 255, 255);

QImage NoVirus();      // 13 x 13, olive background
QImage Magnifier();    // 14 x 16, olive background
QImage HelpMarker();   // 15 x 17, olive background
QImage FindDocument(); // white background
QPixmap SearchGlyph();
QPixmap StopGlyph();
QPixmap HelpGlyph();
QPixmap ExitGlyph();
QPixmap ProductGlyph();
QPixmap BeginsGlyph(bool down);
QPixmap EndsGlyph(bool down);
QPixmap FolderGlyph();
QPixmap OpenGlyph();
QPixmap OptionsGlyph();
QIcon ApplicationIcon();

} // namespace Pictures

// Every pixel of `oldColor` becomes `newColor`, so a picture's background
// takes the colour of the window it sits on.
void ReplaceImageColor(QImage& image, const QColor& newColor, const QColor& oldColor);

} // namespace nomix
