// SPDX-License-Identifier: MIT
#include "controls/ledcounter.h"

#include <QTest>
#include <QVBoxLayout>

using namespace nomix;

namespace {

const QColor kLime(0, 255, 0);
const QColor kDarkGreen(0, 64, 0);
const QColor kBlack(0, 0, 0);

// Counts the paints that actually reach the display.
class CountingLedLabel : public LedCounter {
  public:
    using LedCounter::LedCounter;
    int paints = 0;

  protected:
    void paintEvent(QPaintEvent* event) override {
        ++paints;
        LedCounter::paintEvent(event);
    }
};

class CountingWidget : public QWidget {
  public:
    using QWidget::QWidget;
    int paints = 0;

  protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
};

// A pixel well inside segment `segment` of the cell at `cellOrigin`: the
// vertex average rounded towards the first vertex, because a thin line leaves
// out its last pixel.
QPoint segmentProbe(const LedDisplay& led, QPoint cellOrigin, int segment) {
    const LedMetrics m = ledMetricsFor(led.drawMode(), led.segmentSize());
    const LedSegmentShapes shapes = scaleLedSegments(m);
    const LedSegmentShape& shape = shapes[size_t(segment - 1)];
    const QPoint first = shape.points[0];
    QPoint offsets;
    for (int i = 0; i < shape.count; ++i) {
        offsets += shape.points[size_t(i)] - first;
    }
    return cellOrigin + first + QPoint(offsets.x() / shape.count, offsets.y() / shape.count);
}

QPoint cellOrigin(const LedDisplay& led, int column) {
    const LedMetrics m = ledMetricsFor(led.drawMode(), led.segmentSize());
    return {m.firstCellX + column * m.cellAdvance, 0};
}

QColor pixelAt(const QImage& image, QPoint p) {
    return image.pixelColor(p);
}

} // namespace

class TestLedCounter : public QObject {
    Q_OBJECT

  private slots:
    void geometryPropertiesResize_data();
    void geometryPropertiesResize();
    void outOfRangeValuesAreClamped();
    void settersRepaintOnlyOnChange_data();
    void settersRepaintOnlyOnChange();
    void litAndUnlitSegments_data();
    void litAndUnlitSegments();
    void colonShowsOnlyItsDots();
    void unlitColorEqualToBackHidesUnlit();
    void newCaptionReachesPicture();
    void onScreenAndOffScreenAgree_data() { litAndUnlitSegments_data(); }
    void onScreenAndOffScreenAgree();
};

void TestLedCounter::geometryPropertiesResize_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("segmentSize");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QSize>("size");

    QTest::newRow("hit counter") << int(LedDrawMode::Polygon) << 2 << 5 << 1 << QSize(85, 30);
    QTest::newRow("lines") << int(LedDrawMode::Line) << 3 << 4 << 1 << QSize(99, 60);
}

void TestLedCounter::geometryPropertiesResize() {
    QFETCH(int, mode);
    QFETCH(int, segmentSize);
    QFETCH(int, columns);
    QFETCH(int, rows);
    LedCounter led;
    QCOMPARE(led.size(), QSize(75, 31)); // until a geometry property is set
    led.move(10, 20);
    led.setColumns(columns);
    led.setRows(rows);
    led.setSegmentSize(segmentSize);
    led.setDrawMode(LedDrawMode(mode));
    QTEST(led.size(), "size");
    QTEST(led.sizeHint(), "size");
    QCOMPARE(led.pos(), QPoint(10, 20));
}

void TestLedCounter::outOfRangeValuesAreClamped() {
    LedCounter led;
    led.setSegmentSize(0);
    QCOMPARE(led.segmentSize(), 1);
    led.setSegmentSize(200);
    QCOMPARE(led.segmentSize(), 16);
    led.setColumns(-3);
    QCOMPARE(led.columns(), 0);
    led.setRows(1 << 30);
    QCOMPARE(led.rows(), kLedMaxCells);
    led.setRows(1);
    led.setText(QStringLiteral("12345"));
    led.grab(); // an empty control must paint without harm
}

void TestLedCounter::settersRepaintOnlyOnChange_data() {
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("repaints");

    QTest::newRow("Caption same") << QByteArray("text") << QVariant("00000") << false;
    QTest::newRow("Caption new") << QByteArray("text") << QVariant("00010") << true;
    QTest::newRow("BackColor same") << QByteArray("backColor") << QVariant(kBlack) << false;
    QTest::newRow("BackColor as HSV")
        << QByteArray("backColor") << QVariant(QColor::fromHsv(0, 0, 0)) << false;
    QTest::newRow("BackColor new") << QByteArray("backColor") << QVariant(QColor(Qt::blue)) << true;
    QTest::newRow("LitColor new") << QByteArray("litColor") << QVariant(QColor(Qt::red)) << true;
    QTest::newRow("SegmentSize same") << QByteArray("segmentSize") << QVariant(2) << false;
    QTest::newRow("SegmentSize new") << QByteArray("segmentSize") << QVariant(3) << true;
    QTest::newRow("Columns same") << QByteArray("columns") << QVariant(5) << false;
    QTest::newRow("Rows new") << QByteArray("rows") << QVariant(2) << true;
    QTest::newRow("DrawMode same")
        << QByteArray("drawMode") << QVariant::fromValue(LedDrawMode::Polygon) << false;
    QTest::newRow("DrawMode new") << QByteArray("drawMode")
                                  << QVariant::fromValue(LedDrawMode::Line) << true;
    QTest::newRow("DrawOnScreen same still repaints")
        << QByteArray("drawOnScreen") << QVariant(false) << true;
}

