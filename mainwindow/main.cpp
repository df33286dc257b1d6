// Nomix95: what every antivirus product calls the same virus.

#include "tmainform.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Nomix95"));
    QApplication::setApplicationDisplayName(QStringLiteral("Nomix95 - by the Nomix95 developers"));
    QApplication::setApplicationVersion(QStringLiteral("1.1"));
    nomix::TMainForm form;
    form.FormCreate();
    return app.exec();
}
