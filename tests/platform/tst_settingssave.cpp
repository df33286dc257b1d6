// SPDX-License-Identifier: MIT
// A settings save that is killed at any moment (kill -9, a crash) or runs
// out of disk leaves a settings file that is whole: every key holds either
// all it held before or all the save meant to write, never a mix or a
// cut-off text.

#include "core/settingsstore.h"
#include "platform/registryfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <csignal>
#include <poll.h>
#include <random>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using nomix::RegistryFile;
using nomix::RegistryText;
using nomix::StoredSettings;

namespace {

constexpr int kRounds = 40;
// Far less than one saved version takes.
constexpr rlim_t kFullDiskBytes = 4096;
// About the time one save takes here: random kills spread over it.
constexpr unsigned kSaveMicros = 25000;
constexpr int kHistoryEntries = 30;

// Two versions that differ in every value. Long history entries make each
// save write some 100 KB, so a kill often finds it half done.
StoredSettings version(char tag) {
    StoredSettings settings;
    const bool second = tag == 'B';
    settings.dataPath = std::string("/data/") + tag;
    settings.dataName = std::string(tag, 3) + ".DAT";
    settings.configName = std::string(tag, 3) + ".CFG";
    for (size_t i = 0; i < settings.options.size(); ++i) {
        settings.options[i] = second == (i % 2 == 0);
    }
    settings.showFamilyColumn = second;
    settings.rulesFolder = std::string("/rules/") + tag;
    settings.productMask = second ? 0x0000ffffu : 0xffff0000u;
    settings.lastSelectionEx = second ? "0101" : "1010";
    for (int k = 0; k < kHistoryEntries; ++k) {
        settings.history.push_back(std::string(3000, tag) + std::to_string(k));
    }
    return settings;
}

// Saves the two versions in turn for ever, telling the parent of each save
// done through `doneWrite`; never returns.
[[noreturn]] void saveForEver(const std::string& path, int doneWrite) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    const StoredSettings versions[] = {version('A'), version('B')};
    for (unsigned long i = 0;; ++i) {
        RegistryFile registry(path);
        nomix::saveSettings(registry, versions[i % 2], true);
        if (::write(doneWrite, "s", 1) != 1) {
            ::_exit(1);
        }
    }
}

// Drops the events of the saves so far, then waits for the next write into
// the folder; false when none comes within ten seconds.
bool waitForWriteIn(int watch) {
    alignas(inotify_event) char events[4096];
    while (::read(watch, events, sizeof events) > 0) {
    }
    pollfd ready{watch, POLLIN, 0};
    return ::poll(&ready, 1, 10000) == 1;
}

// Stops the save at its `killedAt`-th file replacement (1-based), as a kill
// right before the rename would: the new text stays beside the file.
class KilledRegistryFile : public RegistryFile {
  public:
    KilledRegistryFile(const std::string& path, int killedAt)
        : RegistryFile(path), m_killedAt(killedAt) {}

  protected:
    void commitTemporaryFile(const std::string& temporary, const std::string& target) override {
        if (++m_replacements == m_killedAt) {
            throw nomix::RegistryError("killed");
        }
        RegistryFile::commitTemporaryFile(temporary, target);
    }

  private:
    int m_killedAt;
    int m_replacements = 0;
};

} // namespace

class TestSettingsSave : public QObject {
    Q_OBJECT

  private slots:
    void killedDuringSaveLeavesWholeFile() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const std::string path = dir.filePath("Nomix95.reg").toStdString();
        const StoredSettings a = version('A');
        const StoredSettings b = version('B');
        {
            RegistryFile registry(path);
            QCOMPARE(nomix::saveSettings(registry, a, true), std::string());
        }

