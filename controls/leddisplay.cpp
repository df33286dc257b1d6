// SPDX-License-Identifier: MIT
#include "leddisplay.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace nomix {

namespace {

// Colours count as equal when they show the same pixel, however they were
// made (RGB, HSV, a palette role).
bool sameRgb(const QColor& a, const QColor& b) {
    return a.rgb() == b.rgb();
}

bool sameColor(const QColor& a, const QColor& b) {
    return a.rgba() == b.rgba();
}

} // namespace

LedDisplay::LedDisplay(QWidget* parent) : QWidget(parent) {
    // Every pixel is painted, so Qt need not erase the parent beneath it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_metrics = ledMetricsFor(m_drawMode, m_segmentSize);
    m_shapes = scaleLedSegments(m_metrics);
    updateTools();
    resize(m_fittedSize);
}

void LedDisplay::setBackColor(const QColor& color) {
    if (sameColor(color, m_backColor)) {
        return;
    }
    m_backColor = color;
    updateTools();
    pictureChanged();
}

void LedDisplay::setDrawMode(LedDrawMode mode) {
    if (mode == m_drawMode) {
        return;
    }
    m_drawMode = mode;
    resizeToFit(m_rows, m_columns, m_segmentSize);
}

// Also repaints when nothing changed: callers use it to force a fresh picture.
void LedDisplay::setDrawOnScreen(bool onScreen) {
    m_drawOnScreen = onScreen;
    pictureChanged();
}

void LedDisplay::setUnlitColor(const QColor& color) {
    if (sameColor(color, m_unlitColor)) {
        return;
    }
    m_unlitColor = color;
    updateTools();
    pictureChanged();
}

void LedDisplay::setLitColor(const QColor& color) {
    if (sameColor(color, m_litColor)) {
        return;
    }
    m_litColor = color;
    updateTools();
    pictureChanged();
}

void LedDisplay::setSegmentSize(int size) {
    size = std::clamp(size, kLedMinSegmentSize, kLedMaxSegmentSize);
    if (size == m_segmentSize) {
        return;
    }
    resizeToFit(m_rows, m_columns, size);
}

void LedDisplay::setText(const QString& text) {
    if (text == m_caption) {
        return;
    }
    m_caption = text;
    layoutChanged();
}

void LedDisplay::setColumns(int columns) {
    columns = std::clamp(columns, 0, kLedMaxCells);
    if (columns == m_columns) {
        return;
    }
    resizeToFit(m_rows, columns, m_segmentSize);
}

void LedDisplay::setRows(int rows) {
    rows = std::clamp(rows, 0, kLedMaxCells);
    if (rows == m_rows) {
        return;
    }
    resizeToFit(rows, m_columns, m_segmentSize);
}

void LedDisplay::resizeToFit(int rows, int columns, int segmentSize) {
    m_rows = std::clamp(rows, 0, kLedMaxCells);
    m_columns = std::clamp(columns, 0, kLedMaxCells);
    m_segmentSize = std::clamp(segmentSize, kLedMinSegmentSize, kLedMaxSegmentSize);
    m_metrics = ledMetricsFor(m_drawMode, m_segmentSize);
    m_shapes = scaleLedSegments(m_metrics);
    m_fittedSize = ledControlSize(m_drawMode, m_segmentSize, m_columns, m_rows);
    updateTools();
    resize(m_fittedSize);
    updateGeometry();
    layoutChanged();
}

void LedDisplay::pictureChanged() {
    m_bufferStale = true;
    update();
}

void LedDisplay::layoutChanged() {
    m_cellsStale = true;
    pictureChanged();
}

void LedDisplay::updateTools() {
    m_litBrush = QBrush(m_litColor);
    m_unlitBrush = QBrush(m_unlitColor);
    // One-pixel lines leave out their last pixel; thick ones end round.
    const Qt::PenCapStyle cap = m_metrics.penWidth == 1 ? Qt::FlatCap : Qt::RoundCap;
    m_litPen = QPen(m_litColor, m_metrics.penWidth, Qt::SolidLine, cap, Qt::RoundJoin);
    m_unlitPen = QPen(m_unlitColor, m_metrics.penWidth, Qt::SolidLine, cap, Qt::RoundJoin);
    m_litVisible = !sameRgb(m_litColor, m_backColor);
    m_unlitVisible = !sameRgb(m_unlitColor, m_backColor);
    m_cellImages.clear();
}

