// SPDX-License-Identifier: MIT
#include "core/datafile.h"
#include "core/fileerror.h"
#include "core/producttable.h"

#include <QTemporaryDir>
#include <QTest>

#include <fstream>

using namespace nomix;

class TestProductTable : public QObject {
    Q_OBJECT

  private slots:
    void parse_data();
    void parse();
    void split_data();
    void split();
    void readsSampleTable();
    void missingFileFails();
    void directoryIsRefused();
};

void TestProductTable::parse_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("label");
    QTest::addColumn<QStringList>("entries");

    QTest::newRow("normal") << QByteArray("DB 1|Alpha 1.0 05/97|Beta 2 06/97\r\n")
                            << QByteArray("DB 1") << QStringList{"Alpha 1.0 05/97", "Beta 2 06/97"};
    QTest::newRow("no line end: nothing cut")
        << QByteArray("DB|Alpha 1.0 05/97") << QByteArray("DB") << QStringList{"Alpha 1.0 05/97"};
    QTest::newRow("lf line end") << QByteArray("DB|A 1 x|Zillya 2015.09 09/15\n")
                                 << QByteArray("DB")
                                 << QStringList{"A 1 x", "Zillya 2015.09 09/15"};
    QTest::newRow("cr line end") << QByteArray("DB|Zillya 2015.09 09/15\r") << QByteArray("DB")
                                 << QStringList{"Zillya 2015.09 09/15"};
    QTest::newRow("only the last line end is cut")
        << QByteArray("DB|A 1 x\r\n\r\n") << QByteArray("DB") << QStringList{"A 1 x\r\n"};
    QTest::newRow("empty entries skipped") << QByteArray("DB||A 1 x|||B 2 y|\r\n")
                                           << QByteArray("DB") << QStringList{"A 1 x", "B 2 y"};
    QTest::newRow("no bar: label is also the first product")
        << QByteArray("Alpha 1 x\r\n") << QByteArray("Alpha 1 x\r\n") << QStringList{"Alpha 1 x"};
    QTest::newRow("no products") << QByteArray("Label only|\r\n") << QByteArray("Label only")
                                 << QStringList{};
    QTest::newRow("text ends at NUL") << QByteArray("DB|A 1 x|B\0|C 3 z\r\n", 19)
                                      << QByteArray("DB") << QStringList{"A 1 x", "B"};
    QTest::newRow("empty file") << QByteArray() << QByteArray() << QStringList{};
    QTest::newRow("one byte") << QByteArray("|") << QByteArray() << QStringList{};
}

void TestProductTable::parse() {
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, label);
    QFETCH(QStringList, entries);
    const ProductTable table =
        parseProductTable(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())),
                          static_cast<size_t>(bytes.size()));
    QCOMPARE(QByteArray::fromStdString(table.label), label);
    QStringList got;
    for (const std::string& e : table.entries) {
        got << QString::fromStdString(e);
    }
    QCOMPARE(got, entries);
}

void TestProductTable::split_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("date");

    QTest::newRow("three groups") << "Alpha Scan 2.31 beta 05/97"
                                  << " Alpha Scan"
                                  << " 2.31 beta"
                                  << "05/97";
    QTest::newRow("digit first word") << "3Com 1.0 05/97"
                                      << ""
                                      << " 3Com 1.0"
                                      << "05/97";
    QTest::newRow("one word") << "Alpha"
                              << ""
                              << ""
                              << "Alpha";
    QTest::newRow("no digit word") << "Alpha Beta Gamma"
                                   << " Alpha Beta"
                                   << ""
                                   << "Gamma";
    QTest::newRow("empty") << ""
                           << ""
                           << ""
                           << "";
    QTest::newRow("extra blanks") << "  Alpha   2.0   x  "
                                  << " Alpha"
                                  << " 2.0"
                                  << "x";
    QTest::newRow("date is always the last word") << "Alpha 1.0"
                                                  << " Alpha"
                                                  << ""
                                                  << "1.0";
}

void TestProductTable::split() {
    QFETCH(QString, entry);
    QFETCH(QString, name);
    QFETCH(QString, version);
    QFETCH(QString, date);
    const ProductItem item = splitProductEntry(entry.toStdString());
    QCOMPARE(QString::fromStdString(item.name), name);
    QCOMPARE(QString::fromStdString(item.version), version);
    QCOMPARE(QString::fromStdString(item.date), date);
}

void TestProductTable::readsSampleTable() {
    const std::string dir = NOMIX_SAMPLE_DIR;
    const ProductTable table = readProductTable(joinDataPath(dir, "NOMIX.CFG"), "NOMIX.CFG");
    QCOMPARE(table.label, std::string("Real labels, 500 samples"));
    QCOMPARE(table.entries.size(), size_t(74));
    QCOMPARE(table.entries.front(), std::string("a-squared 2009.12 12/09"));
    const ProductItem last = splitProductEntry(table.entries.back());
    QVERIFY(!last.date.empty());
    QVERIFY(last.date.back() != '\n' && last.date.back() != '\r');
}

void TestProductTable::missingFileFails() {
    QTemporaryDir dir;
    try {
        readProductTable(joinDataPath(dir.path().toStdString(), "NOPE.CFG"), "NOPE.CFG");
        QFAIL("no exception");
    } catch (const FileError& e) {
        QCOMPARE(std::string(e.what()), std::string("File not found"));
        QVERIFY(e.path().find("NOPE.CFG") != std::string::npos);
    }
}

void TestProductTable::directoryIsRefused() {
    QTemporaryDir dir;
    QVERIFY_THROWS_EXCEPTION(FileError, readProductTable(dir.path().toStdString(), "x"));
}

QTEST_APPLESS_MAIN(TestProductTable)
#include "tst_producttable.moc"
