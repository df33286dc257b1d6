// SPDX-License-Identifier: MIT
#include "aboutdialog.h"

#include "aboutpaper.h"
#include "controls/embossedlabel.h"
#include "controls/marquee.h"
#include "controls/marqueeerror.h"
#include "controls/tiledbackground.h"
#include "platform/classicfont.h"
#include "platform/messagebox.h"
#include "platform/programdata.h"
#include "platform/sounderror.h"
#include "platform/soundplayer.h"
#include "platform/windowplacement.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFrame>
#include <QHideEvent>
#include <QPixmap>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>

namespace {

constexpr int kClientWidth = 405;
constexpr int kClientHeight = 223;
constexpr int kMarqueeStepMs = 60;

const QColor kMarqueeBackground(255, 255, 225);
const QColor kMaroon(128, 0, 0);
const QColor kNavy(0, 0, 128);

// The sign is put in apart, so translators see plain text.
QString authorNotice() {
    return QCoreApplication::translate("AboutDialog", "%1 2026 Nomix95 developers")
        .arg(QChar(0x00a9));
}

QStringList marqueeLines() {
    return {
        QCoreApplication::translate("AboutDialog", "Nomix95 1.1 for Windows 95 / NT 4.0"),
        authorNotice(),
        QString(),
        QCoreApplication::translate("AboutDialog", "Written by the Nomix95 developers"),
        QStringLiteral("Talvora"),
        QStringLiteral("www.talvora.example"),
        QStringLiteral("nomix@talvora.example"),
        QString(),
        QCoreApplication::translate("AboutDialog", "Our thanks go to the people behind"),
        QCoreApplication::translate("AboutDialog", "the work this program stands on:"),
        QString(),
        QCoreApplication::translate("AboutDialog", "The AVClass project"),
        QCoreApplication::translate("AboutDialog", "the sample labels of the database"),
        QCoreApplication::translate("AboutDialog", "MIT licence, github.com/malicialab"),
        QString(),
        QCoreApplication::translate("AboutDialog", "The Qt project"),
        QCoreApplication::translate("AboutDialog", "the windows and their controls"),
        QStringLiteral("www.qt.io"),
        QString(),
        QCoreApplication::translate("AboutDialog", "The SDL project"),
        QCoreApplication::translate("AboutDialog", "the sounds and the music player"),
        QStringLiteral("www.libsdl.org"),
        QString(),
        QCoreApplication::translate("AboutDialog", "The TimGM6mb sound font"),
        QCoreApplication::translate("AboutDialog", "the instruments of the music"),
        QCoreApplication::translate("AboutDialog", "GNU GPL, version 2"),
        QString(),
        QCoreApplication::translate("AboutDialog", "And you, for using Nomix95!"),
    };
}

QFont pixelFont(const QString& family, int pixelSize, bool bold, bool italic) {
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

// Places `widget` at the designed spot with at least the designed size, and
// wider where a substitute font needs it: a 3D label wraps a caption that
// does not fit, and the second line would be cut off.
void placeAt(QWidget* widget, int left, int top, int width, int height) {
    const QSize hint = widget->sizeHint();
    widget->setGeometry(left, top, qMax(width, hint.width()), qMax(height, hint.height()));
}

// The music file beside the program.
QString defaultMusicPath() {
    return nomix::programDataPath(QStringLiteral("music/ABOUT.MID"));
}

} // namespace

AboutDialog::AboutDialog(QWidget* parent, const QString& musicPath, bool soundsDisabled)
    : QDialog(parent), m_musicPath(musicPath), m_soundsDisabled(soundsDisabled) {
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(tr("About Nomix95"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(nomix::classicUiFont());
    setFixedSize(kClientWidth, kClientHeight);

    buildCaptions(buildFrames());

    m_showTimer.setSingleShot(true);
    m_showTimer.setInterval(0);
    connect(&m_showTimer, &QTimer::timeout, this, &AboutDialog::startShowing);
}

AboutDialog::~AboutDialog() {
    // A box destroyed while shown gets no hide event of its own.
    stopMusic();
}

// Returns the outer frame, which the captions go on.
QFrame* AboutDialog::buildFrames() {
    auto* outerFrame = new QFrame(this);
    outerFrame->setObjectName(QStringLiteral("outerFrame"));
    outerFrame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    outerFrame->setLineWidth(2);
    outerFrame->setGeometry(0, 0, kClientWidth, kClientHeight);

    auto* creditsFrame = new QFrame(outerFrame);
    creditsFrame->setObjectName(QStringLiteral("creditsFrame"));
    creditsFrame->setFrameStyle(QFrame::Panel | QFrame::Raised);
    creditsFrame->setLineWidth(1);
    creditsFrame->setGeometry(2, 2, 401, 121);

    auto* paper = new nomix::TiledBackground(outerFrame);
    paper->setObjectName(QStringLiteral("paper"));
    paper->setGeometry(2, 123, 401, 98);
    paper->setPixmap(QPixmap::fromImage(nomix::aboutPaperTexture()));

    buildMarquee(creditsFrame);
    return outerFrame;
}

void AboutDialog::buildMarquee(QFrame* creditsFrame) {
    m_marquee = new nomix::Marquee(creditsFrame);
    m_marquee->setObjectName(QStringLiteral("credits"));
    m_marquee->setGeometry(9, 8, 382, 105);
    m_marquee->setInterval(kMarqueeStepMs);
    m_marquee->setLoop(true);
    m_marquee->setScrollsDown(false);
    m_marquee->setJustification(nomix::Justification::Center);
    m_marquee->setBevelWidth(3);
    m_marquee->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_marquee->setLineWidth(1);
    m_marquee->setColor(kMarqueeBackground);
    m_marquee->setFont(pixelFont(QStringLiteral("Arial"), 15, true, false));
    setTextColour(m_marquee, Qt::blue);
    m_marquee->setLines(marqueeLines());
}

void AboutDialog::buildCaptions(QFrame* outerFrame) {
    // Created after the paper, so they lie on top of it.
    auto* nameLabel = new nomix::EmbossedLabel(tr("Nomix95 ver. 1.1"), outerFrame);
    nameLabel->setObjectName(QStringLiteral("nameLabel"));
    QFont nameFont = pixelFont(QStringLiteral("Matura MT Script Capitals"), 30, true, true);
    nameFont.setStyleHint(QFont::Cursive);
    nameLabel->setFont(nameFont);
    nameLabel->setTransparent(true);
    nameLabel->setStyle3D(nomix::Style3D::Shadowed);
    nameLabel->setShadowOffset(2);
    setTextColour(nameLabel, kMaroon);
    placeAt(nameLabel, 8, 141, 265, 40);

    auto* noticeLabel = new nomix::EmbossedLabel(authorNotice(), outerFrame);
    noticeLabel->setObjectName(QStringLiteral("noticeLabel"));
    noticeLabel->setFont(pixelFont(QStringLiteral("Arial"), 17, true, true));
    noticeLabel->setTransparent(true);
    noticeLabel->setStyle3D(nomix::Style3D::Recessed);
    setTextColour(noticeLabel, kNavy);
    placeAt(noticeLabel, 18, 184, 279, 19);

    auto* closeButton = new QPushButton(tr("OK"), outerFrame);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    closeButton->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    closeButton->setToolTip(tr("Close"));
    closeButton->setStatusTip(tr("Close the window"));
    closeButton->setDefault(true);
    closeButton->setGeometry(312, 181, 75, 25);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
}

void AboutDialog::showAbout(QWidget* mainWindow, bool soundsDisabled) {
    AboutDialog dialog(mainWindow, defaultMusicPath(), soundsDisabled);
    nomix::centerOnMainWindow(&dialog, mainWindow);
    dialog.exec();
}

// The window system's own shows and hides (minimising, restoring) leave the
// music and the credits alone; only the box's opening and closing count.
void AboutDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        m_showTimer.start();
    }
}

void AboutDialog::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (event->spontaneous()) {
        return;
    }
    m_showTimer.stop();
    stopMusic();
    m_marquee->stopScrolling();
}

