// SPDX-License-Identifier: MIT
// Sizes far beyond any real table or database: a line of 100 MB, ten
// thousand products, a field of 1 MB, a search string of 100,000
// characters. Each must load and search to the right answer in a time the
// test's timeout bounds, without splitting costs that grow with the square
// of the size.

#include "shared_linesof.h"

#include "core/database.h"
#include "core/databaselines.h"
#include "core/fields.h"
#include "core/productselection.h"
#include "core/producttable.h"
#include "core/searchengine.h"

#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <string>

using namespace nomix;

namespace {

constexpr size_t kHundredMegabytes = 100u << 20;
constexpr size_t kTenMegabytes = 10u << 20;
constexpr size_t kProducts = 10000;

const MatchMode kModes[] = {MatchMode::Substring, MatchMode::BeginsWith, MatchMode::EndsWith,
                            MatchMode::CompleteMatch};

void writeFile(const QString& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.toLocal8Bit().constData(), "wb");
    QVERIFY(file != nullptr);
    QCOMPARE(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
    QCOMPARE(std::fclose(file), 0);
}

// Hits of `needle` in every match mode, with only the columns in `selected`
// taking part (so every line that holds the needle is split into fields).
QList<QList<uint32_t>> hitsInEveryMode(const DatabaseLines& lines, const std::string& needle,
                                       std::vector<bool> selected) {
    SearchRequest request;
    request.text = needle;
    request.columnCount = selected.size();
    request.selected = std::move(selected);
    request.allProductsSelected = false;
    QList<QList<uint32_t>> hits;
    for (MatchMode mode : kModes) {
        request.mode = mode;
        const SearchOutcome outcome = runSearch(lines, request);
        hits << QList<uint32_t>(outcome.hits.begin(), outcome.hits.end());
    }
    return hits;
}

QList<QList<uint32_t>> sameInEveryMode(const QList<uint32_t>& hits) {
    return {hits, hits, hits, hits};
}

// "|F0000000.xxx...|F0000001.xxx...|...|Tail.Name|": one line of fields of
// `fieldSize` bytes each but the last two, `size` bytes in all with the
// line end.
std::string fieldLine(size_t size, size_t fieldSize, size_t& fieldCount) {
    const std::string tail = "|Tail.Name|\r\n";
    std::string line;
    line.reserve(size);
    fieldCount = 0;
    char head[16];
    while (line.size() + fieldSize + tail.size() <= size) {
        std::snprintf(head, sizeof head, "|F%07zu.", fieldCount++);
        line += head;
        line.append(fieldSize - line.size() % fieldSize, 'x');
    }
    line.append(size - line.size() - tail.size(), 'y');
    ++fieldCount; // the tail
    return line + tail;
}

} // namespace

class TestLargeInput : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir m_dir;

  private slots:
    void hundredMegabyteLineAsDatabase();
    void hundredMegabyteLineAsProductTable();
    void tenMegabyteProductEntry();
    void tenThousandProducts();
    void megabyteField();
    void hundredThousandCharacterSearch();
};

// A million fields: each search that cannot decide on the whole line walks
// all of them.
void TestLargeInput::hundredMegabyteLineAsDatabase() {
    size_t fields = 0;
    const QString path = m_dir.filePath("NOMIX.DAT");
    writeFile(path, fieldLine(kHundredMegabytes, 100, fields));
    const NameDatabase db = readNameDatabase(path.toStdString());
    QCOMPARE(db.lines.count(), size_t(1));
    QCOMPARE(db.lines.at(0).size(), kHundredMegabytes - 4); // first, last, CR, LF

    std::vector<bool> allButFirst(fields, true);
    allButFirst[0] = false;
    QCOMPARE(hitsInEveryMode(db.lines, "tail.name", allButFirst), sameInEveryMode({0}));
    QCOMPARE(hitsInEveryMode(db.lines, "F0000000.", allButFirst), sameInEveryMode({}));
    QCOMPARE(hitsInEveryMode(db.lines, "nowhere", allButFirst), sameInEveryMode({}));
    QFile::remove(path);
}

// A hundred thousand products of 1,000 bytes each.
void TestLargeInput::hundredMegabyteLineAsProductTable() {
    size_t fields = 0;
    const QString path = m_dir.filePath("NOMIX.CFG");
    writeFile(path, fieldLine(kHundredMegabytes, 1000, fields));
    const ProductTable table = readProductTable(path.toStdString(), "NOMIX.CFG");
    // The line starts with '|': the label is the first field, and the
    // products start right after that bar, so the label is a product too.
    QCOMPARE(table.label, "F0000000." + std::string(990, 'x'));
    QCOMPARE(table.entries.size(), fields);
    QCOMPARE(table.entries.front(), table.label);
    QCOMPARE(table.entries.back(), std::string("Tail.Name"));
    QFile::remove(path);
}

