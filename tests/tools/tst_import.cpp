// SPDX-License-Identifier: MIT
#include "shared_files.h"
#include "shared_reports.h"

#include "core/producttable.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray kShaA(64, 'a');
const QByteArray kShaB(64, 'b');

struct Run {
    int exitCode = -1;
    QByteArray err;
};

Run runProgram(const QString& program, const QStringList& args, QByteArray* out = nullptr,
               const QByteArray& standardInput = {}) {
    QProcess process;
    process.start(program, args);
    process.write(standardInput);
    process.closeWriteChannel();
    Run run;
    if (!process.waitForFinished(30000)) {
        process.kill();
        return run;
    }
    run.exitCode = process.exitCode();
    run.err = process.readAllStandardError();
    if (out) {
        *out = process.readAllStandardOutput();
    }
    return run;
}

// `bytes` as the compressor's own program writes them.
QByteArray compressed(const QString& program, const QByteArray& bytes) {
    QProcess process;
    process.start(program, {QStringLiteral("-c")});
    process.write(bytes);
    process.closeWriteChannel();
    process.waitForFinished(30000);
    return process.readAllStandardOutput();
}

// A file of one good report in `dir`.
QString oneReportFile(const QTemporaryDir& dir) {
    const QString file = dir.filePath(QStringLiteral("reports.jsonl"));
    return writeFile(file, v3(kShaA, 1, v3Result("E", "malicious", "\"X\"")) + "\n") ? file
                                                                                     : QString();
}

} // namespace

class TestImport : public QObject {
    Q_OBJECT

  private slots:
    void fieldRules_data();
    void fieldRules();
    void samplesAndEnginesMerge();
    void engineNamesStayDistinct();
    void missingOutputFolderIsMade_data();
    void missingOutputFolderIsMade();
    void updateEqualsOneImport_data();
    void updateEqualsOneImport();
    void updateNeedsItsRecord_data();
    void updateNeedsItsRecord();
    void badInputs_data();
    void badInputs();
    void commandLineMistakes_data();
    void commandLineMistakes();
    void optionsStandAnywhere();
    void compressedReadsAsPlain_data();
    void compressedReadsAsPlain();

  private:
    Run import(const QStringList& files, const QString& out, QStringList extra = {},
               const QByteArray& standardInput = {}) {
        return runProgram(QStringLiteral(NOMIX_IMPORT_PATH),
                          QStringList{QStringLiteral("--out"), out} + extra + files, nullptr,
                          standardInput);
    }
};

