// SPDX-License-Identifier: MIT
#include "core/import/compressedinput.h"

#include "core/fileerror.h"

#include <QProcess>
#include <QTest>

using nomix::CompressedInput;

namespace {

// `bytes` in `parts` pieces, each compressed by the compressor's own program,
// joined as parallel compressors write them.
QByteArray compressed(const QString& program, const QByteArray& bytes, int parts = 1) {
    QByteArray all;
    for (int i = 0; i < parts; ++i) {
        QProcess process;
        process.start(program, {QStringLiteral("-c")});
        process.write(bytes.mid(i * (bytes.size() / parts + 1), bytes.size() / parts + 1));
        process.closeWriteChannel();
        process.waitForFinished(30000);
        all += process.readAllStandardOutput();
    }
    return all;
}

// What came out, fed `chunk` bytes at a time; the error, or empty.
std::pair<QByteArray, std::string> decompressed(const QByteArray& input, qsizetype chunk,
                                                const std::string& name = {}) {
    QByteArray out;
    CompressedInput decoder(
        [&out](std::string_view bytes) { out.append(bytes.data(), qsizetype(bytes.size())); },
        name);
    try {
        for (qsizetype at = 0; at < input.size(); at += chunk) {
            decoder.feed(
                std::string_view(input.constData() + at, size_t(qMin(chunk, input.size() - at))));
        }
        decoder.finish();
    } catch (const nomix::ImportError& e) {
        return {out, e.what()};
    }
    return {out, {}};
}

// 1.6 MB that compress well: one piece in gives many pieces out.
const QByteArray kLines = [] {
    QByteArray text;
    for (int i = 0; i < 20000; ++i) {
        text += "{\"sha256\": \"" + QByteArray::number(i).rightJustified(64, '0') + "\"}\n";
    }
    return text;
}();

} // namespace

class TestCompressedInput : public QObject {
    Q_OBJECT

  private slots:
    void readsAsThePlainBytes_data();
    void readsAsThePlainBytes();
    void brokenInputIsNamed_data();
    void brokenInputIsNamed();
};

void TestCompressedInput::readsAsThePlainBytes_data() {
    QTest::addColumn<QByteArray>("plain");
    QTest::addColumn<QByteArray>("input");

    for (const char* program : {"gzip", "zstd", "bzip2"}) {
        const QString name = QString::fromLatin1(program);
        QTest::addRow("%s", program) << kLines << compressed(name, kLines);
        QTest::addRow("%s in three parts", program) << kLines << compressed(name, kLines, 3);
    }
    // Plain text, also when it begins like a compressed one.
    for (const QByteArray& plain :
         {kLines, QByteArray("BZh!\n"), QByteArray("\x1f"), QByteArray()}) {
        QTest::addRow("plain %lld bytes", static_cast<long long>(plain.size())) << plain << plain;
    }
}

// One byte at a time splits every magic, header and trailer.
void TestCompressedInput::readsAsThePlainBytes() {
    QFETCH(QByteArray, plain);
    QFETCH(QByteArray, input);
    for (const qsizetype chunk : {qsizetype{1}, qsizetype{3}, qsizetype{1} << 20}) {
        const auto [out, error] = decompressed(input, chunk);
        QVERIFY2(error.empty(), error.c_str());
        QVERIFY2(out == plain,
                 qPrintable(QStringLiteral("by %1: %2 bytes").arg(chunk).arg(out.size())));
    }
}

void TestCompressedInput::brokenInputIsNamed_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("error");

    const QByteArray gzip = compressed(QStringLiteral("gzip"), kLines);
    const QByteArray zstd = compressed(QStringLiteral("zstd"), kLines);
    const QByteArray bzip2 = compressed(QStringLiteral("bzip2"), kLines);
    const auto flipped = [](QByteArray bytes, qsizetype at) {
        bytes[at] = char(~bytes[at]);
        return bytes;
    };
    QTest::newRow("gzip cut short") << gzip.chopped(1) << QByteArray("not a complete gzip stream");
    QTest::newRow("zstd cut short") << zstd.chopped(1) << QByteArray("not a complete zstd stream");
    QTest::newRow("bzip2 cut short")
        << bzip2.left(bzip2.size() / 2) << QByteArray("not a complete bzip2 stream");
    // Each format's own check finds a changed byte.
    QTest::newRow("gzip with a wrong checksum")
        << flipped(gzip, gzip.size() - 8)
        << QByteArray("corrupt gzip stream (incorrect data check)");
    QTest::newRow("zstd with a wrong checksum")
        << flipped(zstd, zstd.size() - 1) << QByteArray("corrupt zstd stream (");
    QTest::newRow("bzip2 with a wrong block marker")
        << flipped(bzip2, 5) << QByteArray("corrupt bzip2 stream (data error)");
    QTest::newRow("gzip followed by other bytes") << gzip + "{}\n"
                                                  << QByteArray("corrupt gzip stream (");
    // A frame header asking for a 256 MB window.
    QTest::newRow("zstd window too large") << QByteArray("\x28\xb5\x2f\xfd\x00\x90", 6)
                                           << QByteArray("zstd stream needs a window over 128 MB");
}

void TestCompressedInput::brokenInputIsNamed() {
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, error);
    for (const qsizetype chunk : {qsizetype{7}, qsizetype{1} << 20}) {
        const std::string got = decompressed(input, chunk).second;
        QVERIFY2(QByteArray::fromStdString(got).startsWith(error), got.c_str());
        // The caller's name for the input comes first, as the user sees it.
        const std::string named = decompressed(input, chunk, "reports.gz").second;
        QVERIFY2(QByteArray::fromStdString(named).startsWith("reports.gz: " + error),
                 named.c_str());
    }
}

QTEST_MAIN(TestCompressedInput)
#include "tst_compressedinput.moc"
