// SPDX-License-Identifier: MIT
#include "controls/soundclip.h"
#include "core/fileerror.h"
#include "platform/soundplayer.h"
#include "platform/soundplayer_audio.h"

#include <QBuffer>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace nomix;
using namespace nomix::testaudio;

namespace {

QByteArray builtInClip(const QString& name) {
    QFile clip(":/sounds/" + name);
    return clip.open(QIODevice::ReadOnly) ? clip.readAll() : QByteArray();
}

quint16 u16At(const QByteArray& bytes, int offset) {
    return qFromLittleEndian<quint16>(bytes.constData() + offset);
}

quint32 u32At(const QByteArray& bytes, int offset) {
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

// Left-channel samples from the first loud one on, `seconds` long.
QList<qint16> leftChannelFromOnset(const QList<qint16>& stereo, double seconds) {
    qsizetype first = 0;
    while (first < stereo.size() && std::abs(int(stereo[first])) < 1000) {
        ++first;
    }
    first -= first % 2;
    QList<qint16> left;
    const qsizetype wanted = qsizetype(seconds * 44100);
    for (qsizetype i = first; i < stereo.size() && left.size() < wanted; i += 2) {
        left.append(stereo[i]);
    }
    return left;
}

int zeroCrossings(const QList<qint16>& samples) {
    int count = 0;
    for (qsizetype i = 1; i < samples.size(); ++i) {
        count += (samples[i - 1] < 0) != (samples[i] < 0);
    }
    return count;
}

// The message of the SoundClipError that playing raises; empty when it plays.
QString playError(SoundClip& wave) {
    try {
        wave.play();
    } catch (const SoundClipError& error) {
        return QString::fromUtf8(error.what());
    }
    return QString();
}

// Same bytes, another class: never the same data.
class OtherSoundClip : public SoundClip {};

} // namespace

class TestSoundClip : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void cleanup();

    void builtInClipsAreRiffWaves_data();
    void builtInClipsAreRiffWaves();
    void builtInClipsDecodeToSound_data();
    void builtInClipsDecodeToSound();
    void adpcmClipDecodesAtItsPitch();

    void emptyComponentRaisesNoWaveData();
    void aboutToPlayPrecedesEveryPlay();
    void refusedClipRaisesErrorPlayingSound();
    void missingDeviceRaisesErrorPlayingSound();

    void waveNameKeepsFileNamePart_data();
    void waveNameKeepsFileNamePart();
    void emptyWaveNameClearsTheSound();
    void storedBytesWinOverNamedFile();
    void failedFileLoadKeepsTheSound_data();
    void failedFileLoadKeepsTheSound();
    void streamIsReadFromItsPosition();
    void sameData_data();
    void sameData();

  private:
    QTemporaryDir dir_;
};

void TestSoundClip::initTestCase() {
    if (qgetenv("SDL_AUDIODRIVER") != "dummy") {
        DiskCapture::restoreDummyDevice();
    }
    QVERIFY(dir_.isValid());
}

void TestSoundClip::cleanup() {
    SoundPlayer::instance().stopWave();
}

void TestSoundClip::builtInClipsAreRiffWaves_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("formatTag");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("bits");
    QTest::newRow("WelcomeWave") << "welcome1.wav" << 2 << 22050 << 4;
    QTest::newRow("SchwingWave") << "Schwing.wav" << 1 << 11025 << 8;
    QTest::newRow("AttentionWave") << "attention.wav" << 2 << 22050 << 4;
    QTest::newRow("NoItemWave") << "noitems.wav" << 2 << 22050 << 4;
}

void TestSoundClip::builtInClipsAreRiffWaves() {
    QFETCH(QString, name);
    QFETCH(int, formatTag);
    QFETCH(int, rate);
    QFETCH(int, bits);
    const QByteArray clip = builtInClip(name);
    QVERIFY2(clip.size() > 44, "clip missing from the program's resources");
    QVERIFY(clip.startsWith("RIFF"));
    QCOMPARE(clip.mid(8, 8), QByteArray("WAVEfmt "));
    QCOMPARE(qsizetype(u32At(clip, 4)) + 8, clip.size());
    QCOMPARE(int(u16At(clip, 20)), formatTag);
    QCOMPARE(int(u16At(clip, 22)), 1); // mono
    QCOMPARE(int(u32At(clip, 24)), rate);
    QCOMPARE(int(u16At(clip, 34)), bits);
    QVERIFY2(clip.size() < 32 * 1024, "effect clips stay small");
}

void TestSoundClip::builtInClipsDecodeToSound_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("WelcomeWave") << "welcome1.wav";
    QTest::newRow("SchwingWave") << "Schwing.wav";
    QTest::newRow("AttentionWave") << "attention.wav";
    QTest::newRow("NoItemWave") << "noitems.wav";
}

