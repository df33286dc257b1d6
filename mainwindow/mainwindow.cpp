#include "mainwindow.h"

#include "fittext.h"
#include "pictures.h"
#include "resultsdelegate.h"
#include "resultsheader.h"
#include "resultsmodel.h"
#include "reportsaver.h"
#include "scanreportimporter.h"
#include "resultsview.h"
#include "splashscreen.h"

#include "controls/soundcliperror.h"
#include "controls/balloontooltips.h"
#include "controls/ledcounter.h"
#include "controls/trayicon.h"
#include "controls/embossedlabel.h"
#include "controls/folderdialog.h"
#include "controls/soundclip.h"
#include "core/database.h"
#include "core/datafile.h"
#include "core/fields.h"
#include "core/fileerror.h"
#include "core/resultwriter.h"
#include "core/searchengine.h"
#include "core/settingsstore.h"
#include "core/utf8.h"
#include "dialogs/dialoghelp.h"
#include "dialogs/optionschanged.h"
#include "dialogs/aboutdialog.h"
#include "dialogs/staledatabasedialog.h"
#include "dialogs/optionsdialog.h"
#include "dialogs/productfilterdialog.h"
#include "platform/datafolder.h"
#include "platform/displaytext.h"
#include "platform/filedialog.h"
#include "platform/helpviewer.h"
#include "platform/messagebox.h"
#include "platform/programdata.h"
#include "platform/registryfile.h"
#include "platform/staynormalfilter.h"
#include "platform/windowplacement.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QShortcut>
#include <QSlider>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QThread>
#include <QToolButton>
#include <QWindow>

#include <cstdio>
#include <optional>
#include <set>

namespace nomix {

namespace {

constexpr int kDesignWidth = 630;
constexpr int kDesignHeight = 476;
constexpr int kHistoryLimit = 30;
constexpr int kEventSliceMs = 10;
constexpr int kPlacementWaitMs = 2000;
constexpr int kMinColumnWidth = 50;
constexpr int kMaxColumnWidth = 3000;
const QColor kTopPanelColour(0xFE, 0xFB, 0xE7);    // colour 15203838
const QColor kBitmapPanelColour(0xFF, 0xFF, 0xE1); // colour 14811135
const QString kApplicationTitle =
    QStringLiteral("Nomix95 - the virus name cross-reference, by its developers");
const QString kCounterHint = QStringLiteral("Display items found after a search");
const QString kWelcome = QStringLiteral("Welcome to Nomix95!");
const QString kNoDatabaseStatus = QStringLiteral(" Error : no database found");
const QString kNoDatabaseMessage = QStringLiteral(
    "Could not open the database.\rPlease, set a right path and file names in the Preferences tab");
const char* const kTopicProperty = "helpTopic";

constexpr int32_t kLedMaximum = 99999;

// The counter has five digits: a larger count shows as 99999, never as its
// first five digits; the exact count goes to the counter's hint.
QString ledText(int32_t count) {
    char text[16];
    std::snprintf(text, sizeof text, "%.5d", qMin(count, kLedMaximum));
    return QString::fromLatin1(text);
}

QString fileNamePart(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? path : path.mid(slash + 1);
}

// The default common directory: the bundled sample of the installed program,
// or the source tree's for a program run from its build tree.
QString defaultDataDirectory() {
    return programDataPath(QStringLiteral("sample"));
}

std::string bytesOf(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

QString textOf(const std::string& bytes) {
    return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace

// Forwards the engine's reports to the window: progress bar, LED counter,
// and the time-sliced event processing that keeps the window alive and lets
// Stop and Esc reach StopButtonClick.
class MainWindowSearchObserver : public SearchObserver {
  public:
    explicit MainWindowSearchObserver(MainWindow* form) : form_(form) {}

    void progressChanged(int percent) override {
        if (percent != lastPercent_) {
            lastPercent_ = percent;
            form_->ProgressBar->setValue(percent);
        }
    }
    void counterChanged(int32_t hitCount) override {
        form_->HitCount = hitCount;
        form_->LEDLabel->setText(ledText(hitCount));
        form_->LEDLabel->repaint();
    }
    bool processMessages(int32_t hitCountSoFar) override {
        form_->HitCount = hitCountSoFar;
        form_->processEventsInSlices();
        return form_->SearchFinished;
    }

  private:
    MainWindow* form_;
    int lastPercent_ = -1;
};

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(kApplicationTitle);
    setWindowIcon(Pictures::ApplicationIcon());
    QFont windowFont(QStringLiteral("MS Sans Serif"));
    windowFont.setPixelSize(13);
    setFont(windowFont);
    buildWindow();
    resize(kDesignWidth, kDesignHeight);
    setMinimumSize(kDesignWidth, kDesignHeight);
}

MainWindow::~MainWindow() {
    if (helpViewer_) {
        helpViewer_->quit();
    }
}

// ---------------------------------------------------------------- building

void MainWindow::buildWindow() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("CentralWidget"));
    setCentralWidget(central);
    buildTopPanel();
    buildClientPanel();
    buildGrid();
    buildStatusBar();
    buildMenus();
    buildLocalMenus();
    buildSounds();
    buildTray();
    buildBalloonHint();
    ShellBrowse = new FolderDialog(this);
    ShellBrowse->setObjectName(QStringLiteral("ShellBrowse"));
    ShellBrowse->SetBrowseFlags(bfReturnOnlyFSDirs | bfStatusText);
    ShellBrowse->SetOpenFolder(ofPath);
    ShellBrowse->SetStatusText(QStringLiteral("Please, select a folder"));
    ShellBrowse->SetCenter(false);

    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, &MainWindow::FormKeyPress);
}

void MainWindow::buildTopPanel() {
    TopPanel = new QFrame(centralWidget());
    TopPanel->setObjectName(QStringLiteral("TopPanel"));
    TopPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    TopPanel->setAutoFillBackground(true);
    QPalette pal = TopPanel->palette();
    pal.setColor(QPalette::Window, kTopPanelColour);
    TopPanel->setPalette(pal);
    TopLabel = new EmbossedLabel(QStringLiteral("Nomix95 1.1 for Windows"), TopPanel);
    TopLabel->setObjectName(QStringLiteral("TopLabel"));
    TopLabel->setAlignment(Qt::AlignCenter);
    TopLabel->setStyle3D(tsShadowed);
    TopLabel->setShadowOffset(3);
    QFont titleFont(QStringLiteral("Matura MT Script Capitals"));
    titleFont.setPixelSize(30);
    titleFont.setBold(true);
    titleFont.setItalic(true);
    TopLabel->setFont(titleFont);
    TopLabel->setTag(1);
    setHint(TopLabel, QStringLiteral("The great Nomix95! What else?"));
    setHelpTopic(TopLabel, 1);
    connect(TopLabel, &EmbossedLabel::clicked, this, &MainWindow::rhLabel3D3Click);
}

void MainWindow::buildClientPanel() {
    ClientPanel = new QFrame(centralWidget());
    ClientPanel->setObjectName(QStringLiteral("ClientPanel"));
    PageControl = new QTabWidget(ClientPanel);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    buildSearchSheet();
    buildPrefSheet();
    connect(PageControl, &QTabWidget::currentChanged, this, &MainWindow::PageControlChange);
    buildProgressPanel();
    buildTrackPanel();
}

