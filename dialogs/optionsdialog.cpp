#include "optionsdialog.h"

#include "dialoghelp.h"
#include "optionschanged.h"
#include "platform/messagebox.h"
#include "platform/staynormalfilter.h"
#include "contexthelpmenu.h"

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

namespace {

constexpr int kClientWidth = 432;
constexpr int kClientHeight = 353;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kHelpTopic = 34;

QFont DialogFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(13);
    return font;
}

// Two columns of check boxes; the right one takes any room to spare.
QGridLayout* CheckBoxGrid(QGroupBox* group) {
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(12, 4, 12, 6);
    grid->setVerticalSpacing(6);
    grid->setHorizontalSpacing(16);
    grid->setColumnStretch(1, 1);
    return grid;
}

} // namespace

OptionsDialog::OptionsDialog(QWidget* parent)
    : QDialog(parent), helpPopup_(new ContextHelpMenu(this)) {
    setObjectName(QStringLiteral("OptionForm"));
    setWindowTitle(QStringLiteral("Options"));
    // A title bar without buttons: the dialog closes only through its own
    // buttons and Esc.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFont(DialogFont());
    // Modal to the main window only: the help it opens is a window of its own
    // that the user must be able to read and scroll while this one is open.
    setWindowModality(Qt::WindowModal);
    nomix::StayNormalFilter::install(this);

    buildDisplayGroup();
    buildEnvironmentGroup();
    buildSearchGroup();
    buildPage();
    buildButtons();
    connectNotifications();
    alignRightColumns();

    const QSize needed = sizeHint();
    setFixedSize(qMax(kClientWidth, needed.width()), qMax(kClientHeight, needed.height()));
}

QCheckBox* OptionsDialog::addCheckBox(QWidget* group, const char* name, const QString& caption,
                                    const QString& hint, int helpContext, bool designState) {
    auto* box = new QCheckBox(caption, group);
    box->setObjectName(QLatin1String(name));
    box->setStatusTip(hint);
    box->setChecked(designState);
    box->setFocusPolicy(Qt::ClickFocus);
    helpPopup_->attach(box, helpContext);
    return box;
}

void OptionsDialog::buildDisplayGroup() {
    GroupBox1 = new QGroupBox(QStringLiteral("Display preferences"));
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    ResultCheck = addCheckBox(
        GroupBox1, "ResultCheck", QStringLiteral("Show &numeric result only"),
        QStringLiteral("After a search, display only the number of items found"), 35, false);
    BitmapCheck =
        addCheckBox(GroupBox1, "BitmapCheck", QStringLiteral("Show &bitmaps"),
                    QStringLiteral("Show or hide the bitmaps in the grid of results"), 36, true);
    CounterCheck =
        addCheckBox(GroupBox1, "CounterCheck", QStringLiteral("&Update items counter"),
                    QStringLiteral("Update the items counter during the search"), 37, false);
    BackgroundCheck =
        addCheckBox(GroupBox1, "BackgroundCheck", QStringLiteral("Search in bac&kground"),
                    QStringLiteral("Allow to stop the search"), 27, true);
    ProductCheck = addCheckBox(GroupBox1, "ProductCheck", QStringLiteral("Show &all products"),
                               QStringLiteral("Show unselected products also"), 25, true);
    ResultCheck->setFocusPolicy(Qt::StrongFocus);

    QGridLayout* grid = CheckBoxGrid(GroupBox1);
    grid->addWidget(ResultCheck, 0, 0);
    grid->addWidget(BitmapCheck, 1, 0);
    grid->addWidget(CounterCheck, 2, 0);
    grid->addWidget(BackgroundCheck, 0, 1);
    grid->addWidget(ProductCheck, 1, 1);
}

