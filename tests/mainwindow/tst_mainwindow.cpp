// SPDX-License-Identifier: MIT
#include "shared_mainwindowtest.h"
#include "shared_userinput.h"

#include "controls/ledcounter.h"
#include "core/productselection.h"
#include "core/producttable.h"
#include "dialogs/optionsdialog.h"
#include "dialogs/productfilterdialog.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/resultsmodel.h"
#include "mainwindow/resultsview.h"
#include "mainwindow/searchcontroller.h"
#include "platform/filedialog.h"
#include "platform/messagebox.h"
#include "platform/settings.h"
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
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

#include <csignal>
#include <memory>

using namespace nomix;
using namespace userinput;

class TestMainWindow : public MainWindowTest {
    Q_OBJECT

  private slots:
    void initTestCase() { startFixture(); }
    void init() { startWithSampleDatabase(); }
    void cleanup() { closeWindow(); }

    void startsOnTheSampleDatabase();
    void enterSearchesAndFillsTheGrid();
    void emptyStringIsRefused();
    void noHitLeavesTheCounterAtZero();
    void historyKeepsThirtyDistinctStrings();
    void numericOnlyListsNoRows();
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
    void f1OpensTheFocusedControlsTopic_data();
    void f1OpensTheFocusedControlsTopic();
    void statusLabelAndCounterShowWhole();
    void countAboveFiveDigitsIsGivenExactly();
    void terminateInTheTrayEndsTheProgram();
};

void TestMainWindow::startsOnTheSampleDatabase() {
    QCOMPARE(find<QLabel>("databasePanel")->text(),
             QStringLiteral(" Database Real labels, 500 samples"));
    QCOMPARE(find<QLabel>("databasePanel")->textFormat(), Qt::PlainText); // data, never markup
    QCOMPARE(results()->columnCount(), 74);
    QCOMPARE(results()->rowCount(), 0);
    QVERIFY(find<QPushButton>("productButton")->isEnabled());
    QVERIFY(find<QPushButton>("optionsButton")->isEnabled());
    QCOMPARE(ledText(), QStringLiteral("00000"));
    QCOMPARE(find<QTabWidget>("pages")->currentWidget(), find<QWidget>("searchPage"));
    QVERIFY(MessageBox::shown().isEmpty());
    QCOMPARE(form_->minimumSize(), QSize(630, 476));
}

void TestMainWindow::enterSearchesAndFillsTheGrid() {
    // The sample's lines holding "zbot" in any case, counted apart from the
    // program: grep -ci zbot resources/sample/NOMIX.DAT.
    const int expected = 33;
    QVERIFY(settings()->value(nomix::Option::SearchInBackground));
    // While the search runs the window must say so; afterwards, no more.
    SearchController::State stateDuring = SearchController::State::Idle;
    bool runningDuring = false;
    QString buttonDuring;
    QTimer::singleShot(0, this, [&] {
        stateDuring = controller()->state();
        runningDuring = results()->searchRunning();
        buttonDuring = find<QPushButton>("searchButton")->text();
    });
    search(QStringLiteral("zbot"));
    QCOMPARE(stateDuring, SearchController::State::Searching);
    QVERIFY(runningDuring);
    QCOMPARE(buttonDuring, QStringLiteral("&Stop"));
    QCOMPARE(hitCount(), expected);
    QCOMPARE(results()->rowCount(), expected);
    QCOMPARE(ledText(), QStringLiteral("%1").arg(expected, 5, 10, QLatin1Char('0')));
    QCOMPARE(find<QPushButton>("searchButton")->text(), QStringLiteral("&Search"));
    QVERIFY(!results()->searchRunning());
    QVERIFY(find<QWidget>("stringPanel")->isEnabled());
    QCOMPARE(find<QComboBox>("searchBox")->count(), 1);
    QCOMPARE(find<QComboBox>("searchBox")->itemText(0), QStringLiteral("zbot"));
    // Every row shows a line holding the string, and no row follows the hits.
    const QAbstractItemModel* model = results();
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
    QCOMPARE(find<QComboBox>("searchBox")->count(), 0);
    // A text of blanks is not empty.
    search(QStringLiteral("  "));
    QCOMPARE(MessageBox::shown().size(), 1);
    QCOMPARE(find<QComboBox>("searchBox")->count(), 1);
}

