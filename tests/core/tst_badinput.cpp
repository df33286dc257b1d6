// SPDX-License-Identifier: MIT
// Data files that users get from elsewhere, damaged or not files at all:
// every one loads as the rules say or fails at once with a message the user
// can act on. Nothing here may crash, hang or read without end.

#include "core/database.h"
#include "core/databaselines.h"
#include "core/fileerror.h"
#include "core/producttable.h"
#include "core/searchengine.h"

#include <QByteArrayList>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace nomix;

namespace {

const std::string kTable = "Label|Alpha 1.0 05/97|Beta 2.0 06/98\r\n";
const std::string kDatabase = "|A.1|B.1|\r\n|A.2|B.2|\r\n";

// Nobody's ids on Debian: an ordinary user without any rights of ours.
constexpr uid_t kNobody = 65534;
constexpr int kCannotSwitchUser = 42;
const QString kNoOrdinaryUser = QStringLiteral("no ordinary user to become");

std::string badInputPath(const char* name) {
    return std::string(NOMIX_TEST_DATA_DIR) + "/badinput/" + name;
}

QByteArray bytesOf(std::string_view text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

void writeFile(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    QVERIFY2(fd >= 0, path.c_str());
    QCOMPARE(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::close(fd);
}

// The message a failed load gives, or "loaded".
QString outcomeOf(const std::function<void()>& load) {
    try {
        load();
        return QStringLiteral("loaded");
    } catch (const FileError& error) {
        return QString::fromStdString(error.what());
    } catch (const std::exception& error) {
        return QStringLiteral("unexpected: ") + QString::fromStdString(error.what());
    }
}

// The outcome of `load` in a child process that first runs `prepare` (which
// may end the child with its own exit status).
QString outcomeInChild(const std::function<void()>& prepare, const std::function<void()>& load) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) {
        return QStringLiteral("pipe failed");
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        prepare();
        const QByteArray message = outcomeOf(load).toUtf8();
        const bool written = ::write(pipeEnds[1], message.data(), message.size()) == message.size();
        ::_exit(written ? 0 : 3);
    }
    ::close(pipeEnds[1]);
    QByteArray message;
    char buffer[256];
    for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
        message.append(buffer, got);
    }
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == kCannotSwitchUser) {
        return kNoOrdinaryUser;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return QStringLiteral("child failed with status %1").arg(status);
    }
    return QString::fromUtf8(message);
}

// Root reads whatever the permission bits say, and CI runs as root: there
// the check runs in a child process that has become an ordinary user.
QString outcomeAsOrdinaryUser(const std::function<void()>& load) {
    if (::geteuid() != 0) {
        return outcomeOf(load);
    }
    const auto becomeNobody = [] {
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
            ::_exit(kCannotSwitchUser);
        }
    };
    return outcomeInChild(becomeNobody, load);
}

// Address space the process holds now, from /proc/self/statm.
rlim_t addressSpaceBytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) {
        return 0;
    }
    return static_cast<rlim_t>(statm.readLine().split(' ').first().toULongLong()) *
           static_cast<rlim_t>(::sysconf(_SC_PAGESIZE));
}

// The outcome of `load` in a child process that may take `budget` bytes of
// address space more than it holds.
QString outcomeWithinMemory(rlim_t budget, const std::function<void()>& load) {
    const auto limitMemory = [budget] {
        // Large blocks then come from new mappings, which the limit counts,
        // not from heap that earlier tests freed.
        ::mallopt(M_MMAP_THRESHOLD, 1 << 20);
        const rlimit limit{addressSpaceBytes() + budget, RLIM_INFINITY};
        ::setrlimit(RLIMIT_AS, &limit);
    };
    return outcomeInChild(limitMemory, load);
}

// A folder with a good table and a good database, to spoil one of them.
struct DataFolder {
    QTemporaryDir dir;
    std::string folder;
    DataLocation location;

    explicit DataFolder(const std::string& folderName = "data",
                        const std::string& databaseName = "NOMIX.DAT",
                        const std::string& tableName = "NOMIX.CFG")
        : folder(dir.path().toStdString() + "/" + folderName) {
        location = {folder, databaseName, tableName};
        ::chmod(dir.path().toLocal8Bit().constData(), 0755);
        ::mkdir(folder.c_str(), 0755);
        writeFile(location.databasePath(), kDatabase);
        writeFile(location.tablePath(), kTable);
    }
    // QTemporaryDir cannot name what is not UTF-8; the bytes can.
    ~DataFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    std::string pathOf(const QString& which) const {
        return which == "table" ? location.tablePath() : location.databasePath();
    }
};

} // namespace

class TestBadInput : public QObject {
    Q_OBJECT

