// SPDX-License-Identifier: MIT
#include "platform/registryfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

using nomix::Registry;
using nomix::RegistryError;
using nomix::RegistryFile;
using nomix::RegistryText;

namespace {

const std::string kKey = "Software\\Talvora\\Nomix\\1.1\\Options";
const QByteArray kHead =
    "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Talvora\\Nomix\\1.1\\Options]\n";

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

std::string stdBytes(const QByteArray& bytes) {
    return bytes.toStdString();
}

// A read of value "V" as text: what it gives, or the error it throws.
QString readValue(RegistryFile& registry, bool asInteger) {
    try {
        return asInteger ? QString::number(registry.readInteger("V"))
                         : QString::fromStdString(registry.readString("V"));
    } catch (const RegistryError& error) {
        return QString::fromUtf8(error.what());
    }
}

// Stops a save at its last step, as a crash (the temporary file stays) or a
// refused rename (the save fails) would.
class InterruptedRegistryFile : public RegistryFile {
  public:
    InterruptedRegistryFile(const QString& path, bool renameFails)
        : RegistryFile(path.toStdString()), m_renameFails(renameFails) {}
    QString temporaryPath;

  protected:
    void commitTemporaryFile(const std::string& temporary, const std::string&) override {
        temporaryPath = QString::fromStdString(temporary);
        if (m_renameFails) {
            throw RegistryError("rename refused");
        }
    }

  private:
    bool m_renameFails;
};

} // namespace

