// SPDX-License-Identifier: MIT
#include "optionsdialog.h"

#include "contexthelpmenu.h"
#include "dialoghelp.h"
#include "platform/classicfont.h"
#include "platform/messagebox.h"
#include "platform/settings.h"
#include "platform/staynormalfilter.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace nomix {

namespace {

constexpr int kClientWidth = 432;
constexpr int kClientHeight = 353;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr HelpTopic kHelpTopic = HelpTopic::Options;

// Two columns of check boxes; the right one takes any room to spare.
QGridLayout* checkBoxGrid(QGroupBox* group) {
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(12, 4, 12, 6);
    grid->setVerticalSpacing(6);
    grid->setHorizontalSpacing(16);
    grid->setColumnStretch(1, 1);
    return grid;
}

} // namespace

OptionsDialog::OptionsDialog(Settings* settings, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_helpMenu(new ContextHelpMenu(this)) {
    setObjectName(QStringLiteral("optionsDialog"));
    setWindowTitle(QStringLiteral("Options"));
    // A title bar without buttons: the dialog closes only through its own
    // buttons and Esc.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFont(classicUiFont());
    // Modal to the main window only: the help it opens is a window of its own
    // that the user must be able to read and scroll while this one is open.
    setWindowModality(Qt::WindowModal);
    StayNormalFilter::install(this);

    buildDisplayGroup();
    buildEnvironmentGroup();
    buildSearchGroup();
    buildButtons(buildPage());
    alignRightColumns();
    addHelpKey(this, kHelpTopic);

    const QSize needed = sizeHint();
    setFixedSize(qMax(kClientWidth, needed.width()), qMax(kClientHeight, needed.height()));
}

QCheckBox* OptionsDialog::addOptionBox(QWidget* group, const char* name, const QString& caption,
                                       const QString& hint, HelpTopic helpTopic, bool checked,
                                       Setter setter, ChangedSignal changed) {
    auto* box = new QCheckBox(caption, group);
    box->setObjectName(QLatin1String(name));
    box->setStatusTip(hint);
    box->setChecked(checked);
    box->setFocusPolicy(Qt::ClickFocus);
    m_helpMenu->attach(box, helpTopic);
    connect(box, &QCheckBox::toggled, m_settings, setter);
    connect(m_settings, changed, box, &QCheckBox::setChecked);
    return box;
}

void OptionsDialog::buildDisplayGroup() {
    m_displayGroup = new QGroupBox(QStringLiteral("Display preferences"));
    m_displayGroup->setObjectName(QStringLiteral("displayGroup"));
    Settings* s = m_settings;
    QCheckBox* numericOnly = addOptionBox(
        m_displayGroup, "showNumericResultOnlyBox", QStringLiteral("Show &numeric result only"),
        QStringLiteral("After a search, display only the number of items found"),
        HelpTopic::ShowNumericResultOnly, s->showNumericResultOnly(),
        &Settings::setShowNumericResultOnly, &Settings::showNumericResultOnlyChanged);
    QCheckBox* bitmaps = addOptionBox(
        m_displayGroup, "showBitmapsBox", QStringLiteral("Show &bitmaps"),
        QStringLiteral("Show or hide the bitmaps in the grid of results"), HelpTopic::ShowBitmaps,
        s->showBitmaps(), &Settings::setShowBitmaps, &Settings::showBitmapsChanged);
    QCheckBox* counter = addOptionBox(
        m_displayGroup, "updateItemCounterBox", QStringLiteral("&Update items counter"),
        QStringLiteral("Update the items counter during the search"), HelpTopic::UpdateItemsCounter,
        s->updateItemCounter(), &Settings::setUpdateItemCounter,
        &Settings::updateItemCounterChanged);
    QCheckBox* background = addOptionBox(
        m_displayGroup, "searchInBackgroundBox", QStringLiteral("Search in bac&kground"),
        QStringLiteral("Allow to stop the search"), HelpTopic::SearchInBackground,
        s->searchInBackground(), &Settings::setSearchInBackground,
        &Settings::searchInBackgroundChanged);
    QCheckBox* allProducts = addOptionBox(
        m_displayGroup, "showAllProductsBox", QStringLiteral("Show &all products"),
        QStringLiteral("Show unselected products also"), HelpTopic::ShowAllProducts,
        s->showAllProducts(), &Settings::setShowAllProducts, &Settings::showAllProductsChanged);
    numericOnly->setFocusPolicy(Qt::StrongFocus);

    QGridLayout* grid = checkBoxGrid(m_displayGroup);
    grid->addWidget(numericOnly, 0, 0);
    grid->addWidget(bitmaps, 1, 0);
    grid->addWidget(counter, 2, 0);
    grid->addWidget(background, 0, 1);
    grid->addWidget(allProducts, 1, 1);
}

void OptionsDialog::buildEnvironmentGroup() {
    m_environmentGroup = new QGroupBox(QStringLiteral("Environment preferences"));
    m_environmentGroup->setObjectName(QStringLiteral("environmentGroup"));
    Settings* s = m_settings;
    QCheckBox* alarm = addOptionBox(
        m_environmentGroup, "disableUpdateAlarmBox", QStringLiteral("&Disable update alarm"),
        QStringLiteral("Disable the alarm about the update of the database"),
        HelpTopic::DisableUpdateAlarm, s->updateAlarmDisabled(), &Settings::setUpdateAlarmDisabled,
        &Settings::updateAlarmDisabledChanged);
    QCheckBox* sounds = addOptionBox(
        m_environmentGroup, "disableSoundsBox", QStringLiteral("D&isable sounds"),
        QStringLiteral("Disable sounds effects"), HelpTopic::DisableSounds, s->soundsDisabled(),
        &Settings::setSoundsDisabled, &Settings::soundsDisabledChanged);
    QCheckBox* lastSelection = addOptionBox(
        m_environmentGroup, "loadLastSelectionBox", QStringLiteral("&Load last selection"),
        QStringLiteral("At program startup, display only the items selected on the last session"),
        HelpTopic::LoadLastSelection, s->loadLastSelection(), &Settings::setLoadLastSelection,
        &Settings::loadLastSelectionChanged);
    QCheckBox* selectedOnly = addOptionBox(
        m_environmentGroup, "saveSelectedOnlyBox", QStringLiteral("Sa&ve selected items only"),
        QStringLiteral("Save only the search results obtained about the selected products"),
        HelpTopic::SaveSelectedItemsOnly, s->saveSelectedOnly(), &Settings::setSaveSelectedOnly,
        &Settings::saveSelectedOnlyChanged);
    QCheckBox* tray = addOptionBox(
        m_environmentGroup, "minimizeToTrayBox", QStringLiteral("&Minimize in tray area"),
        QStringLiteral("Put the program  in the tray area when minimized"),
        HelpTopic::MinimizeInTrayArea, s->minimizeToTray(), &Settings::setMinimizeToTray,
        &Settings::minimizeToTrayChanged);
    alarm->setFocusPolicy(Qt::StrongFocus);

    QGridLayout* grid = checkBoxGrid(m_environmentGroup);
    grid->addWidget(alarm, 0, 0);
    grid->addWidget(sounds, 1, 0);
    grid->addWidget(lastSelection, 2, 0);
    grid->addWidget(selectedOnly, 0, 1);
    grid->addWidget(tray, 1, 1);
}

void OptionsDialog::buildSearchGroup() {
    m_searchGroup = new QGroupBox(QStringLiteral("Search preferences"));
    m_searchGroup->setObjectName(QStringLiteral("searchGroup"));
    QCheckBox* match = addOptionBox(
        m_searchGroup, "completeStringMatchBox", QStringLiteral("&Complete string match"),
        QStringLiteral("Perform a search using a complete string match"),
        HelpTopic::CompleteStringMatch, m_settings->completeStringMatch(),
        &Settings::setCompleteStringMatch, &Settings::completeStringMatchChanged);
    match->setFocusPolicy(Qt::StrongFocus);
    auto* layout = new QVBoxLayout(m_searchGroup);
    layout->setContentsMargins(12, 4, 12, 6);
    layout->addWidget(match);
}

// Both groups start their right column at the same x.
void OptionsDialog::alignRightColumns() {
    int leftWidth = 0;
    for (QGroupBox* group : {m_displayGroup, m_environmentGroup}) {
        auto* grid = static_cast<QGridLayout*>(group->layout());
        for (int row = 0; row < grid->rowCount(); ++row) {
            if (QLayoutItem* item = grid->itemAtPosition(row, 0)) {
                leftWidth = qMax(leftWidth, item->widget()->sizeHint().width());
            }
        }
    }
    for (QGroupBox* group : {m_displayGroup, m_environmentGroup}) {
        static_cast<QGridLayout*>(group->layout())->setColumnMinimumWidth(0, leftWidth);
    }
}

QWidget* OptionsDialog::buildPage() {
    auto* eraseHistory = new QPushButton(style()->standardIcon(QStyle::SP_TrashIcon),
                                         QStringLiteral("Cl&ear string history"));
    eraseHistory->setObjectName(QStringLiteral("clearHistoryButton"));
    eraseHistory->setStatusTip(QStringLiteral("Clear the history of search strings"));
    eraseHistory->setMinimumSize(168, kButtonHeight);
    m_helpMenu->attach(eraseHistory, HelpTopic::ClearStringHistory);
    connect(eraseHistory, &QPushButton::clicked, this, &OptionsDialog::confirmHistoryErase);

    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("optionsPage"));
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(14, 8, 14, 8);
    grid->setVerticalSpacing(6);
    grid->setHorizontalSpacing(40);
    grid->addWidget(m_displayGroup, 0, 0, 1, 2);
    grid->addWidget(m_environmentGroup, 1, 0, 1, 2);
    grid->addWidget(m_searchGroup, 2, 0);
    grid->addWidget(eraseHistory, 2, 1, Qt::AlignRight | Qt::AlignBottom);

    // A single page in a tab frame without its tab, for the frame's look.
    auto* frame = new QTabWidget;
    frame->setObjectName(QStringLiteral("pageFrame"));
    frame->setFocusPolicy(Qt::NoFocus);
    frame->addTab(page, QString());
    frame->tabBar()->hide();
    return frame;
}

