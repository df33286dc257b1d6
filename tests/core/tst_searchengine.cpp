// SPDX-License-Identifier: MIT
#include "shared_linesof.h"

#include "core/asciifinder.h"
#include "core/database.h"
#include "core/fields.h"
#include "core/linematcher.h"
#include "core/searchengine.h"
#include "core/streamsearch.h"

#include <QRandomGenerator>
#include <QTest>

using namespace nomix;

Q_DECLARE_METATYPE(nomix::MatchMode)

namespace {

// Builds a file from line texts, each wrapped in the two characters that a
// database line carries around its fields.
QByteArray fileOf(const QList<QByteArray>& lines) {
    QByteArray bytes;
    for (const QByteArray& line : lines) {
        bytes += '|' + line + "|\r\n";
    }
    return bytes;
}

SearchRequest requestFor(const QByteArray& text, MatchMode mode, const QList<bool>& selected) {
    SearchRequest request;
    request.text = text.toStdString();
    request.mode = mode;
    request.columnCount = static_cast<size_t>(selected.size());
    request.allProductsSelected = true;
    for (bool s : selected) {
        request.selected.push_back(s);
        request.allProductsSelected = request.allProductsSelected && s;
    }
    return request;
}

QList<uint32_t> hitsOf(const SearchOutcome& outcome) {
    return QList<uint32_t>(outcome.hits.begin(), outcome.hits.end());
}

// The search as the program describes it, line by line, with no shortcuts.
QList<uint32_t> referenceSearch(const DatabaseLines& lines, const SearchRequest& request) {
    QList<uint32_t> hits;
    const std::string s = upperCaseAscii(request.text);
    if (s.empty() || s.find_first_of(std::string_view("|\r\n\x1a", 4)) != std::string::npos) {
        return hits; // no name holds a separator, a line end or byte 26
    }
    for (size_t k = 0; k < lines.count(); ++k) {
        const std::string line = upperCaseAscii(lines.at(k));
        if (line.find(s) == std::string::npos) {
            continue;
        }
        if (request.allProductsSelected && request.mode == MatchMode::Substring) {
            hits << uint32_t(k);
            continue;
        }
        for (size_t c = 0; c < request.columnCount; ++c) {
            if (!(c < request.selected.size() && request.selected[c])) {
                continue;
            }
            const std::string field = fieldAtByChar(int32_t(c + 1), line, '|');
            const size_t found = field.find(s);
            const size_t p = found == std::string::npos ? 0 : found + 1;
            bool match = false;
            switch (request.mode) {
            case MatchMode::Substring:
                match = p != 0;
                break;
            case MatchMode::BeginsWith:
                match = p == 1;
                break;
            case MatchMode::EndsWith:
                match = p >= 1 && s.size() + p - 1 == field.size();
                break;
            case MatchMode::CompleteMatch:
                match = p == 1 && s.size() == field.size();
                break;
            }
            if (match) {
                hits << uint32_t(k);
                break;
            }
        }
    }
    return hits;
}

// Each line judged on its own, as lines come from a database server.
QList<uint32_t> oneByOne(const DatabaseLines& lines, const SearchRequest& request) {
    const LineMatcher matcher(request);
    QList<uint32_t> hits;
    for (size_t k = 0; k < lines.count(); ++k) {
        if (matcher.isHit(lines.at(k))) {
            hits << uint32_t(k);
        }
    }
    return hits;
}

class RecordingObserver : public SearchObserver {
  public:
    QList<int> progress;
    QList<int32_t> counters;
    int messageCalls = 0;
    int stopAtCall = -1;

    void progressChanged(int percent) override { progress << percent; }
    void counterChanged(int32_t hitCount) override { counters << hitCount; }
    bool processMessages(int32_t) override { return ++messageCalls == stopAtCall; }
};

} // namespace

class TestSearchEngine : public QObject {
    Q_OBJECT

  private slots:
    void matchMode_data();
    void matchMode();
    void matches_data();
    void matches();
    void unnameableStringFindsNothing_data();
    void unnameableStringFindsNothing();
    void agreesWithReferenceOnRandomData();
    void finderFindsAtEveryOffset();
    void numericOnlyCountsWithoutRows();
    void counterEveryTenthHit();
    void progressEndsBeforeHundred();
    void stopKeepsHitsSoFar();
    void foregroundNeverYields();
    void productsBeyondThirtyTwoAreIndependent();
};

