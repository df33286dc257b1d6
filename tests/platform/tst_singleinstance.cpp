// SPDX-License-Identifier: MIT
#include "platform/singleinstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/wait.h>
#include <unistd.h>

using nomix::SingleInstance;

namespace {

// A copy that took the lock and was killed: the lock file stays, naming a
// process that is gone.
bool leaveLockOfKilledCopy(const QString& path) {
    const pid_t child = fork();
    if (child == 0) {
        QLockFile lock(path);
        _exit(lock.tryLock(0) ? 0 : 1); // no destructor: the file stays
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0 && QFile::exists(path);
}

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

  private slots:
    void laterStartsKnockAtTheFirst_data();
    void laterStartsKnockAtTheFirst();
    void leftoversOfAKilledCopyAreTakenOver_data();
    void leftoversOfAKilledCopyAreTakenOver();
    void silentHolderIsReported();

  private:
    QTemporaryDir m_dir;
};

void TestSingleInstance::laterStartsKnockAtTheFirst_data() {
    QTest::addColumn<QString>("folder");
    QTest::newRow("settings folder") << QStringLiteral("Talvora");
    // Too deep for a socket address beside the lock.
    QTest::newRow("deep settings folder") << QStringLiteral("%1/Talvora").arg(QString(120, u'd'));
}

void TestSingleInstance::laterStartsKnockAtTheFirst() {
    QFETCH(QString, folder);
    const QString path = m_dir.filePath(folder + QStringLiteral("/Nomix95.lock"));
    {
        SingleInstance first(path);
        QCOMPARE(first.claim(), SingleInstance::Claim::Claimed);
        QVERIFY(QFile::exists(path));
        QSignalSpy knocks(&first, &SingleInstance::activationRequested);
        for (int start = 1; start <= 2; ++start) {
            SingleInstance later(path);
            QCOMPARE(later.claim(), SingleInstance::Claim::OtherActivated);
            QTRY_COMPARE(knocks.count(), start);
        }
    }
    // The lock goes with the copy that held it.
    QVERIFY(!QFile::exists(path));
    SingleInstance next(path);
    QCOMPARE(next.claim(), SingleInstance::Claim::Claimed);
}

void TestSingleInstance::leftoversOfAKilledCopyAreTakenOver_data() {
    QTest::addColumn<bool>("lockLeft");
    QTest::addColumn<bool>("socketLeft");
    QTest::newRow("lock file") << true << false;
    QTest::newRow("socket file") << false << true;
    QTest::newRow("both") << true << true;
}

void TestSingleInstance::leftoversOfAKilledCopyAreTakenOver() {
    QFETCH(bool, lockLeft);
    QFETCH(bool, socketLeft);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Nomix95.lock"));
    SingleInstance restarted(path);
    if (lockLeft) {
        QVERIFY(leaveLockOfKilledCopy(path));
    }
    if (socketLeft) {
        QFile socket(restarted.serverName());
        QVERIFY(socket.open(QIODevice::WriteOnly));
    }
    QCOMPARE(restarted.claim(), SingleInstance::Claim::Claimed);
    QSignalSpy knocks(&restarted, &SingleInstance::activationRequested);
    SingleInstance later(path);
    QCOMPARE(later.claim(), SingleInstance::Claim::OtherActivated);
    QTRY_COMPARE(knocks.count(), 1);
}

// A copy that holds the lock but never listens (it hangs): a later start
// gives up after its timeout instead of running beside it.
void TestSingleInstance::silentHolderIsReported() {
    const QString path = m_dir.filePath(QStringLiteral("silent/Nomix95.lock"));
    QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("silent"))));
    QLockFile holder(path);
    QVERIFY(holder.tryLock(0));
    SingleInstance later(path);
    later.setAnswerTimeout(300);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(later.claim(), SingleInstance::Claim::OtherUnreachable);
    QVERIFY(timer.elapsed() >= 300);
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
