#include "marquee.h"

#include "marqueeerror.h"

#include <QFontInfo>
#include <QPainter>

#include <algorithm>
#include <climits>

namespace nomix {

namespace {

constexpr int StepPixels = 3;

int AlignmentOf(Justification justify) {
    switch (justify) {
    case tjLeft:
        return Qt::AlignLeft;
    case tjRight:
        return Qt::AlignRight;
    case tjCenter:
        break;
    }
    return Qt::AlignHCenter;
}

} // namespace

Marquee::Marquee(QWidget* owner) : QFrame(owner) {
    setObjectName(QStringLiteral("Marquee"));
    setAutoFillBackground(true);
    timer_.setInterval(50);
    connect(&timer_, &QTimer::timeout, this, &Marquee::Tick);
    resize(100, 75);
}

Marquee::~Marquee() {
    Marquee::StopScrolling();
}

uint32_t Marquee::TimerInterval() const {
    return static_cast<uint32_t>(timer_.interval());
}

void Marquee::SetTimerInterval(uint32_t milliseconds) {
    timer_.setInterval(static_cast<int>(std::min<uint32_t>(milliseconds, INT_MAX)));
}

void Marquee::SetBevelWidth(int width) {
    if (width != bevelWidth_) {
        bevelWidth_ = width;
        update();
    }
}

QColor Marquee::Color() const {
    return palette().color(QPalette::Window);
}

void Marquee::SetColor(const QColor& color) {
    QPalette colours = palette();
    colours.setColor(QPalette::Window, color);
    setPalette(colours);
}

int Marquee::LineHeight() const {
    const QFontMetrics metrics = fontMetrics();
    const int internalLeading = std::max(0, metrics.height() - QFontInfo(font()).pixelSize());
    return metrics.height() + internalLeading;
}

QRect Marquee::TextArea() const {
    return QRect(bevelWidth_, bevelWidth_, width() - 2 * bevelWidth_, height() - 2 * bevelWidth_);
}

void Marquee::StartScrolling() {
    if (scrolling_ || items_.isEmpty()) {
        return;
    }
    scrolling_ = true;
    try {
        FillBitmap();
    } catch (const MarqueeError&) {
        // Left half-started, the marquee could never be started again.
        scrolling_ = false;
        bitmap_ = QImage();
        throw;
    }
    timer_.start();
}

void Marquee::StopScrolling() {
    if (!scrolling_) {
        return;
    }
    timer_.stop();
    emit OnDone();
    scrolling_ = false;
    bitmap_ = QImage();
    update();
}

void Marquee::FillBitmap() {
    const int panelHeight = height();
    lineHeight_ = LineHeight();
    renderedLines_ = static_cast<int>(items_.size());
    renderedHeight_ = panelHeight;
    textArea_ = TextArea();
    bitmap_ = QImage(width(), renderedLines_ * lineHeight_ + 2 * panelHeight, QImage::Format_RGB32);
    offset_ = StartOffset();
    if (bitmap_.isNull()) {
        FailToRender(0);
    }
    bitmap_.fill(Color());
    QPainter painter(&bitmap_);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    for (int i = 0; i < renderedLines_; ++i) {
        if (DrawLine(painter, i) <= 0) {
            FailToRender(i);
        }
    }
}

// Lines go between x = B and x = W - 2B of the bitmap, one per line height
// below the panel height of empty space.
int Marquee::DrawLine(QPainter& painter, int index) const {
    const int top = renderedHeight_ + index * lineHeight_;
    const QRect room(QPoint(bevelWidth_, top),
                     QPoint(width() - 2 * bevelWidth_ - 1, bitmap_.height() - 1));
    const QString& line = items_.at(index);
    QRect drawn;
    painter.drawText(
        room, Qt::TextSingleLine | Qt::TextShowMnemonic | Qt::AlignTop | AlignmentOf(justify_),
        line.isEmpty() ? QStringLiteral(" ") : line, &drawn);
    return drawn.height();
}

void Marquee::FailToRender(int index) {
    throw MarqueeError("Failed to render text(Line: #" + std::to_string(index) + ")");
}

int Marquee::StartOffset() const {
    return scrollDown_ ? bitmap_.height() - renderedHeight_ : 0;
}

void Marquee::Tick() {
    Step();
    update(textArea_);
}

void Marquee::Step() {
    if (!scrolling_) {
        return;
    }
    if (!scrollDown_ && offset_ <= renderedHeight_ + renderedLines_ * lineHeight_ - StepPixels) {
        offset_ += StepPixels;
        return;
    }
    if (scrollDown_ && offset_ >= StepPixels) {
        offset_ -= StepPixels;
        return;
    }
    if (loop_) {
        offset_ = StartOffset();
    } else {
        StopScrolling();
    }
}

void Marquee::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (!scrolling_ || bitmap_.isNull()) {
        return;
    }
    QPainter painter(this);
    painter.drawImage(textArea_.topLeft(), bitmap_,
                      QRect(0, offset_, textArea_.width(), textArea_.height()));
}

} // namespace nomix