void MainWindow::buildSearchSheet() {
    SearchSheet = new QWidget;
    SearchSheet->setObjectName(QStringLiteral("SearchSheet"));
    PageControl->addTab(SearchSheet, QStringLiteral("Search"));

    StringPanel = new QFrame(SearchSheet);
    StringPanel->setObjectName(QStringLiteral("StringPanel"));
    StringPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    StringPanel->setGeometry(4, 4, 272, 128);

    SearchBox = new QComboBox(StringPanel);
    SearchBox->setObjectName(QStringLiteral("SearchBox"));
    SearchBox->setEditable(true);
    SearchBox->setInsertPolicy(QComboBox::NoInsert);
    // No inline completion from the history: typing "no_vir" must search for
    // "no_vir", not for a longer string the history happens to hold.
    SearchBox->setCompleter(nullptr);
    SearchBox->setMaxVisibleItems(kHistoryLimit);
    SearchBox->setGeometry(8, 30, 252, 24);
    // Keys reach the combo box, the focus widget; it hands them to its line
    // edit by a direct call that no filter on the line edit would see.
    SearchBox->installEventFilter(this);
    setHint(SearchBox, QStringLiteral("Insert a search string"));

    rhLabel3D2 = new EmbossedLabel(QStringLiteral("S&earch string"), StringPanel);
    rhLabel3D2->setObjectName(QStringLiteral("rhLabel3D2"));
    rhLabel3D2->setStyle3D(tsRaised);
    rhLabel3D2->setTransparent(true);
    rhLabel3D2->setFocusControl(SearchBox);
    rhLabel3D2->setTag(7);
    rhLabel3D2->setGeometry(8, 6, 200, 20);
    setHelpTopic(rhLabel3D2, 7);

    FirstButton = new QToolButton(StringPanel);
    FirstButton->setObjectName(QStringLiteral("FirstButton"));
    LastButton = new QToolButton(StringPanel);
    LastButton->setObjectName(QStringLiteral("LastButton"));
    int tag = 8;
    for (QToolButton* button : {FirstButton, LastButton}) {
        button->setCheckable(true);
        button->setAutoRaise(false);
        button->setIconSize(QSize(20, 20));
        button->setProperty("Tag", tag);
        setHint(button, QStringLiteral("Search modifier"));
        setHelpTopic(button, tag++);
    }
    auto glyphs = [](QToolButton* button, QPixmap (*glyph)(bool)) {
        QIcon icon;
        icon.addPixmap(glyph(false), QIcon::Normal, QIcon::Off);
        icon.addPixmap(glyph(true), QIcon::Normal, QIcon::On);
        button->setIcon(icon);
    };
    glyphs(FirstButton, &Pictures::BeginsGlyph);
    glyphs(LastButton, &Pictures::EndsGlyph);
    FirstButton->setGeometry(8, 64, 28, 28);
    LastButton->setGeometry(40, 64, 28, 28);

    ProductButton = new QPushButton(QIcon(Pictures::ProductGlyph()),
                                    QStringLiteral("Se&lect antiviral products"), StringPanel);
    ProductButton->setObjectName(QStringLiteral("ProductButton"));
    ProductButton->setEnabled(false);
    ProductButton->setGeometry(72, 64, 187, 28);
    setHint(ProductButton, QStringLiteral("Select products on which limit the search"));
    setHelpTopic(ProductButton, 10);
    connect(ProductButton, &QPushButton::clicked, this, &MainWindow::ProductButtonClick);

    SearchButton = new QPushButton(QStringLiteral("&Search"), SearchSheet);
    SearchButton->setObjectName(QStringLiteral("SearchButton"));
    SearchButton->setIcon(QIcon(Pictures::SearchGlyph()));
    setHint(SearchButton, QStringLiteral("Press the button to start/stop a search"));
    setHelpTopic(SearchButton, 4);
    connect(SearchButton, &QPushButton::clicked, this, &MainWindow::searchButtonClicked);

    HelpButton =
        new QPushButton(QIcon(Pictures::HelpGlyph()), QStringLiteral("&Get help"), SearchSheet);
    HelpButton->setObjectName(QStringLiteral("HelpButton"));
    setHint(HelpButton, QStringLiteral("Get help about Nomix95"));
    setHelpTopic(HelpButton, 5);
    connect(HelpButton, &QPushButton::clicked, this, &MainWindow::HelpButtonClick);

    ExitButton =
        new QPushButton(QIcon(Pictures::ExitGlyph()), QStringLiteral("E&xit"), SearchSheet);
    ExitButton->setObjectName(QStringLiteral("ExitButton"));
    setHint(ExitButton, QStringLiteral("Exit from Nomix95"));
    setHelpTopic(ExitButton, 6);
    connect(ExitButton, &QPushButton::clicked, this, &QWidget::close);

    int top = 8;
    for (QPushButton* button : {SearchButton, HelpButton, ExitButton}) {
        button->setGeometry(289, top, 92, 30);
        top += 40;
    }
}

void MainWindow::buildPrefSheet() {
    PrefSheet = new QWidget;
    PrefSheet->setObjectName(QStringLiteral("PrefSheet"));
    PageControl->addTab(PrefSheet, QStringLiteral("Preferences"));

    DataGroup = new QGroupBox(PrefSheet);
    DataGroup->setObjectName(QStringLiteral("DataGroup"));
    DataGroup->setGeometry(6, 4, 364, 118);

    auto makeEdit = [this](const char* name, const QString& hint) {
        auto* edit = new QLineEdit(DataGroup);
        edit->setObjectName(QLatin1String(name));
        setHint(edit, hint, false);
        return edit;
    };
    DataEdit = makeEdit("DataEdit", QStringLiteral("Edit database & configuration path"));
    DataEdit->setText(defaultDataDirectory());
    DataFileEdit = makeEdit("DataFileEdit", QStringLiteral("Edit database file name"));
    DataFileEdit->setText(QStringLiteral("NOMIX.DAT"));
    ConfigFileEdit = makeEdit("ConfigFileEdit", QStringLiteral("Edit configuration file name"));
    ConfigFileEdit->setText(QStringLiteral("NOMIX.CFG"));

    auto makeSmallButton = [this](const char* name, const QPixmap& glyph, const QString& hint,
                                  int topic) {
        auto* button = new QToolButton(DataGroup);
        button->setObjectName(QLatin1String(name));
        button->setIcon(QIcon(glyph));
        button->setFixedSize(25, 24);
        setHint(button, hint);
        setHelpTopic(button, topic);
        return button;
    };
    BrowseButton = makeSmallButton("BrowseButton", Pictures::FolderGlyph(),
                                   QStringLiteral("Browse|Browse directories"), 30);
    DataNameButton = makeSmallButton("DataNameButton", Pictures::OpenGlyph(),
                                     QStringLiteral("Open|Set  database file"), 32);
    ConfigNamebutton = makeSmallButton("ConfigNamebutton", Pictures::OpenGlyph(),
                                       QStringLiteral("Open|Set  configuration file"), 32);
    connect(BrowseButton, &QToolButton::clicked, this, &MainWindow::BrowseButtonClick);
    connect(DataNameButton, &QToolButton::clicked, this, &MainWindow::DataNameButtonClick);
    connect(ConfigNamebutton, &QToolButton::clicked, this, &MainWindow::ConfigNameButtonClick);

    OptionButton =
        new QPushButton(QIcon(Pictures::OptionsGlyph()), QStringLiteral("&Options"), DataGroup);
    OptionButton->setObjectName(QStringLiteral("OptionButton"));
    OptionButton->setEnabled(false);
    setHint(OptionButton, QStringLiteral("Display options"), false);
    setHelpTopic(OptionButton, 59);
    connect(OptionButton, &QPushButton::clicked, this, &MainWindow::OptionButtonClick);

    auto makeLabel = [this](const char* name, const QString& caption, QWidget* buddy, int tag) {
        auto* label = new EmbossedLabel(caption, DataGroup);
        label->setObjectName(QLatin1String(name));
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(13);
        label->setFont(font);
        label->setStyle3D(tsRaised);
        label->setTransparent(true);
        label->setFocusControl(buddy);
        label->setTag(tag);
        setHelpTopic(label, tag);
        return label;
    };
    DataPathLabel = makeLabel("DataPathLabel", QStringLiteral("Co&mmon directory"), DataEdit, 29);
    DataFileLabel =
        makeLabel("DataFileLabel", QStringLiteral("&Database file name"), DataFileEdit, 31);
    ConfigFileLabel = makeLabel("ConfigFileLabel", QStringLiteral("&Configuration file name"),
                                ConfigFileEdit, 33);

    // Tab order as the page lists it.
    QWidget::setTabOrder(DataEdit, BrowseButton);
    QWidget::setTabOrder(BrowseButton, OptionButton);
    QWidget::setTabOrder(OptionButton, DataFileEdit);
    QWidget::setTabOrder(DataFileEdit, DataNameButton);
    QWidget::setTabOrder(DataNameButton, ConfigFileEdit);
    QWidget::setTabOrder(ConfigFileEdit, ConfigNamebutton);

    DataPathLabel->setGeometry(10, 10, 160, 18);
    DataEdit->setGeometry(10, 30, 136, 24);
    DataFileLabel->setGeometry(10, 62, 160, 18);
    DataFileEdit->setGeometry(10, 82, 136, 24);
    ConfigFileEdit->setGeometry(190, 82, 136, 24);
}

void MainWindow::buildProgressPanel() {
    ProgressStartLabel = new QLabel(QStringLiteral("%0"), ClientPanel);
    ProgressStartLabel->setObjectName(QStringLiteral("ProgressStartLabel"));
    ProgressPanel = new QFrame(ClientPanel);
    ProgressPanel->setObjectName(QStringLiteral("ProgressPanel"));
    ProgressPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    ProgressBar = new QProgressBar(ProgressPanel);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(100);
    ProgressBar->setTextVisible(false);
    setHint(ProgressBar, QStringLiteral("Display search progress"));
    setHelpTopic(ProgressBar, 11);
    ProgressLabel = new QLabel(QStringLiteral("%100"), ClientPanel);
    ProgressLabel->setObjectName(QStringLiteral("ProgressLabel"));
}

