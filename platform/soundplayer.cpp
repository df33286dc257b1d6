// SPDX-License-Identifier: MIT
#include "soundplayer.h"

#include "sounderror.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QtEndian>

#include <SDL.h>
#include <SDL_mixer.h>

#include <climits>

namespace nomix {

namespace {

constexpr int OutputRate = 44100;
constexpr int OutputChannels = 2;
constexpr int OutputBufferFrames = 1024; // about 23 ms: effects start without a lag
constexpr int ClipChannel = 0;
constexpr int ClipEndPollMs = 2;
// A device that stops consuming samples must not hold the caller forever.
constexpr qint64 ClipEndGraceMs = 1000;

std::atomic<SoundPlayer*> audioThreadTarget{nullptr};

bool isRiffWave(const QByteArray& image) {
    return image.size() >= 12 && image.startsWith("RIFF") && image.mid(8, 4) == "WAVE";
}

// The synthesiser takes any bytes and "plays" them as an instant end, which a
// caller that restarts the piece on its end would turn into a busy loop. So
// a MIDI file must at least begin as one: the header chunk, then a track.
bool hasMidiHeader(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        return true; // the mixer names the reason it cannot open the file
    }
    const QByteArray start = file.read(18);
    if (start.size() < 18 || !start.startsWith("MThd") || start.mid(14, 4) != "MTrk") {
        return false;
    }
    const auto headerLength = qFromBigEndian<quint32>(start.constData() + 4);
    const auto format = qFromBigEndian<quint16>(start.constData() + 8);
    const auto trackCount = qFromBigEndian<quint16>(start.constData() + 10);
    return headerLength == 6 && format <= 2 && trackCount > 0;
}

qint64 playingTimeMs(const Mix_Chunk* clip) {
    int rate = 0;
    int channels = 0;
    Uint16 format = 0;
    if (!Mix_QuerySpec(&rate, &format, &channels) || rate <= 0 || channels <= 0) {
        return 0;
    }
    const qint64 frameBytes = qint64(SDL_AUDIO_BITSIZE(format) / 8) * channels;
    return qint64(clip->alen) * 1000 / (frameBytes * rate);
}

} // namespace

SoundPlayer& SoundPlayer::instance() {
    static SoundPlayer player;
    return player;
}

SoundPlayer::~SoundPlayer() {
    shutdown();
}

QString SoundPlayer::soundFontPath() {
    return QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2");
}

void SoundPlayer::playWave(const QByteArray& image, Wait wait, Repeat repeat) {
    ensureOpen();
    Mix_Chunk* clip = decodeWave(image);
    Mix_HaltChannel(ClipChannel);
    Mix_FreeChunk(m_clip);
    m_clip = clip;
    const int loops = repeat == RepeatUntilReplaced ? -1 : 0;
    if (Mix_PlayChannel(ClipChannel, m_clip, loops) < 0) {
        failWithMixerError();
    }
    if (wait == WaitUntilEnd && repeat == PlayOnce) {
        waitForClipEnd(m_clip);
    }
}

void SoundPlayer::stopWave() {
    if (m_opened) {
        Mix_HaltChannel(ClipChannel);
    }
}

bool SoundPlayer::isWavePlaying() const {
    return m_opened && Mix_Playing(ClipChannel) != 0;
}

void SoundPlayer::openMusic(const QString& midiPath) {
    ensureOpen();
    closeMusic();
    if (!hasMidiHeader(midiPath)) {
        failWith(tr("Not a MIDI file"));
    }
    m_music = Mix_LoadMUS(QFile::encodeName(midiPath).constData());
    if (!m_music) {
        failWithMixerError();
    }
}

bool SoundPlayer::playMusic() {
    if (!m_music) {
        m_lastError = tr("No music loaded");
        return false;
    }
    const int play = m_lastPlay == INT_MAX ? 1 : m_lastPlay + 1;
    m_lastPlay = play;
    // Nothing may report while the old piece gives way, so its end can never
    // pass for the end of this one.
    m_reportingPlay = 0;
    if (Mix_PlayMusic(m_music, 0) != 0) {
        m_lastError = QString::fromUtf8(Mix_GetError());
        return false;
    }
    m_reportingPlay = play;
    return true;
}

