#include "shared_mainformfixture.h"

#include "controls/tledlabel.h"
#include "core/database.h"
#include "core/productselection.h"
#include "core/searchengine.h"
#include "dialogs/toptionform.h"
#include "dialogs/tselectform.h"
#include "mainwindow/reportgridmodel.h"
#include "mainwindow/tmainform.h"
#include "mainwindow/treportgrid.h"
#include "platform/filedialog.h"
#include "platform/messagebox.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>

using namespace nomix;

namespace {

int engineCount(const QString& dir, const QString& text) {
    const auto db = LoadDatabaseFiles({dir.toStdString(), "NOMIX.DAT", "NOMIX.CFG"});
    SearchRequest request;
    request.text = text.toStdString();
    request.columnCount = db->table.entries.size();
    request.selected.assign(request.columnCount, true);
    return RunSearch(db->names.lines, request).hitCount;
}

} // namespace

class TestMainForm : public QObject {
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

  private:
    void search(const QString& text);

    std::unique_ptr<MainFormFixture> fixture_;
    std::unique_ptr<TMainForm> form_;
};

void TestMainForm::initTestCase() {
    fixture_ = std::make_unique<MainFormFixture>();
    QVERIFY(fixture_->isValid());
}

void TestMainForm::init() {
    MessageBox::clearShown();
    MessageBox::setAutoAnswer(true);
    fixture_->writeSettings(fixture_->dataDir());
    form_ = std::make_unique<TMainForm>();
    form_->FormCreate();
    QVERIFY(form_->DatabaseLoaded);
}

void TestMainForm::cleanup() {
    form_->Searching = false;
    form_.reset();
    MessageBox::presetAnswers({});
}

void TestMainForm::search(const QString& text) {
    form_->SearchBox->setFocus();
    form_->SearchBox->setEditText(text);
    QTest::keyClick(form_->SearchBox->lineEdit(), Qt::Key_Return);
}