void MainWindow::buildTrackPanel() {
    OuterTrackPanel = new QFrame(ClientPanel);
    OuterTrackPanel->setObjectName(QStringLiteral("OuterTrackPanel"));
    OuterTrackPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);

    InnerTrackPanel = new QFrame(OuterTrackPanel);
    InnerTrackPanel->setObjectName(QStringLiteral("InnerTrackPanel"));
    InnerTrackPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    InnerTrackPanel->setGeometry(6, 6, 96, 176);
    setHelpTopic(InnerTrackPanel, 13);

    auto* speedLabel = new QLabel(QStringLiteral("Search speed"), InnerTrackPanel);
    speedLabel->setObjectName(QStringLiteral("SpeedLabel"));
    speedLabel->setGeometry(4, 4, 90, 18);
    QFont small = speedLabel->font();
    small.setPixelSize(11);
    speedLabel->setFont(small);
    SpeedTrackBar = new QSlider(Qt::Vertical, InnerTrackPanel);
    SpeedTrackBar->setObjectName(QStringLiteral("SpeedTrackBar"));
    SpeedTrackBar->setRange(0, 2);
    SpeedTrackBar->setPageStep(1);
    SpeedTrackBar->setSingleStep(1);
    SpeedTrackBar->setInvertedAppearance(true); // position 0 ("Min") at the top
    SpeedTrackBar->setInvertedControls(true);
    SpeedTrackBar->setTickPosition(QSlider::TicksBothSides);
    SpeedTrackBar->setTickInterval(1);
    SpeedTrackBar->setGeometry(8, 28, 30, 140);
    setHint(SpeedTrackBar, QStringLiteral("Set search speed"));
    setHelpTopic(SpeedTrackBar, 12);
    connect(SpeedTrackBar, &QSlider::valueChanged, this, [this] {
        if (!settingSpeedTrackBar_) {
            SpeedTrackBarChange();
        }
    });
    const QStringList speeds{QStringLiteral("Min"), QStringLiteral("Med."), QStringLiteral("Max")};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(speeds[i], InnerTrackPanel);
        label->setObjectName(QStringLiteral("SpeedLabel%1").arg(i));
        label->setGeometry(44, 30 + i * 60, 44, 18);
    }

    auto* itemsLabel = new QLabel(QStringLiteral("Items found"), OuterTrackPanel);
    itemsLabel->setObjectName(QStringLiteral("ItemsLabel"));
    itemsLabel->setGeometry(106, 8, 94, 18);
    LEDLabel = new LedCounter(OuterTrackPanel);
    LEDLabel->setObjectName(QStringLiteral("LEDLabel"));
    LEDLabel->setColumns(5);
    LEDLabel->setText(QStringLiteral("00000"));
    // The counter sizes itself from its columns and segment size; it is
    // centred in the space beside the track bar.
    LEDLabel->move(104 + (96 - LEDLabel->width()) / 2, 30);
    LEDLabel->setProperty("Tag", 14);
    setHint(LEDLabel, kCounterHint);
    setHelpTopic(LEDLabel, 14);

    BitmapPanel = new QFrame(OuterTrackPanel);
    BitmapPanel->setObjectName(QStringLiteral("BitmapPanel"));
    BitmapPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    BitmapPanel->setAutoFillBackground(true);
    QPalette pal = BitmapPanel->palette();
    pal.setColor(QPalette::Window, kBitmapPanelColour);
    BitmapPanel->setPalette(pal);
    BitmapPanel->setGeometry(112, 84, 80, 80);
    FindDocImage = new QLabel(BitmapPanel);
    FindDocImage->setObjectName(QStringLiteral("FindDocImage"));
    FindDocImage->setGeometry(8, 8, 64, 64);
    FindDocImage->setCursor(Qt::PointingHandCursor);
    FindDocImage->setProperty("Tag", 13);
    FindDocImage->installEventFilter(this);
    setHelpTopic(FindDocImage, 13);
}

void MainWindow::buildGrid() {
    ReportGrid = new ResultsView(this, centralWidget());
    auto* copy = new QAction(ReportGrid);
    copy->setObjectName(QStringLiteral("CopyCells"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(copy, &QAction::triggered, this, &MainWindow::copySelectedCells);
    ReportGrid->addAction(copy);
    ReportGrid->gridModel()->setSources(&DatabaseLines, &ResultList);
    ReportGrid->setStatusTip(
        QStringLiteral("Hint: click the right  button of the mouse to display a local menu"));
    ReportGrid->setProperty(kTopicProperty, 38);
    connect(ReportGrid, &QWidget::customContextMenuRequested, this,
            &MainWindow::ReportGridContextMenu);
}

void MainWindow::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setSizeGripEnabled(true);
    bar->setFixedHeight(25);
    // Two panels side by side, the first one's width set by the layout rules.
    auto* panels = new QWidget;
    panels->setObjectName(QStringLiteral("StatusPanels"));
    StatusPanel0 = new QLabel(kWelcome, panels);
    StatusPanel0->setObjectName(QStringLiteral("StatusPanel0"));
    StatusPanel1 = new QLabel(kNoDatabaseStatus, panels);
    StatusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
    for (QLabel* panel : {StatusPanel0, StatusPanel1}) {
        panel->setTextFormat(Qt::PlainText); // the database label is data, never markup
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setMinimumWidth(1);
    }
    bar->addWidget(panels, 1);
    panels->installEventFilter(this);
    bar->setContextMenuPolicy(Qt::CustomContextMenu);
    bar->setProperty(kTopicProperty, 16);
    connect(bar, &QWidget::customContextMenuRequested, this,
            [this, bar](const QPoint& pos) { showHelpPopup(bar, bar->mapToGlobal(pos)); });
}

void MainWindow::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu"));
    Options = bar->addMenu(QStringLiteral("&File"));
    Options->setObjectName(QStringLiteral("Options"));
    S1 = Options->addAction(QStringLiteral("S&tart search"), this, &MainWindow::S1Click);
    S1->setObjectName(QStringLiteral("S1"));
    Options->addSeparator();
    auto* pages = new QActionGroup(this);
    Search1 = Options->addAction(QStringLiteral("&Search"), this, &MainWindow::Search1Click);
    Search1->setObjectName(QStringLiteral("Search1"));
    Preferences1 =
        Options->addAction(QStringLiteral("&Preferences"), this, &MainWindow::Preferences1Click);
    Preferences1->setObjectName(QStringLiteral("Preferences1"));
    for (QAction* action : {Search1, Preferences1}) {
        action->setCheckable(true);
        pages->addAction(action);
    }
    Search1->setChecked(true);
    Options->addSeparator();
    ImportReports = Options->addAction(QStringLiteral("&Import scan reports..."), this,
                                       &MainWindow::importScanReports);
    ImportReports->setObjectName(QStringLiteral("ImportReports"));
    ImportReports->setStatusTip(QStringLiteral("Build a database from multi-engine scan reports"));
    Options->addSeparator();
    Exit1 = Options->addAction(QStringLiteral("&Exit"), this, &QWidget::close);
    Exit1->setObjectName(QStringLiteral("Exit1"));

    Help = bar->addMenu(QStringLiteral("&Help"));
    Help->setObjectName(QStringLiteral("Help"));
    N3 = Help->addAction(QStringLiteral("&Help Topics"), this, &MainWindow::HelpButtonClick);
    N3->setObjectName(QStringLiteral("N3"));
    Help->addSeparator();
    About1 = Help->addAction(QStringLiteral("&About..."), this, &MainWindow::FindDocImageClick);
    About1->setObjectName(QStringLiteral("About1"));
}