        // Half the kills come at a random moment of a save; the other half
        // right after the first byte of a save reaches the folder, so that
        // writing a file in place would be caught half done.
        const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        QVERIFY(watch >= 0);
        QVERIFY(::inotify_add_watch(watch, dir.path().toLocal8Bit().constData(),
                                    IN_CREATE | IN_MODIFY) >= 0);
        std::mt19937 random(20240817u);
        int interruptedSaves = 0;
        for (int round = 0; round < kRounds; ++round) {
            int pipeEnds[2];
            QCOMPARE(::pipe(pipeEnds), 0);
            const pid_t child = ::fork();
            QVERIFY(child >= 0);
            if (child == 0) {
                ::close(pipeEnds[0]);
                saveForEver(path, pipeEnds[1]);
            }
            ::close(pipeEnds[1]);
            const int savesFirst = 1 + static_cast<int>(random() % 3);
            char done;
            for (int s = 0; s < savesFirst; ++s) {
                QCOMPARE(::read(pipeEnds[0], &done, 1), ssize_t(1));
            }
            if (round % 2 == 0) {
                std::this_thread::sleep_for(std::chrono::microseconds(random() % kSaveMicros));
            } else {
                QVERIFY(waitForWriteIn(watch));
            }
            QCOMPARE(::kill(child, SIGKILL), 0);
            int status = 0;
            QCOMPARE(::waitpid(child, &status, 0), child);
            QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
            ::close(pipeEnds[0]);

            QFile file(QString::fromStdString(path));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const std::string text = file.readAll().toStdString();
            const auto document = RegistryText::parse(text);
            QVERIFY2(document.has_value(), "the settings file no longer parses");
            QCOMPARE(RegistryText::format(*document), text);

            StoredSettings loaded;
            {
                RegistryFile registry(path);
                QCOMPARE(nomix::loadSettings(registry, loaded), std::string());
            }
            // One commit for both keys: all of one version or the other.
            QVERIFY(loaded == a || loaded == b);

            // A kill between writing the new text and putting it in place
            // leaves that text beside the file, never in its place.
            const QStringList leftovers =
                QDir(dir.path()).entryList({".Nomix95.reg.*"}, QDir::Files | QDir::Hidden);
            interruptedSaves += static_cast<int>(leftovers.size());
            for (const QString& leftover : leftovers) {
                QFile::remove(dir.filePath(leftover));
            }
        }
        ::close(watch);
        qInfo("%d of %d kills landed while a new text was being written", interruptedSaves,
              kRounds);
    }

    void killedBeforeAReplacement_data() {
        QTest::addColumn<int>("killedAt");
        QTest::addColumn<bool>("saved");
        QTest::newRow("first replacement: nothing new") << 1 << false;
        QTest::newRow("second replacement: there is none") << 2 << true;
    }

    // Options and history are one file replacement: never new options with
    // the old history.
    void killedBeforeAReplacement() {
        QFETCH(int, killedAt);
        QFETCH(bool, saved);
        QTemporaryDir dir;
        const std::string path = dir.filePath("Nomix95.reg").toStdString();
        {
            RegistryFile registry(path);
            QCOMPARE(nomix::saveSettings(registry, version('A'), true), std::string());
        }
        try {
            KilledRegistryFile registry(path, killedAt);
            nomix::saveSettings(registry, version('B'), true);
        } catch (const nomix::RegistryError&) {
        }
        StoredSettings loaded;
        RegistryFile registry(path);
        QCOMPARE(nomix::loadSettings(registry, loaded), std::string());
        QVERIFY(loaded == version(saved ? 'B' : 'A'));
    }

    void leftoverTemporaryFiles_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("locked"); // held by a save under way
        QTest::addColumn<bool>("removed");
        QTest::newRow("left by a killed save") << ".Nomix95.reg.a1B2c3" << false << true;
        QTest::newRow("of a save under way") << ".Nomix95.reg.a1B2c3" << true << false;
        QTest::newRow("longer name") << ".Nomix95.reg.a1B2c3d" << false << false;
        QTest::newRow("not hidden") << "Nomix95.reg.a1B2c3" << false << false;
        QTest::newRow("of another file") << ".Other.reg.a1B2c3" << false << false;
    }

    void leftoverTemporaryFiles() {
        QFETCH(QString, name);
        QFETCH(bool, locked);
        QFETCH(bool, removed);
        QTemporaryDir dir;
        QFile leftover(dir.filePath(name));
        QVERIFY(leftover.open(QIODevice::WriteOnly));
        leftover.write("REGEDIT4\n");
        leftover.flush();
        if (locked) {
            QCOMPARE(::flock(leftover.handle(), LOCK_EX), 0);
        }
        {
            RegistryFile registry(dir.filePath("Nomix95.reg").toStdString());
            QCOMPARE(nomix::saveSettings(registry, version('A'), true), std::string());
        }
        QCOMPARE(QFile::exists(dir.filePath(name)), !removed);
        QStringList expected{"Nomix95.reg"};
        if (!removed) {
            expected << name;
        }
        QStringList files = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        files.sort();
        expected.sort();
        QCOMPARE(files, expected);
    }

    // The file size limit stands in for a full disk: the write of the new
    // text fails part way, as it would with no space left.
    void fullDiskKeepsOldFile() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const std::string path = dir.filePath("Nomix95.reg").toStdString();
        {
            RegistryFile registry(path);
            QCOMPARE(nomix::saveSettings(registry, version('A'), true), std::string());
        }
        QFile file(QString::fromStdString(path));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        file.close();

        int pipeEnds[2];
        QCOMPARE(::pipe(pipeEnds), 0);
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            ::close(pipeEnds[0]);
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{kFullDiskBytes, kFullDiskBytes};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            std::string message = "saved";
            try {
                RegistryFile registry(path);
                nomix::saveSettings(registry, version('B'), true);
            } catch (const nomix::RegistryError& error) {
                message = error.what();
            }
            const bool written = ::write(pipeEnds[1], message.data(), message.size()) ==
                                 static_cast<ssize_t>(message.size());
            ::_exit(written ? 0 : 1);
        }
        ::close(pipeEnds[1]);
        QByteArray message;
        char buffer[512];
        for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
            message.append(buffer, got);
        }
        ::close(pipeEnds[0]);
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);

        QCOMPARE(message, "Could not save the settings file \"" + QByteArray::fromStdString(path) +
                              "\": File too large");
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"Nomix95.reg"});
    }
};

QTEST_APPLESS_MAIN(TestSettingsSave)
#include "tst_settingssave.moc"
