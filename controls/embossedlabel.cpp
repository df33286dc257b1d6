// SPDX-License-Identifier: MIT
#include "embossedlabel.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace nomix {

int label3DOffset(Style3D style, int shadowOffset) {
    switch (style) {
    case Style3D::Raised:
        return 1;
    case Style3D::Recessed:
        return -1;
    case Style3D::Shadowed:
        return shadowOffset;
    case Style3D::None:
        break;
    }
    return 0;
}

QString label3DShownText(const QString& caption) {
    QString shown = caption.left(kLabel3DMaxCaption);
    if (!shown.isEmpty() && shown.back().isHighSurrogate()) {
        shown.chop(1);
    }
    return shown;
}

int label3DTextFlags(Qt::Alignment alignment) {
    int flags = Qt::AlignTop | Qt::TextWordWrap | Qt::TextExpandTabs | Qt::TextShowMnemonic;
    if (alignment & Qt::AlignRight) {
        flags |= Qt::AlignRight;
    } else if (alignment & Qt::AlignHCenter) {
        flags |= Qt::AlignHCenter;
    } else {
        flags |= Qt::AlignLeft;
    }
    return flags;
}

EmbossedLabel::EmbossedLabel(QWidget* parent) : EmbossedLabel(QString(), parent) {}

EmbossedLabel::EmbossedLabel(const QString& caption, QWidget* parent) : QLabel(parent) {
    // Captions are plain text: a name that looks like markup stays as typed.
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setText(caption);
}

void EmbossedLabel::setStyle3D(Style3D style) {
    if (style == m_style3D) {
        return;
    }
    m_style3D = style;
    update();
}

void EmbossedLabel::setShadowOffset(int offset) {
    offset = std::clamp(offset, kMinShadowOffset, kMaxShadowOffset);
    if (offset == m_shadowOffset || m_style3D != Style3D::Shadowed) {
        return;
    }
    m_shadowOffset = offset;
    update();
}

QColor EmbossedLabel::color3DShadow() const {
    return m_color3DShadow.isValid() ? m_color3DShadow : palette().color(QPalette::Dark);
}

void EmbossedLabel::setColor3DShadow(const QColor& color) {
    if (color == color3DShadow()) {
        return;
    }
    m_color3DShadow = color;
    update();
}

QColor EmbossedLabel::color3DHighlight() const {
    return m_color3DHighlight.isValid() ? m_color3DHighlight : palette().color(QPalette::Light);
}

void EmbossedLabel::setColor3DHighlight(const QColor& color) {
    if (color == color3DHighlight()) {
        return;
    }
    m_color3DHighlight = color;
    update();
}

void EmbossedLabel::setTransparent(bool transparent) {
    if (transparent == m_transparent) {
        return;
    }
    m_transparent = transparent;
    update();
}

// Without a buddy QLabel would measure the '&' it shows; this label never
// shows it, so a one-line label is measured as painted.
QSize EmbossedLabel::sizeHint() const {
    return wordWrap() ? QLabel::sizeHint() : singleLineSize();
}

QSize EmbossedLabel::minimumSizeHint() const {
    return wordWrap() ? QLabel::minimumSizeHint() : singleLineSize();
}

QSize EmbossedLabel::singleLineSize() const {
    const QFontMetrics metrics(font());
    const QSize textSize =
        metrics.size(Qt::TextShowMnemonic | Qt::TextExpandTabs, label3DShownText(text()));
    const QMargins margins = contentsMargins();
    const int extra = 2 * margin();
    return textSize + QSize(margins.left() + margins.right() + extra,
                            margins.top() + margins.bottom() + extra);
}

void EmbossedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!m_transparent) {
        painter.fillRect(rect(), palette().color(backgroundRole()));
    }
    drawFrame(&painter);
    painter.setFont(font());
    const QString shown = label3DShownText(text());
    const int d = label3DOffset(m_style3D, m_shadowOffset);
    if (m_style3D != Style3D::None) {
        drawCopy(painter, shown, d, d, color3DShadow());
        if (m_style3D != Style3D::Shadowed) {
            drawCopy(painter, shown, -d, -d, color3DHighlight());
        }
    }
    // A disabled label keeps its 3D copies and greys only the text itself.
    const QColor top = isEnabled() ? palette().color(foregroundRole())
                                   : palette().color(QPalette::Disabled, QPalette::WindowText);
    drawCopy(painter, shown, 0, 0, top);
}

void EmbossedLabel::drawCopy(QPainter& painter, const QString& text, int dx, int dy,
                             const QColor& color) {
    painter.setPen(color);
    painter.drawText(contentsRect().translated(dx, dy), label3DTextFlags(alignment()), text);
}

void EmbossedLabel::mousePressEvent(QMouseEvent* event) {
    if (!m_clicks.press(event)) {
        QLabel::mousePressEvent(event);
    }
}

void EmbossedLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!m_clicks.doubleClick(event)) {
        QLabel::mouseDoubleClickEvent(event);
        return;
    }
    emit doubleClicked();
}

void EmbossedLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (m_clicks.release(event, rect())) {
        emit clicked();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

} // namespace nomix