void TestImport::fieldRules_data() {
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<bool>("changed");

    QTest::newRow("v3 detection") << v3(kShaA, 1, v3Result("E", "malicious", "\"Trojan.X\""))
                                  << QByteArray("Trojan.X") << false;
    QTest::newRow("v3 detection without a name")
        << v3(kShaA, 1, v3Result("E", "suspicious", "null")) << QByteArray("UNKNOWN_VIRUS")
        << false;
    QTest::newRow("v3 undetected")
        << v3(kShaA, 1, v3Result("E", "undetected", "null")) << QByteArray("NO_VIRUS") << false;
    QTest::newRow("v3 not scanned") << v3(kShaA, 1, v3Result("E", "type-unsupported", "null"))
                                    << QByteArray("~type-unsupported") << false;
    QTest::newRow("v3 timeout") << v3(kShaA, 1, v3Result("E", "timeout", "null"))
                                << QByteArray("~timeout") << false;
    QTest::newRow("v3 without the data wrapper")
        << QByteArray("{\"attributes\": {\"sha256\": \"" + kShaA +
                      "\", \"last_analysis_results\": {" + v3Result("E", "malicious", "\"W32/Y\"") +
                      "}}}")
        << QByteArray("W32/Y") << false;
    QTest::newRow("v3 upper-case hash") << v3(kShaA.toUpper(), 1, v3Result("E", "harmless", "null"))
                                        << QByteArray("NO_VIRUS") << false;
    QTest::newRow("v2 detection")
        << QByteArray(
               "{\"sha256\": \"" + kShaA +
               "\", \"scan_date\": \"2016-01-02 03:04:05\", \"scans\": {\"E\": {\"detected\": "
               "true, \"version\": \"2\", \"result\": \"Worm.Z\", \"update\": \"20160101\"}}}")
        << QByteArray("Worm.Z") << false;
    QTest::newRow("v2 detection without a name")
        << QByteArray("{\"sha256\": \"" + kShaA +
                      "\", \"scans\": {\"E\": {\"detected\": true, \"result\": null}}}")
        << QByteArray("UNKNOWN_VIRUS") << false;
    QTest::newRow("v2 clean") << QByteArray("{\"sha256\": \"" + kShaA +
                                            "\", \"scans\": {\"E\": {\"detected\": false}}}")
                              << QByteArray("NO_VIRUS") << false;
    QTest::newRow("bar and line break in a name")
        << v3(kShaA, 1, v3Result("E", "malicious", "\"A|B\\r\\nC\\u001aD\""))
        << QByteArray("A_B__C_D") << true;
    // Detections that would read as the program's own markers.
    QTest::newRow("detection named NO_VIRUS")
        << v3(kShaA, 1, v3Result("E", "malicious", "\"NO_VIRUS\"")) << QByteArray("_NO_VIRUS")
        << true;
    QTest::newRow("detection named UNKNOWN_VIRUS")
        << v3(kShaA, 1, v3Result("E", "malicious", "\"UNKNOWN_VIRUS\""))
        << QByteArray("_UNKNOWN_VIRUS") << true;
    QTest::newRow("detection beginning with ~")
        << v3(kShaA, 1, v3Result("E", "malicious", "\"~Gen\"")) << QByteArray("_~Gen") << true;
    QTest::newRow("quotes, brackets and backslashes in a name")
        << v3(kShaA, 1, v3Result("E", "malicious", "\"A\\\"}],{[\\\\\\\\\""))
        << QByteArray("A\"}],{[\\\\") << false;
    QTest::newRow("repeated key: the last wins")
        << v3(kShaA, 1,
              "\"E\": {\"category\": \"malicious\", \"result\": \"First\", \"result\": \"Last\"}")
        << QByteArray("Last") << false;
    QTest::newRow("a collection under data")
        << QByteArray("{\"data\": [{\"attributes\": {\"sha256\": \"" + kShaA +
                      "\", \"last_analysis_results\": {" + v3Result("E", "malicious", "\"W32/Z\"") +
                      "}}}]}")
        << QByteArray("W32/Z") << false;
}

void TestImport::fieldRules() {
    QFETCH(QByteArray, report);
    QFETCH(QByteArray, field);
    QFETCH(bool, changed);
    // As JSON Lines, and as the one element of an array, which is split
    // apart from the JSON reader; a collection is a document of its own.
    QList<QByteArray> texts{report + "\n"};
    if (!report.startsWith("{\"data\": [")) {
        texts.append("[\n" + report + "\n]\n");
    }
    for (const QByteArray& text : texts) {
        QTemporaryDir dir;
        const QString input = dir.filePath(QStringLiteral("reports.json"));
        QVERIFY(writeFile(input, text));
        const Run run = import({input}, dir.path());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(readFile(dir.filePath(QStringLiteral("NOMIX.DAT"))),
                 "|" + kShaA + "|" + field + "|\r\n");
        QCOMPARE(run.err.contains("is written as"), changed);
    }
}

