// SPDX-License-Identifier: MIT
#include "dialoghelp.h"

#include "contexthelpmenu.h"
#include "helpkey.h"
#include "platform/helpviewer.h"
#include "platform/programdata.h"

#include <QWidget>

namespace nomix {

namespace {

HelpViewer*& sharedViewer() {
    static HelpViewer* viewer = nullptr;
    return viewer;
}

// Only for a run in which nobody handed a viewer over (a dialog shown on its
// own); made on first use, so a run that never asks for help pays nothing.
// Never deleted: the application deletes the viewer's window with its other
// top-level windows, and deleting the viewer after that would do it twice.
HelpViewer& ownViewer() {
    static HelpViewer* viewer = new HelpViewer(
        programDataPath(QStringLiteral("help/") + QLatin1String(HelpViewer::kFileName)));
    return *viewer;
}

HelpViewer& currentViewer() {
    return sharedViewer() ? *sharedViewer() : ownViewer();
}

HelpHandler& testHandler() {
    static HelpHandler handler;
    return handler;
}

void dispatch(QWidget* owner, HelpCommand command, int topic) {
    if (testHandler()) {
        testHandler()(owner, command, topic);
    } else if (command == HelpCommand::Topic) {
        currentViewer().showTopic(topic);
    } else {
        currentViewer().showPopup(topic);
    }
}

} // namespace

void openHelpTopic(QWidget* owner, HelpTopic topic) {
    dispatch(owner, HelpCommand::Topic, topicNumber(topic));
}

void openHelpPopup(QWidget* owner, int topic) {
    dispatch(owner, HelpCommand::Popup, topic);
}

void addHelpKey(QWidget* dialog, HelpTopic windowTopic) {
    auto* key = new HelpKey(dialog, windowTopic, [](const QWidget* control) {
        return control->property(ContextHelpMenu::kHelpContextProperty).toInt();
    });
    QObject::connect(key, &HelpKey::topicRequested, dialog,
                     [dialog](int topic) { dispatch(dialog, HelpCommand::Topic, topic); });
}

void useHelpViewer(HelpViewer* viewer) {
    sharedViewer() = viewer;
}

void setDialogHelpHandler(HelpHandler handler) {
    testHandler() = std::move(handler);
}

} // namespace nomix
