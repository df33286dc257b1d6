// SPDX-License-Identifier: MIT
#include "core/namesbyproduct.h"
#include "core/shared_linesof.h"
#include "mainwindow/namescounting.h"

#include <QSignalSpy>
#include <QTest>

using namespace nomix;

// The names window's counts arrive the same whether the hits were few
// enough to count at once or were counted on a thread; a new start drops the
// count under way.
class TestNamesCounting : public QObject {
    Q_OBJECT

  private slots:
    void countsAsTheCoreDoes_data();
    void countsAsTheCoreDoes();
    void newStartDropsTheOldCount();

  private:
    static DatabaseLines manyLines(int count);
};

// Three products; names repeat with different periods, so the counts differ.
DatabaseLines TestNamesCounting::manyLines(int count) {
    QByteArray text;
    for (int i = 0; i < count; ++i) {
        text += "|W32/A." + QByteArray::number(i % 7) + "|NO_VIRUS|Trojan." +
                QByteArray::number(i % 1000) + "|\r\n";
    }
    return linesOf(text);
}

void TestNamesCounting::countsAsTheCoreDoes_data() {
    QTest::addColumn<int>("hits");
    QTest::newRow("a few, at once") << 40;
    QTest::newRow("as many as at once") << int(NamesCounting::kAtOnceLimit);
    QTest::newRow("more, on a thread") << int(NamesCounting::kAtOnceLimit) + 5000;
}

void TestNamesCounting::countsAsTheCoreDoes() {
    QFETCH(int, hits);
    const DatabaseLines lines = manyLines(hits + 10);
    std::vector<uint32_t> hitLines;
    for (int i = 0; i < hits; ++i) {
        hitLines.push_back(uint32_t(i + 3));
    }
    NamesCounting counting;
    std::vector<std::vector<NameCount>> got;
    size_t gotHits = 0;
    connect(&counting, &NamesCounting::namesCounted, this,
            [&](std::shared_ptr<std::vector<std::vector<NameCount>>> names, size_t hitCount) {
                got = *names;
                gotHits = hitCount;
            });
    counting.start(&lines, hitLines, 3);
    QTRY_COMPARE(gotHits, size_t(hits));
    const auto expected = namesByProduct(lines, hitLines, 3);
    QCOMPARE(got.size(), expected.size());
    for (size_t p = 0; p < got.size(); ++p) {
        QCOMPARE(got[p].size(), expected[p].size());
        for (size_t n = 0; n < got[p].size(); ++n) {
            QCOMPARE(got[p][n].name, expected[p][n].name);
            QCOMPARE(got[p][n].count, expected[p][n].count);
        }
    }
}

void TestNamesCounting::newStartDropsTheOldCount() {
    const int many = int(NamesCounting::kAtOnceLimit) * 4;
    const DatabaseLines lines = manyLines(many);
    std::vector<uint32_t> all(static_cast<size_t>(many));
    for (size_t i = 0; i < all.size(); ++i) {
        all[i] = uint32_t(i);
    }
    NamesCounting counting;
    QSignalSpy counted(&counting, &NamesCounting::namesCounted);
    counting.start(&lines, all, 3);
    counting.start(&lines, {0, 1}, 3); // at once: reported before the call returns
    QCOMPARE(counted.size(), 1);
    QTest::qWait(50);
    QCOMPARE(counted.size(), 1);
    QCOMPARE(counted.first().at(1).value<size_t>(), size_t(2));
}

QTEST_MAIN(TestNamesCounting)
#include "tst_namescounting.moc"
