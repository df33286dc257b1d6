// SPDX-License-Identifier: MIT
#include "tiledbackground.h"

#include "tiling.h"

#include <QPainter>

namespace nomix {

TiledBackground::TiledBackground(QWidget* owner) : QWidget(owner) {
    setObjectName(QStringLiteral("TiledBitmap"));
    resize(50, 50);
    updateOpacity();
}

void TiledBackground::setPixmap(const QPixmap& pixmap) {
    m_pixmap = pixmap;
    update();
    updateOpacity();
}

void TiledBackground::updateOpacity() {
    setAttribute(Qt::WA_OpaquePaintEvent, !m_pixmap.isNull());
}

void TiledBackground::paintEvent(QPaintEvent*) {
    if (m_pixmap.isNull()) {
        return;
    }
    QPainter painter(this);
    for (const QRect& tile : tileRects(rect(), m_pixmap.size())) {
        painter.drawPixmap(tile.topLeft(), m_pixmap, QRect(QPoint(0, 0), tile.size()));
    }
}

} // namespace nomix
