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
// about the icon while IconVisible is true.
class TrayIcon : public QObject {
    Q_OBJECT

  public:
    // The tool tip holds at most this many characters of Hint.
    static constexpr int MaxTipLength = 63;

    // `owner` must be a top-level window; anything else throws
    // TrayIconError.
    explicit TrayIcon(QWidget* owner);
    ~TrayIcon() override;

    // Empty by default, which shows the stock icon.
    QIcon Icon() const { return icon_; }
    void SetIcon(const QIcon& icon);

    // While true the owner window has no task-bar entry (it is hidden).
    bool HideTask() const { return hideTask_; }
    void SetHideTask(bool hide);

    QString Hint() const { return hint_; }
    void SetHint(const QString& hint);

    bool IconVisible() const { return iconVisible_; }
    void SetIconVisible(bool visible);

    // Not owned; forgotten when the menu is destroyed.
    QMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(QMenu* menu);

    // Tells this icon apart from the program's others; 0 for the first.
    quint32 IconId() const { return iconId_; }

    // What the desktop shows: Icon, or the stock icon when Icon is empty.
    QIcon EffectiveIcon() const;
    // What the tool tip shows: Hint up to a NUL, cut to MaxTipLength.
    QString TipText() const;

  public slots:
    // What the notification area reports about the mouse on the icon;
    // public so the program's tests can act as the user.
    void TrayActivated(QSystemTrayIcon::ActivationReason reason);

  signals:
    void OnClick();
    void OnDblClick();

  private:
    void InitDefaultIcon();
    void ShowPopupMenu();

    QWidget* owner_;
    QSystemTrayIcon* trayIcon_;
    ClickSorter* clickSorter_;
    QIcon defaultIcon_;
    QIcon icon_;
    QString hint_;
    QPointer<QMenu> popupMenu_;
    quint32 iconId_;
    bool hideTask_ = false;
    QPoint positionBeforeHiding_;
    bool iconVisible_ = false;
};

} // namespace nomix