void TestMainForm::startsOnTheSampleDatabase() {
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

void TestMainForm::enterSearchesAndFillsTheGrid() {
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

void TestMainForm::emptyStringIsRefused() {
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

void TestMainForm::noHitLeavesTheCounterAtZero() {
    search(QStringLiteral("no such virus name at all"));
    QCOMPARE(form_->HitCount, 0);
    QCOMPARE(form_->LEDLabel->text(), QStringLiteral("00000"));
    QCOMPARE(form_->ReportGrid->model()->rowCount(), 1);
}

void TestMainForm::historyKeepsThirtyDistinctStrings() {
    form_->OptionForm->ResultCheck->setChecked(true); // counting is enough here
    for (int i = 1; i <= 31; ++i) {
        search(QStringLiteral("name%1").arg(i));
    }
    search(QStringLiteral("NAME31"));
    QCOMPARE(form_->SearchBox->count(), 30);
    QCOMPARE(form_->SearchBox->itemText(0), QStringLiteral("name2"));
    QCOMPARE(form_->SearchBox->itemText(29), QStringLiteral("name31"));
}

void TestMainForm::numericOnlyKeepsTwoRows() {
    form_->OptionForm->ResultCheck->setChecked(true);
    search(QStringLiteral("trojan"));
    QVERIFY(form_->HitCount > 0);
    QCOMPARE(form_->ReportGrid->model()->rowCount(), 1);
    QVERIFY(form_->ResultList.empty());
}

void TestMainForm::stopKeepsWhatWasFound() {
    QVERIFY(form_->OptionForm->BackgroundCheck->isChecked());
    bool sawStop = false;
    QTimer::singleShot(0, this, [&] {
        sawStop = form_->SearchButton->text() == QStringLiteral("&Stop");
        form_->SearchButton->click();
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

void TestMainForm::escapeStopsASearch() {
    bool searchingWhenPressed = false;
    QTimer::singleShot(0, this, [&] {
        searchingWhenPressed = form_->Searching;
        QTest::keyClick(form_.get(), Qt::Key_Escape);
    });
    search(QStringLiteral("trojan"));
    QVERIFY(searchingWhenPressed);
    QVERIFY(form_->SearchFinished);
    QVERIFY(form_->SearchButton->isEnabled());
}

void TestMainForm::speedTrackBarAndOptions() {
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
    bool enabledDuringSearch = true;
    QTimer::singleShot(0, this, [&] { enabledDuringSearch = form_->SearchButton->isEnabled(); });
    search(QStringLiteral("trojan"));
    QVERIFY(form_->HitCount > 0);
    QVERIFY(form_->SearchButton->isEnabled());
}

void TestMainForm::completeMatchDisablesModifiers() {
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

void TestMainForm::columnWidthDialogClamps() {
    QAction* setWidth = form_->SetColumnWidth;
    auto answer = [](const QString& text) {
        QTimer::singleShot(0, [text] {
            auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->setTextValue(text);
            dialog->accept();
        });
    };
    form_->ReportGrid->setColWidth(3, -1);
    answer(QStringLiteral("10"));
    setWidth->trigger();
    QCOMPARE(form_->ReportGrid->colWidth(0), 50);
    QCOMPARE(form_->ReportGrid->colWidth(3), -1);
    answer(QStringLiteral("5000"));
    setWidth->trigger();
    QCOMPARE(form_->ReportGrid->colWidth(0), 3000);
    answer(QStringLiteral("wide"));
    setWidth->trigger();
    QCOMPARE(form_->ReportGrid->colWidth(0), 3000);
    QCOMPARE(MessageBox::shown().last().text,
             QStringLiteral("'wide' is not a valid integer value."));
    form_->RestoreColum->trigger();
    QCOMPARE(form_->ReportGrid->colWidth(0), 200);
}

void TestMainForm::closingSavesTheHistory() {
    search(QStringLiteral("zbot"));
    QVERIFY(form_->close());
    QFile file(fixture_->settingsFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    QVERIFY(saved.contains("\"string#1\"=\"zbot\""));
    QVERIFY(saved.contains("\"Count\"=dword:00000001"));
}

void TestMainForm::closeIsRefusedWhileSearching() {
    form_->Searching = true;
    QVERIFY(!form_->close());
    form_->Searching = false;
    QVERIFY(form_->close());
}

void TestMainForm::missingDatabaseShowsPreferences() {
    form_.reset();
    QTemporaryDir empty;
    fixture_->writeSettings(empty.path());
    MessageBox::clearShown();
    form_ = std::make_unique<TMainForm>();
    form_->FormCreate();
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
    form_->DataEdit->setText(fixture_->dataDir());
    search(QStringLiteral("zbot"));
    QVERIFY(form_->DatabaseLoaded);
    QVERIFY(form_->HitCount > 0);
}

void TestMainForm::localMenuNeedsADatabase() {
    form_.reset();
    QTemporaryDir empty;
    fixture_->writeSettings(empty.path());
    form_ = std::make_unique<TMainForm>();
    form_->FormCreate();
    MessageBox::clearShown();
    emit form_->ReportGrid->customContextMenuRequested(QPoint(10, 10));
    QCOMPARE(MessageBox::shown().size(), 1);
    QCOMPARE(MessageBox::shown().first().text, QStringLiteral("Local menu disabled."));
    QVERIFY(!form_->ReportMenu->isVisible());
}

void TestMainForm::modelPassesTheTester() {
    QAbstractItemModelTester tester(form_->ReportGrid->model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    search(QStringLiteral("trojan"));
    form_->ClearResults();
    search(QStringLiteral("zbot"));
}

void TestMainForm::savesAReportFromTheLocalMenu() {
    search(QStringLiteral("zbot"));
    form_->ReportMenu->aboutToShow(); // enable the items as opening the menu does
    emit form_->ReportGrid->customContextMenuRequested(QPoint(5, 5));
    QVERIFY(form_->SaveResult->isEnabled());
    form_->ReportMenu->hide();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("zbot report.nrp"));
    FileDialog::presetAnswers({path});
    form_->SaveResult->trigger();
    QFile report(path);
    QVERIFY(report.open(QIODevice::ReadOnly));
    const QByteArray bytes = report.readAll();
    QVERIFY(bytes.contains("zbot"));
    QVERIFY(bytes.endsWith("\r\n"));
    QVERIFY(form_->isEnabled());
    QCOMPARE(FileDialog::asked().last().dir.left(form_->DataEdit->text().size()),
             form_->DataEdit->text());
}

void TestMainForm::preferencesTakeFileNamesOnly() {
    const QString directory = form_->DataEdit->text();
    FileDialog::presetAnswers(
        {QStringLiteral("/somewhere/else/OTHER.DAT"), QStringLiteral("/x/y/TABLE.CFG")});
    form_->DataNameButton->click();
    form_->ConfigNamebutton->click();
    QCOMPARE(form_->DataFileEdit->text(), QStringLiteral("OTHER.DAT"));
    QCOMPARE(form_->ConfigFileEdit->text(), QStringLiteral("TABLE.CFG"));
    QCOMPARE(form_->DataEdit->text(), directory);
    QCOMPARE(FileDialog::asked().last().caption, QStringLiteral("Please, select a file"));
    QCOMPARE(FileDialog::asked().last().dir, directory);

    QTemporaryDir chosen;
    FileDialog::presetAnswers({chosen.path()});
    form_->BrowseButton->click();
    QCOMPARE(form_->DataEdit->text(), chosen.path());
    // Cancelling changes nothing.
    FileDialog::presetAnswers({QString()});
    form_->DataNameButton->click();
    QCOMPARE(form_->DataFileEdit->text(), QStringLiteral("OTHER.DAT"));
    // The loaded data stays until the next start.
    search(QStringLiteral("zbot"));
    QVERIFY(form_->HitCount > 0);
}

void TestMainForm::selectionLimitsSearchAndColumns() {
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
        LoadDatabaseFiles({fixture_->dataDir().toStdString(), "NOMIX.DAT", "NOMIX.CFG"});
    SearchRequest request;
    request.text = "NO_VIRUS";
    request.mode = MatchMode::CompleteMatch;
    request.columnCount = count;
    request.selected = only.states();
    request.allProductsSelected = false;
    const int expected = RunSearch(db->names.lines, request).hitCount;
    QVERIFY(expected > 0 && expected < 500);
    form_->OptionForm->MatchCheck->setChecked(true);
    search(QStringLiteral("no_virus"));
    QCOMPARE(form_->HitCount, expected);

    form_->OptionForm->ProductCheck->setChecked(true); // shows them again
    QCOMPARE(form_->ReportGrid->colWidth(0), 200);
}

void TestMainForm::controlsWaitWhileSearching() {
    bool disabled = false;
    QTimer::singleShot(0, this, [&] {
        disabled = !form_->StringPanel->isEnabled() && !form_->PrefSheet->isEnabled() &&
                   !form_->ExitButton->isEnabled() && !form_->SpeedTrackBar->isEnabled() &&
                   !form_->Options->isEnabled() && form_->SearchButton->isEnabled();
        form_->SearchButton->click();
    });
    search(QStringLiteral("trojan"));
    QVERIFY(disabled);
    QVERIFY(form_->StringPanel->isEnabled() && form_->PrefSheet->isEnabled());
}

void TestMainForm::hintsShowOnTheStatusBar() {
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

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
