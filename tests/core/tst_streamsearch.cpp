// SPDX-License-Identifier: MIT
#include "shared_linesof.h"

#include "core/databaselines.h"
#include "core/fileerror.h"
#include "core/searchengine.h"
#include "core/streamsearch.h"
#include "core/utf8.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

using namespace nomix;

namespace {

struct Hit {
    uint32_t index;
    std::string text;
    bool operator==(const Hit&) const = default;
};

// Blocks from one byte (every line straddles blocks) to more than the data.
constexpr size_t kBlockSizes[] = {1, 2, 3, 5, 8, 13, 64, 4096};
// Reads that stop short, as a pipe or a network file system may.
constexpr size_t kReadLimits[] = {1, 7, SIZE_MAX};

std::vector<SearchRequest> requestsFor(const QByteArray& needle, size_t columns) {
    std::vector<SearchRequest> requests;
    for (MatchMode mode : {MatchMode::Substring, MatchMode::BeginsWith, MatchMode::EndsWith,
                           MatchMode::CompleteMatch}) {
        for (bool all : {true, false}) {
            SearchRequest request;
            request.text = needle.toStdString();
            request.mode = mode;
            request.columnCount = columns;
            request.allProductsSelected = all;
            for (size_t c = 0; c < columns; ++c) {
                request.selected.push_back(all || c % 2 == 0);
            }
            requests.push_back(request);
        }
    }
    return requests;
}

// Every block size, short reads or not, with and without a hit handler,
// against the engine on the loaded database. Returns the first difference.
QString differenceFromEngine(const QByteArray& bytes, const SearchRequest& request) {
    const DatabaseLines lines = linesOf(bytes);
    const SearchOutcome expected = runSearch(lines, request);
    std::vector<Hit> expectedHits;
    for (uint32_t k : expected.hits) {
        expectedHits.push_back({k, std::string(lines.at(k))});
    }
    const std::string_view view(bytes.constData(), static_cast<size_t>(bytes.size()));
    for (size_t block : kBlockSizes) {
        for (size_t limit : kReadLimits) {
            MemoryByteSource source(view, limit);
            std::vector<Hit> hits;
            const int32_t listed = streamSearch(
                source, request,
                [&hits](uint32_t k, std::string_view text) {
                    hits.push_back({k, std::string(text)});
                },
                block);
            source.rewind();
            const int32_t counted = streamSearch(source, request, {}, block);
            if (listed != expected.hitCount || counted != expected.hitCount ||
                hits != expectedHits) {
                return QStringLiteral("block %1, reads of %2, mode %3: %4 listed, %5 counted, "
                                      "%6 expected; hits %7")
                    .arg(block)
                    .arg(limit == SIZE_MAX ? -1 : qint64(limit))
                    .arg(int(request.mode))
                    .arg(listed)
                    .arg(counted)
                    .arg(expected.hitCount)
                    .arg(hits == expectedHits ? "same" : "differ");
            }
        }
    }
    return {};
}

// streamLines against the loaded database's lines, in the same ways.
QString differenceFromLoadedLines(const QByteArray& bytes) {
    const DatabaseLines lines = linesOf(bytes);
    std::vector<Hit> expected;
    for (size_t k = 0; k < lines.count(); ++k) {
        expected.push_back({static_cast<uint32_t>(k), std::string(lines.at(k))});
    }
    const std::string_view view(bytes.constData(), static_cast<size_t>(bytes.size()));
    for (size_t block : kBlockSizes) {
        for (size_t limit : kReadLimits) {
            MemoryByteSource source(view, limit);
            std::vector<Hit> got;
            const size_t count = streamLines(
                source,
                [&got](uint32_t k, std::string_view text) {
                    got.push_back({k, std::string(text)});
                },
                block);
            if (got != expected || count != expected.size()) {
                return QStringLiteral("every line, block %1, reads of %2: %3 lines, %4 expected")
                    .arg(block)
                    .arg(limit == SIZE_MAX ? -1 : qint64(limit))
                    .arg(got.size())
                    .arg(expected.size());
            }
        }
    }
    return {};
}

} // namespace

