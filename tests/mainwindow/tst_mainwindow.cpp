#include "shared_mainwindowfixture.h"
#include "shared_userinput.h"

#include "controls/ledcounter.h"
#include "core/database.h"
#include "core/productselection.h"
#include "core/searchengine.h"
#include "dialogs/optionsdialog.h"
#include "dialogs/productfilterdialog.h"
#include "mainwindow/resultsmodel.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/resultsview.h"
#include "platform/filedialog.h"
#include "platform/messagebox.h"
#include "platform/terminationsignals.h"

#include <QAbstractItemModelTester>
#include <QAbstractScrollArea>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QSlider>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

#include <csignal>
#include <memory>

using namespace nomix;
using namespace userinput;

namespace {

int engineCount(const QString& dir, const QString& text) {
    const auto db = nomix::loadDatabaseFiles({dir.toStdString(), "NOMIX.DAT", "NOMIX.CFG"});
    SearchRequest request;
    request.text = text.toStdString();
    request.columnCount = db->table.entries.size();
    request.selected.assign(request.columnCount, true);
    return nomix::runSearch(db->names.lines, request).hitCount;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startsOnTheSampleDatabase();
    void enterSearchesAndFillsTheGrid();
    void emptyStringIsRefused();
    void noHitLeavesTheCounterAtZero();
    void historyKeepsThirtyDistinctStrings();
    void numericOnlyKeepsTwoRows();
    void stopKeepsWhatWasFound();
    void escapeStopsASearch();
    void speedTrackBarAndOptions();
    void completeMatchDisablesModifiers();
    void columnWidthDialogClamps();
    void closingSavesTheHistory();
    void closeIsRefusedWhileSearching();
    void missingDatabaseShowsPreferences();
    void localMenuNeedsADatabase();
    void modelPassesTheTester();
    void savesAReportFromTheLocalMenu();
    void preferencesTakeFileNamesOnly();
    void selectionLimitsSearchAndColumns();
    void controlsWaitWhileSearching();
    void hintsShowOnTheStatusBar();
    void gridKeepsItsRowsWhenFocusMoves();
    void helpFromAModalDialogTakesInput();
    void statusLabelAndCounterShowWhole();
    void countAboveFiveDigitsIsGivenExactly();
    void terminateInTheTrayEndsTheProgram();
    void fileErrorsNameTheFile_data();
    void fileErrorsNameTheFile();
    void unsavableSettingsLetTheUserLeave_data();
    void unsavableSettingsLetTheUserLeave();
    void terminationSignalClosesAndSaves();
    void resultsLeaveTheGrid();
    void importFromTheFileMenu_data();
    void importFromTheFileMenu();

  private:
    void startForm();
    template <typename T> T* find(const char* name) const;
    void search(const QString& text);

    std::unique_ptr<MainWindowFixture> fixture_;
    std::unique_ptr<MainWindow> form_;
};

void TestMainWindow::initTestCase() {
    fixture_ = std::make_unique<MainWindowFixture>();
    QVERIFY(fixture_->isValid());
}

void TestMainWindow::init() {
    MessageBox::clearShown();
    MessageBox::setAutoAnswer(true);
    fixture_->writeSettings(fixture_->dataDir());
    startForm();
    QVERIFY(form_->DatabaseLoaded);
}

void TestMainWindow::startForm() {
    form_ = std::make_unique<MainWindow>();
    form_->FormCreate();
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
}

template <typename T> T* TestMainWindow::find(const char* name) const {
    return form_->findChild<T*>(QLatin1String(name));
}

void TestMainWindow::cleanup() {
    form_->Searching = false;
    form_.reset();
    MessageBox::presetAnswers({});
}

// Alt+E, the label's accelerator, puts the keyboard in the search box.
void TestMainWindow::search(const QString& text) {
    pressKey(Qt::Key_E, Qt::AltModifier);
    QCOMPARE(focusTarget(), find<QWidget>("SearchBox"));
    pressKey(Qt::Key_A, Qt::ControlModifier);
    pressKey(Qt::Key_Delete);
    typeText(text);
    pressKey(Qt::Key_Return);
}

void TestMainWindow::startsOnTheSampleDatabase() {
    QCOMPARE(form_->StatusPanel1->text(), QStringLiteral(" Database Real labels, 500 samples"));
    QCOMPARE(form_->StatusPanel1->textFormat(), Qt::PlainText); // data, never markup
    QCOMPARE(form_->ReportGrid->model()->columnCount(), 74);
    QCOMPARE(form_->ReportGrid->model()->rowCount(), 1);
    QVERIFY(form_->ProductButton->isEnabled());
    QVERIFY(form_->OptionButton->isEnabled());
    QCOMPARE(form_->LEDLabel->text(), QStringLiteral("00000"));
    QCOMPARE(form_->PageControl->currentWidget(), form_->SearchSheet);
    QVERIFY(MessageBox::shown().isEmpty());
    QCOMPARE(form_->minimumSize(), QSize(630, 476));
}

void TestMainWindow::enterSearchesAndFillsTheGrid() {
    const int expected = engineCount(fixture_->dataDir(), QStringLiteral("zbot"));
    QVERIFY(expected > 0);
    search(QStringLiteral("zbot"));
    QCOMPARE(form_->HitCount, expected);
    QCOMPARE(form_->ReportGrid->model()->rowCount(), expected + 1);
    QCOMPARE(form_->LEDLabel->text(), QStringLiteral("%1").arg(expected, 5, 10, QLatin1Char('0')));
    QCOMPARE(form_->SearchButton->text(), QStringLiteral("&Search"));
    QVERIFY(form_->SearchFinished);
    QVERIFY(!form_->Searching);
    QVERIFY(form_->StringPanel->isEnabled());
    QCOMPARE(form_->SearchBox->count(), 1);
    QCOMPARE(form_->SearchBox->itemText(0), QStringLiteral("zbot"));
    // Every row shows a line holding the string; the empty last row shows nothing.
    const QAbstractItemModel* model = form_->ReportGrid->model();
    for (int row = 0; row < expected; ++row) {
        QString line;
        for (int column = 0; column < model->columnCount(); ++column) {
            line += model->index(row, column).data().toString() + QLatin1Char('|');
        }
        QVERIFY2(line.contains(QLatin1String("zbot"), Qt::CaseInsensitive), qPrintable(line));
    }
    QVERIFY(!model->index(expected, 0).data().isValid());
}

void TestMainWindow::emptyStringIsRefused() {
    search(QString());
    QCOMPARE(MessageBox::shown().size(), 1);
    QCOMPARE(MessageBox::shown().first().caption, QStringLiteral("Information"));
    QCOMPARE(MessageBox::shown().first().text, QStringLiteral("Please, set a search string"));
    QCOMPARE(form_->SearchBox->count(), 0);
    // A text of blanks is not empty.
    search(QStringLiteral("  "));
    QCOMPARE(MessageBox::shown().size(), 1);
    QCOMPARE(form_->SearchBox->count(), 1);
}

void TestMainWindow::noHitLeavesTheCounterAtZero() {
    search(QStringLiteral("no such virus name at all"));
    QCOMPARE(form_->HitCount, 0);
    QCOMPARE(form_->LEDLabel->text(), QStringLiteral("00000"));
    QCOMPARE(form_->ReportGrid->model()->rowCount(), 1);
}

void TestMainWindow::historyKeepsThirtyDistinctStrings() {
    form_->OptionForm->ResultCheck->setChecked(true); // counting is enough here
    for (int i = 1; i <= 31; ++i) {
        search(QStringLiteral("name%1").arg(i));
    }
    search(QStringLiteral("NAME31"));
    QCOMPARE(form_->SearchBox->count(), 30);
    QCOMPARE(form_->SearchBox->itemText(0), QStringLiteral("name2"));
    QCOMPARE(form_->SearchBox->itemText(29), QStringLiteral("name31"));
}

void TestMainWindow::numericOnlyKeepsTwoRows() {
    form_->OptionForm->ResultCheck->setChecked(true);
    search(QStringLiteral("trojan"));
    QVERIFY(form_->HitCount > 0);
    QCOMPARE(form_->ReportGrid->model()->rowCount(), 1);
    QVERIFY(form_->ResultList.empty());
}

void TestMainWindow::stopKeepsWhatWasFound() {
    QVERIFY(form_->OptionForm->BackgroundCheck->isChecked());
    bool sawStop = false;
    QTimer::singleShot(0, this, [&] {
        sawStop = form_->SearchButton->text() == QStringLiteral("&Stop");
        clickAt(find<QWidget>("SearchButton"));
    });
    search(QStringLiteral("trojan"));
    QTRY_VERIFY(form_->SearchFinished);
    QVERIFY(sawStop);
    QVERIFY(!form_->Searching);
    QCOMPARE(form_->SearchButton->text(), QStringLiteral("&Search"));
    QCOMPARE(form_->LEDLabel->text(),
             QStringLiteral("%1").arg(form_->HitCount, 5, 10, QLatin1Char('0')));
    QCOMPARE(size_t(form_->HitCount), form_->ResultList.size());
}

void TestMainWindow::escapeStopsASearch() {
    bool searchingWhenPressed = false;
    QTimer::singleShot(0, this, [&] {
        searchingWhenPressed = form_->Searching;
        pressKey(Qt::Key_Escape);
    });
    search(QStringLiteral("trojan"));
    QVERIFY(searchingWhenPressed);
    QVERIFY(form_->SearchFinished);
    QVERIFY(form_->SearchButton->isEnabled());
}

void TestMainWindow::speedTrackBarAndOptions() {
    QCheckBox* background = form_->OptionForm->BackgroundCheck;
    QCheckBox* counter = form_->OptionForm->CounterCheck;
    QCOMPARE(form_->SpeedTrackBar->value(), 1);
    form_->SpeedTrackBar->setValue(2);
    QVERIFY(!background->isChecked() && !counter->isChecked());
    form_->SpeedTrackBar->setValue(0);
    QVERIFY(background->isChecked() && counter->isChecked());
    form_->SpeedTrackBar->setValue(2);
    // Ticking the counter in the options while at Max moves the bar to Med.
    // and leaves the background option as it was.
    counter->setChecked(true); // the options dialog reports it at once
    QCOMPARE(form_->SpeedTrackBar->value(), 1);
    QVERIFY(!background->isChecked());
    QVERIFY(counter->isChecked());
    // With the search in the foreground there is no Stop button.
    background->setChecked(false);
    search(QStringLiteral("trojan"));
    QVERIFY(form_->HitCount > 0);
    QVERIFY(form_->SearchButton->isEnabled());
}

void TestMainWindow::completeMatchDisablesModifiers() {
    form_->OptionForm->MatchCheck->setChecked(true);
    QVERIFY(!form_->FirstButton->isEnabled());
    QVERIFY(!form_->LastButton->isEnabled());
    search(QStringLiteral("no_virus"));
    QCOMPARE(form_->HitCount, 500);
    form_->OptionForm->MatchCheck->setChecked(false);
    QVERIFY(form_->FirstButton->isEnabled());
    form_->FirstButton->setChecked(true);
    search(QStringLiteral("no_vir"));
    QCOMPARE(form_->HitCount, 500);
    form_->LastButton->setChecked(true);
    search(QStringLiteral("no_vir"));
    QCOMPARE(form_->HitCount, 0);
}

void TestMainWindow::columnWidthDialogClamps() {
    QWidget* cells = form_->ReportGrid->viewport();
    auto setWidth = [&](const QString& text) {
        whenModalShows([text](QWidget* dialog) {
            QVERIFY(qobject_cast<QInputDialog*>(dialog));
            typeText(text);
            pressKey(Qt::Key_Return);
        });
        openContextMenu(cells, QPoint(20, 10));
        chooseInPopup(Qt::Key_E); // "S&et width of columns..."
    };
    form_->ReportGrid->setColWidth(3, -1);
    setWidth(QStringLiteral("10"));
    QCOMPARE(form_->ReportGrid->colWidth(0), 50);
    QCOMPARE(form_->ReportGrid->colWidth(3), -1);
    setWidth(QStringLiteral("5000"));
    QCOMPARE(form_->ReportGrid->colWidth(0), 3000);
    setWidth(QStringLiteral("wide"));
    QCOMPARE(form_->ReportGrid->colWidth(0), 3000);
    QCOMPARE(MessageBox::shown().last().text,
             QStringLiteral("'wide' is not a valid integer value."));
    openContextMenu(cells, QPoint(20, 10));
    chooseInPopup(Qt::Key_R); // "&Restore default width of columns"
    QCOMPARE(form_->ReportGrid->colWidth(0), 200);
}

void TestMainWindow::closingSavesTheHistory() {
    search(QStringLiteral("zbot"));
    QVERIFY(form_->close());
    QFile file(fixture_->settingsFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    QVERIFY(saved.contains("\"string#1\"=\"zbot\""));
    QVERIFY(saved.contains("\"Count\"=dword:00000001"));
}

void TestMainWindow::closeIsRefusedWhileSearching() {
    form_->Searching = true;
    QVERIFY(!form_->close());
    form_->Searching = false;
    QVERIFY(form_->close());
}

void TestMainWindow::missingDatabaseShowsPreferences() {
    form_.reset();
    QTemporaryDir empty;
    fixture_->writeSettings(empty.path());
    MessageBox::clearShown();
    startForm();
    QVERIFY(!form_->DatabaseLoaded);
    QCOMPARE(form_->PageControl->currentWidget(), form_->PrefSheet);
    QCOMPARE(MessageBox::shown().size(), 1);
    QCOMPARE(MessageBox::shown().first().text,
             QStringLiteral("Could not open the database.\nPlease, set a right path and file "
                            "names in the Preferences tab"));
    QVERIFY(!form_->ProductButton->isEnabled());
    QCOMPARE(form_->StatusPanel1->text(), QStringLiteral(" Error : no database found"));

    // The retry loads once the path is right.
    MessageBox::presetAnswers({MessageBox::Yes});
    pressKey(Qt::Key_M, Qt::AltModifier); // "Co&mmon directory"
    QCOMPARE(focusTarget(), find<QWidget>("DataEdit"));
    pressKey(Qt::Key_A, Qt::ControlModifier);
    typeText(fixture_->dataDir());
    pressKey(Qt::Key_F, Qt::AltModifier);
    chooseInPopup(Qt::Key_S); // "&Search"
    search(QStringLiteral("zbot"));
    QVERIFY(form_->DatabaseLoaded);
    QVERIFY(form_->HitCount > 0);
}

void TestMainWindow::localMenuNeedsADatabase() {
    form_.reset();
    QTemporaryDir empty;
    fixture_->writeSettings(empty.path());
    startForm();
    MessageBox::clearShown();
    openContextMenu(form_->ReportGrid->viewport(), QPoint(10, 10));
    QCOMPARE(MessageBox::shown().size(), 1);
    QCOMPARE(MessageBox::shown().first().text, QStringLiteral("Local menu disabled."));
    QVERIFY(!form_->ReportMenu->isVisible());
}

void TestMainWindow::modelPassesTheTester() {
    QAbstractItemModelTester tester(form_->ReportGrid->model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    search(QStringLiteral("trojan"));
    form_->ClearResults();
    search(QStringLiteral("zbot"));
}

void TestMainWindow::savesAReportFromTheLocalMenu() {
    search(QStringLiteral("zbot"));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("zbot report.nrp"));
    FileDialog::presetAnswers({path});
    openContextMenu(form_->ReportGrid->viewport(), QPoint(5, 5));
    chooseInPopup(Qt::Key_S); // "&Save results..."
    QFile report(path);
    QVERIFY(report.open(QIODevice::ReadOnly));
    const QByteArray bytes = report.readAll();
    QVERIFY(bytes.contains("zbot"));
    QVERIFY(bytes.endsWith("\r\n"));
    QVERIFY(form_->isEnabled());
    QCOMPARE(FileDialog::asked().last().dir.left(form_->DataEdit->text().size()),
             form_->DataEdit->text());
}

void TestMainWindow::preferencesTakeFileNamesOnly() {
    const QString directory = form_->DataEdit->text();
    pressKey(Qt::Key_F, Qt::AltModifier);
    chooseInPopup(Qt::Key_P); // "&Preferences"
    QVERIFY(find<QWidget>("DataNameButton")->isVisible());
    FileDialog::presetAnswers(
        {QStringLiteral("/somewhere/else/OTHER.DAT"), QStringLiteral("/x/y/TABLE.CFG")});
    clickAt(find<QWidget>("DataNameButton"));
    clickAt(find<QWidget>("ConfigNamebutton"));
    QCOMPARE(form_->DataFileEdit->text(), QStringLiteral("OTHER.DAT"));
    QCOMPARE(form_->ConfigFileEdit->text(), QStringLiteral("TABLE.CFG"));
    QCOMPARE(form_->DataEdit->text(), directory);
    QCOMPARE(FileDialog::asked().last().caption, QStringLiteral("Please, select a file"));
    QCOMPARE(FileDialog::asked().last().dir, directory);

    QTemporaryDir chosen;
    FileDialog::presetAnswers({chosen.path()});
    clickAt(find<QWidget>("BrowseButton"));
    QCOMPARE(form_->DataEdit->text(), chosen.path());
    // Cancelling changes nothing.
    FileDialog::presetAnswers({QString()});
    clickAt(find<QWidget>("DataNameButton"));
    QCOMPARE(form_->DataFileEdit->text(), QStringLiteral("OTHER.DAT"));
    // The loaded data stays until the next start.
    pressKey(Qt::Key_F, Qt::AltModifier);
    chooseInPopup(Qt::Key_S); // "&Search"
    search(QStringLiteral("zbot"));
    QVERIFY(form_->HitCount > 0);
}

void TestMainWindow::selectionLimitsSearchAndColumns() {
    const size_t count = form_->Products.entries.size();
    ProductSelection only(count);
    for (size_t i = 0; i < count; ++i) {
        only.setSelected(i, i == 1 || i == 40);
    }
    form_->SelectForm->FillProductList(form_->Products.entries, only);
    form_->OptionForm->ProductCheck->setChecked(false); // hides unselected columns at once
    form_->ApplyProductSelection();
    QCOMPARE(form_->ProductMask, 0x2u);
    QVERIFY(!form_->AllProductsSelected);
    QCOMPARE(form_->ReportGrid->colWidth(0), -1);
    QCOMPARE(form_->ReportGrid->colWidth(1), 200);
    QCOMPARE(form_->ReportGrid->colWidth(40), 200);
    QCOMPARE(form_->ReportGrid->colWidth(8), -1); // column 40 shares no state with column 8

    // Only products 2 and 41 are searched.
    const auto db =
        nomix::loadDatabaseFiles({fixture_->dataDir().toStdString(), "NOMIX.DAT", "NOMIX.CFG"});
    SearchRequest request;
    request.text = "NO_VIRUS";
    request.mode = MatchMode::CompleteMatch;
    request.columnCount = count;
    request.selected = only.states();
    request.allProductsSelected = false;
    const int expected = nomix::runSearch(db->names.lines, request).hitCount;
    QVERIFY(expected > 0 && expected < 500);
    form_->OptionForm->MatchCheck->setChecked(true);
    search(QStringLiteral("no_virus"));
    QCOMPARE(form_->HitCount, expected);

    form_->OptionForm->ProductCheck->setChecked(true); // shows them again
    QCOMPARE(form_->ReportGrid->colWidth(0), 200);
}

void TestMainWindow::controlsWaitWhileSearching() {
    bool disabled = false;
    QTimer::singleShot(0, this, [&] {
        disabled = !form_->StringPanel->isEnabled() && !form_->PrefSheet->isEnabled() &&
                   !form_->ExitButton->isEnabled() && !form_->SpeedTrackBar->isEnabled() &&
                   !form_->Options->isEnabled() && form_->SearchButton->isEnabled() &&
                   form_->minimumSize() == form_->maximumSize(); // no resizing

        clickAt(find<QWidget>("SearchButton"));
    });
    search(QStringLiteral("trojan"));
    QVERIFY(disabled);
    QVERIFY(form_->StringPanel->isEnabled() && form_->PrefSheet->isEnabled());
    QCOMPARE(form_->minimumSize(), QSize(630, 476));
    QCOMPARE(form_->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
}

void TestMainWindow::hintsShowOnTheStatusBar() {
    QStatusTipEvent own(form_->SearchButton->statusTip());
    QCoreApplication::sendEvent(form_->SearchButton, &own);
    QCOMPARE(form_->StatusPanel0->text(),
             QStringLiteral("Press the button to start/stop a search"));
    // A dialog's control reports its hint to the same place.
    QStatusTipEvent dialogs(QStringLiteral("from a dialog"));
    QCoreApplication::sendEvent(form_->OptionForm->ResultCheck, &dialogs);
    QCOMPARE(form_->StatusPanel0->text(), QStringLiteral("from a dialog"));
    QStatusTipEvent none{QString()};
    QCoreApplication::sendEvent(form_->SearchButton, &none);
    QCOMPARE(form_->StatusPanel0->text(), QStringLiteral("Welcome to Nomix95!"));
}

// What the screen shows of the grid's first data rows: each must hold text.
bool rowsArePainted(QWidget* window, QWidget* cells, int rows) {
    QCoreApplication::processEvents(); // paints what is pending, as the screen would
    const QImage shown = window->screen()->grabWindow(window->winId()).toImage();
    const QPoint origin = cells->mapTo(window, QPoint(0, 0));
    for (int row = 0; row < rows; ++row) {
        int dark = 0;
        for (int y = row * 20 + 4; y < row * 20 + 16; ++y) {
            for (int x = 0; x < qMin(cells->width(), 400); ++x) {
                dark += qGray(shown.pixel(origin + QPoint(x, y))) < 96;
            }
        }
        if (dark < 20) {
            return false;
        }
    }
    return true;
}

void TestMainWindow::gridKeepsItsRowsWhenFocusMoves() {
    search(QStringLiteral("virut"));
    QCOMPARE(form_->HitCount, 16);
    QWidget* grid = find<QWidget>("ReportGrid");
    QWidget* cells = form_->ReportGrid->viewport();
    QWidget* box = find<QWidget>("SearchBox");
    const int rows = qMin(16, cells->height() / 20);
    QVERIFY(rows >= 3);
    for (int round = 0; round < 5; ++round) {
        clickAt(box);
        QTRY_COMPARE(focusTarget(), box);
        QVERIFY2(rowsArePainted(form_.get(), cells, rows), "blank rows after leaving the grid");
        clickAt(cells, QPoint(30, 10 + 20 * (round % rows)));
        QTRY_COMPARE(focusTarget(), grid);
        QVERIFY2(rowsArePainted(form_.get(), cells, rows), "blank rows after entering the grid");
    }
}

QWidget* visibleWindow(const char* name) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QLatin1String(name) && window->isVisible()) {
            return window;
        }
    }
    return nullptr;
}