void MainWindow::buildLocalMenus() {
    HelpPopup = new QMenu(this);
    HelpPopup->setObjectName(QStringLiteral("HelpPopup"));
    Whatsthis =
        HelpPopup->addAction(QStringLiteral("What's this?"), this, &MainWindow::WhatsthisClick);
    Whatsthis->setObjectName(QStringLiteral("Whatsthis"));

    ReportMenu = new QMenu(this);
    ReportMenu->setObjectName(QStringLiteral("ReportMenu"));
    auto addItem = [this](const char* name, const QString& caption, const QString& hint,
                          void (MainWindow::*slot)()) {
        QAction* action = ReportMenu->addAction(caption, this, slot);
        action->setObjectName(QLatin1String(name));
        action->setStatusTip(hint);
        action->setProperty(kTopicProperty, 39);
        return action;
    };
    Wathsthis1 = addItem("Wathsthis1", QStringLiteral("What's this?"), QStringLiteral("Get help"),
                         &MainWindow::Wathsthis1Click);
    ReportMenu->addSeparator()->setObjectName(QStringLiteral("N2"));
    SearchForName =
        addItem("SearchForName", QStringLiteral("Search for this &name"),
                QStringLiteral("Search for the name in this cell"), &MainWindow::searchForCellName);
    ClearResult =
        addItem("ClearResult", QStringLiteral("&Clear results"),
                QStringLiteral("Blank  the grid of results"), &MainWindow::ClearResultClick);
    SaveResult =
        addItem("SaveResult", QStringLiteral("&Save results..."),
                QStringLiteral("Save search results in a file"), &MainWindow::SaveResultClick);
    ExportResult = addItem("ExportResult", QStringLiteral("E&xport results..."),
                           QStringLiteral("Export search results as CSV or JSON Lines"),
                           &MainWindow::exportResults);
    ReportMenu->addSeparator()->setObjectName(QStringLiteral("N1"));
    SetColumnWidth = addItem("SetColumnWidth", QStringLiteral("S&et width of columns..."),
                             QStringLiteral("Set width of columns  within the grid"),
                             &MainWindow::SetColumnWidthClick);
    RestoreColum = addItem("RestoreColum", QStringLiteral("&Restore default width of columns"),
                           QStringLiteral("Restore default width of columns within the grid"),
                           &MainWindow::RestoreColumClick);

    NotifyPopupMenu = new QMenu(this);
    NotifyPopupMenu->setObjectName(QStringLiteral("NotifyPopupMenu"));
    Restore1 =
        NotifyPopupMenu->addAction(QStringLiteral("&Restore"), this, &MainWindow::NotifyIconClick);
    Restore1->setObjectName(QStringLiteral("Restore1"));
    NotifyPopupMenu->addSeparator();
    Terminate = NotifyPopupMenu->addAction(QStringLiteral("&Terminate"), this, &QWidget::close);
    Terminate->setObjectName(QStringLiteral("Terminate"));
}

void MainWindow::buildSounds() {
    // The clips are compiled into the program; a clip that cannot be read
    // leaves its component empty, and playing it then beeps instead.
    auto makeWave = [this](const char* name, const QString& clip) {
        auto* wave = new SoundClip(this);
        wave->setObjectName(QLatin1String(name));
        QFile file(QStringLiteral(":/sounds/") + clip);
        if (file.open(QIODevice::ReadOnly)) {
            wave->ReadStored(clip, file);
        }
        return wave;
    };
    WelcomeWave = makeWave("WelcomeWave", QStringLiteral("welcome1.wav"));
    SchwingWave = makeWave("SchwingWave", QStringLiteral("Schwing.wav"));
    AttentionWave = makeWave("AttentionWave", QStringLiteral("attention.wav"));
    NoItemWave = makeWave("NoItemWave", QStringLiteral("noitems.wav"));
}

void MainWindow::buildTray() {
    NotifyIcon = new TrayIcon(this);
    NotifyIcon->setObjectName(QStringLiteral("NotifyIcon"));
    NotifyIcon->SetIcon(Pictures::ApplicationIcon());
    NotifyIcon->SetHint(kApplicationTitle);
    NotifyIcon->SetPopupMenu(NotifyPopupMenu);
    connect(NotifyIcon, &TrayIcon::OnClick, this, &MainWindow::NotifyIconClick);
}

// Every hint of the program shows as a balloon, except the grid's column
// titles, which keep plain tool tips placed over their header cell.
void MainWindow::buildBalloonHint() {
    BalloonHint = new BalloonToolTips(this);
    BalloonHint->setObjectName(QStringLiteral("BalloonHint"));
    BalloonHint->SetBorderColor(Qt::black);
    BalloonHint->SetColor(Qt::white);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(13);
    BalloonHint->SetFont(font);
    BalloonHint->SetMaxWidth(-3);
    BalloonHint->SetBehavior(bbNoShowMouseDown | bbUseRegions | bbHideOnPaint);
    BalloonHint->SetPosition(bpAboveRight);
    BalloonHint->SetShadowDepth(8);
    BalloonHint->SetShadowStyle(ssShaded);
    BalloonHint->SetShape(bsRoundRect);
    BalloonHint->SetStyle(hsSystem);
    BalloonHint->SetActive(!RunningOnNT);
    BalloonHint->SetPlainHintRule([this](QWidget* widget, const QPoint&) {
        QHeaderView* header = ReportGrid->horizontalHeader();
        return widget == header || widget == header->viewport();
    });
}

// A hint "short|long" shows its short part in a hint window and its long
// part on the status bar; a hint without '|' shows whole in both.
void MainWindow::setHint(QWidget* widget, const QString& hint, bool hintWindow) {
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    const QString shortHint = bar < 0 ? hint : hint.left(bar);
    const QString longHint = bar < 0 ? hint : hint.mid(bar + 1);
    if (hintWindow) {
        widget->setToolTip(shortHint);
    }
    widget->setStatusTip(longHint);
}

void MainWindow::setHelpTopic(QWidget* widget, int topic) {
    widget->setProperty(kTopicProperty, topic);
    widget->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(widget, &QWidget::customContextMenuRequested, this,
            [this, widget](const QPoint& pos) { showHelpPopup(widget, widget->mapToGlobal(pos)); });
}

void MainWindow::recolourPictures() {
    QImage findDoc = Pictures::FindDocument();
    ReplaceImageColor(findDoc, kBitmapPanelColour, Pictures::kWhite);
    FindDocImage->setPixmap(QPixmap::fromImage(findDoc));

    const QColor gridColour = ReportGrid->palette().color(QPalette::Base);
    QImage noVirus = Pictures::NoVirus();
    QImage magnifier = Pictures::Magnifier();
    QImage help = Pictures::HelpMarker();
    for (QImage* image : {&noVirus, &magnifier, &help}) {
        ReplaceImageColor(*image, gridColour, Pictures::kOlive);
    }
    ReportGrid->gridDelegate()->setMarkerPictures(
        QPixmap::fromImage(noVirus), QPixmap::fromImage(magnifier), QPixmap::fromImage(help));
}

// ---------------------------------------------------------------- start-up

void MainWindow::FormCreate() {
    AllProductsSelected = true;
    ProductMask = 0xFFFFFFFFu;
    RunningOnNT = false;
    helpViewer_ = std::make_unique<HelpViewer>(helpFilePath(), this);
    UseHelpViewer(helpViewer_.get());

    OptionForm = new OptionsDialog(this);
    OptionForm->setObjectName(QStringLiteral("OptionForm"));

    // Hints of the dialogs' controls show on this window's status bar too.
    qApp->installEventFilter(this);

    auto splash = std::make_unique<SplashScreen>();
    splash->show();
    splash->repaint();
    PlaySoundEffect(WelcomeWave);
    recolourPictures();
    setSearchButtonAsStop(false);
    splash->raise();

    loadSettings();
    setSpeedFromOptions();
    // Option notifications reach the window only once it has been set up.
    connect(OptionForm, &OptionsDialog::OptionsChanged, this, &MainWindow::OptionsChanged,
            Qt::DirectConnection);

    // A load error is reported once the window is up, so its box is centred
    // on the window rather than on the screen's corner.
    std::optional<QString> loadError;
    try {
        DatabaseLoaded = LoadDatabase();
    } catch (const std::exception& error) {
        DatabaseLoaded = false;
        loadError = MessageBox::errorText(error);
    }
    splash->hide();
    if (DatabaseLoaded) {
        ApplyProductSelection();
    } else {
        AllProductsSelected = true;
        ProductMask = 0xFFFFFFFFu;
    }
    showCentredOnScreen();
    splash.reset();
    if (loadError) {
        MessageBox::reportException(this, *loadError);
    }
    if (DatabaseLoaded) {
        runUpdateAlarm();
    } else {
        PageControl->setCurrentWidget(PrefSheet);
        MessageBox::error(this, kNoDatabaseMessage);
    }
}

// The window names its own position, centred on the screen, and waits until
// the window manager has mapped it: the boxes that may follow at once are
// centred on where the window really is, not on the screen's origin.
void MainWindow::showCentredOnScreen() {
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.left() + (area.width() - width()) / 2,
             area.top() + (area.height() - height()) / 2);
    }
    show();
    repaint();
    QElapsedTimer waited;
    waited.start();
    while (!(windowHandle() && windowHandle()->isExposed()) &&
           waited.elapsed() < kPlacementWaitMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, kEventSliceMs);
        QThread::msleep(5);
    }
}

QString MainWindow::helpFilePath() const {
    return programDataPath(QStringLiteral("help/") + QLatin1String(HelpViewer::kFileName));
}

