// SPDX-License-Identifier: MIT
#include "shared_mainwindowtest.h"
#include "shared_userinput.h"

#include "core/productselection.h"
#include "core/producttable.h"
#include "dialogs/productfilterdialog.h"
#include "mainwindow/familyheader.h"
#include "mainwindow/resultsmodel.h"
#include "mainwindow/resultsview.h"
#include "platform/filedialog.h"
#include "platform/settings.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QHelpEvent>
#include <QInputDialog>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace nomix;
using namespace userinput;

// The results grid as a user works with it: what it shows of the selection,
// what copy and paste carry, what an export writes, the cut-off title hint.
class TestResultsGrid : public MainWindowTest {
    Q_OBJECT

  private slots:
    void initTestCase() { startFixture(); }
    void init() { startWithSampleDatabase(); }
    void cleanup() { closeWindow(); }

    void selectionAndCurrentCellAreDrawn();
    void copyGivesTheSelectedCells_data();
    void copyGivesTheSelectedCells();
    void pasteDropsOuterLineBreaks_data();
    void pasteDropsOuterLineBreaks();
    void exportWritesTheChosenType_data();
    void exportWritesTheChosenType();
    void cutOffTitleShowsWhole_data();
    void cutOffTitleShowsWhole();

  private:
    QRect cellRect(int row, int column) const {
        return grid()->visualRect(results()->index(row, column));
    }
};

// Row 0 of "virut" starts with NO_VIRUS, drawn with its marker picture.
void TestResultsGrid::selectionAndCurrentCellAreDrawn() {
    search(QStringLiteral("virut"));
    QCOMPARE(results()->index(0, 0).data().toString(), QStringLiteral("NO_VIRUS"));
    const QRect cell = cellRect(0, 0);
    const QPoint background(cell.right() - 4, cell.top() + 2);
    const QPoint marker(cell.left() + 8, cell.top() + 12);
    const QImage before = grid()->viewport()->grab().toImage();
    QCOMPARE(before.pixelColor(background), QColor(Qt::white));

    clickAt(grid()->viewport(), cell.center());
    const QImage after = grid()->viewport()->grab().toImage();
    const QColor highlight = grid()->palette().color(QPalette::Active, QPalette::Highlight);
    QCOMPARE(after.pixelColor(background), highlight);
    QCOMPARE(after.pixelColor(cell.left() + 2, cell.top() + 6), highlight); // not a white box
    QCOMPARE(after.pixelColor(marker), before.pixelColor(marker));
    QVERIFY(after.pixelColor(cell.left() + 1, cell.top()) != highlight); // the current cell's frame
    QCOMPARE(after.pixelColor(cellRect(1, 0).right() - 4, cellRect(1, 0).top() + 2),
             QColor(Qt::white));

    // The header keeps its red, and a click on it selects nothing.
    QWidget* titles = grid()->horizontalHeader()->viewport();
    clickAt(titles, QPoint(cell.right() - 4, 4));
    QCOMPARE(grid()->selectionModel()->selectedIndexes().size(), 1);
    QCOMPARE(titles->grab().toImage().pixelColor(cell.right() - 4, 4), QColor(255, 0, 0));
}

void TestResultsGrid::copyGivesTheSelectedCells_data() {
    QTest::addColumn<QRect>("cells"); // x: columns, y: rows
    QTest::addColumn<bool>("withTitles");
    QTest::addColumn<bool>("family"); // the Family column shows
    for (bool family : {false, true}) {
        const QByteArray with = family ? ", family shown" : "";
        QTest::newRow("one cell" + with) << QRect(1, 2, 1, 1) << false << family;
        QTest::newRow("one cell with titles" + with) << QRect(1, 2, 1, 1) << true << family;
        QTest::newRow("a block" + with) << QRect(0, 1, 2, 3) << false << family;
        QTest::newRow("a block with titles" + with) << QRect(0, 1, 2, 3) << true << family;
    }
}

