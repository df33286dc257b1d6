// SPDX-License-Identifier: MIT
// nomix95-import --server loads what the file import writes: the same reports
// give the same answers from the team database as from the files, and a load
// that fails or is stopped leaves the team database as it was.

#include "server/privateserver.h"
#include "tools/shared_files.h"
#include "tools/shared_reports.h"
#include "tools/shared_run.h"

#include "core/server/serverconnection.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

using nomix::ServerConnection;

namespace {

using Run = ProgramRun;

Run runImport(const QStringList& args) {
    return runProgram(QStringLiteral(NOMIX_IMPORT_PATH), args);
}

// Every sample's hash begins with "f00d", so a search for it shows every line.
QByteArray sha(int n) {
    return "f00d" + QByteArray::number(n).rightJustified(60, '0');
}

const QByteArray kEveryLine = "f00d";

// Where the answers of the files in `dir` and of the team database at `url`
// to the searches for `text` first differ; empty when they never do.
QByteArray firstDifference(const QString& dir, const QString& url, const QByteArray& text) {
    const QList<QStringList> searches{{"--products-list"},
                                      {"--json", text},
                                      {"--csv", "--family", text},
                                      {"--names-by-product", text}};
    for (const QStringList& search : searches) {
        const Run file = runProgram(NOMIX_CLI_PATH, QStringList{"--dir", dir} + search);
        const Run server = runProgram(NOMIX_CLI_PATH, QStringList{"--server", url} + search);
        if (file.exitCode != 0 || server.exitCode != 0 || file.out != server.out) {
            return search.join(' ').toUtf8() + ": files (" + QByteArray::number(file.exitCode) +
                   ")\n" + file.out + file.err + "\nserver (" +
                   QByteArray::number(server.exitCode) + ")\n" + server.out + server.err;
        }
    }
    return {};
}

const QByteArray kFirst =
    v3(sha(1), 100, v3Result("Alpha", "malicious", "\"X\"")) + "\n" +
    v3(sha(2), 100,
       v3Result("Alpha", "malicious", "\"Y\"") + ", " + v3Result("Beta", "harmless", "null")) +
    "\n";

} // namespace

class TestServerLoader : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void cleanupTestCase() { m_server.reset(); }
    void importGivesTheFilesLines_data();
    void importGivesTheFilesLines();
    void fromDirLoadsTheFolder_data();
    void fromDirLoadsTheFolder();
    void updateGivesTheFilesUpdate_data();
    void updateGivesTheFilesUpdate();
    void updateRefusesNewEngines();
    void stoppedLoadKeepsThePreviousData_data();
    void stoppedLoadKeepsThePreviousData();
    void wrongUrlFailsBeforeReports_data();
    void wrongUrlFailsBeforeReports();

  private:
    QString url() const { return QString::fromStdString(m_server->url()); }
    QString reportFile(const QString& name, const QByteArray& reports) const {
        const QString path = m_dir.filePath(name);
        return writeFile(path, reports) ? path : QString();
    }

    std::unique_ptr<PrivateServer> m_server;
    QTemporaryDir m_dir;
    const QStringList m_label{"--label", "L"};
};

void TestServerLoader::initTestCase() {
    m_server = std::make_unique<PrivateServer>();
}

void TestServerLoader::importGivesTheFilesLines_data() {
    QTest::addColumn<QByteArray>("reports");
    QTest::newRow("verdicts of every kind")
        << v3(sha(1), 1,
              v3Result("Alpha", "malicious", "\"Trojan.X\"") + ", " +
                  v3Result("Beta", "undetected", "null") + ", " +
                  v3Result("Gamma", "type-unsupported", "null")) +
               "\n" +
               v3(sha(2), 2,
                  v3Result("Alpha", "suspicious", "null") + ", " +
                      v3Result("Beta", "malicious", "\"W32/Y\""));
    QTest::newRow("names and engines the files change")
        << v3(sha(1), 1,
              v3Result("A|B", "malicious", "\"P\\tQ|R\"") + ", " +
                  v3Result("A_B", "malicious", "\"~S\"")) +
               "\n";
    QTest::newRow("bytes beyond ASCII")
        << v3(sha(1), 1,
              v3Result("Alpha", "malicious", "\"D\\u00e9j\\u00e0.Vu\"") + ", " +
                  v3Result("Beta", "malicious", "\"\\u00c9T\\u00c9\"")) +
               "\n";
    QTest::newRow("a sample analysed twice")
        << v3(sha(1), 200, v3Result("Alpha", "malicious", "\"New\"")) + "\n" +
               v3(sha(1), 100, v3Result("Alpha", "malicious", "\"Old\"")) + "\n" +
               v3(sha(2), 100, v3Result("Beta", "malicious", "\"Other\"")) + "\n";
}