// The settings as the window holds them now: edit boxes, option boxes,
// selection and history.
StoredSettings MainWindow::heldSettings() const {
    StoredSettings settings;
    settings.dataPath = bytesOf(DataEdit->text());
    settings.dataName = bytesOf(DataFileEdit->text());
    settings.configName = bytesOf(ConfigFileEdit->text());
    settings.showNumericOnly = OptionForm->ResultCheck->isChecked();
    settings.showBitmaps = OptionForm->BitmapCheck->isChecked();
    settings.updateItemCounter = OptionForm->CounterCheck->isChecked();
    settings.stringMatch = OptionForm->MatchCheck->isChecked();
    settings.showOtherProducts = OptionForm->ProductCheck->isChecked();
    settings.searchInBackground = OptionForm->BackgroundCheck->isChecked();
    settings.alarmDisabled = OptionForm->CheckAlarm->isChecked();
    settings.soundsDisabled = OptionForm->CheckSounds->isChecked();
    settings.loadSelProducts = OptionForm->CheckSelProds->isChecked();
    settings.saveSelectedOnly = OptionForm->SaveSelCheck->isChecked();
    settings.minimizeInTaskbar = OptionForm->MinimizeCheck->isChecked();
    settings.listDetails = ListDetails;
    settings.productMask = ProductMask;
    settings.lastSelectionEx = DatabaseLoaded ? Selection.extraStates() : LastSelectionEx;
    for (int i = 0; i < SearchBox->count(); ++i) {
        settings.history.push_back(bytesOf(SearchBox->itemText(i)));
    }
    return settings;
}

void MainWindow::holdSettings(const StoredSettings& settings) {
    DataEdit->setText(textOf(settings.dataPath));
    DataFileEdit->setText(textOf(settings.dataName));
    ConfigFileEdit->setText(textOf(settings.configName));
    OptionForm->ResultCheck->setChecked(settings.showNumericOnly);
    OptionForm->BitmapCheck->setChecked(settings.showBitmaps);
    OptionForm->CounterCheck->setChecked(settings.updateItemCounter);
    OptionForm->MatchCheck->setChecked(settings.stringMatch);
    OptionForm->ProductCheck->setChecked(settings.showOtherProducts);
    OptionForm->BackgroundCheck->setChecked(settings.searchInBackground);
    OptionForm->CheckAlarm->setChecked(settings.alarmDisabled);
    OptionForm->CheckSounds->setChecked(settings.soundsDisabled);
    OptionForm->CheckSelProds->setChecked(settings.loadSelProducts);
    OptionForm->SaveSelCheck->setChecked(settings.saveSelectedOnly);
    OptionForm->MinimizeCheck->setChecked(settings.minimizeInTaskbar);
    ListDetails = settings.listDetails;
    ProductMask = settings.productMask;
    LastSelectionEx = settings.lastSelectionEx;
    SearchBox->clear();
    for (const std::string& entry : settings.history) {
        SearchBox->addItem(textOf(entry));
    }
    SearchBox->setCurrentIndex(-1);
    SearchBox->clearEditText();
}

// Values the store could not read keep what the window held before.
void MainWindow::loadSettings() {
    StoredSettings settings = heldSettings();
    RegistryFile registry(RegistryFile::defaultFilePath());
    const std::string message = nomix::loadSettings(registry, settings);
    // A sample folder of an earlier installation or build that is gone (the
    // program was moved or reinstalled) gives way to this one's, silently:
    // the user never chose it, so their database is not missing.
    if (isStaleDefaultDirectory(settings.dataPath)) {
        settings.dataPath = bytesOf(defaultDataDirectory());
    }
    holdSettings(settings);
    if (!message.empty()) {
        MessageBox::error(this, textOf(message));
    }
}

// Returns whether the settings were saved; a failure is shown to the user,
// or, when nobody may be there to answer, written to the standard error.
bool MainWindow::saveSettings() {
    StoredSettings settings = heldSettings();
    // The product list's own menu item holds the latest list-details state.
    if (SelectForm) {
        settings.listDetails = SelectForm->Longlist1->isChecked();
    }
    QString failure;
    try {
        RegistryFile registry(RegistryFile::defaultFilePath());
        failure = textOf(nomix::saveSettings(registry, settings, DatabaseLoaded));
    } catch (const std::exception& error) {
        failure = MessageBox::errorText(error) + QLatin1Char('.');
    }
    if (failure.isEmpty()) {
        return true;
    }
    if (closingUnattended_) {
        std::fprintf(stderr, "nomix95: %s\n", failure.toLocal8Bit().constData());
    } else {
        MessageBox::error(this, failure);
    }
    return false;
}

void MainWindow::setSpeedFromOptions() {
    const int position = (OptionForm->CounterCheck->isChecked() ? 0 : 1) +
                         (OptionForm->BackgroundCheck->isChecked() ? 0 : 1);
    setSpeedTrackBarPosition(position);
}

void MainWindow::runUpdateAlarm() {
    const QDateTime now = QDateTime::currentDateTime();
    const QDate today = now.date();
    const QTime time = now.time();
    const double nowNumber = dayNumberFromDate(today.year(), today.month(), today.day()) +
                             time.msecsSinceStartOfDay() / 86400000.0;
    if (!OptionForm->CheckAlarm->isChecked()) {
        StaleDatabaseDialog::RunAgeTest(this, OptionForm->CheckAlarm, DatabaseDate, nowNumber);
    }
}

// ---------------------------------------------------------------- loading

bool MainWindow::LoadDatabase() {
    const DataLocation location{bytesOf(DataEdit->text()), bytesOf(DataFileEdit->text()),
                                bytesOf(ConfigFileEdit->text())};
    if (!databaseFilesPresent(location)) {
        return false;
    }
    ResultList.clear();
    DatabaseLines = nomix::DatabaseLines();
    ReportGrid->gridModel()->setDataRowCount(1);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct CursorRestorer {
        ~CursorRestorer() { QApplication::restoreOverrideCursor(); }
    } restorer;

    delete SelectForm;
    SelectForm = new ProductFilterDialog(this);
    SelectForm->setObjectName(QStringLiteral("SelectForm"));
    try {
        Products = readProductTable(location.tablePath(), location.tableName);
    } catch (const ShortReadError&) {
        QApplication::beep();
        throw;
    }
    StatusPanel1->setText(QStringLiteral(" Database ") + nomix::displayText(Products.label));
    layoutStatusPanels();
    QStringList headers;
    for (const std::string& entry : Products.entries) {
        headers << nomix::displayText(entry);
    }
    ReportGrid->gridModel()->setHeaders(headers);
    const bool useStored = OptionForm->CheckSelProds->isChecked();
    Selection = ProductSelection::fromStored(Products.entries.size(), useStored, ProductMask,
                                             LastSelectionEx);
    if (!Selection.allSelected()) {
        AllProductsSelected = false;
    }
    SelectForm->FillProductList(Products.entries, Selection);
    SelectForm->Longlist1->setChecked(ListDetails);
    SelectForm->ApplyColumnWidths();

    QElapsedTimer slice;
    slice.start();
    NameDatabase names = readNameDatabase(location.databasePath(), [&slice] {
        if (slice.elapsed() >= kEventSliceMs) {
            QCoreApplication::processEvents();
            slice.restart();
        }
    });
    DatabaseLines = std::move(names.lines);
    DatabaseDate = names.date;
    dataIsUtf8_ = isValidUtf8Bytes(DatabaseLines.data(), DatabaseLines.dataSize());
    ReportGrid->gridModel()->setSources(&DatabaseLines, &ResultList);
    ProductButton->setEnabled(true);
    OptionButton->setEnabled(true);
    return true;
}

void MainWindow::ApplyProductSelection() {
    if (!DatabaseLoaded) {
        return;
    }
    if (SelectForm) {
        Selection = SelectForm->CurrentSelection();
    }
    ProductMask = Selection.mask();
    AllProductsSelected = true;
    const bool showAll = OptionForm->ProductCheck->isChecked();
    for (size_t i = 0; i < Selection.count(); ++i) {
        const int column = static_cast<int>(i);
        if (Selection.isSelected(i)) {
            if (ReportGrid->colWidth(column) < 0) {
                ReportGrid->setColWidth(column, ResultsView::kDefaultColWidth);
            }
        } else {
            AllProductsSelected = false;
            ReportGrid->setColWidth(column, showAll ? ResultsView::kDefaultColWidth : -1);
        }
    }
    ReportGrid->gridHeader()->viewport()->update();
    ReportGrid->viewport()->update();
}

bool MainWindow::gridShowBitmaps() const {
    return OptionForm->BitmapCheck->isChecked();
}

bool MainWindow::gridShowAllProducts() const {
    return OptionForm->ProductCheck->isChecked();
}

