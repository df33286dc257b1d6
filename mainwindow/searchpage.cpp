// SPDX-License-Identifier: MIT
#include "searchpage.h"

#include "pictures.h"
#include "searchlineedit.h"
#include "widgethelp.h"

#include "controls/embossedlabel.h"

#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QPushButton>
#include <QToolButton>

namespace nomix {

namespace {
constexpr int kHistoryLimit = 30;
} // namespace

SearchPage::SearchPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("searchPage"));
    buildStringPanel();
    buildButtons();
}

void SearchPage::buildStringPanel() {
    m_stringPanel = new QFrame(this);
    m_stringPanel->setObjectName(QStringLiteral("stringPanel"));
    m_stringPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_stringPanel->setGeometry(4, 4, 272, 128);

    m_searchBox = new QComboBox(m_stringPanel);
    m_searchBox->setObjectName(QStringLiteral("searchBox"));
    m_searchBox->setEditable(true);
    m_searchBox->setLineEdit(new SearchLineEdit(m_searchBox));
    m_searchBox->setInsertPolicy(QComboBox::NoInsert);
    // No inline completion from the history: typing "no_vir" must search for
    // "no_vir", not for a longer string the history happens to hold.
    m_searchBox->setCompleter(nullptr);
    m_searchBox->setMaxVisibleItems(kHistoryLimit);
    m_searchBox->setGeometry(8, 30, 252, 24);
    // Keys reach the combo box, the focus widget; it hands them to its line
    // edit by a direct call that no filter on the line edit would see.
    m_searchBox->installEventFilter(this);
    setHint(m_searchBox, tr("Insert a search string"));

    auto* label = new EmbossedLabel(tr("S&earch string"), m_stringPanel);
    label->setObjectName(QStringLiteral("searchStringLabel"));
    label->setStyle3D(Style3D::Raised);
    label->setTransparent(true);
    label->setBuddy(m_searchBox);
    label->setGeometry(8, 6, 200, 20);
    setHelpTopic(label, HelpTopic::SearchString);

    m_beginsWithButton = new QToolButton(m_stringPanel);
    m_beginsWithButton->setObjectName(QStringLiteral("beginsWithButton"));
    m_endsWithButton = new QToolButton(m_stringPanel);
    m_endsWithButton->setObjectName(QStringLiteral("endsWithButton"));
    for (QToolButton* button : {m_beginsWithButton, m_endsWithButton}) {
        button->setCheckable(true);
        button->setAutoRaise(false);
        button->setIconSize(QSize(20, 20));
        setHint(button, tr("Search modifier"));
    }
    setHelpTopic(m_beginsWithButton, HelpTopic::BeginsWithButton);
    setHelpTopic(m_endsWithButton, HelpTopic::EndsWithButton);
    auto setGlyphs = [](QToolButton* button, QPixmap (*glyph)(bool)) {
        QIcon icon;
        icon.addPixmap(glyph(false), QIcon::Normal, QIcon::Off);
        icon.addPixmap(glyph(true), QIcon::Normal, QIcon::On);
        button->setIcon(icon);
    };
    setGlyphs(m_beginsWithButton, &Pictures::beginsGlyph);
    setGlyphs(m_endsWithButton, &Pictures::endsGlyph);
    m_beginsWithButton->setGeometry(8, 64, 28, 28);
    m_endsWithButton->setGeometry(40, 64, 28, 28);

    m_productButton = new QPushButton(QIcon(Pictures::productGlyph()),
                                      tr("Se&lect antiviral products"), m_stringPanel);
    m_productButton->setObjectName(QStringLiteral("productButton"));
    m_productButton->setEnabled(false);
    m_productButton->setGeometry(72, 64, 187, 28);
    setHint(m_productButton, tr("Select products on which limit the search"));
    setHelpTopic(m_productButton, HelpTopic::SelectProducts);
    connect(m_productButton, &QPushButton::clicked, this, &SearchPage::productsClicked);
}

