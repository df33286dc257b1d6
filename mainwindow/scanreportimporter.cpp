// SPDX-License-Identifier: MIT
#include "scanreportimporter.h"

#include "core/bytecount.h"
#include "core/database.h"
#include "core/import/scanreports.h"
#include "platform/filedialog.h"
#include "platform/messagebox.h"
#include "platform/programdata.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>
#include <QScopeGuard>

#include <algorithm>
#include <optional>

namespace nomix {

namespace {

constexpr qint64 kChunk = 1 << 20;
constexpr int kProgressSteps = 1000;
constexpr int kSkipsShown = 10;
const QString kDatabaseFileName = QString::fromLatin1(kNameDatabaseFileName);

// Where a new database goes unless the user picks another place: a folder of
// their own, made on first use, never the installed sample's.
QString defaultTargetFolder() {
    const QString folder = QDir::home().filePath(QStringLiteral("Nomix95 data"));
    QDir().mkpath(folder);
    return folder;
}

bool isSameFolder(const QString& a, const QString& b) {
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    return !canonicalA.isEmpty() && canonicalA == QFileInfo(b).canonicalFilePath();
}

// The number of samples in `folder`'s name database, one a line; nothing when
// the folder holds none. A database that an import wrote says it in its
// record; only another one is counted line by line.
std::optional<size_t> existingSampleCount(const QString& folder) {
    QFile file(QDir(folder).filePath(kDatabaseFileName));
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    if (const std::optional<size_t> recorded = recordedSampleCount(folder.toStdString())) {
        return recorded;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    size_t lines = 0;
    char last = '\n';
    QByteArray chunk;
    while (!(chunk = file.read(kChunk)).isEmpty()) {
        lines += countByte(chunk.constData(), size_t(chunk.size()), '\n');
        last = chunk.back();
    }
    return last == '\n' ? lines : lines + 1;
}

// Asks for the folder of the new database until the user picks one that may
// be written, or cancels (an empty text). A folder that holds a database is
// replaced only when the user says so.
QString chooseTargetFolder(QWidget* parent) {
    const QString start = defaultTargetFolder();
    const QString sample = programDataPath(QStringLiteral("sample"));
    for (;;) {
        const QString folder = FileDialog::getExistingDirectory(
            parent, ScanReportImporter::tr("Folder for the new database"), start);
        if (folder.isEmpty()) {
            return {};
        }
        if (isSameFolder(folder, sample)) {
            MessageBox::error(
                parent, ScanReportImporter::tr("%1 holds the sample database that comes with "
                                               "Nomix95, which stays as it is.\rPlease, choose "
                                               "another folder for the new database.")
                            .arg(QDir::toNativeSeparators(folder)));
            continue;
        }
        const std::optional<size_t> samples = existingSampleCount(folder);
        if (!samples) {
            return folder;
        }
        const QString question =
            ScanReportImporter::tr("%1 already holds a name database (%2 samples). Replace it?")
                .arg(QDir::toNativeSeparators(folder))
                .arg(*samples);
        if (MessageBox::show(parent, MessageBox::Warning, ScanReportImporter::tr("Warning"),
                             question, MessageBox::Yes | MessageBox::No,
                             MessageBox::No) == MessageBox::Yes) {
            return folder;
        }
    }
}

} // namespace

ScanReportImporter::ScanReportImporter(QWidget* parent) : m_parent(parent) {}

QString ScanReportImporter::chooseAndImport(QWidget* parent, const QString& directory) {
    const QStringList files = FileDialog::getOpenFileNames(
        parent, ScanReportImporter::tr("Import scan reports"), directory,
        ScanReportImporter::tr(
            "Scan reports (*.json *.jsonl *.ndjson *.gz *.zst *.bz2);;All files (*)"));
    if (files.isEmpty()) {
        return {};
    }
    const QString folder = chooseTargetFolder(parent);
    if (folder.isEmpty()) {
        return {};
    }
    ScanReportImporter importer(parent);
    if (importer.run(files, folder) != Outcome::Written) {
        return {};
    }
    const QString question =
        ScanReportImporter::tr("The database in %1 holds %2 samples.\rUse it now?")
            .arg(folder)
            .arg(importer.sampleCount());
    if (MessageBox::show(parent, MessageBox::Information, ScanReportImporter::tr("Information"),
                         question, MessageBox::Yes | MessageBox::No) != MessageBox::Yes) {
        return {};
    }
    return folder;
}

ScanReportImporter::Outcome ScanReportImporter::run(const QStringList& files,
                                                    const QString& folder) {
    ImportRequest request;
    request.folder = folder.toStdString();
    m_totalBytes = 0;
    for (const QString& file : files) {
        m_totalBytes += QFileInfo(file).size();
        request.files.push_back(file.toStdString());
    }
    QProgressDialog progress(tr("Importing scan reports..."), tr("Cancel"), 0, kProgressSteps,
                             m_parent);
    progress.setObjectName(QStringLiteral("ImportProgress"));
    progress.setWindowTitle(tr("Import scan reports"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setValue(0);
    m_progress = &progress;
    const auto forgetProgress = qScopeGuard([this] { m_progress = nullptr; });
    m_skips.clear();

    ImportSummary summary;
    try {
        summary = importScanReports(request, *this);
    } catch (const ImportStopped&) {
        return Outcome::Cancelled;
    } catch (const std::exception& failure) {
        MessageBox::reportException(m_parent, QString::fromStdString(failure.what()));
        return Outcome::Failed;
    }
    m_samples = summary.samples;
    if (!summary.written) {
        QString message = tr("No scan report was found; nothing was written.");
        if (summary.skippedLines > 0) {
            message += tr("\r%1 lines held no scan report:\r%2")
                           .arg(summary.skippedLines)
                           .arg(m_skips.join(QLatin1Char('\r')));
        }
        MessageBox::error(m_parent, message);
        return Outcome::Failed;
    }
    if (summary.skippedLines > 0) {
        MessageBox::show(m_parent, MessageBox::Warning, tr("Warning"),
                         tr("%1 lines held no scan report and were skipped:\r%2")
                             .arg(summary.skippedLines)
                             .arg(m_skips.join(QLatin1Char('\r'))),
                         MessageBox::Ok);
    }
    return Outcome::Written;
}

// Setting the value of a modal progress window lets the user press Cancel in
// between.
void ScanReportImporter::progressed(uint64_t bytesRead, size_t) {
    const qint64 done = static_cast<qint64>(bytesRead);
    m_progress->setValue(m_totalBytes > 0 ? static_cast<int>(std::min(done, m_totalBytes) *
                                                             kProgressSteps / m_totalBytes)
                                          : 0);
}

bool ScanReportImporter::stopRequested() {
    return m_progress->wasCanceled();
}

void ScanReportImporter::lineSkipped(const std::string& file, size_t line,
                                     const std::string& reason) {
    if (m_skips.size() < kSkipsShown) {
        m_skips << QStringLiteral("%1:%2: %3")
                       .arg(QString::fromStdString(file))
                       .arg(line)
                       .arg(QString::fromStdString(reason));
    }
}

} // namespace nomix
