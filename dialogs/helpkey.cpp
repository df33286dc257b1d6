// SPDX-License-Identifier: MIT
#include "helpkey.h"

#include <QApplication>
#include <QLabel>
#include <QShortcut>

namespace nomix {

HelpKey::HelpKey(QWidget* window, HelpTopic windowTopic, TopicOf topicOf)
    : QObject(window), m_window(window), m_windowTopic(topicNumber(windowTopic)),
      m_topicOf(std::move(topicOf)) {
    setObjectName(QStringLiteral("helpKey"));
    auto* shortcut = new QShortcut(QKeySequence(Qt::Key_F1), window);
    shortcut->setObjectName(QStringLiteral("helpKeyShortcut"));
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, [this] { emit topicRequested(focusedTopic()); });
}

int HelpKey::focusedTopic() const {
    const QWidget* focus = QApplication::focusWidget();
    if (!focus || focus->window() != m_window) {
        return m_windowTopic;
    }
    for (const QWidget* control = focus; control && control != m_window;
         control = control->parentWidget()) {
        if (const int topic = m_topicOf(control)) {
            return topic;
        }
        if (const int topic = labelTopic(control)) {
            return topic;
        }
    }
    return m_windowTopic;
}

int HelpKey::labelTopic(const QWidget* control) const {
    for (const QLabel* label : m_window->findChildren<QLabel*>()) {
        if (label->buddy() == control) {
            if (const int topic = m_topicOf(label)) {
                return topic;
            }
        }
    }
    return 0;
}

} // namespace nomix
