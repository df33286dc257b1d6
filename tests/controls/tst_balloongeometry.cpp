// SPDX-License-Identifier: MIT
#include "controls/balloongeometry.h"

#include <QFontMetrics>
#include <QTest>

using namespace nomix;

Q_DECLARE_METATYPE(nomix::BalloonPosition)
Q_DECLARE_METATYPE(nomix::BalloonShape)

namespace {

const QRect Screen1024(0, 0, 1024, 768);

QString LongHint() {
    return QStringLiteral("Find every name that any antivirus product gives to the virus you "
                          "typed, in all products or only in those you selected before");
}

} // namespace

class TestBalloonGeometry : public QObject {
    Q_OBJECT

  private slots:
    void maxPixelWidth_data();
    void maxPixelWidth();
    void captionIsCutAt255();
    void fitToText_data();
    void fitToText();
    void oneWordIsAtLeast59Wide();
    void thirdOfScreenLimitsWidth();
    void computeShape_data();
    void computeShape();
    void regionStaysInWindow_data();
    void regionStaysInWindow();
    void noShadowMeansBalloonAlone();
    void roundCornersAreCut();
    void placeAtPoint_data();
    void placeAtPoint();
    void flips_data();
    void flips();
};

void TestBalloonGeometry::maxPixelWidth_data() {
    QTest::addColumn<int>("maxWidth");
    QTest::addColumn<int>("screenWidth");
    QTest::addColumn<int>("expected");
    QTest::newRow("a third of 1024") << -3 << 1024 << 341;
    QTest::newRow("whole screen") << -1 << 800 << 800;
    QTest::newRow("pixels") << 300 << 1024 << 300;
    QTest::newRow("pixels beyond the screen") << 5000 << 1024 << 1024;
    QTest::newRow("most negative does not overflow") << INT_MIN << 1024 << 0;
}

void TestBalloonGeometry::maxPixelWidth() {
    QFETCH(int, maxWidth);
    QFETCH(int, screenWidth);
    QFETCH(int, expected);
    QCOMPARE(nomix::maxPixelWidth(maxWidth, screenWidth), expected);
}

void TestBalloonGeometry::captionIsCutAt255() {
    const QString text(300, u'x');
    QCOMPARE(balloonCaption(text).size(), 255);
    QCOMPARE(balloonCaption(QStringLiteral("short")), QStringLiteral("short"));

    QString withPair(254, u'x');
    withPair += QString::fromUcs4(U"\U0001F600");
    withPair += QStringLiteral("tail");
    QCOMPARE(balloonCaption(withPair).size(), 254);

    const QFontMetrics metrics(QFont(QStringLiteral("DejaVu Sans"), 9));
    QString words;
    while (words.size() < 400) {
        words += QStringLiteral("word ");
    }
    QCOMPARE(balloonSizeForText(words, metrics, 500, Screen1024, 341, 8),
             balloonSizeForText(words.left(255), metrics, 500, Screen1024, 341, 8));
}

// Whatever the limits, the text rectangle of the balloon built for the
// fitted size must hold the wrapped caption.
void TestBalloonGeometry::fitToText_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("cursorX");
    QTest::addColumn<int>("maxPixelWidth");
    QTest::addColumn<int>("shadowDepth");
    QTest::newRow("short, no shadow") << QStringLiteral("Search") << 500 << 341 << 0;
    QTest::newRow("long, deepest shadow") << LongHint() << 500 << 341 << 16;
    QTest::newRow("long, narrow limit") << LongHint() << 500 << 120 << 8;
    QTest::newRow("long, cursor at right edge") << LongHint() << 1020 << 2000 << 8;
    QTest::newRow("limit below the chrome") << LongHint() << 500 << 20 << 8;
    QTest::newRow("line breaks") << QStringLiteral("one\ntwo\nthree") << 10 << 341 << 8;
    QTest::newRow("ampersand kept") << QStringLiteral("Save && exit") << 10 << 341 << 8;
}

void TestBalloonGeometry::fitToText() {
    QFETCH(QString, caption);
    QFETCH(int, cursorX);
    QFETCH(int, maxPixelWidth);
    QFETCH(int, shadowDepth);
    const QFontMetrics metrics(QFont(QStringLiteral("DejaVu Sans"), 9));

    const QSize size =
        balloonSizeForText(caption, metrics, cursorX, Screen1024, maxPixelWidth, shadowDepth);
    QVERIFY(size.width() >= kMinBalloonWidth);
    const BalloonOutline outline = balloonOutline(size, shadowDepth, BalloonPosition::AboveRight);
    const QRect needed = metrics.boundingRect(outline.textRect, Qt::TextWordWrap, caption);
    QVERIFY2(needed.height() <= outline.textRect.height() + 1,
             qPrintable(QStringLiteral("text needs %1, has %2")
                            .arg(needed.height())
                            .arg(outline.textRect.height())));
    QVERIFY(needed.width() <= outline.textRect.width());
}

