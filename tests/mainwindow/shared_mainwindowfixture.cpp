// SPDX-License-Identifier: MIT
#include "shared_mainwindowfixture.h"

#include "bench/settingsfile.h"

#include <QFile>

MainWindowFixture::MainWindowFixture() {
    ok_ = config_.isValid() && data_.isValid();
    qputenv("XDG_CONFIG_HOME", config_.path().toLocal8Bit());
    // Folders the program makes in the user's home land here.
    qputenv("HOME", config_.path().toLocal8Bit());
    for (const char* name : {"NOMIX.CFG", "NOMIX.DAT"}) {
        ok_ = ok_ && QFile::copy(QStringLiteral(NOMIX_SAMPLE_DIR "/") + QLatin1String(name),
                                 data_.filePath(QLatin1String(name)));
    }
}

QString MainWindowFixture::settingsFile() const {
    return config_.filePath(QStringLiteral("Talvora/Nomix95.reg"));
}

void MainWindowFixture::writeSettings(const QString& dataDir) const {
    nomix::writeSettingsFile(settingsFile().toStdString(),
                             nomix::unattendedSettings(dataDir.toStdString()));
}
