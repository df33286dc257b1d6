// SPDX-License-Identifier: MIT
#include "shared_run.h"

#include "core/database.h"
#include "core/labelling/familyvote.h"
#include "core/labelling/labellingrules.h"
#include "core/producttable.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Run = ProgramRun;

Run runCli(const QStringList& args) {
    return runProgram(QStringLiteral(NOMIX_CLI_PATH), args);
}

// The sample's lines as the program holds them, read independently of the
// core: CR LF separated, first and last character dropped.
QList<QByteArray> sampleLines() {
    QFile file(QStringLiteral(NOMIX_SAMPLE_DIR "/NOMIX.DAT"));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QList<QByteArray> lines = file.readAll().split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    for (QByteArray& line : lines) {
        line.chop(1); // the CR
        line = line.mid(1, line.size() - 2);
    }
    return lines;
}

QList<int> indicesContaining(const QByteArray& upperNeedle) {
    QList<int> indices;
    const QList<QByteArray> lines = sampleLines();
    for (int i = 0; i < lines.size(); ++i) {
        if (lines[i].toUpper().contains(upperNeedle)) {
            indices << i;
        }
    }
    return indices;
}

const char* const kBundledRules = NOMIX_SAMPLE_DIR "/../labelling";

// The family of each sample line, voted by the core with the bundled rules.
QStringList sampleFamilies() {
    const nomix::NameDatabase db = nomix::readNameDatabase(NOMIX_SAMPLE_DIR "/NOMIX.DAT");
    const nomix::FamilyVote vote(nomix::LabellingRules::fromFolder(kBundledRules),
                                 nomix::readProductTable(NOMIX_SAMPLE_DIR "/NOMIX.CFG", "x"));
    QStringList families;
    for (size_t i = 0; i < db.lines.count(); ++i) {
        families << QString::fromStdString(vote.familyOf(db.lines.at(i)));
    }
    return families;
}

QList<int> lineNumbersOf(const QByteArray& indices) {
    QList<int> numbers;
    for (const QByteArray& index : indices.split('\n')) {
        if (!index.isEmpty()) {
            numbers << index.toInt();
        }
    }
    return numbers;
}

// A data folder holding the two files with the given bytes.
struct DataFolder {
    QTemporaryDir dir;
    DataFolder(const QByteArray& table, const QByteArray& database) {
        write("NOMIX.CFG", table);
        write("NOMIX.DAT", database);
    }
    void write(const char* name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }
    QStringList args(const QStringList& more) const {
        return QStringList{"--dir", dir.path()} + more;
    }
};

const QByteArray kTwoProducts = "DB|Alpha 1.0 05/97|Beta 2.0 06/98\r\n";

// TSV, with the escapes undone.
QList<QStringList> parseTsv(const QByteArray& text) {
    QList<QStringList> rows;
    for (const QByteArray& line : text.split('\n')) {
        if (line.isEmpty()) {
            continue;
        }
        QStringList row;
        for (const QByteArray& field : line.split('\t')) {
            QByteArray value;
            for (qsizetype i = 0; i < field.size(); ++i) {
                if (field[i] == '\\' && i + 1 < field.size()) {
                    const char next = field[++i];
                    value += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : '\\';
                } else {
                    value += field[i];
                }
            }
            row << QString::fromUtf8(value);
        }
        rows << row;
    }
    return rows;
}

// RFC 4180, read by the letter: quoted fields, doubled quotes, CR LF rows.
QList<QStringList> parseCsv(const QByteArray& bytes) {
    const QString text = QString::fromUtf8(bytes);
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            row << field;
            field.clear();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            row << field;
            rows << row;
            row.clear();
            field.clear();
            ++i;
        } else {
            field += c;
        }
    }
    return rows;
}

