// SPDX-License-Identifier: MIT
// Settings files damaged every way a file can be: each is reported with the
// message the settings store gives, a file that cannot be read as a whole
// is never written, and a save over one that can keeps every value the
// program does not own.

#include "core/settingsstore.h"
#include "platform/registryfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using nomix::RegistryFile;
using nomix::RegistryText;
using nomix::StoredSettings;

namespace {

const QByteArray kOptionsKey = "HKEY_CURRENT_USER\\Software\\Talvora\\Nomix\\1.1\\Options";
const QByteArray kSearchKey = "HKEY_CURRENT_USER\\Software\\Talvora\\Nomix\\1.1\\Search";

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

QByteArray settingsData(const char* name) {
    return readBytes(QStringLiteral(NOMIX_TEST_DATA_DIR "/settings/") + name);
}

// The holders as the window fills them before a load.
StoredSettings windowDefaults() {
    StoredSettings settings;
    settings.dataPath = "/usr/share/nomix95";
    settings.dataName = "NOMIX.DAT";
    settings.configName = "NOMIX.CFG";
    return settings;
}

// What a load or a save reports about a settings file it cannot read.
QString unreadableMessage(const QString& path, const QString& reason, bool saving) {
    return "Could not read the settings file \"" + path + "\": " + reason +
           ". The file was left unchanged; " +
           (saving ? "the settings were not saved." : "default settings are used.");
}

bool sameName(const std::string& a, const QByteArray& b) {
    return QByteArray::fromStdString(a).compare(b, Qt::CaseInsensitive) == 0;
}

// What a save of the settings writes: every value of the Options key that
// the store knows, and Count and the string# values of the Search key.
bool ownedBySettings(const std::string& key, const std::string& name) {
    static const QByteArrayList options = [] {
        QByteArrayList names = {"DataPath", "DataName", "ConfigName"};
        for (const nomix::OptionEntry& entry : nomix::kOptions) {
            names << entry.valueName;
        }
        return names + QByteArrayList{"ListDetails", "LastSelection", "LastSelectionEx",
                                      "ShowFamily", "RulesPath"};
    }();
    const QByteArray value = QByteArray::fromStdString(name);
    if (sameName(key, kOptionsKey)) {
        for (const QByteArray& option : options) {
            if (option.compare(value, Qt::CaseInsensitive) == 0) {
                return true;
            }
        }
        return false;
    }
    return sameName(key, kSearchKey) && (value.compare("Count", Qt::CaseInsensitive) == 0 ||
                                         value.toLower().startsWith("string#"));
}

} // namespace

