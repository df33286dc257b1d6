// SPDX-License-Identifier: MIT
#include "core/datafile.h"
#include "core/fileerror.h"
#include "core/labelling/familyvote.h"
#include "core/labelling/labellingrules.h"
#include "core/labelling/linefamilies.h"
#include "core/producttable.h"

#include "core/shared_linesof.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>

using namespace nomix;

namespace {

// Small rules with one case of everything the vote looks at.
const char* const kTaxonomy = "# families\n"
                              "FAM:zbot\n"
                              "FAM:sality\n"
                              "FAM:ramnit\n"
                              "FAM:parite\n"
                              "FAM:pinfi\n"
                              "FAM:abc\n"
                              "CLASS:worm\n"
                              "CLASS:backdoor\n"
                              "BEH:server\n"
                              "FILE:os:windows\r\n"
                              "GEN:trojan\n"
                              "GEN:generic\n"
                              "GEN:genfamily:agent\n";
const char* const kTagging = "zeus\tFAM:zbot\n"
                             "zbo\tzbot\n"
                             "win\twindows\n"
                             "salit\tsality\tworm\n"
                             "trojware\tGEN:trojan\n"
                             "qwe\tqwertyx\n";
const char* const kExpansion = "backdoor\tserver\n"
                               "FAM:pinfi\tFAM:parite\n";

// Columns: the hash, three products without a suffix rule, then products
// with one, and Norman, which drops from its last '.' too.
const char* const kTable = "Test|SHA-256 1 -|Alpha 1.0 d|Beta Scan 2.0 d|Gamma 3 d|Kaspersky 15.0 d"
                           "|AVG 2015 d|Agnitum 5 d|Microsoft 1.1 d\r\n";
const QStringList kColumns = {"SHA-256",   "Alpha", "Beta",    "Gamma",
                              "Kaspersky", "AVG",   "Agnitum", "Microsoft"};

ProductTable testTable() {
    return parseProductTable(kTable, std::strlen(kTable));
}

LabellingRules testRules() {
    return LabellingRules::fromTexts(kTaxonomy, kTagging, kExpansion);
}

// A line with the given names in the named columns, NO_VIRUS elsewhere, and
// a hash in the SHA-256 column unless one is given.
QByteArray lineOf(const QMap<QString, QString>& names) {
    QByteArray line;
    for (const QString& column : kColumns) {
        const QString fallback = column == "SHA-256" ? "9f86d081884c7d65" : "NO_VIRUS";
        line += (line.isEmpty() ? "" : "|") + names.value(column, fallback).toUtf8();
    }
    return line;
}

std::string_view viewOf(const QByteArray& bytes) {
    return std::string_view(bytes.constData(), static_cast<size_t>(bytes.size()));
}

QString sampleFile(const char* name) {
    return QStringLiteral(NOMIX_SAMPLE_DIR "/") + name;
}

QString bundledRules() {
    return QStringLiteral(NOMIX_SAMPLE_DIR "/../labelling");
}

} // namespace

class TestFamilyVote : public QObject {
    Q_OBJECT

  private slots:
    void vote_data();
    void vote();
    void extraFieldsBelongToNoProduct();
    void ruleFiles_data();
    void ruleFiles();
    void missingRuleFileIsNamed_data();
    void missingRuleFileIsNamed();
    void sampleFamilies_data();
    void sampleFamilies();
    void allLinesMatchOneByOne();
    void cancelStopsTheWork();
};

using Names = QMap<QString, QString>;