// JSON Lines: the product names, in the order the text gives them, then the
// names of each hit; both after "Family" and the family when there is one.
QList<QStringList> parseJsonLines(const QByteArray& text, QList<int>* lineNumbers) {
    QList<QStringList> rows;
    for (const QByteArray& line : text.split('\n')) {
        if (line.isEmpty()) {
            continue;
        }
        QJsonParseError error;
        const QJsonObject hit = QJsonDocument::fromJson(line, &error).object();
        if (error.error != QJsonParseError::NoError) {
            return {{QStringLiteral("bad JSON: ") + QString::fromUtf8(line)}};
        }
        lineNumbers->append(hit.value("line").toInt());
        // QJsonObject sorts its keys; the order of the columns is the text's.
        const QJsonObject names = hit.value("names").toObject();
        QList<std::pair<qsizetype, QString>> keys;
        for (auto it = names.begin(); it != names.end(); ++it) {
            const QByteArray key =
                QJsonDocument(QJsonArray{it.key()}).toJson(QJsonDocument::Compact);
            keys.append({line.indexOf(key.mid(1, key.size() - 2) + ": "), it.key()});
        }
        std::sort(keys.begin(), keys.end());
        QStringList titles;
        QStringList row;
        if (hit.contains("family")) {
            titles << "Family";
            row << (hit.value("family").isNull() ? QString() : hit.value("family").toString());
        }
        for (const auto& [position, key] : keys) {
            titles << key;
            row << names.value(key).toString();
        }
        if (rows.isEmpty()) {
            rows << titles;
        }
        rows << row;
    }
    return rows;
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT

  private slots:
    void countsLikeAPlainScan_data();
    void countsLikeAPlainScan();
    void indicesAreAscendingLineNumbers();
    void tsvShowsTakingPartProducts();
    void completeMatch();
    void unnameableStringFindsNothing_data();
    void unnameableStringFindsNothing();
    void exitCodes_data();
    void exitCodes();
    void missingDatabaseNamesTheFile();
    void lfOnlySampleReadsAsTheOriginal_data();
    void lfOnlySampleReadsAsTheOriginal();
    void encodings_data();
    void encodings();
    void tsvEscapes_data();
    void tsvEscapes();
    void mistakes_data();
    void mistakes();
    void csvAndJsonHoldWhatTsvHolds_data();
    void csvAndJsonHoldWhatTsvHolds();
    void familiesAreTheCoresVote_data();
    void familiesAreTheCoresVote();
    void linesOfAFamily_data();
    void linesOfAFamily();
    void rulesFromAFolder();
    void namesByProductCountTheRows_data();
    void namesByProductCountTheRows();
    void productsList_data();
    void productsList();
};

void TestCli::countsLikeAPlainScan_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("common") << "trojan";
    QTest::newRow("mixed case") << "WiN32";
    QTest::newRow("rare") << "zbot";
}

void TestCli::countsLikeAPlainScan() {
    QFETCH(QString, text);
    const Run run = runCli({"--count", text});
    const int expected = int(indicesContaining(text.toLatin1().toUpper()).size());
    QCOMPARE(run.out.trimmed(), QByteArray::number(expected));
    QCOMPARE(run.exitCode, expected > 0 ? 0 : 1);
}

void TestCli::indicesAreAscendingLineNumbers() {
    const Run run = runCli({"--indices", "backdoor"});
    QCOMPARE(run.exitCode, 0);
    QList<int> got;
    for (const QByteArray& line : run.out.split('\n')) {
        if (!line.isEmpty()) {
            got << line.toInt();
        }
    }
    QCOMPARE(got, indicesContaining("BACKDOOR"));
}

void TestCli::tsvShowsTakingPartProducts() {
    const Run all = runCli({"zbot"});
    QCOMPARE(all.exitCode, 0);
    const QList<QByteArray> rows = all.out.split('\n');
    QCOMPARE(rows.first().split('\t').size(), 74);
    QCOMPARE(rows.first().split('\t').first(), QByteArray("a-squared 2009.12 12/09"));

    const Run two = runCli({"--tsv", "--products", "3,1", "NO_VIRUS"});
    const QList<QByteArray> twoRows = two.out.split('\n');
    QCOMPARE(twoRows.first(), QByteArray("a-squared 2009.12 12/09\tAegisLab 2014.02 02/14"));
    QCOMPARE(twoRows.at(1).split('\t').size(), 2);
}

void TestCli::completeMatch() {
    // Every sample line has at least one product without a name.
    QCOMPARE(runCli({"--count", "--complete", "no_virus"}).out.trimmed(), QByteArray("500"));
    QCOMPARE(runCli({"--count", "--begins", "--ends", "no_virus"}).out.trimmed(),
             QByteArray("500"));
    QCOMPARE(runCli({"--count", "--complete", "no_viru"}).exitCode, 1);
}

