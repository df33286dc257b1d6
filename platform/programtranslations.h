// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QTranslator>

class QLocale;

namespace nomix {

// The program's texts, and Qt's own (its dialogs' buttons), in the user's
// language when a translation for it is installed; the English of the code
// otherwise. Translations stay in use while this object lives.
class ProgramTranslations {
  public:
    ProgramTranslations() = default;
    ~ProgramTranslations();
    ProgramTranslations(const ProgramTranslations&) = delete;
    ProgramTranslations& operator=(const ProgramTranslations&) = delete;

    // Installs the translations for `locale`: the program's from `folder`
    // (nomix95_<language>.qm), Qt's from its own translations folder.
    // Returns whether the program's was found.
    bool install(const QLocale& locale, const QString& folder);

    // Where the running program's translations are installed or built.
    static QString defaultFolder();

  private:
    void remove();

    QTranslator m_program;
    QTranslator m_qt;
    bool m_programInstalled = false;
    bool m_qtInstalled = false;
};

} // namespace nomix
