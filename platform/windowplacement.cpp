// SPDX-License-Identifier: MIT
#include "windowplacement.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QThread>
#include <QWidget>
#include <QWindow>

namespace nomix {

namespace {

// Where a window of `size` goes when centred over `main` and kept inside the
// screen's work area (halves rounded toward zero, left/top edges win).
QPoint centeredPosition(const QRect& main, const QSize& size, const QRect& workArea) {
    int left = main.left() + (main.width() - size.width()) / 2;
    int top = main.top() + (main.height() - size.height()) / 2;
    if (left < workArea.left()) {
        left = workArea.left();
    } else if (left + size.width() > workArea.left() + workArea.width()) {
        left = workArea.left() + workArea.width() - size.width();
    }
    if (top < workArea.top()) {
        top = workArea.top();
    } else if (top + size.height() > workArea.top() + workArea.height()) {
        top = workArea.top() + workArea.height() - size.height();
    }
    return {left, top};
}

} // namespace

void centerOnMainWindow(QWidget* window, const QWidget* mainWindow) {
    if (!window || !mainWindow) {
        return;
    }
    const QScreen* screen = mainWindow->screen();
    const QRect workArea = screen ? screen->availableGeometry() : QRect(0, 0, 1 << 20, 1 << 20);
    window->adjustSize();
    window->move(centeredPosition(mainWindow->frameGeometry(), window->frameSize(), workArea));
}

void showCentredOnScreen(QWidget* window) {
    const QScreen* screen = window->screen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        window->move(centeredPosition(area, window->frameSize(), area));
    }
    window->show();
    window->repaint();
    constexpr int kWaitMs = 2000;
    constexpr int kSliceMs = 10;
    QElapsedTimer waited;
    waited.start();
    while (!(window->windowHandle() && window->windowHandle()->isExposed()) &&
           waited.elapsed() < kWaitMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, kSliceMs);
        QThread::msleep(5);
    }
    // The frame the window manager added may push the title bar or the
    // bottom edge off the screen.
    keepOnScreen(window);
}

void keepOnScreen(QWidget* window) {
    const QScreen* screen = window->screen();
    if (!screen || screen->availableGeometry().contains(window->frameGeometry())) {
        return;
    }
    const QRect area = screen->availableGeometry();
    const QRect frame = window->frameGeometry();
    window->move(centeredPosition(frame, frame.size(), area));
}

} // namespace nomix
