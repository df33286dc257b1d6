// SPDX-License-Identifier: MIT
// Nomix95: what every antivirus product calls the same virus.

#include "mainwindow.h"
#include "nomix95version.h"

#include "platform/captionfitter.h"
#include "platform/messagebox.h"
#include "platform/programtranslations.h"
#include "platform/singleinstance.h"
#include "platform/terminationsignals.h"

#include <QApplication>
#include <QLocale>

#include <csignal>

int main(int argc, char* argv[]) {
    // A full disk or a file-size limit must show "Disk full", not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Nomix95"));
    // No display name: X11 would append it to every window's caption.
    QApplication::setApplicationVersion(QString::fromLatin1(nomix::kShortVersion));
    // Before the first text is made: every window takes its texts when it is built.
    nomix::ProgramTranslations translations;
    translations.install(QLocale(), nomix::ProgramTranslations::defaultFolder());

    // A second copy would write its own settings over the first one's when
    // it closes: it brings the running copy forward instead.
    nomix::SingleInstance instance;
    switch (instance.claim()) {
    case nomix::SingleInstance::Claim::Claimed:
        break;
    case nomix::SingleInstance::Claim::OtherActivated:
        return 0;
    case nomix::SingleInstance::Claim::OtherUnreachable:
        nomix::MessageBox::error(
            nullptr,
            QCoreApplication::translate("main", "Nomix95 is already running, but does not answer."
                                                "\rClose it, then start Nomix95 again."));
        return 1;
    }

    // Dialogs narrower than their captions get room for them.
    nomix::CaptionFitter captionFitter;
    nomix::MainWindow form;
    // A knock during start-up is let go: the window comes up by itself.
    bool started = false;
    QObject::connect(&instance, &nomix::SingleInstance::activationRequested, &form,
                     [&form, &started] {
                         if (started) {
                             form.bringToFront();
                         }
                     });
    form.start();
    started = true;
    // A logout, a service manager or Ctrl+C closes the program as Exit does.
    nomix::TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &nomix::TerminationSignals::received, &form,
                     &nomix::MainWindow::endSession);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &form,
                     &nomix::MainWindow::commitSessionData);
    return app.exec();
}
