// SPDX-License-Identifier: MIT
#include "controls/tiledbackground.h"
#include "controls/tiling.h"

#include <QImage>
#include <QPainter>
#include <QTest>

#include <set>

using namespace nomix;

namespace {

// Every pixel tells where in the picture it comes from.
QImage CoordinatePicture(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, qRgb(x * 3, y * 3, 77));
        }
    }
    return image;
}

} // namespace

class TestTiledBackground : public QObject {
    Q_OBJECT

  private slots:
    void tileRects_data();
    void tileRects();
    void cutTilesShowTopLeftPart_data();
    void cutTilesShowTopLeftPart();
    void opaqueOnlyWithPicture();
};

void TestTiledBackground::tileRects_data() {
    QTest::addColumn<QSize>("area");
    QTest::addColumn<QSize>("tile");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QSize>("lastTile");
    QTest::newRow("about box") << QSize(401, 98) << QSize(80, 80) << 6 << 2 << QSize(1, 18);
    QTest::newRow("smaller than the tile")
        << QSize(50, 30) << QSize(80, 80) << 1 << 1 << QSize(50, 30);
    QTest::newRow("exact multiple") << QSize(160, 240) << QSize(80, 80) << 2 << 3 << QSize(80, 80);
    QTest::newRow("one pixel") << QSize(1, 1) << QSize(80, 80) << 1 << 1 << QSize(1, 1);
    QTest::newRow("empty tile") << QSize(100, 100) << QSize(0, 0) << 0 << 0 << QSize();
    QTest::newRow("empty area") << QSize(0, 40) << QSize(80, 80) << 0 << 0 << QSize();
}

void TestTiledBackground::tileRects() {
    QFETCH(QSize, area);
    QFETCH(QSize, tile);
    QFETCH(int, columns);
    QFETCH(int, rows);
    QFETCH(QSize, lastTile);
    const std::vector<QRect> rects = nomix::tileRects(QRect(QPoint(5, 7), area), tile);
    QCOMPARE(static_cast<int>(rects.size()), columns * rows);
    if (rects.empty()) {
        return;
    }
    std::set<int> xs;
    std::set<int> ys;
    QRegion covered;
    for (const QRect& rect : rects) {
        xs.insert(rect.x());
        ys.insert(rect.y());
        QVERIFY(!covered.intersects(rect));
        covered += rect;
    }
    QCOMPARE(static_cast<int>(xs.size()), columns);
    QCOMPARE(static_cast<int>(ys.size()), rows);
    QCOMPARE(rects.front().topLeft(), QPoint(5, 7));
    QCOMPARE(rects.back().size(), lastTile);
    QCOMPARE(covered, QRegion(QRect(QPoint(5, 7), area)));
}

void TestTiledBackground::cutTilesShowTopLeftPart_data() {
    QTest::addColumn<QPoint>("widgetPixel");
    QTest::addColumn<QPoint>("picturePixel");
    QTest::newRow("origin") << QPoint(0, 0) << QPoint(0, 0);
    QTest::newRow("second column") << QPoint(85, 5) << QPoint(5, 5);
    QTest::newRow("second row") << QPoint(3, 80) << QPoint(3, 0);
    QTest::newRow("cut column") << QPoint(400, 30) << QPoint(0, 30);
    QTest::newRow("cut corner") << QPoint(400, 97) << QPoint(0, 17);
    QTest::newRow("last full pixel") << QPoint(399, 79) << QPoint(79, 79);
}

void TestTiledBackground::cutTilesShowTopLeftPart() {
    QFETCH(QPoint, widgetPixel);
    QFETCH(QPoint, picturePixel);
    const QImage picture = CoordinatePicture(80, 80);
    TiledBackground tiled;
    tiled.resize(401, 98);
    tiled.setPixmap(QPixmap::fromImage(picture));
    const QImage shown = tiled.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.size(), QSize(401, 98));
    QCOMPARE(shown.pixel(widgetPixel), picture.pixel(picturePixel));
}

void TestTiledBackground::opaqueOnlyWithPicture() {
    QWidget parent;
    parent.resize(120, 120);
    QPalette red = parent.palette();
    red.setColor(QPalette::Window, Qt::red);
    parent.setPalette(red);
    parent.setAutoFillBackground(true);
    auto* tiled = new TiledBackground(&parent);
    tiled->setGeometry(10, 10, 60, 60);
    QVERIFY(!tiled->testAttribute(Qt::WA_OpaquePaintEvent));
    QCOMPARE(parent.grab().toImage().pixel(40, 40), qRgb(255, 0, 0));

    tiled->setPixmap(QPixmap::fromImage(CoordinatePicture(16, 16)));
    QVERIFY(tiled->testAttribute(Qt::WA_OpaquePaintEvent));
    QCOMPARE(parent.grab().toImage().pixel(10 + 17, 10 + 2), qRgb(3, 6, 77));

    tiled->setPixmap(QPixmap());
    QVERIFY(!tiled->testAttribute(Qt::WA_OpaquePaintEvent));
    QCOMPARE(parent.grab().toImage().pixel(40, 40), qRgb(255, 0, 0));
}

QTEST_MAIN(TestTiledBackground)
#include "tst_tiledbackground.moc"
