// SPDX-License-Identifier: MIT
#include "programtranslations.h"

#include "datafolder.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>

namespace nomix {

ProgramTranslations::~ProgramTranslations() {
    remove();
}

bool ProgramTranslations::install(const QLocale& locale, const QString& folder) {
    remove();
    // The translator installed last is asked first; the two never share a
    // context, so the order does not matter.
    m_qtInstalled = m_qt.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                              QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
                    QCoreApplication::installTranslator(&m_qt);
    m_programInstalled =
        m_program.load(locale, QStringLiteral("nomix95"), QStringLiteral("_"), folder) &&
        QCoreApplication::installTranslator(&m_program);
    return m_programInstalled;
}

QString ProgramTranslations::defaultFolder() {
    const std::string programDir =
        QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
    return QFile::decodeName(translationsFolder(programDir).c_str());
}

void ProgramTranslations::remove() {
    if (m_programInstalled) {
        QCoreApplication::removeTranslator(&m_program);
        m_programInstalled = false;
    }
    if (m_qtInstalled) {
        QCoreApplication::removeTranslator(&m_qt);
        m_qtInstalled = false;
    }
}

} // namespace nomix
