// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QMetaObject>
#include <QString>
#include <QTimer>

class QFrame;

namespace nomix {
class Marquee;
} // namespace nomix

// "About Nomix95": scrolls the banner and the credits, shows the program's
// name on a paper texture and, unless sounds are disabled, plays the music
// file in a loop while it is open. Made for one showing and destroyed after
// it. Costs a small window, a marquee bitmap of all credit lines (about
// 400 x 700 pixels) while shown and, with music, the MIDI synthesiser of the
// sound player with its sound font until the box closes.
class AboutDialog : public QDialog {
    Q_OBJECT

  public:
    // `musicPath` is the MIDI file to play while the box is shown; a missing
    // file means no music and no message. With `soundsDisabled` the sound
    // player is never touched.
    AboutDialog(QWidget* parent, const QString& musicPath, bool soundsDisabled);
    ~AboutDialog() override;

    // Opens the box modally, centred over `mainWindow`, with the music beside
    // the program, and destroys it when it closes. `soundsDisabled` is the
    // options dialog's "D&isable sounds".
    static void showAbout(QWidget* mainWindow, bool soundsDisabled);

    // True from a successful start of the piece until it ends without being
    // restarted, or the box closes.
    bool isMusicPlaying() const { return m_musicPlaying; }

    // The synthesiser takes about two seconds to end even an empty piece, so
    // tests raise the limit to see a too-short play left unrepeated.
    void setShortestRepeatedPlayMs(int milliseconds) { m_shortestRepeatedPlayMs = milliseconds; }

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    // A play that ends sooner than this is not started again: an empty or
    // broken piece would otherwise restart without pause.
    static constexpr int kShortestRepeatedPlayMs = 1000;

    QFrame* buildFrames();
    void buildMarquee(QFrame* creditsFrame);
    void buildCaptions(QFrame* outerFrame);
    void startShowing();
    void replayAfterEnd();
    void startMusic();
    void playMusic();
    void stopMusic();

    QString m_musicPath;
    bool m_soundsDisabled;
    nomix::Marquee* m_marquee = nullptr;
    // Starts the box's show-time work once the box is on screen, at most once
    // per showing, whatever activations follow.
    QTimer m_showTimer;
    bool m_musicLoaded = false;
    bool m_musicPlaying = false;
    int m_shortestRepeatedPlayMs = kShortestRepeatedPlayMs;
    QElapsedTimer m_playClock;
    QMetaObject::Connection m_musicFinished;
};
