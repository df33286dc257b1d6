// SPDX-License-Identifier: MIT
#pragma once

#include "core/helptopic.h"
#include <QString>

class QWidget;

namespace nomix {

// A hint "short|long" shows its short part as the tool tip and its long
// part on the status bar; a hint without '|' shows whole in both.
void setHint(QWidget* widget, const QString& hint, bool toolTip = true);

// The help topic a right click on the widget offers ("What's this?"). The
// main window connects every widget that has one to its help menu.
void setHelpTopic(QWidget* widget, HelpTopic topic);
int helpTopic(const QWidget* widget);
bool hasHelpTopic(const QWidget* widget);

} // namespace nomix
