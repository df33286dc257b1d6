// SPDX-License-Identifier: MIT
#include "dialogdriver.h"
#include "platform/soundplayer_audio.h"

#include "controls/embossedlabel.h"
#include "controls/marquee.h"
#include "controls/tiledbackground.h"
#include "dialogs/aboutdialog.h"
#include "dialogs/aboutpaper.h"
#include "platform/messagebox.h"
#include "platform/soundplayer.h"

#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using nomix::MessageBox;
using nomix::SoundPlayer;
using namespace nomix::testaudio;

namespace {

// The piece the program ships.
QString shippedMusic() {
    return QDir::cleanPath(QStringLiteral(NOMIX_TEST_DATA_DIR "/../../resources/music/ABOUT.MID"));
}

// A valid MIDI file without a single note.
QByteArray emptyMidi() {
    return QByteArray::fromHex("4d546864000000060000000101e0"
                               "4d54726b00000004"
                               "00ff2f00");
}

// Ensures the device has not been left failing by an earlier test.
void useDummyDevice() {
    DiskCapture::restoreDummyDevice();
}

nomix::Marquee* credits(const AboutDialog& form) {
    return form.findChild<nomix::Marquee*>("credits");
}

QPushButton* closeButton(const AboutDialog& form) {
    return form.findChild<QPushButton*>("closeButton");
}

} // namespace

class TestAboutDialog : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void cleanup();

    void silentWhenSoundsAreDisabled();
    void musicAndCreditsStopWhenTheBoxCloses_data();
    void musicAndCreditsStopWhenTheBoxCloses();
    void musicStartsOverAfterACompletePlay();
    void aTooShortPlayIsNotRepeated();
    void reopeningStartsOver();

    void silentWithoutMessageWhenTheFileIsMissing_data();
    void silentWithoutMessageWhenTheFileIsMissing();
    void unplayableMusicIsReportedOnce_data();
    void unplayableMusicIsReportedOnce();

    void showAboutIsModalAndCentred();
    void captionsAndCreditsFitTheirRoom();
    void paperIsALightTileOfAtMost256Colours();

  private:
    QString writeTemp(const QString& name, const QByteArray& content);
    QTemporaryDir dir_;
    SoundPlayer& player_ = SoundPlayer::instance();
};

void TestAboutDialog::initTestCase() {
    // No test may ever wait on a message box.
    MessageBox::setAutoAnswer(true);
    useDummyDevice();
    QVERIFY(dir_.isValid());
    QVERIFY2(QFileInfo(shippedMusic()).isFile(), qPrintable(shippedMusic()));
}

void TestAboutDialog::cleanup() {
    player_.closeMusic();
    MessageBox::clearShown();
}

QString TestAboutDialog::writeTemp(const QString& name, const QByteArray& content) {
    const QString path = dir_.filePath(name);
    return writeFile(path, content) ? path : QString();
}

void TestAboutDialog::silentWhenSoundsAreDisabled() {
    AboutDialog form(nullptr, shippedMusic(), true);
    form.show();
    QTRY_VERIFY(credits(form)->isScrolling());
    QVERIFY(!form.isMusicPlaying());
    QVERIFY(!player_.isMusicPlaying());
    QVERIFY(MessageBox::shown().isEmpty());
}

void TestAboutDialog::musicAndCreditsStopWhenTheBoxCloses_data() {
    QTest::addColumn<QString>("closeBy");
    QTest::newRow("OK button") << "ok";
    QTest::newRow("Enter") << "enter";
    QTest::newRow("Esc") << "escape";
    QTest::newRow("close box") << "close";
    QTest::newRow("destroyed while shown") << "destroy";
}

void TestAboutDialog::musicAndCreditsStopWhenTheBoxCloses() {
    QFETCH(QString, closeBy);
    auto form = std::make_unique<AboutDialog>(nullptr, shippedMusic(), false);
    form->show();
    QTRY_VERIFY(form->isMusicPlaying());
    QVERIFY(player_.isMusicPlaying());
    QVERIFY(MessageBox::shown().isEmpty());
    // The credits move by the marquee's own timer.
    QTRY_VERIFY(credits(*form)->scrollOffset() >= 6);

    QPointer<nomix::Marquee> marquee = credits(*form);
    if (closeBy == QLatin1String("ok")) {
        QTest::mouseClick(closeButton(*form), Qt::LeftButton);
    } else if (closeBy == QLatin1String("enter")) {
        QTest::keyClick(form.get(), Qt::Key_Return);
    } else if (closeBy == QLatin1String("escape")) {
        QTest::keyClick(form.get(), Qt::Key_Escape);
    } else if (closeBy == QLatin1String("close")) {
        QVERIFY(form->close());
    } else {
        form.reset();
    }
    // At once, not after some event processing.
    QVERIFY(!player_.isMusicPlaying());
    if (form) {
        QVERIFY(!form->isVisible());
        QVERIFY(!form->isMusicPlaying());
        QVERIFY(!marquee->isScrolling());
    } else {
        QVERIFY(!marquee);
    }
}