void TestServerLoader::importGivesTheFilesLines() {
    QFETCH(QByteArray, reports);
    const QString file = reportFile("reports.jsonl", reports);
    const QString dir = m_dir.filePath("files");
    const Run toFiles = runImport(QStringList{"--out", dir} + m_label + QStringList{file});
    QVERIFY2(toFiles.exitCode == 0, toFiles.err.constData());
    const Run toServer = runImport(QStringList{"--server", url()} + m_label + QStringList{file});
    QVERIFY2(toServer.exitCode == 0, toServer.err.constData());
    QVERIFY2(toServer.err.contains(m_server->serverName().c_str()), toServer.err.constData());
    const QByteArray difference = firstDifference(dir, url(), kEveryLine);
    QVERIFY2(difference.isEmpty(), difference.constData());
}

void TestServerLoader::fromDirLoadsTheFolder_data() {
    QTest::addColumn<bool>("imported");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("the sample") << false << QByteArray("a");
    QTest::newRow("an import's folder") << true << kEveryLine;
}

void TestServerLoader::fromDirLoadsTheFolder() {
    QFETCH(bool, imported);
    QFETCH(QByteArray, text);
    QString dir = NOMIX_SAMPLE_DIR;
    if (imported) {
        dir = m_dir.filePath("imported");
        QCOMPARE(runImport({"--out", dir, reportFile("first.jsonl", kFirst)}).exitCode, 0);
    }
    const Run load = runImport({"--server", url(), "--from-dir", dir});
    QVERIFY2(load.exitCode == 0, load.err.constData());
    const QByteArray difference = firstDifference(dir, url(), text);
    QVERIFY2(difference.isEmpty(), difference.constData());
}

void TestServerLoader::updateGivesTheFilesUpdate_data() {
    QTest::addColumn<QByteArray>("added");
    QTest::addColumn<QByteArray>("told");
    QTest::newRow("newer, older and new samples")
        << v3(sha(1), 200, v3Result("Alpha", "malicious", "\"X2\"", "2.0")) + "\n" +
               v3(sha(3), 50, v3Result("Beta", "malicious", "\"W\"")) + "\n" +
               v3(sha(2), 10, v3Result("Alpha", "malicious", "\"Old\"")) + "\n"
        << QByteArray("1 samples added, 1 replaced");
    QTest::newRow("as new as held")
        << v3(sha(2), 100, v3Result("Beta", "malicious", "\"Same.Day\"")) + "\n"
        << QByteArray("0 samples added, 1 replaced");
    QTest::newRow("only new samples")
        << v3(sha(4), 1, v3Result("Alpha", "malicious", "\"Z\"")) + "\n" +
               v3(sha(3), 1, v3Result("Alpha", "malicious", "\"W\"")) + "\n"
        << QByteArray("2 samples added, 0 replaced");
}

// Newer analyses replace their lines in place, new samples are appended and
// older analyses are ignored, as the update of the files does.
void TestServerLoader::updateGivesTheFilesUpdate() {
    QFETCH(QByteArray, added);
    QFETCH(QByteArray, told);
    const QString first = reportFile("first.jsonl", kFirst);
    const QString more = reportFile("added.jsonl", added);
    const QString dir = m_dir.filePath("updated");
    QCOMPARE(runImport(QStringList{"--out", dir} + m_label + QStringList{first}).exitCode, 0);
    QCOMPARE(runImport(QStringList{"--update", dir} + m_label + QStringList{more}).exitCode, 0);
    QCOMPARE(runImport(QStringList{"--server", url()} + m_label + QStringList{first}).exitCode, 0);
    const Run update = runImport(QStringList{"--server", url(), "--update", more} + m_label);
    QVERIFY2(update.exitCode == 0, update.err.constData());
    QVERIFY2(update.err.contains(told), update.err.constData());
    const QByteArray difference = firstDifference(dir, url(), kEveryLine);
    QVERIFY2(difference.isEmpty(), difference.constData());
}

