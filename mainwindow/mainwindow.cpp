// SPDX-License-Identifier: MIT
#include "mainwindow.h"

#include "balloonhints.h"
#include "clientpanel.h"
#include "controlhelp.h"
#include "familycomputation.h"
#include "namesbyproductwindow.h"
#include "namescounting.h"
#include "pictures.h"
#include "preferencespage.h"
#include "reportsaver.h"
#include "resultsdelegate.h"
#include "resultsheader.h"
#include "resultsmenu.h"
#include "resultsmodel.h"
#include "resultsview.h"
#include "scanreportimporter.h"
#include "searchcontroller.h"
#include "searchpage.h"
#include "serversearchthread.h"
#include "soundeffects.h"
#include "speedcounterpanel.h"
#include "splashscreen.h"
#include "statuspanels.h"
#include "titlepanel.h"
#include "widgethelp.h"
#include "windowtray.h"

#include "core/database.h"
#include "core/datafile.h"
#include "core/fileerror.h"
#include "core/hitlines.h"
#include "core/labelling/linefamilies.h"
#include "core/namesbyproduct.h"
#include "core/searchengine.h"
#include "core/utf8.h"
#include "dialogs/aboutdialog.h"
#include "dialogs/optionsdialog.h"
#include "dialogs/productfilterdialog.h"
#include "dialogs/staledatabasedialog.h"
#include "platform/classicfont.h"
#include "platform/datafolder.h"
#include "platform/displaytext.h"
#include "platform/helpviewer.h"
#include "platform/messagebox.h"
#include "platform/programdata.h"
#include "platform/registryfile.h"
#include "platform/settings.h"
#include "platform/staynormalfilter.h"
#include "platform/windowplacement.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QMenuBar>
#include <QProgressBar>
#include <QScopeGuard>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QStatusTipEvent>

#include <cstdio>
#include <numeric>
#include <optional>

namespace nomix {

namespace {

constexpr int kDesignWidth = 630;
constexpr int kDesignHeight = 476;
constexpr int kEventSliceMs = 10;

// The window's caption, which the tray icon's tip repeats.
QString applicationTitle() {
    return QCoreApplication::translate(
        "nomix::MainWindow", "Nomix95 - the virus name cross-reference, by its developers");
}

std::string bytesOf(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

QString textOf(const std::string& bytes) {
    return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// The default common directory: the bundled sample of the installed program,
// or the source tree's for a program run from its build tree.
QString defaultDataDirectory() {
    return programDataPath(QStringLiteral("sample"));
}

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), m_settings(new Settings(this)), m_search(new SearchController(this)),
      m_sounds(new SoundEffects(m_settings, this)) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(applicationTitle());
    setWindowIcon(Pictures::applicationIcon());
    setFont(classicUiFont());

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    setCentralWidget(central);
    buildPanels();
    buildResultsView();
    buildStatusBar();
    buildMenus();
    m_tray = new WindowTray(this, applicationTitle(), m_settings);
    showHintsAsBalloons(this, m_resultsView->horizontalHeader());
    m_help = new ControlHelp(helpFilePath(), this);
    m_help->attachControls(this, m_resultsView);

    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, [this] {
        if (m_search->state() == SearchController::State::Searching) {
            stopSearch();
        }
    });
    auto* namesByProduct = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_T), this);
    namesByProduct->setObjectName(QStringLiteral("namesByProductShortcut"));
    namesByProduct->setContext(Qt::WindowShortcut);
    connect(namesByProduct, &QShortcut::activated, this, &MainWindow::showNamesByProduct);
    m_namesCounting = new NamesCounting(this);
    connect(m_namesCounting, &NamesCounting::namesCounted, this,
            [this](std::shared_ptr<std::vector<std::vector<NameCount>>> names, size_t hitCount) {
                if (m_namesWindow && m_namesWindow->isVisible()) {
                    m_namesWindow->showNames(m_productNames, std::move(*names), hitCount,
                                             m_databaseIsUtf8, m_lastSearchText);
                }
            });
    m_familyComputation = new FamilyComputation(this);
    connect(m_familyComputation, &FamilyComputation::familiesComputed, this,
            &MainWindow::useFamilies);
    connect(m_familyComputation, &FamilyComputation::failed, this,
            &MainWindow::reportFamiliesFailure);
    connect(m_search, &SearchController::progressChanged, m_progressBar, &QProgressBar::setValue);
    connect(m_search, &SearchController::hitCountChanged, m_speedPanel,
            &SpeedCounterPanel::showRunningCount);

    resize(kDesignWidth, kDesignHeight);
    fitToScreen();
}

// The background threads read the lines, which go before the window's
// children.
MainWindow::~MainWindow() {
    m_familyComputation->cancel();
    m_namesCounting->cancel();
}

// ---------------------------------------------------------------- building

