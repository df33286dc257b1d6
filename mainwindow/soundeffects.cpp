// SPDX-License-Identifier: MIT
#include "soundeffects.h"

#include "controls/soundclip.h"
#include "controls/soundcliperror.h"
#include "platform/settings.h"

#include <QApplication>
#include <QFile>

namespace nomix {

SoundEffects::SoundEffects(const Settings* settings, QObject* parent)
    : QObject(parent), m_settings(settings),
      m_welcome(loadClip("welcomeSound", QStringLiteral("welcome1.wav"))),
      m_found(loadClip("foundSound", QStringLiteral("Schwing.wav"))),
      m_attention(loadClip("attentionSound", QStringLiteral("attention.wav"))),
      m_nothingFound(loadClip("nothingFoundSound", QStringLiteral("noitems.wav"))) {
    setObjectName(QStringLiteral("soundEffects"));
}

// A clip that cannot be read stays empty, and playing it then beeps.
SoundClip* SoundEffects::loadClip(const char* name, const QString& clip) {
    auto* sound = new SoundClip(this);
    sound->setObjectName(QLatin1String(name));
    QFile file(QStringLiteral(":/sounds/") + clip);
    if (file.open(QIODevice::ReadOnly)) {
        sound->readStored(clip, file);
    }
    return sound;
}

void SoundEffects::play(Effect effect) {
    if (m_settings->value(Option::SoundsDisabled)) {
        QApplication::beep();
        return;
    }
    SoundClip* clip = nullptr;
    switch (effect) {
    case Effect::Welcome:
        clip = m_welcome;
        break;
    case Effect::Found:
        clip = m_found;
        break;
    case Effect::Attention:
        clip = m_attention;
        break;
    case Effect::NothingFound:
        clip = m_nothingFound;
        break;
    }
    try {
        clip->play();
    } catch (const SoundClipError&) {
        QApplication::beep();
    }
}

} // namespace nomix
