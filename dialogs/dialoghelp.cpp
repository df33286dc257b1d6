#include "dialoghelp.h"

#include "platform/helpviewer.h"
#include "platform/programdata.h"

namespace nomix {

namespace {

HelpViewer*& SharedViewer() {
    static HelpViewer* viewer = nullptr;
    return viewer;
}

// Only for a run in which nobody handed a viewer over (a dialog shown on its
// own); made on first use, so a run that never asks for help pays nothing.
// Never deleted: the application deletes the viewer's window with its other
// top-level windows, and deleting the viewer after that would do it twice.
HelpViewer& OwnViewer() {
    static HelpViewer* viewer = new HelpViewer(
        programDataPath(QStringLiteral("help/") + QLatin1String(HelpViewer::kFileName)));
    return *viewer;
}

HelpViewer& CurrentViewer() {
    return SharedViewer() ? *SharedViewer() : OwnViewer();
}

HelpHandler& TestHandler() {
    static HelpHandler handler;
    return handler;
}

void Dispatch(QWidget* owner, HelpCommand command, int topic) {
    if (TestHandler()) {
        TestHandler()(owner, command, topic);
    } else if (command == HelpCommand::Topic) {
        CurrentViewer().showTopic(topic);
    } else {
        CurrentViewer().showPopup(topic);
    }
}

} // namespace

void OpenHelpTopic(QWidget* owner, int topic) {
    Dispatch(owner, HelpCommand::Topic, topic);
}

void OpenHelpPopup(QWidget* owner, int topic) {
    Dispatch(owner, HelpCommand::Popup, topic);
}

void UseHelpViewer(HelpViewer* viewer) {
    SharedViewer() = viewer;
}

void SetDialogHelpHandler(HelpHandler handler) {
    TestHandler() = std::move(handler);
}

} // namespace nomix