void MainWindow::buildPanels() {
    m_titlePanel = new TitlePanel(centralWidget());
    connect(m_titlePanel, &TitlePanel::titleClicked, this, &MainWindow::playWelcome);

    m_client = new ClientPanel(m_settings, centralWidget());
    m_searchPage = m_client->searchPage();
    m_preferencesPage = m_client->preferencesPage();
    m_speedPanel = m_client->speedPanel();
    m_progressBar = m_client->progressBar();
    connect(m_client, &ClientPanel::pageChanged, this, &MainWindow::updatePageActions);
    connect(m_searchPage, &SearchPage::searchClicked, this, &MainWindow::searchOrStop);
    connect(m_searchPage, &SearchPage::productsClicked, this, &MainWindow::chooseProducts);
    connect(m_searchPage, &SearchPage::helpClicked, this, [this] { m_help->showContents(); });
    connect(m_searchPage, &SearchPage::exitClicked, this, &QWidget::close);
    connect(m_preferencesPage, &PreferencesPage::optionsClicked, this, &MainWindow::showOptions);
    connect(m_preferencesPage, &PreferencesPage::rulesFolderChanged, this, [this] {
        if (m_databaseLoaded) {
            startFamilies();
        }
    });
    connect(m_speedPanel, &SpeedCounterPanel::aboutClicked, this, &MainWindow::showAbout);
}

void MainWindow::buildResultsView() {
    m_resultsView = new ResultsView(centralWidget());
    m_results = m_resultsView->resultsModel();
    m_results->setShowBitmaps(m_settings->value(Option::ShowBitmaps));
    m_resultsView->setStatusTip(
        tr("Hint: click the right  button of the mouse to display a local menu"));
    m_resultsMenu = new ResultsMenu(m_resultsView, &m_products, this);
    connect(m_resultsView, &QWidget::customContextMenuRequested, this,
            &MainWindow::showResultsMenu);
    connect(m_resultsMenu, &ResultsMenu::whatsThisTriggered, this, &MainWindow::showResultsHelp);
    connect(m_resultsMenu, &ResultsMenu::searchForNameTriggered, this, &MainWindow::searchForName);
    connect(m_resultsMenu, &ResultsMenu::clearTriggered, this, &MainWindow::clearResults);
    connect(m_resultsMenu, &ResultsMenu::saveTriggered, this, &MainWindow::saveResults);
    connect(m_resultsMenu, &ResultsMenu::searchForFamilyTriggered, this,
            &MainWindow::searchForName);
    connect(m_resultsMenu, &ResultsMenu::namesByProductTriggered, this,
            &MainWindow::showNamesByProduct);
}

void MainWindow::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    bar->setSizeGripEnabled(true);
    bar->setFixedHeight(25);
    m_statusPanels = new StatusPanels;
    bar->addWidget(m_statusPanels, 1);
    setHelpTopic(bar, HelpTopic::StatusLine);
}

void MainWindow::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));
    m_fileMenu = bar->addMenu(tr("&File"));
    m_fileMenu->setObjectName(QStringLiteral("fileMenu"));
    m_fileMenu->addAction(tr("S&tart search"), this, &MainWindow::startSearchFromMenu)
        ->setObjectName(QStringLiteral("startSearchAction"));
    m_fileMenu->addSeparator();
    auto* pages = new QActionGroup(this);
    m_searchPageAction =
        m_fileMenu->addAction(tr("&Search"), m_client, &ClientPanel::showSearchPage);
    m_searchPageAction->setObjectName(QStringLiteral("searchPageAction"));
    m_preferencesPageAction =
        m_fileMenu->addAction(tr("&Preferences"), m_client, &ClientPanel::showPreferencesPage);
    m_preferencesPageAction->setObjectName(QStringLiteral("preferencesPageAction"));
    for (QAction* action : {m_searchPageAction, m_preferencesPageAction}) {
        action->setCheckable(true);
        pages->addAction(action);
    }
    m_searchPageAction->setChecked(true);
    m_fileMenu->addSeparator();
    QAction* import =
        m_fileMenu->addAction(tr("&Import scan reports..."), this, &MainWindow::importScanReports);
    import->setObjectName(QStringLiteral("importAction"));
    import->setStatusTip(tr("Build a database from multi-engine scan reports"));
    m_fileMenu->addSeparator();
    m_fileMenu->addAction(tr("&Exit"), this, &QWidget::close)
        ->setObjectName(QStringLiteral("exitAction"));

    m_helpMenu = bar->addMenu(tr("&Help"));
    m_helpMenu->setObjectName(QStringLiteral("helpMenu"));
    m_helpMenu->addAction(tr("&Help Topics"), this, [this] { m_help->showContents(); })
        ->setObjectName(QStringLiteral("helpTopicsAction"));
    m_helpMenu->addSeparator();
    m_helpMenu->addAction(tr("&About..."), this, &MainWindow::showAbout)
        ->setObjectName(QStringLiteral("aboutAction"));
}

