// SPDX-License-Identifier: MIT
#include "shared_linesof.h"

#include "core/database.h"
#include "core/fields.h"
#include "core/fileerror.h"
#include "core/reportfile.h"
#include "core/reportwriter.h"
#include "core/searchengine.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace nomix;

namespace {

class StringSink : public ReportSink {
  public:
    void write(std::string_view bytes) override {
        text.append(bytes);
        writeSizes.push_back(bytes.size());
    }
    std::string text;
    std::vector<size_t> writeSizes;
};

const Database& sample() {
    static const Database db =
        std::move(*loadDatabaseFiles({NOMIX_SAMPLE_DIR, "NOMIX.DAT", "NOMIX.CFG"}));
    return db;
}

const std::vector<std::string>& productTitles() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> all;
        for (const std::string& entry : sample().table.entries) {
            all.push_back(splitProductEntry(entry).name);
        }
        return all;
    }();
    return names;
}

std::vector<uint32_t> cyclingHits(size_t count) {
    std::vector<uint32_t> hits(count);
    for (size_t i = 0; i < count; ++i) {
        hits[i] = static_cast<uint32_t>(i % sample().names.lines.count());
    }
    return hits;
}

// The report as the format describes it, built without the writer.
std::string expectedHeader(const std::string& date, const std::string& time,
                           const std::string& search, int32_t hits) {
    return "NOMIX 1.1 for Windows 95 - by the Nomix95 developers " + date + " " + time +
           "\r\n\r\nWord searched            : \"" + search + "\"\r\nTotal items found        : #" +
           std::to_string(hits) + "\r\n\r\n\r\n";
}

std::string expectedRows(const std::vector<uint32_t>& hits, const ProductSelection& selection) {
    std::string out;
    for (uint32_t hit : hits) {
        for (size_t c = 0; c < productTitles().size(); ++c) {
            if (selection.isSelected(c)) {
                std::string name =
                    productTitles()[c].substr(productTitles()[c].find_first_not_of(' '));
                name.resize(std::max<size_t>(name.size(), 25), ' ');
                out += name + ": " +
                       fieldAtByChar(int32_t(c + 1), sample().names.lines.at(hit), '|') + "\r\n";
            }
        }
        out += "\r\n";
    }
    return out;
}

// The rows of a report over any lines, products and selection, built
// without the writer.
std::string expectedRowsOf(const DatabaseLines& lines, const std::vector<uint32_t>& hits,
                           const std::vector<std::string>& names,
                           const ProductSelection& selection) {
    std::string out;
    for (uint32_t hit : hits) {
        const std::string_view line = hit < lines.count() ? lines.at(hit) : std::string_view();
        for (size_t c = 0; c < names.size(); ++c) {
            if (selection.isSelected(c)) {
                const size_t first = names[c].find_first_not_of(' ');
                std::string name = first == std::string::npos ? "" : names[c].substr(first);
                name.resize(std::max<size_t>(name.size(), 25), ' ');
                out += name + ": " + fieldAtByChar(int32_t(c + 1), line, '|') + "\r\n";
            }
        }
        out += "\r\n";
    }
    return out;
}

std::vector<std::string> productNames(size_t count) {
    std::vector<std::string> names;
    for (size_t i = 0; i < count; ++i) {
        names.push_back("P" + std::to_string(i + 1));
    }
    return names;
}

// Every line of `lines` once, in order, then again from the last.
std::vector<uint32_t> everyLineTwice(const DatabaseLines& lines) {
    std::vector<uint32_t> hits;
    for (uint32_t i = 0; i < lines.count(); ++i) {
        hits.push_back(i);
    }
    for (uint32_t i = uint32_t(lines.count()); i-- > 0;) {
        hits.push_back(i);
    }
    return hits;
}

void writeReport(ReportSink& sink, const ReportHeader& header, const ReportRows& rows,
                 const ReportProgress& onRow = {}) {
    ReportWriter writer(sink);
    writer.writeHeader(header);
    writer.writeRows(rows, onRow);
    writer.flush();
}

// Saves a report of `rows` rows into `path`; returns the error message.
QString saveReport(const std::string& path, ReportOpenMode mode, size_t rows) {
    const std::vector<uint32_t> hits = cyclingHits(rows);
    try {
        ReportFile file(path, mode);
        writeReport(file, {"d", "t", "x", int32_t(rows)},
                    {sample().names.lines, hits, productTitles(),
                     ProductSelection(productTitles().size())});
        file.commit();
    } catch (const FileError& e) {
        return e.what();
    }
    return {};
}