// No name holds '|', a line end or byte 26: such a string finds nothing,
// whether or not all products take part, in every mode.
void TestCli::unnameableStringFindsNothing_data() {
    QTest::addColumn<QStringList>("args");
    for (const char* mode : {"", "--begins", "--ends", "--complete"}) {
        for (bool all : {true, false}) {
            QStringList args{"--count"};
            if (*mode) {
                args << QString::fromLatin1(mode);
            }
            if (!all) {
                args << "--products"
                     << "1,2,3";
            }
            QTest::addRow("%s %s", *mode ? mode : "contains",
                          all ? "all products" : "some products")
                << (args << "NO_VIRUS|NO_VIRUS");
        }
    }
    QTest::newRow("across fields") << QStringList{"--count", "S|NO_V"};
    QTest::newRow("line end") << QStringList{"--count", "NO_VIRUS\r"};
    QTest::newRow("end-of-file mark") << QStringList{"--count", "NO_VIRUS\x1a"};
}

void TestCli::unnameableStringFindsNothing() {
    QFETCH(QStringList, args);
    const Run run = runCli(args);
    QCOMPARE(run.out.trimmed(), QByteArray("0"));
    QCOMPARE(run.exitCode, 1);
}

void TestCli::exitCodes_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("help") << QStringList{"--help"} << 0 << QByteArray();
    QTest::newRow("version") << QStringList{"--version"} << 0 << QByteArray();
    QTest::newRow("no hit") << QStringList{"--count", "no such name anywhere"} << 1 << QByteArray();
    QTest::newRow("empty string") << QStringList{""} << 2
                                  << QByteArray("Please, set a search string");
    QTest::newRow("no string") << QStringList{"--count"} << 2 << QByteArray("search string");
    QTest::newRow("unknown option")
        << QStringList{"--frobnicate", "x"} << 2 << QByteArray("--frobnicate");
    QTest::newRow("product zero") << QStringList{"--products", "0", "x"} << 2 << QByteArray("'0'");
    QTest::newRow("product beyond the table")
        << QStringList{"--products", "75", "x"} << 2 << QByteArray("75");
    QTest::newRow("dash string after --")
        << QStringList{"--count", "--", "-x-"} << 1 << QByteArray();
    QTest::newRow("string before the options")
        << QStringList{"zbot", "--count"} << 0 << QByteArray();
    QTest::newRow("output option twice")
        << QStringList{"--count", "zbot", "--count"} << 0 << QByteArray();
    QTest::newRow("last folder counts")
        << QStringList{"--dir", "/nonexistent", "--count", "--dir", NOMIX_SAMPLE_DIR, "zbot"} << 0
        << QByteArray();
    QTest::newRow("short help") << QStringList{"-h"} << 0 << QByteArray();
}

void TestCli::exitCodes() {
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, message);
    const Run run = runCli(args);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.contains(message), run.err.constData());
    if (exitCode == 2) { // a one-line message, with the usage only after an unknown option
        const QByteArray afterMessage = run.err.mid(run.err.indexOf('\n') + 1);
        QVERIFY(afterMessage.isEmpty() ||
                (message.startsWith("--") && afterMessage == runCli({"--help"}).out));
    }
}

void TestCli::missingDatabaseNamesTheFile() {
    QTemporaryDir dir;
    const Run none = runCli({"--dir", dir.path(), "x"});
    QCOMPARE(none.exitCode, 2);
    QVERIFY(none.err.contains("Could not open the database"));

    // Table present, name database missing: the runtime's message and the file.
    QFile::copy(QStringLiteral(NOMIX_SAMPLE_DIR "/NOMIX.CFG"), dir.filePath("NOMIX.CFG"));
    const Run missing = runCli({"--dir", dir.path(), "x"});
    QCOMPARE(missing.exitCode, 2);
    QVERIFY2(missing.err.contains("File not found") && missing.err.contains("NOMIX.DAT"),
             missing.err.constData());
}

void TestCli::lfOnlySampleReadsAsTheOriginal_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("count") << QStringList{"--count", "trojan"};
    QTest::newRow("indices") << QStringList{"--indices", "backdoor"};
    QTest::newRow("tsv with the last product") << QStringList{"--products", "1,74", "zbot"};
}