  private slots:
    void productTableFiles_data();
    void productTableFiles();
    void nameDatabaseFiles_data();
    void nameDatabaseFiles();
    void notARegularFile_data();
    void notARegularFile();
    void deviceFilesAreRefused_data();
    void deviceFilesAreRefused();
    void fileChangesAfterExistenceCheck_data();
    void fileChangesAfterExistenceCheck();
    void unreadableFile_data();
    void unreadableFile();
    void fileLargerThanMemory_data();
    void fileLargerThanMemory();
    void oddFileNames_data();
    void oddFileNames();
    void emptyLinesUnderMemoryLimit_data();
    void emptyLinesUnderMemoryLimit();
};

void TestBadInput::productTableFiles_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("label");
    QTest::addColumn<QByteArrayList>("entries");

    auto row = [](const char* file, const QByteArray& label, const QByteArrayList& entries) {
        QTest::newRow(file) << QString(file) << label << entries;
    };
    row("empty.cfg", "", {});
    // Without '|' the label runs to the end of the file and is also the
    // only product; the line end belongs to no entry.
    row("no-bar.cfg", "Alpha Scan 2.31 05/97\r\n", {"Alpha Scan 2.31 05/97"});
    row("only-bars.cfg", "\r\n", {});
    // Only a line end that is there is cut off.
    row("one-byte.cfg", "X", {"X"});
    row("line-end-only.cfg", "\r\n", {});
    row("no-line-end.cfg", "Label", {"Alpha 1.0 05/97"});
    row("nul-middle.cfg", "Label", {"Alpha 1.0 05/97", "Be"});
    row("eof-mark-middle.cfg", "Label",
        {"Alpha 1.0 05/97",
         "Be\x1a"
         "ta 2.0 06/98",
         "Gamma 3.0 07/99"});
    row("high-bytes.cfg",
        "\xc9"
        "dition 7",
        {"\xc4rger-AV 1.0 05/97", "\xff\xfe\xfd 2 02/02"});
    row("invalid-utf8.cfg", "Label",
        {"\xc3\x28 1 01/01", "\xe2\x82 2 02/02", "\xf0\x28\x8c\xbc 3 03/03"});
}

void TestBadInput::productTableFiles() {
    QFETCH(QString, file);
    QFETCH(QByteArray, label);
    QFETCH(QByteArrayList, entries);
    const ProductTable table = readProductTable(badInputPath(qPrintable(file)), file.toStdString());
    QCOMPARE(bytesOf(table.label), label);
    QByteArrayList read;
    for (const std::string& entry : table.entries) {
        read << bytesOf(entry);
        const ProductItem item = splitProductEntry(entry);
        QVERIFY(!item.date.empty());
    }
    QCOMPARE(read, entries);
}

void TestBadInput::nameDatabaseFiles_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArrayList>("lines");
    QTest::addColumn<QByteArray>("needle");
    QTest::addColumn<QList<uint32_t>>("hits");

    auto row = [](const char* file, const QByteArrayList& lines, const QByteArray& needle,
                  const QList<uint32_t>& hits) {
        QTest::newRow(file) << QString(file) << lines << needle << hits;
    };
    row("empty.dat", {}, "A", {});
    row("no-bar.dat", {"ust one tex"}, "ONE", {0});
    // A NUL byte is an ordinary character: the lines after it are all there.
    row("nul-middle.dat",
        {QByteArray("Vir\0us.A|Trojan.B", 17), QByteArray("W32.C|\0", 7), "Worm.D|Worm.E"},
        "worm.e", {2});
    row("eof-mark-middle.dat", {"A.1|B.1", "A.2|"}, "a.3", {});
    row("high-bytes.dat", {"\xc9T\xc9|Caf\xe9", "\xe9t\xe9|\xff\xfe"}, "\xe9t\xe9", {1});
    row("invalid-utf8.dat", {"\xc3\x28|W32.\xa0\xa1", "\xf0\x28\x8c\xbc|\xed\xa0\x80"}, "w32.\xa0",
        {0});
    row("lf-only.dat", {"A.1|B.1", "A.2|B.2"}, "b.2", {1});
    row("cr-only.dat", {"A.1|B.1", "A.2|B.2"}, "b.2", {1});
    row("short-lines.dat", {"", "", "", "A"}, "a", {3});
}

void TestBadInput::nameDatabaseFiles() {
    QFETCH(QString, file);
    QFETCH(QByteArrayList, lines);
    QFETCH(QByteArray, needle);
    QFETCH(QList<uint32_t>, hits);
    const NameDatabase db = readNameDatabase(badInputPath(qPrintable(file)));
    QByteArrayList read;
    for (size_t k = 0; k < db.lines.count(); ++k) {
        read << bytesOf(db.lines.at(k));
    }
    QCOMPARE(read, lines);

    SearchRequest request;
    request.text = needle.toStdString();
    request.columnCount = 2;
    request.selected = {true, true};
    for (bool allSelected : {true, false}) {
        request.allProductsSelected = allSelected;
        const SearchOutcome outcome = runSearch(db.lines, request);
        QCOMPARE(QList<uint32_t>(outcome.hits.begin(), outcome.hits.end()), hits);
    }
}