void LedDisplay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (m_drawOnScreen) {
        drawDisplay(painter);
        return;
    }
    refreshBuffer();
    if (!m_buffer.isNull()) {
        painter.drawPixmap(0, 0, m_buffer);
    }
}

// The picture is drawn off-screen only when something in it changed; the
// search's frequent repaints of an unchanged counter then cost one blit.
void LedDisplay::refreshBuffer() {
    if (size().isEmpty()) {
        m_buffer = QPixmap();
        return;
    }
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = size() * ratio;
    if (m_buffer.size() != pixels || m_buffer.devicePixelRatio() != ratio) {
        m_buffer = QPixmap(pixels);
        m_buffer.setDevicePixelRatio(ratio);
        m_bufferStale = true;
    }
    if (!m_bufferStale) {
        return;
    }
    QPainter painter(&m_buffer);
    composeDisplay(painter);
    m_bufferStale = false;
}

void LedDisplay::layOutCells() {
    if (m_cellsStale) {
        layOutLedText(m_caption, m_columns, m_rows, m_metrics, m_cells);
        m_cellsStale = false;
    }
}

// Each glyph lies inside its cell's advance rectangle, so pasting whole cell
// images gives the same pixels as drawing every segment in place.
void LedDisplay::composeDisplay(QPainter& painter) {
    layOutCells();
    painter.fillRect(rect(), m_backColor);
    const qreal ratio = m_buffer.devicePixelRatio();
    for (const LedCell& cell : m_cells) {
        painter.drawImage(cell.x, cell.y, cellImage(cell.mask, ratio));
    }
}

const QImage& LedDisplay::cellImage(uint16_t mask, qreal ratio) {
    auto found = m_cellImages.find(mask);
    if (found != m_cellImages.end() && found->devicePixelRatio() == ratio) {
        return *found;
    }
    const QSize cellSize(m_metrics.cellAdvance, m_metrics.rowAdvance);
    QImage image(cellSize * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(m_backColor);
    QPainter painter(&image);
    if (m_metrics.lineGeometry) {
        painter.setBrush(Qt::NoBrush);
    } else {
        painter.setPen(Qt::NoPen);
    }
    drawCell(painter, LedCell{0, 0, mask});
    painter.end();
    return *m_cellImages.insert(mask, image);
}

void LedDisplay::drawDisplay(QPainter& painter) {
    layOutCells();
    painter.fillRect(rect(), m_backColor);
    if (m_metrics.lineGeometry) {
        painter.setBrush(Qt::NoBrush);
    } else {
        painter.setPen(Qt::NoPen);
    }
    for (const LedCell& cell : m_cells) {
        drawCell(painter, cell);
    }
}

void LedDisplay::drawCell(QPainter& painter, const LedCell& cell) {
    for (int segment = 1; segment <= kLedSegmentCount; ++segment) {
        const LedSegmentLight light = ledSegmentLightFor(cell.mask, segment);
        const bool lit = light == LedSegmentLight::Lit;
        const bool visible = lit ? m_litVisible : m_unlitVisible;
        if (light != LedSegmentLight::Hidden && visible) {
            drawSegment(painter, segment, lit, cell.x, cell.y);
        }
    }
}

void LedDisplay::drawSegment(QPainter& painter, int segment, bool lit, int x, int y) {
    const LedSegmentShape& shape = m_shapes[static_cast<size_t>(segment - 1)];
    const QPoint origin(x, y);
    if (m_metrics.lineGeometry) {
        painter.setPen(lit ? m_litPen : m_unlitPen);
        painter.drawLine(shape.points[0] + origin, shape.points[1] + origin);
        return;
    }
    std::array<QPoint, 6> placed;
    for (int i = 0; i < shape.count; ++i) {
        placed[static_cast<size_t>(i)] = shape.points[static_cast<size_t>(i)] + origin;
    }
    painter.setBrush(lit ? m_litBrush : m_unlitBrush);
    painter.drawPolygon(placed.data(), shape.count);
}

void LedDisplay::mousePressEvent(QMouseEvent* event) {
    if (!m_clicks.press(event)) {
        QWidget::mousePressEvent(event);
    }
}

void LedDisplay::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!m_clicks.doubleClick(event)) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    emit doubleClicked();
}

void LedDisplay::mouseReleaseEvent(QMouseEvent* event) {
    if (m_clicks.release(event, rect())) {
        emit clicked();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

} // namespace nomix
