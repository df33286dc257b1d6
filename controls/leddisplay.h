#pragma once

#include "controls/leftclicktracker.h"

#include "controls/ledgeometry.h"

#include <QBrush>
#include <QColor>
#include <QHash>
#include <QImage>
#include <QPen>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include <vector>

namespace nomix {

// A segment display that draws its caption as a grid of LED cells: fourteen
// bars, a point, a comma and two colon dots per cell. It does all the work of
// the LED display; LedCounter only makes the caption and grid size public.
//
// Cost: the finished picture is kept in an off-screen pixmap of the control's
// size, and each distinct cell (a digit, a blank) is drawn once into a small
// image of its own and kept until a colour or the geometry changes. A repaint
// with nothing changed is one blit; a new caption re-lays out the cells and
// blits one small image per cell. Drawing the polygons of every cell anew
// would cost about ten times as much, too much for a counter that a
// search repaints after every tenth hit.
class LedDisplay : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor BackColor READ backColor WRITE setBackColor)
    Q_PROPERTY(nomix::TLEDDrawMode DrawMode READ drawMode WRITE setDrawMode)
    Q_PROPERTY(bool DrawOnScreen READ drawOnScreen WRITE setDrawOnScreen)
    Q_PROPERTY(QColor UnlitColor READ unlitColor WRITE setUnlitColor)
    Q_PROPERTY(QColor LitColor READ litColor WRITE setLitColor)
    Q_PROPERTY(int SegmentSize READ segmentSize WRITE setSegmentSize)
    Q_PROPERTY(int Tag READ tag WRITE setTag)

  public:
    explicit LedDisplay(QWidget* parent = nullptr);

    QColor backColor() const { return backColor_; }
    void setBackColor(const QColor& color);
    TLEDDrawMode drawMode() const { return drawMode_; }
    void setDrawMode(TLEDDrawMode mode);
    bool drawOnScreen() const { return drawOnScreen_; }
    void setDrawOnScreen(bool onScreen);
    QColor unlitColor() const { return unlitColor_; }
    void setUnlitColor(const QColor& color);
    QColor litColor() const { return litColor_; }
    void setLitColor(const QColor& color);
    int segmentSize() const { return segmentSize_; }
    void setSegmentSize(int size);

    // Help topic of the control, which has no help context of its own.
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }

    QSize sizeHint() const override { return fittedSize_; }
    QSize minimumSizeHint() const override { return fittedSize_; }

  signals:
    void clicked();
    void doubleClicked();

  protected:
    QString text() const { return caption_; }
    void setText(const QString& text);
    int columns() const { return columns_; }
    void setColumns(int columns);
    int rows() const { return rows_; }
    void setRows(int rows);

    void ResizeToFit(int rows, int columns, int segmentSize);

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void pictureChanged();
    void layoutChanged();
    void refreshBuffer();
    void drawDisplay(QPainter& painter);
    void composeDisplay(QPainter& painter);
    const QImage& cellImage(uint16_t mask, qreal ratio);
    void layOutCells();
    void drawCell(QPainter& painter, const LedCell& cell);
    void drawSegment(QPainter& painter, int segment, bool lit, int x, int y);
    void updateTools();

    QColor backColor_{0, 0, 0};
    int columns_ = 4;
    TLEDDrawMode drawMode_ = dmPolygon;
    QColor unlitColor_{0, 0x40, 0};
    QColor litColor_{0, 0xFF, 0};
    bool drawOnScreen_ = false;
    int rows_ = 1;
    int segmentSize_ = 2;
    int tag_ = 0;
    QString caption_;

    QSize fittedSize_{75, 31};
    LedMetrics metrics_;
    LedSegmentShapes shapes_{};
    std::vector<LedCell> cells_;
    bool cellsStale_ = true;
    QPixmap buffer_;
    QHash<uint16_t, QImage> cellImages_;
    bool bufferStale_ = true;
    QBrush litBrush_;
    QBrush unlitBrush_;
    QPen litPen_;
    QPen unlitPen_;
    bool litVisible_ = true;
    bool unlitVisible_ = true;
    LeftClickTracker clicks_;
};

} // namespace nomix
