// SPDX-License-Identifier: MIT
#include "core/datafolderlock.h"

#include "core/fileerror.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using nomix::DataFolderLock;

class TestDataFolderLock : public QObject {
    Q_OBJECT

  private slots:
    void writeLockNeedsAWritableFolder_data();
    void writeLockNeedsAWritableFolder();
};

void TestDataFolderLock::writeLockNeedsAWritableFolder_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("missing") << QStringLiteral("missing") << QByteArray("File not found");
    QTest::newRow("below a file") << QStringLiteral("below a file") << QByteArray("Path not found");
    QTest::newRow("not writable") << QStringLiteral("not writable")
                                  << QByteArray("File access denied");
}

// A write lock that cannot be had names the folder; a reader of the same
// folder reads without one.
void TestDataFolderLock::writeLockNeedsAWritableFolder() {
    QFETCH(QString, kind);
    QFETCH(QByteArray, message);
    QTemporaryDir dir;
    QString folder = dir.filePath(QStringLiteral("data"));
    if (kind == QLatin1String("below a file")) {
        QFile file(dir.filePath(QStringLiteral("file")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        folder = file.fileName() + QStringLiteral("/data");
    } else if (kind == QLatin1String("not writable")) {
        if (::geteuid() == 0) {
            QSKIP("root writes every folder");
        }
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    }
    const std::string path = folder.toStdString();
    try {
        DataFolderLock lock(path, DataFolderLock::Mode::Write);
        QFAIL("a write lock was granted");
    } catch (const nomix::FileError& e) {
        QCOMPARE(e.path(), path);
        QCOMPARE(QByteArray(e.what()), message);
    }
    DataFolderLock reader(path, DataFolderLock::Mode::Read);
}

QTEST_MAIN(TestDataFolderLock)
#include "tst_datafolderlock.moc"
