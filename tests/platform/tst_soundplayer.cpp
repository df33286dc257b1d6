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
    QTemporaryDir dir_;
    SoundPlayer& player_ = SoundPlayer::instance();
};

void TestSoundPlayer::initTestCase() {
    // Run by hand, the test must stay silent too.
    if (qgetenv("SDL_AUDIODRIVER") != "dummy") {
        DiskCapture::restoreDummyDevice();
    }
    QVERIFY(dir_.isValid());
}

void TestSoundPlayer::cleanup() {
    player_.closeMusic();
    player_.stopWave();
}

QString TestSoundPlayer::writeMidi(int milliseconds) {
    const QString path = dir_.filePath(QString("note%1.mid").arg(milliseconds));
    if (!QFile::exists(path)) {
        writeFile(path, oneNoteMidi(milliseconds));
    }
    return path;
}

void TestSoundPlayer::playsClipOnDummyDevice() {
    player_.playWave(sineWave(300));
    QVERIFY(player_.isWavePlaying());
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
    QVERIFY_THROWS_EXCEPTION(SoundError, player_.playWave(image));
    QVERIFY(!player_.lastError().isEmpty());
    // A refused clip leaves the device usable.
    player_.playWave(sineWave(100));
    QVERIFY(player_.isWavePlaying());
}

void TestSoundPlayer::syncPlayReturnsWhenClipHasPlayed() {
    QElapsedTimer timer;
    timer.start();
    player_.playWave(sineWave(400), SoundPlayer::WaitUntilEnd);
    QVERIFY2(timer.elapsed() >= 350, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(timer.elapsed() < 3000);
    QVERIFY(!player_.isWavePlaying());
}

void TestSoundPlayer::newClipCutsOffThePrevious() {
    QElapsedTimer timer;
    timer.start();
    player_.playWave(sineWave(3000));
    player_.playWave(sineWave(100), SoundPlayer::WaitUntilEnd);
    QVERIFY(timer.elapsed() < 2000);
    QVERIFY(!player_.isWavePlaying());
}

void TestSoundPlayer::repeatingClipNeverBlocksTheCaller() {
    QElapsedTimer timer;
    timer.start();
    player_.playWave(sineWave(800), SoundPlayer::WaitUntilEnd, SoundPlayer::RepeatUntilReplaced);
    QVERIFY(timer.elapsed() < 600);
    QVERIFY(player_.isWavePlaying());
    player_.stopWave();
    QVERIFY(!player_.isWavePlaying());
}

// The synthesiser reports the end about three seconds after the last note, so
// every wait for an end costs that long.
void TestSoundPlayer::musicEndReportedOnceOnUiThread() {
    QThread* reportedOn = nullptr;
    QMetaObject::Connection watch =
        connect(&player_, &SoundPlayer::musicFinished, this,
                [&reportedOn] { reportedOn = QThread::currentThread(); });
    QSignalSpy finished(&player_, &SoundPlayer::musicFinished);
    player_.openMusic(writeMidi(100));
    QVERIFY(player_.playMusic());
    QVERIFY(player_.playMusic()); // supersedes the first play, which must not report
    QVERIFY(player_.isMusicPlaying());
    QVERIFY(finished.wait(10000));
    disconnect(watch);
    QCOMPARE(reportedOn, qApp->thread());
    QVERIFY(!player_.isMusicPlaying());
    QCoreApplication::processEvents();
    QCOMPARE(finished.count(), 1);
}

void TestSoundPlayer::musicLoopsWhenRestartedOnFinish() {
    QSignalSpy finished(&player_, &SoundPlayer::musicFinished);
    QMetaObject::Connection again =
        connect(&player_, &SoundPlayer::musicFinished, this, [this] { player_.playMusic(); });
    player_.openMusic(writeMidi(100));
    QVERIFY(player_.playMusic());
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, 10000);
    disconnect(again);
    QVERIFY(player_.isMusicPlaying());
}

void TestSoundPlayer::stoppedMusicIsSilentAndNeverReportsAnEnd() {
    QSignalSpy finished(&player_, &SoundPlayer::musicFinished);
    player_.openMusic(writeMidi(10000));
    QVERIFY(player_.playMusic());
    QVERIFY(player_.isMusicPlaying());
    player_.stopMusic();
    QVERIFY(!player_.isMusicPlaying());
    // The end of a halted piece is posted at once, if at all.
    QCoreApplication::processEvents();
    QCOMPARE(finished.count(), 0);
}

void TestSoundPlayer::musicComesOutThroughTheSoundFont() {
    if (!QFile::exists(SoundPlayer::soundFontPath())) {
        QSKIP("the General MIDI sound font is not installed");
    }
    DiskCapture capture;
    player_.openMusic(writeMidi(400));
    QVERIFY(player_.playMusic());
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
    QVERIFY_THROWS_EXCEPTION(SoundError, player_.openMusic(path));
    QVERIFY(!player_.lastError().isEmpty());
    QVERIFY(!player_.playMusic());
    QVERIFY(!player_.isMusicPlaying());
}

void TestSoundPlayer::missingDeviceFailsCatchably() {
    qputenv("SDL_AUDIODRIVER", "no-such-audio-driver");
    player_.shutdown();
    QVERIFY_THROWS_EXCEPTION(SoundError, player_.playWave(sineWave(100)));
    const QString reason = player_.lastError();
    QVERIFY(!reason.isEmpty());
    QVERIFY_THROWS_EXCEPTION(SoundError, player_.openMusic(writeMidi(100)));
    QCOMPARE(player_.lastError(), reason);
    QVERIFY(!player_.isWavePlaying());
    QVERIFY(!player_.isMusicPlaying());
    player_.stopWave();
    player_.stopMusic();

    DiskCapture::restoreDummyDevice();
    player_.playWave(sineWave(100));
    QVERIFY(player_.isWavePlaying());
}

QTEST_MAIN(TestSoundPlayer)
#include "tst_soundplayer.moc"