// Ctrl+C copies one cell as its name alone, a block as tab-separated rows;
// "Copy with product titles" puts the titles first. While the Family column
// shows, every row but a lone name starts with the hit's family.
void TestResultsGrid::copyGivesTheSelectedCells() {
    QFETCH(QRect, cells);
    QFETCH(bool, withTitles);
    QFETCH(bool, family);
    grid()->setFamilyColumnShown(family);
    search(QStringLiteral("virut"));
    QTRY_VERIFY(results()->familiesKnown());
    clickAt(grid()->viewport(), cellRect(cells.top(), cells.left()).center());
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      cellRect(cells.bottom(), cells.right()).center());
    if (withTitles) {
        openContextMenu(grid()->viewport(), cellRect(cells.top(), cells.left()).center());
        chooseInPopup(Qt::Key_T); // "Copy with product &titles"
    } else {
        pressKey(Qt::Key_C, Qt::ControlModifier);
    }
    const bool loneName = cells.width() * cells.height() == 1 && !withTitles;
    QString expected;
    for (int row = withTitles ? -1 : cells.top(); row <= cells.bottom();
         row = qMax(row + 1, cells.top())) {
        if (family && !loneName) {
            expected += row < 0 ? QStringLiteral("Family\t")
                                : results()->headerData(row, Qt::Vertical).toString() + '\t';
        }
        for (int column = cells.left(); column <= cells.right(); ++column) {
            expected += row < 0 ? results()->headerData(column, Qt::Horizontal).toString()
                                : results()->index(row, column).data().toString();
            expected += column < cells.right() ? QStringLiteral("\t") : QStringLiteral("\n");
        }
    }
    if (loneName) {
        expected.chop(1); // one name, to paste as it is
    }
    QCOMPARE(QApplication::clipboard()->text(), expected);
}

void TestResultsGrid::pasteDropsOuterLineBreaks_data() {
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("searched");
    QTest::newRow("terminal line") << "W32/Virut.Gen\n"
                                   << "W32/Virut.Gen";
    QTest::newRow("Windows line") << "W32/Virut.Gen\r\n"
                                  << "W32/Virut.Gen";
    QTest::newRow("both ends") << "\n\nVirut.Gen\n\n"
                               << "Virut.Gen";
    QTest::newRow("blanks stay") << " Virut \n"
                                 << " Virut ";
}

void TestResultsGrid::pasteDropsOuterLineBreaks() {
    QFETCH(QString, clipboard);
    QFETCH(QString, searched);
    QApplication::clipboard()->setText(clipboard);
    pressKey(Qt::Key_E, Qt::AltModifier);
    pressKey(Qt::Key_V, Qt::ControlModifier);
    pressKey(Qt::Key_Return);
    QCOMPARE(find<QComboBox>("searchBox")->itemText(0), searched);
}

void TestResultsGrid::exportWritesTheChosenType_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<int>("answer"); // -1: no question; -2: cancelled; n: n items down
    QTest::addColumn<bool>("showAll");
    QTest::addColumn<QString>("written"); // and its kind, after a space
    QTest::addColumn<bool>("family");     // the Family column shows
    const QString csv = QStringLiteral("CSV (*.csv)");
    QTest::newRow("bare name, JSON Lines")
        << "v"
        << "JSON Lines (*.jsonl)" << -1 << true << "v.jsonl jsonl" << false;
    QTest::newRow("bare name, JSON") << "v"
                                     << "JSON (*.json)" << -1 << true << "v.json json" << false;
    QTest::newRow(".json is one document")
        << "v.json" << csv << -1 << true << "v.json json" << false;
    QTest::newRow(".JSONL is JSON Lines")
        << "v.JSONL" << csv << -1 << true << "v.JSONL jsonl" << false;
    QTest::newRow(".tsv") << "v.tsv" << csv << -1 << true << "v.tsv tsv" << false;
    QTest::newRow("unknown, JSON answered") << "v.xyz" << csv << 1 << true << "v.xyz json" << false;
    QTest::newRow("bare name, all files, CSV answered")
        << "v"
        << "All files (*)" << 0 << true << "v csv" << false;
    QTest::newRow("unknown, cancelled") << "v.xyz" << csv << -2 << true << "" << false;
    QTest::newRow("unselected products hidden")
        << "v" << csv << -1 << false << "v.csv csv" << false;
    QTest::newRow("family, CSV") << "v.csv" << csv << -1 << true << "v.csv csv" << true;
    QTest::newRow("family, JSON Lines")
        << "v.jsonl" << csv << -1 << true << "v.jsonl jsonl" << true;
    QTest::newRow("family, JSON, two products")
        << "v.json" << csv << -1 << false << "v.json json" << true;
}