class TestRegistryFile : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir m_configHome;
    QString filePath() const { return m_configHome.filePath("Talvora/Nomix95.reg"); }

  private slots:
    void init() {
        QVERIFY(m_configHome.isValid());
        qputenv("XDG_CONFIG_HOME", m_configHome.path().toLocal8Bit());
        QDir(m_configHome.filePath("Talvora")).removeRecursively();
    }

    void stringRoundTrip_data() {
        QTest::addColumn<QByteArray>("text");
        QByteArray everyByte(256, '\0');
        for (int i = 0; i < 256; ++i) {
            everyByte[i] = static_cast<char>(i);
        }
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("quotes and backslashes") << QByteArray("C:\\\"x\\\\\"\\");
        QTest::newRow("line breaks") << QByteArray("a\nb\r\nc\r");
        QTest::newRow("NULs") << QByteArray("\0a\0", 3);
        QTest::newRow("every byte") << everyByte;
    }

    void stringRoundTrip() {
        QFETCH(QByteArray, text);
        {
            RegistryFile registry;
            QCOMPARE(registry.openKey(kKey), Registry::KeyOpening::Created);
            registry.writeString("Value", stdBytes(text));
            registry.writeInteger("Lowest", std::numeric_limits<int32_t>::min());
            registry.closeKey();
        }
        RegistryFile registry;
        QCOMPARE(registry.openKey(kKey), Registry::KeyOpening::Existing);
        QCOMPARE(registry.readString("Value"), stdBytes(text));
        QCOMPARE(registry.readInteger("Lowest"), std::numeric_limits<int32_t>::min());
    }

    void readRules_data() {
        QTest::addColumn<QByteArray>("valueLine");
        QTest::addColumn<bool>("asInteger");
        QTest::addColumn<QString>("expected"); // the value read, or the error

        auto row = [](const char* name, const char* line, bool asInteger, const char* expected) {
            QTest::newRow(name) << QByteArray(line) << asInteger << QString(expected);
        };
        row("absent string", "", false, "");
        row("absent integer", "", true, "Failed to get data for 'V'");
        row("name ignores case", "\"v\"=dword:ffffffff", true, "-1");
        row("expandable string", "\"V\"=hex(2):25,48,4f,4d,45,25,00", false, "%HOME%");
        row("double word as string", "\"V\"=dword:1", false, "Invalid data type for 'V'");
        row("opaque type as string", "\"V\"=hex(7):61,00,00", false, "Invalid data type for 'V'");
        row("empty binary as string", "\"V\"=hex:", false, "");
        row("string of 4 bytes", "\"V\"=\"abc\"", true, "Invalid data type for 'V'");
        row("string of 5 bytes", "\"V\"=\"abcd\"", true, "Failed to get data for 'V'");
        row("short double word", "\"V\"=hex(4):01,02", true, "513");
        row("wrapped hex list", "\"V\"=hex(2):61,\\\n  62,\\\n  63,00", false, "abc");
    }

    void readRules() {
        QFETCH(QByteArray, valueLine);
        QFETCH(bool, asInteger);
        QFETCH(QString, expected);
        writeBytes(filePath(), kHead + valueLine + "\n");
        RegistryFile registry;
        QCOMPARE(registry.openKey(kKey), Registry::KeyOpening::Existing);
        QCOMPARE(readValue(registry, asInteger), expected);
    }

    void rejectsMalformedText_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("unescaped backslash") << kHead + "\"a\"=\"C:\\NOMIX\"\n";
        QTest::newRow("unterminated string") << kHead + "\"a\"=\"b\n";
        QTest::newRow("trailing comma") << kHead + "\"a\"=hex:01,\n";
        QTest::newRow("continued past the end") << kHead + "\"a\"=hex:01,\\\n";
        QTest::newRow("value deletion") << kHead + "\"a\"=-\n";
        QTest::newRow("key deletion") << QByteArray("REGEDIT4\n[-HKEY_CURRENT_USER\\x]\n");
    }

    void rejectsMalformedText() {
        QFETCH(QByteArray, text);
        QVERIFY(!RegistryText::parse(stdBytes(text)).has_value());
    }

    // Whatever is read must write out as text that reads back the same.
    void textRoundTrip_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("Windows line ends, comments") << kHead + "; note\r\n\"a\"=\"b\"\r\n";
        QTest::newRow("every value form")
            << kHead + "@=\"x\\\\y\\\"z\"\n\"d\"=dword:0000001f\n\"e\"=hex(2):25,00\n"
                       "\"q\"=hex(b):01,02,03,04,05,06,07,08\n\"raw tab\"=\"a\tb\"\n";
        QTest::newRow("merged duplicates")
            << kHead + "\"a\"=\"1\"\n[hkey_current_user\\SOFTWARE\\talvora\\nomix\\1.1\\options]\n"
                       "\"A\"=\"2\"\n";
        QTest::newRow("long binary")
            << kHead + "\"b\"=hex:" + QByteArray("ab,").repeated(99) + "cd\n";
    }

    void textRoundTrip() {
        QFETCH(QByteArray, text);
        auto first = RegistryText::parse(stdBytes(text));
        QVERIFY(first.has_value());
        std::string formatted = RegistryText::format(*first);
        auto second = RegistryText::parse(formatted);
        QVERIFY(second.has_value() && *first == *second);
    }

    void keepsUnknownKeysAndValues() {
        const QByteArray foreign = kHead +
                                   "\"Unknown\"=hex(b):01,02,03,04,05,06,07,08\n\n"
                                   "[HKEY_CURRENT_USER\\Software\\Other]\n\"M\"=hex(7):00\n";
        writeBytes(filePath(), foreign);
        RegistryFile registry;
        registry.openKey(kKey);
        registry.writeString("New", "value");
        registry.closeKey();
        auto before = RegistryText::parse(stdBytes(foreign));
        auto after = RegistryText::parse(stdBytes(readBytes(filePath())));
        before->at(0).values.push_back(
            {"New", RegistryText::ValueType::String, std::string("value\0", 6)});
        QVERIFY(after.has_value() && *after == *before);
    }

    // Another copy of the program may have saved since this one opened the key.
    void commitKeepsChangesMadeMeanwhile() {
        RegistryFile first;
        first.openKey(kKey);
        first.writeString("First", "1");
        RegistryFile second;
        second.openKey(kKey);
        second.writeString("Second", "2");
        second.closeKey();
        first.closeKey();
        first.openKey(kKey);
        QCOMPARE(first.readString("Second"), std::string("2"));
    }

    void unusableFileIsNeverWritten_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("spoiledAfterOpen");
        QTest::newRow("typo") << kHead + "\"DataPath\"=\"C:\\NOMIX\"\n" << false;
        QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0", 10) << false;
        QTest::newRow("spoiled while open") << QByteArray("REGEDIT4\n[broken\n") << true;
    }

    void unusableFileIsNeverWritten() {
        QFETCH(QByteArray, content);
        QFETCH(bool, spoiledAfterOpen);
        if (!spoiledAfterOpen) {
            writeBytes(filePath(), content);
        }
        RegistryFile registry;
        QCOMPARE(registry.openKey(kKey),
                 spoiledAfterOpen ? Registry::KeyOpening::Created : Registry::KeyOpening::Failed);
        if (spoiledAfterOpen) {
            registry.writeString("DataPath", "/");
            writeBytes(filePath(), content);
            QVERIFY_THROWS_EXCEPTION(RegistryError, registry.closeKey());
        } else {
            QVERIFY_THROWS_EXCEPTION(RegistryError, registry.writeString("DataPath", "/"));
        }
        QCOMPARE(readBytes(filePath()), content);
        QCOMPARE(QDir(m_configHome.filePath("Talvora")).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"Nomix95.reg"});
    }

    void interruptedSaveLeavesOldFileWhole_data() {
        QTest::addColumn<bool>("renameFails");
        QTest::newRow("crash before the rename") << false;
        QTest::newRow("rename refused") << true;
    }

    void interruptedSaveLeavesOldFileWhole() {
        QFETCH(bool, renameFails);
        const QByteArray old = kHead + "\"Keep\"=\"old\"\n";
        writeBytes(filePath(), old);
        InterruptedRegistryFile registry(filePath(), renameFails);
        registry.openKey(kKey);
        registry.writeString("Keep", "new");
        if (renameFails) {
            QVERIFY_THROWS_EXCEPTION(RegistryError, registry.closeKey());
            QVERIFY(!QFile::exists(registry.temporaryPath));
        } else {
            registry.closeKey();
            QVERIFY(readBytes(registry.temporaryPath).contains("\"Keep\"=\"new\""));
        }
        QCOMPARE(readBytes(filePath()), old);
    }
};

QTEST_APPLESS_MAIN(TestRegistryFile)
#include "tst_registryfile.moc"
