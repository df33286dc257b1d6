// SPDX-License-Identifier: MIT
#include "platform/sounderror.h"
#include "platform/soundplayer.h"
#include "soundplayer_audio.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

using namespace nomix;
using namespace nomix::testaudio;

class TestSoundPlayer : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void cleanup();

    void playsClipOnDummyDevice();
    void refusesWhatIsNotAPlayableWave_data();
    void refusesWhatIsNotAPlayableWave();
    void syncPlayReturnsWhenClipHasPlayed();
    void newClipCutsOffThePrevious();
    void repeatingClipNeverBlocksTheCaller();

    void musicEndReportedOnceOnUiThread();
    void musicLoopsWhenRestartedOnFinish();
    void stoppedMusicIsSilentAndNeverReportsAnEnd();
    void musicComesOutThroughTheSoundFont();
    void unloadableMusicIsReported_data();
    void unloadableMusicIsReported();

    void missingDeviceFailsCatchably();

  private:
    QString writeMidi(int milliseconds);
    QTemporaryDir m_dir;
    SoundPlayer& m_player = SoundPlayer::instance();
};

void TestSoundPlayer::initTestCase() {
    // Run by hand, the test must stay silent too.
    if (qgetenv("SDL_AUDIODRIVER") != "dummy") {
        DiskCapture::restoreDummyDevice();
    }
    QVERIFY(m_dir.isValid());
}

void TestSoundPlayer::cleanup() {
    m_player.closeMusic();
    m_player.stopWave();
}

QString TestSoundPlayer::writeMidi(int milliseconds) {
    const QString path = m_dir.filePath(QString("note%1.mid").arg(milliseconds));
    if (!QFile::exists(path)) {
        writeFile(path, oneNoteMidi(milliseconds));
    }
    return path;
}

void TestSoundPlayer::playsClipOnDummyDevice() {
    m_player.playWave(sineWave(300));
    QVERIFY(m_player.isWavePlaying());
}

void TestSoundPlayer::refusesWhatIsNotAPlayableWave_data() {
    QTest::addColumn<QByteArray>("image");
    const QByteArray good = sineWave(100);
    QByteArray unknownCoding = good;
    unknownCoding[20] = char(0x34); // format tag 0x1234
    unknownCoding[21] = char(0x12);
    QByteArray noChannels = good;
    noChannels[22] = 0;

    QTest::newRow("empty") << QByteArray();
    QTest::newRow("text") << QByteArray("This is not a sound at all, just words.");
    QTest::newRow("header only") << QByteArray("RIFF\x04\0\0\0WAVE", 12);
    QTest::newRow("no fmt chunk") << good.left(12) + good.mid(36);
    QTest::newRow("unknown coding") << unknownCoding;
    QTest::newRow("no channels") << noChannels;
    QTest::newRow("RIFF of another kind") << QByteArray("RIFF\x04\0\0\0AVI ", 12) + good.mid(12);
}

void TestSoundPlayer::refusesWhatIsNotAPlayableWave() {
    QFETCH(QByteArray, image);
    QVERIFY_THROWS_EXCEPTION(SoundError, m_player.playWave(image));
    QVERIFY(!m_player.lastError().isEmpty());
    // A refused clip leaves the device usable.
    m_player.playWave(sineWave(100));
    QVERIFY(m_player.isWavePlaying());
}