void SearchPage::buildButtons() {
    m_searchButton = new QPushButton(this);
    m_searchButton->setObjectName(QStringLiteral("searchButton"));
    showStopButton(false);
    setHint(m_searchButton, tr("Press the button to start/stop a search"));
    setHelpTopic(m_searchButton, HelpTopic::SearchButton);
    connect(m_searchButton, &QPushButton::clicked, this, &SearchPage::searchClicked);

    m_helpButton = new QPushButton(QIcon(Pictures::helpGlyph()), tr("&Get help"), this);
    m_helpButton->setObjectName(QStringLiteral("helpButton"));
    setHint(m_helpButton, tr("Get help about Nomix95"));
    setHelpTopic(m_helpButton, HelpTopic::GetHelpButton);
    connect(m_helpButton, &QPushButton::clicked, this, &SearchPage::helpClicked);

    m_exitButton = new QPushButton(QIcon(Pictures::exitGlyph()), tr("E&xit"), this);
    m_exitButton->setObjectName(QStringLiteral("exitButton"));
    setHint(m_exitButton, tr("Exit from Nomix95"));
    setHelpTopic(m_exitButton, HelpTopic::ExitButton);
    connect(m_exitButton, &QPushButton::clicked, this, &SearchPage::exitClicked);

    int top = 8;
    for (QPushButton* button : {m_searchButton, m_helpButton, m_exitButton}) {
        button->setGeometry(289, top, 92, 30);
        top += 40;
    }
}

QString SearchPage::searchText() const {
    return m_searchBox->currentText();
}

void SearchPage::setSearchText(const QString& text) {
    m_searchBox->setEditText(text);
}

bool SearchPage::beginsWithDown() const {
    return m_beginsWithButton->isChecked();
}

bool SearchPage::endsWithDown() const {
    return m_endsWithButton->isChecked();
}

void SearchPage::setModifiersEnabled(bool enabled) {
    m_beginsWithButton->setEnabled(enabled);
    m_endsWithButton->setEnabled(enabled);
}

void SearchPage::setProductButtonEnabled(bool enabled) {
    m_productButton->setEnabled(enabled);
}

void SearchPage::showStopButton(bool stop) {
    m_searchButton->setText(stop ? tr("&Stop") : tr("&Search"));
    m_searchButton->setIcon(QIcon(stop ? Pictures::stopGlyph() : Pictures::searchGlyph()));
}

void SearchPage::setSearchButtonEnabled(bool enabled) {
    m_searchButton->setEnabled(enabled);
}

void SearchPage::focusSearchBox() {
    m_searchBox->setFocus();
}

void SearchPage::focusSearchButton() {
    m_searchButton->setFocus();
}

void SearchPage::setInputEnabled(bool enabled) {
    m_exitButton->setEnabled(enabled);
    m_helpButton->setEnabled(enabled);
    m_stringPanel->setEnabled(enabled);
}

QStringList SearchPage::history() const {
    QStringList entries;
    for (int i = 0; i < m_searchBox->count(); ++i) {
        entries << m_searchBox->itemText(i);
    }
    return entries;
}

void SearchPage::setHistory(const QStringList& history) {
    m_searchBox->clear();
    m_searchBox->addItems(history);
    m_searchBox->setCurrentIndex(-1);
    m_searchBox->clearEditText();
}

void SearchPage::addToHistory(const QString& text) {
    for (int i = 0; i < m_searchBox->count(); ++i) {
        if (m_searchBox->itemText(i).compare(text, Qt::CaseInsensitive) == 0) {
            return;
        }
    }
    const QString kept = text; // removing the first item may change the edit text
    m_searchBox->addItem(kept);
    if (m_searchBox->count() > kHistoryLimit) {
        m_searchBox->removeItem(0);
    }
    m_searchBox->setEditText(kept);
}

void SearchPage::clearHistory() {
    const QString text = m_searchBox->currentText();
    m_searchBox->clear();
    m_searchBox->setEditText(text);
}

void SearchPage::layOut(int pageWidth) {
    const int buttonsLeft = pageWidth - 103;
    for (QPushButton* button : {m_searchButton, m_helpButton, m_exitButton}) {
        button->move(buttonsLeft, button->y());
    }
    m_stringPanel->resize(pageWidth - 120, m_stringPanel->height());
    m_searchBox->resize(m_stringPanel->width() - 20, m_searchBox->height());
    m_productButton->resize(m_searchBox->width() - m_productButton->x() + 7,
                            m_productButton->height());
}

// Enter in the search box starts the search, as a click on Search does.
bool SearchPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_searchBox && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_searchButton->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace nomix