void TestBalloonGeometry::oneWordIsAtLeast59Wide() {
    const QFontMetrics metrics(QFont(QStringLiteral("DejaVu Sans"), 9));
    QCOMPARE(balloonSizeForText(QStringLiteral("Ok"), metrics, 500, Screen1024, 341, 0).width(),
             59);
}

void TestBalloonGeometry::thirdOfScreenLimitsWidth() {
    const QFontMetrics metrics(QFont(QStringLiteral("DejaVu Sans"), 9));
    const int limit = nomix::maxPixelWidth(-3, Screen1024.width());
    for (int cursorX : {0, 300, 512, 1023}) {
        const QSize size = balloonSizeForText(LongHint(), metrics, cursorX, Screen1024, limit, 8);
        QVERIFY(size.width() <= 341);
        QVERIFY(size.width() > 341 / 2); // it did wrap at the limit, not earlier
    }
}

void TestBalloonGeometry::computeShape_data() {
    QTest::addColumn<BalloonPosition>("position");
    QTest::addColumn<QRect>("body");
    QTest::addColumn<QPoint>("tip");
    QTest::addColumn<QPoint>("second");
    QTest::addColumn<QPoint>("third");
    // A 200 x 100 window with an 8-pixel shadow: the body is 177 x 73.
    QTest::newRow("above left") << BalloonPosition::AboveLeft << QRect(0, 0, 177, 73)
                                << QPoint(192, 92) << QPoint(171, 72) << QPoint(151, 72);
    QTest::newRow("above right") << BalloonPosition::AboveRight << QRect(15, 0, 177, 73)
                                 << QPoint(0, 92) << QPoint(21, 72) << QPoint(41, 72);
    QTest::newRow("below left") << BalloonPosition::BelowLeft << QRect(0, 19, 177, 73)
                                << QPoint(192, 0) << QPoint(171, 19) << QPoint(151, 19);
    QTest::newRow("below right") << BalloonPosition::BelowRight << QRect(15, 19, 177, 73)
                                 << QPoint(0, 0) << QPoint(21, 19) << QPoint(41, 19);
}

void TestBalloonGeometry::computeShape() {
    QFETCH(BalloonPosition, position);
    QFETCH(QRect, body);
    QFETCH(QPoint, tip);
    QFETCH(QPoint, second);
    QFETCH(QPoint, third);
    const BalloonOutline outline = balloonOutline(QSize(200, 100), 8, position);
    QCOMPARE(outline.body, body);
    QCOMPARE(outline.tip, tip);
    QCOMPARE(outline.second, second);
    QCOMPARE(outline.third, third);
    QCOMPARE(outline.textRect, body.adjusted(9, 9, -9, -9));
}

void TestBalloonGeometry::regionStaysInWindow_data() {
    QTest::addColumn<BalloonPosition>("position");
    QTest::addColumn<BalloonShape>("shape");
    QTest::addColumn<int>("shadowDepth");
    for (int p = int(BalloonPosition::AboveLeft); p <= int(BalloonPosition::BelowRight); ++p) {
        for (int s = int(BalloonShape::RoundRect); s <= int(BalloonShape::Rectangle); ++s) {
            for (int depth : {0, 8, 16}) {
                QTest::addRow("position %d shape %d shadow %d", p, s, depth)
                    << static_cast<BalloonPosition>(p) << static_cast<BalloonShape>(s) << depth;
            }
        }
    }
}

// The shape and its shadow fill the window out to its edges but never
// beyond, and the pointer reaches the corner the cursor is at.
void TestBalloonGeometry::regionStaysInWindow() {
    QFETCH(BalloonPosition, position);
    QFETCH(BalloonShape, shape);
    QFETCH(int, shadowDepth);
    const QSize size(160, 90);
    const BalloonOutline outline = balloonOutline(size, shadowDepth, position);
    const QRegion region = balloonWindowRegion(outline, shape, shadowDepth);
    const QRect window(QPoint(0, 0), size);
    QVERIFY(window.contains(region.boundingRect()));
    // The pointer's tip is thinner than a pixel for its last two columns.
    const QRect reach = region.boundingRect();
    QVERIFY(reach.left() <= 2 && reach.top() <= 2);
    QVERIFY(reach.right() >= size.width() - 3 && reach.bottom() >= size.height() - 3);

    const bool below = int(position) & 0x2;
    const bool right = int(position) & 0x1;
    const QPoint nearTip(right ? 6 : size.width() - shadowDepth - 6,
                         below ? 4 : size.height() - shadowDepth - 4);
    QVERIFY(region.contains(nearTip));
    QVERIFY(region.contains(outline.body.center()));
}

