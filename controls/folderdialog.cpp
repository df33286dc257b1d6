#include "folderdialog.h"

#include "folderdialogerror.h"
#include "platform/filedialog.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMetaMethod>
#include <QScreen>
#include <QStandardPaths>

#include <cerrno>

namespace nomix {

namespace {

// The codes a failed folder lookup has always reported: a general failure,
// and "no such file" as the last error.
constexpr unsigned FailedLookupResult = 0x80004005;
constexpr unsigned FailedLookupLastError = ENOENT;

[[noreturn]] void throwShellFailure() {
    const QString message =
        QStringLiteral("OLE function call failed. HResult is 0x%1. GetLastError is 0x%2")
            .arg(FailedLookupResult, 0, 16)
            .arg(FailedLookupLastError, 0, 16);
    throw FolderDialogError(message.toStdString(), 1);
}

QString location(QStandardPaths::StandardLocation type) {
    return QStandardPaths::writableLocation(type);
}

QString appended(const QString& base, const QString& tail) {
    return base.isEmpty() ? QString() : base + tail;
}

bool isDirectory(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isDir();
}

bool isInside(const QString& path, const QString& root) {
    const QString cleanPath = QDir::cleanPath(path);
    const QString cleanRoot = QDir::cleanPath(root);
    if (cleanRoot == QStringLiteral("/")) {
        return true;
    }
    return cleanPath == cleanRoot || cleanPath.startsWith(cleanRoot + QLatin1Char('/'));
}

QString displayNameOf(const QString& path) {
    const QString clean = QDir::cleanPath(path);
    const QString name = QFileInfo(clean).fileName();
    return name.isEmpty() ? clean : name;
}

} // namespace

FolderDialog::FolderDialog(QObject* owner) : QObject(owner) {}

void FolderDialog::SetStatusText(const QString& text) {
    statusText_ = text;
    if (dialog_) {
        dialog_->setWindowTitle(CurrentCaption());
    }
}

bool FolderDialog::Execute() {
    try {
        return RunDialog();
    } catch (const FolderDialogError& error) {
        if (!isSignalConnected(QMetaMethod::fromSignal(&FolderDialog::OnError))) {
            throw;
        }
        emit OnError(error.Code());
        return false;
    }
}

// Folders this desktop does not have stay empty, and looking them up fails
// as a missing folder does.
QString FolderDialog::SpecialFolderPath(RootFlags folder) {
    switch (folder) {
    case rfDesktop:
    case rfDesktopDirectory:
        return location(QStandardPaths::DesktopLocation);
    case rfPrograms:
    case rfStartmenu:
        return location(QStandardPaths::ApplicationsLocation);
    case rfPersonal:
        return location(QStandardPaths::DocumentsLocation);
    case rfStartup:
        return appended(location(QStandardPaths::GenericConfigLocation), "/autostart");
    case rfBitbucket:
        return appended(location(QStandardPaths::GenericDataLocation), "/Trash/files");
    case rfDrives:
        return QStringLiteral("/");
    case rfFonts:
        return location(QStandardPaths::FontsLocation);
    case rfTemplates:
        return location(QStandardPaths::TemplatesLocation);
    case rfControls:
    case rfPrinters:
    case rfFavorites:
    case rfRecent:
    case rfSendTo:
    case rfNetwork:
    case rfNethood:
        break;
    }
    return QString();
}

QString FolderDialog::Caption(const QString& title, const QString& statusText) {
    if (statusText.isEmpty()) {
        return title;
    }
    if (title.isEmpty()) {
        return statusText;
    }
    return title + QStringLiteral(" - ") + statusText;
}

bool FolderDialog::eventFilter(QObject* watched, QEvent* event) {
    // The event type first: QPointer's test may touch an object being destroyed.
    if (event->type() == QEvent::Show && running_ && dialog_.isNull()) {
        if (auto* dialog = qobject_cast<QFileDialog*>(watched)) {
            DialogInitialized(dialog);
        }
    }
    return QObject::eventFilter(watched, event);
}

bool FolderDialog::RunDialog() {
    dialog_ = nullptr;
    runRootPath_ = RootPath();
    const QString startFolder = StartFolder(runRootPath_);

    running_ = true;
    qApp->installEventFilter(this);
    const QString answer =
        FileDialog::getExistingDirectory(OwnerWindow(), CurrentCaption(), startFolder);
    qApp->removeEventFilter(this);
    running_ = false;
    dialog_ = nullptr;

    TakeAnswer(answer);
    return !answer.isEmpty();
}

// The whole file system is the default tree; any other root must exist.
QString FolderDialog::RootPath() const {
    if (rootFolder_ == rfDesktop) {
        return QString();
    }
    const QString path = SpecialFolderPath(rootFolder_);
    if (!isDirectory(path)) {
        throwShellFailure();
    }
    return path;
}

// A path that is not an existing folder, or lies outside the root, is left
// to the dialog, which then starts at the root.
QString FolderDialog::StartFolder(const QString& rootPath) const {
    QString folder;
    if (openFolder_ == ofPath) {
        folder = isDirectory(openFolderPath_) ? openFolderPath_ : QString();
    } else if (openFolder_ != ofNone) {
        folder = SpecialFolderPath(static_cast<RootFlags>(openFolder_));
        if (!isDirectory(folder)) {
            throwShellFailure();
        }
    }
    if (folder.isEmpty() || (!rootPath.isEmpty() && !isInside(folder, rootPath))) {
        return rootPath;
    }
    return folder;
}

QString FolderDialog::CurrentCaption() const {
    const bool showStatus = browseFlags_.testFlag(bfStatusText);
    return Caption(title_, showStatus ? statusText_ : QString());
}

QWidget* FolderDialog::OwnerWindow() const {
    if (auto* widget = qobject_cast<QWidget*>(parent())) {
        return widget->window();
    }
    return QApplication::activeWindow();
}

void FolderDialog::DialogInitialized(QFileDialog* dialog) {
    dialog_ = dialog;
    if (center_) {
        CenterOnScreen(dialog);
    }
    if (!runRootPath_.isEmpty()) {
        connect(dialog, &QFileDialog::directoryEntered, this,
                [this, dialog](const QString& directory) { KeepInsideRoot(dialog, directory); });
    }
    connect(dialog, &QFileDialog::currentChanged, this, [this, dialog](const QString& path) {
        emit OnSelchanged({dialog, BrowseMessage::SelChanged, path});
    });
    emit OnCreate({dialog, BrowseMessage::Initialized, dialog->directory().absolutePath()});
}

void FolderDialog::CenterOnScreen(QWidget* dialog) const {
    const QScreen* screen = dialog->screen();
    if (!screen) {
        return;
    }
    const QRect area = screen->geometry();
    const QSize size = dialog->frameGeometry().size();
    dialog->move(area.x() + (area.width() - size.width()) / 2,
                 area.y() + (area.height() - size.height()) / 2);
}

void FolderDialog::KeepInsideRoot(QFileDialog* dialog, const QString& directory) {
    if (!isInside(directory, runRootPath_)) {
        dialog->setDirectory(runRootPath_);
    }
}

void FolderDialog::TakeAnswer(const QString& path) {
    displayName_.clear();
    selectedPath_.clear();
    if (path.isEmpty()) {
        return;
    }
    selectedPath_ = path;
    displayName_ = displayNameOf(path);
    emit OnReturn(path);
}

} // namespace nomix
