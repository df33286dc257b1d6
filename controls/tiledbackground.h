// SPDX-License-Identifier: MIT
#pragma once

#include <QPixmap>
#include <QWidget>

namespace nomix {

// A textured background: covers the whole widget with copies of one picture
// from the top-left corner, the last column and row cut. Opaque while it
// holds a picture, so the parent skips painting under it; a paint costs one
// copy per tile.
class TiledBackground : public QWidget {
    Q_OBJECT

  public:
    explicit TiledBackground(QWidget* owner = nullptr);

    const QPixmap& pixmap() const { return m_pixmap; }
    // Copies `pixmap` and repaints.
    void setPixmap(const QPixmap& pixmap);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void updateOpacity();

    QPixmap m_pixmap;
};

} // namespace nomix
