// SPDX-License-Identifier: MIT
#include "shared_mainwindowtest.h"
#include "shared_userinput.h"

#include "controls/ledcounter.h"
#include "core/database.h"
#include "core/productselection.h"
#include "core/producttable.h"
#include "core/searchengine.h"
#include "dialogs/optionsdialog.h"
#include "dialogs/productfilterdialog.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/resultsmodel.h"
#include "mainwindow/resultsview.h"
#include "mainwindow/searchcontroller.h"
#include "platform/filedialog.h"
#include "platform/messagebox.h"
#include "platform/settings.h"
#include "platform/terminationsignals.h"

#include <QAbstractItemModelTester>
#include <QAbstractScrollArea>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QSlider>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

#include <csignal>
#include <memory>

using namespace nomix;
using namespace userinput;

// What the main window reads and writes: the database files it names in its
// errors, the settings file at the end of a session, exports, the clipboard
// and imported scan reports.
class TestMainWindowFiles : public MainWindowTest {
    Q_OBJECT

  private slots:
    void initTestCase() { startFixture(); }
    void init() { startWithSampleDatabase(); }
    void cleanup() { closeWindow(); }

    void fileErrorsNameTheFile_data();
    void fileErrorsNameTheFile();
    void unsavableSettingsLetTheUserLeave_data();
    void unsavableSettingsLetTheUserLeave();
    void terminationSignalClosesAndSaves();
    void resultsLeaveTheGrid();
    void importFromTheFileMenu_data();
    void importFromTheFileMenu();
    void importRefusesTheSampleFolder();
    void importAgainCountsWhatItWrote();
    void importOfOnlyBadLinesNamesThem();
    void failedReloadKeepsTheDatabaseInUse();
};

void TestMainWindowFiles::fileErrorsNameTheFile_data() {
    QTest::addColumn<QString>("missing");
    QTest::addColumn<QString>("folderInstead");
    QTest::newRow("name database missing") << "NOMIX.DAT" << QString();
    QTest::newRow("name database is a folder") << QString() << "NOMIX.DAT";
    QTest::newRow("product table is a folder") << QString() << "NOMIX.CFG";
}

// "File not found" alone leaves the user guessing which of two files is meant.
void TestMainWindowFiles::fileErrorsNameTheFile() {
    QFETCH(QString, missing);
    QFETCH(QString, folderInstead);
    form_.reset();
    QTemporaryDir dir;
    for (const char* name : {"NOMIX.CFG", "NOMIX.DAT"}) {
        QFile::copy(fixture_->dataDir() + QLatin1Char('/') + QLatin1String(name),
                    dir.filePath(QLatin1String(name)));
    }
    const QString broken = missing.isEmpty() ? folderInstead : missing;
    QVERIFY(QFile::remove(dir.filePath(broken)));
    if (!folderInstead.isEmpty()) {
        QVERIFY(QDir(dir.path()).mkdir(folderInstead));
    }
    fixture_->writeSettings(dir.path());
    MessageBox::clearShown();
    startForm();
    QVERIFY(!databaseLoaded());
    QVERIFY(!MessageBox::shown().isEmpty());
    const QString shown = MessageBox::shown().first().text;
    QVERIFY2(shown.startsWith(dir.filePath(broken) + QStringLiteral(": ")), qPrintable(shown));
}

void TestMainWindowFiles::unsavableSettingsLetTheUserLeave_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closes");
    QTest::newRow("close without saving") << int(MessageBox::Yes) << true;
    QTest::newRow("stay") << int(MessageBox::No) << false;
}

// A settings file that cannot be written once trapped the user in the program.
void TestMainWindowFiles::unsavableSettingsLetTheUserLeave() {
    QFETCH(int, answer);
    QFETCH(bool, closes);
    search(QStringLiteral("zbot"));
    QVERIFY(QFile::remove(fixture_->settingsFile()));
    QVERIFY(QDir().mkdir(fixture_->settingsFile())); // nothing can be written there
    MessageBox::clearShown();
    MessageBox::presetAnswers({MessageBox::Ok, MessageBox::Button(answer)});
    QCOMPARE(form_->close(), closes);
    QCOMPARE(MessageBox::shown().size(), 2);
    QCOMPARE(MessageBox::shown().first().caption, QStringLiteral("Error"));
    QVERIFY(MessageBox::shown().last().text.contains(QStringLiteral("without saving")));
    QVERIFY(QDir().rmdir(fixture_->settingsFile()));
    fixture_->writeSettings(fixture_->dataDir());
}

