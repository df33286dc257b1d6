// SPDX-License-Identifier: MIT
#include "reportsaver_modaldriver.h"

#include "core/database.h"
#include "core/reportwriter.h"
#include "core/searchengine.h"
#include "mainwindow/existingreportdialog.h"
#include "mainwindow/reportsaver.h"
#include "mainwindow/saveprogresswindow.h"
#include "platform/filedialog.h"
#include "platform/messagebox.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace nomix;

namespace {

const QString kSaving = QStringLiteral("Saving report file, please wait...");
const QByteArray kOldReport = "an earlier report\r\n\r\n";

class StringSink : public ReportSink {
  public:
    void write(std::string_view bytes) override { text.append(bytes); }
    std::string text;
};

const Database& sample() {
    static const Database db =
        std::move(*nomix::loadDatabaseFiles({NOMIX_SAMPLE_DIR, "NOMIX.DAT", "NOMIX.CFG"}));
    return db;
}

std::vector<std::string> productNames() {
    std::vector<std::string> names;
    for (const std::string& entry : sample().table.entries) {
        names.push_back(splitProductEntry(entry).name);
    }
    return names;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

qsizetype openDescriptorCount() {
    return QDir("/proc/self/fd")
        .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System)
        .size();
}

// The first line of a report saved between `before` and `after`, for each
// second in between: the date and time in the locale's formats.
QList<QByteArray> bannerCandidates(const QDateTime& before, const QDateTime& after) {
    const QLocale locale = QLocale::system();
    QList<QByteArray> banners;
    for (QDateTime t = before.addMSecs(-before.time().msec()); t <= after; t = t.addSecs(1)) {
        banners << "NOMIX 1.1 for Windows 95 - by the Nomix95 developers " +
                       locale.toString(t.date(), QLocale::ShortFormat).toUtf8() + " " +
                       locale.toString(t.time(), longTimeFormat(locale)).toUtf8() + "\r\n";
    }
    return banners;
}

} // namespace

class TestReportSaver : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup();

    // Choosing the file.
    void newFileGetsTheReport();
    void nameWithoutExtensionGetsNrp_data();
    void nameWithoutExtensionGetsNrp();
    void existingFile_data();
    void existingFile();
    void existingFileChoices_data();
    void existingFileChoices();

    // Writing.
    void searchTextInTheDatabaseEncoding_data();
    void searchTextInTheDatabaseEncoding();
    void progressWindowWhileWriting();
    void errorsLeaveTheWindowUsable_data();
    void errorsLeaveTheWindowUsable();

    void longTimeFormatHasNoZone_data();
    void longTimeFormatHasNoZone();

  private:
    ReportInput input(std::span<const uint32_t> rows);
    // The report after its first line, as the writer makes it.
    QByteArray expectedBody(std::span<const uint32_t> rows, const QByteArray& search) const;
    // Checks `bytes` is a report saved between the two times.
    void verifyReport(const QByteArray& bytes, const QDateTime& before, const QDateTime& after);

    std::unique_ptr<QWidget> m_mainWindow;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::vector<uint32_t> m_hits;
    ProductSelection m_selection;
    QStringList m_statusTexts;
};

void TestReportSaver::initTestCase() {
    QApplication::setApplicationName(QStringLiteral("Nomix95 test"));
    SearchRequest request;
    request.text = "kryptik";
    request.selected.assign(sample().table.entries.size(), true);
    request.columnCount = sample().table.entries.size();
    m_hits = nomix::runSearch(sample().names.lines, request).hits;
    // The sample's lines holding "kryptik" in any case, counted apart from
    // the program: grep -ci kryptik resources/sample/NOMIX.DAT.
    QCOMPARE(m_hits.size(), size_t(96));
    m_selection = ProductSelection(sample().table.entries.size());
    for (size_t i = 0; i < m_selection.count(); ++i) {
        m_selection.setSelected(i, i % 3 == 0);
    }
}

void TestReportSaver::init() {
    m_mainWindow = std::make_unique<QWidget>();
    m_mainWindow->setObjectName(QStringLiteral("MainWindow"));
    m_mainWindow->resize(630, 476);
    m_mainWindow->show();
    m_dir = std::make_unique<QTemporaryDir>();
    m_statusTexts.clear();
    MessageBox::clearShown();
    MessageBox::presetAnswers({});
    FileDialog::clearAsked();
    FileDialog::presetAnswers({});
}

