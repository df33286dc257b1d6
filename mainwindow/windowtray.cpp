// SPDX-License-Identifier: MIT
#include "windowtray.h"

#include "pictures.h"

#include "controls/trayicon.h"
#include "platform/settings.h"

#include <QMenu>
#include <QWidget>

namespace nomix {

WindowTray::WindowTray(QWidget* window, const QString& toolTip, const Settings* settings)
    : QObject(window), m_window(window), m_settings(settings), m_icon(new TrayIcon(window)) {
    setObjectName(QStringLiteral("windowTray"));
    auto* menu = new QMenu(window);
    menu->setObjectName(QStringLiteral("trayMenu"));
    menu->addAction(tr("&Restore"), this, &WindowTray::restoreWindow)
        ->setObjectName(QStringLiteral("restoreAction"));
    menu->addSeparator();
    menu->addAction(tr("&Terminate"), window, &QWidget::close)
        ->setObjectName(QStringLiteral("terminateAction"));

    m_icon->setObjectName(QStringLiteral("trayIcon"));
    m_icon->setIcon(Pictures::applicationIcon());
    m_icon->setToolTip(toolTip);
    m_icon->setContextMenu(menu);
    connect(m_icon, &TrayIcon::clicked, this, &WindowTray::restoreWindow);
}

void WindowTray::windowMinimized() {
    if (m_settings->value(Option::MinimizeToTray)) {
        m_icon->setTaskHidden(true);
        m_icon->setVisible(true);
    }
}

void WindowTray::restoreWindow() {
    m_icon->setTaskHidden(false);
    m_icon->setVisible(false);
    if (m_window->windowState() & Qt::WindowMinimized) {
        m_window->showNormal();
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

} // namespace nomix
