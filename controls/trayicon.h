// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>

class QWidget;

namespace nomix {

class ClickSorter;

// The program's icon in the desktop's notification area while its window is
// tucked away: a tool tip, a click to bring the window back, a menu on the
// right button, and the window's task-bar entry hidden meanwhile. Owned by
// the window it stands for.
//
// Cost: one tray icon object and one idle timer; the desktop is only told
// about the icon while it is visible.
class TrayIcon : public QObject {
    Q_OBJECT

  public:
    // The tool tip holds at most this many characters of toolTip().
    static constexpr int kMaxTipLength = 63;

    // `owner` must be a top-level window; anything else throws
    // TrayIconError.
    explicit TrayIcon(QWidget* owner);
    ~TrayIcon() override;

    // Empty by default, which shows the stock icon.
    QIcon icon() const { return m_icon; }
    void setIcon(const QIcon& icon);

    // While true the owner window has no task-bar entry (it is hidden).
    bool isTaskHidden() const { return m_taskHidden; }
    void setTaskHidden(bool hidden);

    QString toolTip() const { return m_toolTip; }
    void setToolTip(const QString& toolTip);

    bool isVisible() const { return m_visible; }
    void setVisible(bool visible);

    // Not owned; forgotten when the menu is destroyed.
    QMenu* contextMenu() const { return m_contextMenu; }
    void setContextMenu(QMenu* menu);

  signals:
    void clicked();
    void doubleClicked();

  private:
    // What the notification area reports about the mouse on the icon.
    void handleActivation(QSystemTrayIcon::ActivationReason reason);
    // What the desktop shows: icon(), or the stock icon when that is empty.
    QIcon effectiveIcon() const;
    // What the tool tip shows: toolTip() up to a NUL, cut to kMaxTipLength.
    QString tipText() const;
    void initDefaultIcon();
    void showContextMenu();

    QWidget* m_owner;
    QSystemTrayIcon* m_trayIcon;
    ClickSorter* m_clickSorter;
    QIcon m_defaultIcon;
    QIcon m_icon;
    QString m_toolTip;
    QPointer<QMenu> m_contextMenu;
    bool m_taskHidden = false;
    QPoint m_positionBeforeHiding;
    bool m_visible = false;
};

} // namespace nomix
