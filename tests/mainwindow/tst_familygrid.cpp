// SPDX-License-Identifier: MIT
#include "shared_mainwindowtest.h"
#include "shared_userinput.h"

#include "core/fields.h"
#include "core/labelling/familyvote.h"
#include "core/labelling/labellingrules.h"
#include "core/productselection.h"
#include "core/producttable.h"
#include "dialogs/productfilterdialog.h"
#include "mainwindow/familyheader.h"
#include "mainwindow/namesbyproductmodel.h"
#include "mainwindow/namesbyproductwindow.h"
#include "mainwindow/resultsmodel.h"
#include "mainwindow/resultsview.h"
#include "platform/messagebox.h"
#include "platform/programdata.h"
#include "platform/settings.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include <map>

using namespace nomix;
using namespace userinput;

// The hits' families, the names the hits carry per product, and the names
// that matched, as a user of the grid meets them.
class TestFamilyGrid : public MainWindowTest {
    Q_OBJECT

  private slots:
    void initTestCase() { startFixture(); }
    void init() { startWithSampleDatabase(); }
    void cleanup() { closeWindow(); }

    void matchedNamesStandOut_data();
    void matchedNamesStandOut();
    void familyColumnStaysAndAgreesWithTheVote();
    void familyCellSearchesItsFamily();
    void unticedFamilyColumnStaysHidden();
    void rulesFolderDecidesTheFamilies_data();
    void rulesFolderDecidesTheFamilies();
    void namesWindowFollowsTheSearches();
    void f1OpensTheNewControlsTopics_data();
    void f1OpensTheNewControlsTopics();

  private:
    QTableView* namesView() const {
        auto* window = form_->findChild<NamesByProductWindow*>();
        return window ? window->findChild<QTableView*>(QStringLiteral("namesView")) : nullptr;
    }
};

namespace {

bool sameLetters(char a, char b) {
    auto up = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; };
    return up(a) == up(b);
}

// Where the search's string stands in a name, by the plain definition.
size_t firstAt(std::string_view field, std::string_view text) {
    for (size_t i = 0; i + text.size() <= field.size(); ++i) {
        size_t k = 0;
        while (k < text.size() && sameLetters(field[i + k], text[k])) {
            ++k;
        }
        if (k == text.size()) {
            return i;
        }
    }
    return std::string_view::npos;
}

} // namespace

void TestFamilyGrid::matchedNamesStandOut_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("buttons"); // "b": begins with, "e": ends with
    QTest::addColumn<bool>("complete");
    QTest::addColumn<int>("onlyProduct"); // -1: all products take part
    QTest::newRow("anywhere") << "virut"
                              << "" << false << -1;
    QTest::newRow("begins with") << "w32"
                                 << "b" << false << -1;
    QTest::newRow("ends with") << ".gen"
                               << "e" << false << -1;
    QTest::newRow("whole name") << "NO_VIRUS"
                                << "" << true << -1;
    QTest::newRow("both buttons: whole name") << "no_virus"
                                              << "be" << false << -1;
    QTest::newRow("one product") << "virut"
                                 << "" << false << 42;
}

