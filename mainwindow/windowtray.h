// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

class QWidget;

namespace nomix {

class Settings;
class TrayIcon;

// Keeps the main window in the notification area while it is minimised,
// when the user asked for that: the window leaves the task bar and an icon
// appears; a click on the icon, or its menu's Restore, brings the window
// back. The menu's Terminate closes the window.
class WindowTray : public QObject {
    Q_OBJECT

  public:
    WindowTray(QWidget* window, const QString& toolTip, const Settings* settings);

    // The window was minimised.
    void windowMinimized();
    void restoreWindow();

  private:
    QWidget* m_window;
    const Settings* m_settings;
    TrayIcon* m_icon;
};

} // namespace nomix
