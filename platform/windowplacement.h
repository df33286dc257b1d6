#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace nomix {

// Places `window` centred over `mainWindow` (its frame) on the main window's
// screen's available geometry. Every dialog is placed this way.
void centerOnMainWindow(QWidget* window, const QWidget* mainWindow);

} // namespace nomix
