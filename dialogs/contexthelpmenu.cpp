#include "contexthelpmenu.h"

#include "dialoghelp.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

ContextHelpMenu::ContextHelpMenu(QWidget* window)
    : QObject(window), HelpPopup(new QMenu(window)),
      Whatsthis(new QAction(QStringLiteral("What's this?"), HelpPopup)) {
    HelpPopup->setObjectName(QStringLiteral("HelpPopup"));
    Whatsthis->setObjectName(QStringLiteral("Whatsthis"));
    HelpPopup->addAction(Whatsthis);
    connect(Whatsthis, &QAction::triggered, this, &ContextHelpMenu::WhatsthisClick);
}

void ContextHelpMenu::attach(QWidget* control, int helpContext) {
    control->setProperty(kHelpContextProperty, helpContext);
    control->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(control, &QWidget::customContextMenuRequested, this,
            [this, control](const QPoint& position) { popupFor(control, position); });
}

void ContextHelpMenu::popupFor(QWidget* control, const QPoint& position) {
    subject_ = control;
    HelpPopup->popup(control->mapToGlobal(position));
}

void ContextHelpMenu::WhatsthisClick() {
    if (!subject_) {
        return;
    }
    nomix::openHelpPopup(subject_->window(), subject_->property(kHelpContextProperty).toInt());
}