void TestSoundClip::builtInClipsDecodeToSound() {
    QFETCH(QString, name);
    QFile stored(":/sounds/" + name);
    QVERIFY(stored.open(QIODevice::ReadOnly));
    SoundClip wave;
    wave.readStored(name, stored);
    wave.setWavePause(SoundClip::WavePause::Sync);
    DiskCapture capture;
    wave.play();
    const QList<qint16> samples = capture.samples();
    // A tenth of a second of clearly audible output at the least.
    QVERIFY2(loudSamples(samples) > 8820, qPrintable(QString::number(loudSamples(samples))));
}

// The attention clip opens with an 880 Hz tone: a decoder that misreads the
// ADPCM blocks gives noise or silence, not that pitch.
void TestSoundClip::adpcmClipDecodesAtItsPitch() {
    SoundClip wave;
    wave.loadFromFile(":/sounds/attention.wav");
    wave.setWavePause(SoundClip::WavePause::Sync);
    DiskCapture capture;
    wave.play();
    const QList<qint16> tone = leftChannelFromOnset(capture.samples(), 0.3);
    QCOMPARE(tone.size(), qsizetype(0.3 * 44100));
    const double hertz = zeroCrossings(tone) / 2.0 / 0.3;
    QVERIFY2(std::abs(hertz - 880.0) < 40.0, qPrintable(QString::number(hertz)));
}

void TestSoundClip::emptyComponentRaisesNoWaveData() {
    SoundClip wave;
    QVERIFY(wave.isEmpty());
    QCOMPARE(wave.wavePause(), SoundClip::WavePause::Async);
    QCOMPARE(wave.waveLoop(), SoundClip::WaveLoop::NoLoop);
    QSignalSpy played(&wave, &SoundClip::aboutToPlay);
    QCOMPARE(playError(wave), "No wave data");
    QCOMPARE(played.count(), 0);
}

void TestSoundClip::aboutToPlayPrecedesEveryPlay() {
    SoundClip wave;
    wave.loadFromFile(":/sounds/noitems.wav");
    bool playingAtAboutToPlay = true;
    connect(&wave, &SoundClip::aboutToPlay, this, [&](SoundClip* sender) {
        QCOMPARE(sender, &wave);
        playingAtAboutToPlay = SoundPlayer::instance().isWavePlaying();
    });
    SoundPlayer::instance().stopWave();
    wave.play();
    QVERIFY(!playingAtAboutToPlay);
    QVERIFY(SoundPlayer::instance().isWavePlaying());
}

void TestSoundClip::refusedClipRaisesErrorPlayingSound() {
    SoundClip wave;
    QBuffer garbage;
    garbage.setData("RIFF\x10\0\0\0WAVEjunkjunkjunk");
    garbage.open(QIODevice::ReadOnly);
    wave.loadFromStream(garbage);
    QSignalSpy played(&wave, &SoundClip::aboutToPlay);
    QCOMPARE(playError(wave), "Error playing sound");
    QCOMPARE(played.count(), 1);
}

void TestSoundClip::missingDeviceRaisesErrorPlayingSound() {
    SoundClip wave;
    wave.loadFromFile(":/sounds/welcome1.wav");
    qputenv("SDL_AUDIODRIVER", "no-such-audio-driver");
    SoundPlayer::instance().shutdown();
    QCOMPARE(playError(wave), "Error playing sound");
    DiskCapture::restoreDummyDevice();
    QCOMPARE(playError(wave), QString());
}

void TestSoundClip::waveNameKeepsFileNamePart_data() {
    QTest::addColumn<QString>("value"); // "%1" is a folder holding ding.wav
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("loads");
    QTest::newRow("plain name") << "ding.wav"
                                << "ding.wav" << false;
    QTest::newRow("old desktop path") << "C:\\SOUNDS\\ding.wav"
                                      << "ding.wav" << false;
    QTest::newRow("drive only") << "A:ding.wav"
                                << "ding.wav" << false;
    QTest::newRow("existing file") << "%1/ding.wav"
                                   << "ding.wav" << true;
    QTest::newRow("missing file") << "%1/dong.wav"
                                  << "dong.wav" << false;
    QTest::newRow("folder") << "%1" << QDir(dir_.path()).dirName() << false;
    QTest::newRow("trailing separator") << "%1/"
                                        << "" << false;
}

