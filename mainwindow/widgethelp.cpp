// SPDX-License-Identifier: MIT
#include "widgethelp.h"

#include <QVariant>
#include <QWidget>

namespace nomix {

namespace {
const char* const kTopicProperty = "helpTopic";
} // namespace

void setHint(QWidget* widget, const QString& hint, bool toolTip) {
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    const QString shortHint = bar < 0 ? hint : hint.left(bar);
    const QString longHint = bar < 0 ? hint : hint.mid(bar + 1);
    if (toolTip) {
        widget->setToolTip(shortHint);
    }
    widget->setStatusTip(longHint);
}

void setHelpTopic(QWidget* widget, HelpTopic topic) {
    widget->setProperty(kTopicProperty, topicNumber(topic));
    widget->setContextMenuPolicy(Qt::CustomContextMenu);
}

int helpTopic(const QWidget* widget) {
    return widget->property(kTopicProperty).toInt();
}

bool hasHelpTopic(const QWidget* widget) {
    return widget->property(kTopicProperty).isValid();
}

} // namespace nomix