void TestMainWindow::noHitLeavesTheCounterAtZero() {
    search(QStringLiteral("no such virus name at all"));
    QCOMPARE(hitCount(), 0);
    QCOMPARE(ledText(), QStringLiteral("00000"));
    QCOMPARE(results()->rowCount(), 0);
}

void TestMainWindow::historyKeepsThirtyDistinctStrings() {
    settings()->setValue(nomix::Option::ShowNumericResultOnly, true); // counting is enough here
    for (int i = 1; i <= 31; ++i) {
        search(QStringLiteral("name%1").arg(i));
    }
    search(QStringLiteral("NAME31"));
    QCOMPARE(find<QComboBox>("searchBox")->count(), 30);
    QCOMPARE(find<QComboBox>("searchBox")->itemText(0), QStringLiteral("name2"));
    QCOMPARE(find<QComboBox>("searchBox")->itemText(29), QStringLiteral("name31"));
}

void TestMainWindow::numericOnlyListsNoRows() {
    settings()->setValue(nomix::Option::ShowNumericResultOnly, true);
    search(QStringLiteral("trojan"));
    QVERIFY(hitCount() > 0);
    QCOMPARE(results()->rowCount(), 0);
    QVERIFY(results()->hits().empty());
}

void TestMainWindow::stopKeepsWhatWasFound() {
    QVERIFY(settings()->value(nomix::Option::SearchInBackground));
    bool sawStop = false;
    // What the click on Stop left the running search in.
    SearchController::State stateAfterClick = SearchController::State::Searching;
    QTimer::singleShot(0, this, [&] {
        sawStop = find<QPushButton>("searchButton")->text() == QStringLiteral("&Stop");
        clickAt(find<QWidget>("searchButton"));
        stateAfterClick = controller()->state();
    });
    search(QStringLiteral("trojan"));
    QTRY_VERIFY(!results()->searchRunning());
    QVERIFY(sawStop);
    QCOMPARE(stateAfterClick, SearchController::State::Stopping);
    QCOMPARE(find<QPushButton>("searchButton")->text(), QStringLiteral("&Search"));
    QCOMPARE(ledText(), QStringLiteral("%1").arg(hitCount(), 5, 10, QLatin1Char('0')));
    QCOMPARE(size_t(hitCount()), results()->hits().size());
}

void TestMainWindow::escapeStopsASearch() {
    bool searchingWhenPressed = false;
    QTimer::singleShot(0, this, [&] {
        searchingWhenPressed = (controller()->state() == SearchController::State::Searching);
        pressKey(Qt::Key_Escape);
    });
    search(QStringLiteral("trojan"));
    QVERIFY(searchingWhenPressed);
    QVERIFY(!results()->searchRunning());
    QVERIFY(find<QPushButton>("searchButton")->isEnabled());
}

void TestMainWindow::speedTrackBarAndOptions() {
    QCheckBox* background = find<QCheckBox>("searchInBackgroundBox");
    QCheckBox* counter = find<QCheckBox>("updateItemCounterBox");
    QCOMPARE(find<QSlider>("speedTrackBar")->value(), 1);
    find<QSlider>("speedTrackBar")->setValue(2);
    QVERIFY(!background->isChecked() && !counter->isChecked());
    find<QSlider>("speedTrackBar")->setValue(0);
    QVERIFY(background->isChecked() && counter->isChecked());
    find<QSlider>("speedTrackBar")->setValue(2);
    // Ticking the counter in the options while at Max moves the bar to Med.
    // and leaves the background option as it was.
    counter->setChecked(true); // the options dialog reports it at once
    QCOMPARE(find<QSlider>("speedTrackBar")->value(), 1);
    QVERIFY(!background->isChecked());
    QVERIFY(counter->isChecked());
    // With the search in the foreground there is no Stop button.
    background->setChecked(false);
    search(QStringLiteral("trojan"));
    QVERIFY(hitCount() > 0);
    QVERIFY(find<QPushButton>("searchButton")->isEnabled());
}

