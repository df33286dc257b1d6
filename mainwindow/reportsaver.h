// SPDX-License-Identifier: MIT
#pragma once

#include "core/databaselines.h"
#include "core/productselection.h"
#include "core/producttable.h"
#include "core/reportfile.h"
#include "core/reportwriter.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

class QLocale;
class QWidget;

namespace nomix {

// What a report is made of, read by the main window at the moment of saving.
struct ReportInput {
    const DatabaseLines* lines = nullptr;           // the database's name lines
    std::span<const uint32_t> resultList;           // the lines found, in search order
    const ProductTable* products = nullptr;         // one entry per grid column
    const ProductSelection* selection = nullptr;    // the products written
    int32_t hitCount = 0;                           // hits of the last search
    QString searchText;                             // the search box's current text
    bool dataIsUtf8 = false;                        // how the database decodes
    QString commonDirectory;                        // where the database files are
    std::function<void(const QString&)> showStatus; // the status bar's hint, may be empty
};

// "&Save results...": asks for a file, asks whether to append or overwrite
// when it exists, and writes the report while a progress window shows and
// the main window is disabled. Errors end in the standard error report.
void saveResults(QWidget* mainWindow, const ReportInput& input);

// The locale's long time format without its time zone: hours, minutes,
// seconds and, on 12-hour systems, the AM/PM designator.
QString longTimeFormat(const QLocale& locale);

// Runs one save of the search result, from the choice of the file to its
// last byte. It exists to keep the user's old file safe and the program
// responsive whatever the disk does: the main window is locked against
// commands and closing while rows are written, the window keeps painting,
// and every exit path gives the window, the cursor and the file back. Lives
// for one save; costs the progress window and a 1 MiB buffer.
class ReportSaver : public QObject {
    Q_OBJECT

  public:
    ReportSaver(QWidget* mainWindow, const ReportInput& input);

    void run();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void askAndSave();
    QString askFileName();
    std::optional<ReportOpenMode> askOpenMode(const std::string& path);
    void save(const std::string& path, ReportOpenMode mode);
    void writeRowsWithProgress(ReportWriter& writer);
    void lockMainWindow();
    void unlockMainWindow();
    void showStatus(const QString& text) const;
    ReportHeader header() const;
    std::string dataBytes(const QString& text) const;

    QWidget* m_mainWindow;
    const ReportInput& m_input;
    std::vector<std::string> m_productNames;
};

} // namespace nomix