// SIGTERM (a logout, a service manager) closes as Exit does: the history of
// the session is saved, and no box waits for an answer.
void TestMainWindowFiles::terminationSignalClosesAndSaves() {
    TerminationSignals signalsToClose;
    connect(&signalsToClose, &TerminationSignals::received, form_.get(), &MainWindow::endSession);
    MessageBox::setAutoAnswer(false);
    MessageBox::clearShown();
    QTimer::singleShot(0, this, [this] {
        search(QStringLiteral("zbot"));
        std::raise(SIGTERM);
    });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(MessageBox::shown().isEmpty());
    QFile file(fixture_->settingsFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("\"string#1\"=\"zbot\""));
}

// Ctrl+C, "Export results..." and "Search for this name" take what the grid
// shows to the clipboard, a file and the next search.
void TestMainWindowFiles::resultsLeaveTheGrid() {
    search(QStringLiteral("zbot"));
    const int hits = hitCount();
    QVERIFY(hits > 1);
    QCOMPARE(focusTarget(), find<QWidget>("resultsView"));
    pressKey(Qt::Key_A, Qt::ControlModifier);
    pressKey(Qt::Key_C, Qt::ControlModifier);
    const QStringList copied =
        QApplication::clipboard()->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(copied.size(), hits); // names only: the titles come from the local menu
    // The Family column shows, so each row starts with the hit's family.
    QVERIFY(grid()->familyColumnShown());
    QCOMPARE(copied.first().split(QLatin1Char('\t')).size(), 1 + 74);
    QCOMPARE(copied.first().section(QLatin1Char('\t'), 2, 2),
             results()->index(0, 1).data().toString());

    QWidget* cells = grid()->viewport();
    QTemporaryDir dir;
    for (const QString& name : {QStringLiteral("hits.csv"), QStringLiteral("hits.jsonl")}) {
        FileDialog::presetAnswers({dir.filePath(name)});
        openContextMenu(cells, QPoint(30, 10));
        chooseInPopup(Qt::Key_X); // "E&xport results..."
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const bool csv = name.endsWith(QLatin1String(".csv"));
        QCOMPARE(bytes.count(csv ? "\r\n" : "\n"), hits + (csv ? 1 : 0));
        QCOMPARE(bytes.startsWith("{\"line\": "), !csv);
    }

    // The second column's name of the first hit becomes the search string.
    const QModelIndex cell = results()->index(0, 1);
    const QString name = cell.data().toString();
    QVERIFY(!name.isEmpty());
    openContextMenu(cells, grid()->visualRect(cell).center());
    chooseInPopup(Qt::Key_N); // "Search for this &name"
    QCOMPARE(find<QComboBox>("searchBox")->currentText(), name);
    QVERIFY(hitCount() > 0);
}

