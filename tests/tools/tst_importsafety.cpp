// SPDX-License-Identifier: MIT
// An import replaces the two data files of a folder as one: whatever stops
// it, and whoever else writes or reads the folder at the same time, the
// folder holds the old pair or the new one, never a mix or leftovers.

#include "shared_files.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

// `count` reports in which engine `engine` calls every sample `name`.
QByteArray reports(int count, const QByteArray& engine, const QByteArray& name) {
    QByteArray text;
    for (int i = 0; i < count; ++i) {
        text += "{\"sha256\": \"" + QByteArray::number(i).rightJustified(64, '0') +
                "\", \"scans\": {\"" + engine + "\": {\"detected\": true, \"result\": \"" + name +
                "\"}}}\n";
    }
    return text;
}

// True once the process has installed its own handler for `signal`: a
// signal sent before would end it the default way.
bool catchesSignal(qint64 pid, int signal) {
    const QByteArray status = readFile(QStringLiteral("/proc/%1/status").arg(pid));
    const qsizetype at = status.indexOf("SigCgt:");
    if (at < 0) {
        return false;
    }
    const QByteArray mask = status.mid(at + 7, status.indexOf('\n', at) - at - 7).trimmed();
    return (mask.toULongLong(nullptr, 16) >> (signal - 1)) & 1;
}

// The pid of the program a tracer started, once it runs.
qint64 traceeOf(qint64 tracer) {
    const QByteArray children =
        readFile(QStringLiteral("/proc/%1/task/%1/children").arg(tracer)).trimmed();
    return children.isEmpty() || children == "(missing)" ? 0
                                                         : children.split(' ').first().toLongLong();
}

} // namespace

class TestImportSafety : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void stopSignalLeavesTheFolder_data();
    void stopSignalLeavesTheFolder();
    void killBetweenTheRenamesIsFinishedByTheNextReader();
    void twoImportsTakeTurns();
    void leftoversOfKilledImportsGo();

  private:
    QStringList importArguments(const QString& input) const {
        return {QStringLiteral("--out"), m_out, input};
    }
    bool holdsOldPair() const {
        return readFile(m_out + QStringLiteral("/NOMIX.CFG")) == "old table" &&
               readFile(m_out + QStringLiteral("/NOMIX.DAT")) == "old names";
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_out;
};

void TestImportSafety::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_out = m_dir->filePath(QStringLiteral("out"));
    QVERIFY(QDir().mkdir(m_out));
    QVERIFY(writeFile(m_out + QStringLiteral("/NOMIX.CFG"), "old table"));
    QVERIFY(writeFile(m_out + QStringLiteral("/NOMIX.DAT"), "old names"));
}

void TestImportSafety::stopSignalLeavesTheFolder_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
}

