#pragma once

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
// or chosen in a file dialog) and the button that opens the options.
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

    void setOptionsButtonEnabled(bool enabled);

    // Places the controls for a page control `pageWidth` wide.
    void layOut(int pageWidth);

  signals:
    void optionsClicked();

  private:
    QLineEdit* addEdit(const char* name, const QString& hint);
    QToolButton* addSmallButton(const char* name, const QPixmap& glyph, const QString& hint);
    EmbossedLabel* addLabel(const char* name, const QString& caption, QWidget* buddy, int topic);
    void chooseDirectory();
    void chooseDatabaseFile();
    void chooseTableFile();

    QGroupBox* m_group = nullptr;
    QLineEdit* m_directoryEdit = nullptr;
    QLineEdit* m_databaseEdit = nullptr;
    QLineEdit* m_tableEdit = nullptr;
    QToolButton* m_browseButton = nullptr;
    QToolButton* m_databaseButton = nullptr;
    QToolButton* m_tableButton = nullptr;
    QPushButton* m_optionsButton = nullptr;
    EmbossedLabel* m_databaseLabel = nullptr;
    EmbossedLabel* m_tableLabel = nullptr;
    FolderDialog* m_folderDialog = nullptr;
};

} // namespace nomix