// Reactions to options that show at once, also while the options dialog is
// still open. They start once the stored settings are read.
void MainWindow::followSettings() {
    m_settings->follow(Option::ShowBitmaps, m_results, &ResultsModel::setShowBitmaps);
    m_settings->follow(Option::ShowAllProducts, this, &MainWindow::applyProductSelection);
    m_settings->follow(Option::CompleteStringMatch, this,
                       [this](bool on) { m_searchPage->setModifiersEnabled(!on); });
    connect(m_optionsDialog, &OptionsDialog::historyEraseConfirmed, m_searchPage,
            &SearchPage::clearHistory);
    m_speedPanel->followSettings();
}

void MainWindow::setMarkerPictures() {
    const QColor gridColour = m_resultsView->palette().color(QPalette::Base);
    QImage noVirus = Pictures::noVirus();
    QImage magnifier = Pictures::magnifier();
    QImage help = Pictures::helpMarker();
    for (QImage* image : {&noVirus, &magnifier, &help}) {
        replaceImageColor(*image, gridColour, Pictures::kOlive);
    }
    m_resultsView->resultsDelegate()->setMarkerPictures(
        QPixmap::fromImage(noVirus), QPixmap::fromImage(magnifier), QPixmap::fromImage(help));
}

// ---------------------------------------------------------------- start-up

void MainWindow::start() {
    m_optionsDialog = new OptionsDialog(m_settings, this);

    // Hints of the dialogs' controls show on this window's status bar too.
    qApp->installEventFilter(this);

    auto splash = std::make_unique<SplashScreen>();
    splash->show();
    splash->repaint();
    m_sounds->play(SoundEffects::Effect::Welcome);
    setMarkerPictures();
    splash->raise();

    loadSettings();
    followSettings();

    // A load error is reported once the window is up, so its box is centred
    // on the window rather than on the screen's corner.
    std::optional<QString> loadError;
    try {
        m_databaseLoaded = loadDatabase();
    } catch (const std::exception& error) {
        m_databaseLoaded = false;
        loadError = MessageBox::errorText(error);
    }
    splash->hide();
    if (m_databaseLoaded) {
        applyProductSelection();
    } else {
        m_productMask = 0xFFFFFFFFu;
    }
    fitToScreen();
    nomix::showCentredOnScreen(this);
    // The window manager's frame is known only now.
    fitToScreen();
    splash.reset();
    activateWindow();
    m_searchPage->focusSearchBox();
    if (loadError) {
        MessageBox::reportException(this, *loadError);
    }
    if (m_databaseLoaded && m_serverUrlInUse.empty()) {
        runUpdateAlarm();
    } else if (!m_databaseLoaded) {
        m_client->showPreferencesPage();
        // A server's failure was named above; there are no files to list.
        if (serverUrl().empty()) {
            MessageBox::error(this, noDatabaseMessage());
        }
    }
}

// The start-up's message for a database that is not there names the files
// it looked for, so the user knows what to set.
QString MainWindow::noDatabaseMessage() const {
    const DataLocation location = dataLocation();
    QStringList missing;
    for (const std::string& path : {location.tablePath(), location.databasePath()}) {
        if (!fileExists(path)) {
            missing << textOf(path) + tr(": File not found");
        }
    }
    QString message = tr("Could not open the database.\rPlease, set a right path and file names "
                         "in the Preferences tab");
    if (!missing.isEmpty()) {
        message.replace(QStringLiteral(".\r"), QStringLiteral(".\r") +
                                                   missing.join(QLatin1Char('\r')) +
                                                   QLatin1Char('\r'));
    }
    return message;
}

QString MainWindow::helpFilePath() const {
    return programDataPath(QStringLiteral("help/") + QLatin1String(HelpViewer::kFileName));
}

// The settings as the window holds them now.
StoredSettings MainWindow::currentSettings() const {
    StoredSettings settings;
    settings.dataPath = bytesOf(m_preferencesPage->directory());
    settings.dataName = bytesOf(m_preferencesPage->databaseName());
    settings.configName = bytesOf(m_preferencesPage->tableName());
    m_settings->copyTo(settings);
    // The product list's own menu item holds the latest list-details state.
    settings.listDetails = m_productDialog ? m_productDialog->listDetails() : m_listDetails;
    settings.productMask = m_productMask;
    settings.lastSelectionEx = m_databaseLoaded ? m_selection.extraStates() : m_lastSelectionEx;
    for (const QString& entry : m_searchPage->history()) {
        settings.history.push_back(bytesOf(entry));
    }
    settings.showFamilyColumn = m_resultsView->familyColumnShown();
    settings.rulesFolder = bytesOf(m_preferencesPage->rulesFolder());
    settings.serverUrl = serverUrl();
    return settings;
}

