#include "balloongeometry.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainterPath>
#include <QPolygon>

#include <algorithm>
#include <climits>

namespace nomix {

namespace {

// Room the pointer and the margins take beside the text, in pixels.
constexpr int HorizontalChrome = 33;
constexpr int VerticalChrome = 38;
constexpr int PointerWidth = 15;
constexpr int PointerHeight = 19;
constexpr int TextMargin = 9;
constexpr int CornerRadius = 9;

bool IsBelow(BalloonPosition position) {
    return (position & 0x2) != 0;
}

bool IsRight(BalloonPosition position) {
    return (position & 0x1) != 0;
}

BalloonPosition MakePosition(bool below, bool right) {
    return static_cast<BalloonPosition>((below ? 0x2 : 0) | (right ? 0x1 : 0));
}

QRegion BodyRegion(const QRect& body, BalloonShape shape) {
    if (shape == bsRectangle) {
        return QRegion(body);
    }
    QPainterPath path;
    path.addRoundedRect(QRectF(body), CornerRadius, CornerRadius);
    return QRegion(path.toFillPolygon().toPolygon(), Qt::WindingFill);
}

} // namespace

int MaxPixelWidth(int maxWidth, int screenWidth) {
    if (maxWidth >= screenWidth) {
        return screenWidth;
    }
    if (maxWidth < 0) {
        return static_cast<int>(screenWidth / -static_cast<long long>(maxWidth));
    }
    return maxWidth;
}

QString BalloonCaption(const QString& caption) {
    if (caption.size() <= BalloonCaptionLimit) {
        return caption;
    }
    // Never leave half of a surrogate pair at the end.
    const bool splitsPair = caption.at(BalloonCaptionLimit - 1).isHighSurrogate();
    return caption.left(splitsPair ? BalloonCaptionLimit - 1 : BalloonCaptionLimit);
}

QSize FitToText(const QString& caption, const QFontMetrics& metrics, int cursorX,
                const QRect& screen, int maxPixelWidth, int shadowDepth) {
    const int room = std::max(cursorX - screen.left(), screen.left() + screen.width() - cursorX);
    const int limit = std::min(room, maxPixelWidth);
    // A tiny limit still wraps one word per line rather than measuring nothing.
    const int textWidth = std::max(1, limit - shadowDepth - HorizontalChrome);
    const QRect measured = metrics.boundingRect(QRect(0, 0, textWidth, INT_MAX / 4),
                                                Qt::TextWordWrap, BalloonCaption(caption));
    const int width = std::max(MinBalloonWidth, measured.width() + shadowDepth + HorizontalChrome);
    return QSize(width, measured.height() + shadowDepth + VerticalChrome);
}

BalloonOutline ComputeShape(const QSize& client, int shadowDepth, BalloonPosition position) {
    const int w = client.width();
    const int h = client.height();
    const int sd = shadowDepth;
    BalloonOutline outline;
    outline.body = QRect(0, 0, w - sd - PointerWidth, h - sd - PointerHeight);
    const bool below = IsBelow(position);
    const bool right = IsRight(position);
    outline.body.translate(right ? PointerWidth : 0, below ? PointerHeight : 0);
    outline.tip = QPoint(right ? 0 : w - sd, below ? 0 : h - sd);
    const int dx = right ? 1 : -1;
    const int dy = below ? 19 : -20;
    outline.second = outline.tip + QPoint(21 * dx, dy);
    outline.third = outline.tip + QPoint(41 * dx, dy);
    outline.textRect = outline.body.adjusted(TextMargin, TextMargin, -TextMargin, -TextMargin);
    return outline;
}

QRegion MakeBalloonRegion(const BalloonOutline& outline, BalloonShape shape, int offset) {
    const QPoint shift = offset > 0 ? QPoint(offset, offset) : QPoint(0, 0);
    const QPolygon pointer{outline.tip + shift, outline.second + shift, outline.third + shift};
    return BodyRegion(outline.body.translated(shift), shape)
        .united(QRegion(pointer, Qt::OddEvenFill));
}

QRegion BalloonWindowRegion(const BalloonOutline& outline, BalloonShape shape, int shadowDepth) {
    const QRegion balloon = MakeBalloonRegion(outline, shape, 0);
    if (shadowDepth <= 0) {
        return balloon;
    }
    return balloon.united(MakeBalloonRegion(outline, shape, shadowDepth));
}

QRegion RegionFrame(const QRegion& region) {
    const QRegion inner = region.intersected(region.translated(1, 0))
                              .intersected(region.translated(-1, 0))
                              .intersected(region.translated(0, 1))
                              .intersected(region.translated(0, -1));
    return region.subtracted(inner);
}

QRect PlaceAtPoint(const QSize& size, const QPoint& cursor, BalloonPosition position) {
    switch (position) {
    case bpAboveLeft:
        return QRect(QPoint(cursor.x() - size.width(), cursor.y() - size.height()), size);
    case bpAboveRight:
        return QRect(QPoint(cursor.x(), cursor.y() - size.height()), size);
    case bpBelowLeft:
        return QRect(QPoint(cursor.x() - size.width(), cursor.y()), size);
    case bpBelowRight:
        break;
    }
    return QRect(cursor + QPoint(1, 1), size);
}

BalloonPosition FlipToFit(const QRect& placed, const QRect& screen, BalloonPosition position) {
    bool below = IsBelow(position);
    bool right = IsRight(position);
    if (placed.top() + placed.height() > screen.top() + screen.height()) {
        below = false;
    }
    if (placed.top() < screen.top()) {
        below = true;
    }
    if (placed.left() + placed.width() > screen.left() + screen.width()) {
        right = false;
    }
    if (placed.left() < screen.left()) {
        right = true;
    }
    return MakePosition(below, right);
}

BalloonPlacement PlaceOnScreen(const QSize& size, const QPoint& cursor, BalloonPosition preferred,
                               const QRect& screen) {
    const QRect placed = PlaceAtPoint(size, cursor, preferred);
    const BalloonPosition position = FlipToFit(placed, screen, preferred);
    if (position == preferred) {
        return {placed, preferred};
    }
    return {PlaceAtPoint(size, cursor, position), position};
}

void ShadeEveryOtherPixel(QImage& image, const QRegion& area) {
    if (image.depth() != 32) {
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    const QRegion inside = area.intersected(image.rect());
    for (const QRect& rect : inside) {
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = rect.left() + ((rect.left() + y) & 1); x <= rect.right(); x += 2) {
                line[x] = qRgb(0, 0, 0);
            }
        }
    }
}

} // namespace nomix
