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
TWaveFileString fileNamePart(const TWaveFileString& name) {
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

SoundPlayer::Wait waitOf(SoundClip::TWavePause pause) {
    return pause == SoundClip::wpsSync ? SoundPlayer::WaitUntilEnd : SoundPlayer::NoWait;
}

SoundPlayer::Repeat repeatOf(SoundClip::TWaveLoop loop) {
    return loop == SoundClip::wlLoop ? SoundPlayer::RepeatUntilReplaced : SoundPlayer::PlayOnce;
}

} // namespace

SoundClip::SoundClip(QObject* parent) : QObject(parent) {}

void SoundClip::Play() {
    if (IsEmpty()) {
        throw SoundClipError("No wave data");
    }
    emit OnPlay(this);
    try {
        SoundPlayer::instance().playWave(data_, waitOf(wavePause_), repeatOf(waveLoop_));
    } catch (const SoundError&) {
        throw SoundClipError("Error playing sound");
    }
}

void SoundClip::LoadFromFile(const QString& fileName) {
    data_ = readFile(fileName);
}

// Reads what the stream still holds rather than its total size, so a
// stream that is not at its start never leaves zero bytes at the end.
void SoundClip::LoadFromStream(QIODevice& stream) {
    data_ = stream.readAll();
}

void SoundClip::SaveToStream(QIODevice& stream) const {
    if (!IsEmpty()) {
        stream.write(data_);
    }
}

void SoundClip::ReadStored(const TWaveFileString& waveName, QIODevice& data) {
    loading_ = true;
    setWaveName(waveName);
    loading_ = false;
    LoadFromStream(data);
}

bool SoundClip::SameData(const SoundClip* other) const {
    if (!other) {
        return false;
    }
    if (IsEmpty() || other->IsEmpty()) {
        return IsEmpty() && other->IsEmpty();
    }
    if (typeid(*other) != typeid(*this)) {
        return false;
    }
    return data_ == other->data_;
}

void SoundClip::setWaveName(const TWaveFileString& value) {
    if (value.isEmpty()) {
        waveName_.clear();
        data_.clear();
        return;
    }
    waveName_ = fileNamePart(value);
    if (!loading_ && fileExists(QFile::encodeName(value).toStdString())) {
        LoadFromFile(value);
    }
}

} // namespace nomix