class TestStreamSearch : public QObject {
    Q_OBJECT

  private slots:
    void answersLikeTheEngine_data();
    void answersLikeTheEngine();
    void randomDatabasesAnswerLikeTheEngine();
    void utf8LikeTheLoadedBytes_data();
    void utf8LikeTheLoadedBytes();
    void readsFilesAndNamesThemOnFailure();
};

void TestStreamSearch::answersLikeTheEngine_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("needle");

    const QByteArray crlf = "|Agent.A|W32/Agent|x|\r\n|Zbot|agent|Zbot|\r\n|no|no|no|\r\n|AGENT|";
    QTest::newRow("crlf") << crlf << QByteArray("AGENT");
    QTest::newRow("cr only") << QByteArray(crlf).replace("\r\n", "\r") << QByteArray("agent");
    QTest::newRow("lf only") << QByteArray(crlf).replace("\r\n", "\n") << QByteArray("agent");
    QTest::newRow("lf only until a late cr")
        << QByteArray(crlf).replace("\r\n", "\n") + "\n|agent|\r\n|agent|" << QByteArray("agent");
    QTest::newRow("a cr after byte 26 leaves lf the line end")
        << QByteArray(crlf).replace("\r\n", "\n") + "\x1a\r|agent|" << QByteArray("agent");
    QTest::newRow("byte 26 ends the data")
        << QByteArray("|agent|\r\n|agent|\x1a|agent|\r\n") << QByteArray("agent");
    QTest::newRow("empty") << QByteArray() << QByteArray("a");
    QTest::newRow("empty string") << crlf << QByteArray();
    QTest::newRow("short lines keep their index")
        << QByteArray("ab\r\nx\r\n\r\n|ab|\r\nab\r\n|ab") << QByteArray("ab");
    QTest::newRow("only the first and last characters hold the string")
        << QByteArray("a|b\r\nab\r\nxabx\r\n") << QByteArray("a");
    QTest::newRow("cr lf split over blocks, string at a line start")
        << QByteArray("\r\n|x|\r\nxx\r\r\n|x|\r") << QByteArray("x");
    QTest::newRow("string holds a lf after a cr")
        << QByteArray("|a\r\nb|\r\n|a\nb|\r") << QByteArray("\nB");
    QTest::newRow("string holds the line end")
        << QByteArray("|a|\r\n|b|\r\n") << QByteArray("|\r\n|");
    QTest::newRow("string spans two fields") << QByteArray("|ab|cd|\r\n") << QByteArray("b|c");
    QTest::newRow("line longer than any block")
        << QByteArray("|") + QByteArray(10000, 'x') + "agent|\r\n|agent|" << QByteArray("agent");
    QTest::newRow("string twice in a field")
        << QByteArray("|abxab|ab|\r\n|xab|\r\n") << QByteArray("ab");
    // Whether an occurrence lies inside a line's text is read off the bytes
    // beside it.
    QTest::newRow("string after the lf of a cr lf, a lone lf and a doubled lf")
        << QByteArray("|x|\r\nab|\r\n\nab|\rx\nab|\r\n\n\nab|") << QByteArray("ab");
    QTest::newRow("string at the last byte before each kind of line end")
        << QByteArray("|xab\r\n|xab\r|xab\n|\r\n|xab") << QByteArray("ab");
    QTest::newRow("hits in the first and the last line")
        << QByteArray("|ab|x|\r\n|x|\r\n|x|ab|") << QByteArray("ab");
    QTest::newRow("empty fields around the string")
        << QByteArray("||ab||\r\n|||\r\n|ab||\r\n||ab") << QByteArray("ab");
}

void TestStreamSearch::answersLikeTheEngine() {
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, needle);
    for (const SearchRequest& request : requestsFor(needle, 3)) {
        const QString difference = differenceFromEngine(bytes, request);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }
    const QString difference = differenceFromLoadedLines(bytes);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