void OptionsDialog::buildEnvironmentGroup() {
    GroupBox2 = new QGroupBox(QStringLiteral("Environment preferences"));
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    CheckAlarm = addCheckBox(GroupBox2, "CheckAlarm", QStringLiteral("&Disable update alarm"),
                             QStringLiteral("Disable the alarm about the update of the database"),
                             42, false);
    CheckSounds = addCheckBox(GroupBox2, "CheckSounds", QStringLiteral("D&isable sounds"),
                              QStringLiteral("Disable sounds effects"), 43, false);
    CheckSelProds = addCheckBox(
        GroupBox2, "CheckSelProds", QStringLiteral("&Load last selection"),
        QStringLiteral("At program startup, display only the items selected on the last session"),
        44, false);
    SaveSelCheck = addCheckBox(
        GroupBox2, "SaveSelCheck", QStringLiteral("Sa&ve selected items only"),
        QStringLiteral("Save only the search results obtained about the selected products"), 45,
        false);
    MinimizeCheck =
        addCheckBox(GroupBox2, "MinimizeCheck", QStringLiteral("&Minimize in tray area"),
                    QStringLiteral("Put the program  in the tray area when minimized"), 58, false);
    CheckAlarm->setFocusPolicy(Qt::StrongFocus);

    QGridLayout* grid = CheckBoxGrid(GroupBox2);
    grid->addWidget(CheckAlarm, 0, 0);
    grid->addWidget(CheckSounds, 1, 0);
    grid->addWidget(CheckSelProds, 2, 0);
    grid->addWidget(SaveSelCheck, 0, 1);
    grid->addWidget(MinimizeCheck, 1, 1);
}

void OptionsDialog::alignRightColumns() {
    // Both groups start their right column at the same x, as designed.
    int leftWidth = 0;
    for (QCheckBox* box :
         {ResultCheck, BitmapCheck, CounterCheck, CheckAlarm, CheckSounds, CheckSelProds}) {
        leftWidth = qMax(leftWidth, box->sizeHint().width());
    }
    for (QGroupBox* group : {GroupBox1, GroupBox2}) {
        static_cast<QGridLayout*>(group->layout())->setColumnMinimumWidth(0, leftWidth);
    }
}

void OptionsDialog::buildSearchGroup() {
    GroupBox3 = new QGroupBox(QStringLiteral("Search preferences"));
    GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
    MatchCheck =
        addCheckBox(GroupBox3, "MatchCheck", QStringLiteral("&Complete string match"),
                    QStringLiteral("Perform a search using a complete string match"), 23, false);
    MatchCheck->setFocusPolicy(Qt::StrongFocus);
    auto* layout = new QVBoxLayout(GroupBox3);
    layout->setContentsMargins(12, 4, 12, 6);
    layout->addWidget(MatchCheck);
}

void OptionsDialog::buildPage() {
    EraseHistoryBtn = new QPushButton(style()->standardIcon(QStyle::SP_TrashIcon),
                                      QStringLiteral("Cl&ear string history"));
    EraseHistoryBtn->setObjectName(QStringLiteral("EraseHistoryBtn"));
    EraseHistoryBtn->setStatusTip(QStringLiteral("Clear the history of search strings"));
    EraseHistoryBtn->setMinimumSize(168, kButtonHeight);
    helpPopup_->attach(EraseHistoryBtn, 46);
    connect(EraseHistoryBtn, &QPushButton::clicked, this, &OptionsDialog::EraseHistoryBtnClick);

    PrefSheet = new QWidget;
    PrefSheet->setObjectName(QStringLiteral("PrefSheet"));
    auto* grid = new QGridLayout(PrefSheet);
    grid->setContentsMargins(14, 8, 14, 8);
    grid->setVerticalSpacing(6);
    grid->setHorizontalSpacing(40);
    grid->addWidget(GroupBox1, 0, 0, 1, 2);
    grid->addWidget(GroupBox2, 1, 0, 1, 2);
    grid->addWidget(GroupBox3, 2, 0);
    grid->addWidget(EraseHistoryBtn, 2, 1, Qt::AlignRight | Qt::AlignBottom);

    PageControl = new QTabWidget;
    PageControl->setObjectName(QStringLiteral("PageControl"));
    PageControl->setFocusPolicy(Qt::NoFocus);
    PageControl->addTab(PrefSheet, QString());
    PageControl->tabBar()->hide();
}

QPushButton* OptionsDialog::addButton(const char* name, const QString& caption, const QString& hint,
                                    int helpContext) {
    auto* button = new QPushButton(caption);
    button->setObjectName(QLatin1String(name));
    button->setStatusTip(hint);
    button->setMinimumSize(kButtonWidth, kButtonHeight);
    helpPopup_->attach(button, helpContext);
    return button;
}

