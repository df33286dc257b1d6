// SPDX-License-Identifier: MIT
#include "core/shared_linesof.h"
#include "mainwindow/searchcontroller.h"

#include <QSignalSpy>
#include <QTest>

using nomix::SearchController;
using State = nomix::SearchController::State;

Q_DECLARE_METATYPE(QList<State>)

namespace {

// Enough lines that a background search hands control back several times.
nomix::DatabaseLines manyLines() {
    QByteArray bytes;
    for (int i = 0; i < 200000; ++i) {
        bytes += "|Trojan.Zbot|NO_VIRUS|\r\n";
    }
    return linesOf(bytes);
}

nomix::SearchRequest zbot(bool background) {
    nomix::SearchRequest request;
    request.text = "zbot";
    request.background = background;
    request.updateCounter = true;
    request.columnCount = 2;
    request.selected = {true, true};
    return request;
}

} // namespace

class TestSearchController : public QObject {
    Q_OBJECT

  private slots:
    void states_data();
    void states();
};

void TestSearchController::states_data() {
    QTest::addColumn<bool>("background");
    QTest::addColumn<bool>("stopOnFirstCount");
    QTest::addColumn<QList<State>>("expected");
    QTest::addColumn<bool>("stopped");
    QTest::newRow("foreground runs to its end")
        << false << false << QList{State::Searching, State::Idle} << false;
    QTest::newRow("background runs to its end")
        << true << false << QList{State::Searching, State::Idle} << false;
    QTest::newRow("background stopped")
        << true << true << QList{State::Searching, State::Stopping, State::Idle} << true;
    QTest::newRow("foreground ignores a stop")
        << false << true << QList{State::Searching, State::Stopping, State::Idle} << false;
}

// Each search goes through its states once; a stop ends a background search
// at its next slice with the hits found so far; a second search cannot start
// while one runs.
void TestSearchController::states() {
    QFETCH(bool, background);
    QFETCH(bool, stopOnFirstCount);
    QFETCH(QList<State>, expected);
    QFETCH(bool, stopped);
    const nomix::DatabaseLines lines = manyLines();
    SearchController controller;
    QList<State> seen;
    connect(&controller, &SearchController::stateChanged, this,
            [&seen](State state) { seen << state; });
    bool secondRunRefused = false;
    connect(&controller, &SearchController::hitCountChanged, this, [&] {
        if (!secondRunRefused) {
            secondRunRefused = controller.run(lines, zbot(background)).hitCount == 0;
            if (stopOnFirstCount) {
                controller.stop();
            }
        }
    });

    const nomix::SearchOutcome outcome = controller.run(lines, zbot(background));
    QCOMPARE(seen, expected);
    QCOMPARE(outcome.stopped, stopped);
    QCOMPARE(controller.state(), State::Idle);
    QCOMPARE(controller.hitCount(), outcome.hitCount);
    QVERIFY(secondRunRefused);
    if (stopped) {
        QVERIFY(outcome.hitCount > 0 && outcome.hitCount < 200000);
    } else {
        QCOMPARE(outcome.hitCount, 200000);
    }
}

QTEST_GUILESS_MAIN(TestSearchController)
#include "tst_searchcontroller.moc"