// Random bytes rich in line ends, bars and the string's letters: where the
// lines and blocks meet differs in every database.
void TestStreamSearch::randomDatabasesAnswerLikeTheEngine() {
    QRandomGenerator random(20261209);
    const char alphabet[] = "aAbB||||xx\r\n\r\n";
    for (int round = 0; round < 60; ++round) {
        QByteArray bytes;
        const int size = int(random.bounded(400));
        for (int i = 0; i < size; ++i) {
            bytes += alphabet[random.bounded(int(sizeof(alphabet) - 1))];
        }
        if (round % 3 == 0) {
            bytes.replace('\r', 'x'); // lines ended by LF
        }
        if (round % 10 == 0) {
            bytes.insert(int(random.bounded(bytes.size() + 1)), '\x1a');
        }
        QByteArray needle;
        for (int i = 1 + int(random.bounded(3)); i > 0; --i) {
            needle += "abAB|"[random.bounded(5)];
        }
        for (const SearchRequest& request : requestsFor(needle, 1 + random.bounded(4u))) {
            const QString difference = differenceFromEngine(bytes, request);
            QVERIFY2(
                difference.isEmpty(),
                qPrintable(difference + " in " + bytes.toPercentEncoding() + " for " + needle));
        }
        const QString difference = differenceFromLoadedLines(bytes);
        QVERIFY2(difference.isEmpty(), qPrintable(difference + " in " + bytes.toPercentEncoding()));
    }
}

void TestStreamSearch::utf8LikeTheLoadedBytes_data() {
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("ascii") << QByteArray("|abc|\r\n");
    QTest::newRow("two, three and four bytes")
        << QByteArray("|\xc3\xa9|\xe2\x82\xac|\xf0\x9f\x98\x80|");
    QTest::newRow("windows-1252") << QByteArray("|caf\xe9|\r\n");
    QTest::newRow("sequence cut by the end") << QByteArray("|ab\xe2\x82");
    QTest::newRow("sequence cut by a line end") << QByteArray("|\xe2\x82\r\n\xac|");
    QTest::newRow("stray continuation bytes") << QByteArray("|\x80\x80\x80\x80\x80|");
    QTest::newRow("invalid only after byte 26") << QByteArray("|\xc3\xa9|\x1a\xff");
    QTest::newRow("sequence cut by byte 26") << QByteArray("|\xc3\x1a\xa9");
    QTest::newRow("overlong") << QByteArray("|\xc0\xaf|");
}

void TestStreamSearch::utf8LikeTheLoadedBytes() {
    QFETCH(QByteArray, bytes);
    const DatabaseLines lines = linesOf(bytes);
    const bool expected = isValidUtf8Bytes(lines.data(), lines.dataSize());
    for (size_t block : kBlockSizes) {
        MemoryByteSource source(std::string_view(bytes.constData(), size_t(bytes.size())), 3);
        QCOMPARE(streamIsUtf8(source, block), expected);
        char first = 0;
        QCOMPARE(source.read(&first, 1), size_t(bytes.isEmpty() ? 0 : 1)); // rewound
    }
}

void TestStreamSearch::readsFilesAndNamesThemOnFailure() {
    QTemporaryDir dir;
    const QString path = dir.filePath("NOMIX.DAT");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("|agent|\r\n|x|\r\n|Agent|\r\n");
    file.close();
    SearchRequest request;
    request.text = "agent";
    FileByteSource source(path.toStdString());
    std::vector<uint32_t> hits;
    QCOMPARE(
        streamSearch(source, request, [&hits](uint32_t k, std::string_view) { hits.push_back(k); }),
        2);
    QCOMPARE(hits, (std::vector<uint32_t>{0, 2}));

    for (const QString& bad : {dir.filePath("missing"), dir.path()}) {
        try {
            FileByteSource missing(bad.toStdString());
            QFAIL("opened");
        } catch (const FileError& e) {
            QCOMPARE(QString::fromStdString(e.path()), bad);
        }
    }
}

QTEST_GUILESS_MAIN(TestStreamSearch)
#include "tst_streamsearch.moc"
