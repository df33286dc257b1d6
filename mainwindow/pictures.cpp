// SPDX-License-Identifier: MIT
#include "pictures.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace nomix {

namespace {

QImage canvas(int width, int height, const QColor& background) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(background);
    return image;
}

QPixmap transparentCanvas(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void drawLens(QPainter& p, const QPointF& center, qreal radius, const QColor& rim) {
    p.setPen(QPen(rim, 2));
    p.setBrush(QColor(200, 230, 255));
    p.drawEllipse(center, radius, radius);
    p.setPen(QPen(QColor(90, 60, 20), 3, Qt::SolidLine, Qt::RoundCap));
    const qreal d = radius * 0.72;
    p.drawLine(QPointF(center.x() + d, center.y() + d),
               QPointF(center.x() + radius * 1.9, center.y() + radius * 1.9));
}

} // namespace

void replaceImageColor(QImage& image, const QColor& newColor, const QColor& oldColor) {
    const QRgb from = oldColor.rgb();
    const QRgb to = newColor.rgb();
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32) {
        image = image.convertToFormat(QImage::Format_ARGB32);
    }
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & 0x00FFFFFF) == (from & 0x00FFFFFF)) {
                line[x] = (line[x] & 0xFF000000) | (to & 0x00FFFFFF);
            }
        }
    }
}

namespace Pictures {

QImage noVirus() {
    QImage image = canvas(13, 13, kOlive);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(0, 110, 0));
    p.setBrush(QColor(40, 180, 60));
    p.drawEllipse(0, 0, 12, 12);
    p.setPen(QPen(Qt::white, 2));
    p.drawLine(3, 6, 5, 9);
    p.drawLine(5, 9, 9, 3);
    return image;
}

QImage magnifier() {
    QImage image = canvas(14, 16, kOlive);
    QPainter p(&image);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(210, 235, 255));
    p.drawEllipse(1, 1, 8, 8);
    p.setPen(QPen(QColor(100, 60, 20), 3));
    p.drawLine(8, 9, 12, 14);
    return image;
}

QImage helpMarker() {
    QImage image = canvas(15, 17, kOlive);
    QPainter p(&image);
    p.setPen(QColor(120, 100, 0));
    p.setBrush(QColor(255, 230, 60));
    p.drawRoundedRect(0, 0, 14, 14, 3, 3);
    p.setPen(Qt::black);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRect(0, 0, 15, 15), Qt::AlignCenter, QStringLiteral("?"));
    return image;
}

QImage findDocument() {
    QImage image = canvas(64, 64, kWhite);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath page;
    page.moveTo(10, 4);
    page.lineTo(38, 4);
    page.lineTo(50, 16);
    page.lineTo(50, 58);
    page.lineTo(10, 58);
    page.closeSubpath();
    p.setPen(QPen(QColor(60, 60, 60), 1.5));
    p.setBrush(QColor(250, 250, 240));
    p.drawPath(page);
    p.setPen(QPen(QColor(150, 150, 150), 1.5));
    for (int y = 18; y <= 50; y += 6) {
        p.drawLine(15, y, 44, y);
    }
    drawLens(p, QPointF(36, 38), 10, QColor(30, 30, 30));
    return image;
}

QPixmap searchGlyph() {
    QPixmap pixmap = transparentCanvas(20);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    drawLens(p, QPointF(8, 8), 5.5, QColor(20, 20, 90));
    return pixmap;
}

QPixmap stopGlyph() {
    QPixmap pixmap = transparentCanvas(20);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPolygonF octagon;
    for (int i = 0; i < 8; ++i) {
        const qreal angle = (22.5 + 45.0 * i) * 3.14159265 / 180.0;
        octagon << QPointF(10 + 9 * std::cos(angle), 10 + 9 * std::sin(angle));
    }
    p.setPen(QPen(Qt::white, 1));
    p.setBrush(QColor(200, 20, 20));
    p.drawPolygon(octagon);
    p.setPen(QPen(Qt::white, 2));
    p.drawLine(QPointF(6, 10), QPointF(14, 10));
    return pixmap;
}

