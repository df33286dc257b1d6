// SPDX-License-Identifier: MIT
#include "controls/clicksorter.h"
#include "controls/trayicon.h"
#include "controls/trayiconerror.h"

#include <QApplication>
#include <QMenu>
#include <QProcess>
#include <QSignalSpy>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTest>
#include <QWidget>

#include <memory>

using nomix::ClickSorter;
using nomix::TrayIcon;
using nomix::TrayIconError;

namespace {

QImage imageOf(const QIcon& icon) {
    return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
}

QIcon redIcon() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::red);
    return QIcon(pixmap);
}

// The toolkit's own window in the notification area, which receives the
// mouse; it is the one top-level widget of that class.
QWidget* trayWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (QByteArray(widget->metaObject()->className()) == "QSystemTrayIconSys") {
            return widget;
        }
    }
    return nullptr;
}

QMenu* visibleMenu() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* menu = qobject_cast<QMenu*>(widget); menu && menu->isVisible()) {
            return menu;
        }
    }
    return nullptr;
}

} // namespace

class TestTrayIcon : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void ownerMustBeAWindow();
    void iconShowsInTrayAndGoes();
    void emptyIconShowsStockIcon();
    void tipIsCut_data();
    void tipIsCut();

    void clickIsReportedAfterDoubleClickTime();
    void doubleClickIsNoClick();
    void rightClickPopsUpMenu();
    void destroyedMenuIsForgotten();

  private:
    QWidget* embeddedTrayWindow();

    QProcess trayHost_;
    std::unique_ptr<QWidget> owner_;
    TrayIcon* icon_ = nullptr;
};

void TestTrayIcon::initTestCase() {
    trayHost_.start(QStringLiteral("trayer"), {QStringLiteral("--edge"), QStringLiteral("top")});
    QVERIFY2(trayHost_.waitForStarted(5000), "trayer could not be started");
    QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10000);
}

void TestTrayIcon::cleanupTestCase() {
    trayHost_.kill();
    trayHost_.waitForFinished(5000);
}

void TestTrayIcon::init() {
    owner_ = std::make_unique<QWidget>();
    owner_->setObjectName(QStringLiteral("MainForm"));
    owner_->show();
    icon_ = new TrayIcon(owner_.get());
    icon_->setObjectName(QStringLiteral("trayIcon"));
}

void TestTrayIcon::cleanup() {
    owner_.reset(); // takes the icon with it
    icon_ = nullptr;
}

QWidget* TestTrayIcon::embeddedTrayWindow() {
    icon_->setVisible(true);
    auto* tray = icon_->findChild<QSystemTrayIcon*>(QStringLiteral("TrayIcon"));
    if (!tray) {
        return nullptr;
    }
    // Embedding by the tray host gives the icon its place on the screen.
    if (!QTest::qWaitFor([tray] { return !tray->geometry().isEmpty(); }, 10000)) {
        return nullptr;
    }
    return trayWindow();
}

void TestTrayIcon::ownerMustBeAWindow() {
    QWidget child(owner_.get());
    for (QWidget* owner : {static_cast<QWidget*>(nullptr), &child}) {
        try {
            TrayIcon icon(owner);
            QFAIL("a tray icon without a window was accepted");
        } catch (const TrayIconError& error) {
            QCOMPARE(QString::fromStdString(error.what()), QStringLiteral("Owner must be a TForm"));
        }
    }
}

void TestTrayIcon::iconShowsInTrayAndGoes() {
    QVERIFY(embeddedTrayWindow() != nullptr);
    auto* tray = icon_->findChild<QSystemTrayIcon*>(QStringLiteral("TrayIcon"));
    QVERIFY(tray->isVisible());
    icon_->setVisible(false);
    QVERIFY(!tray->isVisible());
    QTRY_VERIFY(trayWindow() == nullptr);
}

void TestTrayIcon::emptyIconShowsStockIcon() {
    auto* tray = icon_->findChild<QSystemTrayIcon*>(QStringLiteral("TrayIcon"));
    const QImage stock =
        imageOf(QApplication::style()->standardIcon(QStyle::SP_TitleBarMenuButton));
    QVERIFY(!stock.isNull());
    QCOMPARE(imageOf(tray->icon()), stock);

    icon_->setIcon(redIcon());
    QCOMPARE(imageOf(tray->icon()), imageOf(redIcon()));

    icon_->setIcon(QIcon());
    QCOMPARE(imageOf(tray->icon()), stock);
}

