#include "reportsaver_modaldriver.h"

#include "core/database.h"
#include "core/reportwriter.h"
#include "core/searchengine.h"
#include "mainwindow/reportsaver.h"
#include "mainwindow/saveprogresswindow.h"
#include "platform/filedialog.h"
#include "platform/messagebox.h"

#include <QDateTime>
#include <QDir>
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

const Database& Sample() {
    static const Database db =
        std::move(*nomix::loadDatabaseFiles({NOMIX_SAMPLE_DIR, "NOMIX.DAT", "NOMIX.CFG"}));
    return db;
}

std::vector<std::string> ProductNames() {
    std::vector<std::string> names;
    for (const std::string& entry : Sample().table.entries) {
        names.push_back(splitProductEntry(entry).name);
    }
    return names;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

qsizetype OpenDescriptorCount() {
    return QDir("/proc/self/fd")
        .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System)
        .size();
}

// The first line of a report saved between `before` and `after`, for each
// second in between: the date and time in the locale's formats.
QList<QByteArray> BannerCandidates(const QDateTime& before, const QDateTime& after) {
    const QLocale locale = QLocale::system();
    QList<QByteArray> banners;
    for (QDateTime t = before.addMSecs(-before.time().msec()); t <= after; t = t.addSecs(1)) {
        banners << "NOMIX 1.1 for Windows 95 - by the Nomix95 developers " +
                       locale.toString(t.date(), QLocale::ShortFormat).toUtf8() + " " +
                       locale.toString(t.time(), LongTimeFormat(locale)).toUtf8() + "\r\n";
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
    void existingFile_data();
    void existingFile();

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

    std::unique_ptr<QWidget> mainWindow_;
    std::unique_ptr<QTemporaryDir> dir_;
    std::vector<uint32_t> hits_;
    ProductSelection selection_;
    QStringList statusTexts_;
};

void TestReportSaver::initTestCase() {
    QApplication::setApplicationName(QStringLiteral("Nomix95 test"));
    SearchRequest request;
    request.text = "kryptik";
    request.selected.assign(Sample().table.entries.size(), true);
    request.columnCount = Sample().table.entries.size();
    hits_ = nomix::runSearch(Sample().names.lines, request).hits;
    QVERIFY(hits_.size() > 10);
    selection_ = ProductSelection(Sample().table.entries.size());
    for (size_t i = 0; i < selection_.count(); ++i) {
        selection_.setSelected(i, i % 3 == 0);
    }
}

void TestReportSaver::init() {
    mainWindow_ = std::make_unique<QWidget>();
    mainWindow_->setObjectName(QStringLiteral("MainWindow"));
    mainWindow_->resize(630, 476);
    mainWindow_->show();
    dir_ = std::make_unique<QTemporaryDir>();
    statusTexts_.clear();
    MessageBox::clearShown();
    MessageBox::presetAnswers({});
    FileDialog::clearAsked();
    FileDialog::presetAnswers({});
}

void TestReportSaver::cleanup() {
    mainWindow_.reset();
}

ReportInput TestReportSaver::input(std::span<const uint32_t> rows) {
    ReportInput in;
    in.lines = &Sample().names.lines;
    in.resultList = rows;
    in.products = &Sample().table;
    in.selection = &selection_;
    in.hitCount = static_cast<int32_t>(rows.size());
    in.searchText = QStringLiteral("Kryptik %s \"x\"");
    in.commonDirectory = dir_->path();
    in.showStatus = [this](const QString& text) { statusTexts_ << text; };
    return in;
}

QByteArray TestReportSaver::expectedBody(std::span<const uint32_t> rows,
                                         const QByteArray& search) const {
    const std::vector<std::string> names = ProductNames();
    StringSink sink;
    ReportWriter writer(sink);
    writer.writeHeader({"", "", search.toStdString(), static_cast<int32_t>(rows.size())});
    writer.writeRows({Sample().names.lines, rows, names, selection_});
    writer.flush();
    const QByteArray all = QByteArray::fromStdString(sink.text);
    return all.mid(all.indexOf("\r\n") + 2);
}

void TestReportSaver::verifyReport(const QByteArray& bytes, const QDateTime& before,
                                   const QDateTime& after) {
    const qsizetype firstLineEnd = bytes.indexOf("\r\n") + 2;
    QVERIFY2(BannerCandidates(before, after).contains(bytes.left(firstLineEnd)),
             bytes.left(firstLineEnd).constData());
    QVERIFY(bytes.mid(firstLineEnd) == expectedBody(hits_, "Kryptik %s \"x\""));
}

void TestReportSaver::newFileGetsTheReport() {
    const QString path = dir_->filePath(QStringLiteral("new report.nrp"));
    FileDialog::presetAnswers({path});
    ModalDriver driver;

    const QDateTime before = QDateTime::currentDateTime();
    SaveResults(mainWindow_.get(), input(hits_));
    const QDateTime after = QDateTime::currentDateTime();

    QCOMPARE(driver.unexpected(), QStringList());
    verifyReport(ReadAll(path), before, after);
    QCOMPARE(statusTexts_, QStringList{kSaving});
    QVERIFY(MessageBox::shown().isEmpty());
    QCOMPARE(FileDialog::asked().size(), 1);
    QCOMPARE(FileDialog::asked().first().caption, QStringLiteral("Save a log of search results"));
    QCOMPARE(FileDialog::asked().first().filter,
             QStringLiteral("Nomix report file (*.nrp);;All files (*)"));
    QVERIFY(FileDialog::asked().first().dir.startsWith(dir_->path()));

    // The next save starts in the common directory with the last name.
    FileDialog::presetAnswers({QString()});
    SaveResults(mainWindow_.get(), input(hits_));
    QCOMPARE(FileDialog::asked().last().dir, path);
}

void TestReportSaver::existingFile_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("outcome");

    QTest::newRow("append") << "Button1"
                            << "old and new";
    QTest::newRow("overwrite") << "Button2"
                               << "new";
    QTest::newRow("cancel") << "Button3"
                            << "old";
    QTest::newRow("system menu close") << ""
                                       << "old";
}

