// SPDX-License-Identifier: MIT
#include "balloontooltipwindow.h"

#include "balloontooltips.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QToolTip>

namespace nomix {

BalloonToolTipWindow::BalloonToolTipWindow()
    : BalloonToolTipWindow(BalloonToolTips::activeSettings()) {}

BalloonToolTipWindow::BalloonToolTipWindow(BalloonStyle* settings) : BalloonWindow(settings) {
    setObjectName(QStringLiteral("BalloonHintWindow"));
}

void BalloonToolTipWindow::showHintText(const QString& text, const QPoint& cursor) {
    const BalloonStyle& settings = balloonStyle();
    if ((settings.behavior() & BalloonBehavior::NoShowMouseDown) && mouseButtonIsDown()) {
        emit cancelHintRequested();
        return;
    }
    if (isVisible()) {
        hide(); // so that the grab below sees what lies behind, not us
    }
    setCaption(text);
    chooseLook();
    fitToText(cursor);

    const BalloonPlacement placement =
        placeOnScreen(size(), cursor, settings.position(), screenAreaAt(cursor));
    setCurrentPosition(placement.position);
    setBackdrop(grabScreenBehind(placement.rect));
    if (settings.behavior() & BalloonBehavior::UseRegions) {
        const BalloonOutline outline =
            balloonOutline(size(), settings.shadowDepth(), placement.position);
        setMask(balloonWindowRegion(outline, settings.shape(), settings.shadowDepth()));
    } else {
        clearMask();
    }
    showAt(placement.rect.topLeft());
    if (!(settings.behavior() & BalloonBehavior::UseRegions)) {
        installHook();
    }
}

void BalloonToolTipWindow::chooseLook() {
    const BalloonStyle& settings = balloonStyle();
    const QPalette hintPalette = QToolTip::palette();
    switch (settings.hintStyle()) {
    case HintStyle::Custom:
        setFont(settings.font());
        setColors(settings.color(), settings.borderColor(), settings.fontColor());
        return;
    case HintStyle::System:
        setFont(QToolTip::font());
        setColors(hintPalette.color(QPalette::ToolTipBase), systemFrameColor(),
                  hintPalette.color(QPalette::ToolTipText));
        return;
    case HintStyle::Default:
        break;
    }
    setFont(defaultFont());
    setColors(hintPalette.color(QPalette::ToolTipBase), systemFrameColor(),
              QGuiApplication::palette().color(QPalette::WindowText));
}

void BalloonToolTipWindow::showAt(const QPoint& topLeft) {
    move(topLeft);
    show();
    update();
}

void BalloonToolTipWindow::installHook() {
    m_firstMouseMoveSeen = false;
    m_lastMousePos = QCursor::pos();
    if (!m_hookInstalled) {
        qApp->installEventFilter(this);
        m_hookInstalled = true;
    }
}

void BalloonToolTipWindow::removeHook() {
    if (m_hookInstalled) {
        qApp->removeEventFilter(this);
        m_hookInstalled = false;
    }
}

void BalloonToolTipWindow::hideEvent(QHideEvent* event) {
    BalloonWindow::hideEvent(event);
    removeHook();
}

bool BalloonToolTipWindow::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseMove:
        noteMouseMove(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonDblClick:
        emit cancelHintRequested();
        break;
    case QEvent::Paint:
        if ((balloonStyle().behavior() & BalloonBehavior::HideOnPaint) &&
            repaintsUnderBalloon(watched, static_cast<QPaintEvent*>(event)->rect())) {
            emit cancelHintRequested();
        }
        break;
    default:
        break;
    }
    return false;
}

// One move of the mouse reaches the filter once per widget it is offered to,
// and showing a window may report a move where the mouse already is; only a
// change of position counts. The first one is forgiven.
void BalloonToolTipWindow::noteMouseMove(const QPoint& globalPos) {
    if (globalPos == m_lastMousePos) {
        return;
    }
    m_lastMousePos = globalPos;
    if (!m_firstMouseMoveSeen) {
        m_firstMouseMoveSeen = true;
        return;
    }
    emit cancelHintRequested();
}

bool BalloonToolTipWindow::repaintsUnderBalloon(QObject* watched, const QRect& updated) const {
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() == this || !isVisible()) {
        return false;
    }
    const QRect onScreen(widget->mapToGlobal(updated.topLeft()), updated.size());
    return onScreen.intersects(geometry());
}

bool BalloonToolTipWindow::mouseButtonIsDown() {
    return (QGuiApplication::mouseButtons() &
            (Qt::LeftButton | Qt::RightButton | Qt::MiddleButton)) != Qt::NoButton;
}

// Desktop styles frame their own tips in the tip's text colour.
QColor BalloonToolTipWindow::systemFrameColor() {
    return QToolTip::palette().color(QPalette::ToolTipText);
}

// Empty where the platform cannot read the screen (Wayland, or an area no
// window of ours covers on the offscreen platform). Parts of `area` off the
// screen stay transparent.
QPixmap BalloonToolTipWindow::grabScreenBehind(const QRect& area) {
    QScreen* screen = QGuiApplication::screenAt(area.center());
    if (!screen) {
        return {};
    }
    const QRect visible = area.intersected(screen->geometry());
    const QRect local = visible.translated(-screen->geometry().topLeft());
    const QPixmap grab = screen->grabWindow(0, local.x(), local.y(), local.width(), local.height());
    if (grab.isNull() || grab.deviceIndependentSize().toSize() != visible.size()) {
        return {};
    }
    if (visible == area) {
        return grab;
    }
    QPixmap backdrop(area.size());
    backdrop.fill(Qt::transparent);
    QPainter painter(&backdrop);
    painter.drawPixmap(visible.topLeft() - area.topLeft(), grab);
    return backdrop;
}

} // namespace nomix