std::string readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<unreadable>";
}

void writeAll(const QString& path, const std::string& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), qint64(bytes.size())) < 0) {
        qFatal("cannot prepare %s", qPrintable(path));
    }
}

qsizetype openDescriptorCount() {
    return QDir("/proc/self/fd")
        .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System)
        .size();
}

// A file-size limit stands in for a disk that fills up; lifted afterwards.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t limit) {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit lowered = m_saved;
        lowered.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_saved); }

  private:
    rlimit m_saved{};
};

const std::string kOldReport = "an earlier report\r\nwith two lines\r\n";

} // namespace

class TestReportWriter : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();

    // The bytes of a report.
    void sampleSearchReport_data();
    void sampleSearchReport();
    void documentedExample();
    void productLine_data();
    void productLine();
    void userTextIsWrittenLiterally_data();
    void userTextIsWrittenLiterally();
    void progressOncePerRow_data();
    void progressOncePerRow();
    void largeReportGoesOutInLargeBlocks();
    void fieldsOfAnyLengthAndPlace_data();
    void fieldsOfAnyLengthAndPlace();
    void lastLineAtTheEndOfTheBuffer_data();
    void lastLineAtTheEndOfTheBuffer();
    void labelsOfAnyLength();
    void oddAndMissingHits_data();
    void oddAndMissingHits();
    void blocksAreWholeAndInOrder();

    // The file.
    void saveModes_data();
    void saveModes();
    void fullDeviceSaysDiskFullAndCloses_data();
    void fullDeviceSaysDiskFullAndCloses();
    void failedSaveKeepsOldContent_data();
    void failedSaveKeepsOldContent();
    void overwriteKeepsPermissionsAndLinks();
    void fifoWithoutReaderFailsAtOnce();
};

void TestReportWriter::initTestCase() {
    // Past a file-size limit a write must fail, not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(productTitles().size(), size_t{74});
}

void TestReportWriter::sampleSearchReport_data() {
    QTest::addColumn<QString>("search");
    QTest::addColumn<QList<int>>("selected"); // empty: all products
    QTest::newRow("all products") << "kryptik" << QList<int>{};
    QTest::newRow("first, 32nd, 33rd, last") << "Kryptik" << QList<int>{0, 31, 32, 73};
    QTest::newRow("one product") << "zbot" << QList<int>{17};
}

void TestReportWriter::sampleSearchReport() {
    QFETCH(QString, search);
    QFETCH(QList<int>, selected);
    ProductSelection selection(productTitles().size());
    for (size_t i = 0; i < productTitles().size() && !selected.isEmpty(); ++i) {
        selection.setSelected(i, selected.contains(int(i)));
    }
    SearchRequest request;
    request.text = search.toStdString();
    request.selected.assign(productTitles().size(), true);
    request.columnCount = productTitles().size();
    const SearchOutcome outcome = runSearch(sample().names.lines, request);
    QVERIFY(outcome.hits.size() > 10);

    StringSink sink;
    writeReport(sink, {"24/12/1999", "23:59:58", request.text, outcome.hitCount},
                {sample().names.lines, outcome.hits, productTitles(), selection});
    QCOMPARE(sink.text, expectedHeader("24/12/1999", "23:59:58", request.text, outcome.hitCount) +
                            expectedRows(outcome.hits, selection));
}

void TestReportWriter::documentedExample() {
    const DatabaseLines lines = linesOf("|ABC.1|Abc|\r\n|ABC.2|Abc.B|\r\n");
    const std::vector<std::string> names{" P1", " P2"};
    const std::vector<uint32_t> hits{0, 1};
    StringSink sink;
    writeReport(sink, {"1/2/03", "4:05:06 PM", "ABC", 2},
                {lines, hits, names, ProductSelection(2)});
    QCOMPARE(
        sink.text,
        std::string("NOMIX 1.1 for Windows 95 - by the Nomix95 developers 1/2/03 4:05:06 PM\r\n"
                    "\r\n"
                    "Word searched            : \"ABC\"\r\n"
                    "Total items found        : #2\r\n"
                    "\r\n"
                    "\r\n"
                    "P1                       : ABC.1\r\n"
                    "P2                       : Abc\r\n"
                    "\r\n"
                    "P1                       : ABC.2\r\n"
                    "P2                       : Abc.B\r\n"
                    "\r\n"));
}