void TestBadInput::notARegularFile_data() {
    QTest::addColumn<QString>("which"); // the file that is spoiled: "table" or "database"
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message"); // empty: neither file counts as present

    for (const char* which : {"table", "database"}) {
        auto row = [which](const char* kind, const char* message) {
            QTest::addRow("%s is %s", which, kind) << which << kind << message;
        };
        row("a directory", "File access denied");
        row("a FIFO", "File access denied");
        row("a link to /dev/zero", "File access denied");
        row("missing", "File not found");
        row("a dangling link", "File not found");
        row("a link to itself", "Path not found");
    }
    QTest::newRow("the common directory is a file") << "folder"
                                                    << "a file"
                                                    << "";
}

void TestBadInput::notARegularFile() {
    QFETCH(QString, which);
    QFETCH(QString, kind);
    QFETCH(QString, message);
    DataFolder folder;
    const std::string path = which == "folder" ? folder.location.directory : folder.pathOf(which);
    if (which == "folder") {
        folder.location.directory = folder.location.databasePath();
    } else if (kind == "a directory") {
        QCOMPARE(::unlink(path.c_str()), 0);
        QCOMPARE(::mkdir(path.c_str(), 0755), 0);
    } else if (kind == "a FIFO") {
        QCOMPARE(::unlink(path.c_str()), 0);
        QCOMPARE(::mkfifo(path.c_str(), 0644), 0);
    } else if (kind == "a link to /dev/zero") {
        QCOMPARE(::unlink(path.c_str()), 0);
        QCOMPARE(::symlink("/dev/zero", path.c_str()), 0);
    } else if (kind == "missing") {
        QCOMPARE(::unlink(path.c_str()), 0);
    } else if (kind == "a dangling link") {
        QCOMPARE(::unlink(path.c_str()), 0);
        QCOMPARE(::symlink("nowhere", path.c_str()), 0);
    } else if (kind == "a link to itself") {
        QCOMPARE(::unlink(path.c_str()), 0);
        QCOMPARE(::symlink(path.c_str(), path.c_str()), 0);
    }

    std::string failedPath;
    std::optional<Database> db;
    const QString outcome = outcomeOf([&] {
        try {
            db = loadDatabaseFiles(folder.location);
        } catch (const FileError& error) {
            failedPath = error.path();
            throw;
        }
    });
    if (message.isEmpty()) {
        QCOMPARE(outcome, QStringLiteral("loaded"));
        QVERIFY(!db.has_value());
    } else {
        QCOMPARE(outcome, message);
        QCOMPARE(failedPath, path);
    }
}

void TestBadInput::deviceFilesAreRefused_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("/dev/zero") << "/dev/zero";
    QTest::newRow("/dev/urandom") << "/dev/urandom";
    QTest::newRow("/dev/null") << "/dev/null";
    QTest::newRow("a directory") << "/";
}

// Devices never end or hold nothing; either way they are no data file.
void TestBadInput::deviceFilesAreRefused() {
    QFETCH(QString, path);
    const std::string file = path.toStdString();
    QCOMPARE(outcomeOf([&] { readNameDatabase(file); }), QStringLiteral("File access denied"));
    QCOMPARE(outcomeOf([&] { readProductTable(file, "x"); }), QStringLiteral("File access denied"));
}

void TestBadInput::fileChangesAfterExistenceCheck_data() {
    QTest::addColumn<QString>("which");
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("message");
    for (const char* which : {"table", "database"}) {
        QTest::addRow("%s removed", which) << which << "removed"
                                           << "File not found";
        QTest::addRow("%s replaced by a FIFO", which) << which << "replaced by a FIFO"
                                                      << "File access denied";
    }
}

// The moment between the check that a file exists and its opening is a
// race no program can close; losing it must still give a clean failure.
void TestBadInput::fileChangesAfterExistenceCheck() {
    QFETCH(QString, which);
    QFETCH(QString, change);
    QFETCH(QString, message);
    DataFolder folder;
    QVERIFY(databaseFilesPresent(folder.location));
    const std::string path = folder.pathOf(which);
    QCOMPARE(::unlink(path.c_str()), 0);
    if (change == "replaced by a FIFO") {
        QCOMPARE(::mkfifo(path.c_str(), 0644), 0);
    }
    const QString outcome = outcomeOf([&] {
        if (which == "table") {
            readProductTable(path, folder.location.tableName);
        } else {
            readNameDatabase(path);
        }
    });
    QCOMPARE(outcome, message);
}

