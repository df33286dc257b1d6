// SPDX-License-Identifier: MIT
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
    Q_PROPERTY(QColor backColor READ backColor WRITE setBackColor)
    Q_PROPERTY(nomix::LedDrawMode drawMode READ drawMode WRITE setDrawMode)
    Q_PROPERTY(bool drawOnScreen READ drawOnScreen WRITE setDrawOnScreen)
    Q_PROPERTY(QColor unlitColor READ unlitColor WRITE setUnlitColor)
    Q_PROPERTY(QColor litColor READ litColor WRITE setLitColor)
    Q_PROPERTY(int segmentSize READ segmentSize WRITE setSegmentSize)

  public:
    explicit LedDisplay(QWidget* parent = nullptr);

    QColor backColor() const { return m_backColor; }
    void setBackColor(const QColor& color);
    LedDrawMode drawMode() const { return m_drawMode; }
    void setDrawMode(LedDrawMode mode);
    bool drawOnScreen() const { return m_drawOnScreen; }
    void setDrawOnScreen(bool onScreen);
    QColor unlitColor() const { return m_unlitColor; }
    void setUnlitColor(const QColor& color);
    QColor litColor() const { return m_litColor; }
    void setLitColor(const QColor& color);
    int segmentSize() const { return m_segmentSize; }
    void setSegmentSize(int size);

    QSize sizeHint() const override { return m_fittedSize; }
    QSize minimumSizeHint() const override { return m_fittedSize; }

  signals:
    void clicked();
    void doubleClicked();

  protected:
    QString text() const { return m_caption; }
    void setText(const QString& text);
    int columns() const { return m_columns; }
    void setColumns(int columns);
    int rows() const { return m_rows; }
    void setRows(int rows);

    void resizeToFit(int rows, int columns, int segmentSize);

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

    QColor m_backColor{0, 0, 0};
    int m_columns = 4;
    LedDrawMode m_drawMode = LedDrawMode::Polygon;
    QColor m_unlitColor{0, 0x40, 0};
    QColor m_litColor{0, 0xFF, 0};
    bool m_drawOnScreen = false;
    int m_rows = 1;
    int m_segmentSize = 2;
    QString m_caption;

    QSize m_fittedSize{75, 31};
    LedMetrics m_metrics;
    LedSegmentShapes m_shapes{};
    std::vector<LedCell> m_cells;
    bool m_cellsStale = true;
    QPixmap m_buffer;
    QHash<uint16_t, QImage> m_cellImages;
    bool m_bufferStale = true;
    QBrush m_litBrush;
    QBrush m_unlitBrush;
    QPen m_litPen;
    QPen m_unlitPen;
    bool m_litVisible = true;
    bool m_unlitVisible = true;
    LeftClickTracker m_clicks;
};

} // namespace nomix
