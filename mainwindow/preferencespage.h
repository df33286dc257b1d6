// SPDX-License-Identifier: MIT
#pragma once

#include "core/helptopic.h"
#include <QWidget>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace nomix {

class EmbossedLabel;
class FolderDialog;

// The "Preferences" page: where the database files are (the common
// directory, the name database's and the product table's file names, typed
// or chosen in a file dialog), the folder of the labelling rules the hits'
// families come from, the team database server searched instead of the
// files, and the button that opens the options.
class PreferencesPage : public QWidget {
    Q_OBJECT

  public:
    explicit PreferencesPage(QWidget* parent = nullptr);

    QString directory() const;
    QString databaseName() const;
    QString tableName() const;
    void setDirectory(const QString& directory);
    void setDatabaseName(const QString& name);
    void setTableName(const QString& name);
    // The folder of the user's own labelling rules; empty for the bundled ones.
    QString rulesFolder() const;
    void setRulesFolder(const QString& folder);
    // The team database's connection URL; empty to search the files.
    QString serverUrl() const;
    void setServerUrl(const QString& url);

    void setOptionsButtonEnabled(bool enabled);

    // Places the controls for a page control `pageWidth` wide.
    void layOut(int pageWidth);

  signals:
    void optionsClicked();
    // The user changed the rules folder (typed and left the box, or chose).
    void rulesFolderChanged();

  private:
    QLineEdit* addEdit(const char* name, const QString& hint);
    QToolButton* addSmallButton(const char* name, const QPixmap& glyph, const QString& hint);
    EmbossedLabel* addLabel(const char* name, const QString& caption, QWidget* buddy,
                            HelpTopic topic);
    void chooseDirectory();
    void chooseDatabaseFile();
    void chooseTableFile();
    void chooseRulesFolder();
    void noteRulesFolder();

    QGroupBox* m_group = nullptr;
    QLineEdit* m_directoryEdit = nullptr;
    QLineEdit* m_databaseEdit = nullptr;
    QLineEdit* m_tableEdit = nullptr;
    QLineEdit* m_rulesEdit = nullptr;
    QLineEdit* m_serverEdit = nullptr;
    QString m_rulesFolder;
    QToolButton* m_browseButton = nullptr;
    QToolButton* m_databaseButton = nullptr;
    QToolButton* m_tableButton = nullptr;
    QToolButton* m_rulesButton = nullptr;
    QPushButton* m_optionsButton = nullptr;
    EmbossedLabel* m_databaseLabel = nullptr;
    EmbossedLabel* m_tableLabel = nullptr;
    EmbossedLabel* m_rulesLabel = nullptr;
    EmbossedLabel* m_serverLabel = nullptr;
    FolderDialog* m_folderDialog = nullptr;
};

} // namespace nomix
