#include "clicksorter.h"

#include <QGuiApplication>
#include <QStyleHints>
#include <QTimer>

namespace nomix {

ClickSorter::ClickSorter(QObject* parent) : QObject(parent), clickTimer_(new QTimer(this)) {
    clickTimer_->setObjectName(QStringLiteral("ClickTimer"));
    clickTimer_->setSingleShot(true);
    clickTimer_->setInterval(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    connect(clickTimer_, &QTimer::timeout, this, &ClickSorter::ClickTimerFired);
}

int ClickSorter::Interval() const {
    return clickTimer_->interval();
}

void ClickSorter::SetInterval(int milliseconds) {
    clickTimer_->setInterval(milliseconds);
}

bool ClickSorter::Pending() const {
    return clickTimer_->isActive();
}

// A press while one is pending (the second half of a double click, or a
// third click) must not restart the wait, or the decision would slide on.
void ClickSorter::ButtonDown() {
    if (!clickTimer_->isActive()) {
        clickTimer_->start();
    }
}

// Only a pending press can be swallowed. A double click that comes after the
// wait has run out (a busy program) must not leave the mark behind, or it
// would swallow the next genuine single click.
void ClickSorter::DoubleClick() {
    if (clickTimer_->isActive()) {
        doubleClickSeen_ = true;
    }
    emit DoubleClicked();
}

void ClickSorter::ClickTimerFired() {
    const bool wasDoubleClick = doubleClickSeen_;
    doubleClickSeen_ = false;
    if (!wasDoubleClick) {
        emit Clicked();
    }
}

} // namespace nomix