// The synthesiser reports an end a few seconds after the last note, so this
// waits that long once.
void TestAboutDialog::musicStartsOverAfterACompletePlay() {
    const QString shortPiece = writeTemp(QStringLiteral("note.mid"), oneNoteMidi(100));
    AboutDialog form(nullptr, shortPiece, false);
    form.show();
    QTRY_VERIFY(form.isMusicPlaying());
    // Created after the box's own connection, so the box has reacted when
    // the spy sees the end.
    QSignalSpy finished(&player_, &SoundPlayer::musicFinished);
    QVERIFY(finished.wait(20000));
    QVERIFY(form.isMusicPlaying());
    QVERIFY(player_.isMusicPlaying());
    form.accept();
    QVERIFY(!player_.isMusicPlaying());
}

void TestAboutDialog::aTooShortPlayIsNotRepeated() {
    const QString emptyPiece = writeTemp(QStringLiteral("empty.mid"), emptyMidi());
    AboutDialog form(nullptr, emptyPiece, false);
    // The synthesiser takes about two seconds even for this, so the limit
    // goes above that.
    form.setShortestRepeatedPlayMs(10000);
    form.show();
    QTRY_VERIFY(form.isMusicPlaying());
    QSignalSpy finished(&player_, &SoundPlayer::musicFinished);
    QVERIFY(finished.wait(10000));
    QVERIFY(!form.isMusicPlaying());
    QVERIFY(!player_.isMusicPlaying());
    QVERIFY(credits(form)->isScrolling());
    QVERIFY(MessageBox::shown().isEmpty());
}

void TestAboutDialog::reopeningStartsOver() {
    AboutDialog form(nullptr, shippedMusic(), false);
    form.show();
    QTRY_VERIFY(form.isMusicPlaying());
    QTRY_VERIFY(credits(form)->scrollOffset() >= 30);
    const int reached = credits(form)->scrollOffset();
    form.hide();
    QVERIFY(!player_.isMusicPlaying());

    form.show();
    QTRY_VERIFY(credits(form)->isScrolling());
    QVERIFY(credits(form)->scrollOffset() < reached);
    QVERIFY(form.isMusicPlaying());
    QVERIFY(player_.isMusicPlaying());
    QVERIFY(MessageBox::shown().isEmpty());
}

void TestAboutDialog::silentWithoutMessageWhenTheFileIsMissing_data() {
    QTest::addColumn<QString>("musicPath");
    QTest::newRow("no such file") << dir_.filePath(QStringLiteral("ABOUT.MID"));
    QTest::newRow("folder of that name") << dir_.path();
    QTest::newRow("no path at all") << QString();
}

void TestAboutDialog::silentWithoutMessageWhenTheFileIsMissing() {
    QFETCH(QString, musicPath);
    AboutDialog form(nullptr, musicPath, false);
    form.show();
    QTRY_VERIFY(credits(form)->isScrolling());
    QCoreApplication::processEvents();
    QVERIFY(!form.isMusicPlaying());
    QVERIFY(!player_.isMusicPlaying());
    QVERIFY(MessageBox::shown().isEmpty());
}

void TestAboutDialog::unplayableMusicIsReportedOnce_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("deviceFails");
    QTest::newRow("not a MIDI file") << QByteArray("These are words, not notes.") << false;
    QTest::newRow("MIDI header only")
        << QByteArray::fromHex("4d546864000000060000000101e0") << false;
    QTest::newRow("no audio device") << oneNoteMidi(100) << true;
}

void TestAboutDialog::unplayableMusicIsReportedOnce() {
    QFETCH(QByteArray, content);
    QFETCH(bool, deviceFails);
    const QString path = writeTemp(QStringLiteral("ABOUT.MID"), content);
    if (deviceFails) {
        qputenv("SDL_AUDIODRIVER", "no-such-audio-driver");
        player_.shutdown();
    }
    AboutDialog form(nullptr, path, false);
    form.show();
    QTRY_COMPARE(MessageBox::shown().size(), 1);
    const QString reason = player_.lastError();
    if (deviceFails) {
        useDummyDevice();
    }
    const MessageBox::Shown report = MessageBox::shown().first();
    QCOMPARE(report.kind, MessageBox::Error);
    QCOMPARE(report.caption, QCoreApplication::applicationName());
    QVERIFY(!reason.isEmpty());
    QCOMPARE(report.text, reason + QLatin1Char('.'));
    if (content.startsWith("These")) {
        QCOMPARE(report.text, QStringLiteral("Not a MIDI file."));
    }

    // The box stays open and scrolling, without music.
    QVERIFY(form.isVisible());
    QVERIFY(credits(form)->isScrolling());
    QVERIFY(!form.isMusicPlaying());
    QVERIFY(!player_.isMusicPlaying());

    // Coming back to the box from the error box, or from another window,
    // does not try again, which would report the same error without end.
    for (QEvent::Type type : {QEvent::WindowDeactivate, QEvent::WindowActivate}) {
        QEvent activation(type);
        QApplication::sendEvent(&form, &activation);
    }
    form.activateWindow();
    QCoreApplication::processEvents();
    QCOMPARE(MessageBox::shown().size(), 1);
}