void TestMainWindow::completeMatchDisablesModifiers() {
    settings()->setValue(nomix::Option::CompleteStringMatch, true);
    QVERIFY(!find<QToolButton>("beginsWithButton")->isEnabled());
    QVERIFY(!find<QToolButton>("endsWithButton")->isEnabled());
    search(QStringLiteral("no_virus"));
    QCOMPARE(hitCount(), 500);
    settings()->setValue(nomix::Option::CompleteStringMatch, false);
    QVERIFY(find<QToolButton>("beginsWithButton")->isEnabled());
    find<QToolButton>("beginsWithButton")->setChecked(true);
    search(QStringLiteral("no_vir"));
    QCOMPARE(hitCount(), 500);
    find<QToolButton>("endsWithButton")->setChecked(true);
    search(QStringLiteral("no_vir"));
    QCOMPARE(hitCount(), 0);
}

void TestMainWindow::columnWidthDialogClamps() {
    QWidget* cells = grid()->viewport();
    auto setWidth = [&](const QString& text) {
        whenModalShows([text](QWidget* dialog) {
            QVERIFY(qobject_cast<QInputDialog*>(dialog));
            typeText(text);
            pressKey(Qt::Key_Return);
        });
        openContextMenu(cells, QPoint(20, 10));
        chooseInPopup(Qt::Key_E); // "S&et width of columns..."
    };
    grid()->setColumnHidden(3, true);
    setWidth(QStringLiteral("10"));
    QCOMPARE(colWidth(0), 50);
    QCOMPARE(colWidth(3), -1);
    setWidth(QStringLiteral("5000"));
    QCOMPARE(colWidth(0), 3000);
    setWidth(QStringLiteral("wide"));
    QCOMPARE(colWidth(0), 3000);
    QCOMPARE(MessageBox::shown().last().text,
             QStringLiteral("'wide' is not a valid integer value."));
    openContextMenu(cells, QPoint(20, 10));
    chooseInPopup(Qt::Key_R); // "&Restore default width of columns"
    QCOMPARE(colWidth(0), 200);
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
    bool closedWhileSearching = true;
    QTimer::singleShot(0, this, [&] {
        QVERIFY(controller()->state() == SearchController::State::Searching);
        closedWhileSearching = form_->close();
        pressKey(Qt::Key_Escape);
    });
    search(QStringLiteral("zbot"));
    QVERIFY(!closedWhileSearching);
    QVERIFY(form_->close());
}

void TestMainWindow::missingDatabaseShowsPreferences() {
    form_.reset();
    QTemporaryDir empty;
    fixture_->writeSettings(empty.path());
    MessageBox::clearShown();
    startForm();
    QVERIFY(!databaseLoaded());
    QCOMPARE(find<QTabWidget>("pages")->currentWidget(), find<QWidget>("preferencesPage"));
    QCOMPARE(MessageBox::shown().size(), 1);
    QCOMPARE(MessageBox::shown().first().text,
             QStringLiteral("Could not open the database.\n%1/NOMIX.CFG: File not found\n"
                            "%1/NOMIX.DAT: File not found\nPlease, set a right path and file "
                            "names in the Preferences tab")
                 .arg(empty.path()));
    QVERIFY(!find<QPushButton>("productButton")->isEnabled());
    QCOMPARE(find<QLabel>("databasePanel")->text(), QStringLiteral(" Error : no database found"));

    // The retry loads once the path is right.
    MessageBox::presetAnswers({MessageBox::Yes});
    pressKey(Qt::Key_M, Qt::AltModifier); // "Co&mmon directory"
    QCOMPARE(focusTarget(), find<QWidget>("directoryEdit"));
    pressKey(Qt::Key_A, Qt::ControlModifier);
    typeText(fixture_->dataDir());
    pressKey(Qt::Key_F, Qt::AltModifier);
    chooseInPopup(Qt::Key_S); // "&Search"
    search(QStringLiteral("zbot"));
    QVERIFY(databaseLoaded());
    QVERIFY(hitCount() > 0);
}

