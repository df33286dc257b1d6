// SPDX-License-Identifier: MIT
#pragma once

// Test helpers for anything that plays through SoundPlayer: clips and MIDI
// files made on the spot, and a capture of what the mixer really put out.

#include "platform/soundplayer.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace nomix::testaudio {

// A 16-bit PCM mono RIFF WAVE image of a sine tone.
inline QByteArray sineWave(int milliseconds, double frequency = 440.0, int rate = 22050) {
    const int frames = rate * milliseconds / 1000;
    QByteArray samples;
    for (int i = 0; i < frames; ++i) {
        const auto value =
            qint16(std::lround(12000.0 * std::sin(2.0 * M_PI * frequency * i / rate)));
        samples.append(reinterpret_cast<const char*>(&value), 2);
    }
    auto u32 = [](quint32 v) { return QByteArray(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [](quint16 v) { return QByteArray(reinterpret_cast<const char*>(&v), 2); };
    QByteArray fmt =
        u16(1) + u16(1) + u32(quint32(rate)) + u32(quint32(rate * 2)) + u16(2) + u16(16);
    QByteArray body = "WAVE" + QByteArray("fmt ") + u32(quint32(fmt.size())) + fmt + "data" +
                      u32(quint32(samples.size())) + samples;
    return "RIFF" + u32(quint32(body.size())) + body;
}

// A Standard MIDI File of one piano note, `milliseconds` long at 120 beats a
// minute (480 ticks a beat, so one tick is about 1 ms).
inline QByteArray oneNoteMidi(int milliseconds) {
    const quint32 ticks = quint32(milliseconds) * 480 / 500;
    QByteArray delay;
    delay.prepend(char(ticks & 0x7F));
    for (quint32 rest = ticks >> 7; rest; rest >>= 7) {
        delay.prepend(char(0x80 | (rest & 0x7F)));
    }
    const QByteArray events = QByteArray::fromHex("00c000"
                                                  "00903c64") +
                              delay +
                              QByteArray::fromHex("803c00"
                                                  "00ff2f00");
    QByteArray length(4, 0);
    qToBigEndian(quint32(events.size()), length.data());
    return QByteArray::fromHex("4d546864000000060000000101e0") + "MTrk" + length + events;
}

inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// While it lives, the player writes its output to a file (SDL's "disk"
// driver) instead of the dummy device; samples() closes the device and
// returns the 16-bit stereo samples that came out.
class DiskCapture {
  public:
    DiskCapture() : m_path(m_dir.filePath("output.raw")) {
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(m_path));
        SoundPlayer::instance().shutdown();
    }
    ~DiskCapture() { restoreDummyDevice(); }

    QList<qint16> samples() {
        restoreDummyDevice();
        return samplesSoFar();
    }

    // What the device has written so far, while it still plays.
    QList<qint16> samplesSoFar() const {
        QFile file(m_path);
        QList<qint16> result;
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray raw = file.readAll();
            for (qsizetype i = 0; i + 1 < raw.size(); i += 2) {
                result.append(qFromLittleEndian<qint16>(raw.constData() + i));
            }
        }
        return result;
    }

    static void restoreDummyDevice() {
        SoundPlayer::instance().shutdown();
        qputenv("SDL_AUDIODRIVER", "dummy");
        qunsetenv("SDL_DISKAUDIOFILE");
    }

  private:
    QTemporaryDir m_dir;
    QString m_path;
};

inline qsizetype loudSamples(const QList<qint16>& samples, int threshold = 1000) {
    return std::count_if(samples.begin(), samples.end(),
                         [threshold](qint16 s) { return std::abs(int(s)) > threshold; });
}

} // namespace nomix::testaudio
