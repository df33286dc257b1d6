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
#include <QWidget>

#include <memory>

namespace nomix {

namespace {

// Long enough between two runs of the event loop that the loop costs
// nothing, short enough that the windows repaint smoothly.
constexpr qint64 kEventSliceMs = 10;

// The save dialog keeps the last chosen file name from one save to the next.
QString& LastFileName() {
    static QString name;
    return name;
}

} // namespace

QString LongTimeFormat(const QLocale& locale) {
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

void SaveResults(QWidget* mainWindow, const ReportInput& input) {
    ReportSaver saver(mainWindow, input);
    saver.run();
}

ReportSaver::ReportSaver(QWidget* mainWindow, const ReportInput& input)
    : mainWindow_(mainWindow), input_(input) {
    if (input_.products) {
        for (const std::string& entry : input_.products->entries) {
            productNames_.push_back(splitProductEntry(entry).name);
        }
    }
}

void ReportSaver::run() {
    if (!input_.lines || !input_.products || !input_.selection) {
        return;
    }
    const QString fileName = askFileName();
    if (fileName.isEmpty()) {
        return;
    }
    const std::string path = QFile::encodeName(fileName).toStdString();
    const std::optional<ReportOpenMode> mode = askOpenMode(path);
    if (!mode) {
        return;
    }
    // The message shows once the window, the cursor and the file are back.
    QString failure;
    try {
        save(path, *mode);
    } catch (const std::exception& error) {
        failure = MessageBox::errorText(error);
    }
    if (!failure.isEmpty()) {
        MessageBox::reportException(mainWindow_, failure);
    }
}

bool ReportSaver::eventFilter(QObject* watched, QEvent* event) {
    // Closing the main window would free the data being written.
    if (watched == mainWindow_ && event->type() == QEvent::Close) {
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

QString ReportSaver::askFileName() {
    QString startIn = input_.commonDirectory;
    if (!LastFileName().isEmpty()) {
        startIn += QLatin1Char('/') + LastFileName();
    }
    const QString chosen = FileDialog::getSaveFileName(
        mainWindow_, QStringLiteral("Save a log of search results"), startIn,
        QStringLiteral("Nomix report file (*.nrp);;All files (*)"));
    if (!chosen.isEmpty()) {
        LastFileName() = QFileInfo(chosen).fileName();
    }
    return chosen;
}

std::optional<ReportOpenMode> ReportSaver::askOpenMode(const std::string& path) {
    if (!fileExists(path)) {
        return ReportOpenMode::Create;
    }
    ExistingReportDialog form(mainWindow_);
    centerOnMainWindow(&form, mainWindow_);
    switch (form.exec()) {
    case ExistingReportDialog::mrAppend:
        return ReportOpenMode::Append;
    case ExistingReportDialog::mrOverwrite:
        return ReportOpenMode::Overwrite;
    default:
        return std::nullopt;
    }
}

void ReportSaver::save(const std::string& path, ReportOpenMode mode) {
    ReportFile file(path, mode);
    mainWindow_->repaint();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        showStatus(QStringLiteral("Saving report file, please wait..."));
        ReportWriter writer(file);
        writer.writeHeader(header());
        writeRowsWithProgress(writer);
        file.commit();
    } catch (...) {
        QApplication::restoreOverrideCursor();
        throw;
    }
    QApplication::restoreOverrideCursor();
}

void ReportSaver::writeRowsWithProgress(ReportWriter& writer) {
    lockMainWindow();
    try {
        writeRows(writer);
    } catch (...) {
        unlockMainWindow();
        throw;
    }
    unlockMainWindow();
}

void ReportSaver::writeRows(ReportWriter& writer) {
    // Created after the main window is disabled, so it is not disabled along
    // with it.
    auto form = std::make_unique<SaveProgressWindow>(mainWindow_);
    centerOnMainWindow(form.get(), mainWindow_);
    form->show();
    QCoreApplication::processEvents();

    QElapsedTimer slice;
    slice.start();
    const ReportRows rows{*input_.lines, input_.resultList, productNames_, *input_.selection};
    writer.writeRows(rows, [&](int percent) {
        form->setProgress(percent);
        if (slice.elapsed() >= kEventSliceMs) {
            QCoreApplication::processEvents();
            slice.restart();
        }
    });
    writer.flush();
}

void ReportSaver::lockMainWindow() {
    mainWindow_->setEnabled(false);
    mainWindow_->installEventFilter(this);
}

void ReportSaver::unlockMainWindow() {
    mainWindow_->removeEventFilter(this);
    mainWindow_->setEnabled(true);
}

void ReportSaver::showStatus(const QString& text) const {
    if (input_.showStatus) {
        input_.showStatus(text);
    }
}

ReportHeader ReportSaver::header() const {
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    ReportHeader header;
    header.date = dataBytes(locale.toString(now.date(), QLocale::ShortFormat));
    header.time = dataBytes(locale.toString(now.time(), LongTimeFormat(locale)));
    header.searchText = dataBytes(input_.searchText);
    header.hitCount = input_.hitCount;
    return header;
}

// The report's text is the database's bytes; what the program adds is
// encoded the same way, so the file has one character set.
std::string ReportSaver::dataBytes(const QString& text) const {
    return nomix::dataBytes(text, input_.dataIsUtf8);
}

} // namespace nomix