// The sample as Unix tools leave it after removing the CRs.
void TestCli::lfOnlySampleReadsAsTheOriginal() {
    QFETCH(QStringList, args);
    QByteArray files[2];
    const char* names[2] = {"/NOMIX.CFG", "/NOMIX.DAT"};
    for (int i = 0; i < 2; ++i) {
        QFile file(QStringLiteral(NOMIX_SAMPLE_DIR) + names[i]);
        QVERIFY(file.open(QIODevice::ReadOnly));
        files[i] = file.readAll().replace("\r\n", "\n");
    }
    const DataFolder lfOnly(files[0], files[1]);
    const Run original = runCli(args);
    const Run converted = runCli(lfOnly.args(args));
    QCOMPARE(converted.err, QByteArray());
    QCOMPARE(converted.out, original.out);
    QVERIFY(!original.out.isEmpty());
}

void TestCli::encodings_data() {
    QTest::addColumn<QByteArray>("database");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("out");

    const QByteArray windows1252 = "|Caf\xe9|X|\r\n|Cafe|Y|\r\n|Price\x80|Z|\r\n";
    const QByteArray utf8 = "|Caf\xc3\xa9|X|\r\n|Cafe|Y|\r\n|Price\xe2\x82\xac|Z|\r\n";
    const QString cafe = QString::fromUtf8("Caf\xc3\xa9");
    const QString euro = QString::fromUtf8("\xe2\x82\xac");
    QTest::newRow("typed UTF-8, Windows-1252 data")
        << windows1252 << QStringList{"--indices", cafe} << QByteArray("0\n");
    QTest::newRow("euro sign into Windows-1252")
        << windows1252 << QStringList{"--indices", euro} << QByteArray("2\n");
    QTest::newRow("typed UTF-8, UTF-8 data")
        << utf8 << QStringList{"--indices", cafe} << QByteArray("0\n");
    QTest::newRow("Windows-1252 names printed as UTF-8")
        << windows1252 << QStringList{"--products", "1", "caf"}
        << QByteArray("Alpha 1.0 05/97\nCaf\xc3\xa9\nCafe\n");
    QTest::newRow("UTF-8 names printed as they are")
        << utf8 << QStringList{"--products", "1", euro}
        << QByteArray("Alpha 1.0 05/97\nPrice\xe2\x82\xac\n");
}

void TestCli::encodings() {
    QFETCH(QByteArray, database);
    QFETCH(QStringList, args);
    QFETCH(QByteArray, out);
    const DataFolder data(kTwoProducts, database);
    const Run run = runCli(data.args(args));
    QCOMPARE(run.out, out);
}

void TestCli::tsvEscapes_data() {
    QTest::addColumn<QByteArray>("table");
    QTest::addColumn<QByteArray>("database");
    QTest::addColumn<QByteArray>("out");
    QTest::newRow("tab") << kTwoProducts << QByteArray("|Tab\tName|B|\r\n")
                         << QByteArray("Alpha 1.0 05/97\tBeta 2.0 06/98\nTab\\tName\tB\n");
    QTest::newRow("lone line feed")
        << kTwoProducts << QByteArray("|Line\nName|B|\r\n")
        << QByteArray("Alpha 1.0 05/97\tBeta 2.0 06/98\nLine\\nName\tB\n");
    QTest::newRow("backslash") << kTwoProducts << QByteArray("|W32\\Name|B|\r\n")
                               << QByteArray("Alpha 1.0 05/97\tBeta 2.0 06/98\nW32\\\\Name\tB\n");
    QTest::newRow("carriage return in a product")
        << QByteArray("DB|A 1 x|B 2 y\r\n\r\n") << QByteArray("|Name|B|\r\n")
        << QByteArray("A 1 x\tB 2 y\\r\\n\nName\tB\n");
}

void TestCli::tsvEscapes() {
    QFETCH(QByteArray, table);
    QFETCH(QByteArray, database);
    QFETCH(QByteArray, out);
    const DataFolder data(table, database);
    const Run run = runCli(data.args({"--tsv", "name"}));
    QCOMPARE(run.out, out);
    QVERIFY(runCli({"--help"}).out.contains("\\t, \\n, \\r or \\\\"));
}

