// SPDX-License-Identifier: MIT
// The desktop program searching a team database: the same rows as the file
// search, a search that can be stopped, and a server that goes away named in
// a message while the grid keeps what came.

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
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace nomix;
using namespace userinput;

namespace {

// Enough lines for a search of many batches: each line is a hit of "many"
// and has a name of its own.
constexpr int kManyLines = 30000;

QString counterText(int count) {
    return QStringLiteral("%1").arg(count, 5, 10, QLatin1Char('0'));
}

} // namespace

class TestDesktopServer : public MainWindowTest {
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup();

    void serverGivesTheFileSearchRows_data();
    void serverGivesTheFileSearchRows();
    void settingsKeepNoPassword();
    void escapeStopsALongSearch();
    void lostServerIsNamedAndTheGridStays_data();
    void lostServerIsNamedAndTheGridStays();

  private:
    void fillServer(const QString& folder);
    void startOnServer();
    void typeServerUrl(const QString& url);
    QStringList rows() const;
    QStringList families() const;
    // Runs `step` once, while a search runs, as soon as its first rows show.
    void onFirstRows(std::function<void()> step);

    std::unique_ptr<PrivateServer> server_;
    QTemporaryDir manyLines_;
    QString filledFrom_;
    bool serverDown_ = false;
};

void TestDesktopServer::initTestCase() {
    startFixture();
    server_ = std::make_unique<PrivateServer>();
    // Many short lines, with the sample's products.
    const std::string table = fixture_->dataDir().toStdString() + "/NOMIX.CFG";
    const size_t products = readProductTable(table, "NOMIX.CFG").entries.size();
    QVERIFY(QFile::copy(fixture_->dataDir() + "/NOMIX.CFG", manyLines_.filePath("NOMIX.CFG")));
    QFile data(manyLines_.filePath("NOMIX.DAT"));
    QVERIFY(data.open(QIODevice::WriteOnly));
    for (int k = 0; k < kManyLines; ++k) {
        QByteArray line = "|Many|Line." + QByteArray::number(k);
        for (size_t p = 2; p < products; ++p) {
            line += "|-";
        }
        data.write(line + "|\r\n");
    }
    fillServer(fixture_->dataDir());
}

void TestDesktopServer::init() {
    MessageBox::clearShown();
    MessageBox::setAutoAnswer(true);
}

void TestDesktopServer::cleanup() {
    closeWindow();
    if (serverDown_) {
        server_->start();
        serverDown_ = false;
    }
}

void TestDesktopServer::fillServer(const QString& folder) {
    if (filledFrom_ != folder) {
        ServerConnection connection(server_->url());
        replaceServerData(connection, folder.toStdString());
        filledFrom_ = folder;
    }
}

// The settings file names the server, as a former run saved it.
void TestDesktopServer::startOnServer() {
    StoredSettings stored = unattendedSettings(fixture_->dataDir().toStdString());
    stored.serverUrl = server_->url();
    writeSettingsFile(fixture_->settingsFile().toStdString(), stored);
    startForm();
    QVERIFY(databaseLoaded());
}

// A click on the Preferences tab and on the box, as the user reaches it.
void TestDesktopServer::typeServerUrl(const QString& url) {
    QTabBar* tabs = find<QTabWidget>("pages")->tabBar();
    clickAt(tabs, tabs->tabRect(1).center());
    clickAt(find<QWidget>("serverEdit"));
    QCOMPARE(focusTarget(), find<QWidget>("serverEdit"));
    pressKey(Qt::Key_A, Qt::ControlModifier);
    pressKey(Qt::Key_Delete);
    typeText(url);
    clickAt(tabs, tabs->tabRect(0).center());
}

QStringList TestDesktopServer::rows() const {
    QStringList shown;
    for (int row = 0; row < results()->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < results()->columnCount(); ++column) {
            const std::string_view field = results()->fieldAt(row, column);
            cells << QString::fromLatin1(field.data(), qsizetype(field.size()));
        }
        shown << cells.join(QLatin1Char('|'));
    }
    return shown;
}

QStringList TestDesktopServer::families() const {
    QStringList shown;
    for (int row = 0; row < results()->rowCount(); ++row) {
        const std::string_view family = results()->familyAt(row);
        shown << QString::fromLatin1(family.data(), qsizetype(family.size()));
    }
    return shown;
}

void TestDesktopServer::onFirstRows(std::function<void()> step) {
    auto* poll = new QTimer(this);
    poll->setInterval(2);
    connect(poll, &QTimer::timeout, this, [this, poll, step] {
        if (controller()->state() == SearchController::State::Searching &&
            results()->rowCount() > 0) {
            poll->stop();
            poll->deleteLater();
            step();
        }
    });
    poll->start();
}

