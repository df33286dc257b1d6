// SPDX-License-Identifier: MIT
#include "soundclip.h"

#include "core/datafile.h"
#include "core/fileerror.h"
#include "platform/sounderror.h"
#include "platform/soundplayer.h"

#include <QFile>
#include <QIODevice>

#include <algorithm>
#include <cerrno>
#include <typeinfo>

namespace nomix {

namespace {

// The text after the last "\", ":" or "/": names written for the old
// desktop and paths of this one both give their file name.
QString fileNamePart(const QString& name) {
    const qsizetype cut =
        std::max({name.lastIndexOf(u'\\'), name.lastIndexOf(u':'), name.lastIndexOf(u'/')});
    return name.mid(cut + 1);
}

QByteArray readResource(const QString& name) {
    QFile resource(name);
    if (!resource.open(QIODevice::ReadOnly)) {
        throw FileError(inOutErrorMessage(ENOENT), name.toStdString());
    }
    return resource.readAll();
}

QByteArray readFile(const QString& fileName) {
    if (fileName.startsWith(u':')) {
        return readResource(fileName);
    }
    FileBytes file = readFileBytes(QFile::encodeName(fileName).toStdString());
    return QByteArray(file.data.get(), qsizetype(file.size));
}

SoundPlayer::Wait waitOf(SoundClip::WavePause pause) {
    return pause == SoundClip::WavePause::Sync ? SoundPlayer::WaitUntilEnd : SoundPlayer::NoWait;
}

SoundPlayer::Repeat repeatOf(SoundClip::WaveLoop loop) {
    return loop == SoundClip::WaveLoop::Loop ? SoundPlayer::RepeatUntilReplaced
                                             : SoundPlayer::PlayOnce;
}

} // namespace

SoundClip::SoundClip(QObject* parent) : QObject(parent) {}

void SoundClip::play() {
    if (isEmpty()) {
        throw SoundClipError(tr("No wave data").toStdString());
    }
    emit aboutToPlay(this);
    try {
        SoundPlayer::instance().playWave(m_data, waitOf(m_wavePause), repeatOf(m_waveLoop));
    } catch (const SoundError&) {
        throw SoundClipError(tr("Error playing sound").toStdString());
    }
}

void SoundClip::loadFromFile(const QString& fileName) {
    m_data = readFile(fileName);
}

// Reads what the stream still holds rather than its total size, so a
// stream that is not at its start never leaves zero bytes at the end.
void SoundClip::loadFromStream(QIODevice& stream) {
    m_data = stream.readAll();
}

void SoundClip::readStored(const QString& waveName, QIODevice& data) {
    m_loading = true;
    setWaveName(waveName);
    m_loading = false;
    loadFromStream(data);
}

bool SoundClip::hasSameData(const SoundClip* other) const {
    if (!other) {
        return false;
    }
    if (isEmpty() || other->isEmpty()) {
        return isEmpty() && other->isEmpty();
    }
    if (typeid(*other) != typeid(*this)) {
        return false;
    }
    return m_data == other->m_data;
}

void SoundClip::setWaveName(const QString& value) {
    if (value.isEmpty()) {
        m_waveName.clear();
        m_data.clear();
        return;
    }
    m_waveName = fileNamePart(value);
    if (!m_loading && fileExists(QFile::encodeName(value).toStdString())) {
        loadFromFile(value);
    }
}

} // namespace nomix