bool MainWindow::gridProductSelected(int column) const {
    if (!DatabaseLoaded) {
        return (ProductMask >> (static_cast<unsigned>(column) % 32)) & 1u;
    }
    return Selection.isSelected(static_cast<size_t>(column));
}

// ---------------------------------------------------------------- search

void MainWindow::ClearResults() {
    ResultList.clear();
    ReportGrid->gridModel()->setDataRowCount(1);
    ReportGrid->viewport()->update();
    ProgressBar->setValue(100);
    LEDLabel->setText(QStringLiteral("00000"));
    LEDLabel->repaint();
}

std::string MainWindow::searchBytes() const {
    return nomix::dataBytes(SearchBox->currentText(), dataIsUtf8_);
}

void MainWindow::searchButtonClicked() {
    if (searchButtonIsStop_) {
        StopButtonClick();
    } else {
        SearchButtonClick();
    }
}

void MainWindow::SearchButtonClick() {
    if (!DatabaseLoaded) {
        if (MessageBox::show(this, MessageBox::Warning, QStringLiteral("Warning"),
                             QStringLiteral("Database initialization failed. Retry?"),
                             MessageBox::Yes | MessageBox::No) != MessageBox::Yes) {
            return;
        }
        try {
            DatabaseLoaded = LoadDatabase();
        } catch (const std::exception& error) {
            reportException(error);
            return;
        }
        if (!DatabaseLoaded) {
            PlaySoundEffect(AttentionWave);
            MessageBox::error(this, kNoDatabaseMessage);
            PageControl->setCurrentWidget(PrefSheet);
            return;
        }
        ApplyProductSelection();
    }
    if (SearchBox->currentText().isEmpty()) {
        PlaySoundEffect(AttentionWave);
        MessageBox::information(this, QStringLiteral("Please, set a search string"));
        SearchBox->setFocus();
        return;
    }
    if (OptionForm->BackgroundCheck->isChecked()) {
        setSearchButtonAsStop(true);
        SearchButton->setFocus();
    } else {
        SearchButton->setEnabled(false);
    }
    SearchFinished = false;
    ClearResults();
    EnableSearchControls(false);
    setWindowSizeLocked(true);
    addToHistory(SearchBox->currentText());

    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        RunSearch();
    } catch (...) {
        QApplication::restoreOverrideCursor();
        throw;
    }
    QApplication::restoreOverrideCursor();
    if (!SearchFinished) {
        StopButtonClick();
    }
}

void MainWindow::RunSearch() {
    Searching = true;
    SearchRequest request;
    request.text = searchBytes();
    request.mode = decideMatchMode(OptionForm->MatchCheck->isChecked(), FirstButton->isChecked(),
                                   LastButton->isChecked());
    request.numericOnly = OptionForm->ResultCheck->isChecked();
    request.updateCounter = OptionForm->CounterCheck->isChecked();
    request.background = OptionForm->BackgroundCheck->isChecked();
    request.allProductsSelected = AllProductsSelected;
    request.selected = Selection.states();
    request.columnCount = static_cast<size_t>(ReportGrid->gridModel()->columnCount());
    const int rowsAtStart = ReportGrid->gridModel()->dataRowCount();
    HitCount = 0;
    QElapsedTimer sinceStart;
    sinceStart.start();
    lastEventSlice_ = 0;

    MainWindowSearchObserver observer(this);
    SearchOutcome outcome = nomix::runSearch(DatabaseLines, request, &observer);
    HitCount = outcome.hitCount;
    ResultList = std::move(outcome.hits);
    ReportGrid->gridModel()->setDataRowCount(rowsAtStart + static_cast<int>(ResultList.size()));
}

void MainWindow::processEventsInSlices() {
    static QElapsedTimer clock;
    if (!clock.isValid()) {
        clock.start();
    }
    const qint64 now = clock.elapsed();
    if (now - lastEventSlice_ >= kEventSliceMs) {
        QCoreApplication::processEvents();
        lastEventSlice_ = clock.elapsed();
    }
}

void MainWindow::StopButtonClick() {
    Searching = false;
    if (OptionForm->BackgroundCheck->isChecked()) {
        setSearchButtonAsStop(false);
        SearchButton->setFocus();
    } else {
        SearchButton->setEnabled(true);
    }
    EnableSearchControls(true);
    setWindowSizeLocked(false);
    showHitCount();
    SearchFinished = true;
    if (HitCount == 0) {
        PlaySoundEffect(NoItemWave);
        SearchBox->setFocus();
    } else {
        PlaySoundEffect(SchwingWave);
        ReportGrid->setFocus();
        ReportGrid->viewport()->update();
    }
}

void MainWindow::showHitCount() {
    LEDLabel->setText(ledText(HitCount));
    QString hint = kCounterHint;
    if (HitCount > kLedMaximum) {
        const QString exact = QStringLiteral("%L1 items found").arg(HitCount);
        hint += QStringLiteral(" (%1)").arg(exact);
        StatusPanel0->setText(exact);
    }
    setHint(LEDLabel, hint);
}

// The window keeps its size while a search runs; it may still be moved.
void MainWindow::setWindowSizeLocked(bool locked) {
    if (locked) {
        setFixedSize(size());
    } else {
        setMinimumSize(kDesignWidth, kDesignHeight);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
}

void MainWindow::setSearchButtonAsStop(bool stop) {
    searchButtonIsStop_ = stop;
    SearchButton->setText(stop ? QStringLiteral("&Stop") : QStringLiteral("&Search"));
    SearchButton->setIcon(QIcon(stop ? Pictures::StopGlyph() : Pictures::SearchGlyph()));
}

void MainWindow::EnableSearchControls(bool on) {
    ExitButton->setEnabled(on);
    HelpButton->setEnabled(on);
    StringPanel->setEnabled(on);
    PrefSheet->setEnabled(on);
    SpeedTrackBar->setEnabled(on);
    ReportGrid->setEnabled(on);
    FindDocImage->setEnabled(on);
    helpPopupEnabled_ = on;
    Options->setEnabled(on);
    Help->setEnabled(on);
    Options->menuAction()->setEnabled(on);
    Help->menuAction()->setEnabled(on);
}

void MainWindow::addToHistory(const QString& text) {
    for (int i = 0; i < SearchBox->count(); ++i) {
        if (SearchBox->itemText(i).compare(text, Qt::CaseInsensitive) == 0) {
            return;
        }
    }
    const QString kept = text; // removing the first item may change the edit text
    SearchBox->addItem(kept);
    if (SearchBox->count() > kHistoryLimit) {
        SearchBox->removeItem(0);
    }
    SearchBox->setEditText(kept);
}

void MainWindow::SpeedTrackBarChange() {
    SpeedGuard = true;
    const int position = SpeedTrackBar->value();
    OptionForm->BackgroundCheck->setChecked(position <= 1);
    OptionForm->CounterCheck->setChecked(position == 0);
    SpeedGuard = false;
}

void MainWindow::setSpeedTrackBarPosition(int position) {
    settingSpeedTrackBar_ = true;
    SpeedTrackBar->setValue(qBound(0, position, 2));
    settingSpeedTrackBar_ = false;
}

void MainWindow::moveSpeedTrackBar(bool boxChecked) {
    if (SpeedGuard) {
        return;
    }
    setSpeedTrackBarPosition(SpeedTrackBar->value() + (boxChecked ? -1 : 1));
}

void MainWindow::OptionsChanged(int code) {
    switch (code) {
    case kBitmapsChanged:
        ReportGrid->viewport()->update();
        break;
    case kShowProductsChanged:
        ApplyProductSelection();
        break;
    case kCounterChanged:
        moveSpeedTrackBar(OptionForm->CounterCheck->isChecked());
        break;
    case kStringMatchChanged: {
        const bool enabled = !OptionForm->MatchCheck->isChecked();
        FirstButton->setEnabled(enabled);
        LastButton->setEnabled(enabled);
        break;
    }
    case kBackgroundChanged:
        moveSpeedTrackBar(OptionForm->BackgroundCheck->isChecked());
        break;
    case kHistoryEraseConfirmed: {
        const QString text = SearchBox->currentText();
        SearchBox->clear();
        SearchBox->setEditText(text);
        break;
    }
    default:
        break;
    }
}

bool MainWindow::SearchBoxKeyPress(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        SearchButton->click();
        return true;
    }
    return false;
}

void MainWindow::FormKeyPress() {
    if (Searching) {
        StopButtonClick();
    }
}

void MainWindow::S1Click() {
    PageControl->setCurrentWidget(SearchSheet);
    PageControlChange();
    SearchButtonClick();
}

void MainWindow::Search1Click() {
    PageControl->setCurrentWidget(SearchSheet);
    Search1->setChecked(true);
}

void MainWindow::Preferences1Click() {
    PageControl->setCurrentWidget(PrefSheet);
    Preferences1->setChecked(true);
}