void TestSoundClip::waveNameKeepsFileNamePart() {
    QFETCH(QString, value);
    QFETCH(QString, name);
    QFETCH(bool, loads);
    const QByteArray fileBytes = sineWave(50);
    QVERIFY(writeFile(dir_.filePath("ding.wav"), fileBytes));
    SoundClip wave;
    wave.loadFromFile(":/sounds/Schwing.wav");
    const QByteArray held = wave.data();

    wave.setWaveName(QString(value).replace("%1", dir_.path()));
    QCOMPARE(wave.waveName(), name);
    QCOMPARE(wave.data(), loads ? fileBytes : held);
}

void TestSoundClip::emptyWaveNameClearsTheSound() {
    SoundClip wave;
    wave.loadFromFile(":/sounds/Schwing.wav");
    wave.setWaveName("Schwing.wav");
    wave.setWaveName("");
    QVERIFY(wave.isEmpty());
    QVERIFY(wave.waveName().isEmpty());
    QCOMPARE(playError(wave), "No wave data");
}

void TestSoundClip::storedBytesWinOverNamedFile() {
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir_.path()));
    const QByteArray onDisk = sineWave(60);
    QVERIFY(writeFile("welcome1.wav", onDisk));
    QFile stored(":/sounds/welcome1.wav");
    QVERIFY(stored.open(QIODevice::ReadOnly));

    SoundClip restored;
    restored.readStored("welcome1.wav", stored);
    SoundClip named;
    named.setWaveName("welcome1.wav");
    QDir::setCurrent(previous);

    QCOMPARE(restored.waveName(), "welcome1.wav");
    QCOMPARE(restored.data(), builtInClip("welcome1.wav"));
    QCOMPARE(named.data(), onDisk);
    QCOMPARE(playError(restored), QString());
}

void TestSoundClip::failedFileLoadKeepsTheSound_data() {
    QTest::addColumn<QString>("path"); // "%1" is an existing folder
    QTest::addColumn<QString>("message");
    QTest::newRow("missing file") << "%1/nothing.wav"
                                  << "File not found";
    QTest::newRow("missing folder") << "%1/none/nothing.wav"
                                    << "File not found";
    QTest::newRow("folder") << "%1"
                            << "File access denied";
    QTest::newRow("missing resource") << ":/sounds/nothing.wav"
                                      << "File not found";
}

void TestSoundClip::failedFileLoadKeepsTheSound() {
    QFETCH(QString, path);
    QFETCH(QString, message);
    SoundClip wave;
    wave.loadFromFile(":/sounds/attention.wav");
    try {
        wave.loadFromFile(QString(path).replace("%1", dir_.path()));
        QFAIL("loading did not fail");
    } catch (const FileError& error) {
        QCOMPARE(QString(error.what()), message);
    }
    QCOMPARE(wave.data(), builtInClip("attention.wav"));
}

void TestSoundClip::streamIsReadFromItsPosition() {
    const QByteArray clip = builtInClip("noitems.wav");
    QBuffer stream;
    stream.setData("header" + clip);
    stream.open(QIODevice::ReadOnly);
    stream.seek(6);
    SoundClip wave;
    wave.loadFromStream(stream);
    QCOMPARE(wave.data(), clip);
}

void TestSoundClip::sameData_data() {
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");
    QTest::addColumn<bool>("otherClass");
    QTest::addColumn<bool>("same");
    const QByteArray clip = builtInClip("Schwing.wav");
    QByteArray lastByteChanged = clip;
    lastByteChanged[clip.size() - 1] = char(clip.back() ^ 1);
    QTest::newRow("both empty") << QByteArray() << QByteArray() << false << true;
    QTest::newRow("empty and sound") << QByteArray() << clip << false << false;
    QTest::newRow("sound and empty") << clip << QByteArray() << false << false;
    QTest::newRow("same bytes") << clip << clip << false << true;
    QTest::newRow("last byte differs") << clip << lastByteChanged << false << false;
    QTest::newRow("one byte longer") << clip << clip + '\0' << false << false;
    QTest::newRow("odd length tail") << clip.left(7) << clip.left(7) << false << true;
    QTest::newRow("other class") << clip << clip << true << false;
    QTest::newRow("other class, both empty") << QByteArray() << QByteArray() << true << true;
}

void TestSoundClip::sameData() {
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    QFETCH(bool, otherClass);
    QFETCH(bool, same);
    auto load = [](SoundClip& wave, const QByteArray& bytes) {
        QBuffer stream;
        stream.setData(bytes);
        stream.open(QIODevice::ReadOnly);
        wave.loadFromStream(stream);
    };
    SoundClip one;
    SoundClip plain;
    OtherSoundClip other;
    SoundClip& two = otherClass ? other : plain;
    load(one, first);
    load(two, second);
    QCOMPARE(one.hasSameData(&two), same);
    QCOMPARE(two.hasSameData(&one), same);
}

QTEST_MAIN(TestSoundClip)
#include "tst_soundclip.moc"