void TestCli::mistakes_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<bool>("usage");
    QTest::newRow("unknown option")
        << QStringList{"--frobnicate", "x"} << QByteArray("unknown option --frobnicate") << true;
    QTest::newRow("count with indices")
        << QStringList{"--count", "--indices", "x"}
        << QByteArray("--count and --indices cannot be used together") << false;
    QTest::newRow("tsv with count")
        << QStringList{"--tsv", "--count", "x"}
        << QByteArray("--tsv and --count cannot be used together") << false;
    QTest::newRow("unknown short option")
        << QStringList{"-x", "x"} << QByteArray("unknown option -x") << true;
    QTest::newRow("value missing")
        << QStringList{"x", "--dir"} << QByteArray("option --dir needs a value") << false;
    QTest::newRow("two strings") << QStringList{"x", "--count", "y"}
                                 << QByteArray("only one search string may be given") << false;
    QTest::newRow("second string after --")
        << QStringList{"x", "--", "-y"} << QByteArray("only one search string may be given")
        << false;
    QTest::newRow("no string") << QStringList{"--count"}
                               << QByteArray("no search string given (see --help)") << false;
    QTest::newRow("products list with a string")
        << QStringList{"--products-list", "x"}
        << QByteArray("--products-list takes no search string") << false;
    QTest::newRow("both files are folders")
        << QStringList{"NOMIX.DAT", "NOMIX.CFG"}
        << QByteArray("/NOMIX.DAT is a folder, and %1/NOMIX.CFG is a folder") << false;
    QTest::newRow("a folder and a missing file")
        << QStringList{"NOMIX.CFG"}
        << QByteArray("/NOMIX.DAT does not exist, and %1/NOMIX.CFG is a folder") << false;
}

// Arguments naming NOMIX.DAT or NOMIX.CFG make them folders of an empty
// common directory, which `%1` in the message stands for.
void TestCli::mistakes() {
    QFETCH(QStringList, args);
    QFETCH(QByteArray, message);
    QFETCH(bool, usage);
    QTemporaryDir dir;
    if (args.first().startsWith("NOMIX")) {
        for (const QString& folder : args) {
            QVERIFY(QDir(dir.path()).mkdir(folder));
        }
        args = QStringList{"--dir", dir.path(), "x"};
        message.replace("%1", QFile::encodeName(dir.path()));
    }
    const Run run = runCli(args);
    QCOMPARE(run.exitCode, 2);
    const QByteArray firstLine = run.err.left(run.err.indexOf('\n'));
    QVERIFY2(firstLine.contains(message), run.err.constData());
    const QByteArray usageText = runCli({"--help"}).out;
    QCOMPARE(run.err.mid(firstLine.size() + 1), usage ? usageText : QByteArray());
}

void TestCli::csvAndJsonHoldWhatTsvHolds_data() {
    QTest::addColumn<QByteArray>("database");
    QTest::addColumn<QStringList>("args");
    QTest::newRow("sample, two products")
        << QByteArray() << QStringList{"--products", "1,5", "zbot"};
    QTest::newRow("sample, every product") << QByteArray() << QStringList{"w32/"};
    QTest::newRow("names with commas, quotes, tabs and backslashes")
        << QByteArray("|a,b \"c\"|x\ty\\z|\r\n|plain|caf\xe9|\r\n") << QStringList{"a"};
    QTest::newRow("sample with families") << QByteArray() << QStringList{"--family", "w32/"};
    QTest::newRow("no family is null in JSON")
        << QByteArray("|Zbot.A|Zbot.B|\r\n|Sality|X|\r\n") << QStringList{"--family", "a"};
}