void TestAboutDialog::showAboutIsModalAndCentred() {
    QWidget mainWindow;
    mainWindow.setGeometry(100, 80, 630, 476);
    mainWindow.show();
    QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
    QRect placed;
    QString title;
    dialogtest::ModalOutcome outcome;
    dialogtest::whenModalShown(&outcome, [&](QDialog* dialog) {
        auto* about = qobject_cast<AboutDialog*>(dialog);
        QVERIFY(about);
        title = about->windowTitle();
        placed = about->frameGeometry();
        QTest::mouseClick(closeButton(*about), Qt::LeftButton);
    });
    // Should the driver miss the box, this closes it and the test fails
    // instead of waiting for ever.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, this, [] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* about = qobject_cast<AboutDialog*>(window)) {
                about->reject();
            }
        }
    });
    watchdog.start(10000);
    AboutDialog::showAbout(&mainWindow, true);
    QVERIFY(outcome.appeared);
    QVERIFY(outcome.closedByAction);
    QCOMPARE(title, QStringLiteral("About Nomix95"));
    // Placed before the window system adds its frame, so off by at most the
    // frame's width.
    const QPoint offCentre = placed.center() - mainWindow.frameGeometry().center();
    QVERIFY2(qAbs(offCentre.x()) <= 10 && qAbs(offCentre.y()) <= 10,
             qPrintable(QStringLiteral("%1, %2").arg(offCentre.x()).arg(offCentre.y())));
    // Destroyed when it closes.
    QVERIFY(mainWindow.findChildren<AboutDialog*>().isEmpty());
    QVERIFY(!player_.isMusicPlaying());
}

// Substitute fonts are wider than the designed ones: a caption that does not
// fit wraps and loses its second line, a credit line is cut at the sides.
void TestAboutDialog::captionsAndCreditsFitTheirRoom() {
    AboutDialog form(nullptr, QString(), true);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTRY_VERIFY(credits(form)->isScrolling());
    QCOMPARE(form.size(), QSize(405, 223));

    const QRect paper = form.findChild<nomix::TiledBackground*>("paper")->geometry();
    for (const char* name : {"nameLabel", "noticeLabel"}) {
        const auto* label = form.findChild<nomix::EmbossedLabel*>(name);
        QVERIFY2(label, name);
        const QFontMetrics metrics(label->font());
        const QRect text = metrics.boundingRect(label->text());
        QVERIFY2(text.width() <= label->width(), qPrintable(label->objectName()));
        QVERIFY2(metrics.height() <= label->height(), qPrintable(label->objectName()));
        QVERIFY2(paper.contains(label->geometry()), qPrintable(label->objectName()));
        QVERIFY2(!label->geometry().intersects(closeButton(form)->geometry()),
                 qPrintable(label->objectName()));
    }
    QVERIFY(paper.contains(closeButton(form)->geometry()));

    const QStringList lines = credits(form)->lines();
    QCOMPARE(lines.first(), QStringLiteral("Nomix95 1.1 for Windows 95 / NT 4.0"));
    const QFontMetrics metrics(credits(form)->font());
    // Lines are laid out between the bevel and twice the bevel short of the
    // right edge.
    const int room = credits(form)->width() - 3 * credits(form)->bevelWidth();
    for (const QString& line : lines) {
        QVERIFY2(metrics.horizontalAdvance(line) <= room, qPrintable(line));
    }

    QTRY_VERIFY(credits(form)->scrollOffset() >= 150);
    QVERIFY(form.grab().save(QStringLiteral("/tmp/about.png")));
}

void TestAboutDialog::paperIsALightTileOfAtMost256Colours() {
    const QImage paper = nomix::aboutPaperTexture();
    QCOMPARE(paper.size(), QSize(80, 80));
    QVERIFY(paper.colorCount() > 1);
    QVERIFY(paper.colorCount() <= 256);
    // Drawn from a fixed seed: the same picture on every run.
    QCOMPARE(nomix::aboutPaperTexture(), paper);
    int darkest = 255;
    for (int y = 0; y < paper.height(); ++y) {
        for (int x = 0; x < paper.width(); ++x) {
            darkest = qMin(darkest, paper.pixelColor(x, y).lightness());
        }
    }
    // The maroon and navy captions need a light ground everywhere.
    QVERIFY2(darkest >= 200, qPrintable(QString::number(darkest)));
}

QTEST_MAIN(TestAboutDialog)
#include "tst_aboutdialog.moc"