// A sample seen twice keeps its newest analysis and its first place; every
// product entry reads back as the engine's name; the result is searchable.
void TestImport::samplesAndEnginesMerge() {
    QTemporaryDir dir;
    const QByteArray lines =
        v3(kShaA, 100,
           v3Result("beta", "malicious", "\"Old.Name\"", "1.0") + "," +
               v3Result("Alpha Engine", "undetected", "null", "7.1")) +
        "\n\n" + v3(kShaB, 150, v3Result("Gamma", "malicious", "\"Gamma.Name\"", "v3")) + "\n" +
        v3(kShaA, 200, v3Result("beta", "malicious", "\"New.Name\"", "2.0")) + "\n";
    const QString input = dir.filePath(QStringLiteral("reports.jsonl"));
    QVERIFY(writeFile(input, lines));
    const Run run =
        import({input}, dir.path(), {QStringLiteral("--label"), QStringLiteral("Mine")});
    QCOMPARE(run.exitCode, 0);

    const QByteArray table = readFile(dir.filePath(QStringLiteral("NOMIX.CFG")));
    QVERIFY2(table.endsWith("\r\n"), table.constData());
    QList<QByteArray> entries = table.chopped(2).split('|');
    QCOMPARE(entries.takeFirst(), QByteArray("Mine"));
    QStringList names;
    for (const QByteArray& entry : entries) {
        const nomix::ProductItem item = nomix::splitProductEntry(entry.toStdString());
        names << QString::fromStdString(item.name).trimmed();
    }
    QCOMPARE(names, QStringList({"SHA-256", "Alpha Engine", "beta", "Gamma"}));
    QVERIFY(entries.contains("beta 2.0 20240102"));   // the newest report's version
    QVERIFY(entries.contains("Gamma 0-v3 20240102")); // a version word begins with a digit

    QCOMPARE(readFile(dir.filePath(QStringLiteral("NOMIX.DAT"))),
             "|" + kShaA + "|~not in report|New.Name|~not in report|\r\n" + "|" + kShaB +
                 "|~not in report|~not in report|Gamma.Name|\r\n");

    QByteArray out;
    const Run search = runProgram(QStringLiteral(NOMIX_CLI_PATH),
                                  {QStringLiteral("--dir"), dir.path(), QStringLiteral("--count"),
                                   QStringLiteral("new.name")},
                                  &out);
    QCOMPARE(search.exitCode, 0);
    QCOMPARE(out.trimmed(), QByteArray("1"));
}

// Engines whose names the product table cannot hold as they are become
// products of their own, each name reading back as written and told on
// standard error.
void TestImport::engineNamesStayDistinct() {
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("reports.jsonl"));
    QByteArray results;
    for (const char* engine : {"A|B", "A_B", "A\\nB", "360 Safe", "SHA-256"}) {
        results += (results.isEmpty() ? "" : ", ") + v3Result(engine, "malicious", "\"X\"");
    }
    QVERIFY(writeFile(input, v3(kShaA, 1, results) + "\n"));
    const Run run = import({input}, dir.path());
    QCOMPARE(run.exitCode, 0);
    QList<QByteArray> entries =
        readFile(dir.filePath(QStringLiteral("NOMIX.CFG"))).chopped(2).split('|');
    entries.removeFirst();
    QStringList names;
    for (const QByteArray& entry : entries) {
        names
            << QString::fromStdString(nomix::splitProductEntry(entry.toStdString()).name).trimmed();
    }
    QCOMPARE(names, QStringList({"SHA-256", "_360 Safe", "A_B", "A_B#2", "A_B#3", "SHA-256#2"}));
    // Products are named in the order the engines come.
    for (const char* told :
         {"engine \"A|B\" is the product \"A_B\"", "engine \"A_B\" is the product \"A_B#2\"",
          "engine \"A\\x0aB\" is the product \"A_B#3\"",
          "engine \"360 Safe\" is the product \"_360 Safe\"",
          "engine \"SHA-256\" is the product \"SHA-256#2\""}) {
        QVERIFY2(run.err.contains(told), run.err.constData());
    }
}

void TestImport::missingOutputFolderIsMade_data() {
    QTest::addColumn<QString>("out"); // below a fresh temporary folder
    QTest::newRow("the folder") << QStringLiteral("nomix-data");
    QTest::newRow("the folder and its parents") << QStringLiteral("home/analyst/nomix-data/");
}

