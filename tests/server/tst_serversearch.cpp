// SPDX-License-Identifier: MIT
// The search of a team database answers as the search of the files it was
// loaded from: nomix95-cli --server against nomix95-cli --dir.

#include "server/privateserver.h"

#include "core/fields.h"
#include "core/producttable.h"
#include "core/server/copystream.h"
#include "core/server/serverconnection.h"
#include "core/server/servererror.h"
#include "core/server/serverschema.h"
#include "core/server/serversearch.h"
#include "core/server/servertransaction.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <memory>

using nomix::ServerConnection;

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

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The folder's two files into the tables, as the design of the team database
// has them: each line as the file holds it, each non-empty field's name once,
// and where it stands, numbered as the search numbers the columns.
void loadFolder(const std::string& url, const QString& folder) {
    ServerConnection connection(url);
    nomix::ServerTransaction transaction(connection);
    nomix::ensureSchema(connection);
    const QByteArray tableBytes = readAll(folder + "/NOMIX.CFG");
    const nomix::ProductTable table =
        nomix::parseProductTable(tableBytes.toStdString(), size_t(tableBytes.size()));
    connection.exec("INSERT INTO nomix.meta VALUES ('label', $1)", {table.label});
    {
        nomix::CopyStream products(connection, "COPY nomix.products FROM STDIN");
        for (size_t i = 0; i < table.entries.size(); ++i) {
            products.number(int64_t(i)).text(table.entries[i]).endRow();
        }
        products.finish();
    }
    QList<QByteArray> lines = readAll(folder + "/NOMIX.DAT").split('\n');
    if (lines.last().isEmpty()) {
        lines.removeLast();
    }
    std::map<std::string, int64_t> names;
    nomix::CopyStream lineRows(connection, "COPY nomix.lines (position, line) FROM STDIN");
    nomix::CopyStream fieldRows(connection, "COPY nomix.fields FROM STDIN");
    for (qsizetype position = 0; position < lines.size(); ++position) {
        QByteArray line = lines[position];
        line.chop(1); // the CR
        lineRows.number(position).text(line.toStdString()).endRow();
        const std::string text = line.mid(1, line.size() - 2).toStdString();
        std::map<std::pair<int64_t, int32_t>, bool> stored;
        for (int32_t column = 0;; ++column) {
            const std::string_view name = nomix::fieldViewByChar(column + 1, text, '|');
            if (name.empty()) {
                break;
            }
            const int64_t id =
                names.emplace(std::string(name), int64_t(names.size()) + 1).first->second;
            if (!stored[{id, column}]) {
                stored[{id, column}] = true;
                fieldRows.number(id).number(position).number(column).endRow();
            }
        }
    }
    lineRows.finish();
    fieldRows.finish();
    nomix::CopyStream nameRows(connection, "COPY nomix.names FROM STDIN");
    for (const auto& [name, id] : names) {
        nameRows.number(id).text(name).text(
            QByteArray::fromStdString(name).toUpper().toStdString());
        nameRows.endRow();
    }
    nameRows.finish();
    transaction.commit();
}

// A small database of three products with what the sample lacks: a name past
// the last product, runs of bars, names holding LIKE's wildcards and escape,
// and accented letters in Windows-1252.
const QByteArray kCraftedTable = "Crafted|First 1.0 01/24|Second 2.0 02/24|Third 3.0 03/24\r\n";
const QByteArray kCraftedLines = "|Trojan.A|W32/Abc|NO_VIRUS|Extra.Past|\r\n"
                                 "|A||B_Mark|x|\r\n"
                                 "|50%off|AxB_Mark|C:\\temp\\dropper|\r\n"
                                 "|\xc9t\xe9.Virus|d\xe9j\xe0|NO_VIRUS|\r\n"
                                 "|NO_VIRUS|NO_VIRUS|NO_VIRUS|\r\n"
                                 "|Agent.\xe9|AGENT.\xc9|trojan|\r\n";

} // namespace

class TestServerSearch : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void cleanupTestCase() { m_server.reset(); }
    void answersAsTheFiles_data();
    void answersAsTheFiles();
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
};

void TestServerSearch::initTestCase() {
    m_server = std::make_unique<PrivateServer>();
    ServerConnection admin(m_server->url());
    for (const char* database : {"crafted", "empty"}) {
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
}

void TestServerSearch::answersAsTheFiles_data() {
    QTest::addColumn<bool>("crafted");
    QTest::addColumn<QStringList>("args");
    const auto sample = [](const char* name, const QStringList& args) {
        QTest::newRow(name) << false << args;
    };
    const auto crafted = [](const char* name, const QStringList& args) {
        QTest::addRow("crafted: %s", name) << true << args;
    };
    sample("contains, tsv", {"trojan"});
    sample("upper case, csv", {"--csv", "TROJAN"});
    sample("json", {"--json", "zbot"});
    sample("count", {"--count", "win32"});
    sample("begins", {"--begins", "--indices", "trojan"});
    sample("ends", {"--ends", "--tsv", ".gen"});
    sample("complete", {"--complete", "--count", "no_virus"});
    sample("some products", {"--products", "3,1,20", "agent"});
    sample("some products, begins", {"--products", "5,40", "--begins", "--json", "w32"});
    sample("spanning a bar", {"--indices", "NO_VIRUS|NO_VIRUS"});
    sample("accented letter", {"--count", "\xc3\xa9"});
    sample("nothing found", {"--json", "zzqqzz"});
    sample("underscore", {"--count", "o_v"});
    sample("names by product", {"--names-by-product", "zbot"});
    sample("families", {"--family", "--csv", "zbot"});
    sample("lines of a family", {"--family-is", "vobfus", "--indices"});
    sample("products list", {"--products-list"});
    crafted("past the last product", {"--indices", "extra"});
    crafted("past the last product, begins", {"--begins", "--indices", "extra.p"});
    crafted("past the last product, some products", {"--products", "1,2", "--indices", "extra"});
    crafted("runs of bars", {"--products", "2", "--complete", "--indices", "b_mark"});
    crafted("underscore is no wildcard", {"--products", "2", "--tsv", "b_m"});
    crafted("percent", {"--indices", "0%o"});
    crafted("backslash", {"--csv", "\\"});
    crafted("accented, lower case", {"--tsv", "\xc3\xa9"});
    crafted("accented, upper case", {"--json", "\xc3\x89t"});
    crafted("accented, ends", {"--ends", "--indices", ".\xc3\xa9"});
    crafted("products list", {"--products-list"});
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
