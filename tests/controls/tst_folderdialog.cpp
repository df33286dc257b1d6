// SPDX-License-Identifier: MIT
#include "controls/folderdialog.h"
#include "controls/folderdialogerror.h"
#include "platform/filedialog.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>

using nomix::BrowseMessage;
using nomix::FileDialog;
using nomix::FolderDialog;
using nomix::FolderDialogError;
using nomix::FolderRoot;
using nomix::OpenFolder;

namespace {

// Runs `whileOpen` on the real folder dialog once it is on screen and
// rejects it if `whileOpen` left it open. If no dialog turns up, the guard
// closes whatever modal window there is, so the test fails instead of
// hanging.
class LiveDialog {
  public:
    explicit LiveDialog(std::function<void(QFileDialog*)> whileOpen)
        : whileOpen_(std::move(whileOpen)) {
        poll_.setInterval(20);
        QObject::connect(&poll_, &QTimer::timeout, [this] { look(); });
        poll_.start();
        guard_.setSingleShot(true);
        QObject::connect(&guard_, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                modal->close();
            }
        });
        guard_.start(10000);
    }

    bool seen() const { return seen_; }

  private:
    void look() {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) {
            return;
        }
        poll_.stop();
        seen_ = true;
        whileOpen_(dialog);
        if (dialog->isVisible()) {
            dialog->reject();
        }
    }

    std::function<void(QFileDialog*)> whileOpen_;
    QTimer poll_;
    QTimer guard_;
    bool seen_ = false;
};

// A home without a documents folder while it lives.
class HomeWithoutDocuments {
  public:
    HomeWithoutDocuments() : savedHome_(qgetenv("HOME")) {
        qputenv("HOME", bare_.path().toLocal8Bit());
    }
    ~HomeWithoutDocuments() { qputenv("HOME", savedHome_); }

  private:
    QTemporaryDir bare_;
    QByteArray savedHome_;
};

} // namespace

class TestFolderDialog : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();

    void pickedFolderIsKept_data();
    void pickedFolderIsKept();
    void cancelEmptiesEarlierResults();
    void dialogIsAskedFor_data();
    void dialogIsAskedFor();
    void missingRootFolderFails();
    void missingRootFolderGoesToErrorSignal();

    void liveDialogShowsStatusAndCentres();
    void liveDialogKeepsInsideRoot();
    void liveDialogReturnsChosenFolder();

  private:
    QTemporaryDir home_;
    QString documents_;
};

// A home of our own, so the special folders are known and exist.
void TestFolderDialog::initTestCase() {
    QVERIFY(home_.isValid());
    qputenv("HOME", home_.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home_.filePath(QStringLiteral(".config")).toLocal8Bit());
    documents_ = home_.filePath(QStringLiteral("Documents"));
    QVERIFY(QDir().mkpath(documents_ + QStringLiteral("/Samples/2015")));
    QVERIFY(QDir().mkpath(home_.filePath(QStringLiteral("Elsewhere"))));
    QCOMPARE(FolderDialog::rootFolderPath(FolderRoot::Documents), documents_);
}

void TestFolderDialog::init() {
    FileDialog::presetAnswers({});
    FileDialog::clearAsked();
}

void TestFolderDialog::pickedFolderIsKept_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("displayName");
    QTest::newRow("folder") << "/srv/nomix/data"
                            << "data";
    QTest::newRow("trailing slash") << "/srv/nomix/data/"
                                    << "data";
    QTest::newRow("file-system root") << "/"
                                      << "/";
}

void TestFolderDialog::pickedFolderIsKept() {
    QFETCH(QString, answer);
    QFETCH(QString, displayName);
    FolderDialog browse;
    QSignalSpy returned(&browse, &FolderDialog::folderChosen);
    FileDialog::presetAnswers({answer});
    QVERIFY(browse.exec());
    QCOMPARE(browse.selectedPath(), answer);
    QCOMPARE(browse.displayName(), displayName);
    QCOMPARE(returned.count(), 1);
    QCOMPARE(returned.first().first().toString(), answer);
}

void TestFolderDialog::cancelEmptiesEarlierResults() {
    FolderDialog browse;
    QSignalSpy returned(&browse, &FolderDialog::folderChosen);
    FileDialog::presetAnswers({QStringLiteral("/srv/nomix"), QString()});
    QVERIFY(browse.exec());
    QVERIFY(!browse.exec());
    QVERIFY(browse.selectedPath().isEmpty());
    QVERIFY(browse.displayName().isEmpty());
    QCOMPARE(returned.count(), 1);
}

void TestFolderDialog::dialogIsAskedFor_data() {
    QTest::addColumn<bool>("statusVisible");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("openFolder");
    QTest::addColumn<QString>("openPath");
    QTest::addColumn<int>("root");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("startFolder");

    const bool preferences = true;
    const QString status = QStringLiteral("Please, select a folder");
    const QString samples = QStringLiteral("Documents/Samples");
    QTest::newRow("preferences page, existing path")
        << preferences << "" << status << int(nomix::OpenFolder::Path) << samples
        << int(FolderRoot::FileSystem) << status << samples;
    QTest::newRow("path that does not exist")
        << preferences << "" << status << int(nomix::OpenFolder::Path) << "Documents/Gone"
        << int(FolderRoot::FileSystem) << status << "";
    QTest::newRow("status without its flag")
        << false << "" << status << int(nomix::OpenFolder::None) << ""
        << int(FolderRoot::FileSystem) << ""
        << "";
    QTest::newRow("title and status")
        << preferences << "Database folder" << status << int(nomix::OpenFolder::None) << ""
        << int(FolderRoot::FileSystem) << "Database folder - Please, select a folder"
        << "";
    QTest::newRow("path outside the root")
        << false << ""
        << "" << int(nomix::OpenFolder::Path) << "Elsewhere" << int(FolderRoot::Documents) << ""
        << "Documents";
}