// A new engine changes every line's columns: only a full load may bring one.
void TestServerLoader::updateRefusesNewEngines() {
    const QString dir = m_dir.filePath("refused");
    const QString first = reportFile("first.jsonl", kFirst);
    QCOMPARE(runImport(QStringList{"--out", dir} + m_label + QStringList{first}).exitCode, 0);
    QCOMPARE(runImport(QStringList{"--server", url()} + m_label + QStringList{first}).exitCode, 0);
    const QString more =
        reportFile("added.jsonl", v3(sha(5), 1, v3Result("Zeta", "malicious", "\"N\"")));
    const Run update = runImport({"--server", url(), "--update", more});
    QCOMPARE(update.exitCode, 2);
    QVERIFY2(update.err.contains("has no product for (Zeta)"), update.err.constData());
    const QByteArray difference = firstDifference(dir, url(), kEveryLine);
    QVERIFY2(difference.isEmpty(), difference.constData());
}

void TestServerLoader::stoppedLoadKeepsThePreviousData_data() {
    QTest::addColumn<bool>("serverStops");
    QTest::addColumn<QByteArray>("told");
    QTest::newRow("SIGTERM to the import") << false << QByteArray("interrupted; the team database");
    QTest::newRow("the server stops") << true << QByteArray("lost the connection");
}

// The load is held at a lock another session has on the lines, which makes
// the moment of the stop certain: after the import took its transaction,
// before it committed.
void TestServerLoader::stoppedLoadKeepsThePreviousData() {
    QFETCH(bool, serverStops);
    QFETCH(QByteArray, told);
    const QString dir = m_dir.filePath("previous");
    const QString first = reportFile("first.jsonl", kFirst);
    QCOMPARE(runImport(QStringList{"--out", dir} + m_label + QStringList{first}).exitCode, 0);
    QCOMPARE(runImport(QStringList{"--server", url()} + m_label + QStringList{first}).exitCode, 0);
    const QString other = reportFile(
        "other.jsonl", v3(sha(7), 1, v3Result("Omega", "malicious", "\"Replacing.All\"")));
    QProcess import;
    {
        ServerConnection holder(m_server->url());
        holder.run("BEGIN; LOCK TABLE nomix.lines IN ACCESS EXCLUSIVE MODE");
        import.start(NOMIX_IMPORT_PATH, {"--server", url(), other});
        ServerConnection watcher(m_server->url());
        QTRY_COMPARE(watcher
                         .exec("SELECT count(*) FROM pg_stat_activity WHERE wait_event_type = "
                               "'Lock' AND backend_type = 'client backend'")
                         .number(0, 0),
                     1);
        if (serverStops) {
            m_server->stop();
        } else {
            ::kill(static_cast<pid_t>(import.processId()), SIGTERM);
            holder.run("COMMIT");
        }
    }
    QVERIFY(import.waitForFinished(20000));
    if (serverStops) {
        m_server->start();
    }
    const QByteArray err = import.readAllStandardError();
    QCOMPARE(import.exitStatus(), QProcess::NormalExit);
    QCOMPARE(import.exitCode(), 2);
    QVERIFY2(err.contains(told), err.constData());
    QVERIFY2(err.contains(m_server->serverName().c_str()), err.constData());
    const QByteArray difference = firstDifference(dir, url(), kEveryLine);
    QVERIFY2(difference.isEmpty(), difference.constData());
}

void TestServerLoader::wrongUrlFailsBeforeReports_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("named");
    QTest::newRow("no server on the port") << "port=5432"
                                           << "port=5433"
                                           << ":5433/nomix";
    QTest::newRow("no such database") << "/nomix?"
                                      << "/absent?"
                                      << ":5432/absent";
}

// The report file does not exist: an import that read reports first would
// name it rather than the server.
void TestServerLoader::wrongUrlFailsBeforeReports() {
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, named);
    const QString wrong = url().replace(from, to);
    const Run run = runImport({"--server", wrong, m_dir.filePath("missing.jsonl")});
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.startsWith("nomix95-import: cannot reach the database server at "),
             run.err.constData());
    QVERIFY2(run.err.contains(named.toUtf8()), run.err.constData());
    QVERIFY2(!run.err.contains("missing.jsonl"), run.err.constData());
}

QTEST_GUILESS_MAIN(TestServerLoader)
#include "tst_serverloader.moc"