void TestSoundPlayer::syncPlayReturnsWhenClipHasPlayed() {
    QElapsedTimer timer;
    timer.start();
    m_player.playWave(sineWave(400), SoundPlayer::WaitUntilEnd);
    QVERIFY2(timer.elapsed() >= 350, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(timer.elapsed() < 3000);
    QVERIFY(!m_player.isWavePlaying());
}

void TestSoundPlayer::newClipCutsOffThePrevious() {
    QElapsedTimer timer;
    timer.start();
    m_player.playWave(sineWave(3000));
    m_player.playWave(sineWave(100), SoundPlayer::WaitUntilEnd);
    QVERIFY(timer.elapsed() < 2000);
    QVERIFY(!m_player.isWavePlaying());
}

void TestSoundPlayer::repeatingClipNeverBlocksTheCaller() {
    QElapsedTimer timer;
    timer.start();
    m_player.playWave(sineWave(800), SoundPlayer::WaitUntilEnd, SoundPlayer::RepeatUntilReplaced);
    QVERIFY(timer.elapsed() < 600);
    QVERIFY(m_player.isWavePlaying());
    m_player.stopWave();
    QVERIFY(!m_player.isWavePlaying());
}

// The synthesiser reports the end about three seconds after the last note, so
// every wait for an end costs that long.
void TestSoundPlayer::musicEndReportedOnceOnUiThread() {
    QThread* reportedOn = nullptr;
    QMetaObject::Connection watch =
        connect(&m_player, &SoundPlayer::musicFinished, this,
                [&reportedOn] { reportedOn = QThread::currentThread(); });
    QSignalSpy finished(&m_player, &SoundPlayer::musicFinished);
    m_player.openMusic(writeMidi(100));
    QVERIFY(m_player.playMusic());
    QVERIFY(m_player.playMusic()); // supersedes the first play, which must not report
    QVERIFY(m_player.isMusicPlaying());
    QVERIFY(finished.wait(10000));
    disconnect(watch);
    QCOMPARE(reportedOn, qApp->thread());
    QVERIFY(!m_player.isMusicPlaying());
    QCoreApplication::processEvents();
    QCOMPARE(finished.count(), 1);
}

void TestSoundPlayer::musicLoopsWhenRestartedOnFinish() {
    QSignalSpy finished(&m_player, &SoundPlayer::musicFinished);
    QMetaObject::Connection again =
        connect(&m_player, &SoundPlayer::musicFinished, this, [this] { m_player.playMusic(); });
    m_player.openMusic(writeMidi(100));
    QVERIFY(m_player.playMusic());
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, 10000);
    disconnect(again);
    QVERIFY(m_player.isMusicPlaying());
}

void TestSoundPlayer::stoppedMusicIsSilentAndNeverReportsAnEnd() {
    QSignalSpy finished(&m_player, &SoundPlayer::musicFinished);
    m_player.openMusic(writeMidi(10000));
    QVERIFY(m_player.playMusic());
    QVERIFY(m_player.isMusicPlaying());
    m_player.stopMusic();
    QVERIFY(!m_player.isMusicPlaying());
    // The end of a halted piece is posted at once, if at all.
    QCoreApplication::processEvents();
    QCOMPARE(finished.count(), 0);
}

void TestSoundPlayer::musicComesOutThroughTheSoundFont() {
    if (!QFile::exists(SoundPlayer::soundFontPath())) {
        QSKIP("the General MIDI sound font is not installed");
    }
    DiskCapture capture;
    m_player.openMusic(writeMidi(400));
    QVERIFY(m_player.playMusic());
    QTRY_VERIFY_WITH_TIMEOUT(loudSamples(capture.samplesSoFar(), 300) > 2000, 10000);
}

void TestSoundPlayer::unloadableMusicIsReported_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("missing") << "ABOUT.MID" << QByteArray();
    QTest::newRow("not MIDI") << "junk.mid" << QByteArray("MThd but nothing after it");
    QTest::newRow("empty") << "empty.mid" << QByteArray("");
    QTest::newRow("no tracks") << "none.mid" << QByteArray::fromHex("4d546864000000060000000001e0");
}

void TestSoundPlayer::unloadableMusicIsReported() {
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);
    QTemporaryDir here;
    const QString path = here.filePath(fileName);
    if (fileName != "ABOUT.MID") {
        QVERIFY(writeFile(path, content));
    }
    QVERIFY_THROWS_EXCEPTION(SoundError, m_player.openMusic(path));
    QVERIFY(!m_player.lastError().isEmpty());
    QVERIFY(!m_player.playMusic());
    QVERIFY(!m_player.isMusicPlaying());
}

void TestSoundPlayer::missingDeviceFailsCatchably() {
    qputenv("SDL_AUDIODRIVER", "no-such-audio-driver");
    m_player.shutdown();
    QVERIFY_THROWS_EXCEPTION(SoundError, m_player.playWave(sineWave(100)));
    const QString reason = m_player.lastError();
    QVERIFY(!reason.isEmpty());
    QVERIFY_THROWS_EXCEPTION(SoundError, m_player.openMusic(writeMidi(100)));
    QCOMPARE(m_player.lastError(), reason);
    QVERIFY(!m_player.isWavePlaying());
    QVERIFY(!m_player.isMusicPlaying());
    m_player.stopWave();
    m_player.stopMusic();

    DiskCapture::restoreDummyDevice();
    m_player.playWave(sineWave(100));
    QVERIFY(m_player.isWavePlaying());
}

QTEST_MAIN(TestSoundPlayer)
#include "tst_soundplayer.moc"
