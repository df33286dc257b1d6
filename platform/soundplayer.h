// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <atomic>

struct Mix_Chunk;
struct _Mix_Music;

namespace nomix {

// The program's one audio output, over SDL2_mixer: a single channel for the
// short effect clips, where a new clip cuts off the one before (users hear
// the latest event, never a pile-up), and one MIDI piece at a time.
//
// The device is opened on first use, so a run with sounds disabled never
// touches it. A failed open is remembered and later calls fail at once with
// the same text, so a machine without audio pays for the probe only once.
// Once open it costs SDL's audio thread, the decoded copy of the last clip
// and, while a piece is loaded, the MIDI synthesiser with its sound font
// (about 6 MB). All calls belong on the UI thread.
class SoundPlayer : public QObject {
    Q_OBJECT

  public:
    enum Wait { NoWait, WaitUntilEnd };
    enum Repeat { PlayOnce, RepeatUntilReplaced };

    static SoundPlayer& instance();
    ~SoundPlayer() override;

    // Plays a RIFF WAVE image (PCM or Microsoft ADPCM). The mixer decodes its
    // own copy, so `image` may change or go away as soon as this returns.
    // WaitUntilEnd blocks until the clip has played; a repeating clip never
    // ends, so with RepeatUntilReplaced the call returns at once instead of
    // hanging the program. Throws SoundError when the device cannot be
    // opened or the image is not a wave the mixer can decode.
    void playWave(const QByteArray& image, Wait wait = NoWait, Repeat repeat = PlayOnce);
    void stopWave();
    bool isWavePlaying() const;

    // Loads a MIDI file in place of any piece loaded before. Throws
    // SoundError with the mixer's text when the device or the file cannot
    // be opened.
    void openMusic(const QString& midiPath);
    // Plays the loaded piece from its start. False, with the reason in
    // lastError(), when nothing is loaded or the mixer refuses.
    bool playMusic();
    // Silences the piece at once; no musicFinished() follows for that play.
    void stopMusic();
    void closeMusic();
    bool isMusicPlaying() const;

    // The mixer's text for the last failure.
    QString lastError() const { return m_lastError; }

    // Closes the device and SDL's audio; the next call opens them afresh
    // (reading SDL_AUDIODRIVER again). For program exit and tests.
    void shutdown();

    // The General MIDI sound font the music is rendered with.
    static QString soundFontPath();

  signals:
    // The piece started by the last playMusic() ran to its end. Arrives on
    // the UI thread, never for a play that was stopped or superseded.
    void musicFinished();

  private:
    SoundPlayer() = default;
    void ensureOpen();
    void openDevice();
    [[noreturn]] void failWithMixerError();
    [[noreturn]] void failWith(const QString& message);
    [[noreturn]] void failToOpen(const QString& message);
    Mix_Chunk* decodeWave(const QByteArray& image);
    void waitForClipEnd(const Mix_Chunk* clip);
    void musicEnded(int play);
    static void musicEndedOnAudioThread();

    bool m_opened = false;
    QString m_openError;
    QString m_lastError;
    Mix_Chunk* m_clip = nullptr;
    _Mix_Music* m_music = nullptr;
    int m_lastPlay = 0;
    // Which play the audio thread's end-of-music report belongs to; 0 while
    // no play of ours may report.
    std::atomic<int> m_reportingPlay{0};
};

} // namespace nomix
