// SPDX-License-Identifier: MIT
#include "controls/marquee.h"
#include "controls/marqueeerror.h"

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
    while (marquee.isScrolling() && ticks < limit) {
        marquee.tick();
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
    void finishedOnDestruction();
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
    marquee.setLines(Lines(lines));
    QSignalSpy done(&marquee, &Marquee::finished);
    marquee.startScrolling();
    QVERIFY(marquee.isScrolling());
    QCOMPARE(marquee.scrollOffset(), 0);

    const int expectedSteps = (height + lines * marquee.lineHeight() - 3) / 3 + 1;
    const int ticks = TickUntilStopped(marquee, 100000);
    QCOMPARE(ticks, expectedSteps + 1); // the tick after the last step ends it
    QCOMPARE(marquee.scrollOffset(), 3 * expectedSteps);
    QCOMPARE(done.count(), 1);
    marquee.tick();
    QCOMPARE(done.count(), 1);
}

void TestMarquee::scrollingDownStartsAtTheEnd() {
    Marquee marquee;
    marquee.resize(200, 60);
    marquee.setLines(Lines(4));
    marquee.setScrollsDown(true);
    marquee.startScrolling();
    const int start = 4 * marquee.lineHeight() + 60;
    QCOMPARE(marquee.scrollOffset(), start);
    marquee.tick();
    QCOMPARE(marquee.scrollOffset(), start - 3);
    QCOMPARE(TickUntilStopped(marquee, 100000), (start - 3) / 3 + 1);
    QVERIFY(marquee.scrollOffset() < 3);
}

void TestMarquee::loopRestartsFromEmptySpace() {
    Marquee marquee;
    marquee.resize(200, 45);
    marquee.setLines(Lines(2));
    marquee.setLoop(true);
    QSignalSpy done(&marquee, &Marquee::finished);
    marquee.startScrolling();
    const int steps = (45 + 2 * marquee.lineHeight() - 3) / 3 + 1;
    for (int i = 0; i < steps; ++i) {
        marquee.tick();
    }
    QCOMPARE(marquee.scrollOffset(), 3 * steps);
    marquee.tick();
    QCOMPARE(marquee.scrollOffset(), 0);
    QVERIFY(marquee.isScrolling());
    marquee.tick();
    QCOMPARE(marquee.scrollOffset(), 3);
    QCOMPARE(done.count(), 0);
    marquee.stopScrolling();
    QCOMPARE(done.count(), 1);
}

void TestMarquee::noLinesDoNothing() {
    auto marquee = std::make_unique<Marquee>();
    QSignalSpy done(marquee.get(), &Marquee::finished);
    marquee->startScrolling();
    QVERIFY(!marquee->isScrolling());
    marquee->tick();
    marquee.reset();
    QCOMPARE(done.count(), 0);
}

void TestMarquee::finishedOnDestruction() {
    auto marquee = std::make_unique<Marquee>();
    marquee->setLines(Lines(3));
    QSignalSpy done(marquee.get(), &Marquee::finished);
    marquee->startScrolling();
    marquee.reset();
    QCOMPARE(done.count(), 1);
}

void TestMarquee::renderErrorLeavesMarqueeIdle() {
    Marquee marquee;
    marquee.setLines(Lines(3));
    marquee.resize(0, 50); // nothing to render into
    QSignalSpy done(&marquee, &Marquee::finished);
    QString message;
    try {
        marquee.startScrolling();
    } catch (const MarqueeError& error) {
        message = QString::fromStdString(error.what());
    }
    QCOMPARE(message, QStringLiteral("Failed to render text(Line: #0)"));
    QVERIFY(!marquee.isScrolling());

    marquee.resize(100, 50);
    marquee.startScrolling();
    QVERIFY(marquee.isScrolling());
    marquee.stopScrolling();
    QCOMPARE(done.count(), 1);
}

void TestMarquee::timerDrivesTheSteps() {
    Marquee marquee;
    QCOMPARE(marquee.interval(), 50u);
    marquee.resize(100, 9);
    marquee.setLines({QStringLiteral("x")});
    marquee.setInterval(1);
    QSignalSpy done(&marquee, &Marquee::finished);
    marquee.startScrolling();
    QVERIFY(done.wait(5000));
    QCOMPARE(done.count(), 1);
    QVERIFY(!marquee.isScrolling());
}

void TestMarquee::justify_data() {
    QTest::addColumn<Justification>("justify");
    QTest::newRow("left") << Justification::Left;
    QTest::newRow("centre") << Justification::Center;
    QTest::newRow("right") << Justification::Right;
}

void TestMarquee::justify() {
    QFETCH(Justification, justify);
    Marquee marquee;
    marquee.resize(300, 60);
    marquee.setColor(Qt::white);
    marquee.setJustification(justify);
    marquee.setLines({QStringLiteral("M&&M")});
    marquee.startScrolling();
    // Bring the line to the top of the text area.
    while (marquee.scrollOffset() < 60) {
        marquee.tick();
    }
    const QImage image = marquee.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect area = marquee.textArea();
    const auto [first, last] = InkColumns(image, area, qRgb(255, 255, 255));
    QVERIFY(last > first);
    const int third = area.width() / 3;
    switch (justify) {
    case Justification::Left:
        QVERIFY(first < area.left() + third && last < area.left() + 2 * third);
        break;
    case Justification::Right:
        QVERIFY(first > area.left() + third && last > area.left() + 2 * third);
        break;
    case Justification::Center:
        QVERIFY(first > area.left() + third / 2 && last < area.right() - third / 2);
        break;
    }
    marquee.stopScrolling();
}

QTEST_MAIN(TestMarquee)
#include "tst_marquee.moc"
