#include "tiledbackground.h"

#include "tiling.h"

#include <QPainter>

namespace nomix {

TiledBackground::TiledBackground(QWidget* owner) : QWidget(owner) {
    setObjectName(QStringLiteral("TiledBitmap"));
    resize(50, 50);
    UpdateControlStyle();
}

void TiledBackground::SetBitmap(const QPixmap& bitmap) {
    bitmap_ = bitmap;
    BitmapChange();
}

void TiledBackground::BitmapChange() {
    update();
    UpdateControlStyle();
}

void TiledBackground::UpdateControlStyle() {
    setAttribute(Qt::WA_OpaquePaintEvent, !bitmap_.isNull());
}

void TiledBackground::paintEvent(QPaintEvent*) {
    if (bitmap_.isNull()) {
        return;
    }
    QPainter painter(this);
    for (const QRect& tile : TileRects(rect(), bitmap_.size())) {
        painter.drawPixmap(tile.topLeft(), bitmap_, QRect(QPoint(0, 0), tile.size()));
    }
}

} // namespace nomix
