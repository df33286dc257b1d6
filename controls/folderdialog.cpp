// SPDX-License-Identifier: MIT
#include "folderdialog.h"

#include "folderdialogerror.h"
#include "platform/filedialog.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMetaMethod>
#include <QScopeGuard>
#include <QScreen>
#include <QStandardPaths>

#include <cerrno>

namespace nomix {

namespace {

// The codes a failed folder lookup has always reported: a general failure,
// and "no such file" as the last error.
constexpr unsigned kFailedLookupResult = 0x80004005;
constexpr unsigned kFailedLookupLastError = ENOENT;

[[noreturn]] void throwShellFailure() {
    const QString message = QCoreApplication::translate(
                                "nomix::FolderDialog",
                                "OLE function call failed. HResult is 0x%1. GetLastError is 0x%2")
                                .arg(kFailedLookupResult, 0, 16)
                                .arg(kFailedLookupLastError, 0, 16);
    throw FolderDialogError(message.toStdString(), FolderDialogError::kLookupFailed);
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

void FolderDialog::setStatusText(const QString& text) {
    m_statusText = text;
    if (m_dialog) {
        m_dialog->setWindowTitle(currentCaption());
    }
}

bool FolderDialog::exec() {
    m_dialog = nullptr;
    const std::optional<QString> root = rootPath();
    if (!root) {
        return failLookup();
    }
    m_runRootPath = *root;

    QString answer;
    {
        m_running = true;
        qApp->installEventFilter(this);
        const auto endRun = qScopeGuard([this] {
            qApp->removeEventFilter(this);
            m_running = false;
            m_dialog = nullptr;
        });
        answer = FileDialog::getExistingDirectory(ownerWindow(), currentCaption(),
                                                  startFolder(m_runRootPath));
    }
    takeAnswer(answer);
    return !answer.isEmpty();
}

// A root folder this desktop does not have: the error signal when
// someone listens to it, the exception otherwise.
bool FolderDialog::failLookup() {
    if (!isSignalConnected(QMetaMethod::fromSignal(&FolderDialog::errorOccurred))) {
        throwShellFailure();
    }
    emit errorOccurred(FolderDialogError::kLookupFailed);
    return false;
}

QString FolderDialog::rootFolderPath(FolderRoot root) {
    switch (root) {
    case FolderRoot::FileSystem:
        break;
    case FolderRoot::Documents:
        return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    }
    return QString();
}

QString FolderDialog::dialogCaption(const QString& title, const QString& statusText) {
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
    if (event->type() == QEvent::Show && m_running && m_dialog.isNull()) {
        if (auto* dialog = qobject_cast<QFileDialog*>(watched)) {
            dialogInitialized(dialog);
        }
    }
    return QObject::eventFilter(watched, event);
}

// The whole file system is the default tree; any other root must exist.
std::optional<QString> FolderDialog::rootPath() const {
    if (m_rootFolder == FolderRoot::FileSystem) {
        return QString();
    }
    const QString path = rootFolderPath(m_rootFolder);
    if (!isDirectory(path)) {
        return std::nullopt;
    }
    return path;
}

// A path that is not an existing folder, or lies outside the root, is left
// to the dialog, which then starts at the root.
QString FolderDialog::startFolder(const QString& rootPath) const {
    QString folder;
    if (m_openFolder == OpenFolder::Path && isDirectory(m_openFolderPath)) {
        folder = m_openFolderPath;
    }
    if (folder.isEmpty() || (!rootPath.isEmpty() && !isInside(folder, rootPath))) {
        return rootPath;
    }
    return folder;
}

QString FolderDialog::currentCaption() const {
    return dialogCaption(m_title, m_statusTextVisible ? m_statusText : QString());
}

QWidget* FolderDialog::ownerWindow() const {
    if (auto* widget = qobject_cast<QWidget*>(parent())) {
        return widget->window();
    }
    return QApplication::activeWindow();
}

void FolderDialog::dialogInitialized(QFileDialog* dialog) {
    m_dialog = dialog;
    if (m_centered) {
        centerOnScreen(dialog);
    }
    if (!m_runRootPath.isEmpty()) {
        connect(dialog, &QFileDialog::directoryEntered, this,
                [this, dialog](const QString& directory) { keepInsideRoot(dialog, directory); });
    }
    connect(dialog, &QFileDialog::currentChanged, this, [this, dialog](const QString& path) {
        emit selectionChanged({dialog, BrowseMessage::SelectionChanged, path});
    });
    emit initialized({dialog, BrowseMessage::Initialized, dialog->directory().absolutePath()});
}

void FolderDialog::centerOnScreen(QWidget* dialog) const {
    const QScreen* screen = dialog->screen();
    if (!screen) {
        return;
    }
    const QRect area = screen->geometry();
    const QSize size = dialog->frameGeometry().size();
    dialog->move(area.x() + (area.width() - size.width()) / 2,
                 area.y() + (area.height() - size.height()) / 2);
}

void FolderDialog::keepInsideRoot(QFileDialog* dialog, const QString& directory) {
    if (!isInside(directory, m_runRootPath)) {
        dialog->setDirectory(m_runRootPath);
    }
}

void FolderDialog::takeAnswer(const QString& path) {
    m_displayName.clear();
    m_selectedPath.clear();
    if (path.isEmpty()) {
        return;
    }
    m_selectedPath = path;
    m_displayName = displayNameOf(path);
    emit folderChosen(path);
}

} // namespace nomix
