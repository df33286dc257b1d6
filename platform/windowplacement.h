// SPDX-License-Identifier: MIT
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace nomix {

// Places `window` centred over `mainWindow` (its frame) on the main window's
// screen's available geometry. Every dialog is placed this way.
void centerOnMainWindow(QWidget* window, const QWidget* mainWindow);

// Shows `window` centred on its screen and waits (two seconds at most) until
// the window manager has mapped it, so that boxes shown right after it are
// centred on where it really is, not on the screen's origin.
void showCentredOnScreen(QWidget* window);

// Moves a shown window, frame and all, as little as it takes to lie on its
// screen's available geometry; where it is larger, its title bar stays on
// the screen.
void keepOnScreen(QWidget* window);

} // namespace nomix