namespace {

// Scan reports of `count` samples, each detected by one of two engines.
QString writeReports(const QTemporaryDir& dir, int count) {
    const QString path = dir.filePath(QStringLiteral("reports.jsonl"));
    QFile reports(path);
    if (!reports.open(QIODevice::WriteOnly)) {
        return {};
    }
    for (int i = 0; i < count; ++i) {
        reports.write("{\"sha256\": \"" + QByteArray::number(i).rightJustified(64, '0') +
                      "\", \"scans\": {\"Alpha\": {\"detected\": true, \"result\": "
                      "\"Trojan.Imported\"}, \"Beta\": {\"detected\": false}}}\n");
    }
    return path;
}

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

void TestMainWindowFiles::importFromTheFileMenu_data() {
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<bool>("replace");
    QTest::addColumn<bool>("compressed");
    QTest::newRow("replaced and opened") << false << true << false;
    QTest::newRow("from a gzip file") << false << true << true;
    QTest::newRow("cancelled") << true << true << false;
    QTest::newRow("not replaced") << false << false << false;
}

// File > Import scan reports...: the folder dialog starts in a folder of the
// user's; a folder holding a database is replaced only after a question
// whose default is No; a progress window with Cancel, then the new database
// opened at once. A cancelled or refused import leaves the folder as it was.
void TestMainWindowFiles::importFromTheFileMenu() {
    QFETCH(bool, cancel);
    QFETCH(bool, replace);
    QFETCH(bool, compressed);
    QTemporaryDir dir;
    QString reportsPath = writeReports(dir, cancel ? 100000 : 3);
    if (compressed) {
        QCOMPARE(QProcess::execute(QStringLiteral("gzip"), {reportsPath}), 0);
        reportsPath += QStringLiteral(".gz");
    }
    const QString database = dir.filePath(QStringLiteral("db"));
    QVERIFY(QDir().mkdir(database));
    QFile old(database + QStringLiteral("/NOMIX.DAT"));
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old\nolder\n") == 10);
    old.close();

    FileDialog::clearAsked();
    MessageBox::clearShown();
    // Refusing to replace asks for another folder, which the user cancels.
    FileDialog::presetAnswers({reportsPath, database, QString()});
    MessageBox::presetAnswers({replace ? MessageBox::Yes : MessageBox::No, MessageBox::Yes});
    bool cancelled = false;
    if (cancel) {
        whenModalShows([&cancelled](QWidget* progress) {
            clickAt(progress->findChild<QPushButton*>()); // its Cancel button
            cancelled = true;
        });
    }
    pressKey(Qt::Key_F, Qt::AltModifier);
    chooseInPopup(Qt::Key_I); // "&Import scan reports..."
    QVERIFY(!QApplication::activeModalWidget());

    QCOMPARE(FileDialog::asked().at(1).dir, QDir::home().filePath(QStringLiteral("Nomix95 data")));
    QVERIFY(QFileInfo(FileDialog::asked().at(1).dir).isDir());
    const MessageBox::Shown question = MessageBox::shown().first();
    QCOMPARE(question.text, database + QStringLiteral(" already holds a name database (2 "
                                                      "samples). Replace it?"));
    QCOMPARE(question.defaultButton, MessageBox::No);
    if (cancel || !replace) {
        QCOMPARE(cancelled, cancel);
        QCOMPARE(contentsOf(old.fileName()), QByteArray("old\nolder\n"));
        QCOMPARE(QDir(database).entryList(QDir::Files | QDir::Hidden).size(), 1);
        QCOMPARE(find<QLineEdit>("directoryEdit")->text(), fixture_->dataDir());
        return;
    }
    QCOMPARE(find<QLineEdit>("directoryEdit")->text(), database);
    QVERIFY2(find<QLabel>("databasePanel")->text().startsWith(" Database Imported 3 samples"),
             qPrintable(find<QLabel>("databasePanel")->text()));
    QCOMPARE(results()->columnCount(), 3);
    search(QStringLiteral("trojan.imported"));
    QCOMPARE(hitCount(), 3);
}

// A second import into the folder of the first tells how many samples the
// first wrote, before it replaces them.
void TestMainWindowFiles::importAgainCountsWhatItWrote() {
    QTemporaryDir dir;
    const QString reportsPath = writeReports(dir, 3);
    const QString database = dir.filePath(QStringLiteral("db"));
    for (int round = 0; round < 2; ++round) {
        MessageBox::clearShown();
        FileDialog::presetAnswers({reportsPath, database});
        MessageBox::presetAnswers(round == 0 ? QList{MessageBox::No}
                                             : QList{MessageBox::Yes, MessageBox::No});
        pressKey(Qt::Key_F, Qt::AltModifier);
        chooseInPopup(Qt::Key_I);
    }
    QCOMPARE(MessageBox::shown().first().text,
             database + QStringLiteral(" already holds a name database (3 samples). Replace it?"));
}

// The sample that comes with the program is never written: choosing its
// folder says so and asks again.
void TestMainWindowFiles::importRefusesTheSampleFolder() {
    QTemporaryDir dir;
    // Lines without a report: even a wrong answer here would write nothing.
    const QString reportsPath = dir.filePath(QStringLiteral("bad.jsonl"));
    QFile reports(reportsPath);
    QVERIFY(reports.open(QIODevice::WriteOnly) && reports.write("not json\n") == 9);
    reports.close();
    FileDialog::clearAsked();
    MessageBox::clearShown();
    FileDialog::presetAnswers({reportsPath, QStringLiteral(NOMIX_SAMPLE_DIR), QString()});
    pressKey(Qt::Key_F, Qt::AltModifier);
    chooseInPopup(Qt::Key_I);
    QCOMPARE(FileDialog::asked().size(), 3);
    QCOMPARE(MessageBox::shown().size(), 1);
    QVERIFY2(MessageBox::shown().first().text.contains(QStringLiteral("stays as it is")),
             qPrintable(MessageBox::shown().first().text));
}

// An import that finds no report says why, line by line, as the command
// line does.
void TestMainWindowFiles::importOfOnlyBadLinesNamesThem() {
    QTemporaryDir dir;
    QStringList files;
    for (const QByteArray& text : {QByteArray("not json\n"), QByteArray("[1, 2]\n")}) {
        files << dir.filePath(QStringLiteral("bad%1.jsonl").arg(files.size()));
        QFile reports(files.last());
        QVERIFY(reports.open(QIODevice::WriteOnly) && reports.write(text) == text.size());
    }
    MessageBox::clearShown();
    QVERIFY(QDir().mkdir(dir.filePath(QStringLiteral("new"))));
    FileDialog::presetAnswers({files.join(QLatin1Char('\n')), dir.filePath(QStringLiteral("new"))});
    pressKey(Qt::Key_F, Qt::AltModifier);
    chooseInPopup(Qt::Key_I);
    QCOMPARE(MessageBox::shown().size(), 1);
    const QStringList lines = MessageBox::shown().first().text.split(QLatin1Char('\n'));
    QCOMPARE(lines.first(), QStringLiteral("No scan report was found; nothing was written."));
    QVERIFY2(lines.size() >= 4 && lines.at(2).startsWith(files.at(0) + QStringLiteral(":1: ")) &&
                 lines.last().startsWith(files.at(1) + QStringLiteral(":1: ")),
             qPrintable(lines.join(QLatin1Char('|'))));
    QVERIFY(QDir(dir.filePath(QStringLiteral("new"))).isEmpty());
}

// A new database that fails to load (here its name database turned into a
// folder while the user was asked) leaves the one in use whole: the same
// columns, the same hits, the same files named.
void TestMainWindowFiles::failedReloadKeepsTheDatabaseInUse() {
    QTemporaryDir dir;
    const QString reportsPath = writeReports(dir, 3);
    const QString database = dir.filePath(QStringLiteral("db"));
    QVERIFY(QDir().mkdir(database));
    const QString label = find<QLabel>("databasePanel")->text();
    const int columns = results()->columnCount();
    search(QStringLiteral("virut"));
    QCOMPARE(hitCount(), 16);

    FileDialog::presetAnswers({reportsPath, database});
    MessageBox::clearShown();
    MessageBox::setAnswerer([&database](const MessageBox::Shown& shown) {
        if (shown.text.endsWith(QStringLiteral("Use it now?"))) {
            QFile::remove(database + QStringLiteral("/NOMIX.DAT"));
            QDir().mkdir(database + QStringLiteral("/NOMIX.DAT"));
            return MessageBox::Yes;
        }
        return MessageBox::Ok;
    });
    const auto resetAnswerer = qScopeGuard([] { MessageBox::setAnswerer({}); });
    pressKey(Qt::Key_F, Qt::AltModifier);
    chooseInPopup(Qt::Key_I);

    QCOMPARE(MessageBox::shown().size(), 2);
    QVERIFY2(MessageBox::shown().last().text.startsWith(database + QStringLiteral("/NOMIX.DAT: ")),
             qPrintable(MessageBox::shown().last().text));
    QVERIFY(databaseLoaded());
    QCOMPARE(find<QLineEdit>("directoryEdit")->text(), fixture_->dataDir());
    QCOMPARE(find<QLabel>("databasePanel")->text(), label);
    QCOMPARE(results()->columnCount(), columns);
    QCOMPARE(results()->rowCount(), 16);
    search(QStringLiteral("virut"));
    QCOMPARE(hitCount(), 16);
    QVERIFY(results()->data(results()->index(0, 1)).toString().size() > 0);
}

QTEST_MAIN(TestMainWindowFiles)
#include "tst_mainwindowfiles.moc"
