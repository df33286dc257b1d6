// SPDX-License-Identifier: MIT
#include "controls/balloontooltips.h"
#include "controls/balloontooltipwindow.h"

#include <QApplication>
#include <QDir>
#include <QHelpEvent>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <memory>

using namespace nomix;

Q_DECLARE_METATYPE(nomix::BalloonShadowStyle)

namespace {

const QRgb Backdrop = qRgb(0x30, 0x80, 0xc0);

QImage GrabScreen() {
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(
        QImage::Format_RGB32);
}

// Set up like the main window's balloon.
void ConfigureLikeMainWindow(BalloonToolTips& hint) {
    hint.setBorderColor(Qt::black);
    hint.setColor(Qt::white);
    hint.setMaxWidth(-3);
    hint.setPosition(BalloonPosition::AboveRight);
    hint.setShadowDepth(8);
    hint.setShape(BalloonShape::RoundRect);
    hint.setHintStyle(HintStyle::System);
}

} // namespace

// On a real X server the balloon reads what lies behind it, so its shadow
// must show the window below through every other pixel.
class TestBalloonScreen : public QObject {
    Q_OBJECT

  private slots:
    void shadowOverRealBackdrop_data();
    void shadowOverRealBackdrop();
};

void TestBalloonScreen::shadowOverRealBackdrop_data() {
    QTest::addColumn<BalloonShadowStyle>("shadowStyle");
    QTest::addColumn<bool>("useRegions");
    QTest::newRow("shaded, shaped window") << BalloonShadowStyle::Shaded << true;
    QTest::newRow("solid, shaped window") << BalloonShadowStyle::Solid << true;
    QTest::newRow("shaded, rectangular window") << BalloonShadowStyle::Shaded << false;
}

void TestBalloonScreen::shadowOverRealBackdrop() {
    QFETCH(BalloonShadowStyle, shadowStyle);
    QFETCH(bool, useRegions);

    QWidget backdrop;
    backdrop.setObjectName(QStringLiteral("backdrop"));
    backdrop.setWindowFlag(Qt::FramelessWindowHint);
    QPalette colours = backdrop.palette();
    colours.setColor(QPalette::Window, QColor(Backdrop));
    backdrop.setPalette(colours);
    backdrop.setAutoFillBackground(true);
    backdrop.setGeometry(100, 100, 700, 500);
    auto* button = new QPushButton(QStringLiteral("&Search"), &backdrop);
    button->setObjectName(QStringLiteral("SearchButton"));
    button->setGeometry(40, 400, 110, 28);
    button->setToolTip(QStringLiteral("Search the database for the string you typed, in every "
                                      "product you selected"));
    backdrop.show();
    QVERIFY(QTest::qWaitForWindowExposed(&backdrop));
    QTRY_COMPARE(GrabScreen().pixel(backdrop.geometry().center()), Backdrop);

    BalloonToolTips hint;
    ConfigureLikeMainWindow(hint);
    hint.setShadowStyle(shadowStyle);
    BalloonBehaviors behavior = BalloonBehavior::NoShowMouseDown | BalloonBehavior::HideOnPaint;
    if (useRegions) {
        behavior |= BalloonBehavior::UseRegions;
    }
    hint.setBehavior(behavior);
    const QPoint cursor(60, 14);
    QHelpEvent event(QEvent::ToolTip, cursor, button->mapToGlobal(cursor));
    QApplication::sendEvent(button, &event);
    BalloonToolTipWindow* balloon = hint.hintWindow();
    QVERIFY(balloon && balloon->isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(balloon));

    const QRect frame = balloon->geometry();
    const BalloonOutline outline = balloonOutline(frame.size(), 8, balloon->currentPosition());
    const QPoint bodyCentre = frame.topLeft() + outline.body.center();
    QTRY_COMPARE(GrabScreen().pixel(bodyCentre), QColor(balloon->fillColor()).rgb());
    const QImage screen = GrabScreen();
    if (QTest::currentDataTag() == QLatin1String("shaded, shaped window")) {
        screen.save(QDir::temp().filePath(QStringLiteral("balloon.png")));
    }

    // The strip right of the body is shadow only.
    const int x0 = outline.body.right() + 1;
    int black = 0;
    int seeThrough = 0;
    for (int y = outline.body.center().y(); y < outline.body.center().y() + 6; ++y) {
        for (int x = x0; x < x0 + 8; ++x) {
            const QRgb pixel = screen.pixel(frame.topLeft() + QPoint(x, y));
            const bool even = (x + y) % 2 == 0;
            if (shadowStyle == BalloonShadowStyle::Solid || even) {
                QCOMPARE(pixel, qRgb(0, 0, 0));
            } else {
                QCOMPARE(pixel, Backdrop);
            }
            black += pixel == qRgb(0, 0, 0) ? 1 : 0;
            seeThrough += pixel == Backdrop ? 1 : 0;
        }
    }
    QCOMPARE(black + seeThrough, 48);
    // Above the shadow, right of the body: outside the balloon.
    QCOMPARE(screen.pixel(frame.topLeft() + QPoint(frame.width() - 2, 1)), Backdrop);
}

QTEST_MAIN(TestBalloonScreen)
#include "tst_balloonscreen.moc"
