// SPDX-License-Identifier: MIT
#include "statuspanels.h"

#include "widgethelp.h"

#include <QLabel>

namespace nomix {

StatusPanels::StatusPanels(QWidget* parent)
    : QWidget(parent), m_hintPanel(new QLabel(tr("Welcome to Nomix95!"), this)),
      m_databasePanel(new QLabel(tr(" Error : no database found"), this)) {
    setObjectName(QStringLiteral("statusPanels"));
    m_hintPanel->setObjectName(QStringLiteral("hintPanel"));
    m_databasePanel->setObjectName(QStringLiteral("databasePanel"));
    for (QLabel* panel : {m_hintPanel, m_databasePanel}) {
        panel->setTextFormat(Qt::PlainText); // the database label is data, never markup
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setMinimumWidth(1);
    }
    setHelpTopic(m_hintPanel, HelpTopic::StatusLine);
    setHelpTopic(m_databasePanel, HelpTopic::DatabaseLabel);
}

void StatusPanels::showHint(const QString& hint) {
    m_hintPanel->setText(hint.isEmpty() ? tr("Welcome to Nomix95!") : hint);
}

void StatusPanels::showDatabaseLabel(const QString& label) {
    m_databasePanel->setText(tr(" Database %1").arg(label));
    layOut(window()->frameGeometry().width());
}

void StatusPanels::layOut(int windowWidth) {
    const int panelHeight = qMax(18, height());
    const int secondNeeds = m_databasePanel->sizeHint().width() + 4;
    const int firstWidth = qMax(10, qMin(windowWidth - 200, width() - secondNeeds - 2));
    m_hintPanel->setGeometry(0, 0, firstWidth, panelHeight);
    m_databasePanel->setGeometry(firstWidth + 2, 0, qMax(15, width() - firstWidth - 2),
                                 panelHeight);
}

void StatusPanels::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOut(window()->frameGeometry().width());
}

} // namespace nomix
