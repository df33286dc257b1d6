// SPDX-License-Identifier: MIT
#pragma once

#include <QFlags>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QString>

#include <cstdint>

class QFontMetrics;
class QImage;

namespace nomix {

// Bit 1 set means below the cursor, bit 0 set means right of it; the flips at
// the screen edges work on those two bits.
enum class BalloonPosition : uint8_t {
    AboveLeft = 0,
    AboveRight = 1,
    BelowLeft = 2,
    BelowRight = 3,
};

enum class BalloonShape : uint8_t {
    RoundRect = 0,
    Rectangle = 1,
};

enum class BalloonBehavior : uint8_t {
    NoShowMouseDown = 0x1,
    UseRegions = 0x2,
    HideOnPaint = 0x4,
};
Q_DECLARE_FLAGS(BalloonBehaviors, BalloonBehavior)
Q_DECLARE_OPERATORS_FOR_FLAGS(BalloonBehaviors)

enum class BalloonShadowStyle : uint8_t {
    Shaded = 0,
    Solid = 1,
};

enum class HintStyle : uint8_t {
    Default = 0,
    Custom = 1,
    System = 2,
};

// A balloon is drawn from a body rectangle and a three-point pointer whose tip
// touches the cursor; the caption goes into the text rectangle.
struct BalloonOutline {
    QRect body;
    QPoint tip;
    QPoint second;
    QPoint third;
    QRect textRect;
};

struct BalloonPlacement {
    QRect rect; // screen rectangle of the whole window, shadow included
    BalloonPosition position;
};

inline constexpr int kMaxShadowDepth = 16;
inline constexpr int kBalloonCaptionLimit = 255;
inline constexpr int kMinBalloonWidth = 59;

// Widest balloon in pixels: a positive `maxWidth` is pixels, a negative -n is
// the screen width divided by n.
int maxPixelWidth(int maxWidth, int screenWidth);

// The caption as the balloon shows it: its first 255 characters.
QString balloonCaption(const QString& caption);

// Window size for `caption`, wrapped so that the balloon fits the room beside
// the cursor on `screen` and `maxPixelWidth`.
QSize balloonSizeForText(const QString& caption, const QFontMetrics& metrics, int cursorX,
                         const QRect& screen, int maxPixelWidth, int shadowDepth);

BalloonOutline balloonOutline(const QSize& client, int shadowDepth, BalloonPosition position);

// The balloon's area moved right and down by `offset` (the shadow's copy).
QRegion balloonRegion(const BalloonOutline& outline, BalloonShape shape, int offset);

// The window's shape: the balloon and, when there is one, its shadow.
QRegion balloonWindowRegion(const BalloonOutline& outline, BalloonShape shape, int shadowDepth);

// The one-pixel rim just inside `region`, where the frame colour goes.
QRegion regionFrame(const QRegion& region);

// The window rectangle for `size` with its pointer corner at `cursor`.
QRect placeAtPoint(const QSize& size, const QPoint& cursor, BalloonPosition position);

// The side to use for a balloon placed at `placed` for `position`: the
// vertical and horizontal halves flip independently when the window passes
// an edge of `screen`; of each pair of tests the second wins.
BalloonPosition flipToFit(const QRect& placed, const QRect& screen, BalloonPosition position);

BalloonPlacement placeOnScreen(const QSize& size, const QPoint& cursor, BalloonPosition preferred,
                               const QRect& screen);

// Turns every pixel of `area` with an even x + y black: a 50 % dither of what
// the image held there.
void shadeEveryOtherPixel(QImage& image, const QRegion& area);

} // namespace nomix
