// SPDX-License-Identifier: MIT
#pragma once

#include "core/database.h"
#include "core/databaselines.h"
#include "core/productselection.h"
#include "core/producttable.h"
#include "core/settingsstore.h"

#include <QMainWindow>
#include <QPointer>

#include <cstdint>
#include <exception>
#include <memory>
#include <string>

class QAction;
class QMenu;
class QProgressBar;
class ProductFilterDialog;

namespace nomix {

class ClientPanel;
class ControlHelp;
class FamilyComputation;
class HitLines;
class LineFamilies;
class NamesByProductWindow;
class NamesCounting;
class OptionsDialog;
class PreferencesPage;
class ResultsMenu;
class ResultsModel;
class ResultsView;
class SearchController;
class SearchPage;
class Settings;
class SoundEffects;
struct SearchRequest;
class SpeedCounterPanel;
class StatusPanels;
class TitlePanel;
class WindowTray;

// The program's one lasting window: the title, the Search and Preferences
// pages, the speed and counter panel, the results grid, the status bar, the
// menus and the tray icon. It owns the loaded database and the settings,
// runs the start-up sequence and each search, and saves the settings when
// it closes. All work runs on the user-interface thread; long loops hand
// control to the event loop in time slices so the window stays alive.
class MainWindow : public QMainWindow {
    Q_OBJECT

  public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Reads the settings, loads the database, shows the window and runs the
    // update alarm. main() calls it right after construction.
    void start();

    // Closes as Exit does, without questions: the session ends or the
    // program was told to terminate.
    void endSession();
    // Saves the settings without questions, for a session that is ending.
    void commitSessionData();
    // A later start of the program knocked: the window comes back from the
    // task bar or the tray, and whatever dialog holds it stays on top.
    void bringToFront();

    QString helpFilePath() const;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Runs a search for the search page's string, as the Search button does.
    void startSearch();
    void buildPanels();
    void buildResultsView();
    void buildStatusBar();
    void buildMenus();
    void followSettings();
    void setMarkerPictures();

    // Start-up and settings
    StoredSettings currentSettings() const;
    void applyStoredSettings(const StoredSettings& settings);
    void loadSettings();
    bool saveSettings();
    bool confirmCloseWithoutSaving();
    void runUpdateAlarm();

    // The database
    DataLocation dataLocation() const;
    bool loadDatabase();
    void loadServerDatabase(const std::string& url);
    bool switchDatabase();
    std::string serverUrl() const;
    void useDatabase(Database&& database);
    bool tryLoadDatabase();
    QString noDatabaseMessage() const;
    void applyProductSelection();

    // Searching
    void searchOrStop();
    void runServerSearch(const SearchRequest& request);
    void showServerHits(const HitLines& hits);
    void stopSearch();
    void finishSearch();
    void clearResults();
    void setSearchInputEnabled(bool enabled);
    void setWindowSizeLocked(bool locked);
    void fitToScreen();
    QSize frameAllowance() const;
    std::string searchBytes() const;

    // Commands
    void updatePageActions();
    void startSearchFromMenu();
    void chooseProducts();
    void showOptions();
    void showAbout();
    void playWelcome();
    void saveResults();
    void importScanReports();
    void searchForName(const QString& name);
    void showNamesByProduct();
    void updateNamesByProduct();
    void startFamilies();
    void useFamilies(std::shared_ptr<const LineFamilies> families);
    void reportFamiliesFailure(const QString& message);
    void showResultsMenu(const QPoint& position);
    void showResultsHelp();

    // Window
    void layOutWindow();
    void showStatusHint(const QString& hint);

    Settings* m_settings;
    SearchController* m_search;
    SoundEffects* m_sounds;
    OptionsDialog* m_optionsDialog = nullptr;
    QPointer<ProductFilterDialog> m_productDialog;
    ControlHelp* m_help = nullptr;

    // The loaded database and the product choice.
    ProductTable m_products;
    DatabaseLines m_lines;
    ProductSelection m_selection;
    double m_databaseDate = 0.0;
    bool m_databaseIsUtf8 = false;
    bool m_databaseLoaded = false;
    // The team database's URL the loaded product table came from, with any
    // password typed for this run; empty while the files are in use. With a
    // server the lines in use are the last search's hits.
    std::string m_serverUrlInUse;
    // The stored selection, until a database is loaded to apply it to.
    uint32_t m_productMask = 0xFFFFFFFFu;
    std::string m_lastSelectionEx;
    bool m_listDetails = false;
    // Each line's family, once worked out in the background after a load.
    FamilyComputation* m_familyComputation = nullptr;
    std::shared_ptr<const LineFamilies> m_families;
    QStringList m_productNames;
    QString m_lastSearchText;
    NamesByProductWindow* m_namesWindow = nullptr;
    NamesCounting* m_namesCounting = nullptr;

    TitlePanel* m_titlePanel = nullptr;
    ClientPanel* m_client = nullptr;
    // The client panel's parts the window works with.
    SearchPage* m_searchPage = nullptr;
    PreferencesPage* m_preferencesPage = nullptr;
    SpeedCounterPanel* m_speedPanel = nullptr;
    QProgressBar* m_progressBar = nullptr;
    ResultsView* m_resultsView = nullptr;
    ResultsModel* m_results = nullptr;
    ResultsMenu* m_resultsMenu = nullptr;
    StatusPanels* m_statusPanels = nullptr;

    QMenu* m_fileMenu = nullptr;
    QMenu* m_helpMenu = nullptr;
    QAction* m_searchPageAction = nullptr;
    QAction* m_preferencesPageAction = nullptr;

    WindowTray* m_tray = nullptr;

    bool m_closingUnattended = false;
    // While a search runs the window keeps the state it had at its start.
    Qt::WindowStates m_stateDuringSearch;
    bool m_sizeLocked = false;
    // The running search shows the Stop button rather than a disabled Search.
    bool m_stopButtonShown = false;
};

} // namespace nomix
