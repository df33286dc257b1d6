// SPDX-License-Identifier: MIT
// The desktop program searching a team database: the file search's rows, a
// password that is not saved, and a search that is stopped or loses its
// server keeping what came.

#include "mainwindow/shared_mainwindowtest.h"
#include "mainwindow/shared_userinput.h"
#include "server/privateserver.h"

#include "bench/settingsfile.h"
#include "core/producttable.h"
#include "core/server/serverconnection.h"
#include "core/server/serverloader.h"
#include "mainwindow/resultsmodel.h"
#include "mainwindow/searchcontroller.h"
#include "platform/messagebox.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <utility>

using namespace nomix;
using namespace userinput;

// Lines enough for a search of many batches: each is a hit of "many" and
// has a name of its own.
constexpr int kManyLines = 30000;

class TestDesktopServer : public MainWindowTest {
    Q_OBJECT

    std::unique_ptr<PrivateServer> server_;
    QTemporaryDir manyLines_;
    bool serverDown_ = false;
    bool manyLoaded_ = false;

    // The settings file names the server, as a former run saved it.
    void startOnServer() {
        StoredSettings stored = unattendedSettings(fixture_->dataDir().toStdString());
        stored.serverUrl = server_->url();
        writeSettingsFile(fixture_->settingsFile().toStdString(), stored);
        startForm();
        QVERIFY(databaseLoaded());
    }

    void typeServerUrl(const QString& url) {
        QTabBar* tabs = find<QTabWidget>("pages")->tabBar();
        clickAt(tabs, tabs->tabRect(1).center());
        clickAt(find<QWidget>("serverEdit"));
        pressKey(Qt::Key_A, Qt::ControlModifier);
        pressKey(Qt::Key_Delete);
        typeText(url);
        clickAt(tabs, tabs->tabRect(0).center());
    }

    // Each row's family and cells.
    QStringList shownRows() const {
        const auto text = [](std::string_view bytes) {
            return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
        };
        QStringList shown;
        for (int row = 0; row < results()->rowCount(); ++row) {
            QString line = text(results()->familyAt(row));
            for (int column = 0; column < results()->columnCount(); ++column) {
                line += '|' + text(results()->fieldAt(row, column));
            }
            shown << line;
        }
        return shown;
    }

  private slots:
    void initTestCase() {
        startFixture();
        server_ = std::make_unique<PrivateServer>();
        ServerConnection connection(server_->url());
        replaceServerData(connection, fixture_->dataDir().toStdString());
        const QString table = fixture_->dataDir() + "/NOMIX.CFG";
        QVERIFY(QFile::copy(table, manyLines_.filePath("NOMIX.CFG")));
        const size_t products = readProductTable(table.toStdString(), "").entries.size();
        QFile data(manyLines_.filePath("NOMIX.DAT"));
        QVERIFY(data.open(QIODevice::WriteOnly));
        for (int k = 0; k < kManyLines; ++k) {
            data.write("|Many|Line." + QByteArray::number(k) +
                       QByteArray("|-").repeated(qsizetype(products) - 2) + "|\r\n");
        }
    }

    void init() {
        MessageBox::clearShown();
        MessageBox::setAutoAnswer(true);
    }

    void cleanup() {
        closeWindow();
        if (std::exchange(serverDown_, false)) {
            server_->start();
        }
    }

    void serverGivesTheFileSearchRows_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("many hits") << "trojan";
        QTest::newRow("a few") << "virut";
        QTest::newRow("none") << "no-such-name";
    }

    // The URL typed into the Preferences takes the search to the server,
    // whose rows, families and count are the files'; an empty box takes it
    // back to the files.
    void serverGivesTheFileSearchRows() {
        QFETCH(QString, text);
        fixture_->writeSettings(fixture_->dataDir());
        startForm();
        search(text);
        QTRY_VERIFY(results()->familiesKnown());
        const QStringList fileRows = shownRows();
        const QString fileCounter = ledText();

        typeServerUrl(QString::fromStdString(server_->url()));
        search(text);
        QVERIFY2(MessageBox::shown().isEmpty(), qPrintable(MessageBox::shown().value(0).text));
        QTRY_VERIFY(results()->familiesKnown());
        QCOMPARE(shownRows(), fileRows);
        QCOMPARE(ledText(), fileCounter);
        if (text == QLatin1String("trojan") && qEnvironmentVariableIsSet("NOMIX_SERVER_SHOT")) {
            form_->grab().save(qEnvironmentVariable("NOMIX_SERVER_SHOT"));
        }
        typeServerUrl(QString());
        search(text);
        QTRY_VERIFY(results()->familiesKnown());
        QCOMPARE(shownRows(), fileRows);
    }

    // A password typed into the URL serves this run only.
    void settingsKeepNoPassword() {
        startOnServer();
        typeServerUrl(QString::fromStdString(server_->url()) + "&password=s3cret");
        search(QStringLiteral("virut"));
        QVERIFY(results()->rowCount() > 0);
        QVERIFY(form_->close());
        QFile file(fixture_->settingsFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray saved = file.readAll();
        QVERIFY(saved.contains("\"ServerURL\"=\"postgresql:///nomix?"));
        QVERIFY(!saved.contains("s3cret"));
    }

    void interruptedSearchKeepsWhatCame_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Esc during the search") << "esc";
        QTest::newRow("server lost midway") << "lost";
        QTest::newRow("server down before") << "down";
    }

    // What came before the end stays in the grid and the counter; a lost
    // server is named in a message and reached again once it is back.
    void interruptedSearchKeepsWhatCame() {
        QFETCH(QString, how);
        if (!std::exchange(manyLoaded_, true)) {
            ServerConnection connection(server_->url());
            replaceServerData(connection, manyLines_.path().toStdString());
        }
        startOnServer();
        const auto interrupt = [this, how] {
            if (how == QLatin1String("esc")) {
                pressKey(Qt::Key_Escape);
            } else {
                server_->stop();
                serverDown_ = true;
            }
        };
        auto* poll = new QTimer(this);
        // As soon as the search runs: its lines take many batches, while a
        // wait for the first rows in the grid could outlast a fast search.
        connect(poll, &QTimer::timeout, this, [this, poll, interrupt] {
            if (controller()->state() == SearchController::State::Searching) {
                poll->deleteLater();
                interrupt();
            }
        });
        if (how == QLatin1String("down")) {
            interrupt();
        } else {
            poll->start(2);
        }
        search(QStringLiteral("many"));
        QCOMPARE(controller()->state(), SearchController::State::Idle);
        if (how == QLatin1String("down")) {
            QCOMPARE(results()->rowCount(), 0);
        }
        QCOMPARE(results()->rowCount(), hitCount());
        QVERIFY(hitCount() < kManyLines);
        QCOMPARE(ledText(), QStringLiteral("%1").arg(hitCount(), 5, 10, QLatin1Char('0')));
        QVERIFY(find<QWidget>("searchBox")->isEnabled());
        if (how == QLatin1String("esc")) {
            QVERIFY(MessageBox::shown().isEmpty());
            return;
        }
        QCOMPARE(MessageBox::shown().size(), 1);
        const QString message = MessageBox::shown().first().text;
        QVERIFY2(message.contains(QString::fromStdString(server_->serverName())),
                 qPrintable(message));
        server_->start();
        serverDown_ = false;
        MessageBox::clearShown();
        search(QStringLiteral("line.29999"));
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(results()->rowCount(), 1);
    }
};

int main(int argc, char** argv) {
    // The server's tests have no display: the window draws off screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    TestDesktopServer test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_desktopserver.moc"
