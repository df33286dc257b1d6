// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

class QWidget;

namespace nomix {

// Keeps a window in its normal state. Windows such as the options dialog and
// the save progress window ask for a title bar without minimise and maximise
// buttons, which most window managers honour; some (openbox) still draw the
// buttons, and minimising a modal dialog there iconifies the whole program.
// The filter undoes such a change as soon as the window reports it.
class StayNormalFilter : public QObject {
    Q_OBJECT

  public:
    // Installs itself on `window` and lives as long as the window does.
    static void install(QWidget* window);

    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    explicit StayNormalFilter(QWidget* window);
};

// Brings a minimised or maximised window back to its normal state.
void restoreNormalState(QWidget* window);

} // namespace nomix
