// SPDX-License-Identifier: MIT
#include "staynormalfilter.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace nomix {

void StayNormalFilter::install(QWidget* window) {
    window->installEventFilter(new StayNormalFilter(window));
}

StayNormalFilter::StayNormalFilter(QWidget* window) : QObject(window) {}

bool StayNormalFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::WindowStateChange && watched->isWidgetType()) {
        restoreNormalState(static_cast<QWidget*>(watched));
    }
    return false;
}

void restoreNormalState(QWidget* window) {
    if (!(window->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))) {
        return;
    }
    // Changing the state inside the notification of the change is not seen
    // by every window manager; the next turn of the event loop is.
    QTimer::singleShot(0, window, [window] {
        window->setWindowState(window->windowState() &
                               ~(Qt::WindowMinimized | Qt::WindowMaximized));
        if (window->isVisible()) {
            window->show();
        }
    });
}

} // namespace nomix