void TestReportWriter::productLine_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("fileLine");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("expected");
    QTest::newRow("24 characters") << "ABCDEFGHIJKLMNOPQRSTUVWX"
                                   << "|a|" << 0 << "ABCDEFGHIJKLMNOPQRSTUVWX : a";
    QTest::newRow("25 characters") << "ABCDEFGHIJKLMNOPQRSTUVWXY"
                                   << "|a|" << 0 << "ABCDEFGHIJKLMNOPQRSTUVWXY: a";
    QTest::newRow("30 characters, not cut") << "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234"
                                            << "|a|" << 0 << "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234: a";
    QTest::newRow("leading blanks removed") << "   Avast"
                                            << "|x y|" << 0 << "Avast                    : x y";
    QTest::newRow("empty fields skipped") << "P"
                                          << "|a|||b|c|" << 1 << "P                        : b";
    QTest::newRow("leading delimiters skipped")
        << "P"
        << "||||a|b|" << 0 << "P                        : a";
    QTest::newRow("fewer fields than columns") << "P"
                                               << "|a|b|" << 5 << "P                        : ";
    QTest::newRow("percent signs") << "100% AV %s"
                                   << "|%d%n|" << 0 << "100% AV %s               : %d%n";
}

void TestReportWriter::productLine() {
    QFETCH(QString, name);
    QFETCH(QString, fileLine);
    QFETCH(int, column);
    QFETCH(QString, expected);
    const DatabaseLines lines = linesOf(fileLine.toStdString() + "\r\n");
    std::vector<std::string> names(size_t(column) + 1, "other");
    names.back() = name.toStdString();
    ProductSelection onlyLast(names.size());
    for (size_t i = 0; i + 1 < names.size(); ++i) {
        onlyLast.setSelected(i, false);
    }
    const std::vector<uint32_t> hits{0, 4000000000u}; // the second one is past the end
    StringSink sink;
    ReportWriter writer(sink);
    writer.writeRows({lines, hits, names, onlyLast});
    writer.flush();
    const QString emptyField = name.trimmed().leftJustified(25) + ": \r\n\r\n";
    QCOMPARE(QString::fromStdString(sink.text), expected + "\r\n\r\n" + emptyField);
}

void TestReportWriter::userTextIsWrittenLiterally_data() {
    QTest::addColumn<QByteArray>("search");
    QTest::addColumn<int>("hits");
    QTest::newRow("format directives") << QByteArray("%s%n%d%%%-25s%x") << 0;
    QTest::newRow("double quotes") << QByteArray("say \"hi\"") << 1;
    QTest::newRow("empty, largest count") << QByteArray() << 2147483647;
    QTest::newRow("bytes above 127") << QByteArray("\xe9t\xe9 \xc3\xa9") << 7;
    QTest::newRow("longer than a block") << QByteArray(3 << 20, 'x') << 3;
}

void TestReportWriter::userTextIsWrittenLiterally() {
    QFETCH(QByteArray, search);
    QFETCH(int, hits);
    StringSink sink;
    ReportWriter writer(sink);
    writer.writeHeader({"%s", "%n", search.toStdString(), hits});
    writer.flush();
    QCOMPARE(sink.text, expectedHeader("%s", "%n", search.toStdString(), hits));
}

void TestReportWriter::progressOncePerRow_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("none") << 0 << QList<int>{};
    QTest::newRow("one") << 1 << QList<int>{0};
    QTest::newRow("three, never 100") << 3 << QList<int>{0, 33, 66};
}

void TestReportWriter::progressOncePerRow() {
    QFETCH(int, rows);
    QFETCH(QList<int>, expected);
    const std::vector<uint32_t> hits = cyclingHits(size_t(rows));
    StringSink sink;
    QList<int> seen;
    writeReport(
        sink, {},
        {sample().names.lines, hits, productTitles(), ProductSelection(productTitles().size())},
        [&](int percent) { seen << percent; });
    QCOMPARE(seen, expected);
}