// A name is drawn on yellow exactly when the search found its string there
// under the search's mode, in a product that took part.
void TestFamilyGrid::matchedNamesStandOut() {
    QFETCH(QString, text);
    QFETCH(QString, buttons);
    QFETCH(bool, complete);
    QFETCH(int, onlyProduct);
    settings()->setValue(nomix::Option::CompleteStringMatch, complete);
    if (buttons.contains(QLatin1Char('b'))) {
        clickAt(find<QWidget>("beginsWithButton"));
    }
    if (buttons.contains(QLatin1Char('e'))) {
        clickAt(find<QWidget>("endsWithButton"));
    }
    if (onlyProduct >= 0) {
        ProductSelection one(size_t(results()->columnCount()));
        for (size_t i = 0; i < one.count(); ++i) {
            one.setSelected(i, int(i) == onlyProduct);
        }
        const auto table = readProductTable(
            QDir(fixture_->dataDir()).filePath("NOMIX.CFG").toStdString(), "NOMIX.CFG");
        form_->findChild<ProductFilterDialog*>()->setProducts(table.entries, one);
        // Each change applies the selection; the others' names stay in view.
        settings()->setValue(nomix::Option::ShowAllProducts, false);
        settings()->setValue(nomix::Option::ShowAllProducts, true);
    }
    search(text);
    QVERIFY(hitCount() > 0);
    const bool begins = complete || buttons.contains(QLatin1Char('b'));
    const bool ends = complete || buttons.contains(QLatin1Char('e'));
    const std::string needle = text.toStdString();
    int matched = 0;
    for (int row = 0; row < results()->rowCount(); ++row) {
        for (int column = 0; column < results()->columnCount(); ++column) {
            const std::string_view field = results()->fieldAt(row, column);
            const size_t at = firstAt(field, needle);
            bool expected =
                at != std::string_view::npos && (onlyProduct < 0 || column == onlyProduct);
            if (begins) {
                expected = expected && at == 0;
            }
            if (ends) {
                expected = expected && at + needle.size() == field.size();
            }
            QVERIFY2(results()->cellMatched(row, column) == expected,
                     qPrintable(QStringLiteral("row %1, column %2: %3")
                                    .arg(row)
                                    .arg(column)
                                    .arg(QString::fromStdString(std::string(field)))));
            matched += expected ? 1 : 0;
        }
    }
    QVERIFY(matched >= hitCount());

    // On screen, above the text: a matched cell is yellow, another white.
    const QImage shot = grid()->viewport()->grab().toImage();
    for (int column = 0; column < results()->columnCount(); ++column) {
        const QRect cell = grid()->visualRect(results()->index(1, column));
        if (cell.right() >= shot.width() || cell.isEmpty()) {
            continue;
        }
        const QColor pixel = shot.pixelColor(cell.right() - 3, cell.top() + 2);
        QCOMPARE(pixel,
                 results()->cellMatched(1, column) ? QColor(255, 236, 130) : QColor(Qt::white));
    }
}

// The families shown are the vote's for each hit's line, and the column
// keeps its place when the grid scrolls to its last product.
void TestFamilyGrid::familyColumnStaysAndAgreesWithTheVote() {
    search(QStringLiteral("virut"));
    QCOMPARE(hitCount(), 16);
    QTRY_VERIFY(results()->familiesKnown());
    const auto rules =
        LabellingRules::fromFolder(programDataPath(QStringLiteral("labelling")).toStdString());
    const auto table = readProductTable(
        QDir(fixture_->dataDir()).filePath("NOMIX.CFG").toStdString(), "NOMIX.CFG");
    const FamilyVote vote(rules, table);
    int withFamily = 0;
    for (int row = 0; row < results()->rowCount(); ++row) {
        const uint32_t line = results()->hits()[size_t(row)];
        const std::string family = vote.familyOf(results()->database()->at(line));
        QCOMPARE(results()->headerData(row, Qt::Vertical).toString(),
                 QString::fromStdString(family));
        withFamily += family.empty() ? 0 : 1;
    }
    QVERIFY(withFamily > 8);

    FamilyHeader* column = grid()->familyHeader();
    QVERIFY(column->isVisible());
    const QRect placed = column->geometry();
    QVERIFY(placed.right() < grid()->viewport()->x());
    const QImage before = column->grab().toImage();
    grid()->horizontalScrollBar()->setValue(grid()->horizontalScrollBar()->maximum());
    QVERIFY(grid()->horizontalScrollBar()->value() > 0);
    QCOMPARE(column->geometry(), placed);
    QCOMPARE(column->grab().toImage(), before);
    QVERIFY(find<QWidget>("familyTitle")->isVisible());
}

// The family cell's local menu searches for its family.
void TestFamilyGrid::familyCellSearchesItsFamily() {
    search(QStringLiteral("virut"));
    QTRY_VERIFY(results()->familiesKnown());
    int row = 0;
    while (results()->familyAt(row).empty()) {
        ++row;
    }
    const QString family = QString::fromStdString(std::string(results()->familyAt(row)));
    FamilyHeader* column = grid()->familyHeader();
    openContextMenu(column->viewport(),
                    QPoint(10, column->sectionViewportPosition(row) + ResultsView::kRowHeight / 2));
    auto* menu = grid()->findChild<QMenu*>(QStringLiteral("resultsMenu"));
    QVERIFY(menu && menu->isVisible());
    QAction* searchFamily = menu->findChild<QAction*>(QStringLiteral("searchForFamily"));
    QVERIFY(searchFamily->isEnabled());
    QVERIFY(!menu->findChild<QAction*>(QStringLiteral("searchForName"))->isEnabled());
    // "Search this &family" comes before "Show &family column": the first F
    // only picks it out.
    chooseInPopup(Qt::Key_F);
    chooseInPopup(Qt::Key_Return);
    QCOMPARE(find<QComboBox>("searchBox")->currentText(), family);
    QVERIFY(hitCount() > 0);
}