void MainWindow::applyStoredSettings(const StoredSettings& settings) {
    m_preferencesPage->setDirectory(textOf(settings.dataPath));
    m_preferencesPage->setDatabaseName(textOf(settings.dataName));
    m_preferencesPage->setTableName(textOf(settings.configName));
    m_settings->restore(settings);
    m_listDetails = settings.listDetails;
    m_productMask = settings.productMask;
    m_lastSelectionEx = settings.lastSelectionEx;
    QStringList history;
    for (const std::string& entry : settings.history) {
        history << textOf(entry);
    }
    m_searchPage->setHistory(history);
    m_resultsView->setFamilyColumnShown(settings.showFamilyColumn);
    m_preferencesPage->setRulesFolder(textOf(settings.rulesFolder));
    m_preferencesPage->setServerUrl(textOf(settings.serverUrl));
}

// Values the store could not read keep what the window held before.
void MainWindow::loadSettings() {
    StoredSettings settings = currentSettings();
    RegistryFile registry(RegistryFile::defaultFilePath());
    const std::string message = nomix::loadSettings(registry, settings);
    // A sample folder of an earlier installation or build that is gone (the
    // program was moved or reinstalled) gives way to this one's, silently:
    // the user never chose it, so their database is not missing.
    if (isStaleDefaultDirectory(settings.dataPath)) {
        settings.dataPath = bytesOf(defaultDataDirectory());
    }
    applyStoredSettings(settings);
    if (!message.empty()) {
        MessageBox::error(this, textOf(message));
    }
}

// Returns whether the settings were saved; a failure is shown to the user,
// or, when nobody may be there to answer, written to the standard error.
bool MainWindow::saveSettings() {
    const StoredSettings settings = currentSettings();
    QString failure;
    try {
        RegistryFile registry(RegistryFile::defaultFilePath());
        failure = textOf(nomix::saveSettings(registry, settings, m_databaseLoaded));
    } catch (const std::exception& error) {
        failure = MessageBox::errorText(error) + QLatin1Char('.');
    }
    if (failure.isEmpty()) {
        return true;
    }
    if (m_closingUnattended) {
        std::fprintf(stderr, "nomix95: %s\n", failure.toLocal8Bit().constData());
    } else {
        MessageBox::error(this, failure);
    }
    return false;
}

void MainWindow::runUpdateAlarm() {
    const QDateTime now = QDateTime::currentDateTime();
    const QDate today = now.date();
    const double nowNumber = dayNumberFromDate(today.year(), today.month(), today.day()) +
                             now.time().msecsSinceStartOfDay() / 86400000.0;
    bool alarmDisabled = m_settings->value(Option::UpdateAlarmDisabled);
    StaleDatabaseDialog::runAgeTest(this, &alarmDisabled, m_databaseDate, nowNumber);
    m_settings->setValue(Option::UpdateAlarmDisabled, alarmDisabled);
}

// ---------------------------------------------------------------- the database

DataLocation MainWindow::dataLocation() const {
    return DataLocation{bytesOf(m_preferencesPage->directory()),
                        bytesOf(m_preferencesPage->databaseName()),
                        bytesOf(m_preferencesPage->tableName())};
}

// Both files are read apart from the database in use, which stays whole and
// searchable until the new one has loaded; a failure leaves it as it was.
bool MainWindow::loadDatabase() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    const std::string url = serverUrl();
    if (!url.empty()) {
        loadServerDatabase(url);
        return true;
    }
    QElapsedTimer slice;
    slice.start();
    std::optional<Database> loaded;
    try {
        loaded = loadDatabaseFiles(dataLocation(), [&slice] {
            if (slice.elapsed() >= kEventSliceMs) {
                QCoreApplication::processEvents();
                slice.restart();
            }
        });
    } catch (const ShortReadError&) {
        // A product table cut short gets a beep before its message.
        QApplication::beep();
        throw;
    }
    if (!loaded) {
        return false;
    }
    useDatabase(std::move(*loaded));
    m_serverUrlInUse.clear();
    return true;
}

// A team database's product table, without lines: each search brings the
// lines it finds. Throws ServerError or NomixError naming the server.
void MainWindow::loadServerDatabase(const std::string& url) {
    ServerDatabase server = ServerSearchThread::readDatabase(url);
    Database database;
    database.table = std::move(server.table);
    useDatabase(std::move(database));
    m_databaseIsUtf8 = server.isUtf8;
    m_serverUrlInUse = url;
}

// The Preferences name another database than the one in use (a server's URL
// typed, changed or cleared): it is loaded before the search, and one that
// fails leaves the one in use as it was.
bool MainWindow::switchDatabase() {
    if (!tryLoadDatabase()) {
        if (serverUrl().empty()) {
            m_sounds->play(SoundEffects::Effect::Attention);
            MessageBox::error(this, noDatabaseMessage());
            m_client->showPreferencesPage();
        }
        return false;
    }
    applyProductSelection();
    clearResults();
    return true;
}

std::string MainWindow::serverUrl() const {
    return bytesOf(m_preferencesPage->serverUrl().trimmed());
}