void TestTrayIcon::tipIsCut_data() {
    QTest::addColumn<QString>("hint");
    QTest::addColumn<QString>("tip");
    const QString seventy = QString(70, QLatin1Char('x'));
    QTest::newRow("70 characters") << seventy << seventy.left(63);
    QTest::newRow("64 characters") << seventy.left(64) << seventy.left(63);
    QTest::newRow("63 characters") << seventy.left(63) << seventy.left(63);
    QTest::newRow("short") << "Nomix95"
                           << "Nomix95";
    QTest::newRow("ends at a NUL") << QStringLiteral("Nomix95\0tail") << "Nomix95";
    QTest::newRow("empty") << QString() << QString();
    const QString virusEmoji = QString::fromUtf8("\xF0\x9F\xA6\xA0");
    const QString sixtyTwo = seventy.left(62);
    QTest::newRow("two-unit character not split")
        << sixtyTwo + virusEmoji + QStringLiteral("tail") << sixtyTwo;
    QTest::newRow("two-unit character kept whole")
        << seventy.left(61) + virusEmoji + QStringLiteral("tail") << seventy.left(61) + virusEmoji;
}

void TestTrayIcon::tipIsCut() {
    QFETCH(QString, hint);
    QFETCH(QString, tip);
    auto* tray = icon_->findChild<QSystemTrayIcon*>(QStringLiteral("TrayIcon"));
    icon_->setToolTip(QStringLiteral("something else"));
    icon_->setToolTip(hint);
    QCOMPARE(icon_->toolTip(), hint);
    QCOMPARE(tray->toolTip(), tip);
}

void TestTrayIcon::clickIsReportedAfterDoubleClickTime() {
    QWidget* tray = embeddedTrayWindow();
    QVERIFY(tray);
    QSignalSpy clicks(icon_, &TrayIcon::clicked);
    QSignalSpy doubleClicks(icon_, &TrayIcon::doubleClicked);
    QTest::mouseClick(tray, Qt::LeftButton);
    QCOMPARE(clicks.count(), 0);
    QVERIFY(clicks.wait(5000));
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(doubleClicks.count(), 0);
}

void TestTrayIcon::doubleClickIsNoClick() {
    QWidget* tray = embeddedTrayWindow();
    QVERIFY(tray);
    QSignalSpy clicks(icon_, &TrayIcon::clicked);
    QSignalSpy doubleClicks(icon_, &TrayIcon::doubleClicked);
    QTest::mousePress(tray, Qt::LeftButton);
    QTest::mouseRelease(tray, Qt::LeftButton);
    QTest::mouseDClick(tray, Qt::LeftButton);
    QTest::mouseRelease(tray, Qt::LeftButton);
    QCOMPARE(doubleClicks.count(), 1);
    auto* sorter = icon_->findChild<ClickSorter*>(QStringLiteral("ClickSorter"));
    QTRY_VERIFY(!sorter->isPending());
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(doubleClicks.count(), 1);
}

void TestTrayIcon::rightClickPopsUpMenu() {
    QMenu menu;
    menu.setObjectName(QStringLiteral("NotifyPopupMenu"));
    menu.addAction(QStringLiteral("&Restore"))->setObjectName(QStringLiteral("Restore1"));
    icon_->setContextMenu(&menu);
    QWidget* tray = embeddedTrayWindow();
    QVERIFY(tray);
    QSignalSpy clicks(icon_, &TrayIcon::clicked);
    QTest::mouseClick(tray, Qt::RightButton);
    QTRY_VERIFY(menu.isVisible());
    menu.close();
    QCOMPARE(clicks.count(), 0);
}

void TestTrayIcon::destroyedMenuIsForgotten() {
    auto* menu = new QMenu;
    icon_->setContextMenu(menu);
    QCOMPARE(icon_->contextMenu(), menu);
    delete menu;
    QVERIFY(icon_->contextMenu() == nullptr);
    // The notification area reports the right button, as it does on the icon.
    auto* tray = icon_->findChild<QSystemTrayIcon*>(QStringLiteral("TrayIcon"));
    emit tray->activated(QSystemTrayIcon::Context);
    QVERIFY(visibleMenu() == nullptr);
}

// The tray must be found on the bus-less X11 way, the one trayer serves.
int main(int argc, char** argv) {
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    QApplication app(argc, argv);
    TestTrayIcon test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_trayicon.moc"
