// SPDX-License-Identifier: MIT
#include "contexthelpmenu.h"

#include "dialoghelp.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

ContextHelpMenu::ContextHelpMenu(QWidget* window) : QObject(window), m_menu(new QMenu(window)) {
    m_menu->setObjectName(QStringLiteral("contextHelpMenu"));
    QAction* whatsThis = m_menu->addAction(tr("What's this?"));
    whatsThis->setObjectName(QStringLiteral("contextHelpAction"));
    connect(whatsThis, &QAction::triggered, this, &ContextHelpMenu::showSubjectHelp);
}

void ContextHelpMenu::attach(QWidget* control, nomix::HelpTopic topic) {
    control->setProperty(kHelpContextProperty, nomix::topicNumber(topic));
    control->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(control, &QWidget::customContextMenuRequested, this,
            [this, control](const QPoint& position) { popupFor(control, position); });
}

void ContextHelpMenu::popupFor(QWidget* control, const QPoint& position) {
    m_subject = control;
    m_menu->popup(control->mapToGlobal(position));
}

void ContextHelpMenu::showSubjectHelp() {
    if (!m_subject) {
        return;
    }
    nomix::openHelpPopup(m_subject->window(), m_subject->property(kHelpContextProperty).toInt());
}