void MainWindow::useDatabase(Database&& database) {
    m_familyComputation->cancel();
    m_namesCounting->cancel();
    m_families.reset();
    m_results->releaseDatabase();
    m_products = std::move(database.table);
    m_lines = std::move(database.names.lines);
    m_databaseDate = database.names.date;
    m_databaseIsUtf8 = isValidUtf8Bytes(m_lines.data(), m_lines.dataSize());

    m_statusPanels->showDatabaseLabel(nomix::displayText(m_products.label));
    QStringList titles;
    for (const std::string& entry : m_products.entries) {
        titles << nomix::displayText(entry);
    }
    if (m_productDialog) {
        m_listDetails = m_productDialog->listDetails();
        delete m_productDialog;
    }
    m_productDialog = new ProductFilterDialog(this);
    m_selection = ProductSelection::fromStored(m_products.entries.size(),
                                               m_settings->value(Option::LoadLastSelection),
                                               m_productMask, m_lastSelectionEx);
    m_productDialog->setProducts(m_products.entries, m_selection);
    m_productDialog->setListDetails(m_listDetails);
    m_results->setDatabase(&m_lines, titles);
    m_results->setDatabaseLoaded(true);
    m_productNames.clear();
    for (const std::string& entry : m_products.entries) {
        m_productNames << nomix::displayText(productName(entry));
    }
    if (m_namesWindow) {
        m_namesWindow->clearNames();
    }
    startFamilies();
    m_searchPage->setProductButtonEnabled(true);
    m_preferencesPage->setOptionsButtonEnabled(true);
}

// Loads the database again after a failed start or an import; a failure is
// reported here and leaves a database in use as it was. Returns whether the
// files named on the Preferences page are loaded now.
bool MainWindow::tryLoadDatabase() {
    try {
        if (!loadDatabase()) {
            return false;
        }
    } catch (const std::exception& error) {
        MessageBox::reportError(this, error);
        return false;
    }
    m_databaseLoaded = true;
    return true;
}

void MainWindow::applyProductSelection() {
    if (!m_databaseLoaded) {
        return;
    }
    if (m_productDialog) {
        m_selection = m_productDialog->selection();
    }
    m_productMask = m_selection.mask();
    const bool showAll = m_settings->value(Option::ShowAllProducts);
    for (size_t i = 0; i < m_selection.count(); ++i) {
        const int column = static_cast<int>(i);
        if (m_selection.isSelected(i)) {
            m_resultsView->showColumn(column);
        } else if (showAll) {
            m_resultsView->setColumnHidden(column, false);
            m_resultsView->setColumnWidth(column, ResultsView::kDefaultColumnWidth);
        } else {
            m_resultsView->setColumnHidden(column, true);
        }
    }
    m_results->setProductSelection(m_selection.states(), showAll);
}

// ---------------------------------------------------------------- searching

void MainWindow::searchOrStop() {
    if (m_search->state() == SearchController::State::Searching) {
        stopSearch();
    } else {
        startSearch();
    }
}

