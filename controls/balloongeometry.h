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
enum BalloonPosition : uint8_t {
    bpAboveLeft = 0,
    bpAboveRight = 1,
    bpBelowLeft = 2,
    bpBelowRight = 3,
};

enum BalloonShape : uint8_t {
    bsRoundRect = 0,
    bsRectangle = 1,
};

enum BalloonBehavior : uint8_t {
    bbNoShowMouseDown = 0x1,
    bbUseRegions = 0x2,
    bbHideOnPaint = 0x4,
};
Q_DECLARE_FLAGS(TBalloonBehaviors, BalloonBehavior)
Q_DECLARE_OPERATORS_FOR_FLAGS(TBalloonBehaviors)

enum BalloonShadowStyle : uint8_t {
    ssShaded = 0,
    ssSolid = 1,
};

enum HintStyle : uint8_t {
    hsDefault = 0,
    hsCustom = 1,
    hsSystem = 2,
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

inline constexpr int MaxShadowDepth = 16;
inline constexpr int BalloonCaptionLimit = 255;
inline constexpr int MinBalloonWidth = 59;

// Widest balloon in pixels: a positive `maxWidth` is pixels, a negative -n is
// the screen width divided by n.
int MaxPixelWidth(int maxWidth, int screenWidth);

// The caption as the balloon shows it: its first 255 characters.
QString BalloonCaption(const QString& caption);

// Window size for `caption`, wrapped so that the balloon fits the room beside
// the cursor on `screen` and `maxPixelWidth`.
QSize FitToText(const QString& caption, const QFontMetrics& metrics, int cursorX,
                const QRect& screen, int maxPixelWidth, int shadowDepth);

BalloonOutline ComputeShape(const QSize& client, int shadowDepth, BalloonPosition position);

// The balloon's area moved right and down by `offset` (the shadow's copy).
QRegion MakeBalloonRegion(const BalloonOutline& outline, BalloonShape shape, int offset);

// The window's shape: the balloon and, when there is one, its shadow.
QRegion BalloonWindowRegion(const BalloonOutline& outline, BalloonShape shape, int shadowDepth);

// The one-pixel rim just inside `region`, where the frame colour goes.
QRegion RegionFrame(const QRegion& region);

// The window rectangle for `size` with its pointer corner at `cursor`.
QRect PlaceAtPoint(const QSize& size, const QPoint& cursor, BalloonPosition position);

// The side to use for a balloon placed at `placed` for `position`: the
// vertical and horizontal halves flip independently when the window passes
// an edge of `screen`; of each pair of tests the second wins.
BalloonPosition FlipToFit(const QRect& placed, const QRect& screen, BalloonPosition position);

BalloonPlacement PlaceOnScreen(const QSize& size, const QPoint& cursor, BalloonPosition preferred,
                               const QRect& screen);

// Turns every pixel of `area` with an even x + y black: a 50 % dither of what
// the image held there.
void ShadeEveryOtherPixel(QImage& image, const QRegion& area);

} // namespace nomix
