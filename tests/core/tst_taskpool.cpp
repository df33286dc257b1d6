// SPDX-License-Identifier: MIT
#include "core/taskpool.h"

#include <QTest>

#include <atomic>
#include <stdexcept>

using namespace nomix;

class TestTaskPool : public QObject {
    Q_OBJECT

  private slots:
    // Every task runs once, its future gives its result, and a pool ended
    // with tasks still queued runs them first.
    void runsEveryTask_data() {
        QTest::addColumn<int>("threads");
        QTest::addColumn<int>("tasks");
        QTest::newRow("one thread, many tasks") << 1 << 200;
        QTest::newRow("a thread per core") << 0 << 200;
        QTest::newRow("more threads than tasks") << 8 << 3;
        QTest::newRow("no task") << 2 << 0;
    }
    void runsEveryTask() {
        QFETCH(int, threads);
        QFETCH(int, tasks);
        std::atomic<int> runs{0};
        std::vector<std::future<int>> results;
        {
            TaskPool pool(static_cast<size_t>(threads));
            for (int i = 0; i < tasks; ++i) {
                results.push_back(pool.run([i, &runs] {
                    ++runs;
                    return i * i;
                }));
            }
        }
        QCOMPARE(runs.load(), tasks);
        for (int i = 0; i < tasks; ++i) {
            QCOMPARE(results[static_cast<size_t>(i)].get(), i * i);
        }
    }

    // What a task throws reaches the one who waits for it, and the pool goes
    // on with the others.
    void taskFailureReachesItsFuture() {
        TaskPool pool(2);
        std::future<int> failing = pool.run([]() -> int { throw std::runtime_error("broken"); });
        std::future<int> fine = pool.run([] { return 7; });
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, failing.get());
        QCOMPARE(fine.get(), 7);
    }
};

QTEST_GUILESS_MAIN(TestTaskPool)
#include "tst_taskpool.moc"