void TestReportWriter::largeReportGoesOutInLargeBlocks() {
    const std::vector<uint32_t> hits = cyclingHits(5000);
    const ProductSelection all(productTitles().size());
    StringSink sink;
    writeReport(sink, {"d", "t", "x", 5000}, {sample().names.lines, hits, productTitles(), all});
    QVERIFY(sink.text == expectedHeader("d", "t", "x", 5000) + expectedRows(hits, all));
    QVERIFY(sink.writeSizes.size() > 1);
    QVERIFY(sink.writeSizes.size() <= sink.text.size() / ReportWriter::kDefaultBlockSize + 1);
}

void TestReportWriter::fieldsOfAnyLengthAndPlace_data() {
    QTest::addColumn<QByteArray>("fileText");
    QTest::addColumn<int>("productCount");
    // Fields of 0 to 70 bytes, each behind a lead of 0 to 40 bytes, so that
    // every length meets every place in a block of the copy.
    QByteArray lengths;
    for (int lead = 0; lead <= 40; ++lead) {
        lengths += '|' + QByteArray(lead, 'a');
        for (int length : {0, 1, 14, 15, 16, 17, 30, 31, 32, 33, 47, 48, 63, 64, 65, 70}) {
            lengths += '|' + QByteArray(length, char('b' + length % 20));
        }
        lengths += "|\r\n";
    }
    QTest::newRow("lengths 0 to 70") << lengths << 17;
    QTest::newRow("runs of delimiters")
        << QByteArray("|a||b|||c||||d|||||e|\r\n||||x||||||||||||||||y|\r\n"
                      "|" +
                      QByteArray(40, '|') + "z" + QByteArray(40, '|') + "|\r\n")
        << 6;
    // The first and last bytes of a line are not its text, whatever they are,
    // and the bytes after a line's text never go into its last field.
    QTest::newRow("line ends that are no delimiters")
        << QByteArray("Xa|bcX\r\n|a|" + QByteArray(20, 'c') + "X\r\n|abc|defgY\r\n") << 3;
    QTest::newRow("lone line feeds inside a line")
        << QByteArray("|a\nb|c\n|\n|d|\r\n|e|f|\r\n") << 4;
    QTest::newRow("more fields than products")
        << QByteArray("|a|b|c|d|e|f|g|h|\r\n|" + QByteArray(33, 'i') + "|j|k|\r\n") << 2;
    QTest::newRow("more products than fields") << QByteArray("|a|b|\r\n||\r\n|\r\n\r\n") << 5;
}

void TestReportWriter::fieldsOfAnyLengthAndPlace() {
    QFETCH(QByteArray, fileText);
    QFETCH(int, productCount);
    const DatabaseLines lines = linesOf(fileText.toStdString());
    const std::vector<std::string> names = productNames(size_t(productCount));
    const std::vector<uint32_t> hits = everyLineTwice(lines);
    ProductSelection everyOther(names.size());
    for (size_t i = 1; i < names.size(); i += 2) {
        everyOther.setSelected(i, false);
    }
    for (const ProductSelection& selection : {ProductSelection(names.size()), everyOther}) {
        StringSink sink;
        ReportWriter writer(sink);
        writer.writeRows({lines, hits, names, selection});
        writer.flush();
        QCOMPARE(sink.text, expectedRowsOf(lines, hits, names, selection));
    }
}

void TestReportWriter::lastLineAtTheEndOfTheBuffer_data() {
    QTest::addColumn<QByteArray>("fileText");
    // The buffer holds exactly the file, so reading a block past the last
    // field would read outside it (AddressSanitizer tells).
    for (int length : {0, 1, 2, 15, 16, 17, 29, 30, 31, 32, 33, 34, 48, 64, 65}) {
        const QByteArray field(length, 'z');
        QTest::addRow("last field of %d, no line end", length) << ("|a|b|" + field + "|");
        QTest::addRow("last field of %d, with line end", length) << ("|a|b|" + field + "|\r\n");
        QTest::addRow("last field of %d, end of file mark", length)
            << ("|a|b|" + field + "|\r\n\x1a" + QByteArray(40, '|'));
        QTest::addRow("last field of %d, no closing delimiter", length) << ("|a|b|" + field + "Z");
        QTest::addRow("only field of %d", length) << ("|" + field + "|");
    }
}

void TestReportWriter::lastLineAtTheEndOfTheBuffer() {
    QFETCH(QByteArray, fileText);
    const DatabaseLines lines = linesOf(fileText.toStdString());
    const std::vector<std::string> names = productNames(4);
    const std::vector<uint32_t> hits = everyLineTwice(lines);
    const ProductSelection all(names.size());
    StringSink sink;
    ReportWriter writer(sink);
    writer.writeRows({lines, hits, names, all});
    writer.flush();
    QCOMPARE(sink.text, expectedRowsOf(lines, hits, names, all));
}

