#pragma once

#include <QFileDialog>
#include <QFlags>
#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

namespace nomix {

// Dialog options. Only bfStatusText changes anything here: every folder this
// desktop offers is a file-system folder, and there is no computer or
// printer browsing; the others are kept so callers can state their wishes.
enum BrowseFlag {
    bfReturnOnlyFSDirs = 0x0001,
    bfDontGoBelowDomain = 0x0002,
    bfStatusText = 0x0004,
    bfReturnFSAncestors = 0x0008,
    bfBrowseForComputer = 0x1000,
    bfBrowseForPrinter = 0x2000,
};
Q_DECLARE_FLAGS(TBrowseFlags, BrowseFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TBrowseFlags)

// The special folders the dialog can start at or be limited to.
enum RootFlags {
    rfDesktop,
    rfPrograms,
    rfControls,
    rfPrinters,
    rfPersonal,
    rfFavorites,
    rfStartup,
    rfRecent,
    rfSendTo,
    rfBitbucket,
    rfStartmenu,
    rfDesktopDirectory,
    rfDrives,
    rfNetwork,
    rfNethood,
    rfFonts,
    rfTemplates,
};

// The same special folders in the same order, then a folder given by path,
// then no initial folder at all.
enum OpenFlags {
    ofDesktop,
    ofPrograms,
    ofControls,
    ofPrinters,
    ofPersonal,
    ofFavorites,
    ofStartup,
    ofRecent,
    ofSendTo,
    ofBitbucket,
    ofStartmenu,
    ofDesktopDirectory,
    ofDrives,
    ofNetwork,
    ofNethood,
    ofFonts,
    ofTemplates,
    ofPath,
    ofNone,
};

// What the dialog events carry: the dialog window, which event it is, and
// for a selection change the folder now selected.
struct BrowseMessage {
    static constexpr int Initialized = 1;
    static constexpr int SelChanged = 2;

    QWidget* Wnd = nullptr; // valid only during the event
    int Msg = 0;
    QString Param;
};

// Lets the user pick a folder with the desktop's folder dialog and keeps
// the answer (display name and path) until the next run. It can open at a
// given path or special folder, keep the user inside a special folder,
// show a status line, centre itself, and report a missing special folder
// as FolderDialogError or through OnError.
//
// Cost: nothing between runs; during a run it watches the application's
// events to find the dialog window when it appears.
class FolderDialog : public QObject {
    Q_OBJECT

  public:
    // The dialog belongs to `owner`'s window when `owner` is a widget,
    // otherwise to the active window.
    explicit FolderDialog(QObject* owner = nullptr);

    TBrowseFlags BrowseFlags() const { return browseFlags_; }
    void SetBrowseFlags(TBrowseFlags flags) { browseFlags_ = flags; }

    bool Center() const { return center_; }
    void SetCenter(bool center) { center_ = center; }

    QString OpenFolderPath() const { return openFolderPath_; }
    void SetOpenFolderPath(const QString& path) { openFolderPath_ = path; }

    RootFlags RootFolder() const { return rootFolder_; }
    void SetRootFolder(RootFlags root) { rootFolder_ = root; }

    // Shown in the dialog's title while bfStatusText is set; a change while
    // the dialog is open shows at once.
    QString StatusText() const { return statusText_; }
    void SetStatusText(const QString& text);

    QString Title() const { return title_; }
    void SetTitle(const QString& title) { title_ = title; }

    OpenFlags OpenFolder() const { return openFolder_; }
    void SetOpenFolder(OpenFlags open) { openFolder_ = open; }

    // Runs the dialog; true when the user picked a folder. A missing
    // special folder throws FolderDialogError, unless OnError is connected.
    bool Execute();

    // The folder picked by the last successful run; both are emptied by a
    // cancelled one.
    QString DisplayName() const { return displayName_; }
    QString SelectedPath() const { return selectedPath_; }

    // The folder of a special folder on this desktop, or an empty text when
    // the desktop has none. (As the root, rfDesktop stands for the whole
    // file system instead.)
    static QString SpecialFolderPath(RootFlags folder);

    // The dialog's title for a title and a status line.
    static QString Caption(const QString& title, const QString& statusText);

  signals:
    void OnCreate(const nomix::BrowseMessage& msg);
    void OnReturn(const QString& path);
    void OnSelchanged(const nomix::BrowseMessage& msg);
    void OnError(int code);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool RunDialog();
    QString RootPath() const;
    QString StartFolder(const QString& rootPath) const;
    QString CurrentCaption() const;
    QWidget* OwnerWindow() const;
    void DialogInitialized(QFileDialog* dialog);
    void CenterOnScreen(QWidget* dialog) const;
    void KeepInsideRoot(QFileDialog* dialog, const QString& directory);
    void TakeAnswer(const QString& path);

    QString displayName_;
    QString selectedPath_;
    QString openFolderPath_;
    QString title_;
    QString statusText_;
    bool center_ = true;
    RootFlags rootFolder_ = rfDesktop;
    TBrowseFlags browseFlags_;
    OpenFlags openFolder_ = ofNone;
    QString runRootPath_;
    QPointer<QFileDialog> dialog_;
    bool running_ = false;
};

} // namespace nomix