void TestReportSaver::existingFile() {
    QFETCH(QString, button);
    QFETCH(QString, outcome);
    const QString path = dir_->filePath(QStringLiteral("existing.nrp"));
    WriteAll(path, kOldReport);
    FileDialog::presetAnswers({path});
    ModalDriver driver(QStringLiteral("ExistingReportDialog"), button);

    const QDateTime before = QDateTime::currentDateTime();
    SaveResults(mainWindow_.get(), input(hits_));
    const QDateTime after = QDateTime::currentDateTime();

    QCOMPARE(driver.answered(), 1);
    QCOMPARE(driver.unexpected(), QStringList());
    const QByteArray bytes = ReadAll(path);
    if (outcome == "old") {
        QCOMPARE(bytes, kOldReport);
        QVERIFY(statusTexts_.isEmpty());
    } else if (outcome == "new") {
        verifyReport(bytes, before, after);
    } else {
        QVERIFY(bytes.startsWith(kOldReport));
        verifyReport(bytes.mid(kOldReport.size()), before, after);
    }
    QVERIFY(MessageBox::shown().isEmpty());
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
    const QString path = dir_->filePath(QStringLiteral("encoded.nrp"));
    FileDialog::presetAnswers({path});
    ReportInput in = input(hits_);
    in.searchText = QString::fromUtf8("caf\xc3\xa9");
    in.dataIsUtf8 = utf8;
    SaveResults(mainWindow_.get(), in);
    QVERIFY(ReadAll(path).contains("Word searched            : " + written + "\r\n"));
}

void TestReportSaver::progressWindowWhileWriting() {
    // Enough rows to take several time slices on any machine.
    std::vector<uint32_t> rows(200000);
    for (size_t i = 0; i < rows.size(); ++i) {
        rows[i] = hits_[i % hits_.size()];
    }
    const QString path = dir_->filePath(QStringLiteral("big.nrp"));
    FileDialog::presetAnswers({path});

    QList<int> progress;
    bool mainWindowDisabled = true;
    bool waitCursor = true;
    bool saveFormStayed = true;
    bool mainWindowClosed = false;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        auto* form = mainWindow_->findChild<SaveProgressWindow*>();
        if (!form || !form->isVisible()) {
            return;
        }
        progress << form->findChild<QProgressBar*>(QStringLiteral("SaveProgressBar"))->value();
        mainWindowDisabled = mainWindowDisabled && !mainWindow_->isEnabled();
        waitCursor = waitCursor && QApplication::overrideCursor() &&
                     QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        if (progress.size() == 2) {
            saveFormStayed = !form->close() && form->isVisible();
            mainWindowClosed = mainWindow_->close();
        }
    });
    watcher.start(0);
    SaveResults(mainWindow_.get(), input(rows));
    watcher.stop();

    QVERIFY2(progress.size() >= 2, qPrintable(QString::number(progress.size())));
    QVERIFY(mainWindowDisabled);
    QVERIFY(waitCursor);
    QVERIFY(saveFormStayed);
    QVERIFY(!mainWindowClosed);
    QVERIFY(std::is_sorted(progress.begin(), progress.end()));
    QVERIFY(progress.last() > progress.first());
    QVERIFY(progress.last() < 100);

    QVERIFY(!mainWindow_->findChild<SaveProgressWindow*>());
    QVERIFY(mainWindow_->isEnabled());
    QVERIFY(mainWindow_->isVisible());
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(ReadAll(path).endsWith(expectedBody(rows, "Kryptik %s \"x\"").right(5000)));
}

void TestReportSaver::errorsLeaveTheWindowUsable_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("message"); // empty: any message

    QTest::newRow("full device, overwrite") << "/dev/full"
                                            << "Button2"
                                            << "/dev/full: Disk full.";
    QTest::newRow("full device, append") << "/dev/full"
                                         << "Button1"
                                         << "/dev/full: Disk full.";
    QTest::newRow("missing folder") << "no such folder/report.nrp"
                                    << ""
                                    << "";
}

void TestReportSaver::errorsLeaveTheWindowUsable() {
    QFETCH(QString, path);
    QFETCH(QString, button);
    QFETCH(QString, message);
    const QString fullPath = path.startsWith('/') ? path : dir_->filePath(path);
    FileDialog::presetAnswers({fullPath});
    MessageBox::presetAnswers({MessageBox::Ok});
    ModalDriver driver(button.isEmpty() ? QString() : QStringLiteral("ExistingReportDialog"), button);
    const qsizetype openBefore = OpenDescriptorCount();

    SaveResults(mainWindow_.get(), input(hits_));

    QCOMPARE(driver.unexpected(), QStringList());
    QCOMPARE(MessageBox::shown().size(), 1);
    QCOMPARE(MessageBox::shown().first().caption, QApplication::applicationName());
    QCOMPARE(MessageBox::shown().first().kind, MessageBox::Error);
    if (!message.isEmpty()) {
        QCOMPARE(MessageBox::shown().first().text, message);
    }
    QVERIFY(mainWindow_->isEnabled());
    QVERIFY(!mainWindow_->findChild<SaveProgressWindow*>());
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(OpenDescriptorCount(), openBefore);
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
    QCOMPARE(LongTimeFormat(QLocale(locale)), format);
}

QTEST_MAIN(TestReportSaver)
#include "tst_reportsaver.moc"