// The file is of the chosen type, holds every column the grid shows, and
// reads in python3's json and csv modules.
void TestResultsGrid::exportWritesTheChosenType() {
    QFETCH(QString, typed);
    QFETCH(QString, filter);
    QFETCH(int, answer);
    QFETCH(bool, showAll);
    QFETCH(QString, written);
    QFETCH(bool, family);
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty()) {
        QSKIP("python3 reads the exports back; it is not installed");
    }
    const size_t count = size_t(results()->columnCount());
    ProductSelection two(count);
    for (size_t i = 0; i < count; ++i) {
        two.setSelected(i, i == 1 || i == 40);
    }
    const auto table = readProductTable(
        QDir(fixture_->dataDir()).filePath("NOMIX.CFG").toStdString(), "NOMIX.CFG");
    form_->findChild<ProductFilterDialog*>()->setProducts(table.entries, two);
    settings()->setValue(nomix::Option::ShowAllProducts, showAll);
    grid()->setFamilyColumnShown(family);
    search(QStringLiteral("no_virus"));
    QTRY_VERIFY(results()->familiesKnown());

    QTemporaryDir dir;
    FileDialog::presetAnswers({dir.filePath(typed)});
    FileDialog::presetSelectedFilter(filter);
    bool asked = false;
    if (answer != -1) {
        whenModalShows([answer, &asked](QWidget* dialog) {
            asked = qobject_cast<QInputDialog*>(dialog) != nullptr;
            for (int i = 0; i < answer; ++i) {
                pressKey(Qt::Key_Down);
            }
            pressKey(answer == -2 ? Qt::Key_Escape : Qt::Key_Return);
        });
    }
    openContextMenu(grid()->viewport(), QPoint(30, 10));
    chooseInPopup(Qt::Key_X); // "E&xport results..."
    QCOMPARE(asked, answer != -1);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).join(QLatin1Char(' ')),
             written.section(QLatin1Char(' '), 0, 0));
    if (written.isEmpty()) {
        return;
    }
    QProcess reader;
    reader.start(python, {QStringLiteral("-c"), QStringLiteral(R"(
import csv, json, sys
kind, path = sys.argv[1:]
with open(path, newline='', encoding='utf-8') as f:
    if kind in ('json', 'jsonl'):
        hits = json.load(f) if kind == 'json' else [json.loads(line) for line in f]
        rows = [list(hit['names'].values()) for hit in hits]
        families = [hit.get('family') for hit in hits]
    else:
        table = list(csv.reader(f, delimiter=',' if kind == 'csv' else '\t'))
        rows = table[1:]
        families = [row.pop(0) for row in rows] if table[0][0] == 'Family' else [None] * len(rows)
print(len(rows), len(rows[0]), rows[0][0], families[0] or '-'))"),
                          written.section(QLatin1Char(' '), 1),
                          dir.filePath(written.section(QLatin1Char(' '), 0, 0))});
    QVERIFY(reader.waitForFinished(20000));
    QCOMPARE(QString::fromUtf8(reader.readAll()).trimmed(),
             QStringLiteral("%1 %2 %3 %4")
                 .arg(hitCount())
                 .arg(showAll ? int(count) : 2)
                 .arg(results()->index(0, showAll ? 0 : 1).data().toString())
                 .arg(family && !results()->headerData(0, Qt::Vertical).toString().isEmpty()
                          ? results()->headerData(0, Qt::Vertical).toString()
                          : QStringLiteral("-")));
}

void TestResultsGrid::cutOffTitleShowsWhole_data() {
    QTest::addColumn<QString>("width");
    QTest::addColumn<bool>("shown");
    QTest::newRow("narrow column") << QStringLiteral("60") << true;
    QTest::newRow("title nearly fits") << QStringLiteral("130") << true;
    QTest::newRow("fits with room to spare") << QStringLiteral("600") << false;
}

// The mouse resting on a title cut with "..." shows the whole title above
// the header row, out of the mouse's way, until the mouse leaves the cell.
void TestResultsGrid::cutOffTitleShowsWhole() {
    QFETCH(QString, width);
    QFETCH(bool, shown);
    whenModalShows([width](QWidget*) {
        typeText(width);
        pressKey(Qt::Key_Return);
    });
    openContextMenu(grid()->viewport(), QPoint(20, 10));
    chooseInPopup(Qt::Key_E); // "S&et width of columns..."
    QWidget* titles = grid()->horizontalHeader()->viewport();
    const QPoint position(10, 8);
    QTest::mouseMove(titles, position);
    QHelpEvent rest(QEvent::ToolTip, position, titles->mapToGlobal(position));
    QApplication::sendEvent(titles, &rest);
    auto* hint = grid()->findChild<QLabel*>(QStringLiteral("titleHint"));
    QCOMPARE(hint && hint->isVisible(), shown);
    if (!shown) {
        return;
    }
    QCOMPARE(hint->text(), results()->headerData(0, Qt::Horizontal).toString());
    QVERIFY(hint->geometry().bottom() < titles->mapToGlobal(QPoint(0, 0)).y());
    QTest::mouseMove(titles, position + QPoint(0, 4)); // still on the title
    QVERIFY(hint->isVisible());
    QTest::mouseMove(titles, QPoint(grid()->columnWidth(0) + 10, 8));
    QVERIFY(!hint->isVisible());
}

QTEST_MAIN(TestResultsGrid)
#include "tst_resultsgrid.moc"