void TestSearchEngine::matchMode_data() {
    QTest::addColumn<bool>("complete");
    QTest::addColumn<bool>("first");
    QTest::addColumn<bool>("last");
    QTest::addColumn<MatchMode>("mode");
    QTest::newRow("none") << false << false << false << MatchMode::Substring;
    QTest::newRow("first") << false << true << false << MatchMode::BeginsWith;
    QTest::newRow("last") << false << false << true << MatchMode::EndsWith;
    QTest::newRow("both") << false << true << true << MatchMode::CompleteMatch;
    QTest::newRow("complete wins over first") << true << true << false << MatchMode::CompleteMatch;
    QTest::newRow("complete wins over last") << true << false << true << MatchMode::CompleteMatch;
    QTest::newRow("complete alone") << true << false << false << MatchMode::CompleteMatch;
}

void TestSearchEngine::matchMode() {
    QFETCH(bool, complete);
    QFETCH(bool, first);
    QFETCH(bool, last);
    QFETCH(MatchMode, mode);
    QCOMPARE(decideMatchMode(complete, first, last), mode);
}

void TestSearchEngine::matches_data() {
    QTest::addColumn<QList<QByteArray>>("lines");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<MatchMode>("mode");
    QTest::addColumn<QList<bool>>("selected");
    QTest::addColumn<QList<uint32_t>>("hits");

    const QList<bool> two{true, true};
    const QList<bool> firstOnly{true, false};
    const QList<bool> secondOnly{false, true};
    const auto S = MatchMode::Substring;
    const auto B = MatchMode::BeginsWith;
    const auto E = MatchMode::EndsWith;
    const auto C = MatchMode::CompleteMatch;

    QTest::newRow("case-insensitive") << QList<QByteArray>{"Trojan.A|W32/Abc", "x|y"}
                                      << QByteArray("tROJAN") << S << two << QList<uint32_t>{0};
    QTest::newRow("across the bar with all products")
        << QList<QByteArray>{"AB|CD", "AB|XD"} << QByteArray("b|c") << S << two
        << QList<uint32_t>{};
    QTest::newRow("across the bar with a product deselected")
        << QList<QByteArray>{"AB|CD"} << QByteArray("b|c") << S << firstOnly << QList<uint32_t>{};
    QTest::newRow("beyond the last column with all products")
        << QList<QByteArray>{"a|b|EXTRA"} << QByteArray("extra") << S << two << QList<uint32_t>{0};
    QTest::newRow("beyond the last column in a column test")
        << QList<QByteArray>{"a|b|EXTRA"} << QByteArray("extra") << S << firstOnly
        << QList<uint32_t>{};
    QTest::newRow("only the selected column")
        << QList<QByteArray>{"VIRUS|x", "x|VIRUS"} << QByteArray("virus") << S << secondOnly
        << QList<uint32_t>{1};
    QTest::newRow("begins with, occurring again later")
        << QList<QByteArray>{"ABXAB|q", "XAB|q"} << QByteArray("ab") << B << two
        << QList<uint32_t>{0};
    QTest::newRow("ends with needs the first occurrence at the end")
        << QList<QByteArray>{"ABXAB|q", "XAB|q"} << QByteArray("ab") << E << two
        << QList<uint32_t>{1};
    QTest::newRow("complete match") << QList<QByteArray>{"AB|q", "ABC|q", "q|ab"}
                                    << QByteArray("AB") << C << two << QList<uint32_t>{0, 2};
    QTest::newRow("several fields give one hit")
        << QList<QByteArray>{"AB|AB"} << QByteArray("ab") << C << two << QList<uint32_t>{0};
    QTest::newRow("accented letters compared as bytes")
        << QList<QByteArray>{"\xe9t\xe9|x", "\xc9T\xc9|x"} << QByteArray("\xc9t\xc9") << S << two
        << QList<uint32_t>{1};
    QTest::newRow("empty string occurs nowhere")
        << QList<QByteArray>{"a|b"} << QByteArray() << S << two << QList<uint32_t>{};
    QTest::newRow("not into the dropped characters")
        << QList<QByteArray>{"AB"} << QByteArray("b|") << S << two << QList<uint32_t>{};
    QTest::newRow("not across lines") << QList<QByteArray>{"xxA", "Bxx"} << QByteArray("A|\r\n|B")
                                      << S << two << QList<uint32_t>{};
    QTest::newRow("empty fields never match in a column test")
        << QList<QByteArray>{"A", "A|A"} << QByteArray("a") << S << secondOnly
        << QList<uint32_t>{1};
    QTest::newRow("runs of bars are one separator")
        << QList<QByteArray>{"A||B"} << QByteArray("B") << C << secondOnly << QList<uint32_t>{0};
    QTest::newRow("non-letters are exact") << QList<QByteArray>{"a@b|x", "a`b|x"}
                                           << QByteArray("A@B") << S << two << QList<uint32_t>{0};
}