// A modal dialog's Help opens a window the user can use while the dialog stays.
void TestMainWindow::helpFromAModalDialogTakesInput() {
    pressKey(Qt::Key_F, Qt::AltModifier);
    chooseInPopup(Qt::Key_P); // "&Preferences"
    int scrolledBy = -1;
    bool dialogStayed = false;
    whenModalShows([&](QWidget* dialog) {
        auto closeDialog = qScopeGuard([dialog] { QTest::keyClick(dialog, Qt::Key_Escape); });
        QTRY_COMPARE(QApplication::activeWindow(), dialog);
        pressKey(Qt::Key_H, Qt::AltModifier); // the dialog's "&Help"
        QWidget* viewer = nullptr;
        QTRY_VERIFY((viewer = visibleWindow("HelpViewer")));
        auto* area = qobject_cast<QAbstractScrollArea*>(viewer);
        QVERIFY(area);
        QScrollBar* bar = area->verticalScrollBar();
        QVERIFY(bar->isVisible());
        const int before = bar->value();
        // A click on the scroll bar's track below its handle pages down,
        // unless the dialog blocks the viewer.
        const QPoint track = bar->mapTo(viewer, QPoint(bar->width() / 2, bar->height() - 30));
        QTest::mouseClick(viewer->windowHandle(), Qt::LeftButton, Qt::NoModifier, track);
        scrolledBy = bar->value() - before;
        dialogStayed = dialog->isVisible();
    });
    pressKey(Qt::Key_O, Qt::AltModifier); // "&Options", clicked the way a button animates it
    QTRY_VERIFY(dialogStayed);
    QVERIFY2(scrolledBy > 0, "the help viewer took no input while the dialog was open");
}

