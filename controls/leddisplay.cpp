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
    metrics_ = LedMetricsFor(drawMode_, segmentSize_);
    shapes_ = ScaleLedSegments(metrics_);
    updateTools();
    resize(fittedSize_);
}

void LedDisplay::setBackColor(const QColor& color) {
    if (sameColor(color, backColor_)) {
        return;
    }
    backColor_ = color;
    updateTools();
    pictureChanged();
}

void LedDisplay::setDrawMode(TLEDDrawMode mode) {
    if (mode == drawMode_) {
        return;
    }
    drawMode_ = mode;
    ResizeToFit(rows_, columns_, segmentSize_);
}

// Also repaints when nothing changed: callers use it to force a fresh picture.
void LedDisplay::setDrawOnScreen(bool onScreen) {
    drawOnScreen_ = onScreen;
    pictureChanged();
}

void LedDisplay::setUnlitColor(const QColor& color) {
    if (sameColor(color, unlitColor_)) {
        return;
    }
    unlitColor_ = color;
    updateTools();
    pictureChanged();
}

void LedDisplay::setLitColor(const QColor& color) {
    if (sameColor(color, litColor_)) {
        return;
    }
    litColor_ = color;
    updateTools();
    pictureChanged();
}

void LedDisplay::setSegmentSize(int size) {
    size = std::clamp(size, kLedMinSegmentSize, kLedMaxSegmentSize);
    if (size == segmentSize_) {
        return;
    }
    ResizeToFit(rows_, columns_, size);
}

void LedDisplay::setText(const QString& text) {
    if (text == caption_) {
        return;
    }
    caption_ = text;
    layoutChanged();
}

void LedDisplay::setColumns(int columns) {
    columns = std::clamp(columns, 0, kLedMaxCells);
    if (columns == columns_) {
        return;
    }
    ResizeToFit(rows_, columns, segmentSize_);
}

void LedDisplay::setRows(int rows) {
    rows = std::clamp(rows, 0, kLedMaxCells);
    if (rows == rows_) {
        return;
    }
    ResizeToFit(rows, columns_, segmentSize_);
}

void LedDisplay::ResizeToFit(int rows, int columns, int segmentSize) {
    rows_ = std::clamp(rows, 0, kLedMaxCells);
    columns_ = std::clamp(columns, 0, kLedMaxCells);
    segmentSize_ = std::clamp(segmentSize, kLedMinSegmentSize, kLedMaxSegmentSize);
    metrics_ = LedMetricsFor(drawMode_, segmentSize_);
    shapes_ = ScaleLedSegments(metrics_);
    fittedSize_ = LedControlSize(drawMode_, segmentSize_, columns_, rows_);
    updateTools();
    resize(fittedSize_);
    updateGeometry();
    layoutChanged();
}

void LedDisplay::pictureChanged() {
    bufferStale_ = true;
    update();
}

void LedDisplay::layoutChanged() {
    cellsStale_ = true;
    pictureChanged();
}

void LedDisplay::updateTools() {
    litBrush_ = QBrush(litColor_);
    unlitBrush_ = QBrush(unlitColor_);
    // One-pixel lines leave out their last pixel; thick ones end round.
    const Qt::PenCapStyle cap = metrics_.penWidth == 1 ? Qt::FlatCap : Qt::RoundCap;
    litPen_ = QPen(litColor_, metrics_.penWidth, Qt::SolidLine, cap, Qt::RoundJoin);
    unlitPen_ = QPen(unlitColor_, metrics_.penWidth, Qt::SolidLine, cap, Qt::RoundJoin);
    litVisible_ = !sameRgb(litColor_, backColor_);
    unlitVisible_ = !sameRgb(unlitColor_, backColor_);
    cellImages_.clear();
}

void LedDisplay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (drawOnScreen_) {
        drawDisplay(painter);
        return;
    }
    refreshBuffer();
    if (!buffer_.isNull()) {
        painter.drawPixmap(0, 0, buffer_);
    }
}

