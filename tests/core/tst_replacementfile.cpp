// SPDX-License-Identifier: MIT
#include "core/fileerror.h"
#include "core/replacementfile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace nomix;
using Permissions = ReplacementFile::Permissions;

namespace {

std::string readFile(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

QStringList filesIn(const QTemporaryDir& dir) {
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

enum class Ending { Commit, CallerPlaces, FinishOnly };

} // namespace

class TestReplacementFile : public QObject {
    Q_OBJECT

  private slots:
    void replacesTargetOnlyOnCommit_data() {
        QTest::addColumn<Permissions>("permissions");
        QTest::addColumn<int>("oldMode"); // -1: no old file
        QTest::addColumn<Ending>("ending");
        QTest::addColumn<QString>("expectedText");
        QTest::addColumn<int>("expectedMode");
        QTest::newRow("umask") << Permissions::FromUmask << 0604 << Ending::Commit << "new text"
                               << 0640;
        QTest::newRow("umask, no old file")
            << Permissions::FromUmask << -1 << Ending::Commit << "new text" << 0640;
        QTest::newRow("old file's, caller renames")
            << Permissions::OfReplacedFile << 0604 << Ending::CallerPlaces << "new text" << 0604;
        QTest::newRow("private without an old file")
            << Permissions::OfReplacedFile << -1 << Ending::Commit << "new text" << 0600;
        QTest::newRow("old file's and group")
            << Permissions::OfReplacedFileAndGroup << 0444 << Ending::Commit << "new text" << 0444;
        QTest::newRow("finished, never placed")
            << Permissions::FromUmask << 0604 << Ending::FinishOnly << "old" << 0604;
    }
    void replacesTargetOnlyOnCommit() {
        QFETCH(Permissions, permissions);
        QFETCH(int, oldMode);
        QFETCH(Ending, ending);
        QFETCH(QString, expectedText);
        QFETCH(int, expectedMode);
        QTemporaryDir dir;
        const std::string target = dir.filePath("target").toStdString();
        if (oldMode >= 0) {
            std::ofstream(target) << "old";
            QVERIFY(::chmod(target.c_str(), static_cast<mode_t>(oldMode)) == 0);
        }
        const mode_t savedMask = ::umask(027);
        const auto restore = qScopeGuard([savedMask] { ::umask(savedMask); });
        {
            ReplacementFile file(
                target, {.namePrefix = ".target.", .permissions = permissions, .bufferSize = 4});
            QVERIFY(file.permissionsKept());
            file.write("new ");
            file.write("text");
            file.finish();
            QVERIFY(readFile(target) != "new text");
            if (ending == Ending::CallerPlaces) {
                ReplacementFile::putInPlace(file.temporaryPath(), file.targetPath());
                file.markPlaced();
            } else if (ending == Ending::Commit) {
                file.commit();
            }
        }
        QCOMPARE(QString::fromStdString(readFile(target)), expectedText);
        QCOMPARE(filesIn(dir), QStringList{"target"});
        struct stat status {};
        QVERIFY(::stat(target.c_str(), &status) == 0);
        QCOMPARE(int(status.st_mode & 07777), expectedMode);
    }

    void folderThatRefusesNewFiles_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("folderMode");
        QTest::addColumn<QString>("message");
        QTest::newRow("no write permission") << "target" << 0500 << "File access denied";
        QTest::newRow("name too long for a suffix")
            << QString(250, 'n') << 0700 << "Invalid file name";
        QTest::newRow("missing folder") << "missing/target" << 0700 << "File not found";
    }
    void folderThatRefusesNewFiles() {
        QFETCH(QString, name);
        QFETCH(int, folderMode);
        QFETCH(QString, message);
        if (folderMode == 0500 && ::geteuid() == 0) {
            QSKIP("the superuser writes in any folder");
        }
        QTemporaryDir dir;
        const std::string target = dir.filePath(name).toStdString();
        QVERIFY(::chmod(dir.path().toLocal8Bit().constData(), mode_t(folderMode)) == 0);
        const auto restore =
            qScopeGuard([&dir] { ::chmod(dir.path().toLocal8Bit().constData(), 0700); });
        try {
            ReplacementFile file(target, {.namePrefix = name.section('/', -1).toStdString()});
            QFAIL("a file was made");
        } catch (const FileError& error) {
            QCOMPARE(QString(error.what()), message);
            QCOMPARE(error.path(), target);
        }
        QCOMPARE(filesIn(dir), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestReplacementFile)
#include "tst_replacementfile.moc"