// The three formats carry the same hits with the same fields.
void TestCli::csvAndJsonHoldWhatTsvHolds() {
    QFETCH(QByteArray, database);
    QFETCH(QStringList, args);
    DataFolder data(kTwoProducts, database);
    auto runIn = [&](const QString& format) {
        return database.isEmpty() ? runCli(QStringList{format} + args)
                                  : runCli(data.args(QStringList{format} + args));
    };
    const Run tsv = runIn("--tsv");
    QCOMPARE(tsv.exitCode, 0);
    QList<QStringList> expected = parseTsv(tsv.out);
    QVERIFY(expected.size() > 1);
    QCOMPARE(parseCsv(runIn("--csv").out), expected);
    // JSON names the products without version and date.
    for (QString& title : expected.first()) {
        title = QString::fromStdString(nomix::productName(title.toStdString()));
    }
    QList<int> lineNumbers;
    QCOMPARE(parseJsonLines(runIn("--json").out, &lineNumbers), expected);
    QList<int> expectedLines;
    for (const QByteArray& index : runIn("--indices").out.split('\n')) {
        if (!index.isEmpty()) {
            expectedLines << index.toInt() + 1;
        }
    }
    QCOMPARE(lineNumbers, expectedLines);
}

void TestCli::familiesAreTheCoresVote_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("TSV") << QStringList{"--tsv", "--family", "--products", "42", "win32"};
    QTest::newRow("CSV") << QStringList{"--csv", "--family", "--products", "42", "win32"};
    QTest::newRow("every product") << QStringList{"--family", "trojan"};
}

// The streamed search votes each hit as the loaded database does.
void TestCli::familiesAreTheCoresVote() {
    QFETCH(QStringList, args);
    const Run run = runCli(args);
    QCOMPARE(run.exitCode, 0);
    const QList<QStringList> rows = args.contains("--csv") ? parseCsv(run.out) : parseTsv(run.out);
    QCOMPARE(rows.first().first(), QStringLiteral("Family"));
    const QList<int> hits = lineNumbersOf(
        runCli(QStringList{"--indices"} + args.mid(args.indexOf("--family") + 1)).out);
    QCOMPARE(rows.size(), hits.size() + 1);
    const QStringList families = sampleFamilies();
    for (int i = 0; i < hits.size(); ++i) {
        QCOMPARE(rows[i + 1].first(), families[hits[i]]);
        QCOMPARE(rows[i + 1].size(), rows.first().size());
    }
}

void TestCli::linesOfAFamily_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("family");
    QTest::addColumn<QByteArray>("searched"); // upper case; empty: every line
    QTest::newRow("every line") << QStringList{"--family-is", "vobfus"} << "vobfus" << QByteArray();
    QTest::newRow("typed in capitals")
        << QStringList{"--family-is", "ZBOT"} << "zbot" << QByteArray();
    QTest::newRow("among hits") << QStringList{"--family-is", "vobfus", "vbna"} << "vobfus"
                                << QByteArray("VBNA");
    QTest::newRow("no such family")
        << QStringList{"--family-is", "nosuchfamily"} << "nosuchfamily" << QByteArray();
}

void TestCli::linesOfAFamily() {
    QFETCH(QStringList, args);
    QFETCH(QString, family);
    QFETCH(QByteArray, searched);
    const QStringList families = sampleFamilies();
    const QList<int> candidates =
        searched.isEmpty() ? indicesContaining("") : indicesContaining(searched);
    QList<int> expected;
    for (int line : candidates) {
        if (families[line] == family) {
            expected << line;
        }
    }
    const Run indices = runCli(QStringList{"--indices"} + args);
    QCOMPARE(lineNumbersOf(indices.out), expected);
    QCOMPARE(indices.exitCode, expected.isEmpty() ? 1 : 0);
    QCOMPARE(runCli(QStringList{"--count"} + args).out.trimmed(),
             QByteArray::number(expected.size()));
    // The usual rows, each line once.
    const QList<QStringList> rows = parseTsv(runCli(QStringList{"--family"} + args).out);
    QCOMPARE(rows.size(), expected.size() + 1);
    for (int i = 1; i < rows.size(); ++i) {
        QCOMPARE(rows[i].first(), family);
    }
}

