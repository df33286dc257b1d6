// SPDX-License-Identifier: MIT
#pragma once

#include <QFileDialog>
#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>

class QWidget;

namespace nomix {

// The tree the dialog shows: the whole file system, or only the user's
// documents folder, which this desktop may not have.
enum class FolderRoot {
    FileSystem,
    Documents,
};

// Where the dialog opens: at openFolderPath(), or wherever the desktop's
// dialog opens by itself.
enum class OpenFolder {
    None,
    Path,
};

// What the dialog's signals carry: the dialog window, which event it is, and
// for a selection change the folder now selected.
struct BrowseMessage {
    static constexpr int Initialized = 1;
    static constexpr int SelectionChanged = 2;

    QWidget* dialog = nullptr; // valid only during the signal
    int message = 0;
    QString path;
};

// Lets the user pick a folder with the desktop's folder dialog and keeps
// the answer (display name and path) until the next run. It can open at a
// given path, keep the user inside the documents folder, show a status
// line, centre itself, and report a missing root folder as
// FolderDialogError or through errorOccurred().
//
// Cost: nothing between runs; during a run it watches the application's
// events to find the dialog window when it appears.
class FolderDialog : public QObject {
    Q_OBJECT

  public:
    // The dialog belongs to `owner`'s window when `owner` is a widget,
    // otherwise to the active window.
    explicit FolderDialog(QObject* owner = nullptr);

    // Whether the title shows statusText(); off by default.
    bool isStatusTextVisible() const { return m_statusTextVisible; }
    void setStatusTextVisible(bool visible) { m_statusTextVisible = visible; }

    bool isCentered() const { return m_centered; }
    void setCentered(bool centered) { m_centered = centered; }

    QString openFolderPath() const { return m_openFolderPath; }
    void setOpenFolderPath(const QString& path) { m_openFolderPath = path; }

    FolderRoot rootFolder() const { return m_rootFolder; }
    void setRootFolder(FolderRoot root) { m_rootFolder = root; }

    // Shown in the dialog's title while isStatusTextVisible(); a change while
    // the dialog is open shows at once.
    QString statusText() const { return m_statusText; }
    void setStatusText(const QString& text);

    QString title() const { return m_title; }
    void setTitle(const QString& title) { m_title = title; }

    OpenFolder openFolder() const { return m_openFolder; }
    void setOpenFolder(OpenFolder open) { m_openFolder = open; }

    // Runs the dialog; true when the user picked a folder. A missing root
    // folder throws FolderDialogError, unless errorOccurred is connected.
    bool exec();

    // The folder picked by the last successful run; both are emptied by a
    // cancelled one.
    QString displayName() const { return m_displayName; }
    QString selectedPath() const { return m_selectedPath; }

    // The folder a root stands for on this desktop; empty for the whole
    // file system.
    static QString rootFolderPath(FolderRoot root);

    // The dialog's title for a title and a status line.
    static QString dialogCaption(const QString& title, const QString& statusText);

  signals:
    void initialized(const nomix::BrowseMessage& message);
    void folderChosen(const QString& path);
    void selectionChanged(const nomix::BrowseMessage& message);
    void errorOccurred(int code);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::optional<QString> rootPath() const;
    QString startFolder(const QString& rootPath) const;
    bool failLookup();
    QString currentCaption() const;
    QWidget* ownerWindow() const;
    void dialogInitialized(QFileDialog* dialog);
    void centerOnScreen(QWidget* dialog) const;
    void keepInsideRoot(QFileDialog* dialog, const QString& directory);
    void takeAnswer(const QString& path);

    QString m_displayName;
    QString m_selectedPath;
    QString m_openFolderPath;
    QString m_title;
    QString m_statusText;
    bool m_centered = true;
    FolderRoot m_rootFolder = FolderRoot::FileSystem;
    bool m_statusTextVisible = false;
    OpenFolder m_openFolder = OpenFolder::None;
    QString m_runRootPath;
    QPointer<QFileDialog> m_dialog;
    bool m_running = false;
};

} // namespace nomix