void TestReportWriter::labelsOfAnyLength() {
    // Names around the widths where a label and the line end before it
    // stop fitting in one fixed-size copy, first and further on in a row.
    std::vector<std::string> names;
    for (size_t length : {24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 40, 70, 28, 29, 30, 31}) {
        std::string name = "  ";
        for (size_t i = 0; i < length; ++i) {
            name += char('A' + (length + i) % 26);
        }
        names.push_back(name);
    }
    names.push_back("   "); // only blanks: an empty label
    names.push_back("");
    for (size_t first : {0, 4, 5, 6, 7, 9}) {
        std::vector<std::string> rotated(names.begin() + ptrdiff_t(first), names.end());
        rotated.insert(rotated.end(), names.begin(), names.begin() + ptrdiff_t(first));
        const DatabaseLines lines =
            linesOf("|a|bb|ccc|dddd|e|f|g|h|i|j|k|l|m|n|o|p|q|r|\r\n|s|\r\n");
        const std::vector<uint32_t> hits{0, 1, 0};
        const ProductSelection all(rotated.size());
        StringSink sink;
        ReportWriter writer(sink);
        writer.writeRows({lines, hits, rotated, all});
        writer.flush();
        QCOMPARE(sink.text, expectedRowsOf(lines, hits, rotated, all));
    }
}

void TestReportWriter::oddAndMissingHits_data() {
    QTest::addColumn<QList<uint>>("hits");
    QTest::addColumn<bool>("anyProduct");
    QTest::newRow("one") << QList<uint>{2} << true;
    QTest::newRow("two") << QList<uint>{2, 0} << true;
    QTest::newRow("three") << QList<uint>{1, 1, 1} << true;
    QTest::newRow("missing first of two") << QList<uint>{4000000000u, 1} << true;
    QTest::newRow("missing second of two") << QList<uint>{1, 3} << true;
    QTest::newRow("missing last of five") << QList<uint>{0, 1, 2, 0, 3} << true;
    QTest::newRow("no product, odd") << QList<uint>{0, 1, 2} << false;
    QTest::newRow("no product, even") << QList<uint>{0, 1} << false;
}

void TestReportWriter::oddAndMissingHits() {
    QFETCH(QList<uint>, hits);
    QFETCH(bool, anyProduct);
    const DatabaseLines lines = linesOf("|a|" + std::string(40, 'b') + "|c|\r\n|d|\r\n|e|f|");
    const std::vector<std::string> names = productNames(3);
    ProductSelection selection(names.size());
    for (size_t i = 0; i < names.size() && !anyProduct; ++i) {
        selection.setSelected(i, false);
    }
    const std::vector<uint32_t> hitList(hits.begin(), hits.end());
    StringSink sink;
    QList<int> seen;
    ReportWriter writer(sink);
    writer.writeRows({lines, hitList, names, selection}, [&](int percent) { seen << percent; });
    writer.flush();
    QCOMPARE(sink.text, expectedRowsOf(lines, hitList, names, selection));
    QCOMPARE(seen.size(), hits.size());
}

void TestReportWriter::blocksAreWholeAndInOrder() {
    const std::vector<uint32_t> hits = cyclingHits(301);
    const ProductSelection all(productTitles().size());
    const std::string search(1000, 's'); // a header longer than several blocks
    for (size_t blockSize : {1, 7, 100, 4096}) {
        StringSink sink;
        ReportWriter writer(sink, blockSize);
        writer.writeHeader({"d", "t", search, 301});
        writer.writeRows({sample().names.lines, hits, productTitles(), all});
        writer.flush();
        QVERIFY(sink.text == expectedHeader("d", "t", search, 301) + expectedRows(hits, all));
        for (size_t i = 0; i + 1 < sink.writeSizes.size(); ++i) {
            QCOMPARE(sink.writeSizes[i], blockSize);
        }
        QVERIFY(!sink.writeSizes.empty() && sink.writeSizes.back() <= blockSize);
    }
}

