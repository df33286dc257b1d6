#include "controls/marqueeerror.h"
#include "controls/marquee.h"

#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace nomix;

Q_DECLARE_METATYPE(nomix::Justification)

namespace {

QStringList Lines(int count) {
    QStringList lines;
    for (int i = 0; i < count; ++i) {
        lines << (i % 3 == 2 ? QString() : QStringLiteral("Credit line %1").arg(i));
    }
    return lines;
}

// Ticks until the marquee stops, at most `limit` times; returns the ticks.
int TickUntilStopped(Marquee& marquee, int limit) {
    int ticks = 0;
    while (marquee.Scrolling() && ticks < limit) {
        marquee.Tick();
        ++ticks;
    }
    return ticks;
}

// Columns of the text area holding anything but the background colour.
std::pair<int, int> InkColumns(const QImage& image, const QRect& area, QRgb background) {
    int first = INT_MAX;
    int last = -1;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixel(x, y) != background) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
        }
    }
    return {first, last};
}

} // namespace

class TestMarquee : public QObject {
    Q_OBJECT

  private slots:
    void stepsScrollingUp_data();
    void stepsScrollingUp();
    void scrollingDownStartsAtTheEnd();
    void loopRestartsFromEmptySpace();
    void noLinesDoNothing();
    void onDoneOnDestruction();
    void renderErrorLeavesMarqueeIdle();
    void timerDrivesTheSteps();
    void justify_data();
    void justify();
};

void TestMarquee::stepsScrollingUp_data() {
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("lines");
    QTest::newRow("default size, one line") << 75 << 1;
    QTest::newRow("about box") << 105 << 28;
    QTest::newRow("short panel") << 30 << 3;
    QTest::newRow("panel of one pixel") << 1 << 2;
}

void TestMarquee::stepsScrollingUp() {
    QFETCH(int, height);
    QFETCH(int, lines);
    Marquee marquee;
    marquee.resize(382, height);
    marquee.SetItems(Lines(lines));
    QSignalSpy done(&marquee, &Marquee::OnDone);
    marquee.StartScrolling();
    QVERIFY(marquee.Scrolling());
    QCOMPARE(marquee.ScrollOffset(), 0);

    const int expectedSteps = (height + lines * marquee.LineHeight() - 3) / 3 + 1;
    const int ticks = TickUntilStopped(marquee, 100000);
    QCOMPARE(ticks, expectedSteps + 1); // the tick after the last step ends it
    QCOMPARE(marquee.ScrollOffset(), 3 * expectedSteps);
    QCOMPARE(done.count(), 1);
    marquee.Tick();
    QCOMPARE(done.count(), 1);
}

void TestMarquee::scrollingDownStartsAtTheEnd() {
    Marquee marquee;
    marquee.resize(200, 60);
    marquee.SetItems(Lines(4));
    marquee.SetScrollDown(true);
    marquee.StartScrolling();
    const int start = 4 * marquee.LineHeight() + 60;
    QCOMPARE(marquee.ScrollOffset(), start);
    marquee.Tick();
    QCOMPARE(marquee.ScrollOffset(), start - 3);
    QCOMPARE(TickUntilStopped(marquee, 100000), (start - 3) / 3 + 1);
    QVERIFY(marquee.ScrollOffset() < 3);
}

void TestMarquee::loopRestartsFromEmptySpace() {
    Marquee marquee;
    marquee.resize(200, 45);
    marquee.SetItems(Lines(2));
    marquee.SetLoop(true);
    QSignalSpy done(&marquee, &Marquee::OnDone);
    marquee.StartScrolling();
    const int steps = (45 + 2 * marquee.LineHeight() - 3) / 3 + 1;
    for (int i = 0; i < steps; ++i) {
        marquee.Tick();
    }
    QCOMPARE(marquee.ScrollOffset(), 3 * steps);
    marquee.Tick();
    QCOMPARE(marquee.ScrollOffset(), 0);
    QVERIFY(marquee.Scrolling());
    marquee.Tick();
    QCOMPARE(marquee.ScrollOffset(), 3);
    QCOMPARE(done.count(), 0);
    marquee.StopScrolling();
    QCOMPARE(done.count(), 1);
}

void TestMarquee::noLinesDoNothing() {
    auto marquee = std::make_unique<Marquee>();
    QSignalSpy done(marquee.get(), &Marquee::OnDone);
    marquee->StartScrolling();
    QVERIFY(!marquee->Scrolling());
    marquee->Tick();
    marquee.reset();
    QCOMPARE(done.count(), 0);
}

void TestMarquee::onDoneOnDestruction() {
    auto marquee = std::make_unique<Marquee>();
    marquee->SetItems(Lines(3));
    QSignalSpy done(marquee.get(), &Marquee::OnDone);
    marquee->StartScrolling();
    marquee.reset();
    QCOMPARE(done.count(), 1);
}

void TestMarquee::renderErrorLeavesMarqueeIdle() {
    Marquee marquee;
    marquee.SetItems(Lines(3));
    marquee.resize(0, 50); // nothing to render into
    QSignalSpy done(&marquee, &Marquee::OnDone);
    QString message;
    try {
        marquee.StartScrolling();
    } catch (const MarqueeError& error) {
        message = QString::fromStdString(error.what());
    }
    QCOMPARE(message, QStringLiteral("Failed to render text(Line: #0)"));
    QVERIFY(!marquee.Scrolling());

    marquee.resize(100, 50);
    marquee.StartScrolling();
    QVERIFY(marquee.Scrolling());
    marquee.StopScrolling();
    QCOMPARE(done.count(), 1);
}

void TestMarquee::timerDrivesTheSteps() {
    Marquee marquee;
    QCOMPARE(marquee.TimerInterval(), 50u);
    marquee.resize(100, 9);
    marquee.SetItems({QStringLiteral("x")});
    marquee.SetTimerInterval(1);
    QSignalSpy done(&marquee, &Marquee::OnDone);
    marquee.StartScrolling();
    QVERIFY(done.wait(5000));
    QCOMPARE(done.count(), 1);
    QVERIFY(!marquee.Scrolling());
}

void TestMarquee::justify_data() {
    QTest::addColumn<Justification>("justify");
    QTest::newRow("left") << tjLeft;
    QTest::newRow("centre") << tjCenter;
    QTest::newRow("right") << tjRight;
}

void TestMarquee::justify() {
    QFETCH(Justification, justify);
    Marquee marquee;
    marquee.resize(300, 60);
    marquee.SetColor(Qt::white);
    marquee.SetJustify(justify);
    marquee.SetItems({QStringLiteral("M&&M")});
    marquee.StartScrolling();
    // Bring the line to the top of the text area.
    while (marquee.ScrollOffset() < 60) {
        marquee.Tick();
    }
    const QImage image = marquee.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect area = marquee.TextArea();
    const auto [first, last] = InkColumns(image, area, qRgb(255, 255, 255));
    QVERIFY(last > first);
    const int third = area.width() / 3;
    switch (justify) {
    case tjLeft:
        QVERIFY(first < area.left() + third && last < area.left() + 2 * third);
        break;
    case tjRight:
        QVERIFY(first > area.left() + third && last > area.left() + 2 * third);
        break;
    case tjCenter:
        QVERIFY(first > area.left() + third / 2 && last < area.right() - third / 2);
        break;
    }
    marquee.StopScrolling();
}

QTEST_MAIN(TestMarquee)
#include "tst_marquee.moc"
