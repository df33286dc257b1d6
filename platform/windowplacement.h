#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace nomix {

// Where a window of `size` goes when centred over `main` and kept inside the
// screen's work area (halves rounded toward zero, left/top edges win).
QPoint centeredPosition(const QRect& main, const QSize& size, const QRect& workArea);

// Places `window` centred over `mainWindow` (its frame) on the main window's
// screen's available geometry. Every dialog is placed this way.
void centerOnMainWindow(QWidget* window, const QWidget* mainWindow);

} // namespace nomix
