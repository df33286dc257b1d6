#pragma once

#include "resultsviewstate.h"

#include "core/databaselines.h"
#include "core/productselection.h"
#include "core/producttable.h"
#include "core/settingsstore.h"

#include <QMainWindow>
#include <QPersistentModelIndex>
#include <QPointer>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QSlider;
class QTabWidget;
class QToolButton;
class OptionsDialog;
class ProductFilterDialog;

namespace nomix {

class HelpViewer;
class ResultWriter;
class BalloonToolTips;
class TrayIcon;
class LedCounter;
class ResultsView;
class EmbossedLabel;
class SplashScreen;
class FolderDialog;
class SoundClip;

// The program's one lasting window. It owns the data (product table, the
// database lines, the result list, the selection) and every other window,
// runs the start-up sequence, the search page's Search/Stop state machine and
// the results grid. All work runs on the user-interface thread; long loops
// hand control to the event loop in time slices so the window stays alive.
class MainWindow : public QMainWindow, public ResultsViewState {
    Q_OBJECT

  public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start-up sequence: options, splash, settings, database, window,
    // update alarm. main() runs it right after construction.
    void FormCreate();

    // Data and state
    bool RunningOnNT = false;
    bool Searching = false;
    bool SearchFinished = true;
    bool DatabaseLoaded = false;
    bool ListDetails = false;
    bool AllProductsSelected = true;
    bool SpeedGuard = false;
    uint32_t ProductMask = 0xFFFFFFFFu;
    std::string LastSelectionEx;
    ProductSelection Selection;
    ProductTable Products;
    nomix::DatabaseLines DatabaseLines;
    double DatabaseDate = 0.0;
    int32_t HitCount = 0;
    std::vector<uint32_t> ResultList;

    // Operations other windows and tests use
    bool LoadDatabase();
    void ApplyProductSelection();
    void ClearResults();
    void EnableSearchControls(bool on);
    void PlaySoundEffect(SoundClip* wave);
    void OptionsChanged(int code);
    void SearchButtonClick();
    void StopButtonClick();
    QString helpFilePath() const;
    // Closes as Exit does, without questions: the session ends or the
    // program was told to terminate.
    void endSession();
    // Saves the settings without questions, for a session that is ending.
    void commitSessionData();
    // The search string as the bytes the database is compared in.
    std::string searchBytes() const;

    // ResultsViewState
    bool gridDatabaseLoaded() const override { return DatabaseLoaded; }
    bool gridSearchFinished() const override { return SearchFinished; }
    bool gridShowBitmaps() const override;
    bool gridShowAllProducts() const override;
    bool gridAllProductsSelected() const override { return AllProductsSelected; }
    bool gridProductSelected(int column) const override;

    // Components (named as the window's description names them)
    QFrame* TopPanel = nullptr;
    EmbossedLabel* TopLabel = nullptr;
    QFrame* ClientPanel = nullptr;
    QTabWidget* PageControl = nullptr;
    QWidget* SearchSheet = nullptr;
    QWidget* PrefSheet = nullptr;
    QFrame* StringPanel = nullptr;
    EmbossedLabel* rhLabel3D2 = nullptr;
    QComboBox* SearchBox = nullptr;
    QToolButton* FirstButton = nullptr;
    QToolButton* LastButton = nullptr;
    QPushButton* ProductButton = nullptr;
    QPushButton* SearchButton = nullptr;
    QPushButton* HelpButton = nullptr;
    QPushButton* ExitButton = nullptr;
    QFrame* ProgressPanel = nullptr;
    QProgressBar* ProgressBar = nullptr;
    QLabel* ProgressStartLabel = nullptr;
    QLabel* ProgressLabel = nullptr;
    QFrame* OuterTrackPanel = nullptr;
    QFrame* InnerTrackPanel = nullptr;
    QSlider* SpeedTrackBar = nullptr;
    LedCounter* LEDLabel = nullptr;
    QFrame* BitmapPanel = nullptr;
    QLabel* FindDocImage = nullptr;
    ResultsView* ReportGrid = nullptr;
    QLabel* StatusPanel0 = nullptr;
    QLabel* StatusPanel1 = nullptr;
    QGroupBox* DataGroup = nullptr;
    EmbossedLabel* DataPathLabel = nullptr;
    EmbossedLabel* DataFileLabel = nullptr;
    EmbossedLabel* ConfigFileLabel = nullptr;
    QLineEdit* DataEdit = nullptr;
    QLineEdit* DataFileEdit = nullptr;
    QLineEdit* ConfigFileEdit = nullptr;
    QToolButton* BrowseButton = nullptr;
    QToolButton* DataNameButton = nullptr;
    QToolButton* ConfigNamebutton = nullptr;
    QPushButton* OptionButton = nullptr;

