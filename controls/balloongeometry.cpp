// SPDX-License-Identifier: MIT
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
constexpr int kHorizontalChrome = 33;
constexpr int kVerticalChrome = 38;
constexpr int kPointerWidth = 15;
constexpr int kPointerHeight = 19;
constexpr int kTextMargin = 9;
constexpr int kCornerRadius = 9;

bool isBelow(BalloonPosition position) {
    return (static_cast<int>(position) & 0x2) != 0;
}

bool isRight(BalloonPosition position) {
    return (static_cast<int>(position) & 0x1) != 0;
}

BalloonPosition makePosition(bool below, bool right) {
    return static_cast<BalloonPosition>((below ? 0x2 : 0) | (right ? 0x1 : 0));
}

QRegion bodyRegion(const QRect& body, BalloonShape shape) {
    if (shape == BalloonShape::Rectangle) {
        return QRegion(body);
    }
    QPainterPath path;
    path.addRoundedRect(QRectF(body), kCornerRadius, kCornerRadius);
    return QRegion(path.toFillPolygon().toPolygon(), Qt::WindingFill);
}

} // namespace

int maxPixelWidth(int maxWidth, int screenWidth) {
    if (maxWidth >= screenWidth) {
        return screenWidth;
    }
    if (maxWidth < 0) {
        return static_cast<int>(screenWidth / -static_cast<long long>(maxWidth));
    }
    return maxWidth;
}

QString balloonCaption(const QString& caption) {
    if (caption.size() <= kBalloonCaptionLimit) {
        return caption;
    }
    // Never leave half of a surrogate pair at the end.
    const bool splitsPair = caption.at(kBalloonCaptionLimit - 1).isHighSurrogate();
    return caption.left(splitsPair ? kBalloonCaptionLimit - 1 : kBalloonCaptionLimit);
}

QSize balloonSizeForText(const QString& caption, const QFontMetrics& metrics, int cursorX,
                         const QRect& screen, int maxPixelWidth, int shadowDepth) {
    const int room = std::max(cursorX - screen.left(), screen.left() + screen.width() - cursorX);
    const int limit = std::min(room, maxPixelWidth);
    // A tiny limit still wraps one word per line rather than measuring nothing.
    const int textWidth = std::max(1, limit - shadowDepth - kHorizontalChrome);
    const QRect measured = metrics.boundingRect(QRect(0, 0, textWidth, INT_MAX / 4),
                                                Qt::TextWordWrap, balloonCaption(caption));
    const int width =
        std::max(kMinBalloonWidth, measured.width() + shadowDepth + kHorizontalChrome);
    return QSize(width, measured.height() + shadowDepth + kVerticalChrome);
}

BalloonOutline balloonOutline(const QSize& client, int shadowDepth, BalloonPosition position) {
    const int w = client.width();
    const int h = client.height();
    const int sd = shadowDepth;
    BalloonOutline outline;
    outline.body = QRect(0, 0, w - sd - kPointerWidth, h - sd - kPointerHeight);
    const bool below = isBelow(position);
    const bool right = isRight(position);
    outline.body.translate(right ? kPointerWidth : 0, below ? kPointerHeight : 0);
    outline.tip = QPoint(right ? 0 : w - sd, below ? 0 : h - sd);
    const int dx = right ? 1 : -1;
    const int dy = below ? 19 : -20;
    outline.second = outline.tip + QPoint(21 * dx, dy);
    outline.third = outline.tip + QPoint(41 * dx, dy);
    outline.textRect = outline.body.adjusted(kTextMargin, kTextMargin, -kTextMargin, -kTextMargin);
    return outline;
}

QRegion balloonRegion(const BalloonOutline& outline, BalloonShape shape, int offset) {
    const QPoint shift = offset > 0 ? QPoint(offset, offset) : QPoint(0, 0);
    const QPolygon pointer{outline.tip + shift, outline.second + shift, outline.third + shift};
    return bodyRegion(outline.body.translated(shift), shape)
        .united(QRegion(pointer, Qt::OddEvenFill));
}

QRegion balloonWindowRegion(const BalloonOutline& outline, BalloonShape shape, int shadowDepth) {
    const QRegion balloon = balloonRegion(outline, shape, 0);
    if (shadowDepth <= 0) {
        return balloon;
    }
    return balloon.united(balloonRegion(outline, shape, shadowDepth));
}

QRegion regionFrame(const QRegion& region) {
    const QRegion inner = region.intersected(region.translated(1, 0))
                              .intersected(region.translated(-1, 0))
                              .intersected(region.translated(0, 1))
                              .intersected(region.translated(0, -1));
    return region.subtracted(inner);
}

QRect placeAtPoint(const QSize& size, const QPoint& cursor, BalloonPosition position) {
    switch (position) {
    case BalloonPosition::AboveLeft:
        return QRect(QPoint(cursor.x() - size.width(), cursor.y() - size.height()), size);
    case BalloonPosition::AboveRight:
        return QRect(QPoint(cursor.x(), cursor.y() - size.height()), size);
    case BalloonPosition::BelowLeft:
        return QRect(QPoint(cursor.x() - size.width(), cursor.y()), size);
    case BalloonPosition::BelowRight:
        break;
    }
    return QRect(cursor + QPoint(1, 1), size);
}

BalloonPosition flipToFit(const QRect& placed, const QRect& screen, BalloonPosition position) {
    bool below = isBelow(position);
    bool right = isRight(position);
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
    return makePosition(below, right);
}

BalloonPlacement placeOnScreen(const QSize& size, const QPoint& cursor, BalloonPosition preferred,
                               const QRect& screen) {
    const QRect placed = placeAtPoint(size, cursor, preferred);
    const BalloonPosition position = flipToFit(placed, screen, preferred);
    if (position == preferred) {
        return {placed, preferred};
    }
    return {placeAtPoint(size, cursor, position), position};
}

void shadeEveryOtherPixel(QImage& image, const QRegion& area) {
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
