// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

class QTimer;

namespace nomix {

// Tells a single left click on the tray icon from the first half of a double
// click. The notification area reports the button going down at once and a
// double click later, so a click can only be reported once the double-click
// time has passed without a double click: a single click therefore arrives
// one double-click time late, and a double click never brings a click along.
//
// Cost: one idle timer; nothing runs between clicks.
class ClickSorter : public QObject {
    Q_OBJECT

  public:
    explicit ClickSorter(QObject* parent = nullptr);

    // The wait after a button press; the desktop's double-click time unless
    // set otherwise.
    int interval() const;
    void setInterval(int milliseconds);

    // True while a press waits to be told click or double click.
    bool isPending() const;

    // The left button went down on the icon.
    void notePress();
    // The left button was double-clicked on the icon.
    void noteDoubleClick();

  signals:
    void clicked();
    void doubleClicked();

  private:
    void settleClick();

    QTimer* m_clickTimer;
    bool m_doubleClickSeen = false;
};

} // namespace nomix
