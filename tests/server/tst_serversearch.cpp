// SPDX-License-Identifier: MIT
// The search of a team database answers as the search of the files it was
// loaded from: nomix95-cli --server against nomix95-cli --dir.

#include "server/privateserver.h"
#include "tools/shared_run.h"

#include "core/server/serverconnection.h"
#include "core/server/servererror.h"
#include "core/server/serverloader.h"
#include "core/server/serversearch.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using nomix::ServerConnection;

namespace {

using Run = ProgramRun;

Run runCli(const QStringList& args) {
    return runProgram(QStringLiteral(NOMIX_CLI_PATH), args);
}

// The folder's two files into the team database, as nomix95-import
// --from-dir loads them.
void loadFolder(const std::string& url, const QString& folder) {
    ServerConnection connection(url);
    nomix::replaceServerData(connection, folder.toStdString());
}

// A small database of three products with what the sample lacks: a name past
// the last product, runs of bars, names holding LIKE's wildcards and escape,
// accented letters in Windows-1252, a string found again later in its name,
// and non-letters that only differ in the bit ASCII case folding flips.
const QByteArray kCraftedTable = "Crafted|First 1.0 01/24|Second 2.0 02/24|Third 3.0 03/24\r\n";
const QByteArray kCraftedLines = "|Trojan.A|W32/Abc|NO_VIRUS|Extra.Past|\r\n"
                                 "|A||B_Mark|x|\r\n"
                                 "|50%off|AxB_Mark|C:\\temp\\dropper|\r\n"
                                 "|\xc9t\xe9.Virus|d\xe9j\xe0|NO_VIRUS|\r\n"
                                 "|NO_VIRUS|NO_VIRUS|NO_VIRUS|\r\n"
                                 "|Agent.\xe9|AGENT.\xc9|trojan|\r\n"
                                 "|ABXAB|q|XAB|\r\n"
                                 "|AB|ABC|ab|\r\n"
                                 "|a@b|a`b|x|\r\n";

} // namespace

class TestServerSearch : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void cleanupTestCase() { m_server.reset(); }
    void answersAsTheFiles_data();
    void answersAsTheFiles();
    void aStringInVeryManyNamesAnswersAsTheFiles_data();
    void aStringInVeryManyNamesAnswersAsTheFiles();
    void anUnreachableServerIsNamed();
    void aDatabaseWithoutDataIsTold();
    void aStopEndsTheSearch();
    void aLostConnectionIsTold();

  private:
    std::string urlOf(const char* database) const {
        std::string url = m_server->url();
        return url.replace(url.find("/nomix?"), 7, std::string("/") + database + "?");
    }

    std::unique_ptr<PrivateServer> m_server;
    QTemporaryDir m_crafted;
    QTemporaryDir m_wide;
};

void TestServerSearch::initTestCase() {
    m_server = std::make_unique<PrivateServer>();
    ServerConnection admin(m_server->url());
    for (const char* database : {"crafted", "empty", "wide"}) {
        admin.run(std::string("CREATE DATABASE ") + database +
                  " ENCODING 'SQL_ASCII' LC_COLLATE 'C' LC_CTYPE 'C' TEMPLATE template0");
    }
    QFile table(m_crafted.filePath("NOMIX.CFG"));
    QVERIFY(table.open(QIODevice::WriteOnly) && table.write(kCraftedTable) > 0);
    QFile lines(m_crafted.filePath("NOMIX.DAT"));
    QVERIFY(lines.open(QIODevice::WriteOnly) && lines.write(kCraftedLines) > 0);
    table.close();
    lines.close();
    loadFolder(m_server->url(), NOMIX_SAMPLE_DIR);
    loadFolder(urlOf("crafted"), m_crafted.path());
    // More names holding "wide" than the search narrows the lines by.
    QByteArray wideLines;
    for (int n = 0; n < 12000; ++n) {
        wideLines +=
            "|Wide." + QByteArray::number(n) + "|" + (n % 7 ? "NO_VIRUS" : "Narrow") + "|\r\n";
    }
    QFile wideTable(m_wide.filePath("NOMIX.CFG"));
    QVERIFY(wideTable.open(QIODevice::WriteOnly) &&
            wideTable.write("Wide|First 1.0 01/24|Second 2.0 02/24\r\n") > 0);
    QFile wide(m_wide.filePath("NOMIX.DAT"));
    QVERIFY(wide.open(QIODevice::WriteOnly) && wide.write(wideLines) > 0);
    wideTable.close();
    wide.close();
    loadFolder(urlOf("wide"), m_wide.path());
}