void TestMainWindow::statusLabelAndCounterShowWhole() {
    const QLabel* database = find<QLabel>("StatusPanel1");
    QVERIFY(database->width() >= database->sizeHint().width());
    QVERIFY(database->geometry().right() <= database->parentWidget()->width());
    const QWidget* counter = find<QWidget>("LEDLabel");
    QCOMPARE(counter->size(), QSize(85, 30)); // five cells at segment size 2
}

// The counter has five digits; a larger count must not show its first five.
void TestMainWindow::countAboveFiveDigitsIsGivenExactly() {
    form_.reset();
    QTemporaryDir dir;
    QFile table(dir.filePath(QStringLiteral("NOMIX.CFG")));
    QVERIFY(table.open(QIODevice::WriteOnly));
    table.write("Many|Alpha 1.0 01/01|Beta 2.0 02/02\r\n");
    table.close();
    QFile names(dir.filePath(QStringLiteral("NOMIX.DAT")));
    QVERIFY(names.open(QIODevice::WriteOnly));
    constexpr int kLines = 123456;
    for (int i = 0; i < kLines; ++i) {
        names.write("|Trojan.Many|NO_VIRUS|\r\n");
    }
    names.close();
    fixture_->writeSettings(dir.path());
    startForm();
    form_->OptionForm->ResultCheck->setChecked(true); // counting is enough here
    search(QStringLiteral("trojan"));
    QCOMPARE(form_->HitCount, kLines);
    const QWidget* counter = find<QWidget>("LEDLabel");
    QCOMPARE(form_->LEDLabel->text(), QStringLiteral("99999"));
    const QString exact = QLocale().toString(kLines);
    QVERIFY2(counter->toolTip().contains(exact), qPrintable(counter->toolTip()));
    QVERIFY(find<QLabel>("StatusPanel0")->text().contains(exact));
}

