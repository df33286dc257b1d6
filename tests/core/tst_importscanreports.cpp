// SPDX-License-Identifier: MIT
#include "core/import/importscanreports.h"

#include "core/fileerror.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>

using nomix::ImportRequest;

namespace {

// Stops from its `stopAt`-th question on (0: never), and notes what it was told.
class RecordingCallbacks : public nomix::ImportCallbacks {
  public:
    explicit RecordingCallbacks(int stopAt) : m_stopAt(stopAt) {}
    bool stopRequested() override { return m_stopAt > 0 && ++m_asked >= m_stopAt; }
    void lineSkipped(const std::string& file, size_t line, const std::string&) override {
        skipped << QStringLiteral("%1:%2").arg(QString::fromStdString(file)).arg(line);
    }
    QStringList skipped;

  private:
    int m_stopAt;
    int m_asked = 0;
};

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

QByteArray report(int sample) {
    return "{\"sha256\": \"" + QByteArray::number(sample).rightJustified(64, '0') +
           "\", \"scans\": {\"Alpha\": {\"detected\": true, \"result\": \"Trojan.X\"}}}\n";
}

// The folder's files but its lock, which stays once made.
QStringList filesOf(const QString& folder) {
    QStringList files = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    files.removeAll(QStringLiteral(".nomix95.lock"));
    return files;
}

} // namespace

class TestImportScanReports : public QObject {
    Q_OBJECT

  private slots:
    void stopLeavesTheFolderAsItWas_data();
    void stopLeavesTheFolderAsItWas();
    void failureNamesTheInput_data();
    void failureNamesTheInput();
};

void TestImportScanReports::stopLeavesTheFolderAsItWas_data() {
    QTest::addColumn<int>("stopAt");
    QTest::newRow("never") << 0;
    QTest::newRow("before a byte is read") << 1;
    QTest::newRow("once every report is read") << 3;
    QTest::newRow("while the names are written") << 5;
}

// Asked to stop at any point, the import throws and the old pair stays,
// with nothing beside it; never asked, it writes every report.
void TestImportScanReports::stopLeavesTheFolderAsItWas() {
    QFETCH(int, stopAt);
    QTemporaryDir dir;
    const QString reports = dir.filePath(QStringLiteral("reports"));
    QVERIFY(writeFile(reports, report(1) + "not json\n" + report(2) + report(3)));
    const QString out = dir.filePath(QStringLiteral("out"));
    QVERIFY(QDir().mkdir(out));
    QVERIFY(writeFile(out + QStringLiteral("/NOMIX.DAT"), "old names"));
    QVERIFY(writeFile(out + QStringLiteral("/NOMIX.CFG"), "old table"));

    RecordingCallbacks callbacks(stopAt);
    const ImportRequest request{{reports.toStdString()}, out.toStdString(), false, "label"};
    if (stopAt > 0) {
        QVERIFY_THROWS_EXCEPTION(nomix::ImportStopped, importScanReports(request, callbacks));
        QCOMPARE(readFile(out + QStringLiteral("/NOMIX.DAT")), QByteArray("old names"));
        QCOMPARE(readFile(out + QStringLiteral("/NOMIX.CFG")), QByteArray("old table"));
        QCOMPARE(filesOf(out),
                 QStringList({QStringLiteral("NOMIX.CFG"), QStringLiteral("NOMIX.DAT")}));
        return;
    }
    const nomix::ImportSummary summary = importScanReports(request, callbacks);
    QVERIFY(summary.written);
    QCOMPARE(summary.samples, size_t(3));
    QCOMPARE(summary.skippedLines, size_t(1));
    QCOMPARE(callbacks.skipped, QStringList{reports + QStringLiteral(":2")});
    QCOMPARE(readFile(out + QStringLiteral("/NOMIX.DAT")).count('\n'), 3);
}

void TestImportScanReports::failureNamesTheInput_data() {
    QTest::addColumn<QString>("input"); // in the temporary folder
    QTest::addColumn<bool>("noRoomForSamples");
    QTest::addColumn<QString>("message"); // its start, after the input's path
    QTest::newRow("missing") << QStringLiteral("missing") << false
                             << QStringLiteral("missing: No such file or directory");
    QTest::newRow("a folder") << QString() << false << QStringLiteral(": Is a directory");
    QTest::newRow("nowhere to keep the samples")
        << QStringLiteral("reports") << true
        << QStringLiteral("cannot keep the samples in a temporary file: ");
}

// An import that cannot read its input or keep its samples says so before it
// writes anything.
void TestImportScanReports::failureNamesTheInput() {
    QFETCH(QString, input);
    QFETCH(bool, noRoomForSamples);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath(QStringLiteral("reports")), report(1)));
    const QString path = input.isEmpty() ? dir.path() : dir.filePath(input);
    // A folder yet to be made, and a temporary folder that is not there.
    const QString out = dir.filePath(QStringLiteral("new/out"));
    const QByteArray temporary = qgetenv("TMPDIR");
    if (noRoomForSamples) {
        qputenv("TMPDIR", dir.filePath(QStringLiteral("none")).toLocal8Bit());
    }
    RecordingCallbacks callbacks(0);
    QString got;
    try {
        importScanReports({{path.toStdString()}, out.toStdString(), false, {}}, callbacks);
    } catch (const nomix::ImportError& e) {
        got = QString::fromStdString(e.what());
    }
    qputenv("TMPDIR", temporary);
    const QString expected = noRoomForSamples ? message : path + message.mid(input.size());
    QVERIFY2(got.startsWith(expected), qPrintable(got));
    QVERIFY(!QFileInfo::exists(out));
}

QTEST_MAIN(TestImportScanReports)
#include "tst_importscanreports.moc"