// As the README's example does on a fresh machine.
void TestImport::missingOutputFolderIsMade() {
    QFETCH(QString, out);
    QTemporaryDir dir;
    const QString reports = dir.filePath(QStringLiteral("reports.jsonl"));
    QVERIFY(writeFile(reports, v3(kShaA, 1, v3Result("E", "malicious", "\"X\"")) + "\n"));
    const Run run = import({reports}, dir.filePath(out));
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.err.contains("1 samples, 2 products written"), run.err.constData());
    QCOMPARE(readFile(dir.filePath(out + QStringLiteral("/NOMIX.DAT"))), "|" + kShaA + "|X|\r\n");
    QVERIFY(QFile::exists(dir.filePath(out + QStringLiteral("/NOMIX.CFG"))));
}

void TestImport::updateEqualsOneImport_data() {
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("added");
    const QByteArray kShaC(64, 'c');
    QTest::newRow("newer, older and new samples")
        << v3(kShaA, 100, v3Result("Alpha", "malicious", "\"X\"")) + "\n" +
               v3(kShaB, 100,
                  v3Result("Alpha", "malicious", "\"Y\"") + ", " +
                      v3Result("Beta", "harmless", "null"))
        << v3(kShaA, 200, v3Result("Alpha", "malicious", "\"X2\"", "2.0")) + "\n" +
               v3(kShaC, 50, v3Result("Beta", "malicious", "\"W\"")) + "\n" +
               v3(kShaB, 10, v3Result("Alpha", "malicious", "\"Old\""));
    QTest::newRow("new engines, and names that change")
        << v3(kShaA, 1, v3Result("A|B", "malicious", "\"NO_VIRUS\"")) + "\n"
        << v3(kShaB, 2,
              v3Result("A|B", "malicious", "\"P\\tQ\"") + ", " +
                  v3Result("A_B", "malicious", "\"R\"") + ", " +
                  v3Result("Zeta", "type-unsupported", "null"));
}

// Adding reports to a database gives what one import of all of them gives.
void TestImport::updateEqualsOneImport() {
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, added);
    QTemporaryDir dir;
    const QString firstFile = dir.filePath(QStringLiteral("first.jsonl"));
    const QString addedFile = dir.filePath(QStringLiteral("added.jsonl"));
    QVERIFY(writeFile(firstFile, first));
    QVERIFY(writeFile(addedFile, added));
    const QStringList label{QStringLiteral("--label"), QStringLiteral("L")};
    const QString updated = dir.filePath(QStringLiteral("updated"));
    const QString whole = dir.filePath(QStringLiteral("whole"));
    QCOMPARE(import({firstFile}, updated, label).exitCode, 0);
    const Run update = runProgram(QStringLiteral(NOMIX_IMPORT_PATH),
                                  QStringList{QStringLiteral("--update"), updated} + label +
                                      QStringList{addedFile});
    QVERIFY2(update.exitCode == 0, update.err.constData());
    QCOMPARE(import({firstFile, addedFile}, whole, label).exitCode, 0);
    for (const char* name : {"/NOMIX.CFG", "/NOMIX.DAT", "/.nomix95.samples"}) {
        QCOMPARE(readFile(updated + QLatin1String(name)), readFile(whole + QLatin1String(name)));
    }
}

void TestImport::updateNeedsItsRecord_data() {
    QTest::addColumn<QString>("damage"); // what happens to the folder after the import
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("no record") << QStringLiteral("remove record")
                               << QByteArray("cannot be updated: import it again with --out");
    QTest::newRow("a line less") << QStringLiteral("cut names")
                                 << QByteArray("does not match the record of its import");
    QTest::newRow("a damaged record")
        << QStringLiteral("damage record") << QByteArray("not the record of an import");
}