void TestReportSaver::cleanup() {
    m_mainWindow.reset();
}

ReportInput TestReportSaver::input(std::span<const uint32_t> rows) {
    ReportInput in;
    in.lines = &sample().names.lines;
    in.resultList = rows;
    in.products = &sample().table;
    in.selection = &m_selection;
    in.hitCount = static_cast<int32_t>(rows.size());
    in.searchText = QStringLiteral("Kryptik %s \"x\"");
    in.commonDirectory = m_dir->path();
    in.showStatus = [this](const QString& text) { m_statusTexts << text; };
    return in;
}

QByteArray TestReportSaver::expectedBody(std::span<const uint32_t> rows,
                                         const QByteArray& search) const {
    const std::vector<std::string> names = productNames();
    StringSink sink;
    ReportWriter writer(sink);
    writer.writeHeader({"", "", search.toStdString(), static_cast<int32_t>(rows.size())});
    writer.writeRows({sample().names.lines, rows, names, m_selection});
    writer.flush();
    const QByteArray all = QByteArray::fromStdString(sink.text);
    return all.mid(all.indexOf("\r\n") + 2);
}

void TestReportSaver::verifyReport(const QByteArray& bytes, const QDateTime& before,
                                   const QDateTime& after) {
    const qsizetype firstLineEnd = bytes.indexOf("\r\n") + 2;
    QVERIFY2(bannerCandidates(before, after).contains(bytes.left(firstLineEnd)),
             bytes.left(firstLineEnd).constData());
    QVERIFY(bytes.mid(firstLineEnd) == expectedBody(m_hits, "Kryptik %s \"x\""));
}

void TestReportSaver::newFileGetsTheReport() {
    const QString path = m_dir->filePath(QStringLiteral("new report.nrp"));
    FileDialog::presetAnswers({path});
    ModalDriver driver;

    const QDateTime before = QDateTime::currentDateTime();
    saveResults(m_mainWindow.get(), input(m_hits));
    const QDateTime after = QDateTime::currentDateTime();

    QCOMPARE(driver.unexpected(), QStringList());
    verifyReport(readAll(path), before, after);
    QCOMPARE(m_statusTexts, QStringList{kSaving});
    QVERIFY(MessageBox::shown().isEmpty());
    QCOMPARE(FileDialog::asked().size(), 1);
    QCOMPARE(FileDialog::asked().first().caption, QStringLiteral("Save a log of search results"));
    QCOMPARE(FileDialog::asked().first().filter,
             QStringLiteral("Nomix report file (*.nrp);;All files (*)"));
    QVERIFY(FileDialog::asked().first().dir.startsWith(m_dir->path()));

    // The next save starts in the common directory with the last name.
    FileDialog::presetAnswers({QString()});
    saveResults(m_mainWindow.get(), input(m_hits));
    QCOMPARE(FileDialog::asked().last().dir, path);
}

void TestReportSaver::nameWithoutExtensionGetsNrp_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::newRow("no extension") << "case 12"
                                  << "case 12.nrp";
    QTest::newRow("dot in the folder only") << "old.cases/case 12"
                                            << "old.cases/case 12.nrp";
    QTest::newRow("ending in a dot") << "case 12."
                                     << "case 12.nrp";
    QTest::newRow("report extension") << "case 12.nrp"
                                      << "case 12.nrp";
    QTest::newRow("other extension") << "case 12.txt"
                                     << "case 12.txt";
    QTest::newRow("existing file without extension") << "notes"
                                                     << "notes";
}

void TestReportSaver::nameWithoutExtensionGetsNrp() {
    QFETCH(QString, typed);
    QFETCH(QString, written);
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("old.cases")));
    const bool exists = typed == written && QFileInfo(typed).suffix().isEmpty();
    if (exists) {
        writeAll(m_dir->filePath(typed), kOldReport);
    }
    FileDialog::presetAnswers({m_dir->filePath(typed)});
    ModalDriver driver(exists ? QStringLiteral("existingReportDialog") : QString(),
                       exists ? QStringLiteral("overwriteButton") : QString());
    saveResults(m_mainWindow.get(), input(m_hits));
    QCOMPARE(driver.unexpected(), QStringList());
    const QFileInfo report(m_dir->filePath(written));
    QCOMPARE(report.dir().entryList(QDir::Files), QStringList{report.fileName()});
    // The next save offers the name as written.
    FileDialog::presetAnswers({QString()});
    saveResults(m_mainWindow.get(), input(m_hits));
    QCOMPARE(QFileInfo(FileDialog::asked().last().dir).fileName(), report.fileName());
}