void MainWindow::startSearch() {
    if (m_search->state() != SearchController::State::Idle) {
        return;
    }
    if (m_databaseLoaded && serverUrl() != m_serverUrlInUse && !switchDatabase()) {
        return;
    }
    if (!m_databaseLoaded) {
        if (MessageBox::show(this, MessageBox::Warning, tr("Warning"),
                             tr("Database initialization failed. Retry?"),
                             MessageBox::Yes | MessageBox::No) != MessageBox::Yes) {
            return;
        }
        try {
            m_databaseLoaded = loadDatabase();
        } catch (const std::exception& error) {
            MessageBox::reportError(this, error);
            return;
        }
        if (!m_databaseLoaded) {
            m_sounds->play(SoundEffects::Effect::Attention);
            MessageBox::error(this, noDatabaseMessage());
            m_client->showPreferencesPage();
            return;
        }
        applyProductSelection();
    }
    if (m_searchPage->searchText().isEmpty()) {
        m_sounds->play(SoundEffects::Effect::Attention);
        MessageBox::information(this, tr("Please, set a search string"));
        m_searchPage->focusSearchBox();
        return;
    }
    // A server is always searched in the background: it may take its time.
    const bool background =
        m_settings->value(Option::SearchInBackground) || !m_serverUrlInUse.empty();
    m_stopButtonShown = background;
    if (background) {
        m_searchPage->showStopButton(true);
        m_searchPage->focusSearchButton();
    } else {
        m_searchPage->setSearchButtonEnabled(false);
    }
    m_results->setSearchRunning(true);
    clearResults();
    setSearchInputEnabled(false);
    setWindowSizeLocked(true);
    m_searchPage->addToHistory(m_searchPage->searchText());

    SearchRequest request;
    request.text = searchBytes();
    request.mode = decideMatchMode(m_settings->value(Option::CompleteStringMatch),
                                   m_searchPage->beginsWithDown(), m_searchPage->endsWithDown());
    request.numericOnly = m_settings->value(Option::ShowNumericResultOnly);
    request.updateCounter = m_settings->value(Option::UpdateItemCounter);
    request.background = background;
    request.allProductsSelected = m_selection.allSelected();
    request.selected = m_selection.states();
    request.columnCount = static_cast<size_t>(m_results->columnCount());

    if (!m_serverUrlInUse.empty()) {
        runServerSearch(request);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    SearchOutcome outcome = m_search->run(m_lines, request);
    m_results->setMatchedSearch(request);
    m_results->setHits(std::move(outcome.hits));
    m_lastSearchText = m_searchPage->searchText();
    updateNamesByProduct();
    // A search the user stopped was finished when they asked.
    if (!outcome.stopped) {
        finishSearch();
    }
}

// The hits show in the grid while more arrive; a server that fails leaves
// the grid with those that came before, and the user may search again.
void MainWindow::runServerSearch(const SearchRequest& request) {
    m_familyComputation->cancel();
    m_families.reset();
    m_results->setFamilies({});
    m_results->setFamiliesPending(true);
    m_results->setMatchedSearch(request);
    HitLines hits;
    showServerHits(hits);
    // How far the server got is not known until it is done.
    m_progressBar->setValue(0);
    const ServerRunOutcome outcome =
        m_search->runOnServer(m_serverUrlInUse, request, [this, &hits](HitLines& arrived) {
            hits.takeFrom(arrived);
            showServerHits(hits);
        });
    m_lastSearchText = m_searchPage->searchText();
    updateNamesByProduct();
    startFamilies();
    if (!outcome.stopped) {
        if (outcome.failure.isEmpty()) {
            m_progressBar->setValue(100);
        }
        finishSearch();
    }
    if (!outcome.failure.isEmpty()) {
        MessageBox::reportException(this, outcome.failure);
    }
}

// The model is told of the new lines right after they replace the old ones,
// with no event in between.
void MainWindow::showServerHits(const HitLines& hits) {
    m_lines = hits.lines();
    std::vector<uint32_t> rows(m_lines.count());
    std::iota(rows.begin(), rows.end(), 0u);
    m_results->setLinesAndHits(&m_lines, std::move(rows));
}

void MainWindow::stopSearch() {
    m_search->stop();
    finishSearch();
}

void MainWindow::finishSearch() {
    if (m_stopButtonShown) {
        m_searchPage->showStopButton(false);
        m_searchPage->focusSearchButton();
    } else {
        m_searchPage->setSearchButtonEnabled(true);
    }
    setSearchInputEnabled(true);
    setWindowSizeLocked(false);
    const int hitCount = m_search->hitCount();
    const QString exactCount = m_speedPanel->showFinalCount(hitCount);
    if (!exactCount.isEmpty()) {
        m_statusPanels->showHint(exactCount);
    }
    m_results->setSearchRunning(false);
    if (hitCount == 0) {
        m_sounds->play(SoundEffects::Effect::NothingFound);
        m_searchPage->focusSearchBox();
    } else {
        m_sounds->play(SoundEffects::Effect::Found);
        m_resultsView->setFocus();
    }
}

void MainWindow::clearResults() {
    m_results->clearHits();
    m_namesCounting->cancel();
    if (m_namesWindow) {
        m_namesWindow->clearNames();
    }
    m_progressBar->setValue(100);
    m_speedPanel->clearCount();
}

std::string MainWindow::searchBytes() const {
    return nomix::dataBytes(m_searchPage->searchText(), m_databaseIsUtf8);
}

void MainWindow::setSearchInputEnabled(bool enabled) {
    m_searchPage->setInputEnabled(enabled);
    m_preferencesPage->setEnabled(enabled);
    m_speedPanel->setInputEnabled(enabled);
    m_resultsView->setEnabled(enabled);
    m_help->setEnabled(enabled);
    for (QMenu* menu : {m_fileMenu, m_helpMenu}) {
        menu->setEnabled(enabled);
        menu->menuAction()->setEnabled(enabled);
    }
}

// The window keeps its state and size while a search runs; it may still be
// moved. A maximised or full-screen window is not given a fixed size: the
// window manager would take the state back and leave the window where it
// was before, partly off the screen. Its state is kept by changeEvent().
void MainWindow::setWindowSizeLocked(bool locked) {
    if (locked) {
        m_stateDuringSearch = windowState() & ~Qt::WindowActive;
        if (m_stateDuringSearch & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
            return;
        }
        m_sizeLocked = true;
        setFixedSize(size());
    } else if (m_sizeLocked) {
        m_sizeLocked = false;
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        fitToScreen();
    }
}

// The smallest size is the design's, or less where the screen is smaller (a
// small screen or a large scale factor), and the window fits on its screen.
void MainWindow::fitToScreen() {
    const QScreen* screen = this->screen();
    if (!screen) {
        setMinimumSize(kDesignWidth, kDesignHeight);
        return;
    }
    const QSize room = screen->availableGeometry().size() - frameAllowance();
    setMinimumSize(QSize(kDesignWidth, kDesignHeight).boundedTo(room));
    if (!(windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))) {
        resize(size().boundedTo(room));
        if (isVisible()) {
            nomix::keepOnScreen(this);
        }
    }
}