void TestServerSearch::answersAsTheFiles_data() {
    QTest::addColumn<bool>("crafted");
    QTest::addColumn<QStringList>("args");
    struct Case {
        const char* name;
        bool crafted;
        QStringList args;
    };
    const QList<Case> cases{
        {"contains", false, {"trojan"}},
        {"upper case", false, {"TROJAN"}},
        {"begins", false, {"--begins", "trojan"}},
        {"ends", false, {"--ends", ".gen"}},
        {"complete", false, {"--complete", "no_virus"}},
        {"some products", false, {"--products", "3,1,20", "agent"}},
        {"some products, begins", false, {"--products", "5,40", "--begins", "w32"}},
        {"across a bar", false, {"NO_VIRUS|NO_VIRUS"}},
        {"accented letter", false, {"\xc3\xa9"}},
        {"nothing found", false, {"zzqqzz"}},
        {"underscore", false, {"o_v"}},
        {"lines of a family", false, {"--family-is", "vobfus"}},
        {"past the last product", true, {"extra"}},
        {"past the last product, begins", true, {"--begins", "extra.p"}},
        {"past the last product, some products", true, {"--products", "1,2", "extra"}},
        {"runs of bars", true, {"--products", "2", "--complete", "b_mark"}},
        {"underscore is no wildcard", true, {"--products", "2", "b_m"}},
        {"percent", true, {"0%o"}},
        {"backslash", true, {"\\"}},
        {"begins, found again later", true, {"--begins", "ab"}},
        {"ends, first occurrence only", true, {"--ends", "ab"}},
        {"complete, in several fields", true, {"--complete", "ab"}},
        {"across a bar, some products", true, {"--products", "1", "b|q"}},
        {"accented, lower case", true, {"\xc3\xa9"}},
        {"accented, upper case", true, {"\xc3\x89t"}},
        {"accented, ends", true, {"--ends", ".\xc3\xa9"}},
        {"non-letters are exact", true, {"A@B"}},
    };
    const QList<QStringList> formats{{"--count"},
                                     {"--indices"},
                                     {"--tsv"},
                                     {"--csv"},
                                     {"--json"},
                                     {"--names-by-product"},
                                     {"--family", "--json"}};
    for (const Case& c : cases) {
        for (const QStringList& format : formats) {
            QTest::addRow("%s%s, %s", c.crafted ? "crafted: " : "", c.name,
                          qPrintable(format.join(' ')))
                << c.crafted << format + c.args;
        }
    }
    QTest::newRow("products list") << false << QStringList{"--products-list"};
    QTest::newRow("crafted: products list") << true << QStringList{"--products-list"};
}

void TestServerSearch::answersAsTheFiles() {
    QFETCH(bool, crafted);
    QFETCH(QStringList, args);
    const Run file =
        runCli(QStringList{"--dir", crafted ? m_crafted.path() : NOMIX_SAMPLE_DIR} + args);
    const Run server =
        runCli(QStringList{"--server",
                           QString::fromStdString(crafted ? urlOf("crafted") : m_server->url())} +
               args);
    QVERIFY2(file.exitCode == 0 || file.exitCode == 1, file.err.constData());
    QVERIFY2(server.err.isEmpty(), server.err.constData());
    QCOMPARE(server.out, file.out);
    QCOMPARE(server.exitCode, file.exitCode);
}

void TestServerSearch::aStringInVeryManyNamesAnswersAsTheFiles_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("every line") << QStringList{"--count", "wide."};
    QTest::newRow("some products") << QStringList{"--products", "2", "--indices", "e."};
    QTest::newRow("begins, every line") << QStringList{"--begins", "--tsv", "wide."};
}

void TestServerSearch::aStringInVeryManyNamesAnswersAsTheFiles() {
    QFETCH(QStringList, args);
    const Run file = runCli(QStringList{"--dir", m_wide.path()} + args);
    const Run server =
        runCli(QStringList{"--server", QString::fromStdString(urlOf("wide"))} + args);
    QVERIFY2(server.err.isEmpty(), server.err.constData());
    QCOMPARE(server.out, file.out);
    QCOMPARE(server.exitCode, file.exitCode);
}

void TestServerSearch::anUnreachableServerIsNamed() {
    QString url = QString::fromStdString(m_server->url()).replace("port=5432", "port=5433");
    url.replace("postgresql://", "postgresql://nomix:secret@");
    const Run run = runCli({"--server", url, "--count", "trojan"});
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.startsWith("nomix95-cli: cannot reach the database server at /tmp/"),
             run.err.constData());
    QVERIFY2(run.err.contains(":5433/nomix: "), run.err.constData());
    QVERIFY(!run.err.contains("secret"));
}

void TestServerSearch::aDatabaseWithoutDataIsTold() {
    const Run run = runCli({"--server", QString::fromStdString(urlOf("empty")), "trojan"});
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.endsWith(":5432/empty holds no name database yet\n"), run.err.constData());
}

// Hits come in batches; a stop asked for between them keeps the hits so far.
void TestServerSearch::aStopEndsTheSearch() {
    ServerConnection connection(m_server->url());
    nomix::SearchRequest request;
    request.text = "NO_VIRUS";
    request.columnCount = 74;
    request.selected.assign(74, true);
    int asked = 0;
    int64_t handed = 0;
    const auto onHit = [&handed](uint64_t, std::string_view) { ++handed; };
    const nomix::ServerSearchOutcome stopped =
        nomix::searchServer(connection, request, onHit, [&asked] { return ++asked == 1; });
    QVERIFY(stopped.stopped);
    QCOMPARE(stopped.hitCount, 0);
    QCOMPARE(handed, 0);
    asked = 0;
    const nomix::ServerSearchOutcome afterOneBatch =
        nomix::searchServer(connection, request, onHit, [&asked] { return ++asked == 2; });
    QVERIFY(afterOneBatch.stopped);
    QCOMPARE(afterOneBatch.hitCount, 500); // the sample's lines fit in one batch
    QCOMPARE(handed, 500);
}

void TestServerSearch::aLostConnectionIsTold() {
    ServerConnection connection(m_server->url());
    nomix::SearchRequest request;
    request.text = "trojan";
    const auto pullTheCable = [this] {
        m_server->stop();
        return false;
    };
    try {
        nomix::searchServer(connection, request, {}, pullTheCable);
        QFAIL("the search went on");
    } catch (const nomix::ServerError& error) {
        QVERIFY2(QString(error.what())
                     .startsWith("lost the connection to the database server at " +
                                 QString::fromStdString(m_server->serverName())),
                 error.what());
    }
    m_server->start();
}

QTEST_GUILESS_MAIN(TestServerSearch)
#include "tst_serversearch.moc"