void TestReportWriter::saveModes_data() {
    QTest::addColumn<bool>("fileExists");
    QTest::addColumn<ReportOpenMode>("mode");
    QTest::addColumn<int>("oldCopies");
    QTest::addColumn<int>("newCopies"); // after two saves
    QTest::addColumn<QString>("error");
    QTest::newRow("new file") << false << ReportOpenMode::Create << 0 << 1 << "";
    QTest::newRow("new file that appeared meanwhile")
        << true << ReportOpenMode::Create << 1 << 0 << "File access denied";
    QTest::newRow("append") << true << ReportOpenMode::Append << 1 << 2 << "";
    QTest::newRow("overwrite") << true << ReportOpenMode::Overwrite << 0 << 1 << "";
}

void TestReportWriter::saveModes() {
    QFETCH(bool, fileExists);
    QFETCH(ReportOpenMode, mode);
    QFETCH(int, oldCopies);
    QFETCH(int, newCopies);
    QFETCH(QString, error);
    QTemporaryDir dir;
    const QString path = dir.filePath("result.nrp");
    if (fileExists) {
        writeAll(path, kOldReport);
    }
    QCOMPARE(saveReport(path.toStdString(), mode, 3), error);
    if (mode != ReportOpenMode::Create) {
        QCOMPARE(saveReport(path.toStdString(), mode, 3), error);
    }
    const std::string report =
        expectedHeader("d", "t", "x", 3) + expectedRows(cyclingHits(3), ProductSelection(74));
    std::string expected = oldCopies ? kOldReport : "";
    for (int i = 0; i < newCopies; ++i) {
        expected += report;
    }
    QCOMPARE(readAll(path), expected);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"result.nrp"});
}

void TestReportWriter::fullDeviceSaysDiskFullAndCloses_data() {
    QTest::addColumn<ReportOpenMode>("mode");
    QTest::newRow("append") << ReportOpenMode::Append;
    QTest::newRow("overwrite") << ReportOpenMode::Overwrite;
}

void TestReportWriter::fullDeviceSaysDiskFullAndCloses() {
    QFETCH(ReportOpenMode, mode);
    const qsizetype openBefore = openDescriptorCount();
    QCOMPARE(saveReport("/dev/full", mode, 10), QString("Disk full"));
    QCOMPARE(openDescriptorCount(), openBefore);
}

void TestReportWriter::failedSaveKeepsOldContent_data() {
    fullDeviceSaysDiskFullAndCloses_data();
}

void TestReportWriter::failedSaveKeepsOldContent() {
    QFETCH(ReportOpenMode, mode);
    QTemporaryDir dir;
    const QString path = dir.filePath("kept.nrp");
    std::string old;
    for (int i = 0; i < 200; ++i) {
        old += "line " + std::to_string(i) + " of an earlier report\r\n";
    }
    writeAll(path, old);
    const qsizetype openBefore = openDescriptorCount();
    QString message;
    {
        // The disk fills up after a block and a half more; the report has
        // several blocks.
        FileSizeLimit full(old.size() + ReportWriter::kDefaultBlockSize * 3 / 2);
        message = saveReport(path.toStdString(), mode, 2000);
    }
    QCOMPARE(message, QString("Disk full"));
    QVERIFY(readAll(path) == old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"kept.nrp"});
    QCOMPARE(openDescriptorCount(), openBefore);
}

void TestReportWriter::overwriteKeepsPermissionsAndLinks() {
    QTemporaryDir dir;
    const QString target = dir.filePath("target.nrp");
    const QString link = dir.filePath("link.nrp");
    writeAll(target, kOldReport);
    QVERIFY(::chmod(target.toLocal8Bit().constData(), 0640) == 0);
    QVERIFY(QFile::link(target, link));

    ReportFile file(link.toStdString(), ReportOpenMode::Overwrite);
    file.write("new\r\n");
    file.commit();

    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(readAll(target), std::string("new\r\n"));
    QCOMPARE(QFile::permissions(target) & 0x7777, QFile::ReadOwner | QFile::WriteOwner |
                                                      QFile::ReadUser | QFile::WriteUser |
                                                      QFile::ReadGroup);
}

void TestReportWriter::fifoWithoutReaderFailsAtOnce() {
    QTemporaryDir dir;
    const std::string path = dir.filePath("fifo").toStdString();
    QVERIFY(::mkfifo(path.c_str(), 0600) == 0);
    QVERIFY(!saveReport(path, ReportOpenMode::Overwrite, 1).isEmpty());
}

QTEST_GUILESS_MAIN(TestReportWriter)
#include "tst_reportwriter.moc"