void TestFamilyVote::vote_data() {
    QTest::addColumn<Names>("names");
    QTest::addColumn<QString>("family");

    QTest::newRow("two products agree")
        << Names{{"Alpha", "Trojan.Win32.Zbot.a"}, {"Beta", "W32/Zbot.B"}} << "zbot";
    QTest::newRow("one product is not enough") << Names{{"Alpha", "Zbot"}} << "";
    QTest::newRow("no labels") << Names{} << "";
    QTest::newRow("letter case") << Names{{"Alpha", "ZBOT.X"}, {"Beta", "zBoT-y"}} << "zbot";
    QTest::newRow("an unknown word votes as itself")
        << Names{{"Alpha", "Win32/Qwerty.A"}, {"Beta", "Qwerty-B"}} << "qwerty";
    QTest::newRow("a product votes once per tag")
        << Names{{"Alpha", "Zbot.Zbot.Zeus"}, {"Beta", "Sality"}} << "";

    // Labels that are not names.
    QTest::newRow("NO_VIRUS") << Names{{"Alpha", "NO_VIRUS"}, {"Beta", "Virus.Novir"}} << "";
    QTest::newRow("UNKNOWN_VIRUS")
        << Names{{"Alpha", "UNKNOWN_VIRUS"}, {"Beta", "UNKNOWN_VIRUS"}, {"Gamma", "Unknown"}} << "";
    QTest::newRow("notes") << Names{{"Alpha", "~Qwerty timed out"}, {"Beta", "~Qwerty"}} << "";
    QTest::newRow("the hash column")
        << Names{{"SHA-256", "Worm.Qwerty"}, {"Alpha", "Qwerty.A"}} << "";

    // A label another product already gave counts once.
    QTest::newRow("same label twice") << Names{{"Alpha", "Zbot.A"}, {"Beta", "Zbot.A"}} << "";
    QTest::newRow("same label with (B)")
        << Names{{"Alpha", "Zbot.A"}, {"Beta", "Zbot.A (B)"}} << "";
    QTest::newRow("same label with Malware.")
        << Names{{"Alpha", "Malware.Zbot.A"}, {"Beta", "Zbot.A"}} << "";
    QTest::newRow("different variants count")
        << Names{{"Alpha", "Zbot.A"}, {"Beta", "Zbot.B"}} << "zbot";
    QTest::newRow("letter case makes another label")
        << Names{{"Alpha", "Zbot.A"}, {"Beta", "ZBOT.A"}} << "zbot";

    // Words.
    QTest::newRow("trailing digits go")
        << Names{{"Alpha", "Zbot2"}, {"Beta", "W32.Zbot1234"}} << "zbot";
    QTest::newRow("a word of digits is none") << Names{{"Alpha", "1234"}, {"Beta", "X.1234"}} << "";
    QTest::newRow("a prefix of the hash")
        << Names{{"SHA-256", "9F86D081884C7D65"}, {"Alpha", "9f86d.A"}, {"Beta", "9F86D-b"}} << "";
    QTest::newRow("the whole hash")
        << Names{{"SHA-256", "abcdef"}, {"Alpha", "Abcdef"}, {"Beta", "X.ABCDEF"}} << "";
    QTest::newRow("not a prefix of the hash")
        << Names{{"SHA-256", "9f86d081"}, {"Alpha", "F86d.A"}, {"Beta", "F86d-b"}} << "f86d";
    QTest::newRow("long words, any letter case")
        << Names{{"Alpha", "W32/Superlongfamilyname.A"}, {"Beta", "SUPERLONGFAMILYNAME-B"}}
        << "superlongfamilyname";
    QTest::newRow("long words differing in the middle")
        << Names{{"Alpha", "Superlongxfamilyname"}, {"Beta", "Superlongyfamilyname"}} << "";
    QTest::newRow("nine letters differing in the last")
        << Names{{"Alpha", "Qwertyuia"}, {"Beta", "Qwertyuib"}} << "";
    QTest::newRow("a long prefix of the hash") << Names{{"SHA-256", "ABCDEF0123456789ABCDEF"},
                                                        {"Alpha", "Abcdef0123456789abcde.A"},
                                                        {"Beta", "ABCDEF0123456789ABCDE-b"}}
                                               << "";
    QTest::newRow("the hash's first eight bytes, then others")
        << Names{{"SHA-256", "ABCDEF0123456789ABCDEF"},
                 {"Alpha", "Abcdef01zzzz.A"},
                 {"Beta", "ABCDEF01ZZZZ-b"}}
        << "abcdef01zzzz";
    // Where words are found in blocks of bytes: across blocks, at a label's
    // limits, past the end of the line.
    QTest::newRow("a word across two blocks of bytes")
        << Names{{"Alpha", "Trojan.Win32.Qwertyzz.A"}, {"Beta", "Qwertyzz-B"}} << "qwertyzz";
    QTest::newRow("inner digits stay, final digits go, across blocks")
        << Names{{"Alpha", "Trojan.Win32.Ab12cdefgh34.X"}, {"Beta", "AB12CDEFGH-1"}}
        << "ab12cdefgh";
    QTest::newRow("a label of 64 bytes, its word last")
        << Names{{"Alpha", QString(55, '.') + "Qwertyzz9"}, {"Beta", "Qwertyzz.B"}} << "qwertyzz";
    QTest::newRow("a label of 65 bytes, its word last")
        << Names{{"Alpha", QString(56, '.') + "Qwertyzz9"}, {"Beta", "Qwertyzz.B"}} << "qwertyzz";
    QTest::newRow("bytes past ASCII part words")
        << Names{{"Alpha", QString::fromUtf8("Qwerty\u00e9zzzz")}, {"Beta", "Zzzz-Qwerty"}}
        << "zzzz";
    QTest::newRow("the line's last field")
        << Names{{"Microsoft", "Backdoor:Win32/Qwertyzz.A"}, {"Alpha", "Qwertyzz"}} << "qwertyzz";
    QTest::newRow("generic words")
        << Names{{"Alpha", "Trojan.Generic"}, {"Beta", "Generic.Trojan"}} << "";
    QTest::newRow("generic by its path") << Names{{"Alpha", "Agent.A"}, {"Beta", "Agent.B"}} << "";
    QTest::newRow("an alias of a generic tag")
        << Names{{"Alpha", "Trojware.A"}, {"Beta", "Trojware.B"}} << "";
    QTest::newRow("short unknown words") << Names{{"Alpha", "W32/Xyz.A"}, {"Beta", "Xyz-B"}} << "";
    QTest::newRow("a short family without a tagging rule")
        << Names{{"Alpha", "Abc.A"}, {"Beta", "Abc-B"}} << "";
    QTest::newRow("a short word with a tagging rule")
        << Names{{"Alpha", "Zbo.A"}, {"Beta", "Zbo-B"}} << "zbot";
    QTest::newRow("aliases") << Names{{"Alpha", "Zeus.A"}, {"Beta", "Zbot.B"}} << "zbot";
    QTest::newRow("a tag outside the taxonomy and the same word unknown")
        << Names{{"Alpha", "Qwe.A"}, {"Beta", "Qwertyx.B"}} << "qwertyx";
    QTest::newRow("an alias with two tags")
        << Names{{"Alpha", "Salit.A"}, {"Beta", "Salit.B"}} << "sality";
    QTest::newRow("class tags are no family") << Names{{"Alpha", "Worm.A"},
                                                       {"Beta", "Worm.B"},
                                                       {"Gamma", "Backdoor.C"},
                                                       {"Microsoft", "Backdoor:Win32/D"}}
                                              << "";
    QTest::newRow("file tags are no family")
        << Names{{"Alpha", "Win.A"}, {"Beta", "Windows.B"}} << "";
    QTest::newRow("expansion adds tags")
        << Names{{"Alpha", "Pinfi.A"}, {"Beta", "Parite.B"}} << "parite";

    // The vote.
    QTest::newRow("most votes win over the greater name") << Names{{"Alpha", "Ramnit.Zbot"},
                                                                   {"Beta", "Ramnit"},
                                                                   {"Gamma", "Zbot.Ramnit"},
                                                                   {"Kaspersky", "Ramnit.A"}}
                                                          << "ramnit";
    QTest::newRow("a tie goes to the greater name")
        << Names{{"Alpha", "Ramnit.Zbot"}, {"Beta", "Zbot-Ramnit"}} << "zbot";
    QTest::newRow("a tie with an unknown word")
        << Names{{"Alpha", "Zbot.Qwerty"}, {"Beta", "Qwerty-Zbot"}} << "zbot";
    QTest::newRow("two votes beat one")
        << Names{{"Alpha", "Zzzz.Sality"}, {"Beta", "Sality.B"}} << "sality";

    // Suffixes each product adds: without the rule, "ramnit" would have two votes.
    QTest::newRow("Kaspersky drops from the last dot")
        << Names{{"Kaspersky", "Trojan.Win32.Zbot.ramnit"}, {"Alpha", "Ramnit"}} << "";
    QTest::newRow("Kaspersky keeps a label without a dot")
        << Names{{"Kaspersky", "Ramnit"}, {"Alpha", "Ramnit.A"}} << "ramnit";
    QTest::newRow("Microsoft drops from the last dot")
        << Names{{"Microsoft", "Worm:Win32/Sality.Ramnit"}, {"Alpha", "Ramnit"}} << "";
    QTest::newRow("AVG drops capitals after the last dot")
        << Names{{"AVG", "Win32/Sality.RAMNIT"}, {"Alpha", "Ramnit"}} << "";
    QTest::newRow("AVG drops capitals and digits")
        << Names{{"AVG", "Win32/Sality.RAM2NIT"}, {"Alpha", "Ram2nit"}} << "";
    QTest::newRow("AVG keeps a part with small letters")
        << Names{{"AVG", "Win32/Sality.Ramnit"}, {"Alpha", "Ramnit"}} << "ramnit";
    QTest::newRow("Agnitum drops from the last '!'")
        << Names{{"Agnitum", "Trojan.Sality!Ramnit"}, {"Alpha", "Ramnit"}} << "";
    QTest::newRow("Agnitum keeps dots")
        << Names{{"Agnitum", "Trojan.Sality.Ramnit"}, {"Alpha", "Ramnit"}} << "ramnit";
    QTest::newRow("other products keep their suffixes")
        << Names{{"Gamma", "Trojan.Zbot.Ramnit"}, {"Alpha", "Ramnit"}} << "ramnit";
}