QPushButton* OptionsDialog::addButton(const char* name, const QString& caption, const QString& hint,
                                      HelpTopic helpTopic) {
    auto* button = new QPushButton(caption);
    button->setObjectName(QLatin1String(name));
    button->setStatusTip(hint);
    button->setMinimumSize(kButtonWidth, kButtonHeight);
    m_helpMenu->attach(button, helpTopic);
    return button;
}

void OptionsDialog::buildButtons(QWidget* page) {
    m_okButton = addButton("okButton", QStringLiteral("OK"), QStringLiteral("Accept the settings"),
                           HelpTopic::OkButton);
    m_okButton->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    m_okButton->setDefault(true);
    QPushButton* cancel =
        addButton("cancelButton", QStringLiteral("Cancel"), QString(), HelpTopic::CancelButton);
    cancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    QPushButton* help = addButton("helpButton", QStringLiteral("&Help"), QStringLiteral("Get help"),
                                  HelpTopic::HelpButton);
    help->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, &OptionsDialog::showHelp);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(16);
    buttons->addWidget(m_okButton);
    buttons->addWidget(cancel);
    buttons->addWidget(help);
    buttons->addStretch();

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("panel"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(8, 5, 8, 8);
    panelLayout->setSpacing(8);
    panelLayout->addWidget(page);
    panelLayout->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(panel);

    // Tab goes through the buttons first, then to the first box of each group.
    QWidget* order[] = {m_okButton,
                        cancel,
                        help,
                        findChild<QCheckBox*>(QStringLiteral("showNumericResultOnlyBox")),
                        findChild<QCheckBox*>(QStringLiteral("disableUpdateAlarmBox")),
                        findChild<QCheckBox*>(QStringLiteral("completeStringMatchBox")),
                        findChild<QPushButton*>(QStringLiteral("clearHistoryButton"))};
    for (size_t i = 1; i < std::size(order); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

void OptionsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        m_okButton->setFocus();
        m_historyEraseRequested = false;
        StoredSettings options;
        m_settings->copyTo(options);
        m_optionsWhenShown = options;
    }
}

void OptionsDialog::done(int result) {
    if (result != QDialog::Accepted) {
        m_historyEraseRequested = false;
        if (m_optionsWhenShown) {
            m_settings->restore(*m_optionsWhenShown);
        }
    }
    if (m_historyEraseRequested) {
        emit historyEraseConfirmed();
    }
    QDialog::done(result);
}

void OptionsDialog::confirmHistoryErase() {
    QApplication::beep();
    const auto answer = MessageBox::show(
        this, MessageBox::Warning, QStringLiteral("Warning"),
        QStringLiteral(
            "You are going to erase the history list of the search strings.\rAre you sure?"),
        MessageBox::Ok | MessageBox::Cancel);
    if (answer == MessageBox::Ok) {
        m_historyEraseRequested = true;
    }
}

void OptionsDialog::showHelp() {
    openHelpTopic(this, kHelpTopic);
}

} // namespace nomix