// "Show family column" unticked hides the column, and it stays hidden at
// the next start.
void TestFamilyGrid::unticedFamilyColumnStaysHidden() {
    search(QStringLiteral("virut"));
    const QRect cell = grid()->visualRect(results()->index(0, 1));
    openContextMenu(grid()->viewport(), cell.center());
    auto* menu = grid()->findChild<QMenu*>(QStringLiteral("resultsMenu"));
    QAction* show = menu->findChild<QAction*>(QStringLiteral("showFamilyColumn"));
    QVERIFY(show->isChecked());
    // A product's cell offers no family to search: F is the column's alone.
    QVERIFY(!menu->findChild<QAction*>(QStringLiteral("searchForFamily"))->isVisible());
    chooseInPopup(Qt::Key_F);
    QVERIFY(!grid()->familyColumnShown());
    QVERIFY(!grid()->familyHeader()->isVisible());
    QVERIFY(!find<QWidget>("familyTitle")->isVisible());
    form_->close();
    QFile file(fixture_->settingsFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("\"ShowFamily\"=dword:00000000"));
    file.close();

    closeWindow();
    startForm();
    QVERIFY(!grid()->familyColumnShown());
    QVERIFY(!grid()->familyHeader()->isVisible());
}

void TestFamilyGrid::rulesFolderDecidesTheFamilies_data() {
    QTest::addColumn<QString>("folder"); // "": bundled; "missing"; "generic": virut says nothing
    QTest::addColumn<bool>("virutFamily");
    QTest::addColumn<QString>("message");
    QTest::newRow("bundled rules") << "" << true << "";
    QTest::newRow("virut made a generic word") << "generic" << false << "";
    QTest::newRow("folder without rules") << "missing" << false << "default.taxonomy";
}

// The Preferences page's folder replaces the bundled rules: a folder whose
// taxonomy calls "virut" generic gives no line that family; a folder without
// the rule files is reported by the file's name and leaves the column blank.
void TestFamilyGrid::rulesFolderDecidesTheFamilies() {
    QFETCH(QString, folder);
    QFETCH(bool, virutFamily);
    QFETCH(QString, message);
    QTemporaryDir rules;
    if (folder == QLatin1String("generic")) {
        const QDir bundled(programDataPath(QStringLiteral("labelling")));
        for (const char* name : {"default.tagging", "default.expansion"}) {
            QVERIFY(QFile::copy(bundled.filePath(QLatin1String(name)),
                                rules.filePath(QLatin1String(name))));
        }
        QFile in(bundled.filePath(QStringLiteral("default.taxonomy")));
        QFile out(rules.filePath(QStringLiteral("default.taxonomy")));
        QVERIFY(in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly));
        out.write(in.readAll().replace("FAM:virut\n", "GEN:virut\n"));
    }
    if (!folder.isEmpty()) {
        MessageBox::clearShown();
        auto* edit = find<QLineEdit>("rulesEdit");
        clickAt(edit);
        pressKey(Qt::Key_A, Qt::ControlModifier);
        typeText(rules.path());
        pressKey(Qt::Key_Tab);
    }
    search(QStringLiteral("virut"));
    if (!message.isEmpty()) {
        QTRY_VERIFY(!MessageBox::shown().isEmpty());
        QVERIFY2(MessageBox::shown().last().text.contains(message),
                 qPrintable(MessageBox::shown().last().text));
        QVERIFY(!results()->familiesKnown());
        QCOMPARE(results()->headerData(0, Qt::Vertical).toString(), QString());
        return;
    }
    QTRY_VERIFY(results()->familiesKnown());
    bool seen = false;
    for (int row = 0; row < results()->rowCount(); ++row) {
        seen = seen || results()->familyAt(row) == "virut";
    }
    QCOMPARE(seen, virutFamily);
}