    QMenu* Options = nullptr;
    QAction* S1 = nullptr;
    QAction* Search1 = nullptr;
    QAction* Preferences1 = nullptr;
    QAction* ImportReports = nullptr;
    QAction* Exit1 = nullptr;
    QMenu* Help = nullptr;
    QAction* N3 = nullptr;
    QAction* About1 = nullptr;
    QMenu* HelpPopup = nullptr;
    QAction* Whatsthis = nullptr;
    QMenu* ReportMenu = nullptr;
    QAction* Wathsthis1 = nullptr;
    QAction* ClearResult = nullptr;
    QAction* SaveResult = nullptr;
    QAction* ExportResult = nullptr;
    QAction* SearchForName = nullptr;
    QAction* SetColumnWidth = nullptr;
    QAction* RestoreColum = nullptr;
    QMenu* NotifyPopupMenu = nullptr;
    QAction* Restore1 = nullptr;
    QAction* Terminate = nullptr;

    TrayIcon* NotifyIcon = nullptr;
    BalloonToolTips* BalloonHint = nullptr;
    FolderDialog* ShellBrowse = nullptr;
    SoundClip* WelcomeWave = nullptr;
    SoundClip* SchwingWave = nullptr;
    SoundClip* AttentionWave = nullptr;
    SoundClip* NoItemWave = nullptr;
    OptionsDialog* OptionForm = nullptr;
    QPointer<ProductFilterDialog> SelectForm;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    friend class MainWindowSearchObserver;

    void buildWindow();
    void buildTopPanel();
    void buildClientPanel();
    void buildSearchSheet();
    void buildPrefSheet();
    void buildProgressPanel();
    void buildTrackPanel();
    void buildGrid();
    void buildStatusBar();
    void buildMenus();
    void buildLocalMenus();
    void buildSounds();
    void buildTray();
    void buildBalloonHint();
    void setHint(QWidget* widget, const QString& hint, bool hintWindow = true);
    void setHelpTopic(QWidget* widget, int topic);
    void recolourPictures();

    // Start-up and lifecycle
    void FormResize();
    void layoutStatusPanels();
    bool FormCloseQuery();
    StoredSettings heldSettings() const;
    void holdSettings(const StoredSettings& settings);
    void loadSettings();
    bool saveSettings();
    bool confirmCloseWithoutSaving();
    void setSpeedFromOptions();
    void runUpdateAlarm();
    void showCentredOnScreen();
    void MinimizeToTray();
    void NotifyIconClick();
    void ShowStatusHint(const QString& hint);

    // Search page
    void RunSearch();
    void searchButtonClicked();
    void setSearchButtonAsStop(bool stop);
    void showHitCount();
    void setWindowSizeLocked(bool locked);
    void addToHistory(const QString& text);
    void SpeedTrackBarChange();
    void moveSpeedTrackBar(bool boxChecked);
    void setSpeedTrackBarPosition(int position);
    bool SearchBoxKeyPress(QKeyEvent* event);
    void FormKeyPress();
    void S1Click();
    void Search1Click();
    void Preferences1Click();
    void PageControlChange();
    void ProductButtonClick();
    void OptionButtonClick();
    void FindDocImageClick();
    void rhLabel3D3Click();

    // Results grid
    void ReportGridContextMenu(const QPoint& position);
    void ReportMenuPopup();
    void ClearResultClick();
    void SaveResultClick();
    void SetColumnWidthClick();
    void RestoreColumClick();
    void exportResults();
    void importScanReports();
    void copySelectedCells();
    void searchForCellName();
    QString cellName(const QModelIndex& cell) const;
    std::vector<size_t> takingPartColumns() const;
    std::vector<std::string> productTitles(const std::vector<size_t>& columns) const;
    void writeResults(ResultWriter& writer, const std::vector<size_t>& columns,
                      const std::vector<uint32_t>& lines) const;

    // Preferences page
    void BrowseButtonClick();
    void DataNameButtonClick();
    void ConfigNameButtonClick();

    // Context help
    void showHelpPopup(QWidget* control, const QPoint& globalPosition);
    void WhatsthisClick();
    void Wathsthis1Click();
    void HelpButtonClick();

    void reportException(const std::exception& error);
    void processEventsInSlices();

    std::unique_ptr<HelpViewer> helpViewer_;
    QPointer<QWidget> helpPopupControl_;
    QPersistentModelIndex menuCell_;
    QPoint helpPopupPosition_;
    bool helpPopupEnabled_ = true;
    bool searchButtonIsStop_ = false;
    bool settingSpeedTrackBar_ = false;
    bool dataIsUtf8_ = false;
    bool firstResizeDone_ = false;
    bool closingUnattended_ = false;
    qint64 lastEventSlice_ = 0;
};

} // namespace nomix