void TestFamilyVote::vote() {
    QFETCH(Names, names);
    QFETCH(QString, family);
    const FamilyVote vote(testRules(), testTable());
    const QByteArray line = lineOf(names);
    QCOMPARE(QString::fromStdString(vote.familyOf(viewOf(line))), family);
    // The same through a scratch that a line with other labels used before.
    FamilyVote::Scratch scratch;
    const QByteArray other = lineOf({{"Alpha", "Qwerty.A"}, {"Beta", "Qwerty.B"}});
    QCOMPARE(vote.familyOf(viewOf(other), scratch), std::string_view("qwerty"));
    QCOMPARE(QString::fromUtf8(
                 QByteArray::fromStdString(std::string(vote.familyOf(viewOf(line), scratch)))),
             family);
}

void TestFamilyVote::extraFieldsBelongToNoProduct() {
    const FamilyVote vote(testRules(), testTable());
    const QByteArray line = lineOf({{"Alpha", "Qwerty.A"}}) + "|Qwerty.B|Qwerty.C";
    QCOMPARE(vote.familyOf(viewOf(line)), std::string());
}

void TestFamilyVote::ruleFiles_data() {
    QTest::addColumn<QByteArray>("taxonomy");
    QTest::addColumn<QByteArray>("tagging");
    QTest::addColumn<QByteArray>("expansion");
    QTest::addColumn<QString>("family"); // of a line "Zeus.A|Zeus.B|Kido.C|Kido.D"

    QTest::newRow("plain") << QByteArray("FAM:zbot\n") << QByteArray("zeus\tzbot\n") << QByteArray()
                           << "zbot";
    QTest::newRow("comments, blank lines and CR LF")
        << QByteArray("# taxonomy\r\n\r\nFAM:zbot\r\n") << QByteArray("# x\r\nzeus\tzbot\r\n")
        << QByteArray("#\r\n") << "zbot";
    QTest::newRow("a path in the taxonomy") << QByteArray("GEN:genfamily:zbot\n")
                                            << QByteArray("zeus\tzbot\n") << QByteArray() << "kido";
    QTest::newRow("tags with their category")
        << QByteArray("FAM:zbot\nCLASS:worm\n") << QByteArray("zeus\tFAM:zbot\nkido\tCLASS:worm\n")
        << QByteArray() << "zbot";
    QTest::newRow("upper-case rules")
        << QByteArray("FAM:Zbot\n") << QByteArray("ZEUS\tZbot\n") << QByteArray() << "zbot";
    QTest::newRow("expansion to a family")
        << QByteArray("FAM:conficker\n") << QByteArray()
        << QByteArray("zeus\tconficker\nkido\tFAM:conficker\n") << "conficker";
    QTest::newRow("expansion in steps, round a circle")
        << QByteArray("FAM:conficker\nCLASS:worm\nCLASS:downadup\n")
        << QByteArray("zeus\tworm\nkido\tworm\n")
        << QByteArray("worm\tdownadup\ndownadup\tconficker\nconficker\tworm\n") << "conficker";
    QTest::newRow("no rules") << QByteArray() << QByteArray() << QByteArray() << "zeus";
}