void OptionsDialog::buildButtons() {
    OkButton =
        addButton("OkButton", QStringLiteral("OK"), QStringLiteral("Accept the settings"), 49);
    OkButton->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    OkButton->setDefault(true);
    CancelButton = addButton("CancelButton", QStringLiteral("Cancel"), QString(), 50);
    CancelButton->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    HelpButton = addButton("HelpButton", QStringLiteral("&Help"), QStringLiteral("Get help"), 52);
    HelpButton->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpButton, &QPushButton::clicked, this, &OptionsDialog::HelpButtonClick);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(16);
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    buttons->addWidget(HelpButton);
    buttons->addStretch();

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* panelLayout = new QVBoxLayout(Panel1);
    panelLayout->setContentsMargins(8, 5, 8, 8);
    panelLayout->setSpacing(8);
    panelLayout->addWidget(PageControl);
    panelLayout->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Panel1);

    setTabOrder(OkButton, CancelButton);
    setTabOrder(CancelButton, HelpButton);
    setTabOrder(HelpButton, ResultCheck);
    setTabOrder(ResultCheck, CheckAlarm);
    setTabOrder(CheckAlarm, MatchCheck);
    setTabOrder(MatchCheck, EraseHistoryBtn);
}

void OptionsDialog::notifyOnToggle(QCheckBox* box, int code) {
    // toggled fires for every change of state, whether a click, the snapshot
    // restore, the settings store or the speed track bar made it.
    connect(box, &QCheckBox::toggled, this, [this, code] { emit OptionsChanged(code); });
}

void OptionsDialog::connectNotifications() {
    notifyOnToggle(BitmapCheck, kBitmapsChanged);
    notifyOnToggle(ProductCheck, kShowProductsChanged);
    notifyOnToggle(CounterCheck, kCounterChanged);
    notifyOnToggle(MatchCheck, kStringMatchChanged);
    notifyOnToggle(BackgroundCheck, kBackgroundChanged);
}

std::array<QCheckBox*, OptionsDialog::kBoxCount> OptionsDialog::snapshotOrder() const {
    return {ResultCheck, BitmapCheck,   CounterCheck, BackgroundCheck, ProductCheck, CheckAlarm,
            CheckSounds, CheckSelProds, SaveSelCheck, MinimizeCheck,   MatchCheck};
}

OptionsDialog::BoxStates OptionsDialog::currentStates() const {
    BoxStates states{};
    const auto boxes = snapshotOrder();
    for (size_t i = 0; i < kBoxCount; ++i) {
        states[i] = boxes[i]->isChecked();
    }
    return states;
}

void OptionsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        FormActivate();
    }
}

void OptionsDialog::FormActivate() {
    OkButton->setFocus();
    eraseRequested_ = false;
    snapshot_ = currentStates();
}

void OptionsDialog::done(int result) {
    if (result != QDialog::Accepted) {
        CancelButtonClick();
    }
    FormCloseQuery();
    QDialog::done(result);
}

void OptionsDialog::EraseHistoryBtnClick() {
    QApplication::beep();
    const auto answer = nomix::MessageBox::show(
        this, nomix::MessageBox::Warning, QStringLiteral("Warning"),
        QStringLiteral(
            "You are going to erase the history list of the search strings.\rAre you sure?"),
        nomix::MessageBox::Ok | nomix::MessageBox::Cancel);
    if (answer == nomix::MessageBox::Ok) {
        eraseRequested_ = true;
    }
}

void OptionsDialog::CancelButtonClick() {
    eraseRequested_ = false;
    if (!snapshot_) {
        return;
    }
    const auto boxes = snapshotOrder();
    for (size_t i = 0; i < kBoxCount; ++i) {
        boxes[i]->setChecked((*snapshot_)[i]);
    }
}

void OptionsDialog::FormCloseQuery() {
    if (eraseRequested_) {
        emit OptionsChanged(kHistoryEraseConfirmed);
    }
}

void OptionsDialog::HelpButtonClick() {
    nomix::openHelpTopic(this, kHelpTopic);
}
