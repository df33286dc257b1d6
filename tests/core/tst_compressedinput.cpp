#include "core/import/compressedinput.h"

#include <QProcess>
#include <QTest>

using nomix::CompressedInput;
using Format = CompressedInput::Format;
Q_DECLARE_METATYPE(Format)

namespace {

// `bytes` as the compressor's own program writes them, as feeds arrive.
QByteArray compressed(const QString& program, const QByteArray& bytes) {
    QProcess process;
    process.start(program, {QStringLiteral("-c")});
    process.write(bytes);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000) || process.exitCode() != 0) {
        return "(" + program.toUtf8() + " failed)";
    }
    return process.readAllStandardOutput();
}

// Text that compresses well, so that one input chunk gives many output chunks.
QByteArray reportLines(int count) {
    QByteArray text;
    for (int i = 0; i < count; ++i) {
        text += "{\"sha256\": \"" + QByteArray::number(i).rightJustified(64, '0') +
                "\", \"scans\": {\"E\": {\"detected\": true, \"result\": \"W32/X\"}}}\n";
    }
    return text;
}

struct Outcome {
    bool ok = false;
    QByteArray out;
    std::string error;
    Format format = Format::Plain;
};

Outcome decompressed(const QByteArray& input, qsizetype chunk) {
    Outcome outcome;
    CompressedInput decoder([&outcome](std::string_view bytes) {
        outcome.out.append(bytes.data(), qsizetype(bytes.size()));
    });
    bool ok = true;
    for (qsizetype at = 0; ok && at < input.size(); at += chunk) {
        const QByteArray piece = input.mid(at, chunk);
        ok = decoder.feed(std::string_view(piece.constData(), size_t(piece.size())));
    }
    outcome.ok = decoder.finish() && ok;
    outcome.error = decoder.error();
    outcome.format = decoder.format();
    return outcome;
}

const QByteArray kLines = reportLines(20000); // 2 MB, several of the decoder's pieces

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
    QTest::addColumn<QString>("program"); // empty: the bytes as they are
    QTest::addColumn<int>("parts");       // compressed one after the other
    QTest::addColumn<qsizetype>("chunk"); // the bytes fed at a time
    QTest::addColumn<Format>("format");

    const struct {
        const char* program;
        Format format;
    } formats[] = {{"", Format::Plain},
                   {"gzip", Format::Gzip},
                   {"zstd", Format::Zstd},
                   {"bzip2", Format::Bzip2}};
    for (const auto& f : formats) {
        for (const int parts : {1, 3}) {
            // One byte at a time splits every magic, header and trailer.
            for (const qsizetype chunk : {qsizetype{1}, qsizetype{3}, qsizetype{1} << 20}) {
                if (*f.program == '\0' && parts > 1) {
                    continue;
                }
                QTest::addRow("%s, %d parts, by %lld", *f.program ? f.program : "plain", parts,
                              static_cast<long long>(chunk))
                    << kLines << QString::fromLatin1(f.program) << parts << chunk << f.format;
            }
        }
    }
    // Plain text that begins like a compressed one.
    QTest::newRow("BZh without a level")
        << QByteArray("BZh!\n") << QString() << 1 << qsizetype{1} << Format::Plain;
    QTest::newRow("shorter than a magic")
        << QByteArray("\x1f") << QString() << 1 << qsizetype{1} << Format::Plain;
    QTest::newRow("empty") << QByteArray() << QString() << 1 << qsizetype{1} << Format::Plain;
}

void TestCompressedInput::readsAsThePlainBytes() {
    QFETCH(QByteArray, plain);
    QFETCH(QString, program);
    QFETCH(int, parts);
    QFETCH(qsizetype, chunk);
    QFETCH(Format, format);
    QByteArray input;
    const qsizetype partSize = plain.size() / parts + 1;
    for (int i = 0; i < parts; ++i) {
        const QByteArray part = plain.mid(i * partSize, partSize);
        input += program.isEmpty() ? part : compressed(program, part);
    }
    const Outcome outcome = decompressed(input, chunk);
    QVERIFY2(outcome.ok, outcome.error.c_str());
    QCOMPARE(outcome.format, format);
    QCOMPARE(outcome.out.size(), plain.size());
    QVERIFY(outcome.out == plain);
}

void TestCompressedInput::brokenInputIsNamed_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("error");

    const QByteArray gzip = compressed(QStringLiteral("gzip"), kLines);
    const QByteArray zstd = compressed(QStringLiteral("zstd"), kLines);
    const QByteArray bzip2 = compressed(QStringLiteral("bzip2"), kLines);
    const auto flipped = [](QByteArray bytes, qsizetype at) {
        bytes[at] = char(bytes[at] ^ 0x5a);
        return bytes;
    };
    QTest::newRow("gzip cut short") << gzip.chopped(1) << QByteArray("not a complete gzip stream");
    QTest::newRow("gzip magic only") << QByteArray("\x1f\x8b") << QByteArray("not a complete gzip");
    QTest::newRow("zstd cut short") << zstd.chopped(1) << QByteArray("not a complete zstd stream");
    QTest::newRow("zstd magic only")
        << QByteArray("\x28\xb5\x2f\xfd") << QByteArray("not a complete zstd stream");
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
    // A frame header asking for a 256 MB window.
    QTest::newRow("zstd window too large") << QByteArray("\x28\xb5\x2f\xfd\x00\x90", 6)
                                           << QByteArray("zstd stream needs a window over 128 MB");
    QTest::newRow("gzip followed by other bytes") << gzip + "{}\n"
                                                  << QByteArray("corrupt gzip stream (");
}

// Whatever breaks, the input is refused, and the reason says what it is.
void TestCompressedInput::brokenInputIsNamed() {
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, error);
    for (const qsizetype chunk : {qsizetype{1} << 20, qsizetype{7}}) {
        const Outcome outcome = decompressed(input, chunk);
        QVERIFY(!outcome.ok);
        QVERIFY2(QByteArray::fromStdString(outcome.error).startsWith(error), outcome.error.c_str());
    }
}

QTEST_MAIN(TestCompressedInput)
#include "tst_compressedinput.moc"
