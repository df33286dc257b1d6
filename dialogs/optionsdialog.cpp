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

#include <utility>

namespace nomix {

namespace {

constexpr int kClientWidth = 432;
constexpr int kClientHeight = 353;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr HelpTopic kHelpTopic = HelpTopic::Options;

// Check boxes in rows and columns.
QGridLayout* checkBoxGrid(QGroupBox* group) {
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(12, 4, 12, 6);
    grid->setVerticalSpacing(6);
    grid->setHorizontalSpacing(16);
    return grid;
}

} // namespace

OptionsDialog::OptionsDialog(Settings* settings, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_helpMenu(new ContextHelpMenu(this)) {
    setObjectName(QStringLiteral("optionsDialog"));
    setWindowTitle(tr("Options"));
    // A title bar without buttons: the dialog closes only through its own
    // buttons and Esc.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFont(classicUiFont());
    // Modal to the main window only: the help it opens is a window of its own
    // that the user must be able to read and scroll while this one is open.
    setWindowModality(Qt::WindowModal);
    StayNormalFilter::install(this);

    buildGroups();
    buildButtons(buildPage());
    alignRightColumns();
    addHelpKey(this, kHelpTopic);

    const QSize needed = sizeHint();
    setFixedSize(qMax(kClientWidth, needed.width()), qMax(kClientHeight, needed.height()));
}

QCheckBox* OptionsDialog::addOptionBox(const OptionEntry& entry) {
    QGroupBox* frame = group(entry.group);
    auto* box = new QCheckBox(tr(entry.caption), frame);
    box->setObjectName(QLatin1String(entry.boxName));
    box->setStatusTip(tr(entry.hint));
    box->setChecked(m_settings->value(entry.option));
    box->setFocusPolicy(Qt::ClickFocus);
    m_helpMenu->attach(box, entry.helpTopic);
    connect(box, &QCheckBox::toggled, m_settings,
            [settings = m_settings, option = entry.option](bool on) {
                settings->setValue(option, on);
            });
    m_settings->follow(entry.option, box, &QCheckBox::setChecked);
    static_cast<QGridLayout*>(frame->layout())->addWidget(box, entry.row, entry.column);
    return box;
}

// Tab reaches each group through its first box only.
void OptionsDialog::buildGroups() {
    const std::pair<const char*, const char*> groups[] = {
        {"displayGroup", QT_TR_NOOP("Display preferences")},
        {"environmentGroup", QT_TR_NOOP("Environment preferences")},
        {"searchGroup", QT_TR_NOOP("Search preferences")}};
    for (size_t i = 0; i < std::size(groups); ++i) {
        m_groups[i] = new QGroupBox(tr(groups[i].second));
        m_groups[i]->setObjectName(QLatin1String(groups[i].first));
        checkBoxGrid(m_groups[i]);
    }
    for (const OptionEntry& entry : kOptions) {
        QCheckBox* box = addOptionBox(entry);
        if (entry.row == 0 && entry.column == 0) {
            box->setFocusPolicy(Qt::StrongFocus);
            m_firstBoxes[static_cast<size_t>(entry.group)] = box;
        }
    }
}

// Both groups start their right column at the same x, and give it any room
// to spare.
void OptionsDialog::alignRightColumns() {
    QGroupBox* const twoColumnGroups[] = {group(OptionGroup::Display),
                                          group(OptionGroup::Environment)};
    int leftWidth = 0;
    for (QGroupBox* frame : twoColumnGroups) {
        auto* grid = static_cast<QGridLayout*>(frame->layout());
        for (int row = 0; row < grid->rowCount(); ++row) {
            if (QLayoutItem* item = grid->itemAtPosition(row, 0)) {
                leftWidth = qMax(leftWidth, item->widget()->sizeHint().width());
            }
        }
    }
    for (QGroupBox* frame : twoColumnGroups) {
        auto* grid = static_cast<QGridLayout*>(frame->layout());
        grid->setColumnMinimumWidth(0, leftWidth);
        grid->setColumnStretch(1, 1);
    }
}

QWidget* OptionsDialog::buildPage() {
    auto* eraseHistory =
        new QPushButton(style()->standardIcon(QStyle::SP_TrashIcon), tr("Cl&ear string history"));
    eraseHistory->setObjectName(QStringLiteral("clearHistoryButton"));
    eraseHistory->setStatusTip(tr("Clear the history of search strings"));
    eraseHistory->setMinimumSize(168, kButtonHeight);
    m_helpMenu->attach(eraseHistory, HelpTopic::ClearStringHistory);
    connect(eraseHistory, &QPushButton::clicked, this, &OptionsDialog::confirmHistoryErase);

    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("optionsPage"));
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(14, 8, 14, 8);
    grid->setVerticalSpacing(6);
    grid->setHorizontalSpacing(40);
    grid->addWidget(group(OptionGroup::Display), 0, 0, 1, 2);
    grid->addWidget(group(OptionGroup::Environment), 1, 0, 1, 2);
    grid->addWidget(group(OptionGroup::Search), 2, 0);
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
    m_okButton = addButton("okButton", tr("OK"), tr("Accept the settings"), HelpTopic::OkButton);
    m_okButton->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    m_okButton->setDefault(true);
    QPushButton* cancel =
        addButton("cancelButton", tr("Cancel"), QString(), HelpTopic::CancelButton);
    cancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    QPushButton* help = addButton("helpButton", tr("&Help"), tr("Get help"), HelpTopic::HelpButton);
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
                        m_firstBoxes[0],
                        m_firstBoxes[1],
                        m_firstBoxes[2],
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
        this, MessageBox::Warning, tr("Warning"),
        tr("You are going to erase the history list of the search strings.\rAre you sure?"),
        MessageBox::Ok | MessageBox::Cancel);
    if (answer == MessageBox::Ok) {
        m_historyEraseRequested = true;
    }
}

void OptionsDialog::showHelp() {
    openHelpTopic(this, kHelpTopic);
}

} // namespace nomix
