// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

namespace nomix {

// The common open, save and folder dialogs, behind one door so tests can
// preset the answer. An empty answer means the user cancelled.
class FileDialog {
  public:
    static QString getOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                                   const QString& filter);
    // Several files; a preset answer holds them one a line.
    static QStringList getOpenFileNames(QWidget* parent, const QString& caption, const QString& dir,
                                        const QString& filter);
    // `selectedFilter`, when given, starts the dialog on that filter (if
    // set) and receives the one the user left chosen.
    static QString getSaveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                   const QString& filter, QString* selectedFilter = nullptr);
    static QString getExistingDirectory(QWidget* parent, const QString& caption,
                                        const QString& dir);

    // For tests: the next dialogs answer these (in order) without showing.
    static void presetAnswers(const QList<QString>& answers);
    // For tests: the filter the next answered save dialog reports as chosen;
    // without one, the dialog's starting filter (or the first of the list).
    static void presetSelectedFilter(const QString& filter);

    struct Asked {
        QString caption;
        QString dir;
        QString filter;
    };
    static const QList<Asked>& asked();
    static void clearAsked();
};

} // namespace nomix