// What the window manager's frame adds to the window's size: measured once
// the window is shown, a typical title bar and border before.
QSize MainWindow::frameAllowance() const {
    const QSize frame = frameGeometry().size() - size();
    if (isVisible() && frame.width() > 0 && frame.height() > 0) {
        return frame;
    }
    return QSize(8, 32);
}

// ---------------------------------------------------------------- commands

void MainWindow::updatePageActions() {
    const bool onSearch = m_client->searchPageShown();
    m_searchPageAction->setChecked(onSearch);
    m_preferencesPageAction->setChecked(!onSearch);
}

void MainWindow::startSearchFromMenu() {
    m_client->showSearchPage();
    startSearch();
}

void MainWindow::chooseProducts() {
    if (!m_productDialog) {
        return;
    }
    centerOnMainWindow(m_productDialog, this);
    if (m_productDialog->exec() == QDialog::Accepted) {
        applyProductSelection();
    }
}

void MainWindow::showOptions() {
    centerOnMainWindow(m_optionsDialog, this);
    m_optionsDialog->exec();
}

void MainWindow::showAbout() {
    AboutDialog::showAbout(this, m_settings->value(Option::SoundsDisabled));
}

void MainWindow::playWelcome() {
    if (m_search->state() == SearchController::State::Idle) {
        m_sounds->play(SoundEffects::Effect::Welcome);
    }
}

void MainWindow::saveResults() {
    ReportInput input;
    input.lines = &m_lines;
    input.resultList = m_results->hits();
    input.products = &m_products;
    input.selection = &m_selection;
    input.hitCount = m_search->hitCount();
    input.searchText = m_searchPage->searchText();
    input.dataIsUtf8 = m_databaseIsUtf8;
    input.commonDirectory = m_preferencesPage->directory();
    input.showStatus = [this](const QString& text) { m_statusPanels->showHint(text); };
    nomix::saveResults(this, input);
}

// Builds a database from scan reports the user chooses and, if they want,
// opens it the way the retry of a failed start opens one.
void MainWindow::importScanReports() {
    const QString folder =
        ScanReportImporter::chooseAndImport(this, m_preferencesPage->directory());
    if (folder.isEmpty()) {
        return;
    }
    const QString oldDirectory = m_preferencesPage->directory();
    const QString oldDatabaseName = m_preferencesPage->databaseName();
    const QString oldTableName = m_preferencesPage->tableName();
    const QString oldServerUrl = m_preferencesPage->serverUrl();
    // The new files are what the user wants to search, not a server.
    m_preferencesPage->setServerUrl(QString());
    m_preferencesPage->setDirectory(folder);
    m_preferencesPage->setDatabaseName(QString::fromLatin1(kNameDatabaseFileName));
    m_preferencesPage->setTableName(QString::fromLatin1(kProductTableFileName));
    if (tryLoadDatabase()) {
        applyProductSelection();
        clearResults();
    } else {
        // The Preferences keep naming the database in use.
        m_preferencesPage->setDirectory(oldDirectory);
        m_preferencesPage->setDatabaseName(oldDatabaseName);
        m_preferencesPage->setTableName(oldTableName);
        m_preferencesPage->setServerUrl(oldServerUrl);
    }
}

void MainWindow::searchForName(const QString& name) {
    if (!name.isEmpty()) {
        m_searchPage->setSearchText(name);
        startSearch();
    }
}

// Opens the window, or brings it back, for the hits in the grid.
void MainWindow::showNamesByProduct() {
    if (!m_namesWindow) {
        m_namesWindow = new NamesByProductWindow(this);
        connect(m_namesWindow, &NamesByProductWindow::nameActivated, this,
                &MainWindow::searchForName);
        m_help->addWindow(m_namesWindow, NamesByProductWindow::kHelpTopic);
        centerOnMainWindow(m_namesWindow, this);
    }
    m_namesWindow->setExportDirectory(m_preferencesPage->directory());
    m_namesWindow->show();
    m_namesWindow->raise();
    m_namesWindow->activateWindow();
    m_namesWindow->setFocus();
    updateNamesByProduct();
}

// Only the hits are counted, so this follows every search while the window
// is open.
void MainWindow::updateNamesByProduct() {
    if (!m_namesWindow || !m_namesWindow->isVisible()) {
        return;
    }
    m_namesCounting->cancel();
    if (!m_databaseLoaded || m_results->hits().empty()) {
        m_namesWindow->clearNames();
        return;
    }
    m_namesWindow->showCounting(m_results->hits().size(), m_lastSearchText);
    m_namesCounting->start(&m_lines, m_results->hits(), m_products.entries.size());
}

