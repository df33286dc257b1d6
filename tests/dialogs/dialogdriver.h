// SPDX-License-Identifier: MIT
#pragma once

// Drives the dialogs as a user does: modal dialogs from a timer that finds
// them with QApplication::activeModalWidget(), local menus through a real
// context-menu event, help requests caught before they reach the viewer.

#include "dialogs/dialoghelp.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <functional>

namespace dialogtest {

struct ModalOutcome {
    bool appeared = false;
    bool closedByAction = false;
};

// Runs `action` on the modal dialog once its exec() loop runs. A dialog the
// action left open is rejected, so a test fails instead of hanging.
inline void whenModalShown(ModalOutcome* outcome, std::function<void(QDialog*)> action) {
    QTimer::singleShot(0, [outcome, action = std::move(action)] {
        QPointer<QDialog> dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            return;
        }
        outcome->appeared = true;
        action(dialog);
        outcome->closedByAction = !dialog || !dialog->isVisible();
        if (dialog && dialog->isVisible()) {
            dialog->reject();
        }
    });
}

// Right-clicks `target` and returns the local menu that opened.
inline QMenu* openLocalMenu(QWidget* target, QPoint position = QPoint(4, 4)) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, position, target->mapToGlobal(position));
    QApplication::sendEvent(target, &event);
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

inline void clickMenuItem(QMenu* menu, QAction* item) {
    QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(item).center());
}

// The help requests of the dialogs while it lives, as "topic N" or "popup N".
class HelpRecorder {
  public:
    HelpRecorder() {
        nomix::setDialogHelpHandler([this](QWidget*, nomix::HelpCommand command, int topic) {
            const char* kind = command == nomix::HelpCommand::Topic ? "topic" : "popup";
            requests.append(QStringLiteral("%1 %2").arg(QLatin1String(kind)).arg(topic));
        });
    }
    ~HelpRecorder() { nomix::setDialogHelpHandler({}); }
    HelpRecorder(const HelpRecorder&) = delete;
    HelpRecorder& operator=(const HelpRecorder&) = delete;

    QStringList requests;
};

} // namespace dialogtest