void MainWindow::PageControlChange() {
    const bool onSearch = PageControl->currentWidget() == SearchSheet;
    Search1->setChecked(onSearch);
    Preferences1->setChecked(!onSearch);
}

void MainWindow::ProductButtonClick() {
    if (!SelectForm) {
        return;
    }
    centerOnMainWindow(SelectForm, this);
    if (SelectForm->exec() == QDialog::Accepted) {
        ApplyProductSelection();
    }
}

void MainWindow::OptionButtonClick() {
    centerOnMainWindow(OptionForm, this);
    OptionForm->exec();
}

void MainWindow::FindDocImageClick() {
    AboutDialog::ShowAbout(this, OptionForm->CheckSounds->isChecked());
}

void MainWindow::rhLabel3D3Click() {
    if (!Searching) {
        PlaySoundEffect(WelcomeWave);
    }
}

void MainWindow::PlaySoundEffect(SoundClip* wave) {
    if (OptionForm && OptionForm->CheckSounds->isChecked()) {
        QApplication::beep();
        return;
    }
    try {
        wave->Play();
    } catch (const SoundClipError&) {
        QApplication::beep();
    }
}

// ---------------------------------------------------------------- grid menu

void MainWindow::ReportGridContextMenu(const QPoint& position) {
    menuCell_ = ReportGrid->indexAt(position);
    try {
        ReportMenuPopup();
    } catch (const std::exception& error) {
        reportException(error);
        return;
    }
    ReportMenu->popup(ReportGrid->viewport()->mapToGlobal(position));
}

void MainWindow::ReportMenuPopup() {
    if (!DatabaseLoaded) {
        throw NomixError("Local menu disabled");
    }
    ClearResult->setEnabled(!ResultList.empty());
    SaveResult->setEnabled(ClearResult->isEnabled());
    ExportResult->setEnabled(ClearResult->isEnabled());
    SearchForName->setEnabled(!cellName(menuCell_).isEmpty());
}

void MainWindow::ClearResultClick() {
    ClearResults();
}

void MainWindow::SaveResultClick() {
    ReportInput input;
    input.lines = &DatabaseLines;
    input.resultList = ResultList;
    input.products = &Products;
    input.selection = &Selection;
    input.hitCount = HitCount;
    input.searchText = SearchBox->currentText();
    input.dataIsUtf8 = dataIsUtf8_;
    input.commonDirectory = DataEdit->text();
    input.showStatus = [this](const QString& text) { StatusPanel0->setText(text); };
    SaveResults(this, input);
}

// Builds a database from scan reports the user chooses, then offers to open
// it the way the retry of a failed start opens one.
void MainWindow::importScanReports() {
    const QStringList files = FileDialog::getOpenFileNames(
        this, QStringLiteral("Import scan reports"), DataEdit->text(),
        QStringLiteral("Scan reports (*.json *.jsonl *.ndjson);;All files (*)"));
    if (files.isEmpty()) {
        return;
    }
    const QString folder = FileDialog::getExistingDirectory(
        this, QStringLiteral("Folder for the new database"), DataEdit->text());
    if (folder.isEmpty()) {
        return;
    }
    ScanReportImporter importer(this);
    if (importer.run(files, folder) != ScanReportImporter::Outcome::Written) {
        return;
    }
    const QString question = QStringLiteral("The database in %1 holds %2 samples.\rUse it now?")
                                 .arg(folder)
                                 .arg(importer.sampleCount());
    if (MessageBox::show(this, MessageBox::Information, QStringLiteral("Information"), question,
                         MessageBox::Yes | MessageBox::No) != MessageBox::Yes) {
        return;
    }
    DataEdit->setText(folder);
    DataFileEdit->setText(QStringLiteral("NOMIX.DAT"));
    ConfigFileEdit->setText(QStringLiteral("NOMIX.CFG"));
    try {
        DatabaseLoaded = LoadDatabase();
    } catch (const std::exception& error) {
        reportException(error);
        return;
    }
    if (DatabaseLoaded) {
        ApplyProductSelection();
        ClearResults();
    }
}

// The products whose columns a search and an export take part in.
std::vector<size_t> MainWindow::takingPartColumns() const {
    std::vector<size_t> columns;
    for (size_t c = 0; c < Products.entries.size(); ++c) {
        if (AllProductsSelected || Selection.isSelected(c)) {
            columns.push_back(c);
        }
    }
    return columns;
}

void MainWindow::writeResults(ResultWriter& writer, const std::vector<size_t>& columns,
                             const std::vector<uint32_t>& lines) const {
    writer.header();
    std::vector<std::string_view> names(columns.size());
    for (uint32_t index : lines) {
        const std::string_view line = DatabaseLines.at(index);
        for (size_t i = 0; i < columns.size(); ++i) {
            names[i] = fieldViewByChar(static_cast<int32_t>(columns[i] + 1), line, '|');
        }
        writer.row(index, names);
    }
}

std::vector<std::string> MainWindow::productTitles(const std::vector<size_t>& columns) const {
    std::vector<std::string> titles;
    for (size_t c : columns) {
        titles.push_back(Products.entries[c]);
    }
    return titles;
}

// The hits as CSV or JSON Lines, by the chosen name's extension.
void MainWindow::exportResults() {
    const QString fileName = FileDialog::getSaveFileName(
        this, QStringLiteral("Export search results"), DataEdit->text(),
        QStringLiteral("CSV (*.csv);;JSON Lines (*.jsonl *.json);;All files (*)"));
    if (fileName.isEmpty()) {
        return;
    }
    QSaveFile file(fileName);
    bool written = file.open(QIODevice::WriteOnly);
    if (written) {
        const std::vector<size_t> columns = takingPartColumns();
        ResultWriter writer(resultFormatForFileName(fileName.toStdString()), productTitles(columns),
                            [&file, &written](std::string_view bytes) {
                                written =
                                    written && file.write(bytes.data(), qint64(bytes.size())) ==
                                                   qint64(bytes.size());
                            });
        writeResults(writer, columns, ResultList);
        written = written && file.commit();
    }
    if (!written) {
        MessageBox::reportException(this, fileName + QStringLiteral(": ") + file.errorString());
    }
}

// Ctrl+C: the selected cells as tab-separated text under their products' titles.
void MainWindow::copySelectedCells() {
    const QModelIndexList selected = ReportGrid->selectionModel()->selectedIndexes();
    std::set<size_t> columnSet;
    std::set<int> rowSet;
    for (const QModelIndex& index : selected) {
        if (!ReportGrid->isColumnHidden(index.column()) &&
            static_cast<size_t>(index.row()) < ResultList.size()) {
            columnSet.insert(static_cast<size_t>(index.column()));
            rowSet.insert(index.row());
        }
    }
    if (columnSet.empty()) {
        return;
    }
    std::vector<uint32_t> lines;
    for (int row : rowSet) {
        lines.push_back(ResultList[static_cast<size_t>(row)]);
    }
    const std::vector<size_t> columns(columnSet.begin(), columnSet.end());
    std::string text;
    ResultWriter writer(ResultFormat::Tsv, productTitles(columns),
                        [&text](std::string_view bytes) { text.append(bytes); });
    writeResults(writer, columns, lines);
    QApplication::clipboard()->setText(QString::fromUtf8(text.data(), qsizetype(text.size())));
}

QString MainWindow::cellName(const QModelIndex& cell) const {
    if (!cell.isValid() || static_cast<size_t>(cell.row()) >= ResultList.size()) {
        return {};
    }
    const std::string_view line = DatabaseLines.at(ResultList[static_cast<size_t>(cell.row())]);
    return nomix::displayText(fieldViewByChar(cell.column() + 1, line, '|'));
}

void MainWindow::searchForCellName() {
    const QString name = cellName(menuCell_);
    if (name.isEmpty()) {
        return;
    }
    SearchBox->setEditText(name);
    SearchButtonClick();
}

void MainWindow::SetColumnWidthClick() {
    bool ok = false;
    const QString text =
        QInputDialog::getText(this, QStringLiteral("Set width of columns within the grid"),
                              QStringLiteral("Insert a value"), QLineEdit::Normal, QString(), &ok);
    if (!ok || text.isEmpty()) {
        return;
    }
    bool isNumber = false;
    const qlonglong value = text.trimmed().toLongLong(&isNumber);
    if (!isNumber) {
        MessageBox::reportException(this,
                                    QStringLiteral("'%1' is not a valid integer value").arg(text));
        return;
    }
    ReportGrid->SetAllColumnWidths(
        static_cast<int>(qBound(qlonglong(kMinColumnWidth), value, qlonglong(kMaxColumnWidth))));
}

