// SPDX-License-Identifier: MIT
#include "reportsaver.h"

#include "existingreportdialog.h"
#include "saveprogresswindow.h"

#include "core/datafile.h"
#include "platform/displaytext.h"
#include "platform/filedialog.h"
#include "platform/messagebox.h"
#include "platform/windowplacement.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QScopeGuard>
#include <QWidget>

#include <memory>

namespace nomix {

namespace {

// Long enough between two runs of the event loop that the loop costs
// nothing, short enough that the windows repaint smoothly.
constexpr qint64 kEventSliceMs = 10;

// The save dialog keeps the last chosen file name from one save to the next.
QString& lastFileName() {
    static QString name;
    return name;
}

} // namespace

QString longTimeFormat(const QLocale& locale) {
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString result;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
        }
        if (quoted || c != QLatin1Char('t')) {
            result += c;
        }
    }
    return result.trimmed();
}

void saveResults(QWidget* mainWindow, const ReportInput& input) {
    ReportSaver saver(mainWindow, input);
    saver.run();
}

ReportSaver::ReportSaver(QWidget* mainWindow, const ReportInput& input)
    : m_mainWindow(mainWindow), m_input(input) {
    if (m_input.products) {
        for (const std::string& entry : m_input.products->entries) {
            m_productNames.push_back(splitProductEntry(entry).name);
        }
    }
}

// Runs from the menu command, so nothing may leave it: every error ends in
// the standard error report. The report shows once the window, the cursor
// and the file are back.
void ReportSaver::run() {
    if (!m_input.lines || !m_input.products || !m_input.selection) {
        return;
    }
    QString failure;
    try {
        askAndSave();
    } catch (const std::exception& error) {
        failure = MessageBox::errorText(error);
    }
    if (!failure.isEmpty()) {
        MessageBox::reportException(m_mainWindow, failure);
    }
}

bool ReportSaver::eventFilter(QObject* watched, QEvent* event) {
    // Closing the main window would free the data being written.
    if (watched == m_mainWindow && event->type() == QEvent::Close) {
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void ReportSaver::askAndSave() {
    const QString fileName = askFileName();
    if (fileName.isEmpty()) {
        return;
    }
    const std::string path = QFile::encodeName(fileName).toStdString();
    const std::optional<ReportOpenMode> mode = askOpenMode(path);
    if (!mode) {
        return;
    }
    save(path, *mode);
}

QString ReportSaver::askFileName() {
    QString startIn = m_input.commonDirectory;
    if (!lastFileName().isEmpty()) {
        startIn += QLatin1Char('/') + lastFileName();
    }
    QString chosen =
        FileDialog::getSaveFileName(m_mainWindow, tr("Save a log of search results"), startIn,
                                    tr("Nomix report file (*.nrp);;All files (*)"));
    if (chosen.isEmpty()) {
        return chosen;
    }
    // A new name typed without an extension is a report all the same, and
    // whatever opens reports by their extension must find it one. A file
    // that exists under the name as typed is the one the user chose.
    if (QFileInfo(chosen).suffix().isEmpty() && !QFileInfo::exists(chosen)) {
        chosen +=
            chosen.endsWith(QLatin1Char('.')) ? QStringLiteral("nrp") : QStringLiteral(".nrp");
    }
    lastFileName() = QFileInfo(chosen).fileName();
    return chosen;
}

std::optional<ReportOpenMode> ReportSaver::askOpenMode(const std::string& path) {
    if (!fileExists(path)) {
        return ReportOpenMode::Create;
    }
    ExistingReportDialog dialog(m_mainWindow);
    centerOnMainWindow(&dialog, m_mainWindow);
    switch (static_cast<ExistingReportDialog::Choice>(dialog.exec())) {
    case ExistingReportDialog::Choice::Append:
        return ReportOpenMode::Append;
    case ExistingReportDialog::Choice::Overwrite:
        return ReportOpenMode::Overwrite;
    case ExistingReportDialog::Choice::Cancel:
        break;
    }
    return std::nullopt;
}

void ReportSaver::save(const std::string& path, ReportOpenMode mode) {
    ReportFile file(path, mode);
    m_mainWindow->repaint();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    showStatus(tr("Saving report file, please wait..."));
    ReportWriter writer(file);
    writer.writeHeader(header());
    writeRowsWithProgress(writer);
    file.commit();
}

void ReportSaver::writeRowsWithProgress(ReportWriter& writer) {
    lockMainWindow();
    const auto unlock = qScopeGuard([this] { unlockMainWindow(); });
    // Created after the main window is disabled, so it is not disabled along
    // with it; destroyed before the main window is enabled again.
    auto progressWindow = std::make_unique<SaveProgressWindow>(m_mainWindow);
    centerOnMainWindow(progressWindow.get(), m_mainWindow);
    progressWindow->show();
    QCoreApplication::processEvents();

    QElapsedTimer slice;
    slice.start();
    const ReportRows rows{*m_input.lines, m_input.resultList, m_productNames, *m_input.selection};
    writer.writeRows(rows, [&](int percent) {
        progressWindow->setProgress(percent);
        if (slice.elapsed() >= kEventSliceMs) {
            QCoreApplication::processEvents();
            slice.restart();
        }
    });
    writer.flush();
}

void ReportSaver::lockMainWindow() {
    m_mainWindow->setEnabled(false);
    m_mainWindow->installEventFilter(this);
}

void ReportSaver::unlockMainWindow() {
    m_mainWindow->removeEventFilter(this);
    m_mainWindow->setEnabled(true);
}

void ReportSaver::showStatus(const QString& text) const {
    if (m_input.showStatus) {
        m_input.showStatus(text);
    }
}

ReportHeader ReportSaver::header() const {
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    ReportHeader header;
    header.date = dataBytes(locale.toString(now.date(), QLocale::ShortFormat));
    header.time = dataBytes(locale.toString(now.time(), longTimeFormat(locale)));
    header.searchText = dataBytes(m_input.searchText);
    header.hitCount = m_input.hitCount;
    return header;
}

// The report's text is the database's bytes; what the program adds is
// encoded the same way, so the file has one character set.
std::string ReportSaver::dataBytes(const QString& text) const {
    return nomix::dataBytes(text, m_input.dataIsUtf8);
}

} // namespace nomix
