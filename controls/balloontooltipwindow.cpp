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
    : BalloonToolTipWindow(BalloonToolTips::ActiveBalloonSettings()) {}

BalloonToolTipWindow::BalloonToolTipWindow(BalloonStyle* settings) : BalloonWindow(settings) {
    setObjectName(QStringLiteral("BalloonHintWindow"));
}

void BalloonToolTipWindow::ShowHintText(const QString& text, const QPoint& cursor) {
    const BalloonStyle& settings = Settings();
    if ((settings.Behavior() & bbNoShowMouseDown) && MouseButtonIsDown()) {
        emit CancelHintRequested();
        return;
    }
    if (isVisible()) {
        hide(); // so that the grab below sees what lies behind, not us
    }
    SetCaption(text);
    ChooseLook();
    FitToText(cursor);

    const BalloonPlacement placement =
        PlaceOnScreen(size(), cursor, settings.Position(), ScreenAreaAt(cursor));
    SetCurrentPosition(placement.position);
    SetBackdrop(GrabScreenBehind(placement.rect));
    if (settings.Behavior() & bbUseRegions) {
        const BalloonOutline outline =
            ComputeShape(size(), settings.ShadowDepth(), placement.position);
        setMask(BalloonWindowRegion(outline, settings.Shape(), settings.ShadowDepth()));
    } else {
        clearMask();
    }
    ShowAt(placement.rect.topLeft());
    if (!(settings.Behavior() & bbUseRegions)) {
        InstallHook();
    }
}

void BalloonToolTipWindow::ChooseLook() {
    const BalloonStyle& settings = Settings();
    const QPalette hintPalette = QToolTip::palette();
    switch (settings.Style()) {
    case hsCustom:
        setFont(settings.Font());
        SetColors(settings.Color(), settings.BorderColor(), settings.FontColor());
        return;
    case hsSystem:
        setFont(QToolTip::font());
        SetColors(hintPalette.color(QPalette::ToolTipBase), SystemFrameColor(),
                  hintPalette.color(QPalette::ToolTipText));
        return;
    case hsDefault:
        break;
    }
    setFont(DefaultBalloonFont());
    SetColors(hintPalette.color(QPalette::ToolTipBase), SystemFrameColor(),
              QGuiApplication::palette().color(QPalette::WindowText));
}

void BalloonToolTipWindow::ShowAt(const QPoint& topLeft) {
    move(topLeft);
    show();
    update();
}

void BalloonToolTipWindow::InstallHook() {
    firstMouseMoveSeen_ = false;
    lastMousePos_ = QCursor::pos();
    if (!hookInstalled_) {
        qApp->installEventFilter(this);
        hookInstalled_ = true;
    }
}

void BalloonToolTipWindow::RemoveHook() {
    if (hookInstalled_) {
        qApp->removeEventFilter(this);
        hookInstalled_ = false;
    }
}

void BalloonToolTipWindow::hideEvent(QHideEvent* event) {
    BalloonWindow::hideEvent(event);
    RemoveHook();
}

bool BalloonToolTipWindow::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseMove:
        NoteMouseMove(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonDblClick:
        emit CancelHintRequested();
        break;
    case QEvent::Paint:
        if ((Settings().Behavior() & bbHideOnPaint) &&
            RepaintsUnderBalloon(watched, static_cast<QPaintEvent*>(event)->rect())) {
            emit CancelHintRequested();
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
void BalloonToolTipWindow::NoteMouseMove(const QPoint& globalPos) {
    if (globalPos == lastMousePos_) {
        return;
    }
    lastMousePos_ = globalPos;
    if (!firstMouseMoveSeen_) {
        firstMouseMoveSeen_ = true;
        return;
    }
    emit CancelHintRequested();
}

bool BalloonToolTipWindow::RepaintsUnderBalloon(QObject* watched, const QRect& updated) const {
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() == this || !isVisible()) {
        return false;
    }
    const QRect onScreen(widget->mapToGlobal(updated.topLeft()), updated.size());
    return onScreen.intersects(geometry());
}

bool BalloonToolTipWindow::MouseButtonIsDown() {
    return (QGuiApplication::mouseButtons() &
            (Qt::LeftButton | Qt::RightButton | Qt::MiddleButton)) != Qt::NoButton;
}

// Desktop styles frame their own tips in the tip's text colour.
QColor BalloonToolTipWindow::SystemFrameColor() {
    return QToolTip::palette().color(QPalette::ToolTipText);
}

// Empty where the platform cannot read the screen (Wayland, or an area no
// window of ours covers on the offscreen platform). Parts of `area` off the
// screen stay transparent.
QPixmap BalloonToolTipWindow::GrabScreenBehind(const QRect& area) {
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