void SoundPlayer::stopMusic() {
    if (!m_opened) {
        return;
    }
    m_reportingPlay = 0;
    Mix_HaltMusic();
}

void SoundPlayer::closeMusic() {
    stopMusic();
    if (m_music) {
        Mix_FreeMusic(m_music);
        m_music = nullptr;
    }
}

bool SoundPlayer::isMusicPlaying() const {
    return m_opened && Mix_PlayingMusic() != 0;
}

void SoundPlayer::shutdown() {
    m_openError.clear();
    if (!m_opened) {
        return;
    }
    closeMusic();
    Mix_HaltChannel(-1);
    Mix_FreeChunk(m_clip);
    m_clip = nullptr;
    Mix_HookMusicFinished(nullptr);
    audioThreadTarget = nullptr;
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    m_opened = false;
}

void SoundPlayer::ensureOpen() {
    if (m_opened) {
        return;
    }
    if (!m_openError.isEmpty()) {
        failWith(m_openError);
    }
    openDevice();
}

void SoundPlayer::openDevice() {
    // SDL's own SIGINT handler would swallow Ctrl+C meant for the program.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        failToOpen(QString::fromUtf8(Mix_GetError()));
    }
    if (Mix_OpenAudio(OutputRate, MIX_DEFAULT_FORMAT, OutputChannels, OutputBufferFrames) != 0) {
        const QString reason = QString::fromUtf8(Mix_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        failToOpen(reason);
    }
    Mix_AllocateChannels(1);
    if (QFileInfo::exists(soundFontPath())) {
        Mix_SetSoundFonts(QFile::encodeName(soundFontPath()).constData());
    }
    // Without a MIDI synthesiser the clips still play; loading music then
    // reports the mixer's reason.
    Mix_Init(MIX_INIT_MID);
    audioThreadTarget = this;
    Mix_HookMusicFinished(&SoundPlayer::musicEndedOnAudioThread);
    m_opened = true;
}

void SoundPlayer::failWithMixerError() {
    failWith(QString::fromUtf8(Mix_GetError()));
}

// Remembered, so later calls fail at once with the same text.
void SoundPlayer::failToOpen(const QString& message) {
    m_openError = message;
    failWith(message);
}

void SoundPlayer::failWith(const QString& message) {
    m_lastError = message;
    throw SoundError(message.toStdString());
}

Mix_Chunk* SoundPlayer::decodeWave(const QByteArray& image) {
    if (!isRiffWave(image)) {
        failWith(tr("Not a RIFF WAVE image"));
    }
    if (image.size() > INT_MAX) {
        failWith(tr("Wave image too large"));
    }
    SDL_RWops* source = SDL_RWFromConstMem(image.constData(), int(image.size()));
    Mix_Chunk* clip = source ? Mix_LoadWAV_RW(source, 1) : nullptr;
    if (!clip) {
        failWithMixerError();
    }
    return clip;
}

void SoundPlayer::waitForClipEnd(const Mix_Chunk* clip) {
    const qint64 limitMs = playingTimeMs(clip) + ClipEndGraceMs;
    QElapsedTimer waited;
    waited.start();
    while (Mix_Playing(ClipChannel) && waited.elapsed() < limitMs) {
        SDL_Delay(ClipEndPollMs);
    }
    Mix_HaltChannel(ClipChannel);
}

void SoundPlayer::musicEnded(int play) {
    if (play == 0 || m_reportingPlay != play) {
        return;
    }
    m_reportingPlay = 0;
    emit musicFinished();
}

// Runs on SDL's audio thread with the audio lock held (or inside
// Mix_HaltMusic): it only reads which play ended and posts that to the
// player's own thread.
void SoundPlayer::musicEndedOnAudioThread() {
    SoundPlayer* player = audioThreadTarget;
    if (!player) {
        return;
    }
    const int play = player->m_reportingPlay.load();
    if (play == 0) {
        return;
    }
    QMetaObject::invokeMethod(
        player, [player, play] { player->musicEnded(play); }, Qt::QueuedConnection);
}

} // namespace nomix