// Minimised to the tray the window is hidden; Terminate must still end the
// program, not only save the settings.
void TestMainWindow::terminateInTheTrayEndsTheProgram() {
    form_->OptionForm->MinimizeCheck->setChecked(true);
    form_->setWindowState(Qt::WindowMinimized); // as the window manager reports it
    QTRY_VERIFY(!form_->isVisible());
    QTimer::singleShot(0, this, [this] {
        auto* menu = find<QMenu>("NotifyPopupMenu");
        menu->popup(QPoint(10, 10));
        chooseInPopup(Qt::Key_T); // "&Terminate"
    });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });
    QCOMPARE(QCoreApplication::exec(), 0);
    QFile file(fixture_->settingsFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("\"MinimizeInTaskbar\"=dword:00000001"));
}

void TestMainWindow::fileErrorsNameTheFile_data() {
    QTest::addColumn<QString>("missing");
    QTest::addColumn<QString>("folderInstead");
    QTest::newRow("name database missing") << "NOMIX.DAT" << QString();
    QTest::newRow("name database is a folder") << QString() << "NOMIX.DAT";
    QTest::newRow("product table is a folder") << QString() << "NOMIX.CFG";
}

// "File not found" alone leaves the user guessing which of two files is meant.
void TestMainWindow::fileErrorsNameTheFile() {
    QFETCH(QString, missing);
    QFETCH(QString, folderInstead);
    form_.reset();
    QTemporaryDir dir;
    for (const char* name : {"NOMIX.CFG", "NOMIX.DAT"}) {
        QFile::copy(fixture_->dataDir() + QLatin1Char('/') + QLatin1String(name),
                    dir.filePath(QLatin1String(name)));
    }
    const QString broken = missing.isEmpty() ? folderInstead : missing;
    QVERIFY(QFile::remove(dir.filePath(broken)));
    if (!folderInstead.isEmpty()) {
        QVERIFY(QDir(dir.path()).mkdir(folderInstead));
    }
    fixture_->writeSettings(dir.path());
    MessageBox::clearShown();
    startForm();
    QVERIFY(!form_->DatabaseLoaded);
    QVERIFY(!MessageBox::shown().isEmpty());
    const QString shown = MessageBox::shown().first().text;
    QVERIFY2(shown.startsWith(dir.filePath(broken) + QStringLiteral(": ")), qPrintable(shown));
}

