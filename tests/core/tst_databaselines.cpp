// SPDX-License-Identifier: MIT
#include "shared_linesof.h"

#include "core/bytecount.h"
#include "core/databaselines.h"
#include "core/fileerror.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

using namespace nomix;

namespace {

NameDatabase readFromFile(const QByteArray& bytes) {
    QTemporaryDir dir;
    QFile file(dir.filePath("NOMIX.DAT"));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        return {};
    }
    file.close();
    return readNameDatabase(file.fileName().toStdString());
}

QStringList textsOf(const DatabaseLines& lines) {
    QStringList texts;
    for (size_t i = 0; i < lines.count(); ++i) {
        const std::string_view line = lines.at(i);
        texts << QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size()));
    }
    return texts;
}

} // namespace

class TestDatabaseLines : public QObject {
    Q_OBJECT

  private slots:
    void lineRules_data();
    void lineRules();
    void countByte_data();
    void countByte();
    void surveyAcrossPieces_data();
    void surveyAcrossPieces();
    void longLineHasNoLimit();
    void readsSampleDatabase();
    void missingFile();
    void dayNumbers_data();
    void dayNumbers();
    void fileDateIsLocalAndEven();
};

void TestDatabaseLines::lineRules_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("crlf") << QByteArray("|A|B|\r\n|C|\r\n") << QStringList{"A|B", "C"};
    QTest::newRow("first and last characters dropped whatever they are")
        << QByteArray("xA|Bx\r\n") << QStringList{"A|B"};
    QTest::newRow("cr alone ends a line") << QByteArray("|A|\r|B|\r") << QStringList{"A", "B"};
    QTest::newRow("lf alone is a character") << QByteArray("|A|\n|B|\r\n") << QStringList{"A|\n|B"};
    QTest::newRow("last line without line end")
        << QByteArray("|A|\r\n|B|") << QStringList{"A", "B"};
    QTest::newRow("byte 26 ends the file")
        << QByteArray("|A|\r\n|B|\x1a|C|\r\n") << QStringList{"A", "B"};
    QTest::newRow("byte 26 first") << QByteArray("\x1a|A|\r\n") << QStringList{};
    QTest::newRow("short lines keep their index")
        << QByteArray("ab\r\nx\r\n\r\n|C|\r\n") << QStringList{"", "", "", "C"};
    QTest::newRow("cr cr lf") << QByteArray("|A|\r\r\n") << QStringList{"A", ""};
    QTest::newRow("lf cr") << QByteArray("|A|\n\r") << QStringList{"A|"};
    QTest::newRow("three characters") << QByteArray("abc\r\n") << QStringList{"b"};
    QTest::newRow("without any cr, lf ends a line")
        << QByteArray("|A|\n|B|\n") << QStringList{"A", "B"};
    QTest::newRow("lf only: short lines keep their index")
        << QByteArray("\n\nab\n|C|") << QStringList{"", "", "", "C"};
    QTest::newRow("lf only: lf lf is an empty line")
        << QByteArray("|A|\n\n|B|") << QStringList{"A", "", "B"};
    QTest::newRow("a cr after byte 26 does not count")
        << QByteArray("|A|\n|B|\x1a\r") << QStringList{"A", "B"};
    QTest::newRow("nul is a character")
        << QByteArray("|A\0B|\r\n", 7) << QStringList{QString::fromLatin1("A\0B", 3)};
}

void TestDatabaseLines::lineRules() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QCOMPARE(textsOf(linesOf(bytes)), lines);
    // Read from a file, the line ends are counted piece by piece as they come.
    QCOMPARE(textsOf(readFromFile(bytes).lines), lines);
}

// Line ends are counted in wide lanes whose counters are emptied now and
// then: runs long enough to fill them, and every length around a lane.
void TestDatabaseLines::countByte_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("every"); // the counted byte stands at every n-th position

    for (int size : {0, 1, 7, 8, 15, 16, 17, 31, 33, 4079, 4080, 4081, 70001}) {
        for (int every : {1, 3}) {
            QTest::addRow("%d bytes, every %d", size, every) << size << every;
        }
    }
}

void TestDatabaseLines::countByte() {
    QFETCH(int, size);
    QFETCH(int, every);
    std::string bytes(size_t(size) + 1, 'x');
    for (int i = 0; i < size; i += every) {
        bytes[size_t(i)] = '\r';
    }
    bytes[size_t(size)] = '\r'; // just past the end: not counted
    QCOMPARE(nomix::countByte(bytes.data(), size_t(size), '\r'),
             size_t((size + every - 1) / every));
}

