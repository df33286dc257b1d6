// SPDX-License-Identifier: MIT
#include "core/import/scratchfolder.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <utime.h>

using namespace nomix;

class TestScratchFolder : public QObject {
    Q_OBJECT

  private slots:
    // A new scratch folder removes what a killed import left, and nothing
    // that is in use, just made, or not its kind.
    void removesWhatKilledImportsLeft_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("ageSeconds");
        QTest::addColumn<bool>("held");
        QTest::addColumn<bool>("removed");
        QTest::newRow("a killed import's") << "nomix95-import.k1ll3d" << 3600 << false << true;
        QTest::newRow("in use by a running import")
            << "nomix95-import.runnin" << 3600 << true << false;
        QTest::newRow("just made, not yet locked")
            << "nomix95-import.y0ung1" << 0 << false << false;
        QTest::newRow("another program's") << "nomix95-importer.abcdef" << 3600 << false << false;
        QTest::newRow("a prefix only") << "nomix95-import" << 3600 << false << false;
    }
    void removesWhatKilledImportsLeft() {
        QFETCH(QString, name);
        QFETCH(int, ageSeconds);
        QFETCH(bool, held);
        QFETCH(bool, removed);
        QTemporaryDir temporary;
        QVERIFY(temporary.isValid());
        qputenv("TMPDIR", temporary.path().toUtf8());
        const QString left = temporary.filePath(name);
        QVERIFY(QDir().mkpath(left));
        QFile file(left + "/NOMIX.DAT");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const std::string path = left.toStdString();
        const time_t then = time(nullptr) - ageSeconds;
        const utimbuf times{then, then};
        QCOMPARE(utime(path.c_str(), &times), 0);
        const int lock = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        QVERIFY(lock >= 0);
        if (held) {
            QCOMPARE(flock(lock, LOCK_EX), 0);
        }
        {
            const ScratchFolder scratch("nomix95-import");
            QVERIFY(QFileInfo(QString::fromStdString(scratch.path())).isDir());
            QCOMPARE(QFileInfo::exists(left), !removed);
        }
        close(lock);
        // Its own folder goes with it.
        QCOMPARE(QDir(temporary.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(),
                 removed ? 0 : 1);
        qunsetenv("TMPDIR");
    }
};

QTEST_GUILESS_MAIN(TestScratchFolder)
#include "tst_scratchfolder.moc"