// Paths in the table are relative to the test's home folder.
void TestFolderDialog::dialogIsAskedFor() {
    QFETCH(bool, statusVisible);
    QFETCH(QString, title);
    QFETCH(QString, status);
    QFETCH(int, openFolder);
    QFETCH(QString, openPath);
    QFETCH(int, root);
    QFETCH(QString, caption);
    QFETCH(QString, startFolder);

    FolderDialog browse;
    browse.setStatusTextVisible(statusVisible);
    browse.setTitle(title);
    browse.setStatusText(status);
    browse.setOpenFolder(static_cast<OpenFolder>(openFolder));
    browse.setOpenFolderPath(openPath.isEmpty() ? QString() : home_.filePath(openPath));
    browse.setRootFolder(static_cast<FolderRoot>(root));
    FileDialog::presetAnswers({QString()});
    QVERIFY(!browse.exec());

    QCOMPARE(FileDialog::asked().size(), 1);
    QCOMPARE(FileDialog::asked().first().caption, caption);
    QCOMPARE(FileDialog::asked().first().dir,
             startFolder.isEmpty() ? QString() : home_.filePath(startFolder));
}

void TestFolderDialog::missingRootFolderFails() {
    const HomeWithoutDocuments bareHome;
    FolderDialog browse;
    browse.setRootFolder(FolderRoot::Documents);
    FileDialog::presetAnswers({QStringLiteral("/srv")});
    try {
        browse.exec();
        QFAIL("a missing root folder was not reported");
    } catch (const FolderDialogError& error) {
        QCOMPARE(error.code(), FolderDialogError::kLookupFailed);
        QCOMPARE(QString::fromStdString(error.what()),
                 QStringLiteral("OLE function call failed. HResult is 0x80004005. "
                                "GetLastError is 0x2"));
    }
    QVERIFY(FileDialog::asked().isEmpty());
}

void TestFolderDialog::missingRootFolderGoesToErrorSignal() {
    FolderDialog browse;
    FileDialog::presetAnswers({QStringLiteral("/srv"), QString()});
    QVERIFY(browse.exec());
    const HomeWithoutDocuments bareHome;
    QSignalSpy errors(&browse, &FolderDialog::errorOccurred);
    browse.setRootFolder(FolderRoot::Documents);
    QVERIFY(!browse.exec());
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.first().first().toInt(), FolderDialogError::kLookupFailed);
    // Nothing was asked, so the earlier answer stays.
    QCOMPARE(browse.selectedPath(), QStringLiteral("/srv"));
    QCOMPARE(FileDialog::asked().size(), 1);
}

void TestFolderDialog::liveDialogShowsStatusAndCentres() {
    FolderDialog browse;
    browse.setStatusTextVisible(true);
    browse.setStatusText(QStringLiteral("Please, select a folder"));
    browse.setOpenFolder(nomix::OpenFolder::Path);
    browse.setOpenFolderPath(documents_);
    // The dialog lives only while it is open: look at it during the event.
    QList<int> createdMessages;
    bool createdForDialog = false;
    connect(&browse, &FolderDialog::initialized, this, [&](const BrowseMessage& message) {
        createdMessages.append(message.message);
        createdForDialog = qobject_cast<QFileDialog*>(message.dialog) != nullptr;
    });

    QString title;
    QString directory;
    QPoint centreOffset;
    LiveDialog live([&](QFileDialog* dialog) {
        title = dialog->windowTitle();
        directory = dialog->directory().absolutePath();
        const QRect screen = dialog->screen()->geometry();
        centreOffset = dialog->frameGeometry().center() - screen.center();
    });
    QVERIFY(!browse.exec());
    QVERIFY(live.seen());
    QCOMPARE(title, QStringLiteral("Please, select a folder"));
    QCOMPARE(directory, documents_);
    QVERIFY2(qAbs(centreOffset.x()) <= 1 && qAbs(centreOffset.y()) <= 1,
             qPrintable(QStringLiteral("%1,%2").arg(centreOffset.x()).arg(centreOffset.y())));
    QCOMPARE(createdMessages, QList<int>{BrowseMessage::Initialized});
    QVERIFY(createdForDialog);
}

void TestFolderDialog::liveDialogKeepsInsideRoot() {
    FolderDialog browse;
    browse.setRootFolder(FolderRoot::Documents);
    QString directory;
    QString startDirectory;
    LiveDialog live([&](QFileDialog* dialog) {
        startDirectory = dialog->directory().absolutePath();
        auto* up = dialog->findChild<QToolButton*>(QStringLiteral("toParentButton"));
        QVERIFY(up);
        up->click(); // the user tries to climb out of the root
        directory = dialog->directory().absolutePath();
    });
    browse.exec();
    QVERIFY(live.seen());
    QCOMPARE(startDirectory, documents_);
    QCOMPARE(directory, documents_);
}

void TestFolderDialog::liveDialogReturnsChosenFolder() {
    FolderDialog browse;
    const QString chosen = documents_ + QStringLiteral("/Samples");
    LiveDialog live([&](QFileDialog* dialog) {
        dialog->setDirectory(chosen);
        // The user presses the dialog's Choose button.
        static_cast<QDialog*>(dialog)->accept();
    });
    QVERIFY(browse.exec());
    QVERIFY(live.seen());
    QCOMPARE(QDir::cleanPath(browse.selectedPath()), chosen);
    QCOMPARE(browse.displayName(), QStringLiteral("Samples"));
}

QTEST_MAIN(TestFolderDialog)
#include "tst_folderdialog.moc"