void TestCli::rulesFromAFolder() {
    QTemporaryDir rules;
    auto write = [&](const char* name, const QByteArray& text) {
        QFile file(rules.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    };
    write("default.taxonomy", "FAM:zbot\nGEN:qwerty\n");
    write("default.tagging", "asdfg\tzbot\n");
    const DataFolder data(kTwoProducts,
                          "|Asdfg.A|Qwerty.B|\r\n|Asdfg.A|Zbot.B|\r\n|Qwerty.A|Qwerty.B|\r\n");
    const QStringList args = data.args({"--family", "--rules", rules.path(), "b"});

    const Run missing = runCli(args);
    QCOMPARE(missing.exitCode, 2);
    QVERIFY2(missing.err.contains(QFile::encodeName(rules.filePath("default.expansion"))) &&
                 missing.err.contains("File not found"),
             missing.err.constData());

    write("default.expansion", "");
    const Run run = runCli(args);
    QCOMPARE(run.err, QByteArray());
    const QList<QStringList> rows = parseTsv(run.out);
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows[1].first(), QString());       // one zbot; qwerty is generic here
    QCOMPARE(rows[2].first(), QString("zbot")); // Asdfg is an alias
    QCOMPARE(rows[3].first(), QString());

    // The bundled rules know neither word.
    const QList<QStringList> bundled = parseTsv(runCli(data.args({"--family", "b"})).out);
    QCOMPARE(bundled.size(), 4);
    QCOMPARE(bundled[2].first(), QString());
    QCOMPARE(bundled[3].first(), QString("qwerty"));
}

void TestCli::namesByProductCountTheRows_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("every product") << QStringList{"zbot"};
    QTest::newRow("some products") << QStringList{"--products", "74,1,42", "w32/"};
    QTest::newRow("a family") << QStringList{"--family-is", "vobfus"};
    QTest::newRow("no hit") << QStringList{"no such name anywhere"};
}

// The counts are those of the TSV rows of the same search.
void TestCli::namesByProductCountTheRows() {
    QFETCH(QStringList, args);
    const QList<QStringList> rows = parseTsv(runCli(QStringList{"--tsv"} + args).out);
    QMap<QString, QMap<QString, int>> expected;
    QStringList products;
    for (const QString& title : rows.value(0)) {
        products << QString::fromStdString(nomix::productName(title.toStdString()));
    }
    for (int r = 1; r < rows.size(); ++r) {
        for (int c = 0; c < rows[r].size(); ++c) {
            ++expected[products[c]][rows[r][c]];
        }
    }
    const Run run = runCli(QStringList{"--names-by-product"} + args);
    QCOMPARE(run.exitCode, rows.size() > 1 ? 0 : 1);
    QMap<QString, QMap<QString, int>> got;
    QStringList order;
    int previousCount = 0;
    QString previousName;
    for (const QStringList& row : parseTsv(run.out)) {
        QCOMPARE(row.size(), 3);
        const int count = row[2].toInt();
        if (order.isEmpty() || order.last() != row[0]) {
            order << row[0];
        } else { // most common first, then by name
            QVERIFY(count < previousCount || (count == previousCount && previousName < row[1]));
        }
        got[row[0]][row[1]] = count;
        previousCount = count;
        previousName = row[1];
    }
    QCOMPARE(got, expected);
    QStringList productsWithHits = products;
    productsWithHits.removeIf([&](const QString& p) { return !expected.contains(p); });
    QCOMPARE(order, productsWithHits);
}

void TestCli::productsList_data() {
    QTest::addColumn<QByteArray>("table");
    QTest::addColumn<QByteArray>("out");
    QTest::newRow("name, version, date")
        << QByteArray("DB|Alpha Scan 2.31 beta 05/97|Kaspersky 15.0.1.10 20150824\r\n")
        << QByteArray("1\tAlpha Scan\t2.31 beta\t05/97\n2\tKaspersky\t15.0.1.10\t20150824\n");
    QTest::newRow("one word") << QByteArray("DB|Solo\r\n") << QByteArray("1\tSolo\t\t\n");
    QTest::newRow("no name before the version")
        << QByteArray("DB|3Com 1.0 05/97\r\n")
        << QByteArray("1\t3Com 1.0 05/97\t3Com 1.0\t05/97\n");
    QTest::newRow("Windows-1252 in UTF-8")
        << QByteArray("DB|Caf\xe9 1 x\r\n") << QByteArray("1\tCaf\xc3\xa9\t1\tx\n");
}

void TestCli::productsList() {
    QFETCH(QByteArray, table);
    QFETCH(QByteArray, out);
    const DataFolder data(table, "");
    const Run run = runCli(data.args({"--products-list"}));
    QCOMPARE(run.out, out);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(runCli(data.args({"--products-list", "x"})).exitCode, 2);
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