QPixmap helpGlyph() {
    QPixmap pixmap = transparentCanvas(20);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(20, 60, 160));
    p.setBrush(QColor(60, 120, 220));
    p.drawEllipse(QRectF(1, 1, 18, 18));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(14);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, 20, 20), Qt::AlignCenter, QStringLiteral("?"));
    return pixmap;
}

QPixmap exitGlyph() {
    QPixmap pixmap = transparentCanvas(20);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 60, 30), 1.5));
    p.setBrush(QColor(180, 130, 70));
    p.drawRect(QRectF(3, 2, 10, 16));
    p.setPen(QPen(QColor(180, 20, 20), 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9, 10), QPointF(18, 10));
    p.drawLine(QPointF(15, 7), QPointF(18, 10));
    p.drawLine(QPointF(15, 13), QPointF(18, 10));
    return pixmap;
}

QPixmap productGlyph() {
    QPixmap pixmap = transparentCanvas(20);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 3; ++i) {
        p.setPen(QColor(40, 40, 40));
        p.setBrush(i == 1 ? QColor(220, 40, 40) : QColor(230, 230, 230));
        p.drawRect(QRectF(2, 2 + i * 6, 4, 4));
        p.setPen(QPen(QColor(40, 40, 40), 1.5));
        p.drawLine(QPointF(9, 4 + i * 6), QPointF(18, 4 + i * 6));
    }
    return pixmap;
}

namespace {

QPixmap modifierGlyph(bool down, bool atBegin) {
    QPixmap pixmap = transparentCanvas(20);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink = down ? QColor(190, 0, 0) : QColor(40, 40, 40);
    p.setPen(QPen(ink, 1.5));
    p.drawLine(QPointF(2, 15), QPointF(18, 15));
    const qreal x = atBegin ? 3 : 11;
    p.setBrush(down ? QColor(255, 200, 200) : QColor(230, 230, 230));
    p.drawRect(QRectF(x, 5, 6, 8));
    p.setPen(QPen(ink, 2));
    const qreal bar = atBegin ? 2 : 18;
    p.drawLine(QPointF(bar, 3), QPointF(bar, 17));
    return pixmap;
}

} // namespace

QPixmap beginsGlyph(bool down) {
    return modifierGlyph(down, true);
}

QPixmap endsGlyph(bool down) {
    return modifierGlyph(down, false);
}

QPixmap folderGlyph() {
    QPixmap pixmap = transparentCanvas(18);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(120, 90, 10));
    p.setBrush(QColor(240, 200, 80));
    QPolygonF folder;
    folder << QPointF(1, 4) << QPointF(6, 4) << QPointF(8, 6) << QPointF(17, 6) << QPointF(17, 15)
           << QPointF(1, 15);
    p.drawPolygon(folder);
    return pixmap;
}

QPixmap openGlyph() {
    QPixmap pixmap = folderGlyph();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(120, 90, 10));
    p.setBrush(QColor(255, 230, 140));
    QPolygonF flap;
    flap << QPointF(4, 9) << QPointF(17, 9) << QPointF(14, 15) << QPointF(1, 15);
    p.drawPolygon(flap);
    return pixmap;
}

QPixmap optionsGlyph() {
    QPixmap pixmap = transparentCanvas(20);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 1.5));
    p.setBrush(QColor(190, 190, 200));
    p.drawEllipse(QRectF(3, 3, 14, 14));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(7.5, 7.5, 5, 5));
    return pixmap;
}

QIcon applicationIcon() {
    QPixmap pixmap = transparentCanvas(32);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(120, 0, 0));
    p.setBrush(QColor(210, 30, 30));
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    drawLens(p, QPointF(13, 13), 7, Qt::white);
    return QIcon(pixmap);
}

} // namespace Pictures

} // namespace nomix
