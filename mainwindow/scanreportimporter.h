// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

#include <cstddef>

class QWidget;

namespace nomix {

// The File menu's import: reads the chosen scan reports with a progress
// window the user can cancel, and writes the product table and name database
// into the chosen folder. Nothing in the folder changes unless the new pair
// is written whole. Errors and skipped lines are shown to the user here.
class ScanReportImporter {
  public:
    enum class Outcome { Written, Cancelled, Failed };

    explicit ScanReportImporter(QWidget* parent);

    // The whole import as the File menu offers it: asks for the reports
    // (starting in `directory`) and the folder for the new database (starting
    // in a folder of the user's own, and asking before it replaces a
    // database), imports them and asks whether to use the new database now.
    // Returns its folder when the user wants it, otherwise an empty text.
    static QString chooseAndImport(QWidget* parent, const QString& directory);

    Outcome run(const QStringList& files, const QString& folder);
    size_t sampleCount() const { return m_samples; }

  private:
    QWidget* m_parent;
    size_t m_samples = 0;
};

} // namespace nomix