void TestMainWindow::unsavableSettingsLetTheUserLeave_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closes");
    QTest::newRow("close without saving") << int(MessageBox::Yes) << true;
    QTest::newRow("stay") << int(MessageBox::No) << false;
}

// A settings file that cannot be written once trapped the user in the program.
void TestMainWindow::unsavableSettingsLetTheUserLeave() {
    QFETCH(int, answer);
    QFETCH(bool, closes);
    search(QStringLiteral("zbot"));
    QVERIFY(QFile::remove(fixture_->settingsFile()));
    QVERIFY(QDir().mkdir(fixture_->settingsFile())); // nothing can be written there
    MessageBox::clearShown();
    MessageBox::presetAnswers({MessageBox::Ok, MessageBox::Button(answer)});
    QCOMPARE(form_->close(), closes);
    QCOMPARE(MessageBox::shown().size(), 2);
    QCOMPARE(MessageBox::shown().first().caption, QStringLiteral("Error"));
    QVERIFY(MessageBox::shown().last().text.contains(QStringLiteral("without saving")));
    QVERIFY(QDir().rmdir(fixture_->settingsFile()));
    fixture_->writeSettings(fixture_->dataDir());
}

// SIGTERM (a logout, a service manager) closes as Exit does: the history of
// the session is saved, and no box waits for an answer.
void TestMainWindow::terminationSignalClosesAndSaves() {
    TerminationSignals signalsToClose;
    connect(&signalsToClose, &TerminationSignals::received, form_.get(), &MainWindow::endSession);
    MessageBox::setAutoAnswer(false);
    MessageBox::clearShown();
    QTimer::singleShot(0, this, [this] {
        search(QStringLiteral("zbot"));
        std::raise(SIGTERM);
    });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(MessageBox::shown().isEmpty());
    QFile file(fixture_->settingsFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("\"string#1\"=\"zbot\""));
}