// Ctrl+T opens the window on the hits' names; its filter narrows the list,
// a double-click searches for a name, and the list follows that search.
void TestFamilyGrid::namesWindowFollowsTheSearches() {
    search(QStringLiteral("virut"));
    pressKey(Qt::Key_T, Qt::ControlModifier);
    auto* window = form_->findChild<NamesByProductWindow*>();
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Names by product"));
    NamesByProductModel* names = window->namesModel();
    QTRY_COMPARE(names->hitCount(), size_t(16));

    // Every product's names, counted from the grid's cells.
    std::map<std::pair<QString, std::string>, size_t> cells;
    const auto table = readProductTable(
        QDir(fixture_->dataDir()).filePath("NOMIX.CFG").toStdString(), "NOMIX.CFG");
    for (int row = 0; row < results()->rowCount(); ++row) {
        for (int column = 0; column < results()->columnCount(); ++column) {
            const std::string_view field = results()->fieldAt(row, column);
            if (!field.empty()) {
                ++cells[{QString::fromStdString(productName(table.entries[size_t(column)])),
                         std::string(field)}];
            }
        }
    }
    QCOMPARE(size_t(names->rowCount()), cells.size());
    for (int row = 0; row < names->rowCount(); ++row) {
        const auto key = std::make_pair(names->productAt(row), std::string(names->nameAt(row)));
        QCOMPARE(names->countAt(row), cells[key]);
        if (row > 0 && names->productAt(row) == names->productAt(row - 1)) {
            QVERIFY(names->countAt(row) <= names->countAt(row - 1)); // most common first
        }
    }

    // The filter box has the keyboard when the window opens.
    QTRY_COMPARE(focusTarget(), window->findChild<QWidget*>(QStringLiteral("namesFilter")));
    typeText(QStringLiteral("VIRTOB"));
    QVERIFY(names->rowCount() > 0);
    for (int row = 0; row < names->rowCount(); ++row) {
        QVERIFY(QString::fromStdString(std::string(names->nameAt(row)))
                    .contains(QLatin1String("virtob"), Qt::CaseInsensitive));
    }

    QTableView* view = namesView();
    const QString name = QString::fromStdString(std::string(names->nameAt(0)));
    const QPoint first =
        view->visualRect(names->index(0, NamesByProductModel::NameColumn)).center();
    clickAt(view->viewport(), first);
    pressKey(Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), name);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, first);
    QCOMPARE(find<QComboBox>("searchBox")->currentText(), name);
    QTRY_COMPARE(names->hitCount(), size_t(hitCount()));
    QVERIFY(hitCount() > 0 && hitCount() != 16);
}

// F1 on the labelling rules box and in the names window opens their topics.
void TestFamilyGrid::f1OpensTheNewControlsTopics_data() {
    QTest::addColumn<bool>("namesWindow");
    QTest::addColumn<int>("topic");
    QTest::newRow("labelling rules, by its label") << false << 64;
    QTest::newRow("names window") << true << 65;
}

void TestFamilyGrid::f1OpensTheNewControlsTopics() {
    QFETCH(bool, namesWindow);
    QFETCH(int, topic);
    if (namesWindow) {
        search(QStringLiteral("virut"));
        pressKey(Qt::Key_T, Qt::ControlModifier);
        QTRY_COMPARE(focusTarget(), form_->findChild<QWidget*>(QStringLiteral("namesFilter")));
    } else {
        pressKey(Qt::Key_F, Qt::AltModifier);
        chooseInPopup(Qt::Key_P);             // "&Preferences"
        pressKey(Qt::Key_L, Qt::AltModifier); // "&Labelling rules"
        QTRY_COMPARE(focusTarget(), find<QWidget>("rulesEdit"));
    }
    pressKey(Qt::Key_F1);
    QTextBrowser* viewer = nullptr;
    QTRY_VERIFY((viewer = [] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->objectName() == QLatin1String("HelpViewer") && window->isVisible()) {
                return qobject_cast<QTextBrowser*>(window);
            }
        }
        return static_cast<QTextBrowser*>(nullptr);
    }()));
    QCOMPARE(viewer->source().fragment(), QStringLiteral("topic-%1").arg(topic));
}

QTEST_MAIN(TestFamilyGrid)
#include "tst_familygrid.moc"