// Files larger than one piece of a read: the line end and the mark are
// decided by what comes after the first piece, as for the bytes in memory.
void TestDatabaseLines::surveyAcrossPieces_data() {
    QTest::addColumn<QByteArray>("tail");
    QTest::addColumn<int>("count");

    const int lfLines = 600000; // 3.6 MB of "|AAA|\n"
    QTest::newRow("no cr: lf ends the lines") << QByteArray("|B|\n|C|") << lfLines + 2;
    QTest::newRow("a late cr makes every lf a character") << QByteArray("|B|\r\n|C|") << 2;
    QTest::newRow("a late mark ends the data") << QByteArray("|B|\x1a\r|C|") << lfLines + 1;
}

void TestDatabaseLines::surveyAcrossPieces() {
    QFETCH(QByteArray, tail);
    QFETCH(int, count);
    QByteArray bytes;
    for (int i = 0; i < 600000; ++i) {
        bytes += "|AAA|\n";
    }
    bytes += tail;
    const NameDatabase db = readFromFile(bytes);
    const DatabaseLines inMemory = linesOf(bytes);
    QCOMPARE(db.lines.count(), size_t(count));
    QCOMPARE(inMemory.count(), size_t(count));
    for (size_t k = 0; k < inMemory.count(); ++k) {
        QVERIFY(db.lines.at(k) == inMemory.at(k));
    }
}

void TestDatabaseLines::longLineHasNoLimit() {
    QByteArray big(5 * 1024 * 1024, 'N');
    big[0] = '|';
    big[big.size() - 1] = '|';
    const DatabaseLines lines = linesOf(big + "\r\n|B|\r\n");
    QCOMPARE(lines.count(), size_t(2));
    QCOMPARE(lines.at(0).size(), size_t(big.size() - 2));
    QCOMPARE(std::string(lines.at(1)), std::string("B"));
}

void TestDatabaseLines::readsSampleDatabase() {
    const NameDatabase db = readNameDatabase(std::string(NOMIX_SAMPLE_DIR) + "/NOMIX.DAT");
    QCOMPARE(db.lines.count(), size_t(500));
    QVERIFY(db.lines.at(0).substr(0, 9) == "NO_VIRUS|");
    QVERIFY(db.lines.at(499).back() != '|');
    QVERIFY(db.date > dayNumberFromDate(2000, 1, 1));
}

void TestDatabaseLines::missingFile() {
    QTemporaryDir dir;
    QVERIFY_THROWS_EXCEPTION(FileError, readNameDatabase(dir.filePath("none").toStdString()));
}

void TestDatabaseLines::dayNumbers_data() {
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<double>("number");
    QTest::newRow("origin") << 1899 << 12 << 30 << 0.0;
    QTest::newRow("first of 1900") << 1900 << 1 << 1 << 2.0;
    QTest::newRow("2000") << 2000 << 1 << 1 << 36526.0;
    QTest::newRow("leap day") << 2024 << 2 << 29 << 45351.0;
}

void TestDatabaseLines::dayNumbers() {
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(double, number);
    QCOMPARE(dayNumberFromDate(year, month, day), number);
}

// The stored date is the local time of the file's modification, with odd
// seconds rounded down, as packed file dates keep them.
void TestDatabaseLines::fileDateIsLocalAndEven() {
    qputenv("TZ", "UTC");
    tzset();
    QTemporaryDir dir;
    const QString path = dir.filePath("NOMIX.DAT");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("|A|\r\n");
    file.close();
    // 2024-02-29 13:45:07 UTC
    const time_t when = 1709214307;
    struct timeval times[2] = {{when, 0}, {when, 0}};
    QCOMPARE(utimes(path.toLocal8Bit().constData(), times), 0);
    const NameDatabase db = readNameDatabase(path.toStdString());
    const double expected = 45351.0 + (13 * 3600 + 45 * 60 + 6) / 86400.0;
    QVERIFY(qAbs(db.date - expected) < 1e-9);
    qputenv("TZ", "Pacific/Auckland"); // UTC+13 in February
    tzset();
    const NameDatabase later = readNameDatabase(path.toStdString());
    QVERIFY(qAbs(later.date - (expected + 13.0 / 24.0)) < 1e-9);
}

QTEST_APPLESS_MAIN(TestDatabaseLines)
#include "tst_databaselines.moc"