void TestSearchEngine::matches() {
    QFETCH(QList<QByteArray>, lines);
    QFETCH(QByteArray, text);
    QFETCH(MatchMode, mode);
    QFETCH(QList<bool>, selected);
    QFETCH(QList<uint32_t>, hits);
    const DatabaseLines db = linesOf(fileOf(lines));
    const SearchRequest request = requestFor(text, mode, selected);
    const SearchOutcome outcome = runSearch(db, request);
    QCOMPARE(hitsOf(outcome), hits);
    QCOMPARE(outcome.hitCount, int32_t(hits.size()));
    QCOMPARE(referenceSearch(db, request), hits);
    QCOMPARE(oneByOne(db, request), hits);
}

// No name holds '|', a line end or the end-of-file mark, so a string with one
// finds nothing, in every mode and in both searches, the loaded database's
// and the command line's straight from the file.
void TestSearchEngine::unnameableStringFindsNothing_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<MatchMode>("mode");
    QTest::addColumn<bool>("allSelected");
    const QList<QByteArray> texts{"NO_VIRUS|NO_VIRUS", "NO_VIRUS|",  "|",
                                  "NO_VIRUS\r",        "\nNO_VIRUS", "NO_VIRUS\x1a"};
    const QList<MatchMode> modes{MatchMode::Substring, MatchMode::BeginsWith, MatchMode::EndsWith,
                                 MatchMode::CompleteMatch};
    for (const QByteArray& text : texts) {
        for (MatchMode mode : modes) {
            for (bool all : {true, false}) {
                QTest::addRow("%s mode %d %s", text.toPercentEncoding().constData(), int(mode),
                              all ? "all products" : "one deselected")
                    << text << mode << all;
            }
        }
    }
}

void TestSearchEngine::unnameableStringFindsNothing() {
    QFETCH(QByteArray, text);
    QFETCH(MatchMode, mode);
    QFETCH(bool, allSelected);
    static const std::optional<Database> sample =
        loadDatabaseFiles(DataLocation{NOMIX_SAMPLE_DIR, "NOMIX.DAT", "NOMIX.CFG"});
    QVERIFY(sample);
    QList<bool> selected(qsizetype(sample->table.entries.size()), true);
    selected[0] = allSelected;
    const SearchRequest request = requestFor(text, mode, selected);
    QCOMPARE(runSearch(sample->names.lines, request).hitCount, 0);
    FileByteSource file(std::string(NOMIX_SAMPLE_DIR) + "/NOMIX.DAT");
    QCOMPARE(streamSearch(file, request), 0);
}

// The engine scans the whole buffer at once and splits fields only where the
// string stands; a reference that follows the rules line by line must agree
// on every kind of text.
void TestSearchEngine::agreesWithReferenceOnRandomData() {
    QRandomGenerator random(20261208);
    const char alphabet[] = "abAB|x\n\r @`";
    int linesWithHits = 0;
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes;
        const int size = int(random.bounded(2000));
        for (int i = 0; i < size; ++i) {
            bytes += alphabet[random.bounded(int(sizeof(alphabet) - 1))];
        }
        // Long runs so the 16- and 32-byte blocks are crossed too.
        if (round % 3 == 0) {
            bytes.insert(int(random.bounded(bytes.size() + 1)), QByteArray(100, 'a'));
        }
        const DatabaseLines db = linesOf(bytes);
        QByteArray needle;
        const int needleSize = 1 + int(random.bounded(4));
        for (int i = 0; i < needleSize; ++i) {
            needle += "abAB|x @"[random.bounded(8)];
        }
        const auto mode = static_cast<MatchMode>(random.bounded(4));
        QList<bool> selected;
        for (int c = 0; c < 5; ++c) {
            selected << (random.bounded(3) != 0);
        }
        const SearchRequest request = requestFor(needle, mode, selected);
        const QList<uint32_t> expected = referenceSearch(db, request);
        QCOMPARE(hitsOf(runSearch(db, request)), expected);
        QCOMPARE(oneByOne(db, request), expected);
        linesWithHits += int(expected.size());
    }
    QVERIFY(linesWithHits > 300); // the data really exercised the matching paths
}

void TestSearchEngine::finderFindsAtEveryOffset() {
    for (size_t m = 1; m <= 40; m += 3) {
        for (size_t at = 0; at + m <= 100; ++at) {
            std::string text(100, 'z');
            std::string needle(m, 'Q');
            needle.back() = 'R';
            for (size_t i = 0; i < m; ++i) {
                text[at + i] = i + 1 == m ? 'r' : 'q';
            }
            const AsciiFinder finder(needle);
            QCOMPARE(finder.find(text), at);
            QCOMPARE(finder.find(text.data(), at + m - 1), AsciiFinder::npos);
        }
    }
}