// One entry of five million words: splitting it into name, version and
// date must take one pass, not one per word.
void TestLargeInput::tenMegabyteProductEntry() {
    std::string entry;
    entry.reserve(kTenMegabytes);
    while (entry.size() < kTenMegabytes / 2) {
        entry += "w ";
    }
    while (entry.size() < kTenMegabytes - 6) {
        entry += "1 ";
    }
    entry += "05/97";
    const ProductItem item = splitProductEntry(entry);
    QCOMPARE(item.name.size(), kTenMegabytes / 2);
    QCOMPARE(item.version.size(), kTenMegabytes / 2 - 6);
    QCOMPARE(item.date, std::string("05/97"));
}

void TestLargeInput::tenThousandProducts() {
    std::string table = "Ten thousand";
    for (size_t i = 0; i < kProducts; ++i) {
        table += "|Product" + std::to_string(i) + " 1." + std::to_string(i) + " 01/99";
    }
    table += "\r\n";
    const QString tablePath = m_dir.filePath("MANY.CFG");
    writeFile(tablePath, table);
    const ProductTable products = readProductTable(tablePath.toStdString(), "MANY.CFG");
    QCOMPARE(products.entries.size(), kProducts);
    const ProductItem last = splitProductEntry(products.entries.back());
    QCOMPARE(last.name, std::string(" Product9999"));
    QCOMPARE(last.version, std::string(" 1.9999"));

    // Every line names the virus differently in every product.
    std::string database;
    constexpr size_t kLines = 20;
    for (size_t k = 0; k < kLines; ++k) {
        for (size_t i = 0; i < kProducts; ++i) {
            database += "|P" + std::to_string(i) + ".L" + std::to_string(k);
        }
        database += "|\r\n";
    }
    const DatabaseLines lines = linesOf(database);
    QCOMPARE(lines.count(), kLines);

    // Only the last product takes part, as a stored selection brings back.
    ProductSelection selection(kProducts);
    for (size_t i = 0; i + 1 < kProducts; ++i) {
        selection.setSelected(i, false);
    }
    const ProductSelection restored =
        ProductSelection::fromStored(kProducts, true, selection.mask(), selection.extraStates());
    QCOMPARE(restored.states(), selection.states());
    QCOMPARE(hitsInEveryMode(lines, "p9999.l19", restored.states()), sameInEveryMode({19}));
    QCOMPARE(hitsInEveryMode(lines, "p9998.l19", restored.states()), sameInEveryMode({}));
}

void TestLargeInput::megabyteField() {
    const std::string big = std::string(1u << 20, 'A') + "TAIL";
    const std::string database = "|Short|" + big + "|Last|\r\n|Other|Name|\r\n";
    const DatabaseLines lines = linesOf(database);
    QCOMPARE(lines.count(), size_t(2));
    QCOMPARE(fieldAt(2, lines.at(0), kBarSet), big);

    const std::vector<bool> all = {true, true, true};
    const QList<QList<uint32_t>> none = {{}, {}, {}, {}};
    QCOMPARE(hitsInEveryMode(lines, "atail", all), (QList<QList<uint32_t>>{{0}, {}, {0}, {}}));
    QCOMPARE(hitsInEveryMode(lines, "aaaa", all), (QList<QList<uint32_t>>{{0}, {0}, {}, {}}));
    QCOMPARE(hitsInEveryMode(lines, big, all), sameInEveryMode({0}));
    QCOMPARE(hitsInEveryMode(lines, big + "|", all), none);
}

void TestLargeInput::hundredThousandCharacterSearch() {
    const std::string needle = std::string(100000 - 1, 'b') + "c";
    const std::string upper = std::string(100000 - 1, 'B') + "C";

    std::optional<Database> sample =
        loadDatabaseFiles(DataLocation{NOMIX_SAMPLE_DIR, "NOMIX.DAT", "NOMIX.CFG"});
    QVERIFY(sample.has_value());
    const std::vector<bool> all(sample->table.entries.size(), true);
    QCOMPARE(hitsInEveryMode(sample->names.lines, needle, all), sameInEveryMode({}));

    const DatabaseLines lines = linesOf("|x|" + upper + "|y|\r\n|" + needle + "x|\r\n");
    QCOMPARE(hitsInEveryMode(lines, needle, {true, true, true}),
             (QList<QList<uint32_t>>{{0, 1}, {0, 1}, {0}, {0}}));
}

QTEST_APPLESS_MAIN(TestLargeInput)
#include "tst_largeinput.moc"
