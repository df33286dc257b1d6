#include "trayicon.h"

#include "trayiconerror.h"
#include "clicksorter.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QStyle>
#include <QWidget>

namespace nomix {

namespace {

quint32 nextIconId = 0;

QWidget* checkedOwner(QWidget* owner) {
    if (!owner || !owner->isWindow()) {
        throw TrayIconError("Owner must be a TForm");
    }
    return owner;
}

} // namespace

TrayIcon::TrayIcon(QWidget* owner)
    : QObject(checkedOwner(owner)), owner_(owner), trayIcon_(new QSystemTrayIcon(this)),
      clickSorter_(new ClickSorter(this)), iconId_(nextIconId++) {
    trayIcon_->setObjectName(QStringLiteral("TrayIcon"));
    clickSorter_->setObjectName(QStringLiteral("ClickSorter"));
    InitDefaultIcon();
    trayIcon_->setIcon(EffectiveIcon());
    connect(trayIcon_, &QSystemTrayIcon::activated, this, &TrayIcon::TrayActivated);
    connect(clickSorter_, &ClickSorter::Clicked, this, &TrayIcon::OnClick);
    connect(clickSorter_, &ClickSorter::DoubleClicked, this, &TrayIcon::OnDblClick);
}

// An icon left in the notification area would outlive the program there.
TrayIcon::~TrayIcon() {
    SetIconVisible(false);
}

void TrayIcon::SetIcon(const QIcon& icon) {
    icon_ = icon;
    trayIcon_->setIcon(EffectiveIcon());
}

// The task-bar entry belongs to the window itself on this desktop, so the
// window is hidden; showing it again keeps its minimised or normal state
// for the caller to restore.
void TrayIcon::SetHideTask(bool hide) {
    if (hide == hideTask_) {
        return;
    }
    hideTask_ = hide;
    if (hide) {
        positionBeforeHiding_ = owner_->pos();
        owner_->hide();
    } else {
        // A window mapped again is placed anew by the window manager unless
        // the program names its position: bring it back where the user left it.
        owner_->move(positionBeforeHiding_);
        owner_->show();
    }
}

void TrayIcon::SetHint(const QString& hint) {
    if (hint == hint_) {
        return;
    }
    hint_ = hint;
    trayIcon_->setToolTip(TipText());
}

void TrayIcon::SetIconVisible(bool visible) {
    if (visible == iconVisible_) {
        return;
    }
    iconVisible_ = visible;
    trayIcon_->setVisible(visible);
}

void TrayIcon::SetPopupMenu(QMenu* menu) {
    popupMenu_ = menu;
}

QIcon TrayIcon::EffectiveIcon() const {
    return icon_.isNull() ? defaultIcon_ : icon_;
}

// A character outside the basic plane takes two code units; cutting between
// them would leave half a character for the desktop to choke on.
QString TrayIcon::TipText() const {
    const qsizetype nul = hint_.indexOf(QChar(0));
    QString tip = hint_.left(nul < 0 ? hint_.size() : nul);
    if (tip.size() > MaxTipLength) {
        const bool splitsPair = tip.at(MaxTipLength - 1).isHighSurrogate();
        tip.truncate(splitsPair ? MaxTipLength - 1 : MaxTipLength);
    }
    return tip;
}

void TrayIcon::TrayActivated(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        clickSorter_->ButtonDown();
        break;
    case QSystemTrayIcon::DoubleClick:
        clickSorter_->DoubleClick();
        break;
    case QSystemTrayIcon::Context:
        ShowPopupMenu();
        break;
    default:
        break;
    }
}

// The toolkit's own logo, as the desktop's stock logo stood in before.
void TrayIcon::InitDefaultIcon() {
    defaultIcon_ = QApplication::style()->standardIcon(QStyle::SP_TitleBarMenuButton);
    if (defaultIcon_.isNull()) {
        defaultIcon_ = QApplication::style()->standardIcon(QStyle::SP_ComputerIcon);
    }
}

// The owner comes forward first so that the menu closes, as menus do, when
// the user clicks elsewhere.
void TrayIcon::ShowPopupMenu() {
    owner_->activateWindow();
    if (popupMenu_) {
        popupMenu_->popup(QCursor::pos());
    }
}

} // namespace nomix