void TestBadInput::unreadableFile_data() {
    QTest::addColumn<QString>("which");
    QTest::newRow("table") << "table";
    QTest::newRow("database") << "database";
}

void TestBadInput::unreadableFile() {
    QFETCH(QString, which);
    DataFolder folder;
    QCOMPARE(::chmod(folder.pathOf(which).c_str(), 0), 0);
    const QString outcome =
        outcomeAsOrdinaryUser([&] { (void)loadDatabaseFiles(folder.location); });
    if (outcome == kNoOrdinaryUser) {
        QSKIP("running as root without the right to become another user");
    }
    QCOMPARE(outcome, QStringLiteral("File access denied"));
}

void TestBadInput::fileLargerThanMemory_data() {
    QTest::addColumn<QString>("which");
    QTest::newRow("table") << "table";
    QTest::newRow("database") << "database";
}

// A sparse file claims a terabyte and takes no disk: it must be refused
// before anything is allocated for it, not fill the memory.
void TestBadInput::fileLargerThanMemory() {
    QFETCH(QString, which);
    DataFolder folder;
    if (::truncate(folder.pathOf(which).c_str(), off_t(1) << 40) != 0) {
        QSKIP("this file system cannot hold a sparse file of a terabyte");
    }
    QCOMPARE(outcomeOf([&] { (void)loadDatabaseFiles(folder.location); }),
             QStringLiteral("Out of memory"));
}

void TestBadInput::oddFileNames_data() {
    QTest::addColumn<QByteArray>("name"); // used for the folder and both file names

    QTest::newRow("blanks") << QByteArray(" data  dir ");
    QTest::newRow("quotes") << QByteArray("it's \"quoted\"");
    QTest::newRow("line breaks") << QByteArray("line\nbreak\r");
    QTest::newRow("Latin-1 bytes, not UTF-8") << QByteArray("d\xe9j\xe0 \xff");
    QTest::newRow("UTF-8") << QByteArray("donn\xc3\xa9"
                                         "es \xe2\x98\xa3");
    QTest::newRow("shell and format characters") << QByteArray("$(touch x);`id`|%s%n%x*?");
    QTest::newRow("leading dash") << QByteArray("-rf");
    QTest::newRow("backslashes") << QByteArray("C:\\NOMIX\\");
}

void TestBadInput::oddFileNames() {
    QFETCH(QByteArray, name);
    const std::string odd = name.toStdString();
    DataFolder folder(odd, odd + ".DAT", odd + ".CFG");
    std::optional<Database> db = loadDatabaseFiles(folder.location);
    QVERIFY(db.has_value());
    QCOMPARE(db->table.label, std::string("Label"));
    QCOMPARE(db->names.lines.count(), size_t(2));

    QCOMPARE(::unlink(folder.location.tablePath().c_str()), 0);
    try {
        loadDatabaseFiles(folder.location);
        QFAIL("a missing table must fail");
    } catch (const FileError& error) {
        QCOMPARE(QString::fromStdString(error.what()), QStringLiteral("File not found"));
        QCOMPARE(error.path(), folder.location.tablePath());
    }
}

void TestBadInput::emptyLinesUnderMemoryLimit_data() {
    QTest::addColumn<int>("budgetMegabytes"); // beyond what the process holds
    QTest::addColumn<bool>("fits");
    // 16 MiB of CR bytes: 16 Mi lines, whose spans take 128 MiB at 8 bytes a
    // line, far more than any heap that earlier tests left free.
    QTest::newRow("file and spans within the limit") << 200 << true;
    QTest::newRow("spans beyond the limit") << 64 << false;
}

// A file of empty lines costs far more for its lines than for its bytes;
// when that is more than the process may have, the user learns which file.
void TestBadInput::emptyLinesUnderMemoryLimit() {
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("the address sanitizer needs more address space than any limit here allows");
#endif
    QFETCH(int, budgetMegabytes);
    QFETCH(bool, fits);
    DataFolder folder;
    const std::string path = folder.location.databasePath();
    writeFile(path, std::string(16u << 20, '\r'));
    // The message names the file as the command line shows it.
    const QString outcome = outcomeWithinMemory(rlim_t(budgetMegabytes) << 20, [&] {
        try {
            (void)readNameDatabase(path);
        } catch (const FileError& error) {
            throw FileError(error.path() + ": " + error.what(), error.path());
        }
    });
    QCOMPARE(outcome, fits ? "loaded" : QString::fromStdString(path + ": Out of memory"));
}

QTEST_APPLESS_MAIN(TestBadInput)
#include "tst_badinput.moc"
