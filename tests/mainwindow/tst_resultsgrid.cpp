#include "shared_mainwindowtest.h"
#include "shared_userinput.h"

#include "core/productselection.h"
#include "core/producttable.h"
#include "dialogs/productfilterdialog.h"
#include "mainwindow/resultsmodel.h"
#include "mainwindow/resultsview.h"
#include "platform/filedialog.h"
#include "platform/messagebox.h"
#include "platform/settings.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
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

namespace {

// Reads an exported file as another program would: python3's json and csv
// modules. Prints "HITS COLUMNS FIRST-NAME".
const char* const kReader = R"(
import csv, json, sys
kind, path = sys.argv[1], sys.argv[2]
with open(path, newline='', encoding='utf-8') as f:
    if kind == 'json':
        rows = [list(hit['names'].values()) for hit in json.load(f)]
    elif kind == 'jsonl':
        rows = [list(json.loads(line)['names'].values()) for line in f]
    else:
        rows = list(csv.reader(f, delimiter=',' if kind == 'csv' else '\t'))[1:]
print(len(rows), len(rows[0]), rows[0][0])
)";

QString readWithPython(const QString& kind, const QString& path) {
    QProcess python;
    python.start(QStandardPaths::findExecutable(QStringLiteral("python3")),
                 {QStringLiteral("-c"), QLatin1String(kReader), kind, path});
    if (!python.waitForFinished(20000) || python.exitCode() != 0) {
        return QString::fromUtf8(python.readAllStandardError());
    }
    return QString::fromUtf8(python.readAllStandardOutput()).trimmed();
}

} // namespace

// The results grid as a user works with it: what it shows of the selection,
// what Ctrl+C and the local menu copy, what the search box makes of a paste,
// what an export writes, and the hint over a cut-off column title.
class TestResultsGrid : public MainWindowTest {
    Q_OBJECT

  private slots:
    void initTestCase() { startFixture(); }
    void init() { startWithSampleDatabase(); }
    void cleanup() { closeWindow(); }

    void selectionAndCurrentCellAreDrawn();
    void copyGivesTheSelectedCells_data();
    void copyGivesTheSelectedCells();
    void copiedCellFindsItsRowAgain();
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
    void selectCells(int row, int column, int lastRow, int lastColumn) {
        clickAt(grid()->viewport(), cellRect(row, column).center());
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                          cellRect(lastRow, lastColumn).center());
    }
};

void TestResultsGrid::selectionAndCurrentCellAreDrawn() {
    search(QStringLiteral("virut"));
    QVERIFY(hitCount() > 3);
    QWidget* cells = grid()->viewport();
    // A cell showing a marker picture, on screen.
    QModelIndex marked;
    for (int row = 0; row < 3 && !marked.isValid(); ++row) {
        for (int column = 0; column < 3 && !marked.isValid(); ++column) {
            if (results()->index(row, column).data().toString() == QLatin1String("NO_VIRUS")) {
                marked = results()->index(row, column);
            }
        }
    }
    QVERIFY(marked.isValid());
    const QRect rect = grid()->visualRect(marked);
    const QPoint background(rect.right() - 4, rect.top() + 2);
    const QImage before = cells->grab().toImage();
    QCOMPARE(before.pixelColor(background), QColor(Qt::white));

    clickAt(cells, rect.center());
    QTRY_VERIFY(grid()->selectionModel()->isSelected(marked));
    const QImage after = cells->grab().toImage();
    const QColor highlight = after.pixelColor(background);
    QVERIFY2(highlight == grid()->palette().color(QPalette::Active, QPalette::Highlight) ||
                 highlight == grid()->palette().color(QPalette::Inactive, QPalette::Highlight),
             qPrintable(highlight.name()));
    // The marker stays, on the highlight rather than in a white box.
    QCOMPARE(after.pixelColor(rect.left() + 2, rect.top() + 6), highlight);
    QCOMPARE(after.pixelColor(rect.left() + 8, rect.top() + 12),
             before.pixelColor(rect.left() + 8, rect.top() + 12));
    // The current cell is framed: its top edge is not all highlight.
    bool framed = false;
    for (int x = rect.left(); x < rect.left() + 12; ++x) {
        framed = framed || after.pixelColor(x, rect.top()) != highlight;
    }
    QVERIFY(framed);
    // A cell beside it is not selected and looks it.
    const QRect beside = grid()->visualRect(marked.siblingAtRow(marked.row() + 1));
    QCOMPARE(after.pixelColor(beside.right() - 4, beside.top() + 2), QColor(Qt::white));

    // The header row keeps its look, and a click on it selects nothing.
    QHeaderView* header = grid()->horizontalHeader();
    const QPoint title(header->sectionViewportPosition(0) + header->sectionSize(0) - 4, 4);
    clickAt(header->viewport(), title);
    QCOMPARE(grid()->selectionModel()->selectedIndexes(), QModelIndexList{marked});
    QCOMPARE(header->viewport()->grab().toImage().pixelColor(title), QColor(255, 0, 0));
}