void TestSearchEngine::numericOnlyCountsWithoutRows() {
    const DatabaseLines db = linesOf(fileOf({"a|b", "a|c", "x|y"}));
    SearchRequest request = requestFor("a", MatchMode::Substring, {true, true});
    request.numericOnly = true;
    const SearchOutcome outcome = runSearch(db, request);
    QCOMPARE(outcome.hitCount, 2);
    QVERIFY(outcome.hits.empty());
}

void TestSearchEngine::counterEveryTenthHit() {
    QList<QByteArray> lines;
    for (int i = 0; i < 35; ++i) {
        lines << "HIT|x";
    }
    const DatabaseLines db = linesOf(fileOf(lines));
    SearchRequest request = requestFor("hit", MatchMode::Substring, {true, true});
    RecordingObserver quiet;
    runSearch(db, request, &quiet);
    QVERIFY(quiet.counters.isEmpty());
    request.updateCounter = true;
    RecordingObserver observer;
    QCOMPARE(runSearch(db, request, &observer).hitCount, 35);
    QCOMPARE(observer.counters, (QList<int32_t>{10, 20, 30}));
}

void TestSearchEngine::progressEndsBeforeHundred() {
    const DatabaseLines db = linesOf(fileOf({"a", "b", "c"}));
    RecordingObserver observer;
    runSearch(db, requestFor("zzz", MatchMode::Substring, {true}), &observer);
    QVERIFY(!observer.progress.isEmpty());
    QCOMPARE(observer.progress.first(), 0);
    QCOMPARE(observer.progress.last(), 66); // (n - 1) * 100 / n
    RecordingObserver empty;
    runSearch(linesOf(QByteArray()), requestFor("a", MatchMode::Substring, {true}), &empty);
    QVERIFY(empty.progress.isEmpty()); // the bar keeps what clearing set
}

void TestSearchEngine::stopKeepsHitsSoFar() {
    // Enough lines for several slices of work.
    QList<QByteArray> lines;
    for (int i = 0; i < 40000; ++i) {
        lines << QByteArray("NAME.") + QByteArray::number(i) + "|x";
    }
    const DatabaseLines db = linesOf(fileOf(lines));
    SearchRequest request = requestFor("name", MatchMode::Substring, {true, true});
    request.background = true;
    RecordingObserver first;
    first.stopAtCall = 1;
    const SearchOutcome none = runSearch(db, request, &first);
    QVERIFY(none.stopped);
    QCOMPARE(none.hitCount, 0);

    RecordingObserver second;
    second.stopAtCall = 2;
    const SearchOutcome some = runSearch(db, request, &second);
    QVERIFY(some.stopped);
    QVERIFY(some.hitCount > 0 && some.hitCount < 40000);
    QCOMPARE(size_t(some.hitCount), some.hits.size());
    for (size_t i = 0; i < some.hits.size(); ++i) {
        QCOMPARE(some.hits[i], uint32_t(i));
    }
}

void TestSearchEngine::foregroundNeverYields() {
    const DatabaseLines db = linesOf(fileOf({"a|b", "c|d"}));
    RecordingObserver observer;
    observer.stopAtCall = 1;
    const SearchOutcome outcome =
        runSearch(db, requestFor("a", MatchMode::Substring, {true, true}), &observer);
    QCOMPARE(observer.messageCalls, 0);
    QVERIFY(!outcome.stopped);
    QCOMPARE(outcome.hitCount, 1);
}

// With 33 products, deselecting the 33rd must not keep it searched because
// the first is selected.
void TestSearchEngine::productsBeyondThirtyTwoAreIndependent() {
    QByteArray line;
    for (int c = 0; c < 33; ++c) {
        line += (c == 32 ? QByteArray("TARGET") : QByteArray("n") + QByteArray::number(c)) + '|';
    }
    QList<bool> selected(33, true);
    selected[32] = false;
    const DatabaseLines db = linesOf(fileOf({line}));
    QCOMPARE(runSearch(db, requestFor("target", MatchMode::Substring, selected)).hitCount, 0);
    selected[32] = true;
    selected[0] = false;
    QCOMPARE(runSearch(db, requestFor("target", MatchMode::Substring, selected)).hitCount, 1);
}

QTEST_APPLESS_MAIN(TestSearchEngine)
#include "tst_searchengine.moc"
