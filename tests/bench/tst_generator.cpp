// SPDX-License-Identifier: MIT
#include "generator.h"

#include "core/databaselines.h"
#include "core/fields.h"
#include "core/producttable.h"
#include "core/searchengine.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

using namespace nomix;
using nomix::bench::GeneratorSettings;

namespace {

std::string databaseText(const GeneratorSettings& settings) {
    std::string text;
    nomix::bench::generateNameDatabase(settings,
                                       [&](std::string_view piece) { text.append(piece); });
    return text;
}

DatabaseLines linesOf(const std::string& bytes) {
    std::unique_ptr<char[]> buffer(new char[bytes.size() + 1]);
    std::memcpy(buffer.get(), bytes.data(), bytes.size());
    return DatabaseLines(std::move(buffer), bytes.size());
}

int32_t hitsOf(const DatabaseLines& lines, std::string_view text, size_t products,
               nomix::MatchMode mode = nomix::MatchMode::Substring) {
    SearchRequest request;
    request.text = std::string(text);
    request.mode = mode;
    request.numericOnly = true;
    request.columnCount = products;
    request.selected.assign(products, true);
    return runSearch(lines, request).hitCount;
}

} // namespace

class TestGenerator : public QObject {
    Q_OBJECT

  private slots:
    void sameSettingsGiveSameBytes();
    void loadsWithOneFieldPerProduct_data();
    void loadsWithOneFieldPerProduct();
    void searchStringsKeepTheirFrequency();
    void writesBothFiles();
};

void TestGenerator::sameSettingsGiveSameBytes() {
    const GeneratorSettings settings{3000, 7, 42};
    const std::string first = databaseText(settings);
    QCOMPARE(databaseText(settings), first);
    QCOMPARE(nomix::bench::generateProductTable(settings),
             nomix::bench::generateProductTable(settings));
    QVERIFY(databaseText(GeneratorSettings{3000, 7, 43}) != first);
}

void TestGenerator::loadsWithOneFieldPerProduct_data() {
    QTest::addColumn<qulonglong>("lines");
    QTest::addColumn<int>("products");

    QTest::newRow("no lines") << 0ull << 3;
    QTest::newRow("one product") << 50ull << 1;
    QTest::newRow("benchmark shape") << 2000ull << 24;
    QTest::newRow("more products than product names") << 300ull << 75;
    // More than one piece handed to the sink: lines must not break across.
    QTest::newRow("several pieces") << 8000ull << 40;
}

void TestGenerator::loadsWithOneFieldPerProduct() {
    QFETCH(qulonglong, lines);
    QFETCH(int, products);
    const GeneratorSettings settings{lines, products, 1};

    const std::string table = nomix::bench::generateProductTable(settings);
    const ProductTable parsed = parseProductTable(table, table.size());
    QCOMPARE(parsed.entries.size(), size_t(products));
    QSet<QString> names;
    for (const std::string& entry : parsed.entries) {
        const ProductItem item = splitProductEntry(entry);
        QVERIFY2(!item.name.empty() && !item.version.empty() && !item.date.empty(), entry.c_str());
        names.insert(QString::fromStdString(item.name));
    }
    QCOMPARE(names.size(), products);

    const std::string text = databaseText(settings);
    const DatabaseLines loaded = linesOf(text);
    QCOMPARE(loaded.count(), size_t(lines));
    for (size_t k = 0; k < loaded.count(); ++k) {
        const std::string_view line = loaded.at(k);
        // One '|' fewer than products means no field is empty, so no name
        // slides into another product's column.
        QCOMPARE(countFields(line, kBarSet), products);
        QCOMPARE(std::count(line.begin(), line.end(), '|'), products - 1);
        QCOMPARE(text.substr(loaded.endOf(k), 3), std::string("|\r\n"));
        QCOMPARE(text[loaded.beginOf(k) - 1], '|');
    }
}

void TestGenerator::searchStringsKeepTheirFrequency() {
    const size_t products = 6;
    const GeneratorSettings settings{25000, int(products), 5};
    const DatabaseLines lines = linesOf(databaseText(settings));

    QCOMPARE(hitsOf(lines, nomix::bench::kRareString, products), 1);
    QCOMPARE(hitsOf(lines, nomix::bench::kAbsentString, products), 0);
    const int32_t common = hitsOf(lines, nomix::bench::kCommonString, products);
    QVERIFY2(common > 2500 && common < 7500, QByteArray::number(common));
    // The names the grid marks specially must all be there to be drawn.
    QVERIFY(hitsOf(lines, "NO_VIRUS", products, nomix::MatchMode::CompleteMatch) > 10000);
    QVERIFY(hitsOf(lines, "UNKNOWN_VIRUS", products) > 0);
    QVERIFY(hitsOf(lines, "~", products, nomix::MatchMode::BeginsWith) > 0);
}

void TestGenerator::writesBothFiles() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const GeneratorSettings settings{1500, 5, 9};
    nomix::bench::writeDatabaseFiles(settings, dir.path().toStdString());

    QFile table(dir.filePath("NOMIX.CFG"));
    QVERIFY(table.open(QIODevice::ReadOnly));
    QCOMPARE(table.readAll().toStdString(), nomix::bench::generateProductTable(settings));
    QFile names(dir.filePath("NOMIX.DAT"));
    QVERIFY(names.open(QIODevice::ReadOnly));
    QCOMPARE(names.readAll().toStdString(), databaseText(settings));

    QVERIFY_THROWS_EXCEPTION(
        std::runtime_error,
        nomix::bench::writeDatabaseFiles(settings, dir.filePath("missing").toStdString()));
}

QTEST_GUILESS_MAIN(TestGenerator)
#include "tst_generator.moc"
