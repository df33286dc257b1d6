#include "aboutdialog.h"

#include "aboutpaper.h"
#include "controls/marqueeerror.h"
#include "controls/marquee.h"
#include "controls/embossedlabel.h"
#include "controls/tiledbackground.h"
#include "platform/sounderror.h"
#include "platform/messagebox.h"
#include "platform/programdata.h"
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

const QString kAuthorNotice = QStringLiteral("\u00a9 2026 Nomix95 developers");

QStringList MarqueeLines() {
    return {
        QStringLiteral("Nomix95 1.1 for Windows 95 / NT 4.0"),
        kAuthorNotice,
        QString(),
        QStringLiteral("Written by the Nomix95 developers"),
        QStringLiteral("Talvora"),
        QStringLiteral("www.talvora.example"),
        QStringLiteral("nomix@talvora.example"),
        QString(),
        QStringLiteral("Our thanks go to the people behind"),
        QStringLiteral("the work this program stands on:"),
        QString(),
        QStringLiteral("The AVClass project"),
        QStringLiteral("the sample labels of the database"),
        QStringLiteral("MIT licence, github.com/malicialab"),
        QString(),
        QStringLiteral("The Qt project"),
        QStringLiteral("the windows and their controls"),
        QStringLiteral("www.qt.io"),
        QString(),
        QStringLiteral("The SDL project"),
        QStringLiteral("the sounds and the music player"),
        QStringLiteral("www.libsdl.org"),
        QString(),
        QStringLiteral("The TimGM6mb sound font"),
        QStringLiteral("the instruments of the music"),
        QStringLiteral("GNU GPL, version 2"),
        QString(),
        QStringLiteral("And you, for using Nomix95!"),
    };
}

QFont PixelFont(const QString& family, int pixelSize, bool bold, bool italic) {
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

void SetTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

// Places `widget` at the designed spot with at least the designed size, and
// wider where a substitute font needs it: a 3D label wraps a caption that
// does not fit, and the second line would be cut off.
void PlaceAt(QWidget* widget, int left, int top, int width, int height) {
    const QSize hint = widget->sizeHint();
    widget->setGeometry(left, top, qMax(width, hint.width()), qMax(height, hint.height()));
}

} // namespace

AboutDialog::AboutDialog(QWidget* parent, const QString& musicPath, bool soundsDisabled)
    : QDialog(parent), musicPath_(musicPath), soundsDisabled_(soundsDisabled) {
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("About Nomix95"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(PixelFont(QStringLiteral("MS Sans Serif"), 13, false, false));
    setFixedSize(kClientWidth, kClientHeight);

    buildPanels();
    buildMarquee();
    buildCaptions();

    activation_.setSingleShot(true);
    activation_.setInterval(0);
    connect(&activation_, &QTimer::timeout, this, &AboutDialog::FormActivate);
}

AboutDialog::~AboutDialog() {
    // A box destroyed while shown gets no hide event of its own.
    StopMusic();
}

void AboutDialog::buildPanels() {
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(2);
    Panel1->setGeometry(0, 0, kClientWidth, kClientHeight);

    Panel2 = new QFrame(Panel1);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel2->setLineWidth(1);
    Panel2->setGeometry(2, 2, 401, 121);

    TiledBitmap1 = new nomix::TiledBackground(Panel1);
    TiledBitmap1->setObjectName(QStringLiteral("TiledBitmap1"));
    TiledBitmap1->setGeometry(2, 123, 401, 98);
    TiledBitmap1->SetBitmap(QPixmap::fromImage(nomix::AboutPaperTexture()));
}

void AboutDialog::buildMarquee() {
    Marquee1 = new nomix::Marquee(Panel2);
    Marquee1->setObjectName(QStringLiteral("Marquee1"));
    Marquee1->setGeometry(9, 8, 382, 105);
    Marquee1->SetTimerInterval(kMarqueeStepMs);
    Marquee1->SetLoop(true);
    Marquee1->SetScrollDown(false);
    Marquee1->SetJustify(nomix::tjCenter);
    Marquee1->SetBevelWidth(3);
    Marquee1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Marquee1->setLineWidth(1);
    Marquee1->SetColor(kMarqueeBackground);
    Marquee1->setFont(PixelFont(QStringLiteral("Arial"), 15, true, false));
    SetTextColour(Marquee1, Qt::blue);
    Marquee1->SetItems(MarqueeLines());
}

void AboutDialog::buildCaptions() {
    // Children of Panel1 created after the texture, so they lie on top of it.
    rhLabel3D1 = new nomix::EmbossedLabel(QStringLiteral("Nomix95 ver. 1.1"), Panel1);
    rhLabel3D1->setObjectName(QStringLiteral("rhLabel3D1"));
    QFont nameFont = PixelFont(QStringLiteral("Matura MT Script Capitals"), 30, true, true);
    nameFont.setStyleHint(QFont::Cursive);
    rhLabel3D1->setFont(nameFont);
    rhLabel3D1->setTransparent(true);
    rhLabel3D1->setStyle3D(nomix::tsShadowed);
    rhLabel3D1->setShadowOffset(2);
    SetTextColour(rhLabel3D1, kMaroon);
    PlaceAt(rhLabel3D1, 8, 141, 265, 40);

    rhLabel3D2 = new nomix::EmbossedLabel(kAuthorNotice, Panel1);
    rhLabel3D2->setObjectName(QStringLiteral("rhLabel3D2"));
    rhLabel3D2->setFont(PixelFont(QStringLiteral("Arial"), 17, true, true));
    rhLabel3D2->setTransparent(true);
    rhLabel3D2->setStyle3D(nomix::tsRecessed);
    SetTextColour(rhLabel3D2, kNavy);
    PlaceAt(rhLabel3D2, 18, 184, 279, 19);

    CloseButton = new QPushButton(QStringLiteral("OK"), Panel1);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    CloseButton->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    CloseButton->setToolTip(QStringLiteral("Close"));
    CloseButton->setStatusTip(QStringLiteral("Close the window"));
    CloseButton->setDefault(true);
    CloseButton->setGeometry(312, 181, 75, 25);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);
}

