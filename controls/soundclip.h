#pragma once

#include "controls/soundcliperror.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class QIODevice;

namespace nomix {

using TWaveFileString = QString;

// One sound effect held in memory as the complete bytes of a RIFF WAVE file
// and played from there, so the window that owns it needs no sound files at
// run time. Costs the clip's bytes (a few kB each). The SoundPlayer decodes
// its own copy when a clip starts, so replacing or freeing the bytes while a
// sound still plays is safe.
class SoundClip : public QObject {
    Q_OBJECT
    Q_PROPERTY(TWaveLoop WaveLoop READ WaveLoop WRITE setWaveLoop)
    Q_PROPERTY(QString WaveName READ WaveName WRITE setWaveName)
    Q_PROPERTY(TWavePause WavePause READ WavePause WRITE setWavePause)

  public:
    enum TWavePause : quint8 { wpAsync = 0, wpsSync = 1 };
    Q_ENUM(TWavePause)
    enum TWaveLoop : quint8 { wlNoLoop = 0, wlLoop = 1 };
    Q_ENUM(TWaveLoop)

    explicit SoundClip(QObject* parent = nullptr);

    // Raises OnPlay, then hands the bytes to the sound service. Throws
    // SoundClipError "No wave data" when empty (OnPlay is not raised) and
    // "Error playing sound" when the service refuses the clip.
    void Play();

    // Replaces the sound with the whole file; ":/..." names a Qt resource.
    // Throws FileError ("File not found", ...) and keeps the held sound
    // when the file cannot be read.
    void LoadFromFile(const QString& fileName);
    // Replaces the sound with the bytes from the stream's position to its end.
    void LoadFromStream(QIODevice& stream);
    // Writes the held bytes; nothing when empty.
    void SaveToStream(QIODevice& stream) const;

    // Restores the component as its window stores it: the name is set first
    // without reading any file, then the stored bytes are read, so the
    // stored sound always wins over a file of the same name.
    void ReadStored(const TWaveFileString& waveName, QIODevice& data);

    bool IsEmpty() const { return data_.isEmpty(); }
    // True when both hold the same bytes (both empty counts), never when
    // `other` is of another class.
    bool SameData(const SoundClip* other) const;
    const QByteArray& Data() const { return data_; }

    // Stores the file-name part of `value` and, if a file of that exact name
    // exists, loads it; an empty `value` clears the sound.
    void setWaveName(const TWaveFileString& value);
    TWaveFileString WaveName() const { return waveName_; }
    void setWavePause(TWavePause value) { wavePause_ = value; }
    TWavePause WavePause() const { return wavePause_; }
    void setWaveLoop(TWaveLoop value) { waveLoop_ = value; }
    TWaveLoop WaveLoop() const { return waveLoop_; }

  signals:
    void OnPlay(nomix::SoundClip* Sender);
    // Kept for owners that connect to it; nothing here raises it.
    void OnStop(nomix::SoundClip* Sender);

  private:
    QByteArray data_;
    TWaveFileString waveName_;
    TWavePause wavePause_ = wpAsync;
    TWaveLoop waveLoop_ = wlNoLoop;
    bool loading_ = false;
};

} // namespace nomix
