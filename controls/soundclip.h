// SPDX-License-Identifier: MIT
#pragma once

#include "controls/soundcliperror.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class QIODevice;

namespace nomix {

// One sound effect held in memory as the complete bytes of a RIFF WAVE file
// and played from there, so the window that owns it needs no sound files at
// run time. Costs the clip's bytes (a few kB each). The SoundPlayer decodes
// its own copy when a clip starts, so replacing or freeing the bytes while a
// sound still plays is safe.
class SoundClip : public QObject {
    Q_OBJECT
    Q_PROPERTY(WaveLoop waveLoop READ waveLoop WRITE setWaveLoop)
    Q_PROPERTY(QString waveName READ waveName WRITE setWaveName)
    Q_PROPERTY(WavePause wavePause READ wavePause WRITE setWavePause)

  public:
    // Whether play() returns at once or when the sound has ended.
    enum class WavePause : quint8 { Async = 0, Sync = 1 };
    Q_ENUM(WavePause)
    enum class WaveLoop : quint8 { NoLoop = 0, Loop = 1 };
    Q_ENUM(WaveLoop)

    explicit SoundClip(QObject* parent = nullptr);

    // Emits aboutToPlay(), then hands the bytes to the sound service. Throws
    // SoundClipError "No wave data" when empty (aboutToPlay() is not
    // emitted) and "Error playing sound" when the service refuses the clip.
    void play();

    // Replaces the sound with the whole file; ":/..." names a Qt resource.
    // Throws FileError ("File not found", ...) and keeps the held sound
    // when the file cannot be read.
    void loadFromFile(const QString& fileName);
    // Replaces the sound with the bytes from the stream's position to its end.
    void loadFromStream(QIODevice& stream);

    // Restores the clip as its window stores it: the name is set first
    // without reading any file, then the stored bytes are read, so the
    // stored sound always wins over a file of the same name.
    void readStored(const QString& waveName, QIODevice& data);

    bool isEmpty() const { return m_data.isEmpty(); }
    // True when both hold the same bytes (both empty counts), never when
    // `other` is of another class.
    bool hasSameData(const SoundClip* other) const;
    const QByteArray& data() const { return m_data; }

    // Stores the file-name part of `value` and, if a file of that exact name
    // exists, loads it; an empty `value` clears the sound.
    void setWaveName(const QString& value);
    QString waveName() const { return m_waveName; }
    void setWavePause(WavePause value) { m_wavePause = value; }
    WavePause wavePause() const { return m_wavePause; }
    void setWaveLoop(WaveLoop value) { m_waveLoop = value; }
    WaveLoop waveLoop() const { return m_waveLoop; }

  signals:
    void aboutToPlay(nomix::SoundClip* clip);

  private:
    QByteArray m_data;
    QString m_waveName;
    WavePause m_wavePause = WavePause::Async;
    WaveLoop m_waveLoop = WaveLoop::NoLoop;
    bool m_loading = false;
};

} // namespace nomix
