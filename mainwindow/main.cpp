// Nomix95: what every antivirus product calls the same virus.

#include "tmainform.h"

#include <QApplication>

#include <csignal>

int main(int argc, char* argv[]) {
    // A full disk or a file-size limit must show "Disk full", not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Nomix95"));
    QApplication::setApplicationDisplayName(QStringLiteral("Nomix95 - by the Nomix95 developers"));
    QApplication::setApplicationVersion(QStringLiteral("1.1"));
    nomix::TMainForm form;
    form.FormCreate();
    return app.exec();
}
