// SPDX-License-Identifier: MIT
#pragma once

#include "core/helptopic.h"
#include <QObject>

#include <functional>

class QWidget;

namespace nomix {

// F1 in a window: the help topic of the control that has the focus, the one
// its "What's this?" shows as a popup, opened in the help viewer. A control
// without a topic of its own (an edit box, a list) takes the topic of the
// label that names it, else the nearest of its parents' that has one; the
// window's own topic is the last resort, also when nothing has the focus.
class HelpKey : public QObject {
    Q_OBJECT

  public:
    // A control's topic, 0 when it has none.
    using TopicOf = std::function<int(const QWidget*)>;

    HelpKey(QWidget* window, HelpTopic windowTopic, TopicOf topicOf);

    // The topic F1 opens now.
    int focusedTopic() const;

  signals:
    // F1 was pressed; the window opens `topic` in its help viewer.
    void topicRequested(int topic);

  private:
    int labelTopic(const QWidget* control) const;

    QWidget* m_window;
    int m_windowTopic;
    TopicOf m_topicOf;
};

} // namespace nomix
