// SPDX-License-Identifier: MIT
#pragma once

#include <QPoint>
#include <QString>
#include <Qt>

#include <functional>

class QMenu;
class QWidget;

// Input as a person gives it: keys go to the focus widget, menus open through
// their accelerators or a real context-menu event, clicks land on a position.
// Tests that press keys on a member widget pass where the program fails.
namespace userinput {

// The widget a real key press reaches: the focus widget, else the active window.
QWidget* focusTarget();
void pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void typeText(const QString& text);
// A left click at `position` in `widget`, at its centre by default.
void clickAt(QWidget* widget, QPoint position = QPoint(-1, -1));
// A right click's context-menu event at `position` in `widget`.
void openContextMenu(QWidget* widget, QPoint position);
// Presses `accelerator` in the open popup menu.
void chooseInPopup(Qt::Key accelerator);
// Runs `answer` on the next modal window once it is up, from the event loop.
void whenModalShows(std::function<void(QWidget* modal)> answer);

} // namespace userinput
