// SPDX-License-Identifier: MIT
#pragma once

#include "core/helptopic.h"
#include <QObject>
#include <QPoint>
#include <QPointer>

#include <memory>

class QMenu;
class QWidget;

namespace nomix {

class HelpViewer;

// The main window's help: the help viewer with its contents and popups, the
// "What's this?" menu that a right click on any control with a help topic
// opens, and F1, which opens the focused control's topic in the viewer.
class ControlHelp : public QObject {
    Q_OBJECT

  public:
    ControlHelp(const QString& helpFile, QWidget* window);
    ~ControlHelp() override;

    // Offers "What's this?" on every control of `window` that has a topic,
    // except the ones in `excluded`.
    void attachControls(QWidget* window, const QWidget* excluded);
    // While disabled (a search runs), right clicks open no menu and F1 does
    // nothing.
    void setEnabled(bool enabled);

    void showContents();
    // F1 in another window of the program opens its control's topic, or
    // `windowTopic`, in the same viewer.
    void addWindow(QWidget* window, HelpTopic windowTopic);
    void showPopup(HelpTopic topic, const QPoint& globalPosition);
    // Closes the viewer window, when the program ends.
    void quit();

  private:
    void openMenu(QWidget* control, const QPoint& globalPosition);
    void showControlTopic();

    std::unique_ptr<HelpViewer> m_viewer;
    QMenu* m_menu;
    QPointer<QWidget> m_control;
    QPoint m_position;
    bool m_enabled = true;
};

} // namespace nomix
