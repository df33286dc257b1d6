// SPDX-License-Identifier: MIT
#include "programdata.h"

#include "datafolder.h"

#include <QCoreApplication>
#include <QFile>

namespace nomix {

QString programDataPath(const QString& relativePath) {
    const std::string programDir =
        QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
    const QString folder = QFile::decodeName(programDataFolder(programDir).c_str());
    return relativePath.isEmpty() ? folder : folder + QLatin1Char('/') + relativePath;
}

} // namespace nomix