// Ctrl+C, "Export results..." and "Search for this name" take what the grid
// shows to the clipboard, a file and the next search.
void TestMainWindow::resultsLeaveTheGrid() {
    search(QStringLiteral("zbot"));
    const int hits = form_->HitCount;
    QVERIFY(hits > 1);
    QCOMPARE(focusTarget(), find<QWidget>("ReportGrid"));
    pressKey(Qt::Key_A, Qt::ControlModifier);
    pressKey(Qt::Key_C, Qt::ControlModifier);
    const QStringList copied =
        QApplication::clipboard()->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(copied.size(), hits + 1);
    QCOMPARE(copied.first().split(QLatin1Char('\t')).size(), 74);
    QVERIFY(copied.first().startsWith(QStringLiteral("a-squared 2009.12 12/09\tAd-Aware")));

    QWidget* cells = form_->ReportGrid->viewport();
    QTemporaryDir dir;
    for (const QString& name : {QStringLiteral("hits.csv"), QStringLiteral("hits.jsonl")}) {
        FileDialog::presetAnswers({dir.filePath(name)});
        openContextMenu(cells, QPoint(30, 10));
        chooseInPopup(Qt::Key_X); // "E&xport results..."
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const bool csv = name.endsWith(QLatin1String(".csv"));
        QCOMPARE(bytes.count(csv ? "\r\n" : "\n"), hits + (csv ? 1 : 0));
        QCOMPARE(bytes.startsWith("{\"line\": "), !csv);
    }

    // The second column's name of the first hit becomes the search string.
    const QModelIndex cell = form_->ReportGrid->model()->index(0, 1);
    const QString name = cell.data().toString();
    QVERIFY(!name.isEmpty());
    openContextMenu(cells, form_->ReportGrid->visualRect(cell).center());
    chooseInPopup(Qt::Key_N); // "Search for this &name"
    QCOMPARE(form_->SearchBox->currentText(), name);
    QVERIFY(form_->HitCount > 0);
}