// A folder whose record is missing or does not match is left alone.
void TestImport::updateNeedsItsRecord() {
    QFETCH(QString, damage);
    QFETCH(QByteArray, message);
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("reports.jsonl"));
    QVERIFY(writeFile(input, v3(kShaA, 1, v3Result("E", "malicious", "\"X\"")) + "\n" +
                                 v3(kShaB, 1, v3Result("E", "malicious", "\"Y\"")) + "\n"));
    const QString out = dir.filePath(QStringLiteral("out"));
    QCOMPARE(import({input}, out).exitCode, 0);
    const QString record = out + QStringLiteral("/.nomix95.samples");
    const QString names = out + QStringLiteral("/NOMIX.DAT");
    if (damage == QLatin1String("remove record")) {
        QVERIFY(QFile::remove(record));
    } else if (damage == QLatin1String("cut names")) {
        QVERIFY(writeFile(names, readFile(names).left(readFile(names).indexOf('\n') + 1)));
    } else {
        QVERIFY(writeFile(record, "something else\n"));
    }
    const QByteArray before = readFile(names);
    const Run run =
        runProgram(QStringLiteral(NOMIX_IMPORT_PATH), {QStringLiteral("--update"), out, input});
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(message), run.err.constData());
    QCOMPARE(readFile(names), before);
}

void TestImport::badInputs_data() {
    QTest::addColumn<QByteArray>("input"); // "(none)": the file does not exist
    QTest::addColumn<bool>("outIsAFile");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("message");

    const QByteArray good = v3(kShaA, 1, v3Result("E", "malicious", "\"X\""));
    QTest::newRow("broken line in the middle")
        << good + "\n{\"data\": broken\n" + v3(kShaB, 1, v3Result("E", "harmless", "null")) + "\n"
        << false << 1 << QByteArray("reports:2: not valid JSON");
    QTest::newRow("a line that is no report")
        << good + "\n{\"sha256\": \"x\"}\n"
        << false << 1
        << QByteArray("reports:2: neither an API v3 file object nor an API v2 file report");
    QTest::newRow("array of reports")
        << "[" + good + ",\n" + good + "]" << false << 0 << QByteArray();
    QTest::newRow("one report over many lines")
        << "{\n\"data\":\n" + good.mid(9) << false << 0 << QByteArray();
    // A bad first line costs that line only, as a bad line anywhere else.
    QTest::newRow("garbage first line") << "garbage\n" + good + "\n"
                                        << false << 1 << QByteArray("reports:1: not valid JSON");
    QTest::newRow("first line cut short")
        << good.left(40) + "\n" + good + "\n"
        << false << 1 << QByteArray("reports:1: not valid JSON: ");
    QTest::newRow("invalid UTF-8 on the first line")
        << "{\"a\": \"\xff\"}\n" + good + "\n"
        << false << 1 << QByteArray("reports:1: invalid UTF-8 at byte 8");
    QTest::newRow("first line nested too deep")
        << QByteArray(1100, '[') + QByteArray(1100, ']') + "\n" + good + "\n"
        << false << 1 << QByteArray("reports:1: report 1 of the array: nested deeper than 1024");
    QTest::newRow("first line not an object")
        << "[1]\n" + good + "\n"
        << false << 1 << QByteArray("reports:1: report 1 of the array: not a JSON object");
    QTest::newRow("array with a broken report")
        << "[\n" + good + ",\n{\"data\": broken},\n" +
               v3(kShaB, 1, v3Result("E", "harmless", "null")) + "\n]"
        << false << 1 << QByteArray("reports:3: report 2 of the array: not valid JSON");
    QTest::newRow("byte-order mark") << "\xEF\xBB\xBF" + good + "\n" << false << 0 << QByteArray();
    QTest::newRow("byte-order mark before an array")
        << "\xEF\xBB\xBF[" + good + "]" << false << 0 << QByteArray();
    QTest::newRow("empty file") << QByteArray() << false << 2 << QByteArray("no scan report found");
    QTest::newRow("missing file") << QByteArray("(none)") << false << 2
                                  << QByteArray("No such file");
    QTest::newRow("output folder is a file")
        << good << true << 2 << QByteArray("cannot write there");
    const QByteArray gzip = compressed(QStringLiteral("gzip"), good + "\n");
    QTest::newRow("gzip cut short")
        << gzip.chopped(4) << false << 2 << QByteArray("reports: not a complete gzip stream");
    QByteArray wrongChecksum = gzip;
    wrongChecksum[gzip.size() - 8] = char(~wrongChecksum[gzip.size() - 8]);
    QTest::newRow("gzip with a wrong checksum")
        << wrongChecksum << false << 2
        << QByteArray("reports: corrupt gzip stream (incorrect data check)");
}

