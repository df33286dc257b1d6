// SPDX-License-Identifier: MIT
// nomix95-guibench: the desktop program's timings behind bench/run. Each
// figure is the median of --runs rounds after one round that only warms up,
// and the two sides of a ratio are timed in turn within each round, so a
// noisy neighbour hits both.
//
//   nomix95-guibench [--runs N] --dir DBDIR background STRING
//   nomix95-guibench [--runs N] --dir DBDIR grid STRING
//   nomix95-guibench [--runs N] --dir DBDIR --out DIR report STRING
//
// background: the main window's search for STRING with the search in the
//   background (counter off) and in the foreground.
// grid: from the end of a search for STRING to the end of the event-loop
//   pass that first paints the results grid, and the same for a bare
//   QTableView whose model gets as many rows.
// report: the core's report of 100,000 hits of STRING written to a file in
//   DIR, and as many bytes written there by a plain write() loop.
//
// Times are CPU seconds of the process, as in nomix95-bench: waiting for an
// event or for a core that others use costs none. Output: "key value" lines.

#include "benchclock.h"
#include "settingsfile.h"

#include "tools/commandline.h"

#include "core/database.h"
#include "core/reportfile.h"
#include "core/reportwriter.h"
#include "core/searchengine.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/resultsmodel.h"
#include "mainwindow/resultsview.h"
#include "mainwindow/searchcontroller.h"
#include "platform/messagebox.h"
#include "platform/settings.h"

#include <QAbstractButton>
#include <QAbstractTableModel>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHeaderView>
#include <QSlider>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <exception>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace nomix;

namespace {

constexpr const char* kUsage = "Usage: nomix95-guibench [--runs N] --dir DBDIR background STRING\n"
                               "       nomix95-guibench [--runs N] --dir DBDIR grid STRING\n"
                               "       nomix95-guibench [--runs N] --dir DBDIR --out DIR report "
                               "STRING\n";

constexpr size_t kReportHits = 100000;

// The speed bar's positions: background without the counter, and foreground.
constexpr int kBackgroundPosition = 1;
constexpr int kForegroundPosition = 2;

using bench::cpuSeconds;
using bench::median;
using bench::Rounds;
using bench::secondsOf;

// Lets the event loop finish what earlier work left pending (paints,
// deferred layouts), so it is not charged to the next timing.
void settle() {
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

// Notes paint events of one widget.
class PaintWatch : public QObject {
  public:
    explicit PaintWatch(QWidget* widget) { widget->installEventFilter(this); }
    bool painted = false;

  protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            painted = true;
        }
        return false;
    }
};

// Runs the event loop until the watched widget has been painted, and
// returns the CPU time at the end of that pass. The loop sleeps while no
// event is due, so waiting for the platform's next frame costs nothing.
double cpuSecondsAtPaint(PaintWatch& watch) {
    bool timedOut = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&timedOut] { timedOut = true; });
    guard.start(30000);
    while (!watch.painted && !timedOut) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    if (!watch.painted) {
        throw std::runtime_error("the widget was never painted");
    }
    return cpuSeconds();
}

// The main window as a user starts it, on the database in `dbDir`, with a
// private settings folder.
class Window {
  public:
    explicit Window(const QString& dbDir) {
        if (!m_config.isValid()) {
            throw std::runtime_error("cannot create a settings folder");
        }
        qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
        writeSettingsFile(m_config.filePath(QStringLiteral("Talvora/Nomix95.reg")).toStdString(),
                          unattendedSettings(dbDir.toStdString()));
        MessageBox::setAutoAnswer(true);
        m_form.start();
        if (!results()->databaseLoaded()) {
            throw std::runtime_error("the main window did not load " + dbDir.toStdString());
        }
        settle();
    }

    ResultsView* grid() const { return m_form.findChild<ResultsView*>("resultsView"); }
    ResultsModel* results() const { return grid()->resultsModel(); }
    int hitCount() const { return m_form.findChild<SearchController*>()->hitCount(); }
    // As a user starts one: the Search button runs until the search is done.
    void clickSearch() { m_form.findChild<QAbstractButton*>("searchButton")->click(); }