// The picture is drawn off-screen only when something in it changed; the
// search's frequent repaints of an unchanged counter then cost one blit.
void LedDisplay::refreshBuffer() {
    if (size().isEmpty()) {
        buffer_ = QPixmap();
        return;
    }
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = size() * ratio;
    if (buffer_.size() != pixels || buffer_.devicePixelRatio() != ratio) {
        buffer_ = QPixmap(pixels);
        buffer_.setDevicePixelRatio(ratio);
        bufferStale_ = true;
    }
    if (!bufferStale_) {
        return;
    }
    QPainter painter(&buffer_);
    composeDisplay(painter);
    bufferStale_ = false;
}

void LedDisplay::layOutCells() {
    if (cellsStale_) {
        LayoutLedText(caption_, columns_, rows_, metrics_, cells_);
        cellsStale_ = false;
    }
}

// Each glyph lies inside its cell's advance rectangle, so pasting whole cell
// images gives the same pixels as drawing every segment in place.
void LedDisplay::composeDisplay(QPainter& painter) {
    layOutCells();
    painter.fillRect(rect(), backColor_);
    const qreal ratio = buffer_.devicePixelRatio();
    for (const LedCell& cell : cells_) {
        painter.drawImage(cell.x, cell.y, cellImage(cell.mask, ratio));
    }
}

const QImage& LedDisplay::cellImage(uint16_t mask, qreal ratio) {
    auto found = cellImages_.find(mask);
    if (found != cellImages_.end() && found->devicePixelRatio() == ratio) {
        return *found;
    }
    const QSize cellSize(metrics_.cellAdvance, metrics_.rowAdvance);
    QImage image(cellSize * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(backColor_);
    QPainter painter(&image);
    if (metrics_.lineGeometry) {
        painter.setBrush(Qt::NoBrush);
    } else {
        painter.setPen(Qt::NoPen);
    }
    drawCell(painter, LedCell{0, 0, mask});
    painter.end();
    return *cellImages_.insert(mask, image);
}

void LedDisplay::drawDisplay(QPainter& painter) {
    layOutCells();
    painter.fillRect(rect(), backColor_);
    if (metrics_.lineGeometry) {
        painter.setBrush(Qt::NoBrush);
    } else {
        painter.setPen(Qt::NoPen);
    }
    for (const LedCell& cell : cells_) {
        drawCell(painter, cell);
    }
}

void LedDisplay::drawCell(QPainter& painter, const LedCell& cell) {
    for (int segment = 1; segment <= kLedSegmentCount; ++segment) {
        const LedSegmentLight light = LedSegmentLightFor(cell.mask, segment);
        const bool lit = light == LedSegmentLight::Lit;
        const bool visible = lit ? litVisible_ : unlitVisible_;
        if (light != LedSegmentLight::Hidden && visible) {
            drawSegment(painter, segment, lit, cell.x, cell.y);
        }
    }
}

void LedDisplay::drawSegment(QPainter& painter, int segment, bool lit, int x, int y) {
    const LedSegmentShape& shape = shapes_[static_cast<size_t>(segment - 1)];
    const QPoint origin(x, y);
    if (metrics_.lineGeometry) {
        painter.setPen(lit ? litPen_ : unlitPen_);
        painter.drawLine(shape.points[0] + origin, shape.points[1] + origin);
        return;
    }
    std::array<QPoint, 6> placed;
    for (int i = 0; i < shape.count; ++i) {
        placed[static_cast<size_t>(i)] = shape.points[static_cast<size_t>(i)] + origin;
    }
    painter.setBrush(lit ? litBrush_ : unlitBrush_);
    painter.drawPolygon(placed.data(), shape.count);
}

void LedDisplay::mousePressEvent(QMouseEvent* event) {
    if (!clicks_.press(event)) {
        QWidget::mousePressEvent(event);
    }
}

void LedDisplay::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!clicks_.doubleClick(event)) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    emit doubleClicked();
}

void LedDisplay::mouseReleaseEvent(QMouseEvent* event) {
    if (clicks_.release(event, rect())) {
        emit clicked();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

} // namespace nomix
