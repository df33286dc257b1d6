// SPDX-License-Identifier: MIT
#include "core/import/samplestore.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <string>
#include <vector>

using nomix::SampleStore;

namespace {

std::string hashOf(int sample) {
    std::string hex = std::to_string(sample);
    return std::string(64 - hex.size(), '0') + hex;
}

struct Kept {
    std::string sha256;
    std::string record;
    bool operator==(const Kept&) const = default;
};

std::vector<Kept> everything(const SampleStore& store) {
    std::vector<Kept> kept;
    store.forEach([&kept](std::string_view sha256, int64_t, std::string_view record) {
        kept.push_back({std::string(sha256), std::string(record)});
    });
    return kept;
}

} // namespace

class TestSampleStore : public QObject {
    Q_OBJECT

  private slots:
    void keepsNewestInFirstOrder_data();
    void keepsNewestInFirstOrder();
    void leavesNoFile();
};

void TestSampleStore::keepsNewestInFirstOrder_data() {
    QTest::addColumn<int>("samples");
    QTest::addColumn<int>("recordSize");
    QTest::addColumn<int>("renewedEvery"); // which samples get a newer analysis
    QTest::newRow("few, small") << 3 << 10 << 1;
    // Records that cross the reading window's edges, and many of them.
    QTest::newRow("many, across windows") << 20000 << 333 << 1;
    // Newer records far from their samples' places, between ones in place.
    QTest::newRow("some renewed") << 20000 << 333 << 7;
    QTest::newRow("larger than the window") << 3 << (3 << 20) << 1;
}

// Every sample is seen twice: first, then in an older analysis (which
// loses); some a third time, in a newer one (which wins, so its record lies
// far from its place in the order).
void TestSampleStore::keepsNewestInFirstOrder() {
    QFETCH(int, samples);
    QFETCH(int, recordSize);
    QFETCH(int, renewedEvery);
    QTemporaryDir dir;
    SampleStore store(dir.path().toStdString());
    const auto record = [recordSize](int sample, char version) {
        std::string text(size_t(recordSize), version);
        text.replace(0, std::to_string(sample).size(), std::to_string(sample));
        return text;
    };
    const auto renewed = [renewedEvery](int i) { return i % renewedEvery == 0; };
    for (const auto& [date, version] : {std::pair{10, 'a'}, {5, 'o'}, {20, 'n'}}) {
        for (int i = 0; i < samples; ++i) {
            if (version != 'n' || renewed(i)) {
                QCOMPARE(store.put(hashOf(i), date, record(i, version)), date != 5);
            }
        }
    }
    QVERIFY(!store.wants(hashOf(0), 19));
    QVERIFY(store.wants(hashOf(0), 20));
    QVERIFY(store.wants(hashOf(samples), 0));
    QCOMPARE(store.size(), size_t(samples));
    std::vector<Kept> expected;
    for (int i = 0; i < samples; ++i) {
        expected.push_back({hashOf(i), record(i, renewed(i) ? 'n' : 'a')});
    }
    QVERIFY(everything(store) == expected);
}

// The file is unlinked at once: a killed import leaves nothing.
void TestSampleStore::leavesNoFile() {
    QTemporaryDir dir;
    SampleStore store(dir.path().toStdString());
    QVERIFY(store.put(hashOf(1), 1, "record"));
    QVERIFY(QDir(dir.path())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                .isEmpty());
}

QTEST_MAIN(TestSampleStore)
#include "tst_samplestore.moc"
