#include "core/fileerror.h"
#include "core/replacementfile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace nomix;
using Permissions = ReplacementFile::Permissions;

namespace {

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string readFile(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

QStringList filesIn(const QTemporaryDir& dir) {
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

ReplacementFile::Options options(Permissions permissions = Permissions::FromUmask) {
    return {.namePrefix = ".target.", .permissions = permissions, .bufferSize = 4};
}

enum class Ending { Commit, CallerPlaces, FinishOnly, DiskFull };

} // namespace

class TestReplacementFile : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { std::signal(SIGXFSZ, SIG_IGN); }

    void replacesTargetOnlyOnCommit_data() {
        QTest::addColumn<Ending>("ending");
        QTest::addColumn<std::string>("expected");
        QTest::newRow("commit") << Ending::Commit << std::string("new text");
        QTest::newRow("caller renames") << Ending::CallerPlaces << std::string("new text");
        QTest::newRow("finished, never placed") << Ending::FinishOnly << std::string("old");
        QTest::newRow("disk full") << Ending::DiskFull << std::string("old");
    }
    void replacesTargetOnlyOnCommit() {
        QFETCH(Ending, ending);
        QFETCH(std::string, expected);
        QTemporaryDir dir;
        const std::string target = dir.filePath("target").toStdString();
        writeFile(target, "old");
        std::string message;
        try {
            ReplacementFile file(target, options());
            rlimit saved{};
            getrlimit(RLIMIT_FSIZE, &saved);
            rlimit full = saved;
            full.rlim_cur = ending == Ending::DiskFull ? 2 : saved.rlim_cur;
            setrlimit(RLIMIT_FSIZE, &full);
            const auto lift = qScopeGuard([&saved] { setrlimit(RLIMIT_FSIZE, &saved); });
            file.write("new ");
            file.write("text");
            QCOMPARE(readFile(target), std::string("old"));
            if (ending == Ending::Commit || ending == Ending::DiskFull) {
                file.commit();
            } else if (ending == Ending::CallerPlaces) {
                file.finish();
                ReplacementFile::putInPlace(file.temporaryPath(), file.targetPath());
                file.markPlaced();
            } else {
                file.finish();
            }
        } catch (const FileError& error) {
            message = error.what() + std::string(" ") + error.path();
        }
        QCOMPARE(message, ending == Ending::DiskFull ? "Disk full " + target : std::string());
        QCOMPARE(readFile(target), expected);
        QCOMPARE(filesIn(dir), QStringList{"target"});
    }

    void permissions_data() {
        QTest::addColumn<Permissions>("permissions");
        QTest::addColumn<int>("oldMode"); // -1: no old file
        QTest::addColumn<int>("expectedMode");
        QTest::newRow("umask, no old file") << Permissions::FromUmask << -1 << 0640;
        QTest::newRow("umask over the old file's") << Permissions::FromUmask << 0604 << 0640;
        QTest::newRow("the old file's") << Permissions::OfReplacedFile << 0604 << 0604;
        QTest::newRow("private without an old file") << Permissions::OfReplacedFile << -1 << 0600;
        QTest::newRow("the old file's and group")
            << Permissions::OfReplacedFileAndGroup << 0444 << 0444;
    }
    void permissions() {
        QFETCH(Permissions, permissions);
        QFETCH(int, oldMode);
        QFETCH(int, expectedMode);
        QTemporaryDir dir;
        const std::string target = dir.filePath("target").toStdString();
        if (oldMode >= 0) {
            writeFile(target, "old");
            QVERIFY(::chmod(target.c_str(), static_cast<mode_t>(oldMode)) == 0);
        }
        const mode_t savedMask = ::umask(027);
        const auto restore = qScopeGuard([savedMask] { ::umask(savedMask); });
        ReplacementFile file(target, options(permissions));
        QVERIFY(file.permissionsKept());
        file.commit();
        struct stat status {};
        QVERIFY(::stat(target.c_str(), &status) == 0);
        QCOMPARE(int(status.st_mode & 07777), expectedMode);
    }

    void folderThatRefusesNewFiles_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("writableFolder");
        QTest::addColumn<QString>("message");
        QTest::newRow("no write permission") << "target" << false << "File access denied";
        QTest::newRow("name too long for a suffix")
            << QString(250, 'n') << true << "Invalid file name";
        QTest::newRow("missing folder") << "missing/target" << true << "File not found";
    }
    void folderThatRefusesNewFiles() {
        QFETCH(QString, name);
        QFETCH(bool, writableFolder);
        QFETCH(QString, message);
        if (!writableFolder && ::geteuid() == 0) {
            QSKIP("the superuser writes in any folder");
        }
        QTemporaryDir dir;
        const std::string target = dir.filePath(name).toStdString();
        QVERIFY(::chmod(dir.path().toLocal8Bit().constData(), writableFolder ? 0700 : 0500) == 0);
        try {
            ReplacementFile file(target, {.namePrefix = name.section('/', -1).toStdString() + "."});
            QFAIL("a file was made");
        } catch (const FileError& error) {
            QCOMPARE(QString(error.what()), message);
            QCOMPARE(error.path(), target);
        }
        ::chmod(dir.path().toLocal8Bit().constData(), 0700);
        QCOMPARE(filesIn(dir), QStringList());
    }

    // Only what killed saves left goes: not a save under way, not another
    // file that merely looks alike.
    void removesOnlyLeftovers() {
        QTemporaryDir dir;
        const std::string folder = dir.path().toStdString();
        for (const char* name : {".target.abcdef", ".target.abcdefg", ".other.abcdef"}) {
            writeFile(folder + "/" + name, "x");
        }
        ReplacementFile live(folder + "/target", {.namePrefix = ".target.", .locked = true});
        ReplacementFile::removeLeftovers(folder, ".target.");
        const QString liveName = QString::fromStdString(live.temporaryPath()).section('/', -1);
        QStringList expected{".other.abcdef", ".target.abcdefg", liveName};
        expected.sort();
        QCOMPARE(filesIn(dir), expected);
    }
};

QTEST_GUILESS_MAIN(TestReplacementFile)
#include "tst_replacementfile.moc"