// Whatever goes wrong, the files already in the output folder stay as they
// were unless a new pair is written whole.
void TestImport::badInputs() {
    QFETCH(QByteArray, input);
    QFETCH(bool, outIsAFile);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, message);
    QTemporaryDir dir;
    const QString reports = dir.filePath(QStringLiteral("reports"));
    if (input != "(none)") {
        QVERIFY(writeFile(reports, input));
    }
    QString out = dir.filePath(QStringLiteral("out"));
    if (outIsAFile) {
        QVERIFY(writeFile(out, "a file"));
    } else {
        QVERIFY(QDir().mkdir(out));
        QVERIFY(writeFile(out + QStringLiteral("/NOMIX.DAT"), "old names"));
        QVERIFY(writeFile(out + QStringLiteral("/NOMIX.CFG"), "old table"));
    }
    const Run run = import({reports}, out);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.contains(message), run.err.constData());
    if (outIsAFile) {
        QCOMPARE(readFile(out), QByteArray("a file"));
    } else if (exitCode == 2) {
        QCOMPARE(readFile(out + QStringLiteral("/NOMIX.DAT")), QByteArray("old names"));
        QCOMPARE(readFile(out + QStringLiteral("/NOMIX.CFG")), QByteArray("old table"));
        QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden).size(), 2); // no leftovers
    } else {
        QVERIFY(readFile(out + QStringLiteral("/NOMIX.DAT")).startsWith("|" + kShaA + "|X|"));
    }
}

void TestImport::compressedReadsAsPlain_data() {
    QTest::addColumn<QString>("program"); // the compressor
    QTest::addColumn<bool>("standardInput");
    QTest::addColumn<bool>("array"); // one array, else JSON Lines
    QTest::newRow("gzip") << QStringLiteral("gzip") << false << false;
    QTest::newRow("gzip from standard input") << QStringLiteral("gzip") << true << false;
    QTest::newRow("zstd") << QStringLiteral("zstd") << false << false;
    QTest::newRow("bzip2") << QStringLiteral("bzip2") << false << false;
    QTest::newRow("gzip, one array") << QStringLiteral("gzip") << false << true;
    QTest::newRow("zstd from standard input, one array") << QStringLiteral("zstd") << true << true;
}

