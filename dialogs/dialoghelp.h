// SPDX-License-Identifier: MIT
#pragma once

#include "core/helptopic.h"

#include <functional>

class QWidget;

namespace nomix {

class HelpViewer;

// The dialogs reach the help file only through these two calls, so where the
// help goes is decided in one place: the main window's help viewer, or a
// test that records the requests.
enum class HelpCommand {
    Topic, // a topic in the help viewer window
    Popup, // the context-help popup of a control
};

void openHelpTopic(QWidget* owner, HelpTopic topic);
void openHelpPopup(QWidget* owner, int topic);

// F1 in `dialog` opens the help context of the focused control, as its
// "What's this?" menu gives it, or `windowTopic` (see HelpKey).
void addHelpKey(QWidget* dialog, HelpTopic windowTopic);

// Sends both calls to `viewer` (owned by the caller, which must call this
// again with nullptr before destroying it). Until then the dialogs use a
// viewer of their own on the help file beside the program.
void useHelpViewer(HelpViewer* viewer);

// For tests: replaces the destination of both calls; an empty handler
// restores the viewer.
using HelpHandler = std::function<void(QWidget* owner, HelpCommand command, int topic)>;
void setDialogHelpHandler(HelpHandler handler);

} // namespace nomix