void TestReportSaver::existingFile_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("outcome");

    QTest::newRow("append") << "appendButton"
                            << "old and new";
    QTest::newRow("overwrite") << "overwriteButton"
                               << "new";
    QTest::newRow("cancel") << "cancelButton"
                            << "old";
    QTest::newRow("system menu close") << ""
                                       << "old";
}

void TestReportSaver::existingFile() {
    QFETCH(QString, button);
    QFETCH(QString, outcome);
    const QString path = m_dir->filePath(QStringLiteral("existing.nrp"));
    writeAll(path, kOldReport);
    FileDialog::presetAnswers({path});
    ModalDriver driver(QStringLiteral("existingReportDialog"), button);

    const QDateTime before = QDateTime::currentDateTime();
    saveResults(m_mainWindow.get(), input(m_hits));
    const QDateTime after = QDateTime::currentDateTime();

    QCOMPARE(driver.answered(), 1);
    QCOMPARE(driver.unexpected(), QStringList());
    const QByteArray bytes = readAll(path);
    if (outcome == "old") {
        QCOMPARE(bytes, kOldReport);
        QVERIFY(m_statusTexts.isEmpty());
    } else if (outcome == "new") {
        verifyReport(bytes, before, after);
    } else {
        QVERIFY(bytes.startsWith(kOldReport));
        verifyReport(bytes.mid(kOldReport.size()), before, after);
    }
    QVERIFY(MessageBox::shown().isEmpty());
}

void TestReportSaver::existingFileChoices_data() {
    QTest::addColumn<QString>("button"); // empty: the Esc key
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<int>("choice");

    QTest::newRow("append") << "appendButton"
                            << "&Append"
                            << "Append current results to existing file"
                            << static_cast<int>(ExistingReportDialog::Choice::Append);
    QTest::newRow("overwrite") << "overwriteButton"
                               << "&Overwrite"
                               << "Overwrite existing file with current results"
                               << static_cast<int>(ExistingReportDialog::Choice::Overwrite);
    QTest::newRow("cancel") << "cancelButton"
                            << "&Cancel"
                            << "Close the window discarding any operation"
                            << static_cast<int>(ExistingReportDialog::Choice::Cancel);
    QTest::newRow("escape") << ""
                            << ""
                            << "" << static_cast<int>(ExistingReportDialog::Choice::Cancel);
}

void TestReportSaver::existingFileChoices() {
    QFETCH(QString, button);
    QFETCH(QString, caption);
    QFETCH(QString, hint);
    QFETCH(int, choice);
    ExistingReportDialog dialog(m_mainWindow.get());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.windowTitle(), QStringLiteral(" Warning"));
    auto* message = dialog.findChild<QLabel*>(QStringLiteral("messageLabel"));
    QVERIFY(message);
    QCOMPARE(message->text(), QStringLiteral("File exists. Please, select an action.          "));

    if (button.isEmpty()) {
        QTest::keyClick(&dialog, Qt::Key_Escape);
    } else {
        auto* pushButton = dialog.findChild<QPushButton*>(button);
        QVERIFY(pushButton);
        QCOMPARE(pushButton->text(), caption);
        QCOMPARE(pushButton->toolTip(), hint);
        QCOMPARE(pushButton->statusTip(), hint);
        QTest::mouseClick(pushButton, Qt::LeftButton);
    }
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), choice);
}

void TestReportSaver::searchTextInTheDatabaseEncoding_data() {
    QTest::addColumn<bool>("utf8");
    QTest::addColumn<QByteArray>("written");

    QTest::newRow("UTF-8 database") << true << QByteArray("\"caf\xc3\xa9\"");
    QTest::newRow("single-byte database") << false << QByteArray("\"caf\xe9\"");
}

void TestReportSaver::searchTextInTheDatabaseEncoding() {
    QFETCH(bool, utf8);
    QFETCH(QByteArray, written);
    const QString path = m_dir->filePath(QStringLiteral("encoded.nrp"));
    FileDialog::presetAnswers({path});
    ReportInput in = input(m_hits);
    in.searchText = QString::fromUtf8("caf\xc3\xa9");
    in.dataIsUtf8 = utf8;
    saveResults(m_mainWindow.get(), in);
    QVERIFY(readAll(path).contains("Word searched            : " + written + "\r\n"));
}