class TestSettingsDamage : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir m_configHome;
    QString filePath() const { return m_configHome.filePath("Talvora/Nomix95.reg"); }

    void writeSettingsFile(const QByteArray& bytes) {
        QDir().mkpath(m_configHome.filePath("Talvora"));
        QFile file(filePath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(bytes), bytes.size());
    }

  private slots:
    void init() {
        QVERIFY(m_configHome.isValid());
        qputenv("XDG_CONFIG_HOME", m_configHome.path().toLocal8Bit());
        QFile::remove(filePath());
    }

    void damagedFile_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message"); // what the load reports
        QTest::addColumn<int>("failedLine");  // cannot be parsed from this line on: never written
        QTest::addColumn<int>("historyLoaded");

        auto file = [&](const char* name, const QString& message, int history) {
            QTest::newRow(name) << settingsData(name) << message << 0 << history;
        };
        auto unreadable = [&](const char* name, int line) {
            QTest::newRow(name) << settingsData(name)
                                << unreadableMessage(
                                       filePath(),
                                       QString("line %1 is not in REGEDIT4 format").arg(line),
                                       false)
                                << line << 0;
        };
        // Truncated. A file cut to nothing holds nothing to lose.
        file("empty.reg", "", 0);
        unreadable("truncated-in-header.reg", 1);
        unreadable("truncated-in-value.reg", 5);
        unreadable("truncated-in-hex-list.reg", 4);
        file("truncated-at-line-end.reg", "Failed to get data for 'StringMatch'", 0);
        // Binary garbage and foreign encodings.
        unreadable("binary-garbage.reg", 1);
        unreadable("png-picture.reg", 1);
        unreadable("utf16-export.reg", 1);
        unreadable("bom-before-header.reg", 1);
        unreadable("old-mac-line-ends.reg", 1);
        unreadable("nul-in-header.reg", 1);
        // Not the text of a stored registry.
        unreadable("unescaped-backslash.reg", 4);
        unreadable("value-outside-key.reg", 2);
        unreadable("key-deletion.reg", 3);
        unreadable("dword-too-long.reg", 19);
        // Wrong types.
        file("path-as-number.reg", "Invalid data type for 'DataPath'", 0);
        file("flag-as-text.reg", "Invalid data type for 'ShowBitmaps'", 0);
        file("flag-as-long-text.reg", "Failed to get data for 'ShowBitmaps'", 0);
        file("selection-as-eight-bytes.reg", "Failed to get data for 'LastSelection'", 0);
        file("count-as-text.reg", "Invalid data type for 'Count'", 0);
        file("history-entry-as-binary.reg", "Invalid data type for 'string#2'", 1);
        // Huge values.
        file("huge-count.reg", "", int(nomix::kMaxLoadedHistory));
        file("negative-count.reg", "", 0);
        file("huge-type-number.reg", "", 2);
        QTest::newRow("megabyte path")
            << settingsData("unknown-keys-and-values.reg")
                   .replace("\"/srv/av data\"", "\"/" + QByteArray(1 << 20, 'd') + "\"")
            << QString() << 0 << 2;
        // Unknown keys and values.
        file("unknown-keys-and-values.reg", "", 2);
    }

    void damagedFile() {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        QFETCH(int, failedLine);
        QFETCH(int, historyLoaded);
        const bool unreadable = failedLine > 0;
        writeSettingsFile(content);

        StoredSettings loaded = windowDefaults();
        {
            RegistryFile registry;
            QCOMPARE(QString::fromStdString(nomix::loadSettings(registry, loaded)), message);
        }
        QCOMPARE(readBytes(filePath()), content);
        QCOMPARE(int(loaded.history.size()), historyLoaded);
        if (unreadable) {
            QCOMPARE(QString::fromStdString(windowDefaults().dataPath),
                     QString::fromStdString(loaded.dataPath));
        }

        // The close of a run that loaded a database saves.
        {
            RegistryFile registry;
            const std::string saved = nomix::saveSettings(registry, loaded, true);
            const QString reason = QString("line %1 is not in REGEDIT4 format").arg(failedLine);
            QCOMPARE(QString::fromStdString(saved),
                     unreadable ? unreadableMessage(filePath(), reason, true) : "");
        }
        if (unreadable) {
            QCOMPARE(readBytes(filePath()), content);
            QCOMPARE(QDir(m_configHome.filePath("Talvora")).entryList(QDir::Files | QDir::Hidden),
                     QStringList{"Nomix95.reg"});
            return;
        }
        StoredSettings reloaded = windowDefaults();
        {
            RegistryFile registry;
            QCOMPARE(nomix::loadSettings(registry, reloaded), std::string());
        }
        QVERIFY(reloaded == loaded);

        const auto before = content.isEmpty() ? RegistryText::Document()
                                              : RegistryText::parse(content.toStdString());
        const auto after = RegistryText::parse(readBytes(filePath()).toStdString());
        QVERIFY(before.has_value() && after.has_value());
        for (const RegistryText::Key& key : *before) {
            for (const RegistryText::Value& value : key.values) {
                if (ownedBySettings(key.path, value.name)) {
                    continue;
                }
                bool kept = false;
                for (const RegistryText::Key& savedKey : *after) {
                    for (const RegistryText::Value& savedValue : savedKey.values) {
                        kept = kept || (savedKey.path == key.path && savedValue == value);
                    }
                }
                QVERIFY2(kept, (key.path + " / " + value.name).c_str());
            }
        }
    }

    void notAPlainFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("a FIFO") << "fifo";
        QTest::newRow("a link to /dev/zero") << "/dev/zero";
        QTest::newRow("a link to /dev/null") << "/dev/null";
        QTest::newRow("a directory") << "directory";
    }

    // Neither a hang nor a read without end: reported like a damaged file,
    // and left as it is.
    void notAPlainFile() {
        QFETCH(QString, kind);
        QDir().mkpath(m_configHome.filePath("Talvora"));
        const QByteArray path = QFile::encodeName(filePath());
        if (kind == "fifo") {
            QCOMPARE(::mkfifo(path.constData(), 0600), 0);
        } else if (kind == "directory") {
            QVERIFY(QDir().mkpath(filePath()));
        } else {
            QCOMPARE(::symlink(kind.toLocal8Bit().constData(), path.constData()), 0);
        }
        StoredSettings settings = windowDefaults();
        const QString reason = "it is not a plain file";
        {
            RegistryFile registry;
            QCOMPARE(QString::fromStdString(nomix::loadSettings(registry, settings)),
                     unreadableMessage(filePath(), reason, false));
        }
        QVERIFY(settings == windowDefaults());
        {
            RegistryFile registry;
            QCOMPARE(QString::fromStdString(nomix::saveSettings(registry, settings, true)),
                     unreadableMessage(filePath(), reason, true));
        }
        const QFileInfo info(filePath());
        QVERIFY(kind == "fifo" || kind == "directory" ? !info.isSymLink() : info.isSymLink());
        QCOMPARE(info.isDir(), kind == "directory");
        QCOMPARE(QDir(m_configHome.filePath("Talvora"))
                     .entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::Dirs |
                                QDir::NoDotAndDotDot),
                 QStringList{"Nomix95.reg"});
        if (kind == "directory") {
            QDir(filePath()).removeRecursively();
        }
    }

    void oddNamesSurvive_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("blanks") << QByteArray("  my data  ");
        QTest::newRow("quotes") << QByteArray("it's \"quoted\" \\\"");
        QTest::newRow("line breaks") << QByteArray("line\nbreak\r\nend\r");
        QTest::newRow("Latin-1 bytes, not UTF-8") << QByteArray("d\xe9j\xe0 \xff\x80");
        QTest::newRow("UTF-8") << QByteArray("donn\xc3\xa9"
                                             "es \xe2\x98\xa3");
        QTest::newRow("format and shell characters") << QByteArray("%s%n%x $(id) `id` ;|&");
        QTest::newRow("registry syntax") << QByteArray("]\n[HKEY_CURRENT_USER\\x]\n\"a\"=dword:1");
        QTest::newRow("100,000 characters") << QByteArray(100000, 'v');
    }

    // In the settings file's own folder name and in every text it keeps.
    void oddNamesSurvive() {
        QFETCH(QByteArray, text);
        QByteArray folder = text.left(200);
        folder.replace('/', '_');
        const QByteArray home = QFile::encodeName(m_configHome.path()) + "/" + folder;
        qputenv("XDG_CONFIG_HOME", home);
        const std::string bytes = text.toStdString();
        StoredSettings settings = windowDefaults();
        settings.dataPath = "/" + bytes;
        settings.dataName = bytes + ".DAT";
        settings.configName = bytes + ".CFG";
        settings.history = {bytes, "plain", bytes};
        {
            RegistryFile registry;
            QCOMPARE(registry.filePath(), home.toStdString() + "/Talvora/Nomix95.reg");
            QCOMPARE(nomix::saveSettings(registry, settings, true), std::string());
        }
        StoredSettings loaded = windowDefaults();
        {
            RegistryFile registry;
            QCOMPARE(nomix::loadSettings(registry, loaded), std::string());
        }
        QVERIFY(loaded == settings);
        std::error_code ignored;
        std::filesystem::remove_all(home.toStdString(), ignored);
    }
};

QTEST_APPLESS_MAIN(TestSettingsDamage)
#include "tst_settingsdamage.moc"
