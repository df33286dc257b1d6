// SPDX-License-Identifier: MIT
#pragma once

#include "core/helptopic.h"

#include <QObject>
#include <QPointer>

class QAction;
class QMenu;
class QPoint;
class QWidget;

// The one-item local menu "What's this?" that buttons and check boxes carry:
// a right click on a control opens it, and its item shows the context-help
// popup of that control's help context. One menu serves every control of a
// window, so a window pays for a single QMenu however many controls it has.
class ContextHelpMenu : public QObject {
    Q_OBJECT

  public:
    // The name of the dynamic property that holds a control's help context.
    static constexpr const char* kHelpContextProperty = "HelpContext";

    explicit ContextHelpMenu(QWidget* window);

    // Gives `control` the local menu and the help context `helpContext`.
    void attach(QWidget* control, nomix::HelpTopic topic);

  private:
    void popupFor(QWidget* control, const QPoint& position);
    void showSubjectHelp();

    QMenu* m_menu;
    QPointer<QWidget> m_subject;
};
