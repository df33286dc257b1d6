// SPDX-License-Identifier: MIT
#pragma once

#include "core/import/importscanreports.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

class QProgressDialog;
class QWidget;

namespace nomix {

// The File menu's import: reads the chosen scan reports with a progress
// window the user can cancel, and writes the product table and name database
// into the chosen folder. Nothing in the folder changes unless the new pair
// is written whole. Errors and skipped lines are shown to the user here.
class ScanReportImporter : private ImportCallbacks {
    Q_DECLARE_TR_FUNCTIONS(nomix::ScanReportImporter)

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
    void progressed(uint64_t bytesRead, size_t samples) override;
    bool stopRequested() override;
    void lineSkipped(const std::string& file, size_t line, const std::string& reason) override;

    QWidget* m_parent;
    size_t m_samples = 0;
    QProgressDialog* m_progress = nullptr; // while run() runs
    qint64 m_totalBytes = 0;
    QStringList m_skips; // the first few skipped lines, as the user sees them
};

} // namespace nomix
