// SPDX-License-Identifier: MIT
#include "core/import/scanreports.h"

#include "../tools/shared_reports.h"

#include <QTest>

#include <algorithm>
#include <cstring>
#include <span>

using namespace nomix;

namespace {

// What a reader handed on, in order: each report's hash and fields, each
// skipped line's number and reason.
QStringList readEvents(const QByteArray& input, qsizetype piece, bool intoRoom) {
    QStringList events;
    ScanReportReader reader(
        [&](ScanReport&& report) {
            events << QString::fromStdString("report " + report.sha256 + " " + report.fields);
        },
        [&](size_t line, const std::string& reason) {
            events << QStringLiteral("skip %1 %2").arg(line).arg(QString::fromStdString(reason));
        });
    for (qsizetype start = 0; start < input.size();) {
        const std::string_view next(input.constData() + start,
                                    size_t(std::min(piece, input.size() - start)));
        // As the import reads a plain file: into the reader's room where it
        // offers one, else through feed().
        const std::span<char> room = intoRoom ? reader.room() : std::span<char>();
        if (room.empty()) {
            reader.feed(next);
            start += qsizetype(next.size());
        } else {
            const size_t count = std::min(room.size(), next.size());
            std::memcpy(room.data(), next.data(), count);
            reader.filled(count);
            start += qsizetype(count);
        }
    }
    reader.finish();
    return events;
}

QByteArray report(int i) {
    const QByteArray sha = QByteArray::number(i).rightJustified(64, 'a');
    return v3(sha, i, v3Result("E", "malicious", "\"Name." + QByteArray::number(i) + "\""));
}

QByteArray reports(int count, const QByteArray& separator) {
    QByteArray text;
    for (int i = 0; i < count; ++i) {
        text += (i ? separator : QByteArray()) + report(i);
    }
    return text;
}

} // namespace

class TestScanReportReader : public QObject {
    Q_OBJECT

  private slots:
    // Input read in pieces, copied or read into the reader's room, gives the
    // reports and skipped lines of the same input read at once, wherever the
    // pieces and the reader's batches end.
    void piecesReadAsTheWhole_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("reports");
        QTest::addColumn<int>("skipped");
        QTest::newRow("JSON Lines with a broken line")
            << reports(3, "\n") + "\n{broken\n" + report(9) + "\n"
            << 4 << 1;
        QTest::newRow("one array with a broken element")
            << "[" + reports(3, ",\n") + ",\n{\"a\": tru}]" << 3 << 1;
        QTest::newRow("an array, blanks, then JSON Lines")
            << "[ " + report(1) + " ]" + QByteArray(300, ' ') + "\n" + reports(2, "\n") << 3 << 0;
        QTest::newRow("an empty array, then JSON Lines") << "[ ]  \n" + reports(2, "\n") << 2 << 0;
        QTest::newRow("an array cut short") << "[" + reports(2, ",") + ", {\"a\": [" << 2 << 1;
        QTest::newRow("a byte-order mark, then an array")
            << "\xef\xbb\xbf  [" + reports(2, ",") + "]" << 2 << 0;
        QTest::newRow("a document over lines")
            << "{\"data\": [\n" + reports(2, ",\n") + "\n]}" << 2 << 0;
        QTest::newRow("JSON Lines over several batches") << reports(12000, "\n") << 12000 << 0;
        QTest::newRow("an array over several batches, then a line")
            << "[\n" + reports(12000, ",\n") + "\n]\n" + report(1) << 12001 << 0;
    }
    void piecesReadAsTheWhole() {
        QFETCH(QByteArray, input);
        QFETCH(int, reports);
        QFETCH(int, skipped);
        const QStringList whole = readEvents(input, input.size(), false);
        const auto count = [&whole](const QString& kind) {
            return std::count_if(whole.begin(), whole.end(),
                                 [&kind](const QString& event) { return event.startsWith(kind); });
        };
        QCOMPARE(count(QStringLiteral("report ")), reports);
        QCOMPARE(count(QStringLiteral("skip ")), skipped);
        for (const qsizetype piece : {qsizetype(1), qsizetype(4), qsizetype(61), qsizetype(4096)}) {
            if (input.size() / piece > 100000) {
                continue; // a megabyte a byte at a time proves no more
            }
            for (const bool intoRoom : {false, true}) {
                QCOMPARE(readEvents(input, piece, intoRoom), whole);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestScanReportReader)
#include "tst_scanreportreader.moc"
