// SPDX-License-Identifier: MIT
#include "balloonwindow.h"

#include "balloonstyle.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QToolTip>

namespace nomix {

BalloonWindow::BalloonWindow(BalloonStyle* settings)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                           Qt::WindowDoesNotAcceptFocus),
      m_settings(settings), m_fallbackSettings(std::make_unique<BalloonStyle>()),
      m_fillColor(QToolTip::palette().color(QPalette::ToolTipBase)), m_frameColor(Qt::black),
      m_textColor(Qt::black) {
    setObjectName(QStringLiteral("BalloonWindow"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
}

BalloonWindow::~BalloonWindow() = default;

void BalloonWindow::setCaption(const QString& caption) {
    m_caption = caption;
    fitToText(QCursor::pos());
}

void BalloonWindow::fitToText(const QPoint& cursor) {
    const BalloonStyle& settings = balloonStyle();
    const QRect screen = screenAreaAt(cursor);
    resize(nomix::balloonSizeForText(m_caption, fontMetrics(), cursor.x(), screen,
                                     settings.maxPixelWidthOn(screen.width()),
                                     settings.shadowDepth()));
}

QFont BalloonWindow::defaultFont() {
    return QFont(QStringLiteral("MS Sans Serif"), 8);
}

const BalloonStyle& BalloonWindow::balloonStyle() const {
    return m_settings ? *m_settings : *m_fallbackSettings;
}

void BalloonWindow::setColors(const QColor& fill, const QColor& frame, const QColor& text) {
    m_fillColor = fill;
    m_frameColor = frame;
    m_textColor = text;
}

QRect BalloonWindow::screenAreaAt(const QPoint& point) {
    QScreen* screen = QGuiApplication::screenAt(point);
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    return screen ? screen->availableGeometry() : QRect(0, 0, 640, 480);
}

void BalloonWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, composeBalloon());
}

// Everything is composed off screen and copied in one go, so the balloon
// never flickers and the shadow can be computed from the backdrop.
QImage BalloonWindow::composeBalloon() const {
    const BalloonStyle& settings = balloonStyle();
    const int shadowDepth = settings.shadowDepth();
    const BalloonOutline outline = balloonOutline(size(), shadowDepth, m_currentPosition);

    QImage picture(size(), QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    if (!m_backdrop.isNull()) {
        QPainter painter(&picture);
        painter.drawPixmap(picture.rect(), m_backdrop);
    }
    if (shadowDepth > 0 && settings.shadowStyle() == BalloonShadowStyle::Shaded) {
        shadeEveryOtherPixel(picture, balloonRegion(outline, settings.shape(), shadowDepth));
    }
    if (shadowDepth > 0 && settings.shadowStyle() == BalloonShadowStyle::Solid) {
        paintBalloon(picture, outline, shadowDepth, Qt::black, Qt::black);
    }
    paintBalloon(picture, outline, 0, m_fillColor, m_frameColor);

    QPainter painter(&picture);
    painter.setFont(font());
    painter.setPen(m_textColor);
    painter.drawText(outline.textRect, Qt::TextWordWrap, balloonCaption(m_caption));
    return picture;
}

void BalloonWindow::paintBalloon(QImage& picture, const BalloonOutline& outline, int offset,
                                 const QColor& fill, const QColor& frame) const {
    const QRegion balloon = balloonRegion(outline, balloonStyle().shape(), offset);
    QPainter painter(&picture);
    for (const QRect& rect : balloon) {
        painter.fillRect(rect, fill);
    }
    for (const QRect& rect : regionFrame(balloon)) {
        painter.fillRect(rect, frame);
    }
}

} // namespace nomix
