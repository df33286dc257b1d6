#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run runCli(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral(NOMIX_CLI_PATH), args);
    Run run;
    if (!process.waitForFinished(30000)) {
        process.kill();
        return run;
    }
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// The sample's lines as the program holds them, read independently of the
// core: CR LF separated, first and last character dropped.
QList<QByteArray> sampleLines() {
    QFile file(QStringLiteral(NOMIX_SAMPLE_DIR "/NOMIX.DAT"));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QList<QByteArray> lines = file.readAll().split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    for (QByteArray& line : lines) {
        line.chop(1); // the CR
        line = line.mid(1, line.size() - 2);
    }
    return lines;
}

QList<int> indicesContaining(const QByteArray& upperNeedle) {
    QList<int> indices;
    const QList<QByteArray> lines = sampleLines();
    for (int i = 0; i < lines.size(); ++i) {
        if (lines[i].toUpper().contains(upperNeedle)) {
            indices << i;
        }
    }
    return indices;
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT

  private slots:
    void countsLikeAPlainScan_data();
    void countsLikeAPlainScan();
    void indicesAreAscendingLineNumbers();
    void tsvShowsTakingPartProducts();
    void completeMatch();
    void exitCodes_data();
    void exitCodes();
    void missingDatabaseNamesTheFile();
};

void TestCli::countsLikeAPlainScan_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("common") << "trojan";
    QTest::newRow("mixed case") << "WiN32";
    QTest::newRow("rare") << "zbot";
    QTest::newRow("across fields") << "S|NO_V";
}

void TestCli::countsLikeAPlainScan() {
    QFETCH(QString, text);
    const Run run = runCli({"--count", text});
    const int expected = int(indicesContaining(text.toLatin1().toUpper()).size());
    QCOMPARE(run.out.trimmed(), QByteArray::number(expected));
    QCOMPARE(run.exitCode, expected > 0 ? 0 : 1);
}

void TestCli::indicesAreAscendingLineNumbers() {
    const Run run = runCli({"--indices", "backdoor"});
    QCOMPARE(run.exitCode, 0);
    QList<int> got;
    for (const QByteArray& line : run.out.split('\n')) {
        if (!line.isEmpty()) {
            got << line.toInt();
        }
    }
    QCOMPARE(got, indicesContaining("BACKDOOR"));
}

void TestCli::tsvShowsTakingPartProducts() {
    const Run all = runCli({"zbot"});
    QCOMPARE(all.exitCode, 0);
    const QList<QByteArray> rows = all.out.split('\n');
    QCOMPARE(rows.first().split('\t').size(), 74);
    QCOMPARE(rows.first().split('\t').first(), QByteArray("a-squared 2009.12 12/09"));

    const Run two = runCli({"--tsv", "--products", "3,1", "NO_VIRUS"});
    const QList<QByteArray> twoRows = two.out.split('\n');
    QCOMPARE(twoRows.first(), QByteArray("a-squared 2009.12 12/09\tAegisLab 2014.02 02/14"));
    QCOMPARE(twoRows.at(1).split('\t').size(), 2);
}

void TestCli::completeMatch() {
    // Every sample line has at least one product without a name.
    QCOMPARE(runCli({"--count", "--complete", "no_virus"}).out.trimmed(), QByteArray("500"));
    QCOMPARE(runCli({"--count", "--begins", "--ends", "no_virus"}).out.trimmed(),
             QByteArray("500"));
    QCOMPARE(runCli({"--count", "--complete", "no_viru"}).exitCode, 1);
}

void TestCli::exitCodes_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("help") << QStringList{"--help"} << 0 << QByteArray();
    QTest::newRow("version") << QStringList{"--version"} << 0 << QByteArray();
    QTest::newRow("no hit") << QStringList{"--count", "no such name anywhere"} << 1 << QByteArray();
    QTest::newRow("empty string") << QStringList{""} << 2
                                  << QByteArray("Please, set a search string");
    QTest::newRow("no string") << QStringList{"--count"} << 2 << QByteArray("search string");
    QTest::newRow("unknown option")
        << QStringList{"--frobnicate", "x"} << 2 << QByteArray("--frobnicate");
    QTest::newRow("product zero") << QStringList{"--products", "0", "x"} << 2 << QByteArray("'0'");
    QTest::newRow("product beyond the table")
        << QStringList{"--products", "75", "x"} << 2 << QByteArray("75");
    QTest::newRow("dash string after --")
        << QStringList{"--count", "--", "-x-"} << 1 << QByteArray();
}

void TestCli::exitCodes() {
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, message);
    const Run run = runCli(args);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.contains(message), run.err.constData());
    if (exitCode == 2) {
        QCOMPARE(run.err.count('\n'), 1);
    }
}

void TestCli::missingDatabaseNamesTheFile() {
    QTemporaryDir dir;
    const Run none = runCli({"--dir", dir.path(), "x"});
    QCOMPARE(none.exitCode, 2);
    QVERIFY(none.err.contains("Could not open the database"));

    // Table present, name database missing: the runtime's message and the file.
    QFile::copy(QStringLiteral(NOMIX_SAMPLE_DIR "/NOMIX.CFG"), dir.filePath("NOMIX.CFG"));
    const Run missing = runCli({"--dir", dir.path(), "x"});
    QCOMPARE(missing.exitCode, 2);
    QVERIFY2(missing.err.contains("File not found") && missing.err.contains("NOMIX.DAT"),
             missing.err.constData());
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
