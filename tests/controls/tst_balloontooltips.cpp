// SPDX-License-Identifier: MIT
#include "controls/balloontooltips.h"
#include "controls/balloontooltipwindow.h"

#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

#include <memory>

using namespace nomix;

namespace {

// A window with a button that has a tool tip at its lower left, and a label
// far from where the button's balloon appears.
struct Scene {
    QWidget window;
    QPushButton* button = nullptr;
    QLabel* farLabel = nullptr;
    QLabel* plainChild = nullptr;

    Scene() {
        window.setObjectName(QStringLiteral("window"));
        window.setGeometry(40, 40, 600, 420);
        button = new QPushButton(QStringLiteral("Search"), &window);
        button->setObjectName(QStringLiteral("button"));
        button->setGeometry(20, 300, 120, 30);
        button->setToolTip(QStringLiteral("Start the search"));
        farLabel = new QLabel(QStringLiteral("far away"), &window);
        farLabel->setObjectName(QStringLiteral("farLabel"));
        farLabel->setGeometry(450, 380, 100, 20);
        plainChild = new QLabel(QStringLiteral("no tip"), button);
        plainChild->setObjectName(QStringLiteral("plainChild"));
        plainChild->setGeometry(2, 2, 40, 20);
        window.show();
    }

    QPoint ButtonCentreOnScreen() const { return button->mapToGlobal(button->rect().center()); }
};

bool SendToolTip(QWidget* widget, const QPoint& local) {
    QHelpEvent event(QEvent::ToolTip, local, widget->mapToGlobal(local));
    return QApplication::sendEvent(widget, &event);
}

void SendMouseMove(QWidget* widget, const QPoint& local) {
    QMouseEvent event(QEvent::MouseMove, local, widget->mapToGlobal(local), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void SendMousePress(QWidget* widget, const QPoint& local) {
    QMouseEvent event(QEvent::MouseButtonPress, local, widget->mapToGlobal(local), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

bool BalloonShown(const BalloonToolTips& hint) {
    return hint.hintWindow() && hint.hintWindow()->isVisible();
}

} // namespace

class TestBalloonToolTips : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void toolTipBecomesBalloon();
    void parentTipShowsOverChildWithout();
    void inactiveLeavesOrdinaryTips();
    void plainHintRuleKeepsOrdinaryTip();
    void hideRules_data();
    void hideRules();
    void duplicateMovesCountOnce();
    void regionsModeInstallsNoHook();
    void cancelledTipStaysAwayUntilLeave();
    void deletedWidgetTakesBalloonAlong();
    void noShowWhileButtonDown();
    void systemStyleTakesDesktopTipLook();
    void lastCreatedGoverns();
    void settingsMayDieBeforeWindow();

  private:
    std::unique_ptr<Scene> scene_;
    std::unique_ptr<BalloonToolTips> hint_;
};

void TestBalloonToolTips::init() {
    scene_ = std::make_unique<Scene>();
    QVERIFY(QTest::qWaitForWindowExposed(&scene_->window));
    hint_ = std::make_unique<BalloonToolTips>();
}

void TestBalloonToolTips::cleanup() {
    hint_.reset();
    scene_.reset();
    QToolTip::hideText();
}

void TestBalloonToolTips::toolTipBecomesBalloon() {
    QVERIFY(SendToolTip(scene_->button, scene_->button->rect().center()));
    QVERIFY(BalloonShown(*hint_));
    QCOMPARE(hint_->hintWindow()->caption(), QStringLiteral("Start the search"));
    QVERIFY(!QToolTip::isVisible());
    QCOMPARE(hint_->hintWindow()->currentPosition(), BalloonPosition::AboveRight);
    // The pointer's corner touches the cursor: bottom-left for above-right.
    const QRect frame = hint_->hintWindow()->geometry();
    QCOMPARE(frame.left(), scene_->ButtonCentreOnScreen().x());
    QCOMPARE(frame.bottom() + 1, scene_->ButtonCentreOnScreen().y());
}

void TestBalloonToolTips::parentTipShowsOverChildWithout() {
    SendToolTip(scene_->plainChild, QPoint(5, 5));
    QVERIFY(BalloonShown(*hint_));
    QCOMPARE(hint_->hintWindow()->caption(), scene_->button->toolTip());
}

void TestBalloonToolTips::inactiveLeavesOrdinaryTips() {
    hint_->setActive(false);
    SendToolTip(scene_->button, scene_->button->rect().center());
    QVERIFY(!BalloonShown(*hint_));
    QVERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), QStringLiteral("Start the search"));

    hint_->setActive(true);
    QTRY_VERIFY(!QToolTip::isVisible());
    SendToolTip(scene_->button, scene_->button->rect().center());
    QVERIFY(BalloonShown(*hint_));
}

void TestBalloonToolTips::plainHintRuleKeepsOrdinaryTip() {
    // Like the results grid: the upper part of the widget keeps plain tips.
    QWidget* button = scene_->button;
    hint_->setPlainHintRule([button](QWidget* widget, const QPoint& globalPos) {
        return widget == button && button->mapFromGlobal(globalPos).y() < 10;
    });
    SendToolTip(button, QPoint(60, 5));
    QVERIFY(!BalloonShown(*hint_));
    QVERIFY(QToolTip::isVisible());

    SendToolTip(button, QPoint(60, 20));
    QVERIFY(BalloonShown(*hint_));
    QTRY_VERIFY(!QToolTip::isVisible());

    SendToolTip(button, QPoint(61, 5));
    QVERIFY(!BalloonShown(*hint_));
}

void TestBalloonToolTips::hideRules_data() {
    QTest::addColumn<int>("behavior");
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("hides");
    const int hook = BalloonBehavior::NoShowMouseDown | BalloonBehavior::HideOnPaint;
    const int regions = BalloonBehavior::NoShowMouseDown | BalloonBehavior::UseRegions |
                        BalloonBehavior::HideOnPaint;
    QTest::newRow("first move is forgiven") << hook << "move" << false;
    QTest::newRow("second move hides") << hook << "move twice" << true;
    QTest::newRow("press hides") << hook << "press" << true;
    QTest::newRow("repaint under the balloon hides") << hook << "paint under" << true;
    QTest::newRow("repaint elsewhere stays") << hook << "paint far" << false;
    QTest::newRow("repaint under without BalloonBehavior::HideOnPaint stays")
        << int(BalloonBehavior::NoShowMouseDown) << "paint under" << false;
    QTest::newRow("with regions moves stay") << regions << "move twice" << false;
    QTest::newRow("with regions repaint stays") << regions << "paint under" << false;
    QTest::newRow("with regions press still hides") << regions << "press" << true;
    QTest::newRow("key press hides") << regions << "key" << true;
    QTest::newRow("shift alone stays") << regions << "shift" << false;
}

void TestBalloonToolTips::hideRules() {
    QFETCH(int, behavior);
    QFETCH(QString, action);
    QFETCH(bool, hides);
    hint_->setBehavior(BalloonBehaviors::fromInt(behavior));
    QPushButton* button = scene_->button;
    const QPoint centre = button->rect().center();
    SendToolTip(button, centre);
    QVERIFY(BalloonShown(*hint_));
    QVERIFY(hint_->hintWindow()->geometry().intersects(
        QRect(button->mapToGlobal(QPoint(0, 0)), button->size())));

    if (action == QLatin1String("move")) {
        SendMouseMove(button, centre + QPoint(1, 0));
    } else if (action == QLatin1String("move twice")) {
        SendMouseMove(button, centre + QPoint(1, 0));
        SendMouseMove(button, centre + QPoint(2, 0));
    } else if (action == QLatin1String("press")) {
        SendMousePress(button, centre);
    } else if (action == QLatin1String("paint under")) {
        button->repaint();
    } else if (action == QLatin1String("paint far")) {
        QVERIFY(!hint_->hintWindow()->geometry().intersects(
            QRect(scene_->farLabel->mapToGlobal(QPoint(0, 0)), scene_->farLabel->size())));
        scene_->farLabel->repaint();
    } else if (action == QLatin1String("key")) {
        QTest::keyClick(button, Qt::Key_A);
    } else if (action == QLatin1String("shift")) {
        QTest::keyClick(button, Qt::Key_Shift);
    }
    QCOMPARE(BalloonShown(*hint_), !hides);
}

void TestBalloonToolTips::duplicateMovesCountOnce() {
    hint_->setBehavior(BalloonBehavior::HideOnPaint);
    const QPoint centre = scene_->button->rect().center();
    SendToolTip(scene_->button, centre);
    // One move offered to a child and then to its parent reaches the filter
    // twice with the same position.
    SendMouseMove(scene_->plainChild, QPoint(10, 10));
    SendMouseMove(scene_->button, scene_->plainChild->mapToParent(QPoint(10, 10)));
    QVERIFY(BalloonShown(*hint_));
    QVERIFY(hint_->hintWindow()->isHookInstalled());
    SendMouseMove(scene_->button, centre);
    QVERIFY(!BalloonShown(*hint_));
    QVERIFY(!hint_->hintWindow()->isHookInstalled());
}

void TestBalloonToolTips::regionsModeInstallsNoHook() {
    SendToolTip(scene_->button, scene_->button->rect().center());
    BalloonToolTipWindow* window = hint_->hintWindow();
    QVERIFY(!window->isHookInstalled());
    const QRegion mask = window->mask();
    QVERIFY(!mask.isEmpty());
    QVERIFY(mask != QRegion(window->rect()));

    hint_->setBehavior(BalloonBehavior::HideOnPaint);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(scene_->button, &leave);
    SendToolTip(scene_->button, QPoint(5, 5));
    QVERIFY(window->mask().isEmpty());
    QVERIFY(window->isHookInstalled());
}

void TestBalloonToolTips::cancelledTipStaysAwayUntilLeave() {
    const QPoint centre = scene_->button->rect().center();
    SendToolTip(scene_->button, centre);
    SendMousePress(scene_->button, centre);
    QVERIFY(!BalloonShown(*hint_));

    // Qt asks again soon after every move; the cancelled tip must not return.
    QVERIFY(SendToolTip(scene_->button, centre + QPoint(3, 0)));
    QVERIFY(!BalloonShown(*hint_));
    QVERIFY(!QToolTip::isVisible());

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(scene_->button, &leave);
    SendToolTip(scene_->button, centre);
    QVERIFY(BalloonShown(*hint_));
}

void TestBalloonToolTips::deletedWidgetTakesBalloonAlong() {
    SendToolTip(scene_->button, scene_->button->rect().center());
    QVERIFY(BalloonShown(*hint_));
    delete scene_->button;
    QVERIFY(!BalloonShown(*hint_));
}

void TestBalloonToolTips::noShowWhileButtonDown() {
    QPushButton* button = scene_->button;
    QTest::mousePress(button, Qt::LeftButton, Qt::NoModifier, button->rect().center());
    const bool down = QGuiApplication::mouseButtons() & Qt::LeftButton;
    SendToolTip(button, button->rect().center());
    const bool shownWhileDown = BalloonShown(*hint_);
    QTest::mouseRelease(button, Qt::LeftButton, Qt::NoModifier, button->rect().center());
    QVERIFY(down);
    QVERIFY(!shownWhileDown);
}

void TestBalloonToolTips::systemStyleTakesDesktopTipLook() {
    hint_->setColor(Qt::green);
    hint_->setFont(QFont(QStringLiteral("DejaVu Serif"), 15));
    hint_->setHintStyle(HintStyle::System);
    SendToolTip(scene_->button, scene_->button->rect().center());
    BalloonToolTipWindow* window = hint_->hintWindow();
    QCOMPARE(window->fillColor(), QToolTip::palette().color(QPalette::ToolTipBase));
    QCOMPARE(window->textColor(), QToolTip::palette().color(QPalette::ToolTipText));
    QCOMPARE(window->font(), QToolTip::font());
}

void TestBalloonToolTips::lastCreatedGoverns() {
    {
        BalloonToolTips second;
        second.setHintStyle(HintStyle::Custom);
        second.setColor(Qt::green);
        QCOMPARE(BalloonToolTips::activeSettings(), &second);
        SendToolTip(scene_->button, scene_->button->rect().center());
        QVERIFY(!BalloonShown(*hint_));
        QVERIFY(BalloonShown(second));
        QCOMPARE(second.hintWindow()->fillColor(), QColor(Qt::green));
    }
    QCOMPARE(BalloonToolTips::activeSettings(), nullptr);
    // The older one's filter is still installed but no longer governs.
    SendToolTip(scene_->button, scene_->button->rect().center());
    QVERIFY(!BalloonShown(*hint_));
    QVERIFY(QToolTip::isVisible());
}

void TestBalloonToolTips::settingsMayDieBeforeWindow() {
    auto settings = std::make_unique<BalloonStyle>();
    settings->setShadowDepth(40);
    QCOMPARE(settings->shadowDepth(), kMaxShadowDepth);
    BalloonToolTipWindow window(settings.get());
    window.showHintText(QStringLiteral("first"), scene_->ButtonCentreOnScreen());
    settings.reset();
    window.showHintText(QStringLiteral("second"), scene_->ButtonCentreOnScreen());
    QVERIFY(window.isVisible());
    QCOMPARE(window.caption(), QStringLiteral("second"));
    QVERIFY(!window.grab().isNull());
}

QTEST_MAIN(TestBalloonToolTips)
#include "tst_balloontooltips.moc"