// A compressed feed, from a file or a pipe, gives the database of the plain one
// and the same skipped lines, whatever the file is called. (A plain file is
// read straight into the reader's batches, a compressed one is copied there.)
void TestImport::compressedReadsAsPlain() {
    QFETCH(QString, program);
    QFETCH(bool, standardInput);
    QFETCH(bool, array);
    // Some MB, so that reads, batches and the compressors' blocks end inside
    // reports.
    QByteArray reports = array ? "[\n" : "";
    for (int i = 0; i < 8000; ++i) {
        const QByteArray sha = QByteArray::number(i % 7000).rightJustified(64, 'c');
        reports += v3(sha, i,
                      v3Result("Alpha", "malicious", "\"Trojan." + QByteArray::number(i) + "\"") +
                          ", " + v3Result("Beta", i % 3 ? "undetected" : "timeout", "null"));
        if (i == 5000) {
            reports += array ? ",\n{\"broken\": tru}" : "\n{broken";
        }
        reports += array ? (i == 7999 ? "\n]\n" : ",\n") : "\n";
    }
    const QByteArray skipped =
        array ? ":5003: report 5002 of the array: " : ":5002: not valid JSON";
    QTemporaryDir dir;
    const QStringList label{QStringLiteral("--label"), QStringLiteral("Feed")};
    const QString plainOut = dir.filePath(QStringLiteral("plain"));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("reports.json")), reports));
    const Run plain = import({dir.filePath(QStringLiteral("reports.json"))}, plainOut, label);
    QCOMPARE(plain.exitCode, 1);
    QVERIFY2(plain.err.contains("reports.json" + skipped) &&
                 plain.err.contains("7000 samples, 3 products"),
             plain.err.constData());

    const QByteArray input = compressed(program, reports);
    const QString out = dir.filePath(QStringLiteral("out"));
    const QString file =
        standardInput ? QStringLiteral("-") : dir.filePath(QStringLiteral("feed/reports.json"));
    QVERIFY(standardInput ||
            (QDir().mkdir(dir.filePath(QStringLiteral("feed"))) && writeFile(file, input)));
    const Run run = import({file}, out, label, standardInput ? input : QByteArray());
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(file.toUtf8() + skipped), run.err.constData());
    for (const char* name : {"/NOMIX.CFG", "/NOMIX.DAT"}) {
        const QByteArray expected = readFile(plainOut + name);
        QVERIFY2(readFile(out + name) == expected, name);
    }
}

void TestImport::commandLineMistakes_data() {
    QTest::addColumn<QStringList>("args"); // OUT: a folder to write, FILE: a good report file
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("unknown option") << QStringList{"--frobnicate", "--out", "OUT", "FILE"}
                                    << QByteArray("unknown option --frobnicate");
    QTest::newRow("value missing")
        << QStringList{"FILE", "--out"} << QByteArray("option --out needs a value");
    QTest::newRow("no folder") << QStringList{"FILE"}
                               << QByteArray("--out DIR or --update DIR is missing");
    QTest::newRow("no file") << QStringList{"--out", "OUT"} << QByteArray("no report file given");
    QTest::newRow("out with update") << QStringList{"--out", "OUT", "--update", "OUT", "FILE"}
                                     << QByteArray("--out and --update cannot be used together");
    QTest::newRow("out twice") << QStringList{"--out", "OUT", "--out", "OUT", "FILE"}
                               << QByteArray("--out");
}

// One line naming the mistake, then the usage; nothing is written.
void TestImport::commandLineMistakes() {
    QFETCH(QStringList, args);
    QFETCH(QByteArray, message);
    QTemporaryDir dir;
    const QString file = oneReportFile(dir);
    const QString out = dir.filePath(QStringLiteral("out"));
    for (QString& arg : args) {
        arg = arg == QLatin1String("OUT") ? out : arg == QLatin1String("FILE") ? file : arg;
    }
    QByteArray usage;
    QCOMPARE(
        runProgram(QStringLiteral(NOMIX_IMPORT_PATH), {QStringLiteral("--help")}, &usage).exitCode,
        0);
    const Run run = runProgram(QStringLiteral(NOMIX_IMPORT_PATH), args);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.startsWith("nomix95-import: " + message), run.err.constData());
    QCOMPARE(run.err.mid(run.err.indexOf('\n') + 1), usage);
    QVERIFY(!QFile::exists(out));
}

// Files before the options, and a label given twice: the last one counts.
void TestImport::optionsStandAnywhere() {
    QTemporaryDir dir;
    const QString file = oneReportFile(dir);
    const QString out = dir.filePath(QStringLiteral("out"));
    const Run run = runProgram(QStringLiteral(NOMIX_IMPORT_PATH),
                               {file, QStringLiteral("--label"), QStringLiteral("first"),
                                QStringLiteral("--out"), out, QStringLiteral("--label"),
                                QStringLiteral("second")});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(readFile(out + QStringLiteral("/NOMIX.CFG")).startsWith("second|"),
             readFile(out + QStringLiteral("/NOMIX.CFG")).constData());
}

QTEST_MAIN(TestImport)
#include "tst_import.moc"
