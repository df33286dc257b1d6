// SPDX-License-Identifier: MIT
#include "clientpanel.h"

#include "preferencespage.h"
#include "searchpage.h"
#include "speedcounterpanel.h"
#include "widgethelp.h"

#include <QLabel>
#include <QProgressBar>
#include <QTabWidget>

namespace nomix {

ClientPanel::ClientPanel(Settings* settings, QWidget* parent)
    : QFrame(parent), m_pages(new QTabWidget(this)), m_searchPage(new SearchPage),
      m_preferencesPage(new PreferencesPage), m_speedPanel(new SpeedCounterPanel(settings, this)) {
    setObjectName(QStringLiteral("clientPanel"));
    m_pages->setObjectName(QStringLiteral("pages"));
    m_pages->addTab(m_searchPage, tr("Search"));
    m_pages->addTab(m_preferencesPage, tr("Preferences"));
    connect(m_pages, &QTabWidget::currentChanged, this, &ClientPanel::pageChanged);
    buildProgressPanel();
}

void ClientPanel::buildProgressPanel() {
    m_progressStartLabel = new QLabel(tr("%0"), this);
    m_progressStartLabel->setObjectName(QStringLiteral("progressStartLabel"));
    m_progressPanel = new QFrame(this);
    m_progressPanel->setObjectName(QStringLiteral("progressPanel"));
    m_progressPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_progressBar = new QProgressBar(m_progressPanel);
    m_progressBar->setObjectName(QStringLiteral("progressBar"));
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(100);
    m_progressBar->setTextVisible(false);
    setHint(m_progressBar, tr("Display search progress"));
    setHelpTopic(m_progressBar, HelpTopic::ProgressBar);
    m_progressEndLabel = new QLabel(tr("%100"), this);
    m_progressEndLabel->setObjectName(QStringLiteral("progressEndLabel"));
}

bool ClientPanel::searchPageShown() const {
    return m_pages->currentWidget() == m_searchPage;
}

void ClientPanel::showSearchPage() {
    m_pages->setCurrentWidget(m_searchPage);
}

void ClientPanel::showPreferencesPage() {
    m_pages->setCurrentWidget(m_preferencesPage);
}

void ClientPanel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    m_pages->setGeometry(4, 4, width() - 230, 150);
    m_speedPanel->setGeometry(width() - 210, 4, 206, 188);
    const int pageWidth = m_pages->width();
    m_progressStartLabel->setGeometry(8, 164, 26, 18);
    m_progressPanel->setGeometry(36, 160, pageWidth - 72, 26);
    m_progressBar->setGeometry(3, 3, m_progressPanel->width() - 6, m_progressPanel->height() - 6);
    m_progressEndLabel->setGeometry(pageWidth - 25, 164, 40, 18);
    m_searchPage->layOut(pageWidth);
    m_preferencesPage->layOut(pageWidth);
}

} // namespace nomix