// The same rules from files in a folder and from their texts.
void TestFamilyVote::ruleFiles() {
    QFETCH(QByteArray, taxonomy);
    QFETCH(QByteArray, tagging);
    QFETCH(QByteArray, expansion);
    QFETCH(QString, family);
    QTemporaryDir dir;
    const QList<std::pair<const char*, QByteArray>> files = {
        {LabellingRules::kTaxonomyFile, taxonomy},
        {LabellingRules::kTaggingFile, tagging},
        {LabellingRules::kExpansionFile, expansion}};
    for (const auto& [name, text] : files) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    const char* const table = "T|A 1 d|B 1 d|C 1 d|D 1 d";
    const ProductTable products = parseProductTable(table, std::strlen(table));
    const FamilyVote vote(LabellingRules::fromFolder(dir.path().toStdString()), products);
    QCOMPARE(QString::fromStdString(vote.familyOf("Zeus.A|Zeus.B|Kido.C|Kido.D")), family);
}

void TestFamilyVote::missingRuleFileIsNamed_data() {
    QTest::addColumn<QString>("missing");
    for (const char* name : {LabellingRules::kTaxonomyFile, LabellingRules::kTaggingFile,
                             LabellingRules::kExpansionFile}) {
        QTest::newRow(name) << QString::fromLatin1(name);
    }
}