// A sibling's update is the barrier: both are flushed by the same update
// request, so a repaint the setter asked for would have happened by then.
void TestLedCounter::settersRepaintOnlyOnChange() {
    QFETCH(QByteArray, property);
    QFETCH(QVariant, value);
    QFETCH(bool, repaints);

    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* led = new CountingLedLabel(&window);
    auto* sibling = new CountingWidget(&window);
    sibling->setMinimumSize(10, 10);
    layout->addWidget(led);
    layout->addWidget(sibling);
    led->setColumns(5);
    led->setText(QStringLiteral("00000"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(led->paints > 0 && sibling->paints > 0);
    sibling->update();
    QTRY_VERIFY(sibling->paints > 1);

    led->paints = 0;
    sibling->paints = 0;
    QVERIFY(led->setProperty(property.constData(), value));
    sibling->update();
    QTRY_VERIFY(sibling->paints > 0);
    if (repaints) {
        QTRY_VERIFY(led->paints > 0);
    } else {
        QCOMPARE(led->paints, 0);
    }
}

void TestLedCounter::litAndUnlitSegments_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("segmentSize");

    QTest::newRow("polygon 2") << int(LedDrawMode::Polygon) << 2;
    QTest::newRow("thin") << int(LedDrawMode::Polygon) << 1;
    QTest::newRow("lines 3") << int(LedDrawMode::Line) << 3;
    QTest::newRow("polygon 16") << int(LedDrawMode::Polygon) << 16;
    QTest::newRow("lines 16") << int(LedDrawMode::Line) << 16;
}

void TestLedCounter::litAndUnlitSegments() {
    QFETCH(int, mode);
    QFETCH(int, segmentSize);
    LedCounter led;
    led.setDrawMode(LedDrawMode(mode));
    led.setSegmentSize(segmentSize);
    led.setColumns(3);
    led.setText(QStringLiteral("1."));
    const QImage image = led.grab().toImage();

    const QPoint first = cellOrigin(led, 0);
    QCOMPARE(pixelAt(image, segmentProbe(led, first, 4)), kLime);                // centre of the 1
    QCOMPARE(pixelAt(image, segmentProbe(led, first, 1)), kDarkGreen);           // top bar
    QCOMPARE(pixelAt(image, segmentProbe(led, first, 15)), kLime);               // joined point
    QCOMPARE(pixelAt(image, segmentProbe(led, cellOrigin(led, 1), 15)), kBlack); // no point
    QCOMPARE(pixelAt(image, segmentProbe(led, cellOrigin(led, 2), 14)), kDarkGreen);
    QCOMPARE(pixelAt(image, QPoint(0, 0)), kBlack);
}

void TestLedCounter::colonShowsOnlyItsDots() {
    LedCounter led;
    led.setColumns(3);
    led.setText(QStringLiteral("1:2"));
    const QImage image = led.grab().toImage();
    const QPoint colon = cellOrigin(led, 1);
    QCOMPARE(pixelAt(image, segmentProbe(led, colon, 17)), kLime);
    QCOMPARE(pixelAt(image, segmentProbe(led, colon, 18)), kLime);
    QCOMPARE(pixelAt(image, segmentProbe(led, colon, 1)), kBlack);
    QCOMPARE(pixelAt(image, segmentProbe(led, colon, 9)), kBlack);
}

void TestLedCounter::unlitColorEqualToBackHidesUnlit() {
    LedCounter led;
    led.setText(QStringLiteral("1"));
    led.setBackColor(QColor(10, 20, 30));
    led.setUnlitColor(QColor(10, 20, 30).toHsv());
    QCOMPARE(led.unlitColor().rgb(), QColor(10, 20, 30).rgb());
    const QImage image = led.grab().toImage();
    const QPoint first = cellOrigin(led, 0);
    QCOMPARE(pixelAt(image, segmentProbe(led, first, 1)), QColor(10, 20, 30));
    QCOMPARE(pixelAt(image, segmentProbe(led, first, 4)), kLime);
}

// The off-screen picture is kept between paints; it must never show an
// earlier caption or colour.
void TestLedCounter::newCaptionReachesPicture() {
    LedCounter led;
    led.setColumns(5);
    led.setText(QStringLiteral("00000"));
    const QImage zeros = led.grab().toImage();
    led.setText(QStringLiteral("00001"));
    const QImage one = led.grab().toImage();
    QVERIFY(one != zeros);
    QCOMPARE(pixelAt(one, segmentProbe(led, cellOrigin(led, 4), 4)), kLime);
    led.setLitColor(Qt::red);
    QCOMPARE(pixelAt(led.grab().toImage(), segmentProbe(led, cellOrigin(led, 4), 4)),
             QColor(Qt::red));
    led.setLitColor(kLime);
    led.setText(QStringLiteral("00000"));
    QCOMPARE(led.grab().toImage(), zeros);
}

// The off-screen picture is pasted together from cached cell images; it
// must match drawing every segment in place.
void TestLedCounter::onScreenAndOffScreenAgree() {
    QFETCH(int, mode);
    QFETCH(int, segmentSize);
    LedCounter led;
    led.setDrawMode(LedDrawMode(mode));
    led.setSegmentSize(segmentSize);
    led.setColumns(7);
    led.setRows(2);
    led.setText(QStringLiteral("12.5:A,\r8*W/Q\\"));
    const QImage offScreen = led.grab().toImage();
    led.setDrawOnScreen(true);
    QCOMPARE(led.grab().toImage(), offScreen);
}

QTEST_MAIN(TestLedCounter)
#include "tst_ledcounter.moc"
