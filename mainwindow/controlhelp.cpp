// SPDX-License-Identifier: MIT
#include "controlhelp.h"

#include "widgethelp.h"

#include "dialogs/dialoghelp.h"
#include "dialogs/helpkey.h"
#include "platform/helpviewer.h"

#include <QMenu>
#include <QWidget>

namespace nomix {

ControlHelp::ControlHelp(const QString& helpFile, QWidget* window)
    : QObject(window), m_viewer(std::make_unique<HelpViewer>(helpFile, window)),
      m_menu(new QMenu(window)) {
    setObjectName(QStringLiteral("controlHelp"));
    useHelpViewer(m_viewer.get());
    m_menu->setObjectName(QStringLiteral("controlHelpMenu"));
    m_menu->addAction(tr("What's this?"), this, &ControlHelp::showControlTopic)
        ->setObjectName(QStringLiteral("whatsThisAction"));
    addWindow(window, HelpTopic::Contents);
}

void ControlHelp::addWindow(QWidget* window, HelpTopic windowTopic) {
    auto* key = new HelpKey(window, windowTopic, [](const QWidget* control) {
        return hasHelpTopic(control) ? helpTopic(control) : 0;
    });
    connect(key, &HelpKey::topicRequested, this, [this](int topic) {
        if (m_enabled) {
            m_viewer->showTopic(topic);
        }
    });
}

ControlHelp::~ControlHelp() {
    useHelpViewer(nullptr);
    m_viewer->quit();
}

void ControlHelp::attachControls(QWidget* window, const QWidget* excluded) {
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (control != excluded && hasHelpTopic(control)) {
            connect(control, &QWidget::customContextMenuRequested, this,
                    [this, control](const QPoint& pos) {
                        openMenu(control, control->mapToGlobal(pos));
                    });
        }
    }
}

void ControlHelp::setEnabled(bool enabled) {
    m_enabled = enabled;
}

void ControlHelp::showContents() {
    m_viewer->showTopic(topicNumber(HelpTopic::Contents));
}

void ControlHelp::showPopup(HelpTopic topic, const QPoint& globalPosition) {
    m_viewer->showPopup(topicNumber(topic), globalPosition);
}

void ControlHelp::quit() {
    m_viewer->quit();
}

void ControlHelp::openMenu(QWidget* control, const QPoint& globalPosition) {
    if (!m_enabled) {
        return;
    }
    m_control = control;
    m_position = globalPosition;
    m_menu->popup(globalPosition);
}

void ControlHelp::showControlTopic() {
    if (!m_control) {
        return;
    }
    m_viewer->showPopup(helpTopic(m_control), m_position);
}

} // namespace nomix
