// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

namespace nomix {

class Settings;
class SoundClip;

// The program's four sound effects, built into it. With sounds disabled, or
// when a clip cannot be played, a beep stands in for it.
class SoundEffects : public QObject {
    Q_OBJECT

  public:
    enum class Effect { Welcome, Found, Attention, NothingFound };

    SoundEffects(const Settings* settings, QObject* parent = nullptr);

    void play(Effect effect);

  private:
    SoundClip* loadClip(const char* name, const QString& clip);

    const Settings* m_settings;
    SoundClip* m_welcome;
    SoundClip* m_found;
    SoundClip* m_attention;
    SoundClip* m_nothingFound;
};

} // namespace nomix
