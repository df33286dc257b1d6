#include "embossedlabel.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace nomix {

int Label3DOffset(T3dStyle style, int shadowOffset) {
    switch (style) {
    case tsRaised:
        return 1;
    case tsRecessed:
        return -1;
    case tsShadowed:
        return shadowOffset;
    case tsNone:
        break;
    }
    return 0;
}

QString Label3DShownText(const QString& caption) {
    QString shown = caption.left(kLabel3DMaxCaption);
    if (!shown.isEmpty() && shown.back().isHighSurrogate()) {
        shown.chop(1);
    }
    return shown;
}

int Label3DTextFlags(Qt::Alignment alignment) {
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

void EmbossedLabel::setStyle3D(T3dStyle style) {
    if (style == style3D_) {
        return;
    }
    style3D_ = style;
    update();
}

void EmbossedLabel::setShadowOffset(int offset) {
    offset = std::clamp(offset, kMinShadowOffset, kMaxShadowOffset);
    if (offset == shadowOffset_ || style3D_ != tsShadowed) {
        return;
    }
    shadowOffset_ = offset;
    update();
}

QColor EmbossedLabel::color3DShadow() const {
    return color3DShadow_.isValid() ? color3DShadow_ : palette().color(QPalette::Dark);
}

void EmbossedLabel::setColor3DShadow(const QColor& color) {
    if (color == color3DShadow()) {
        return;
    }
    color3DShadow_ = color;
    update();
}

QColor EmbossedLabel::color3DHilight() const {
    return color3DHilight_.isValid() ? color3DHilight_ : palette().color(QPalette::Light);
}

void EmbossedLabel::setColor3DHilight(const QColor& color) {
    if (color == color3DHilight()) {
        return;
    }
    color3DHilight_ = color;
    update();
}

void EmbossedLabel::setTransparent(bool transparent) {
    if (transparent == transparent_) {
        return;
    }
    transparent_ = transparent;
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
        metrics.size(Qt::TextShowMnemonic | Qt::TextExpandTabs, Label3DShownText(text()));
    const QMargins margins = contentsMargins();
    const int extra = 2 * margin();
    return textSize + QSize(margins.left() + margins.right() + extra,
                            margins.top() + margins.bottom() + extra);
}

void EmbossedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!transparent_) {
        painter.fillRect(rect(), palette().color(backgroundRole()));
    }
    drawFrame(&painter);
    painter.setFont(font());
    const QString shown = Label3DShownText(text());
    const int d = Label3DOffset(style3D_, shadowOffset_);
    if (style3D_ != tsNone) {
        drawCopy(painter, shown, d, d, color3DShadow());
        if (style3D_ != tsShadowed) {
            drawCopy(painter, shown, -d, -d, color3DHilight());
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
    painter.drawText(contentsRect().translated(dx, dy), Label3DTextFlags(alignment()), text);
}

void EmbossedLabel::mousePressEvent(QMouseEvent* event) {
    if (!clicks_.press(event)) {
        QLabel::mousePressEvent(event);
    }
}

void EmbossedLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!clicks_.doubleClick(event)) {
        QLabel::mouseDoubleClickEvent(event);
        return;
    }
    emit doubleClicked();
}

void EmbossedLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (clicks_.release(event, rect())) {
        emit clicked();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

} // namespace nomix
