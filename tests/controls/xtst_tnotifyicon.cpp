#include "controls/enotifyiconerror.h"
#include "controls/tclicksorter.h"
#include "controls/tnotifyicon.h"

#include <QApplication>
#include <QMenu>
#include <QProcess>
#include <QSignalSpy>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTest>
#include <QWidget>

#include <memory>

using nomix::ENotifyIconError;
using nomix::TClickSorter;
using nomix::TNotifyIcon;

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

class TestNotifyIcon : public QObject {
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
    TNotifyIcon* icon_ = nullptr;
};

void TestNotifyIcon::initTestCase() {
    trayHost_.start(QStringLiteral("trayer"), {QStringLiteral("--edge"), QStringLiteral("top")});
    QVERIFY2(trayHost_.waitForStarted(5000), "trayer could not be started");
    QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10000);
}

void TestNotifyIcon::cleanupTestCase() {
    trayHost_.kill();
    trayHost_.waitForFinished(5000);
}

void TestNotifyIcon::init() {
    owner_ = std::make_unique<QWidget>();
    owner_->setObjectName(QStringLiteral("MainForm"));
    owner_->show();
    icon_ = new TNotifyIcon(owner_.get());
    icon_->setObjectName(QStringLiteral("NotifyIcon"));
}

void TestNotifyIcon::cleanup() {
    owner_.reset(); // takes the icon with it
    icon_ = nullptr;
}

QWidget* TestNotifyIcon::embeddedTrayWindow() {
    icon_->SetIconVisible(true);
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

void TestNotifyIcon::ownerMustBeAWindow() {
    QWidget child(owner_.get());
    for (QWidget* owner : {static_cast<QWidget*>(nullptr), &child}) {
        try {
            TNotifyIcon icon(owner);
            QFAIL("a tray icon without a window was accepted");
        } catch (const ENotifyIconError& error) {
            QCOMPARE(QString::fromStdString(error.what()), QStringLiteral("Owner must be a TForm"));
        }
    }
}

void TestNotifyIcon::iconShowsInTrayAndGoes() {
    QVERIFY(embeddedTrayWindow() != nullptr);
    auto* tray = icon_->findChild<QSystemTrayIcon*>(QStringLiteral("TrayIcon"));
    QVERIFY(tray->isVisible());
    icon_->SetIconVisible(false);
    QVERIFY(!tray->isVisible());
    QTRY_VERIFY(trayWindow() == nullptr);
}

void TestNotifyIcon::emptyIconShowsStockIcon() {
    auto* tray = icon_->findChild<QSystemTrayIcon*>(QStringLiteral("TrayIcon"));
    const QImage stock =
        imageOf(QApplication::style()->standardIcon(QStyle::SP_TitleBarMenuButton));
    QVERIFY(!stock.isNull());
    QCOMPARE(imageOf(tray->icon()), stock);

    icon_->SetIcon(redIcon());
    QCOMPARE(imageOf(tray->icon()), imageOf(redIcon()));

    icon_->SetIcon(QIcon());
    QCOMPARE(imageOf(tray->icon()), stock);
}

void TestNotifyIcon::tipIsCut_data() {
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

void TestNotifyIcon::tipIsCut() {
    QFETCH(QString, hint);
    QFETCH(QString, tip);
    auto* tray = icon_->findChild<QSystemTrayIcon*>(QStringLiteral("TrayIcon"));
    icon_->SetHint(QStringLiteral("something else"));
    icon_->SetHint(hint);
    QCOMPARE(icon_->Hint(), hint);
    QCOMPARE(tray->toolTip(), tip);
}

void TestNotifyIcon::clickIsReportedAfterDoubleClickTime() {
    QWidget* tray = embeddedTrayWindow();
    QVERIFY(tray);
    QSignalSpy clicks(icon_, &TNotifyIcon::OnClick);
    QSignalSpy doubleClicks(icon_, &TNotifyIcon::OnDblClick);
    QTest::mouseClick(tray, Qt::LeftButton);
    QCOMPARE(clicks.count(), 0);
    QVERIFY(clicks.wait(5000));
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(doubleClicks.count(), 0);
}

void TestNotifyIcon::doubleClickIsNoClick() {
    QWidget* tray = embeddedTrayWindow();
    QVERIFY(tray);
    QSignalSpy clicks(icon_, &TNotifyIcon::OnClick);
    QSignalSpy doubleClicks(icon_, &TNotifyIcon::OnDblClick);
    QTest::mousePress(tray, Qt::LeftButton);
    QTest::mouseRelease(tray, Qt::LeftButton);
    QTest::mouseDClick(tray, Qt::LeftButton);
    QTest::mouseRelease(tray, Qt::LeftButton);
    QCOMPARE(doubleClicks.count(), 1);
    auto* sorter = icon_->findChild<TClickSorter*>(QStringLiteral("ClickSorter"));
    QTRY_VERIFY(!sorter->Pending());
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(doubleClicks.count(), 1);
}

void TestNotifyIcon::rightClickPopsUpMenu() {
    QMenu menu;
    menu.setObjectName(QStringLiteral("NotifyPopupMenu"));
    menu.addAction(QStringLiteral("&Restore"))->setObjectName(QStringLiteral("Restore1"));
    icon_->SetPopupMenu(&menu);
    QWidget* tray = embeddedTrayWindow();
    QVERIFY(tray);
    QSignalSpy clicks(icon_, &TNotifyIcon::OnClick);
    QTest::mouseClick(tray, Qt::RightButton);
    QTRY_VERIFY(menu.isVisible());
    menu.close();
    QCOMPARE(clicks.count(), 0);
}

void TestNotifyIcon::destroyedMenuIsForgotten() {
    auto* menu = new QMenu;
    icon_->SetPopupMenu(menu);
    QCOMPARE(icon_->PopupMenu(), menu);
    delete menu;
    QVERIFY(icon_->PopupMenu() == nullptr);
    icon_->TrayActivated(QSystemTrayIcon::Context);
    QVERIFY(visibleMenu() == nullptr);
}

// The tray must be found on the bus-less X11 way, the one trayer serves.
int main(int argc, char** argv) {
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    QApplication app(argc, argv);
    TestNotifyIcon test;
    return QTest::qExec(&test, argc, argv);
}

#include "xtst_tnotifyicon.moc"
