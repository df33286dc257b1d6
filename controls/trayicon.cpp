// SPDX-License-Identifier: MIT
#include "trayicon.h"

#include "clicksorter.h"
#include "trayiconerror.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QStyle>
#include <QWidget>

namespace nomix {

namespace {

QWidget* checkedOwner(QWidget* owner) {
    if (!owner || !owner->isWindow()) {
        throw TrayIconError("Owner must be a TForm");
    }
    return owner;
}

} // namespace

TrayIcon::TrayIcon(QWidget* owner)
    : QObject(checkedOwner(owner)), m_owner(owner), m_trayIcon(new QSystemTrayIcon(this)),
      m_clickSorter(new ClickSorter(this)) {
    m_trayIcon->setObjectName(QStringLiteral("TrayIcon"));
    m_clickSorter->setObjectName(QStringLiteral("ClickSorter"));
    initDefaultIcon();
    m_trayIcon->setIcon(effectiveIcon());
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, &TrayIcon::handleActivation);
    connect(m_clickSorter, &ClickSorter::clicked, this, &TrayIcon::clicked);
    connect(m_clickSorter, &ClickSorter::doubleClicked, this, &TrayIcon::doubleClicked);
}

// An icon left in the notification area would outlive the program there.
TrayIcon::~TrayIcon() {
    setVisible(false);
}

void TrayIcon::setIcon(const QIcon& icon) {
    m_icon = icon;
    m_trayIcon->setIcon(effectiveIcon());
}

// The task-bar entry belongs to the window itself on this desktop, so the
// window is hidden; showing it again keeps its minimised or normal state
// for the caller to restore.
void TrayIcon::setTaskHidden(bool hidden) {
    if (hidden == m_taskHidden) {
        return;
    }
    m_taskHidden = hidden;
    if (hidden) {
        m_positionBeforeHiding = m_owner->pos();
        m_owner->hide();
    } else {
        // A window mapped again is placed anew by the window manager unless
        // the program names its position: bring it back where the user left it.
        m_owner->move(m_positionBeforeHiding);
        m_owner->show();
    }
}

void TrayIcon::setToolTip(const QString& toolTip) {
    if (toolTip == m_toolTip) {
        return;
    }
    m_toolTip = toolTip;
    m_trayIcon->setToolTip(tipText());
}

void TrayIcon::setVisible(bool visible) {
    if (visible == m_visible) {
        return;
    }
    m_visible = visible;
    m_trayIcon->setVisible(visible);
}

void TrayIcon::setContextMenu(QMenu* menu) {
    m_contextMenu = menu;
}

QIcon TrayIcon::effectiveIcon() const {
    return m_icon.isNull() ? m_defaultIcon : m_icon;
}

// A character outside the basic plane takes two code units; cutting between
// them would leave half a character for the desktop to choke on.
QString TrayIcon::tipText() const {
    const qsizetype nul = m_toolTip.indexOf(QChar(0));
    QString tip = m_toolTip.left(nul < 0 ? m_toolTip.size() : nul);
    if (tip.size() > kMaxTipLength) {
        const bool splitsPair = tip.at(kMaxTipLength - 1).isHighSurrogate();
        tip.truncate(splitsPair ? kMaxTipLength - 1 : kMaxTipLength);
    }
    return tip;
}

void TrayIcon::handleActivation(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        m_clickSorter->notePress();
        break;
    case QSystemTrayIcon::DoubleClick:
        m_clickSorter->noteDoubleClick();
        break;
    case QSystemTrayIcon::Context:
        showContextMenu();
        break;
    default:
        break;
    }
}

// The toolkit's own logo, as the desktop's stock logo stood in before.
void TrayIcon::initDefaultIcon() {
    m_defaultIcon = QApplication::style()->standardIcon(QStyle::SP_TitleBarMenuButton);
    if (m_defaultIcon.isNull()) {
        m_defaultIcon = QApplication::style()->standardIcon(QStyle::SP_ComputerIcon);
    }
}

// The owner comes forward first so that the menu closes, as menus do, when
// the user clicks elsewhere.
void TrayIcon::showContextMenu() {
    m_owner->activateWindow();
    if (m_contextMenu) {
        m_contextMenu->popup(QCursor::pos());
    }
}

} // namespace nomix