// Runs once per showing rather than on every activation: coming back from
// the error box or from another window would otherwise report the same
// error again without end, or start the piece over.
void AboutDialog::startShowing() {
    if (!isVisible()) {
        return;
    }
    repaint();
    try {
        m_marquee->startScrolling();
    } catch (const nomix::MarqueeError& error) {
        nomix::MessageBox::reportException(this, QString::fromStdString(error.what()));
    }
    if (!m_soundsDisabled && isVisible()) {
        startMusic();
    }
}

void AboutDialog::startMusic() {
    if (!QFileInfo(m_musicPath).isFile()) {
        return;
    }
    nomix::SoundPlayer& player = nomix::SoundPlayer::instance();
    try {
        player.openMusic(m_musicPath);
    } catch (const nomix::SoundError& error) {
        nomix::MessageBox::reportException(this, QString::fromStdString(error.what()));
        return;
    }
    m_musicLoaded = true;
    m_musicFinished =
        connect(&player, &nomix::SoundPlayer::musicFinished, this, &AboutDialog::replayAfterEnd);
    playMusic();
}

// A refused play ends the music quietly: the box still shows its credits.
void AboutDialog::playMusic() {
    m_musicPlaying = nomix::SoundPlayer::instance().playMusic();
    if (m_musicPlaying) {
        m_playClock.start();
    }
}

void AboutDialog::replayAfterEnd() {
    if (!m_musicPlaying) {
        return;
    }
    m_musicPlaying = false;
    if (m_playClock.elapsed() >= m_shortestRepeatedPlayMs) {
        playMusic();
    }
}

void AboutDialog::stopMusic() {
    m_musicPlaying = false;
    disconnect(m_musicFinished);
    if (m_musicLoaded) {
        m_musicLoaded = false;
        nomix::SoundPlayer::instance().closeMusic();
    }
}
