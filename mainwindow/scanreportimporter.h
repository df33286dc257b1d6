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

    Outcome run(const QStringList& files, const QString& folder);
    size_t sampleCount() const { return samples_; }

  private:
    QWidget* parent_;
    size_t samples_ = 0;
};

} // namespace nomix
