#include "scanreportimporter.h"

#include "core/import/scanreports.h"
#include "platform/filedialog.h"
#include "platform/messagebox.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>

#include <ctime>

namespace nomix {

namespace {

constexpr qint64 kChunk = 1 << 20;
constexpr int kProgressSteps = 1000;
constexpr int kSkipsShown = 10;

} // namespace

ScanReportImporter::ScanReportImporter(QWidget* parent) : m_parent(parent) {}

QString ScanReportImporter::chooseAndImport(QWidget* parent, const QString& directory) {
    const QStringList files = FileDialog::getOpenFileNames(
        parent, QStringLiteral("Import scan reports"), directory,
        QStringLiteral("Scan reports (*.json *.jsonl *.ndjson);;All files (*)"));
    if (files.isEmpty()) {
        return {};
    }
    const QString folder = FileDialog::getExistingDirectory(
        parent, QStringLiteral("Folder for the new database"), directory);
    if (folder.isEmpty()) {
        return {};
    }
    ScanReportImporter importer(parent);
    if (importer.run(files, folder) != Outcome::Written) {
        return {};
    }
    const QString question = QStringLiteral("The database in %1 holds %2 samples.\rUse it now?")
                                 .arg(folder)
                                 .arg(importer.sampleCount());
    if (MessageBox::show(parent, MessageBox::Information, QStringLiteral("Information"), question,
                         MessageBox::Yes | MessageBox::No) != MessageBox::Yes) {
        return {};
    }
    return folder;
}

ScanReportImporter::Outcome ScanReportImporter::run(const QStringList& files,
                                                    const QString& folder) {
    qint64 total = 0;
    for (const QString& file : files) {
        total += QFileInfo(file).size();
    }
    QProgressDialog progress(QStringLiteral("Importing scan reports..."), QStringLiteral("Cancel"),
                             0, kProgressSteps, m_parent);
    progress.setObjectName(QStringLiteral("ImportProgress"));
    progress.setWindowTitle(QStringLiteral("Import scan reports"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setValue(0);

    NameDatabaseBuilder builder;
    QStringList skips;
    size_t skipped = 0;
    qint64 done = 0;
    for (const QString& name : files) {
        QFile file(name);
        if (!file.open(QIODevice::ReadOnly)) {
            MessageBox::reportException(m_parent, name + QStringLiteral(": ") + file.errorString());
            return Outcome::Failed;
        }
        ScanReportReader reader([&builder](ScanReport&& report) { builder.add(std::move(report)); },
                                [&](size_t line, const std::string& reason) {
                                    ++skipped;
                                    if (skips.size() < kSkipsShown) {
                                        skips << QStringLiteral("%1:%2: %3")
                                                     .arg(name)
                                                     .arg(line)
                                                     .arg(QString::fromStdString(reason));
                                    }
                                });
        QByteArray chunk;
        while (!(chunk = file.read(kChunk)).isEmpty()) {
            reader.feed(std::string_view(chunk.constData(), size_t(chunk.size())));
            done += chunk.size();
            // Setting the value of a modal progress window lets the user
            // press Cancel in between.
            progress.setValue(total > 0 ? int(done * kProgressSteps / total) : 0);
            if (progress.wasCanceled()) {
                return Outcome::Cancelled;
            }
        }
        reader.finish();
    }
    progress.setValue(kProgressSteps);
    if (progress.wasCanceled()) {
        return Outcome::Cancelled;
    }
    m_samples = builder.sampleCount();
    if (m_samples == 0) {
        MessageBox::error(m_parent,
                          QStringLiteral("No scan report was found; nothing was written."));
        return Outcome::Failed;
    }
    std::string error;
    const std::string label = defaultImportLabel(m_samples, std::time(nullptr));
    if (!writeImportedDatabase(folder.toStdString(), builder, label, error)) {
        MessageBox::reportException(m_parent, QString::fromStdString(error));
        return Outcome::Failed;
    }
    if (skipped > 0) {
        MessageBox::show(m_parent, MessageBox::Warning, QStringLiteral("Warning"),
                         QStringLiteral("%1 lines held no scan report and were skipped:\r%2")
                             .arg(skipped)
                             .arg(skips.join(QLatin1Char('\r'))),
                         MessageBox::Ok);
    }
    return Outcome::Written;
}

} // namespace nomix