    void setSearch(const QString& text, int speedPosition) {
        m_form.findChild<QComboBox*>("searchBox")->setEditText(text);
        m_form.findChild<QSlider*>("speedTrackBar")->setValue(speedPosition);
        const bool background = speedPosition <= 1;
        const Settings* settings = m_form.findChild<Settings*>();
        if (settings->value(Option::SearchInBackground) != background ||
            settings->value(Option::UpdateItemCounter)) {
            throw std::runtime_error("the speed bar did not set the search options");
        }
    }

    MainWindow& form() { return m_form; }

  private:
    QTemporaryDir m_config; // made before the window, removed after it
    MainWindow m_form;
};

void benchBackground(const QString& dbDir, const QString& text, int runs) {
    Window window(dbDir);
    const auto searchAt = [&window, &text](int speedPosition) {
        window.setSearch(text, speedPosition);
        settle();
        const double seconds = secondsOf([&window] { window.clickSearch(); });
        if (window.results()->searchRunning() || window.hitCount() == 0) {
            throw std::runtime_error("the search did not finish with hits");
        }
        return seconds;
    };
    Rounds rounds;
    rounds.addTimed("background", [&searchAt] { return searchAt(kBackgroundPosition); });
    rounds.addTimed("foreground", [&searchAt] { return searchAt(kForegroundPosition); });
    rounds.run(runs);
    std::printf("hits %d\n", window.hitCount());
}

// What a bare table needs: a row count, a column count and a text per cell.
class BareModel : public QAbstractTableModel {
  public:
    explicit BareModel(int columns) : m_columns(columns) {}
    void setRows(int rows) {
        beginResetModel();
        m_rows = rows;
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : m_rows;
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : m_columns;
    }
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override {
        if (!index.isValid() || role != Qt::DisplayRole) {
            return QVariant();
        }
        return QStringLiteral("Trojan.Win32.Agent.dpvl");
    }

  private:
    int m_columns;
    int m_rows = 1;
};

void benchGrid(const QString& dbDir, const QString& text, int runs) {
    Window window(dbDir);
    window.setSearch(text, kForegroundPosition);
    ResultsView* grid = window.grid();

    // The grid's rows change last of all in a search: the result list is
    // complete when its model starts to reset.
    double resetAt = 0;
    PaintWatch gridWatch(grid->viewport());
    QObject::connect(grid->resultsModel(), &QAbstractItemModel::modelAboutToBeReset, [&] {
        resetAt = cpuSeconds();
        gridWatch.painted = false;
    });

    BareModel bareModel(grid->resultsModel()->columnCount());
    QTableView bare;
    bare.setModel(&bareModel);
    bare.verticalHeader()->hide();
    bare.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    bare.verticalHeader()->setDefaultSectionSize(ResultsView::kRowHeight);
    bare.horizontalHeader()->setDefaultSectionSize(grid->columnWidth(0));
    bare.resize(grid->size());
    bare.show();
    PaintWatch bareWatch(bare.viewport());
    settle();

    int rows = 0;
    Rounds rounds;
    rounds.addTimed("grid", [&] {
        settle();
        window.clickSearch();
        rows = grid->model()->rowCount();
        return cpuSecondsAtPaint(gridWatch) - resetAt;
    });
    rounds.addTimed("bare", [&] {
        bareModel.setRows(1);
        settle();
        const double start = cpuSeconds();
        bareWatch.painted = false;
        bareModel.setRows(rows);
        return cpuSecondsAtPaint(bareWatch) - start;
    });
    rounds.run(runs);
    std::printf("rows %d\n", rows);
    std::printf("hits %d\n", window.hitCount());
}

// Every step-th hit, so the report's rows spread over the whole database.
std::vector<uint32_t> SpreadHits(const std::vector<uint32_t>& hits, size_t wanted) {
    const size_t step = std::max<size_t>(1, hits.size() / wanted);
    std::vector<uint32_t> spread;
    for (size_t i = 0; i < hits.size() && spread.size() < wanted; i += step) {
        spread.push_back(hits[i]);
    }
    return spread;
}

off_t FileSize(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        throw std::runtime_error("cannot stat " + path);
    }
    return st.st_size;
}

void writeReport(const std::string& path, const ReportHeader& header, const ReportRows& rows) {
    ReportFile file(path, ReportOpenMode::Create);
    ReportWriter writer(file);
    writer.writeHeader(header);
    writer.writeRows(rows);
    writer.flush();
    file.commit();
}