void TestResultsGrid::copyGivesTheSelectedCells_data() {
    QTest::addColumn<QRect>("cells"); // x: column, y: row
    QTest::addColumn<bool>("withTitles");
    QTest::newRow("one cell") << QRect(1, 0, 1, 1) << false;
    QTest::newRow("one cell with titles") << QRect(1, 0, 1, 1) << true;
    QTest::newRow("a block") << QRect(0, 1, 2, 3) << false;
    QTest::newRow("a block with titles") << QRect(0, 1, 2, 3) << true;
}

// One cell copies as its name alone; a block as tab-separated rows; the
// local menu's "Copy with product titles" puts the titles first.
void TestResultsGrid::copyGivesTheSelectedCells() {
    QFETCH(QRect, cells);
    QFETCH(bool, withTitles);
    search(QStringLiteral("virut"));
    selectCells(cells.top(), cells.left(), cells.bottom(), cells.right());
    QApplication::clipboard()->clear();
    if (withTitles) {
        openContextMenu(grid()->viewport(), cellRect(cells.top(), cells.left()).center());
        chooseInPopup(Qt::Key_T); // "Copy with product &titles"
    } else {
        pressKey(Qt::Key_C, Qt::ControlModifier);
    }

    QStringList lines;
    if (withTitles) {
        QStringList titles;
        for (int column = cells.left(); column <= cells.right(); ++column) {
            titles << results()->headerData(column, Qt::Horizontal).toString();
        }
        lines << titles.join(QLatin1Char('\t'));
    }
    for (int row = cells.top(); row <= cells.bottom(); ++row) {
        QStringList names;
        for (int column = cells.left(); column <= cells.right(); ++column) {
            names << results()->index(row, column).data().toString();
        }
        lines << names.join(QLatin1Char('\t'));
    }
    const bool alone = cells.width() == 1 && cells.height() == 1 && !withTitles;
    const QString expected =
        alone ? lines.first() : lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
    QCOMPARE(QApplication::clipboard()->text(), expected);
}

// A copied name pasted into the search box finds its row again.
void TestResultsGrid::copiedCellFindsItsRowAgain() {
    search(QStringLiteral("virut"));
    const QModelIndex cell = results()->index(2, 1);
    const uint32_t line = results()->hits()[2];
    const QString name = cell.data().toString();
    QVERIFY(!name.isEmpty());
    clickAt(grid()->viewport(), grid()->visualRect(cell).center());
    pressKey(Qt::Key_C, Qt::ControlModifier);

    pressKey(Qt::Key_E, Qt::AltModifier);
    pressKey(Qt::Key_A, Qt::ControlModifier);
    pressKey(Qt::Key_V, Qt::ControlModifier);
    pressKey(Qt::Key_Return);
    QCOMPARE(find<QComboBox>("searchBox")->currentText(), name);
    const std::vector<uint32_t>& hits = results()->hits();
    QVERIFY(std::find(hits.begin(), hits.end(), line) != hits.end());
}

void TestResultsGrid::pasteDropsOuterLineBreaks_data() {
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("searched");
    QTest::newRow("a line from a terminal")
        << QStringLiteral("W32/Virut.Gen\n") << QStringLiteral("W32/Virut.Gen");
    QTest::newRow("a line from a Windows program")
        << QStringLiteral("W32/Virut.Gen\r\n") << QStringLiteral("W32/Virut.Gen");
    QTest::newRow("breaks at both ends")
        << QStringLiteral("\n\nVirut.Gen\n\n") << QStringLiteral("Virut.Gen");
    QTest::newRow("blanks are part of the string")
        << QStringLiteral(" Virut \n") << QStringLiteral(" Virut ");
}

void TestResultsGrid::pasteDropsOuterLineBreaks() {
    QFETCH(QString, clipboard);
    QFETCH(QString, searched);
    QApplication::clipboard()->setText(clipboard);
    pressKey(Qt::Key_E, Qt::AltModifier);
    pressKey(Qt::Key_A, Qt::ControlModifier);
    pressKey(Qt::Key_V, Qt::ControlModifier);
    pressKey(Qt::Key_Return);
    QCOMPARE(find<QComboBox>("searchBox")->currentText(), searched);
    QCOMPARE(find<QComboBox>("searchBox")->itemText(0), searched);
}

