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
      settings_(settings), fallbackSettings_(std::make_unique<BalloonStyle>()),
      fillColor_(QToolTip::palette().color(QPalette::ToolTipBase)), frameColor_(Qt::black),
      textColor_(Qt::black) {
    setObjectName(QStringLiteral("BalloonWindow"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
}

BalloonWindow::~BalloonWindow() = default;

void BalloonWindow::SetCaption(const QString& caption) {
    caption_ = caption;
    FitToText(QCursor::pos());
}

void BalloonWindow::FitToText(const QPoint& cursor) {
    const BalloonStyle& settings = Settings();
    const QRect screen = ScreenAreaAt(cursor);
    resize(nomix::FitToText(caption_, fontMetrics(), cursor.x(), screen,
                            settings.MaxPixelWidthOn(screen.width()), settings.ShadowDepth()));
}

QFont BalloonWindow::DefaultBalloonFont() {
    return QFont(QStringLiteral("MS Sans Serif"), 8);
}

const BalloonStyle& BalloonWindow::Settings() const {
    return settings_ ? *settings_ : *fallbackSettings_;
}

void BalloonWindow::SetColors(const QColor& fill, const QColor& frame, const QColor& text) {
    fillColor_ = fill;
    frameColor_ = frame;
    textColor_ = text;
}

QRect BalloonWindow::ScreenAreaAt(const QPoint& point) {
    QScreen* screen = QGuiApplication::screenAt(point);
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    return screen ? screen->availableGeometry() : QRect(0, 0, 640, 480);
}

void BalloonWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, ComposeBalloon());
}

// Everything is composed off screen and copied in one go, so the balloon
// never flickers and the shadow can be computed from the backdrop.
QImage BalloonWindow::ComposeBalloon() const {
    const BalloonStyle& settings = Settings();
    const int shadowDepth = settings.ShadowDepth();
    const BalloonOutline outline = ComputeShape(size(), shadowDepth, currentPosition_);

    QImage picture(size(), QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    if (!backdrop_.isNull()) {
        QPainter painter(&picture);
        painter.drawPixmap(picture.rect(), backdrop_);
    }
    if (shadowDepth > 0 && settings.ShadowStyle() == ssShaded) {
        ShadeEveryOtherPixel(picture, MakeBalloonRegion(outline, settings.Shape(), shadowDepth));
    }
    if (shadowDepth > 0 && settings.ShadowStyle() == ssSolid) {
        PaintBalloon(picture, outline, shadowDepth, Qt::black, Qt::black);
    }
    PaintBalloon(picture, outline, 0, fillColor_, frameColor_);

    QPainter painter(&picture);
    painter.setFont(font());
    painter.setPen(textColor_);
    painter.drawText(outline.textRect, Qt::TextWordWrap, BalloonCaption(caption_));
    return picture;
}

void BalloonWindow::PaintBalloon(QImage& picture, const BalloonOutline& outline, int offset,
                                  const QColor& fill, const QColor& frame) const {
    const QRegion balloon = MakeBalloonRegion(outline, Settings().Shape(), offset);
    QPainter painter(&picture);
    for (const QRect& rect : balloon) {
        painter.fillRect(rect, fill);
    }
    for (const QRect& rect : RegionFrame(balloon)) {
        painter.fillRect(rect, frame);
    }
}

} // namespace nomix
