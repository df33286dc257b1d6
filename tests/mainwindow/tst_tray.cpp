// SPDX-License-Identifier: MIT
#include "shared_mainwindowfixture.h"

#include "controls/trayicon.h"
#include "mainwindow/mainwindow.h"
#include "platform/messagebox.h"
#include "platform/settings.h"

#include <QCheckBox>
#include <QProcess>
#include <QSystemTrayIcon>
#include <QTest>

using namespace nomix;

// Minimising to the tray area needs a real X server and a tray host.
class TestTray : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void cleanupTestCase();
    void minimisingFollowsTheOption();

  private:
    QProcess trayHost_;
};

void TestTray::initTestCase() {
    trayHost_.start(QStringLiteral("trayer"), {QStringLiteral("--edge"), QStringLiteral("top")});
    QVERIFY2(trayHost_.waitForStarted(5000), "trayer could not be started");
    QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10000);
}

void TestTray::cleanupTestCase() {
    trayHost_.kill();
    trayHost_.waitForFinished(5000);
}

void TestTray::minimisingFollowsTheOption() {
    MainWindowFixture fixture;
    QVERIFY(fixture.isValid());
    fixture.writeSettings(fixture.dataDir());
    MessageBox::setAutoAnswer(true);
    MainWindow form;
    form.start();
    auto* trayIcon = form.findChild<TrayIcon*>();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    // Without the option, minimising shows no icon.
    form.showMinimized();
    QTRY_VERIFY(form.windowState() & Qt::WindowMinimized);
    QVERIFY(!trayIcon->isVisible());
    form.showNormal();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    // With it, the window leaves the task bar and the icon appears.
    form.findChild<Settings*>()->setValue(nomix::Option::MinimizeToTray, true);
    form.showMinimized();
    QTRY_VERIFY(trayIcon->isVisible());
    QVERIFY(trayIcon->isTaskHidden());

    // A click on the icon brings the window back and removes the icon.
    emit trayIcon->clicked();
    QTRY_VERIFY(form.isVisible() && !(form.windowState() & Qt::WindowMinimized));
    QVERIFY(!trayIcon->isVisible());
    QVERIFY(!trayIcon->isTaskHidden());
}

// The tray is found the bus-less X11 way, the one trayer serves.
int main(int argc, char** argv) {
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    QApplication app(argc, argv);
    TestTray test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_tray.moc"
