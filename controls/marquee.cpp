// SPDX-License-Identifier: MIT
#include "marquee.h"

#include "marqueeerror.h"

#include <QFontInfo>
#include <QPainter>
#include <QScopeGuard>

#include <algorithm>
#include <climits>

namespace nomix {

namespace {

constexpr int kStepPixels = 3;

int alignmentOf(Justification justify) {
    switch (justify) {
    case Justification::Left:
        return Qt::AlignLeft;
    case Justification::Right:
        return Qt::AlignRight;
    case Justification::Center:
        break;
    }
    return Qt::AlignHCenter;
}

} // namespace

Marquee::Marquee(QWidget* owner) : QFrame(owner) {
    setObjectName(QStringLiteral("Marquee"));
    setAutoFillBackground(true);
    m_timer.setInterval(50);
    connect(&m_timer, &QTimer::timeout, this, &Marquee::tick);
    resize(100, 75);
}

Marquee::~Marquee() {
    stopScrolling();
}

uint32_t Marquee::interval() const {
    return static_cast<uint32_t>(m_timer.interval());
}

void Marquee::setInterval(uint32_t milliseconds) {
    m_timer.setInterval(static_cast<int>(std::min<uint32_t>(milliseconds, INT_MAX)));
}

void Marquee::setBevelWidth(int width) {
    if (width != m_bevelWidth) {
        m_bevelWidth = width;
        update();
    }
}

QColor Marquee::color() const {
    return palette().color(QPalette::Window);
}

void Marquee::setColor(const QColor& color) {
    QPalette colours = palette();
    colours.setColor(QPalette::Window, color);
    setPalette(colours);
}

int Marquee::lineHeight() const {
    const QFontMetrics metrics = fontMetrics();
    const int internalLeading = std::max(0, metrics.height() - QFontInfo(font()).pixelSize());
    return metrics.height() + internalLeading;
}

QRect Marquee::textArea() const {
    return QRect(m_bevelWidth, m_bevelWidth, width() - 2 * m_bevelWidth,
                 height() - 2 * m_bevelWidth);
}

void Marquee::startScrolling() {
    if (m_scrolling || m_lines.isEmpty()) {
        return;
    }
    m_scrolling = true;
    // Left half-started by a line that cannot be rendered, the marquee could
    // never be started again.
    auto halfStarted = qScopeGuard([this] {
        m_scrolling = false;
        m_picture = QImage();
    });
    renderLines();
    halfStarted.dismiss();
    m_timer.start();
}

void Marquee::stopScrolling() {
    if (!m_scrolling) {
        return;
    }
    m_timer.stop();
    emit finished();
    m_scrolling = false;
    m_picture = QImage();
    update();
}

void Marquee::renderLines() {
    const int panelHeight = height();
    m_lineHeight = lineHeight();
    m_renderedLines = static_cast<int>(m_lines.size());
    m_renderedHeight = panelHeight;
    m_textArea = textArea();
    m_picture =
        QImage(width(), m_renderedLines * m_lineHeight + 2 * panelHeight, QImage::Format_RGB32);
    m_offset = startOffset();
    if (m_picture.isNull()) {
        failToRender(0);
    }
    m_picture.fill(color());
    QPainter painter(&m_picture);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    for (int i = 0; i < m_renderedLines; ++i) {
        if (drawLine(painter, i) <= 0) {
            failToRender(i);
        }
    }
}

// Lines go between x = B and x = W - 2B of the picture, one per line height
// below the panel height of empty space.
int Marquee::drawLine(QPainter& painter, int index) const {
    const int top = m_renderedHeight + index * m_lineHeight;
    const QRect room(QPoint(m_bevelWidth, top),
                     QPoint(width() - 2 * m_bevelWidth - 1, m_picture.height() - 1));
    const QString& line = m_lines.at(index);
    QRect drawn;
    painter.drawText(room,
                     Qt::TextSingleLine | Qt::TextShowMnemonic | Qt::AlignTop |
                         alignmentOf(m_justification),
                     line.isEmpty() ? QStringLiteral(" ") : line, &drawn);
    return drawn.height();
}

void Marquee::failToRender(int index) {
    throw MarqueeError(tr("Failed to render text(Line: #%1)").arg(index).toStdString());
}

int Marquee::startOffset() const {
    return m_scrollsDown ? m_picture.height() - m_renderedHeight : 0;
}

void Marquee::tick() {
    step();
    update(m_textArea);
}

void Marquee::step() {
    if (!m_scrolling) {
        return;
    }
    if (!m_scrollsDown &&
        m_offset <= m_renderedHeight + m_renderedLines * m_lineHeight - kStepPixels) {
        m_offset += kStepPixels;
        return;
    }
    if (m_scrollsDown && m_offset >= kStepPixels) {
        m_offset -= kStepPixels;
        return;
    }
    if (m_loop) {
        m_offset = startOffset();
    } else {
        stopScrolling();
    }
}

void Marquee::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (!m_scrolling || m_picture.isNull()) {
        return;
    }
    QPainter painter(this);
    painter.drawImage(m_textArea.topLeft(), m_picture,
                      QRect(0, m_offset, m_textArea.width(), m_textArea.height()));
}

} // namespace nomix