QString AboutDialog::DefaultMusicPath() {
    return nomix::programDataPath(QStringLiteral("music/ABOUT.MID"));
}

void AboutDialog::ShowAbout(QWidget* mainWindow, bool soundsDisabled) {
    AboutDialog form(mainWindow, DefaultMusicPath(), soundsDisabled);
    nomix::centerOnMainWindow(&form, mainWindow);
    form.exec();
}

// The window system's own shows and hides (minimising, restoring) leave the
// music and the credits alone; only the box's opening and closing count.
void AboutDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        activation_.start();
    }
}

void AboutDialog::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (event->spontaneous()) {
        return;
    }
    activation_.stop();
    StopMusic();
    Marquee1->StopScrolling();
}

// Runs once per showing rather than on every activation: coming back from
// the error box or from another window would otherwise report the same
// error again without end, or start the piece over.
void AboutDialog::FormActivate() {
    if (!isVisible()) {
        return;
    }
    repaint();
    try {
        Marquee1->StartScrolling();
    } catch (const nomix::MarqueeError& error) {
        nomix::MessageBox::reportException(this, QString::fromStdString(error.what()));
    }
    if (!soundsDisabled_ && isVisible()) {
        StartMusic();
    }
}

void AboutDialog::StartMusic() {
    if (!QFileInfo(musicPath_).isFile()) {
        return;
    }
    nomix::SoundPlayer& player = nomix::SoundPlayer::instance();
    try {
        player.openMusic(musicPath_);
    } catch (const nomix::SoundError& error) {
        nomix::MessageBox::reportException(this, QString::fromStdString(error.what()));
        return;
    }
    musicLoaded_ = true;
    musicFinished_ =
        connect(&player, &nomix::SoundPlayer::musicFinished, this, &AboutDialog::MediaPlayer1Notify);
    PlayMusic();
}

// A refused play ends the music quietly: the box still shows its credits.
void AboutDialog::PlayMusic() {
    musicPlaying_ = nomix::SoundPlayer::instance().playMusic();
    if (musicPlaying_) {
        playClock_.start();
    }
}

void AboutDialog::MediaPlayer1Notify() {
    if (!musicPlaying_) {
        return;
    }
    musicPlaying_ = false;
    if (playClock_.elapsed() >= shortestRepeatedPlayMs_) {
        PlayMusic();
    }
}

void AboutDialog::StopMusic() {
    musicPlaying_ = false;
    disconnect(musicFinished_);
    if (musicLoaded_) {
        musicLoaded_ = false;
        nomix::SoundPlayer::instance().closeMusic();
    }
}
