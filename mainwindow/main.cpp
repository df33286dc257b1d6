// Nomix95: what every antivirus product calls the same virus.

#include "mainwindow.h"

#include "platform/terminationsignals.h"

#include <QApplication>

#include <csignal>

int main(int argc, char* argv[]) {
    // A full disk or a file-size limit must show "Disk full", not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Nomix95"));
    // No display name: X11 would append it to every window's caption.
    QApplication::setApplicationVersion(QStringLiteral("1.1"));
    nomix::MainWindow form;
    form.start();
    // A logout, a service manager or Ctrl+C closes the program as Exit does.
    nomix::TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &nomix::TerminationSignals::received, &form,
                     &nomix::MainWindow::endSession);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &form,
                     &nomix::MainWindow::commitSessionData);
    return app.exec();
}
