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

    const QPixmap& Bitmap() const { return bitmap_; }
    // Copies `bitmap` and repaints.
    void SetBitmap(const QPixmap& bitmap);

    // Call after changing the picture in place: repaints and updates opacity.
    void BitmapChange();
    void UpdateControlStyle();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QPixmap bitmap_;
};

} // namespace nomix
