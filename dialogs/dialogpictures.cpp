// SPDX-License-Identifier: MIT
#include "dialogpictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

namespace nomix {

namespace {

constexpr int kStatusImageSize = 16;
constexpr int kAlarmPictureSize = 32;

QPixmap transparentPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

QPen roundPen(const QColor& colour, qreal width) {
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void drawBalloon(QPainter& painter) {
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRect(2, 1, 27, 21));
    // The tail's white inside covers the body's outline where they join;
    // then its two outer edges are drawn from the tip to the body.
    const QPoint tip(5, 29);
    painter.setPen(Qt::NoPen);
    painter.drawPolygon(QPolygon({QPoint(9, 16), tip, QPoint(18, 17)}));
    painter.setPen(Qt::black);
    painter.drawLine(tip, QPoint(8, 20));
    painter.drawLine(tip, QPoint(13, 22));
}

void drawLetterI(QPainter& painter) {
    const QColor blue(0, 0, 255);
    painter.setPen(Qt::NoPen);
    painter.setBrush(blue);
    painter.drawRect(QRect(14, 4, 4, 3));  // dot
    painter.drawRect(QRect(14, 9, 4, 10)); // stem
    painter.drawRect(QRect(12, 9, 2, 2));  // serif left of the stem's top
    painter.drawRect(QRect(12, 17, 8, 2)); // foot
}

} // namespace

QPixmap selectedProductImage() {
    QPixmap pixmap = transparentPixmap(kStatusImageSize);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(roundPen(QColor(0, 0, 200), 2.6));
    QPainterPath tick;
    tick.moveTo(3, 8.5);
    tick.lineTo(6.5, 12.5);
    tick.lineTo(13, 3.5);
    painter.drawPath(tick);
    return pixmap;
}

QPixmap notSelectedProductImage() {
    QPixmap pixmap = transparentPixmap(kStatusImageSize);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(roundPen(QColor(220, 0, 0), 2.2));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPointF(8, 8), 6, 6);
    painter.drawLine(QPointF(3.8, 3.8), QPointF(12.2, 12.2));
    return pixmap;
}

QImage updateAlarmPicture() {
    QImage image(kAlarmPictureSize, kAlarmPictureSize, QImage::Format_RGB32);
    image.fill(kPictureBackground);
    QPainter painter(&image);
    drawBalloon(painter);
    drawLetterI(painter);
    return image;
}

void replaceColor(QImage& image, const QColor& from, const QColor& to) {
    const QRgb oldPixel = from.rgb();
    const QRgb newPixel = to.rgb();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == oldPixel) {
                image.setPixel(x, y, newPixel);
            }
        }
    }
}

} // namespace nomix