void TestDesktopServer::serverGivesTheFileSearchRows_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("many hits") << "trojan";
    QTest::newRow("a few") << "virut";
    QTest::newRow("none") << "no-such-name";
}

// The URL typed into the Preferences takes the search to the server, which
// fills the grid, the counter and the families as the files did; an empty
// box takes it back to the files.
void TestDesktopServer::serverGivesTheFileSearchRows() {
    QFETCH(QString, text);
    MessageBox::setAutoAnswer(true);
    fixture_->writeSettings(fixture_->dataDir());
    startForm();
    search(text);
    const QStringList fileRows = rows();
    const QString fileCounter = ledText();
    QTRY_VERIFY(results()->familiesKnown());
    const QStringList fileFamilies = families();

    typeServerUrl(QString::fromStdString(server_->url()));
    search(text);
    QVERIFY2(MessageBox::shown().isEmpty(), qPrintable(MessageBox::shown().value(0).text));
    QCOMPARE(rows(), fileRows);
    QCOMPARE(ledText(), fileCounter);
    QTRY_VERIFY(results()->familiesKnown());
    QCOMPARE(families(), fileFamilies);
    if (text == QLatin1String("trojan") && qEnvironmentVariableIsSet("NOMIX_SERVER_SHOT")) {
        form_->grab().save(qEnvironmentVariable("NOMIX_SERVER_SHOT"));
    }

    typeServerUrl(QString());
    search(text);
    QCOMPARE(rows(), fileRows);
}

// A password typed into the URL serves this run; the file keeps the URL
// without it, and the next start reaches the server with what was kept.
void TestDesktopServer::settingsKeepNoPassword() {
    startOnServer();
    const QString url = QString::fromStdString(server_->url()) + "&password=s3cret";
    typeServerUrl(url);
    search(QStringLiteral("virut"));
    QVERIFY(results()->rowCount() > 0);
    QVERIFY(form_->close());
    QFile file(fixture_->settingsFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    QVERIFY(!saved.contains("s3cret"));
    QVERIFY(saved.contains("\"ServerURL\"="));

    closeWindow();
    startForm();
    QCOMPARE(find<QLineEdit>("serverEdit")->text(), QString::fromStdString(server_->url()));
    search(QStringLiteral("virut"));
    QVERIFY(results()->rowCount() > 0);
}

// Esc, once the first hits show, ends the search before the server sent
// them all; the grid and the counter hold what came.
void TestDesktopServer::escapeStopsALongSearch() {
    fillServer(manyLines_.path());
    startOnServer();
    int rowsWhenPressed = 0;
    onFirstRows([&] {
        rowsWhenPressed = results()->rowCount();
        pressKey(Qt::Key_Escape);
    });
    search(QStringLiteral("many"));
    QVERIFY(rowsWhenPressed > 0);
    QCOMPARE(controller()->state(), SearchController::State::Idle);
    QVERIFY(hitCount() < kManyLines);
    QCOMPARE(results()->rowCount(), hitCount());
    QCOMPARE(ledText(), counterText(hitCount()));
    QVERIFY(find<QPushButton>("searchButton")->isEnabled());
    QVERIFY(MessageBox::shown().isEmpty());
}

void TestDesktopServer::lostServerIsNamedAndTheGridStays_data() {
    QTest::addColumn<bool>("midSearch");
    QTest::newRow("down before the search") << false;
    QTest::newRow("lost during the search") << true;
}

// The message names the server; the rows that came stay, the window takes
// input again, and once the server is back the next search reaches it.
void TestDesktopServer::lostServerIsNamedAndTheGridStays() {
    QFETCH(bool, midSearch);
    fillServer(manyLines_.path());
    startOnServer();
    if (midSearch) {
        onFirstRows([this] {
            server_->stop();
            serverDown_ = true;
        });
    } else {
        server_->stop();
        serverDown_ = true;
    }
    search(QStringLiteral("many"));
    QCOMPARE(MessageBox::shown().size(), 1);
    const QString message = MessageBox::shown().first().text;
    QVERIFY2(message.contains(QString::fromStdString(server_->serverName())), qPrintable(message));
    QCOMPARE(results()->rowCount() > 0, midSearch);
    QVERIFY(hitCount() < kManyLines);
    QCOMPARE(results()->rowCount(), hitCount());
    QCOMPARE(controller()->state(), SearchController::State::Idle);
    QVERIFY(find<QWidget>("searchBox")->isEnabled());

    server_->start();
    serverDown_ = false;
    MessageBox::clearShown();
    search(QStringLiteral("line.29999"));
    QVERIFY(MessageBox::shown().isEmpty());
    QCOMPARE(results()->rowCount(), 1);
}

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
