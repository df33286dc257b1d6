// SPDX-License-Identifier: MIT
#include "controls/clicksorter.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using nomix::ClickSorter;

namespace {

// Short, so a row runs in a fraction of a second, yet long enough that the
// steps of one gesture always land inside it.
constexpr int TestInterval = 150;

} // namespace

class TestClickSorter : public QObject {
    Q_OBJECT

  private slots:
    void sortsGestures_data();
    void sortsGestures();
    void singleClickWaitsForDoubleClickTime();
};

// A gesture is a string of steps: 'd' the button goes down, '2' a double
// click, '.' time passes until the pending press is decided.
void TestClickSorter::sortsGestures_data() {
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<int>("doubleClicks");
    QTest::newRow("single click") << "d." << 1 << 0;
    QTest::newRow("double click") << "d2." << 0 << 1;
    QTest::newRow("triple click is one double click") << "d2d." << 0 << 1;
    QTest::newRow("two single clicks") << "d.d." << 2 << 0;
    QTest::newRow("two double clicks") << "d2.d2." << 0 << 2;
    QTest::newRow("double click after the wait") << "d.2" << 1 << 1;
    QTest::newRow("late double click keeps the next click") << "d.2d." << 2 << 1;
    QTest::newRow("double click alone keeps the next click") << "2d." << 1 << 1;
    QTest::newRow("press pending, nothing yet") << "d" << 0 << 0;
}

void TestClickSorter::sortsGestures() {
    QFETCH(QString, gesture);
    QFETCH(int, clicks);
    QFETCH(int, doubleClicks);
    ClickSorter sorter;
    sorter.setInterval(TestInterval);
    QSignalSpy clickSpy(&sorter, &ClickSorter::clicked);
    QSignalSpy doubleClickSpy(&sorter, &ClickSorter::doubleClicked);

    for (QChar step : gesture) {
        if (step == QLatin1Char('d')) {
            sorter.notePress();
        } else if (step == QLatin1Char('2')) {
            sorter.noteDoubleClick();
        } else {
            QTRY_VERIFY(!sorter.isPending());
        }
    }
    QCOMPARE(clickSpy.count(), clicks);
    QCOMPARE(doubleClickSpy.count(), doubleClicks);
}

void TestClickSorter::singleClickWaitsForDoubleClickTime() {
    ClickSorter sorter;
    sorter.setInterval(TestInterval);
    QSignalSpy clickSpy(&sorter, &ClickSorter::clicked);
    QElapsedTimer elapsed;
    elapsed.start();
    sorter.notePress();
    QVERIFY(sorter.isPending());
    QCOMPARE(clickSpy.count(), 0);
    QVERIFY(clickSpy.wait(5000));
    // Coarse timers may fire up to 5 % early.
    QVERIFY2(elapsed.elapsed() >= TestInterval * 95 / 100,
             qPrintable(QString::number(elapsed.elapsed())));
}

QTEST_MAIN(TestClickSorter)
#include "tst_clicksorter.moc"