void TestFamilyVote::missingRuleFileIsNamed() {
    QFETCH(QString, missing);
    QTemporaryDir dir;
    for (const char* name : {LabellingRules::kTaxonomyFile, LabellingRules::kTaggingFile,
                             LabellingRules::kExpansionFile}) {
        if (missing != QLatin1String(name)) {
            QFile file(dir.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
    }
    try {
        LabellingRules::fromFolder(dir.path().toStdString());
        QFAIL("no error");
    } catch (const FileError& e) {
        QVERIFY2(QString::fromStdString(e.path()).endsWith("/" + missing), e.path().c_str());
        QCOMPARE(QByteArray(e.what()), QByteArray("File not found"));
    }
}

// Ten lines of the bundled sample, checked by hand against the rules.
void TestFamilyVote::sampleFamilies_data() {
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("family");
    // LoadMoney or its aliases Hype, LdMon and Limpopo in ten products; the Graftor and
    // Badur of others are generic.
    QTest::newRow("line 1: loadmoney") << 0 << "loadmoney";
    // VBNA, VBObfus and Changeup are aliases of vobfus; Kaspersky's ".b" goes.
    QTest::newRow("line 2: vobfus") << 1 << "vobfus";
    // Two labels, both generic words once TrendMicro-HouseCall's suffix goes.
    QTest::newRow("line 3: only generic words") << 2 << "";
    // Avast's and Comodo's Wali and Kaspersky's Nimnul are aliases of wapomi.
    QTest::newRow("line 4: aliases") << 3 << "wapomi";
    // Agent and Clicker are generic or a class; Delf stands for the language Delphi;
    // the suffix ".jlk" of Fortinet and Kaspersky goes, leaving one product.
    QTest::newRow("line 12: no family") << 11 << "";
    // Norman's OnLineGames.LWBP (suffix gone) and SUPERAntiSpyware's Gen-OnlineGames;
    // BHO is too short.
    QTest::newRow("line 53: two products are enough") << 52 << "onlinegames";
    // Zbot five times, Panda (its alias) once; ADVR from NOD32, which keeps its suffix,
    // and from TheHacker has two votes only. The HouseCall label repeats TrendMicro's.
    QTest::newRow("line 73: zbot over qbot and carberp") << 72 << "zbot";
    // TheHacker and VBA32 write Injector.dffx (Kaspersky's and Fortinet's suffix goes),
    // CAT-QuickHeal and Microsoft Beebone: a tie, to the greater name.
    QTest::newRow("line 84: a tie") << 83 << "dffx";
    QTest::newRow("line 116: sality") << 115 << "sality";
    // Virtob (an alias) counts for virut too; Panda's Sality stands alone.
    QTest::newRow("line 154: virut") << 153 << "virut";
}

void TestFamilyVote::sampleFamilies() {
    QFETCH(int, line);
    QFETCH(QString, family);
    const NameDatabase db = readNameDatabase(sampleFile("NOMIX.DAT").toStdString());
    const ProductTable table = readProductTable(sampleFile("NOMIX.CFG").toStdString(), "NOMIX.CFG");
    const FamilyVote vote(LabellingRules::fromFolder(bundledRules().toStdString()), table);
    QCOMPARE(QString::fromStdString(vote.familyOf(db.lines.at(static_cast<size_t>(line)))), family);
}

// Every core's share of the work gives what one line at a time gives.
void TestFamilyVote::allLinesMatchOneByOne() {
    const NameDatabase db = readNameDatabase(sampleFile("NOMIX.DAT").toStdString());
    const ProductTable table = readProductTable(sampleFile("NOMIX.CFG").toStdString(), "NOMIX.CFG");
    const FamilyVote vote(LabellingRules::fromFolder(bundledRules().toStdString()), table);
    // The sample many times over, so the lines fill several chunks.
    QByteArray bytes;
    {
        QFile file(sampleFile("NOMIX.DAT"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray once = file.readAll();
        for (int i = 0; i < 20; ++i) {
            bytes += once;
        }
    }
    const DatabaseLines lines = linesOf(bytes);
    QCOMPARE(lines.count(), db.lines.count() * 20);
    std::atomic<size_t> lastProgress{0};
    const std::optional<LineFamilies> families =
        computeLineFamilies(vote, lines, {}, [&](size_t done) { lastProgress = done; });
    QVERIFY(families.has_value());
    QCOMPARE(families->lineCount(), lines.count());
    QCOMPARE(lastProgress.load(), lines.count());
    size_t withFamily = 0;
    for (size_t i = 0; i < lines.count(); ++i) {
        QCOMPARE(families->familyOf(i), vote.familyOf(lines.at(i)));
        withFamily += families->familyOf(i).empty() ? 0 : 1;
    }
    QVERIFY(withFamily > lines.count() / 2);
    QVERIFY(std::is_sorted(families->names().begin(), families->names().end()));
    QCOMPARE(std::adjacent_find(families->names().begin(), families->names().end()),
             families->names().end());
}

void TestFamilyVote::cancelStopsTheWork() {
    const ProductTable table = readProductTable(sampleFile("NOMIX.CFG").toStdString(), "NOMIX.CFG");
    const FamilyVote vote(LabellingRules::fromFolder(bundledRules().toStdString()), table);
    QByteArray bytes;
    for (int i = 0; i < 100000; ++i) {
        bytes += "|Zbot.A|Zbot.B|\r\n";
    }
    const DatabaseLines lines = linesOf(bytes);
    std::atomic<int> polls{0};
    const std::optional<LineFamilies> families =
        computeLineFamilies(vote, lines, [&] { return ++polls > 3; });
    QVERIFY(!families.has_value());
    QVERIFY(computeLineFamilies(vote, lines, [] { return false; }).has_value());
}

QTEST_GUILESS_MAIN(TestFamilyVote)
#include "tst_familyvote.moc"