void MainWindow::RestoreColumClick() {
    ReportGrid->SetAllColumnWidths(ResultsView::kDefaultColWidth);
}

// ---------------------------------------------------------------- preferences

void MainWindow::BrowseButtonClick() {
    if (!DataEdit->text().isEmpty()) {
        ShellBrowse->SetOpenFolderPath(DataEdit->text());
    }
    if (ShellBrowse->Execute()) {
        DataEdit->setText(ShellBrowse->SelectedPath());
    }
}

void MainWindow::DataNameButtonClick() {
    const QString chosen =
        FileDialog::getOpenFileName(this, QStringLiteral("Please, select a file"), DataEdit->text(),
                                    QStringLiteral("Nomix databases (*.dat);;All files (*)"));
    if (!chosen.isEmpty()) {
        DataFileEdit->setText(fileNamePart(chosen));
    }
}

void MainWindow::ConfigNameButtonClick() {
    const QString chosen =
        FileDialog::getOpenFileName(this, QStringLiteral("Please, select a file"), DataEdit->text(),
                                    QStringLiteral("Nomix configuration  (*.cfg);;All files (*)"));
    if (!chosen.isEmpty()) {
        ConfigFileEdit->setText(fileNamePart(chosen));
    }
}

// ---------------------------------------------------------------- help

void MainWindow::showHelpPopup(QWidget* control, const QPoint& globalPosition) {
    if (!helpPopupEnabled_) {
        return;
    }
    helpPopupControl_ = control;
    helpPopupPosition_ = globalPosition;
    HelpPopup->popup(globalPosition);
}

void MainWindow::WhatsthisClick() {
    if (!helpPopupControl_) {
        return;
    }
    int topic = helpPopupControl_->property(kTopicProperty).toInt();
    if (topic == 16) {
        const QPoint local = mapFromGlobal(helpPopupPosition_);
        if (local.x() - 15 > StatusPanel0->width()) {
            topic = 17;
        }
    }
    helpViewer_->showPopup(topic, helpPopupPosition_);
}

void MainWindow::Wathsthis1Click() {
    helpViewer_->showPopup(38, QCursor::pos());
}

void MainWindow::HelpButtonClick() {
    helpViewer_->showTopic(40);
}

// ---------------------------------------------------------------- window

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void MainWindow::FormResize() {
    const int width = centralWidget()->width();
    TopPanel->setGeometry(0, 0, width, 45);
    TopLabel->setGeometry(2, 2, width - 4, 41);
    ClientPanel->setGeometry(0, 45, width, 196);
    ReportGrid->setGeometry(0, 241, width, qMax(0, centralWidget()->height() - 241));

    PageControl->setGeometry(4, 4, width - 230, 150);
    OuterTrackPanel->setGeometry(width - 210, 4, 206, 188);
    const int page = PageControl->width();
    ProgressStartLabel->setGeometry(8, 164, 26, 18);
    ProgressPanel->setGeometry(36, 160, page - 72, 26);
    ProgressBar->setGeometry(3, 3, ProgressPanel->width() - 6, ProgressPanel->height() - 6);
    ProgressLabel->setGeometry(page - 25, 164, 40, 18);

    const int buttonsLeft = page - 103;
    SearchButton->move(buttonsLeft, SearchButton->y());
    HelpButton->move(buttonsLeft, HelpButton->y());
    ExitButton->move(buttonsLeft, ExitButton->y());
    StringPanel->resize(page - 120, StringPanel->height());
    SearchBox->resize(StringPanel->width() - 20, SearchBox->height());
    ProductButton->resize(SearchBox->width() - ProductButton->x() + 7, ProductButton->height());

    layoutStatusPanels();

    DataGroup->resize(page - 25, DataGroup->height());
    const int editWidth = page / 2 - 59;
    DataEdit->resize(editWidth, DataEdit->height());
    BrowseButton->move(DataEdit->geometry().right() + 3, DataEdit->y());
    DataFileEdit->resize(editWidth, DataFileEdit->height());
    DataNameButton->move(BrowseButton->x(), DataFileEdit->y());
    OptionButton->setGeometry(BrowseButton->x() + 44, DataEdit->y(),
                              editWidth + BrowseButton->width() + 2, 26);
    ConfigFileEdit->setGeometry(OptionButton->x(), DataFileEdit->y(),
                                OptionButton->width() - BrowseButton->width() - 1,
                                ConfigFileEdit->height());
    ConfigNamebutton->move(ConfigFileEdit->geometry().right() + 3, ConfigFileEdit->y());
    ConfigFileLabel->setGeometry(ConfigFileEdit->x(), DataFileLabel->y(), 170, 18);
}

// The first panel takes the window's width less 200 pixels, but never so much
// that the database label in the second panel is cut.
void MainWindow::layoutStatusPanels() {
    QWidget* panels = StatusPanel0->parentWidget();
    const int panelHeight = qMax(18, panels->height());
    const int secondNeeds = StatusPanel1->sizeHint().width() + 4;
    const int firstWidth =
        qMax(10, qMin(frameGeometry().width() - 200, panels->width() - secondNeeds - 2));
    StatusPanel0->setGeometry(0, 0, firstWidth, panelHeight);
    StatusPanel1->setGeometry(firstWidth + 2, 0, qMax(15, panels->width() - firstWidth - 2),
                              panelHeight);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
    QMainWindow::closeEvent(event);
    // Closing a window hidden in the tray does not count as the last window
    // closing, so the program ends here explicitly.
    QCoreApplication::quit();
}

bool MainWindow::FormCloseQuery() {
    if (Searching) {
        return false;
    }
    if (!saveSettings() && !closingUnattended_ && !confirmCloseWithoutSaving()) {
        return false;
    }
    if (helpViewer_) {
        helpViewer_->quit();
    }
    return true;
}

// A settings file that cannot be written must not keep the user from leaving.
bool MainWindow::confirmCloseWithoutSaving() {
    return MessageBox::show(this, MessageBox::Warning, QStringLiteral("Warning"),
                            QStringLiteral("The settings could not be saved.\r"
                                           "Close Nomix95 without saving them?"),
                            MessageBox::Yes | MessageBox::No) == MessageBox::Yes;
}

// The session ends or the program is told to terminate: close as Exit does,
// stopping a running search first, and ask nothing, since nobody may be
// there to answer.
void MainWindow::endSession() {
    if (Searching) {
        StopButtonClick();
    }
    closingUnattended_ = true;
    if (!close()) {
        closingUnattended_ = false;
    }
}

// The desktop session is ending: the session manager ends the program
// itself afterwards, so only what would be lost is saved here.
void MainWindow::commitSessionData() {
    if (Searching) {
        StopButtonClick();
    }
    closingUnattended_ = true;
    saveSettings();
    closingUnattended_ = false;
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) {
        return;
    }
    // The title bar's commands wait until the search ends. While a dialog or
    // the report writer holds the window, the window manager may iconify the
    // window along with its dialog; that is undone too.
    const bool held = Searching || !isEnabled() || QApplication::activeModalWidget();
    if (held && (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))) {
        const auto* change = static_cast<QWindowStateChangeEvent*>(event);
        if (Searching) {
            setWindowState(change->oldState());
        } else {
            nomix::restoreNormalState(this);
        }
        return;
    }
    if (windowState() & Qt::WindowMinimized) {
        MinimizeToTray();
    }
}

void MainWindow::MinimizeToTray() {
    if (OptionForm && OptionForm->MinimizeCheck->isChecked()) {
        NotifyIcon->SetHideTask(true);
        NotifyIcon->SetIconVisible(true);
    }
}

void MainWindow::NotifyIconClick() {
    NotifyIcon->SetHideTask(false);
    NotifyIcon->SetIconVisible(false);
    if (windowState() & Qt::WindowMinimized) {
        showNormal();
    }
    show();
    raise();
    activateWindow();
}

bool MainWindow::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        ShowStatusHint(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void MainWindow::ShowStatusHint(const QString& hint) {
    StatusPanel0->setText(hint.isEmpty() ? kWelcome : hint);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::StatusTip && watched != this && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->isWindow()) {
        ShowStatusHint(static_cast<QStatusTipEvent*>(event)->tip());
        return false;
    }
    if (StatusPanel0 && watched == StatusPanel0->parentWidget() &&
        event->type() == QEvent::Resize) {
        layoutStatusPanels();
        return false;
    }
    if (SearchBox && watched == SearchBox && event->type() == QEvent::KeyPress) {
        return SearchBoxKeyPress(static_cast<QKeyEvent*>(event));
    }
    if (FindDocImage && watched == FindDocImage && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && FindDocImage->isEnabled()) {
        FindDocImageClick();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::reportException(const std::exception& error) {
    MessageBox::reportError(this, error);
}

} // namespace nomix
