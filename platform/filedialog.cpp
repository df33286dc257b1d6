// SPDX-License-Identifier: MIT
#include "filedialog.h"

#include <QFileDialog>

namespace nomix {

namespace {

QList<QString>& presets() {
    static QList<QString> queue;
    return queue;
}

QString& presetFilter() {
    static QString filter;
    return filter;
}

QList<FileDialog::Asked>& history() {
    static QList<FileDialog::Asked> list;
    return list;
}

bool takePreset(const QString& caption, const QString& dir, const QString& filter,
                QString* answer) {
    history().append({caption, dir, filter});
    if (presets().isEmpty()) {
        return false;
    }
    *answer = presets().takeFirst();
    return true;
}

} // namespace

QString FileDialog::getOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter) {
    QString answer;
    if (takePreset(caption, dir, filter, &answer)) {
        return answer;
    }
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QStringList FileDialog::getOpenFileNames(QWidget* parent, const QString& caption,
                                         const QString& dir, const QString& filter) {
    QString answer;
    if (takePreset(caption, dir, filter, &answer)) {
        return answer.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    return QFileDialog::getOpenFileNames(parent, caption, dir, filter);
}

QString FileDialog::getSaveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter, QString* selectedFilter) {
    QString answer;
    if (takePreset(caption, dir, filter, &answer)) {
        if (selectedFilter && !presetFilter().isEmpty()) {
            *selectedFilter = presetFilter();
        } else if (selectedFilter && selectedFilter->isEmpty()) {
            *selectedFilter = filter.section(QStringLiteral(";;"), 0, 0);
        }
        presetFilter().clear();
        return answer;
    }
    // The program asks itself whether to append or overwrite an existing file.
    return QFileDialog::getSaveFileName(parent, caption, dir, filter, selectedFilter,
                                        QFileDialog::DontConfirmOverwrite);
}

QString FileDialog::getExistingDirectory(QWidget* parent, const QString& caption,
                                         const QString& dir) {
    QString answer;
    if (takePreset(caption, dir, QString(), &answer)) {
        return answer;
    }
    return QFileDialog::getExistingDirectory(parent, caption, dir, QFileDialog::ShowDirsOnly);
}

void FileDialog::presetAnswers(const QList<QString>& answers) {
    presets() = answers;
}

void FileDialog::presetSelectedFilter(const QString& filter) {
    presetFilter() = filter;
}

const QList<FileDialog::Asked>& FileDialog::asked() {
    return history();
}

void FileDialog::clearAsked() {
    history().clear();
}

} // namespace nomix