void TestBalloonGeometry::noShadowMeansBalloonAlone() {
    const BalloonOutline outline = balloonOutline(QSize(160, 90), 0, BalloonPosition::AboveRight);
    QCOMPARE(balloonWindowRegion(outline, BalloonShape::RoundRect, 0),
             balloonRegion(outline, BalloonShape::RoundRect, 0));

    const BalloonOutline shaded = balloonOutline(QSize(160, 90), 8, BalloonPosition::AboveRight);
    const QRegion withShadow = balloonWindowRegion(shaded, BalloonShape::Rectangle, 8);
    const QPoint belowBodyRight = shaded.body.bottomRight() + QPoint(4, 4);
    QVERIFY(withShadow.contains(belowBodyRight));
    QVERIFY(!balloonRegion(shaded, BalloonShape::Rectangle, 0).contains(belowBodyRight));
}

void TestBalloonGeometry::roundCornersAreCut() {
    const BalloonOutline outline = balloonOutline(QSize(160, 90), 0, BalloonPosition::AboveLeft);
    const QPoint corner = outline.body.topLeft();
    QVERIFY(!balloonRegion(outline, BalloonShape::RoundRect, 0).contains(corner));
    QVERIFY(balloonRegion(outline, BalloonShape::Rectangle, 0).contains(corner));
    QVERIFY(balloonRegion(outline, BalloonShape::RoundRect, 0).contains(corner + QPoint(9, 0)));
}

void TestBalloonGeometry::placeAtPoint_data() {
    QTest::addColumn<BalloonPosition>("position");
    QTest::addColumn<QPoint>("topLeft");
    // A 100 x 60 window for a cursor at (500, 400); the cursor's own pixel
    // stays uncovered above and beside it.
    QTest::newRow("above left") << BalloonPosition::AboveLeft << QPoint(400, 340);
    QTest::newRow("above right") << BalloonPosition::AboveRight << QPoint(500, 340);
    QTest::newRow("below left") << BalloonPosition::BelowLeft << QPoint(400, 400);
    QTest::newRow("below right") << BalloonPosition::BelowRight << QPoint(501, 401);
}

void TestBalloonGeometry::placeAtPoint() {
    QFETCH(BalloonPosition, position);
    QFETCH(QPoint, topLeft);
    const QRect placed = nomix::placeAtPoint(QSize(100, 60), QPoint(500, 400), position);
    QCOMPARE(placed, QRect(topLeft, QSize(100, 60)));
}

void TestBalloonGeometry::flips_data() {
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QPoint>("cursor");
    QTest::addColumn<BalloonPosition>("preferred");
    QTest::addColumn<BalloonPosition>("expected");
    QTest::newRow("room everywhere") << Screen1024 << QPoint(500, 400)
                                     << BalloonPosition::AboveRight << BalloonPosition::AboveRight;
    QTest::newRow("right edge") << Screen1024 << QPoint(1000, 400) << BalloonPosition::AboveRight
                                << BalloonPosition::AboveLeft;
    QTest::newRow("top edge") << Screen1024 << QPoint(500, 20) << BalloonPosition::AboveRight
                              << BalloonPosition::BelowRight;
    QTest::newRow("top right corner") << Screen1024 << QPoint(1000, 20)
                                      << BalloonPosition::AboveRight << BalloonPosition::BelowLeft;
    QTest::newRow("bottom left corner")
        << Screen1024 << QPoint(10, 760) << BalloonPosition::BelowLeft
        << BalloonPosition::AboveRight;
    QTest::newRow("exactly fits at the right")
        << Screen1024 << QPoint(824, 400) << BalloonPosition::AboveRight
        << BalloonPosition::AboveRight;
    QTest::newRow("one pixel too far right")
        << Screen1024 << QPoint(825, 400) << BalloonPosition::AboveRight
        << BalloonPosition::AboveLeft;
    QTest::newRow("left edge of a second screen")
        << QRect(1024, 0, 1280, 1024) << QPoint(1030, 500) << BalloonPosition::AboveLeft
        << BalloonPosition::AboveRight;
    QTest::newRow("top of a screen below the first")
        << QRect(0, 768, 1024, 768) << QPoint(500, 780) << BalloonPosition::AboveLeft
        << BalloonPosition::BelowLeft;
}

void TestBalloonGeometry::flips() {
    QFETCH(QRect, screen);
    QFETCH(QPoint, cursor);
    QFETCH(BalloonPosition, preferred);
    QFETCH(BalloonPosition, expected);
    const QSize size(200, 80);
    const BalloonPlacement placement = placeOnScreen(size, cursor, preferred, screen);
    QCOMPARE(placement.position, expected);
    QCOMPARE(placement.rect, nomix::placeAtPoint(size, cursor, expected));
    QVERIFY(screen.contains(placement.rect));
}

QTEST_MAIN(TestBalloonGeometry)
#include "tst_balloongeometry.moc"