// `size` bytes in blocks of the writer's size, to a new file as the report
// file opens it.
void writePlain(const std::string& path, const std::string& block, off_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        throw std::runtime_error("cannot create " + path);
    }
    off_t left = size;
    while (left > 0) {
        const size_t chunk = std::min<size_t>(block.size(), static_cast<size_t>(left));
        const ssize_t written = ::write(fd, block.data(), chunk);
        if (written <= 0) {
            ::close(fd);
            throw std::runtime_error("cannot write " + path);
        }
        left -= written;
    }
    if (::close(fd) != 0) {
        throw std::runtime_error("cannot close " + path);
    }
}

void benchReport(const std::string& dbDir, const std::string& outDir, const std::string& text,
                 int runs) {
    std::optional<Database> db = nomix::loadDatabaseFiles({dbDir, "NOMIX.DAT", "NOMIX.CFG"});
    if (!db) {
        throw std::runtime_error("no database in " + dbDir);
    }
    std::vector<std::string> names;
    for (const std::string& entry : db->table.entries) {
        names.push_back(splitProductEntry(entry).name);
    }
    SearchRequest request;
    request.text = text;
    request.columnCount = names.size();
    request.selected.assign(names.size(), true);
    const std::vector<uint32_t> hits =
        SpreadHits(nomix::runSearch(db->names.lines, request).hits, kReportHits);
    const ProductSelection selection(names.size());
    const ReportHeader header{"12/08/2025", "14:28:00", text, static_cast<int32_t>(hits.size())};
    const ReportRows rows{db->names.lines, hits, names, selection};

    const std::string reportPath = outDir + "/report.txt";
    const std::string plainPath = outDir + "/plain.txt";
    ::unlink(reportPath.c_str());
    ::unlink(plainPath.c_str());
    writeReport(reportPath, header, rows);
    const off_t bytes = FileSize(reportPath);
    ::unlink(reportPath.c_str());
    const std::string block(ReportWriter::kDefaultBlockSize, 'x');

    // Removing a file of this size takes time of its own; it is left out.
    Rounds rounds;
    rounds.addTimed("report", [&] {
        const double seconds = secondsOf([&] { writeReport(reportPath, header, rows); });
        ::unlink(reportPath.c_str());
        return seconds;
    });
    rounds.addTimed("write", [&] {
        const double seconds = secondsOf([&] { writePlain(plainPath, block, bytes); });
        ::unlink(plainPath.c_str());
        return seconds;
    });
    rounds.run(runs);
    std::printf("hits %zu\n", hits.size());
    std::printf("bytes %jd\n", static_cast<intmax_t>(bytes));
}

void run(const std::string& measure, const std::string& dbDir, const std::string& outDir,
         const std::string& text, int runs) {
    if (measure == "report") {
        if (outDir.empty()) {
            throw std::runtime_error("report needs --out");
        }
        benchReport(dbDir, outDir, text, runs);
    } else if (measure == "background") {
        benchBackground(QString::fromStdString(dbDir), QString::fromStdString(text), runs);
    } else if (measure == "grid") {
        benchGrid(QString::fromStdString(dbDir), QString::fromStdString(text), runs);
    } else {
        throw std::runtime_error("unknown measure " + measure);
    }
}

} // namespace

int main(int argc, char** argv) {
    // No display and no sound device are needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) {
        qputenv("SDL_AUDIODRIVER", "dummy");
    }
    // Takes Qt's own options out of the arguments.
    QApplication app(argc, argv);
    CommandLine line("nomix95-guibench", kUsage, CommandLine::UsageShown::AfterEveryMistake);
    int runs = 5;
    std::string dbDir;
    std::string outDir;
    std::string measure;
    std::string text;
    line.app().add_option("--runs", runs);
    line.app().add_option("--dir", dbDir)->required();
    line.app().add_option("--out", outDir);
    line.app().add_option("MEASURE", measure)->required();
    line.app().add_option("STRING", text)->required();
    if (const std::optional<nomix::ExitStatus> status = line.parse(argc, argv)) {
        return nomix::exitCode(*status);
    }
    try {
        run(measure, dbDir, outDir, text, std::max(1, runs));
        return 0;
    } catch (const std::exception& e) {
        return nomix::exitCode(line.reject(e.what()));
    }
}
