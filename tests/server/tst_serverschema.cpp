// SPDX-License-Identifier: MIT
// The connection to the team database's server and the tables it makes.

#include "server/privateserver.h"

#include "core/server/copystream.h"
#include "core/server/serverconnection.h"
#include "core/server/servererror.h"
#include "core/server/serverschema.h"
#include "core/server/servertransaction.h"

#include <QTest>

#include <memory>

using nomix::ServerConnection;
using nomix::ServerError;

namespace {

std::string tablesOf(ServerConnection& connection) {
    const nomix::ServerResult tables =
        connection.exec("SELECT string_agg(tablename, ',' ORDER BY tablename) FROM pg_tables "
                        "WHERE schemaname = 'nomix'");
    return std::string(tables.text(0, 0));
}

} // namespace

class TestServerSchema : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { m_server = std::make_unique<PrivateServer>(); }
    void cleanupTestCase() { m_server.reset(); }

    void schemaIsMadeOnceAndKeepsData() {
        ServerConnection connection(m_server->url());
        nomix::ensureSchema(connection);
        QCOMPARE(tablesOf(connection), std::string("lines,meta,names,products"));
        connection.exec("INSERT INTO nomix.products VALUES (0, 'SHA-256 1 -')");
        nomix::ensureSchema(connection);
        QCOMPARE(connection.exec("SELECT count(*) FROM nomix.products").number(0, 0), 1);
        connection.run("DROP SCHEMA nomix CASCADE");
    }

    void schemaInARolledBackTransactionLeavesNothing() {
        ServerConnection connection(m_server->url());
        {
            nomix::ServerTransaction transaction(connection);
            nomix::ensureSchema(connection);
        }
        QCOMPARE(tablesOf(connection), std::string());
    }

    void refusedDatabases_data() {
        QTest::addColumn<QByteArray>("setUp");
        QTest::addColumn<QByteArray>("database");
        QTest::addColumn<QString>("message");
        QTest::newRow("another schema version")
            << QByteArray("CREATE SCHEMA nomix; CREATE TABLE nomix.meta (key text PRIMARY KEY, "
                          "value text NOT NULL); INSERT INTO nomix.meta VALUES ('schema', '1')")
            << QByteArray("nomix") << "has tables of schema version 1; this program knows 2";
        QTest::newRow("names in UTF-8")
            << QByteArray("CREATE DATABASE utf ENCODING 'UTF8' LC_COLLATE 'C' LC_CTYPE 'C' "
                          "TEMPLATE template0")
            << QByteArray("utf") << "needs encoding SQL_ASCII and locale C";
    }
    void refusedDatabases() {
        QFETCH(QByteArray, setUp);
        QFETCH(QByteArray, database);
        QFETCH(QString, message);
        {
            ServerConnection admin(m_server->url());
            admin.run(setUp.toStdString());
        }
        std::string url = m_server->url();
        url.replace(url.find("/nomix?"), 7, "/" + database.toStdString() + "?");
        ServerConnection connection(url);
        try {
            nomix::ensureSchema(connection);
            QFAIL("the schema was made");
        } catch (const ServerError& error) {
            QVERIFY2(QString(error.what()).contains(message), error.what());
            QVERIFY2(QString(error.what())
                         .contains(QString::fromStdString(m_server->serverName())
                                       .replace(":5432/nomix", ":5432/" + database)),
                     error.what());
        }
        ServerConnection(m_server->url()).run("DROP SCHEMA IF EXISTS nomix CASCADE");
    }

    void unreachableServersAreNamedWithoutPassword_data() {
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
    void unreachableServersAreNamedWithoutPassword() {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, named);
        QString url = QString::fromStdString(m_server->url()).replace(from, to);
        url.replace("postgresql://", "postgresql://nomix:secret@");
        try {
            ServerConnection connection(url.toStdString());
            QFAIL("connected");
        } catch (const ServerError& error) {
            const QString message = error.what();
            QVERIFY2(message.startsWith("cannot reach the database server at /tmp/"), error.what());
            QVERIFY2(message.contains(named), error.what());
            QVERIFY2(!message.contains("secret"), error.what());
        }
    }

    void textsKeepTheirBytes() {
        ServerConnection connection(m_server->url());
        const std::string bytes = "a\xe4|\t\\\x01\r\nz";
        QCOMPARE(connection.exec("SELECT $1, upper($1)", {bytes}).text(0, 1),
                 std::string_view("A\xe4|\t\\\x01\r\nZ"));
        connection.run("CREATE TEMP TABLE copied (id bigint, value text)");
        {
            nomix::CopyStream copy(connection, "COPY copied (id, value) FROM STDIN");
            copy.number(1).text(bytes).endRow();
            copy.number(2).null().endRow();
            copy.finish();
        }
        const nomix::ServerResult rows = connection.exec("SELECT value FROM copied ORDER BY id");
        QCOMPARE(rows.text(0, 0), std::string_view(bytes));
        QVERIFY(rows.isNull(1, 0));
        {
            nomix::CopyStream copy(connection, "COPY copied (id, value) FROM STDIN");
            QVERIFY_THROWS_EXCEPTION(ServerError, copy.number(3).text(std::string("a\0b", 3)));
        }
        QCOMPARE(connection.exec("SELECT count(*) FROM copied").number(0, 0), 2);
    }

    void aLostConnectionIsTold() {
        ServerConnection connection(m_server->url());
        m_server->stop();
        try {
            connection.exec("SELECT 1");
            QFAIL("the statement ran");
        } catch (const ServerError& error) {
            QVERIFY2(QString(error.what())
                         .startsWith("lost the connection to the database server at " +
                                     QString::fromStdString(m_server->serverName())),
                     error.what());
        }
        m_server->start();
        QCOMPARE(ServerConnection(m_server->url()).exec("SELECT 1").number(0, 0), 1);
    }

  private:
    std::unique_ptr<PrivateServer> m_server;
};

QTEST_GUILESS_MAIN(TestServerSchema)
#include "tst_serverschema.moc"