void TestReportSaver::progressWindowWhileWriting() {
    // Enough rows to take several time slices on any machine.
    std::vector<uint32_t> rows(200000);
    for (size_t i = 0; i < rows.size(); ++i) {
        rows[i] = m_hits[i % m_hits.size()];
    }
    const QString path = m_dir->filePath(QStringLiteral("big.nrp"));
    FileDialog::presetAnswers({path});

    QList<int> progress;
    bool mainWindowDisabled = true;
    bool waitCursor = true;
    bool saveFormStayed = true;
    bool mainWindowClosed = false;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        auto* form =
            m_mainWindow->findChild<SaveProgressWindow*>(QStringLiteral("saveProgressWindow"));
        if (!form || !form->isVisible()) {
            return;
        }
        progress << form->findChild<QProgressBar*>(QStringLiteral("saveProgressBar"))->value();
        mainWindowDisabled = mainWindowDisabled && !m_mainWindow->isEnabled();
        waitCursor = waitCursor && QApplication::overrideCursor() &&
                     QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        if (progress.size() == 2) {
            saveFormStayed = !form->close() && form->isVisible();
            mainWindowClosed = m_mainWindow->close();
        }
    });
    watcher.start(0);
    saveResults(m_mainWindow.get(), input(rows));
    watcher.stop();

    QVERIFY2(progress.size() >= 2, qPrintable(QString::number(progress.size())));
    QVERIFY(mainWindowDisabled);
    QVERIFY(waitCursor);
    QVERIFY(saveFormStayed);
    QVERIFY(!mainWindowClosed);
    QVERIFY(std::is_sorted(progress.begin(), progress.end()));
    QVERIFY(progress.last() > progress.first());
    QVERIFY(progress.last() < 100);

    QVERIFY(!m_mainWindow->findChild<SaveProgressWindow*>(QStringLiteral("saveProgressWindow")));
    QVERIFY(m_mainWindow->isEnabled());
    QVERIFY(m_mainWindow->isVisible());
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(readAll(path).endsWith(expectedBody(rows, "Kryptik %s \"x\"").right(5000)));
}

void TestReportSaver::errorsLeaveTheWindowUsable_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("message"); // empty: any message

    QTest::newRow("full device, overwrite") << "/dev/full"
                                            << "overwriteButton"
                                            << "/dev/full: Disk full.";
    QTest::newRow("full device, append") << "/dev/full"
                                         << "appendButton"
                                         << "/dev/full: Disk full.";
    QTest::newRow("missing folder") << "no such folder/report.nrp"
                                    << ""
                                    << "";
}

void TestReportSaver::errorsLeaveTheWindowUsable() {
    QFETCH(QString, path);
    QFETCH(QString, button);
    QFETCH(QString, message);
    const QString fullPath = path.startsWith('/') ? path : m_dir->filePath(path);
    FileDialog::presetAnswers({fullPath});
    MessageBox::presetAnswers({MessageBox::Ok});
    ModalDriver driver(button.isEmpty() ? QString() : QStringLiteral("existingReportDialog"),
                       button);
    const qsizetype openBefore = openDescriptorCount();

    saveResults(m_mainWindow.get(), input(m_hits));

    QCOMPARE(driver.unexpected(), QStringList());
    QCOMPARE(MessageBox::shown().size(), 1);
    QCOMPARE(MessageBox::shown().first().caption, QApplication::applicationName());
    QCOMPARE(MessageBox::shown().first().kind, MessageBox::Error);
    if (!message.isEmpty()) {
        QCOMPARE(MessageBox::shown().first().text, message);
    }
    QVERIFY(m_mainWindow->isEnabled());
    QVERIFY(!m_mainWindow->findChild<SaveProgressWindow*>(QStringLiteral("saveProgressWindow")));
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(openDescriptorCount(), openBefore);
}

void TestReportSaver::longTimeFormatHasNoZone_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("format");

    QTest::newRow("12-hour") << "en_US"
                             << "h:mm:ss AP";
    QTest::newRow("24-hour") << "de_DE"
                             << "HH:mm:ss";
    QTest::newRow("with unit words") << "ja_JP" << QString::fromUtf8("H時mm分ss秒");
}

void TestReportSaver::longTimeFormatHasNoZone() {
    QFETCH(QString, locale);
    QFETCH(QString, format);
    QCOMPARE(longTimeFormat(QLocale(locale)), format);
}

QTEST_MAIN(TestReportSaver)
#include "tst_reportsaver.moc"