// A service manager's SIGTERM or the user's Ctrl+C while the reports still
// come in: exit 2, the old pair as it was, nothing left beside it.
void TestImportSafety::stopSignalLeavesTheFolder() {
    QFETCH(int, signal);
    QProcess import;
    import.start(QStringLiteral(NOMIX_IMPORT_PATH), importArguments(QStringLiteral("-")));
    QVERIFY(import.waitForStarted());
    import.write(reports(10, "Alpha", "New.Name"));
    QTRY_VERIFY(catchesSignal(import.processId(), signal));
    ::kill(static_cast<pid_t>(import.processId()), signal);
    QVERIFY(import.waitForFinished(10000));
    QCOMPARE(import.exitStatus(), QProcess::NormalExit);
    QCOMPARE(import.exitCode(), 2);
    QVERIFY(import.readAllStandardError().contains("interrupted; nothing written"));
    QVERIFY(holdsOldPair());
    QCOMPARE(QDir(m_out).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

// SIGKILL after the name database was renamed into place and before the
// product table was: the folder holds a mix until the next reader comes,
// which completes the import before it reads.
void TestImportSafety::killBetweenTheRenamesIsFinishedByTheNextReader() {
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    QVERIFY2(!strace.isEmpty(), "strace is needed (scripts/setup installs it)");
    const QString input = m_dir->filePath(QStringLiteral("reports.jsonl"));
    QVERIFY(writeFile(input, reports(3, "Alpha", "New.Name")));
    QProcess tracer;
    // The second rename is the name database's; it returns a minute late.
    tracer.start(strace, QStringList{QStringLiteral("-f"), QStringLiteral("-o"),
                                     QStringLiteral("/dev/null"), QStringLiteral("-e"),
                                     QStringLiteral("trace=rename"), QStringLiteral("-e"),
                                     QStringLiteral("inject=rename:delay_exit=60000000:when=2"),
                                     QStringLiteral(NOMIX_IMPORT_PATH)} +
                             importArguments(input));
    QVERIFY(tracer.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(readFile(m_out + QStringLiteral("/NOMIX.DAT")).contains("New.Name"),
                             20000);
    QCOMPARE(readFile(m_out + QStringLiteral("/NOMIX.CFG")), QByteArray("old table"));
    const qint64 importPid = traceeOf(tracer.processId());
    QVERIFY(importPid > 0);
    ::kill(static_cast<pid_t>(importPid), SIGKILL);
    // The tracer would sit out the injected delay.
    tracer.kill();
    QVERIFY(tracer.waitForFinished(10000));
    QTRY_VERIFY(!QFile::exists(QStringLiteral("/proc/%1").arg(importPid)));

    QProcess cli;
    cli.start(
        QStringLiteral(NOMIX_CLI_PATH),
        {QStringLiteral("--dir"), m_out, QStringLiteral("--count"), QStringLiteral("new.name")});
    QVERIFY(cli.waitForFinished(10000));
    QCOMPARE(cli.readAllStandardOutput().trimmed(), QByteArray("3"));
    QVERIFY(readFile(m_out + QStringLiteral("/NOMIX.CFG")).contains("|Alpha "));
    QCOMPARE(QDir(m_out).entryList(QDir::Files | QDir::Hidden),
             QStringList({QStringLiteral(".nomix95.lock"), QStringLiteral(".nomix95.samples"),
                          QStringLiteral("NOMIX.CFG"), QStringLiteral("NOMIX.DAT")}));
}

// Two imports into one folder at once: the pair is one import's, whole.
void TestImportSafety::twoImportsTakeTurns() {
    const QString inputA = m_dir->filePath(QStringLiteral("a.jsonl"));
    const QString inputB = m_dir->filePath(QStringLiteral("b.jsonl"));
    QVERIFY(writeFile(inputA, reports(20000, "Alpha", "A.Name")));
    QVERIFY(writeFile(inputB, reports(20000, "Beta", "B.Name")));
    QProcess a;
    QProcess b;
    a.start(QStringLiteral(NOMIX_IMPORT_PATH), importArguments(inputA));
    b.start(QStringLiteral(NOMIX_IMPORT_PATH), importArguments(inputB));
    QVERIFY(a.waitForFinished(30000) && b.waitForFinished(30000));
    QCOMPARE(a.exitCode(), 0);
    QCOMPARE(b.exitCode(), 0);
    const QByteArray table = readFile(m_out + QStringLiteral("/NOMIX.CFG"));
    const QByteArray names = readFile(m_out + QStringLiteral("/NOMIX.DAT"));
    const bool fromA = table.contains("|Alpha ");
    QCOMPARE(table.contains("|Beta "), !fromA);
    QCOMPARE(names.count(fromA ? "|A.Name|" : "|B.Name|"), 20000);
    QCOMPARE(names.count(fromA ? "|B.Name|" : "|A.Name|"), 0);
}

// Files an import killed while writing left beside the pair go with the next
// import; files of the same look but another name stay.
void TestImportSafety::leftoversOfKilledImportsGo() {
    for (const char* name : {".NOMIX.DAT.Ab12Cd", ".NOMIX.CFG.xYz789", ".NOMIX.DAT.mine.bak"}) {
        QVERIFY(writeFile(m_out + QLatin1Char('/') + QLatin1String(name), "left"));
    }
    const QString input = m_dir->filePath(QStringLiteral("reports.jsonl"));
    QVERIFY(writeFile(input, reports(2, "Alpha", "New.Name")));
    QProcess import;
    import.start(QStringLiteral(NOMIX_IMPORT_PATH), importArguments(input));
    QVERIFY(import.waitForFinished(10000));
    QCOMPARE(import.exitCode(), 0);
    QCOMPARE(QDir(m_out).entryList(QDir::Files | QDir::Hidden),
             QStringList({QStringLiteral(".NOMIX.DAT.mine.bak"), QStringLiteral(".nomix95.lock"),
                          QStringLiteral(".nomix95.samples"), QStringLiteral("NOMIX.CFG"),
                          QStringLiteral("NOMIX.DAT")}));
}

QTEST_MAIN(TestImportSafety)
#include "tst_importsafety.moc"