void TestMainWindow::localMenuNeedsADatabase() {
    form_.reset();
    QTemporaryDir empty;
    fixture_->writeSettings(empty.path());
    startForm();
    MessageBox::clearShown();
    openContextMenu(grid()->viewport(), QPoint(10, 10));
    QCOMPARE(MessageBox::shown().size(), 1);
    QCOMPARE(MessageBox::shown().first().text, QStringLiteral("Local menu disabled."));
    QVERIFY(!find<QMenu>("resultsMenu")->isVisible());
}

void TestMainWindow::modelPassesTheTester() {
    QAbstractItemModelTester tester(results(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    search(QStringLiteral("trojan"));
    find<QAction>("clearResults")->trigger();
    search(QStringLiteral("zbot"));
}

void TestMainWindow::savesAReportFromTheLocalMenu() {
    search(QStringLiteral("zbot"));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("zbot report.nrp"));
    FileDialog::presetAnswers({path});
    openContextMenu(grid()->viewport(), QPoint(5, 5));
    chooseInPopup(Qt::Key_S); // "&Save results..."
    QFile report(path);
    QVERIFY(report.open(QIODevice::ReadOnly));
    const QByteArray bytes = report.readAll();
    QVERIFY(bytes.contains("zbot"));
    QVERIFY(bytes.endsWith("\r\n"));
    QVERIFY(form_->isEnabled());
    QCOMPARE(FileDialog::asked().last().dir.left(find<QLineEdit>("directoryEdit")->text().size()),
             find<QLineEdit>("directoryEdit")->text());
}

void TestMainWindow::preferencesTakeFileNamesOnly() {
    const QString directory = find<QLineEdit>("directoryEdit")->text();
    pressKey(Qt::Key_F, Qt::AltModifier);
    chooseInPopup(Qt::Key_P); // "&Preferences"
    QVERIFY(find<QWidget>("databaseButton")->isVisible());
    FileDialog::presetAnswers(
        {QStringLiteral("/somewhere/else/OTHER.DAT"), QStringLiteral("/x/y/TABLE.CFG")});
    clickAt(find<QWidget>("databaseButton"));
    clickAt(find<QWidget>("tableButton"));
    QCOMPARE(find<QLineEdit>("databaseEdit")->text(), QStringLiteral("OTHER.DAT"));
    QCOMPARE(find<QLineEdit>("tableEdit")->text(), QStringLiteral("TABLE.CFG"));
    QCOMPARE(find<QLineEdit>("directoryEdit")->text(), directory);
    QCOMPARE(FileDialog::asked().last().caption, QStringLiteral("Please, select a file"));
    QCOMPARE(FileDialog::asked().last().dir, directory);

    QTemporaryDir chosen;
    FileDialog::presetAnswers({chosen.path()});
    clickAt(find<QWidget>("browseButton"));
    QCOMPARE(find<QLineEdit>("directoryEdit")->text(), chosen.path());
    // Cancelling changes nothing.
    FileDialog::presetAnswers({QString()});
    clickAt(find<QWidget>("databaseButton"));
    QCOMPARE(find<QLineEdit>("databaseEdit")->text(), QStringLiteral("OTHER.DAT"));
    // The loaded data stays until the next start.
    pressKey(Qt::Key_F, Qt::AltModifier);
    chooseInPopup(Qt::Key_S); // "&Search"
    search(QStringLiteral("zbot"));
    QVERIFY(hitCount() > 0);
}

void TestMainWindow::selectionLimitsSearchAndColumns() {
    const size_t count = size_t(results()->columnCount());
    ProductSelection only(count);
    for (size_t i = 0; i < count; ++i) {
        only.setSelected(i, i == 1 || i == 40);
    }
    const auto table = readProductTable(
        QDir(fixture_->dataDir()).filePath("NOMIX.CFG").toStdString(), "NOMIX.CFG");
    form_->findChild<ProductFilterDialog*>()->setProducts(table.entries, only);
    settings()->setValue(nomix::Option::ShowAllProducts, false); // hides unselected columns at once
    QVERIFY(!results()->productSelected(0) && results()->productSelected(1));
    QVERIFY(!results()->allProductsSelected());
    QCOMPARE(colWidth(0), -1);
    QCOMPARE(colWidth(1), 200);
    QCOMPARE(colWidth(40), 200);
    QCOMPARE(colWidth(8), -1); // column 40 shares no state with column 8

    // Only products 2 and 41 are searched. The sample's lines in which either
    // of them says exactly NO_VIRUS, counted apart from the program (every
    // line starts with '|' and has no empty field):
    // awk -F'|' '$3 == "NO_VIRUS" || $42 == "NO_VIRUS"' NOMIX.DAT | wc -l
    constexpr int expected = 431;
    static_assert(expected > 0 && expected < 500, "the selection must make a difference");
    settings()->setValue(nomix::Option::CompleteStringMatch, true);
    search(QStringLiteral("no_virus"));
    QCOMPARE(hitCount(), expected);

    settings()->setValue(nomix::Option::ShowAllProducts, true); // shows them again
    QCOMPARE(colWidth(0), 200);
}

void TestMainWindow::controlsWaitWhileSearching() {
    bool disabled = false;
    QTimer::singleShot(0, this, [&] {
        disabled = !find<QWidget>("stringPanel")->isEnabled() &&
                   !find<QWidget>("preferencesPage")->isEnabled() &&
                   !find<QPushButton>("exitButton")->isEnabled() &&
                   !find<QSlider>("speedTrackBar")->isEnabled() &&
                   !find<QMenu>("fileMenu")->isEnabled() &&
                   find<QPushButton>("searchButton")->isEnabled() &&
                   form_->minimumSize() == form_->maximumSize(); // no resizing

        clickAt(find<QWidget>("searchButton"));
    });
    search(QStringLiteral("trojan"));
    QVERIFY(disabled);
    QVERIFY(find<QWidget>("stringPanel")->isEnabled() &&
            find<QWidget>("preferencesPage")->isEnabled());
    QCOMPARE(form_->minimumSize(), QSize(630, 476));
    QCOMPARE(form_->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
}

void TestMainWindow::hintsShowOnTheStatusBar() {
    QStatusTipEvent own(find<QPushButton>("searchButton")->statusTip());
    QCoreApplication::sendEvent(find<QPushButton>("searchButton"), &own);
    QCOMPARE(find<QLabel>("hintPanel")->text(),
             QStringLiteral("Press the button to start/stop a search"));
    // A dialog's control reports its hint to the same place.
    QStatusTipEvent dialogs(QStringLiteral("from a dialog"));
    QCoreApplication::sendEvent(find<QCheckBox>("showNumericResultOnlyBox"), &dialogs);
    QCOMPARE(find<QLabel>("hintPanel")->text(), QStringLiteral("from a dialog"));
    QStatusTipEvent none{QString()};
    QCoreApplication::sendEvent(find<QPushButton>("searchButton"), &none);
    QCOMPARE(find<QLabel>("hintPanel")->text(), QStringLiteral("Welcome to Nomix95!"));
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
    QCOMPARE(hitCount(), 16);
    QWidget* view = grid();
    QWidget* cells = grid()->viewport();
    QWidget* box = find<QWidget>("searchBox");
    const int rows = qMin(16, cells->height() / 20);
    QVERIFY(rows >= 3);
    for (int round = 0; round < 5; ++round) {
        clickAt(box);
        QTRY_COMPARE(focusTarget(), box);
        QVERIFY2(rowsArePainted(form_.get(), cells, rows), "blank rows after leaving the grid");
        clickAt(cells, QPoint(30, 10 + 20 * (round % rows)));
        QTRY_COMPARE(focusTarget(), view);
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

void TestMainWindow::f1OpensTheFocusedControlsTopic_data() {
    QTest::addColumn<bool>("preferences"); // on the Preferences page
    QTest::addColumn<QString>("focus");    // empty: the pages' tab bar
    QTest::addColumn<int>("topic");
    QTest::newRow("search box, by its label") << false << "searchBox" << 7;
    QTest::newRow("search button") << false << "searchButton" << 4;
    QTest::newRow("modifier button") << false << "endsWithButton" << 9;
    QTest::newRow("results grid") << false << "resultsView" << 38;
    QTest::newRow("common directory, by its label") << true << "directoryEdit" << 29;
    QTest::newRow("options button") << true << "optionsButton" << 59;
    QTest::newRow("no topic: the window's") << false << "" << 40;
}

void TestMainWindow::f1OpensTheFocusedControlsTopic() {
    QFETCH(bool, preferences);
    QFETCH(QString, focus);
    QFETCH(int, topic);
    if (preferences) {
        pressKey(Qt::Key_F, Qt::AltModifier);
        chooseInPopup(Qt::Key_P); // "&Preferences"
    }
    QWidget* control =
        focus.isEmpty() ? find<QTabWidget>("pages")->tabBar() : find<QWidget>(qPrintable(focus));
    control->setFocus();
    QTRY_VERIFY(control->hasFocus());
    pressKey(Qt::Key_F1);
    QWidget* viewer = nullptr;
    QTRY_VERIFY((viewer = visibleWindow("HelpViewer")));
    QCOMPARE(qobject_cast<QTextBrowser*>(viewer)->source().fragment(),
             QStringLiteral("topic-%1").arg(topic));
}

void TestMainWindow::statusLabelAndCounterShowWhole() {
    const QLabel* database = find<QLabel>("databasePanel");
    QVERIFY(database->width() >= database->sizeHint().width());
    QVERIFY(database->geometry().right() <= database->parentWidget()->width());
    const QWidget* counter = find<QWidget>("itemsCounter");
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
    settings()->setValue(nomix::Option::ShowNumericResultOnly, true); // counting is enough here
    search(QStringLiteral("trojan"));
    QCOMPARE(hitCount(), kLines);
    const QWidget* counter = find<QWidget>("itemsCounter");
    QCOMPARE(ledText(), QStringLiteral("99999"));
    const QString exact = QLocale().toString(kLines);
    QVERIFY2(counter->toolTip().contains(exact), qPrintable(counter->toolTip()));
    QVERIFY(find<QLabel>("hintPanel")->text().contains(exact));
}

// Minimised to the tray the window is hidden; Terminate must still end the
// program, not only save the settings.
void TestMainWindow::terminateInTheTrayEndsTheProgram() {
    settings()->setValue(nomix::Option::MinimizeToTray, true);
    form_->setWindowState(Qt::WindowMinimized); // as the window manager reports it
    QTRY_VERIFY(!form_->isVisible());
    QTimer::singleShot(0, this, [this] {
        auto* menu = find<QMenu>("trayMenu");
        menu->popup(QPoint(10, 10));
        chooseInPopup(Qt::Key_T); // "&Terminate"
    });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });
    QCOMPARE(QCoreApplication::exec(), 0);
    QFile file(fixture_->settingsFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("\"MinimizeInTaskbar\"=dword:00000001"));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