// The families of the lines in use, worked out in the background with the
// rules of the Preferences page's folder (empty: the bundled ones).
void MainWindow::startFamilies() {
    QString folder = m_preferencesPage->rulesFolder();
    if (folder.isEmpty()) {
        folder = programDataPath(QStringLiteral("labelling"));
    }
    m_families.reset();
    m_results->setFamilies({});
    m_results->setFamiliesPending(true);
    m_familyComputation->start(&m_lines, m_products, folder);
}

void MainWindow::useFamilies(std::shared_ptr<const LineFamilies> families) {
    m_families = std::move(families);
    m_results->setFamilies([known = m_families](uint32_t line) {
        return line < known->lineCount() ? known->familyOf(line) : std::string_view();
    });
}

// Rules that cannot be read leave the column blank; rules the user chose
// are worth a message.
void MainWindow::reportFamiliesFailure(const QString& message) {
    m_results->setFamiliesPending(false);
    m_statusPanels->showHint(message);
    if (!m_preferencesPage->rulesFolder().isEmpty()) {
        MessageBox::error(this, message);
    }
}

// The grid's local menu needs a database to work on.
void MainWindow::showResultsMenu(const QPoint& position) {
    if (!m_databaseLoaded) {
        MessageBox::reportException(this, tr("Local menu disabled"));
        return;
    }
    m_resultsMenu->popup(position, m_preferencesPage->directory());
}

void MainWindow::showResultsHelp() {
    m_help->showPopup(ResultsView::kHelpTopic, QCursor::pos());
}

// ---------------------------------------------------------------- window

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    layOutWindow();
}

void MainWindow::layOutWindow() {
    const int width = centralWidget()->width();
    m_titlePanel->setGeometry(0, 0, width, 45);
    m_client->setGeometry(0, 45, width, 196);
    m_resultsView->setGeometry(0, 241, width, qMax(0, centralWidget()->height() - 241));
    m_statusPanels->layOut(frameGeometry().width());
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (m_search->state() == SearchController::State::Searching) {
        event->ignore();
        return;
    }
    if (!saveSettings() && !m_closingUnattended && !confirmCloseWithoutSaving()) {
        event->ignore();
        return;
    }
    m_help->quit();
    event->accept();
    QMainWindow::closeEvent(event);
    // Closing a window hidden in the tray does not count as the last window
    // closing, so the program ends here explicitly.
    QCoreApplication::quit();
}

// A settings file that cannot be written must not keep the user from leaving.
bool MainWindow::confirmCloseWithoutSaving() {
    return MessageBox::show(this, MessageBox::Warning, tr("Warning"),
                            tr("The settings could not be saved.\r"
                               "Close Nomix95 without saving them?"),
                            MessageBox::Yes | MessageBox::No) == MessageBox::Yes;
}

// The session ends or the program is told to terminate: close as Exit does,
// stopping a running search first, and ask nothing, since nobody may be
// there to answer.
void MainWindow::endSession() {
    if (m_search->state() == SearchController::State::Searching) {
        stopSearch();
    }
    m_closingUnattended = true;
    if (!close()) {
        m_closingUnattended = false;
    }
}

// The desktop session is ending: the session manager ends the program
// itself afterwards, so only what would be lost is saved here.
void MainWindow::commitSessionData() {
    if (m_search->state() == SearchController::State::Searching) {
        stopSearch();
    }
    m_closingUnattended = true;
    saveSettings();
    m_closingUnattended = false;
}

void MainWindow::bringToFront() {
    m_tray->restoreWindow();
    if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->raise();
        modal->activateWindow();
    }
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) {
        return;
    }
    // The title bar's commands wait until the search ends. While a dialog or
    // the report writer holds the window, the window manager may iconify the
    // window along with its dialog; that is undone too.
    const bool searching = m_search->state() == SearchController::State::Searching;
    const Qt::WindowStates state = windowState() & ~Qt::WindowActive;
    if (searching) {
        if (state != m_stateDuringSearch) {
            setWindowState(m_stateDuringSearch | (windowState() & Qt::WindowActive));
        }
        return;
    }
    const bool held = !isEnabled() || QApplication::activeModalWidget();
    if (held && (state & (Qt::WindowMinimized | Qt::WindowMaximized))) {
        nomix::restoreNormalState(this);
        return;
    }
    if (windowState() & Qt::WindowMinimized) {
        m_tray->windowMinimized();
    }
}

bool MainWindow::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        showStatusHint(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void MainWindow::showStatusHint(const QString& hint) {
    m_statusPanels->showHint(hint);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::StatusTip && watched != this && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->isWindow()) {
        showStatusHint(static_cast<QStatusTipEvent*>(event)->tip());
        return false;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace nomix
