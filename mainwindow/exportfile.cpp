// SPDX-License-Identifier: MIT
#include "exportfile.h"

#include "platform/filedialog.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QInputDialog>
#include <QStringList>

namespace nomix {

namespace {

struct ExportType {
    const char* name;
    const char* filter;
    ResultFormat format;
};

// The first pattern of each filter gives the extension a bare name gets, so
// a translation keeps the patterns.
constexpr ExportType kExportTypes[] = {
    {QT_TRANSLATE_NOOP("nomix::ExportFile", "CSV"),
     QT_TRANSLATE_NOOP("nomix::ExportFile", "CSV (*.csv)"), ResultFormat::Csv},
    {QT_TRANSLATE_NOOP("nomix::ExportFile", "JSON"),
     QT_TRANSLATE_NOOP("nomix::ExportFile", "JSON (*.json)"), ResultFormat::Json},
    {QT_TRANSLATE_NOOP("nomix::ExportFile", "JSON Lines"),
     QT_TRANSLATE_NOOP("nomix::ExportFile", "JSON Lines (*.jsonl)"), ResultFormat::JsonLines},
    {QT_TRANSLATE_NOOP("nomix::ExportFile", "Tab-separated values"),
     QT_TRANSLATE_NOOP("nomix::ExportFile", "Tab-separated values (*.tsv *.txt)"),
     ResultFormat::Tsv},
};

QString translated(const char* text) {
    return QCoreApplication::translate("nomix::ExportFile", text);
}

QString exportFilters() {
    QStringList filters;
    for (const ExportType& type : kExportTypes) {
        filters << translated(type.filter);
    }
    filters << QCoreApplication::translate("nomix::ExportFile", "All files (*)");
    return filters.join(QStringLiteral(";;"));
}

// "virut" saved under "JSON (*.json)" becomes "virut.json"; a name that has
// an extension, or a filter without one ("*"), leaves the name alone.
QString withFilterExtension(const QString& fileName, const QString& filter) {
    if (!QFileInfo(fileName).suffix().isEmpty()) {
        return fileName;
    }
    const qsizetype star = filter.indexOf(QLatin1String("(*."));
    if (star < 0) {
        return fileName;
    }
    const qsizetype start = star + 2;
    qsizetype end = start;
    while (end < filter.size() && filter.at(end) != QLatin1Char(' ') &&
           filter.at(end) != QLatin1Char(')')) {
        ++end;
    }
    return fileName + filter.mid(start, end - start);
}

std::optional<ResultFormat> askExportFormat(QWidget* window, const QString& caption,
                                            const QString& fileName) {
    QStringList names;
    for (const ExportType& type : kExportTypes) {
        names << translated(type.name);
    }
    bool ok = false;
    const QString chosen =
        QInputDialog::getItem(window, caption,
                              QCoreApplication::translate("nomix::ExportFile", "Write %1 as:")
                                  .arg(QFileInfo(fileName).fileName()),
                              names, 0, false, &ok);
    for (const ExportType& type : kExportTypes) {
        if (ok && chosen == translated(type.name)) {
            return type.format;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<ExportFile> chooseExportFile(QWidget* window, const QString& caption,
                                           const QString& directory, QString* filter) {
    QString chosenFilter = *filter;
    QString fileName =
        FileDialog::getSaveFileName(window, caption, directory, exportFilters(), &chosenFilter);
    if (fileName.isEmpty()) {
        return std::nullopt;
    }
    *filter = chosenFilter;
    fileName = withFilterExtension(fileName, chosenFilter);
    std::optional<ResultFormat> format = resultFormatForFileName(fileName.toStdString());
    if (!format) {
        format = askExportFormat(window, caption, fileName);
        if (!format) {
            return std::nullopt;
        }
    }
    return ExportFile{fileName, *format};
}

} // namespace nomix