void TestMainWindow::importFromTheFileMenu_data() {
    QTest::addColumn<bool>("cancel");
    QTest::newRow("imported and opened") << false;
    QTest::newRow("cancelled") << true;
}

// File > Import scan reports...: a progress window with Cancel, then the new
// database opened at once; a cancelled import leaves the folder as it was.
void TestMainWindow::importFromTheFileMenu() {
    QFETCH(bool, cancel);
    QTemporaryDir dir;
    const QString reportsPath = dir.filePath(QStringLiteral("reports.jsonl"));
    QFile reports(reportsPath);
    QVERIFY(reports.open(QIODevice::WriteOnly));
    const int count = cancel ? 100000 : 3;
    for (int i = 0; i < count; ++i) {
        reports.write("{\"sha256\": \"" + QByteArray::number(i).rightJustified(64, '0') +
                      "\", \"scans\": {\"Alpha\": {\"detected\": true, \"result\": "
                      "\"Trojan.Imported\"}, \"Beta\": {\"detected\": false}}}\n");
    }
    reports.close();
    const QString database = dir.filePath(QStringLiteral("db"));
    QVERIFY(QDir().mkdir(database));
    QFile old(database + QStringLiteral("/NOMIX.DAT"));
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();

    FileDialog::presetAnswers({reportsPath, database});
    MessageBox::presetAnswers({MessageBox::Yes});
    bool cancelled = false;
    if (cancel) {
        whenModalShows([&cancelled](QWidget* progress) {
            clickAt(progress->findChild<QPushButton*>()); // its Cancel button
            cancelled = true;
        });
    }
    pressKey(Qt::Key_F, Qt::AltModifier);
    chooseInPopup(Qt::Key_I); // "&Import scan reports..."
    QVERIFY(!QApplication::activeModalWidget());
    if (cancel) {
        QVERIFY(cancelled);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old"));
        QCOMPARE(QDir(database).entryList(QDir::Files | QDir::Hidden).size(), 1);
        QCOMPARE(form_->DataEdit->text(), fixture_->dataDir());
        return;
    }
    QCOMPARE(form_->DataEdit->text(), database);
    QVERIFY2(find<QLabel>("StatusPanel1")->text().startsWith(" Database Imported 3 samples"),
             qPrintable(find<QLabel>("StatusPanel1")->text()));
    QCOMPARE(form_->ReportGrid->model()->columnCount(), 3);
    search(QStringLiteral("trojan.imported"));
    QCOMPARE(form_->HitCount, 3);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
