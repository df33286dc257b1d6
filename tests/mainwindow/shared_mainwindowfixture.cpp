// SPDX-License-Identifier: MIT
#include "shared_mainwindowfixture.h"

#include <QDir>
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

void MainWindowFixture::writeSettings(const QString& dataDir, const QString& extraOptions) const {
    QDir().mkpath(config_.filePath(QStringLiteral("Talvora")));
    QFile file(settingsFile());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return;
    }
    QString text = QStringLiteral(
        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Talvora\\Nomix\\1.1\\Options]\r\n"
        "\"DataPath\"=\"%1\"\r\n\"DataName\"=\"NOMIX.DAT\"\r\n\"ConfigName\"=\"NOMIX.CFG\"\r\n"
        "\"ShowNumericOnly\"=dword:00000000\r\n\"ShowBitmaps\"=dword:00000001\r\n"
        "\"UpdateItemCounter\"=dword:00000000\r\n\"StringMatch\"=dword:00000000\r\n"
        "\"ShowOtherProducts\"=dword:00000001\r\n\"SearchInBackground\"=dword:00000001\r\n"
        "\"AlarmDisabled\"=dword:00000001\r\n\"SoundsDisabled\"=dword:00000001\r\n"
        "\"LoadSelProducts\"=dword:00000000\r\n\"SaveSelectedOnly\"=dword:00000000\r\n"
        "\"MinimizeInTaskbar\"=dword:00000000\r\n\"ListDetails\"=dword:00000000\r\n"
        "\"LastSelection\"=dword:ffffffff\r\n%2\r\n");
    file.write(text.arg(dataDir, extraOptions).toUtf8());
}
