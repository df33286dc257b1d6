#include "tclicksorter.h"

#include <QGuiApplication>
#include <QStyleHints>
#include <QTimer>

namespace nomix {

TClickSorter::TClickSorter(QObject* parent) : QObject(parent), clickTimer_(new QTimer(this)) {
    clickTimer_->setObjectName(QStringLiteral("ClickTimer"));
    clickTimer_->setSingleShot(true);
    clickTimer_->setInterval(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    connect(clickTimer_, &QTimer::timeout, this, &TClickSorter::ClickTimerFired);
}

int TClickSorter::Interval() const {
    return clickTimer_->interval();
}

void TClickSorter::SetInterval(int milliseconds) {
    clickTimer_->setInterval(milliseconds);
}

bool TClickSorter::Pending() const {
    return clickTimer_->isActive();
}

// A press while one is pending (the second half of a double click, or a
// third click) must not restart the wait, or the decision would slide on.
void TClickSorter::ButtonDown() {
    if (!clickTimer_->isActive()) {
        clickTimer_->start();
    }
}

// Only a pending press can be swallowed. A double click that comes after the
// wait has run out (a busy program) must not leave the mark behind, or it
// would swallow the next genuine single click.
void TClickSorter::DoubleClick() {
    if (clickTimer_->isActive()) {
        doubleClickSeen_ = true;
    }
    emit DoubleClicked();
}

void TClickSorter::ClickTimerFired() {
    const bool wasDoubleClick = doubleClickSeen_;
    doubleClickSeen_ = false;
    if (!wasDoubleClick) {
        emit Clicked();
    }
}

} // namespace nomix