void TestResultsGrid::exportWritesTheChosenType_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<int>("answer"); // -1: no question; -2: cancelled; n: n items down
    QTest::addColumn<bool>("showAll");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("kind");
    const QString csv = QStringLiteral("CSV (*.csv)");
    const QString json = QStringLiteral("JSON (*.json)");
    const QString jsonLines = QStringLiteral("JSON Lines (*.jsonl)");
    const QString all = QStringLiteral("All files (*)");
    QTest::newRow("bare name, JSON Lines chosen")
        << "virut" << jsonLines << -1 << true << "virut.jsonl"
        << "jsonl";
    QTest::newRow("bare name, JSON chosen") << "virut" << json << -1 << true << "virut.json"
                                            << "json";
    QTest::newRow("bare name, CSV chosen") << "virut" << csv << -1 << true << "virut.csv"
                                           << "csv";
    QTest::newRow(".json is one JSON document")
        << "virut.json" << jsonLines << -1 << true << "virut.json"
        << "json";
    QTest::newRow(".jsonl is JSON Lines") << "virut.JSONL" << csv << -1 << true << "virut.JSONL"
                                          << "jsonl";
    QTest::newRow(".tsv is tab-separated") << "virut.tsv" << csv << -1 << true << "virut.tsv"
                                           << "tsv";
    QTest::newRow("unknown extension, JSON answered")
        << "virut.xyz" << csv << 1 << true << "virut.xyz"
        << "json";
    QTest::newRow("bare name under all files, CSV answered")
        << "virut" << all << 0 << true << "virut"
        << "csv";
    QTest::newRow("unknown extension, question cancelled") << "virut.xyz" << csv << -2 << true << ""
                                                           << "";
    QTest::newRow("unselected products hidden") << "virut.csv" << csv << -1 << false << "virut.csv"
                                                << "csv";
}

// The exported file is of the chosen type, holds every column the grid
// shows, and reads in other programs' parsers.
void TestResultsGrid::exportWritesTheChosenType() {
    QFETCH(QString, typed);
    QFETCH(QString, filter);
    QFETCH(int, answer);
    QFETCH(bool, showAll);
    QFETCH(QString, written);
    QFETCH(QString, kind);
    if (QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty()) {
        QSKIP("python3 reads the exports; it is not installed");
    }
    // Two products of 74 selected, both with names in every hit.
    const size_t count = size_t(results()->columnCount());
    ProductSelection two(count);
    for (size_t i = 0; i < count; ++i) {
        two.setSelected(i, i == 1 || i == 40);
    }
    const auto table = readProductTable(
        QDir(fixture_->dataDir()).filePath("NOMIX.CFG").toStdString(), "NOMIX.CFG");
    form_->findChild<ProductFilterDialog*>()->setProducts(table.entries, two);
    settings()->setShowAllProducts(showAll);
    search(QStringLiteral("no_virus"));
    const int hits = hitCount();
    QVERIFY(hits > 1);

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
    const QStringList files = QDir(dir.path()).entryList(QDir::Files);
    if (written.isEmpty()) {
        QVERIFY2(files.isEmpty(), qPrintable(files.join(QLatin1Char(' '))));
        return;
    }
    QCOMPARE(files, QStringList{written});
    const int columns = showAll ? int(count) : 2;
    const QString first = results()->index(0, showAll ? 0 : 1).data().toString();
    QCOMPARE(readWithPython(kind, dir.filePath(written)),
             QStringLiteral("%1 %2 %3").arg(hits).arg(columns).arg(first));
}

void TestResultsGrid::cutOffTitleShowsWhole_data() {
    QTest::addColumn<QString>("width");
    QTest::addColumn<bool>("shown");
    QTest::newRow("cut off, narrow column") << QStringLiteral("60") << true;
    QTest::newRow("cut off, wide column") << QStringLiteral("130") << true;
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
    QHeaderView* header = grid()->horizontalHeader();
    QCOMPARE(header->sectionSize(0), width.toInt());
    const QString title = results()->headerData(0, Qt::Horizontal).toString();

    QWidget* titles = header->viewport();
    const QPoint position(10, 8);
    QTest::mouseMove(titles, position);
    QHelpEvent rest(QEvent::ToolTip, position, titles->mapToGlobal(position));
    QApplication::sendEvent(titles, &rest);
    auto* hint = header->findChild<QLabel*>(QStringLiteral("titleHint"));
    if (!shown) {
        QVERIFY(!hint || !hint->isVisible());
        return;
    }
    QVERIFY(hint);
    QTRY_VERIFY(hint->isVisible());
    QCOMPARE(hint->text(), title);
    QVERIFY(!hint->geometry().contains(titles->mapToGlobal(position)));
    QVERIFY(hint->geometry().bottom() < titles->mapToGlobal(QPoint(0, 0)).y());

    QTest::mouseMove(titles, position + QPoint(0, 4)); // still on the title
    QVERIFY(hint->isVisible());
    QTest::mouseMove(titles, QPoint(header->sectionViewportPosition(1) + 10, 8));
    QVERIFY(!hint->isVisible());
}

QTEST_MAIN(TestResultsGrid)
#include "tst_resultsgrid.moc"
