// SPDX-License-Identifier: MIT
// nomix95-bench: the timings behind bench/run. Every figure is the median
// of --runs repetitions, and the figures that are compared with each other
// are taken in turn within each round, so a noisy neighbour hits both sides.
//
//   nomix95-bench [--runs N] --db FILE search STRING...
//   nomix95-bench [--runs N] --db FILE modes STRING...
//   nomix95-bench [--runs N] --db FILE load
//   nomix95-bench [--runs N] --db FILE --rules DIR family STRING...
//   nomix95-bench [--runs N] run NAME COMMAND ARG... [-- NAME COMMAND ARG...]...
//
// Times are CPU seconds (user and system) of the work, or of the whole
// process for `run`: on an idle machine they equal the wall time of a
// single-threaded run, and unlike it they do not grow while the program waits
// for a core on a machine that others are using. Output: one "key value"
// line per figure.

#include "benchclock.h"

#include "tools/commandline.h"

#include "core/databaselines.h"
#include "core/labelling/familyvote.h"
#include "core/labelling/labellingrules.h"
#include "core/labelling/linefamilies.h"
#include "core/producttable.h"
#include "core/searchengine.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <deque>
#include <exception>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace nomix;

namespace {

constexpr const char* kUsage =
    "Usage: nomix95-bench [--runs N] --db FILE search|modes STRING...\n"
    "       nomix95-bench [--runs N] --db FILE load\n"
    "       nomix95-bench [--runs N] --db FILE --rules DIR family STRING...\n"
    "       nomix95-bench [--runs N] run NAME COMMAND ARG... [-- NAME COMMAND ARG...]...\n";

using bench::cpuSeconds;
using bench::median;
using bench::Rounds;
using bench::secondsOf;

// Stands in for the desktop program's observer, so the engine pays for its
// progress calls as it will there.
class QuietObserver : public SearchObserver {
  public:
    void progressChanged(int percent) override { lastPercent = percent; }
    int lastPercent = 0;
};

SearchRequest requestFor(const std::string& text, MatchMode mode, size_t columns, bool half) {
    SearchRequest request;
    request.text = text;
    request.mode = mode;
    request.columnCount = columns;
    request.allProductsSelected = !half;
    request.selected.assign(columns, true);
    if (half) {
        for (size_t c = 1; c < columns; c += 2) {
            request.selected[c] = false;
        }
    }
    return request;
}

// The number of '|'-separated fields of the first line: the product count
// for a generated database.
size_t columnCount(const DatabaseLines& lines) {
    if (lines.count() == 0) {
        return 0;
    }
    const std::string_view first = lines.at(0);
    return static_cast<size_t>(std::count(first.begin(), first.end(), '|')) + 1;
}

size_t residentBytes() {
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    unsigned long sizePages = 0;
    unsigned long residentPages = 0;
    if (f == nullptr || std::fscanf(f, "%lu %lu", &sizePages, &residentPages) != 2) {
        throw std::runtime_error("cannot read /proc/self/statm");
    }
    std::fclose(f);
    return residentPages * static_cast<size_t>(::sysconf(_SC_PAGESIZE));
}

volatile size_t g_sink = 0;

void benchSearch(const DatabaseLines& lines, const std::vector<std::string>& strings, int runs) {
    const char* const data = lines.data();
    const size_t size = lines.dataSize();
    int absentByte = -1;
    for (int candidate : {0, 1, 0x7F}) {
        if (std::memchr(data, candidate, size) == nullptr) {
            absentByte = candidate;
            break;
        }
    }
    if (absentByte < 0) {
        throw std::runtime_error("no absent byte for the memchr scan");
    }
    const size_t columns = columnCount(lines);
    Rounds rounds;
    rounds.add("scan", [=] { g_sink = g_sink + (std::memchr(data, absentByte, size) != nullptr); });
    for (const std::string& s : strings) {
        const SearchRequest request = requestFor(s, MatchMode::Substring, columns, false);
        QuietObserver observer;
        std::printf("hits:%s %d\n", s.c_str(), runSearch(lines, request, &observer).hitCount);
        rounds.add("search:" + s, [&lines, request] {
            QuietObserver observer;
            g_sink = g_sink + static_cast<size_t>(runSearch(lines, request, &observer).hitCount);
        });
    }
    rounds.run(runs);
}

void benchModes(const DatabaseLines& lines, const std::vector<std::string>& strings, int runs) {
    const size_t columns = columnCount(lines);
    struct Variant {
        const char* name;
        MatchMode mode;
        bool half;
    };
    const Variant variants[] = {
        {"mode0", MatchMode::Substring, false},    {"mode1", MatchMode::BeginsWith, false},
        {"mode2", MatchMode::EndsWith, false},     {"mode3", MatchMode::CompleteMatch, false},
        {"mode0half", MatchMode::Substring, true},
    };
    Rounds rounds;
    for (const std::string& s : strings) {
        for (const Variant& v : variants) {
            const SearchRequest request = requestFor(s, v.mode, columns, v.half);
            rounds.add(std::string(v.name) + ":" + s, [&lines, request] {
                QuietObserver observer;
                g_sink =
                    g_sink + static_cast<size_t>(runSearch(lines, request, &observer).hitCount);
            });
        }
    }
    rounds.run(runs);
}

void benchLoad(const std::string& path, int runs) {
    // The first load runs in a fresh process, so what it adds to the
    // resident set is what a user's program would pay.
    const size_t before = residentBytes();
    NameDatabase first = readNameDatabase(path);
    const size_t after = residentBytes();
    std::printf("rss_added %zu\n", after - before);
    std::printf("file_size %ju\n", static_cast<uintmax_t>(std::filesystem::file_size(path)));
    std::printf("lines %zu\n", first.lines.count());
    first = NameDatabase();
    Rounds rounds;
    rounds.add("load", [&path] {
        NameDatabase db = readNameDatabase(path);
        g_sink = g_sink + db.lines.count();
    });
    rounds.run(runs);
}

double wallSeconds(const std::function<void()>& work) {
    const auto started = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

// The families of every line, voted on every core, against one search for
// each string, both in wall time: the vote's CPU time is that of all cores
// together, and the user waits for the wall clock. Also prints the CPU time
// of the families ("family_cpu"), the threads and how many lines have one.
void benchFamilies(const DatabaseLines& lines, const ProductTable& table, const std::string& rules,
                   const std::vector<std::string>& strings, int runs) {
    const FamilyVote vote(LabellingRules::fromFolder(rules), table);
    const size_t columns = columnCount(lines);
    const std::optional<LineFamilies> first = computeLineFamilies(vote, lines);
    size_t withFamily = 0;
    for (size_t i = 0; i < first->lineCount(); ++i) {
        withFamily += first->familyOf(i).empty() ? 0 : 1;
    }
    std::printf("lines_with_family %zu of %zu, %zu families, %u threads\n", withFamily,
                first->lineCount(), first->names().size(), std::thread::hardware_concurrency());
    Rounds rounds;
    rounds.addTimed("family", [&] {
        return wallSeconds(
            [&] { g_sink = g_sink + computeLineFamilies(vote, lines)->lineCount(); });
    });
    rounds.add("family_cpu",
               [&] { g_sink = g_sink + computeLineFamilies(vote, lines)->lineCount(); });
    for (const std::string& s : strings) {
        const SearchRequest request = requestFor(s, MatchMode::Substring, columns, false);
        rounds.addTimed("search:" + s, [&lines, request] {
            return wallSeconds([&] {
                QuietObserver observer;
                g_sink =
                    g_sink + static_cast<size_t>(runSearch(lines, request, &observer).hitCount);
            });
        });
    }
    rounds.run(runs);
}

struct ProcessCost {
    double seconds = 0;          // CPU, user and system
    double wallSeconds = 0;      // from start to end, for programs that use several cores
    long peakResidentKbytes = 0; // the most memory it held at once
};

// The cost of one run of `args` (a program and its arguments), output thrown
// away, taken from the kernel's account of the finished child.
ProcessCost processCost(const std::vector<std::string>& args) {
    const auto started = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child < 0) {
        throw std::runtime_error("cannot start " + args[0]);
    }
    if (child == 0) {
        const int devNull = ::open("/dev/null", O_WRONLY);
        ::dup2(devNull, STDOUT_FILENO);
        ::dup2(devNull, STDERR_FILENO);
        std::vector<char*> argv;
        for (const std::string& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    if (::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) > 1) { // 1 is "no hit" for grep-like programs
        throw std::runtime_error("failed: " + args[0]);
    }
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
    };
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - started;
    return {seconds(usage.ru_utime) + seconds(usage.ru_stime), wall.count(), usage.ru_maxrss};
}

// Arguments "NAME COMMAND ARG... -- NAME COMMAND ARG...". Besides the
// median times, prints "rss:NAME KBYTES", the largest peak of any run, and
// "wall:NAME SECONDS", the median wall time.
void benchProcesses(const std::vector<std::string>& words, int runs) {
    Rounds rounds;
    struct Seen {
        std::string name;
        long peak = 0;
        std::vector<double> walls; // the first is the warm-up's
    };
    std::deque<Seen> seen; // stays in place as it grows
    size_t i = 0;
    while (i < words.size()) {
        size_t end = i;
        while (end < words.size() && words[end] != "--") {
            ++end;
        }
        if (end - i < 2) {
            throw std::runtime_error("run needs NAME COMMAND for each command");
        }
        const std::vector<std::string> args(words.begin() + static_cast<long>(i) + 1,
                                            words.begin() + static_cast<long>(end));
        seen.push_back({words[i], 0, {}});
        Seen* command = &seen.back();
        rounds.addTimed(words[i], [args, command] {
            const ProcessCost cost = processCost(args);
            command->peak = std::max(command->peak, cost.peakResidentKbytes);
            command->walls.push_back(cost.wallSeconds);
            return cost.seconds;
        });
        i = end + 1;
    }
    rounds.run(runs);
    for (Seen& command : seen) {
        std::printf("rss:%s %ld\n", command.name.c_str(), command.peak);
        command.walls.erase(command.walls.begin());
        std::printf("wall:%s %.6f\n", command.name.c_str(), median(command.walls));
    }
}

int run(const std::string& db, const std::string& rules, std::vector<std::string> words, int runs) {
    if (!words.empty() && words.front() == "--") {
        words.erase(words.begin());
    }
    if (words.empty()) {
        throw std::runtime_error("a measure is needed");
    }
    const std::string measure = words.front();
    const std::vector<std::string> strings(words.begin() + 1, words.end());
    if (measure == "run") {
        benchProcesses(strings, runs);
        return 0;
    }
    if (db.empty()) {
        throw std::runtime_error("--db is needed");
    }
    if (measure == "load") {
        benchLoad(db, runs);
        return 0;
    }
    if (measure != "search" && measure != "modes" && measure != "family") {
        throw std::runtime_error("unknown measure " + measure);
    }
    const NameDatabase names = readNameDatabase(db);
    if (measure == "family") {
        if (rules.empty()) {
            throw std::runtime_error("--rules is needed");
        }
        const std::string tablePath =
            (std::filesystem::path(db).parent_path() / "NOMIX.CFG").string();
        benchFamilies(names.lines, readProductTable(tablePath, tablePath), rules, strings, runs);
    } else if (measure == "search") {
        benchSearch(names.lines, strings, runs);
    } else {
        benchModes(names.lines, strings, runs);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    CommandLine line("nomix95-bench", kUsage, CommandLine::UsageShown::AfterEveryMistake);
    CLI::App& app = line.app();
    // The options stand before the measure; what follows it, options of
    // the commands that `run` times included, is the measure's.
    app.prefix_command();
    int runs = 5;
    std::string db;
    std::string rules;
    app.add_option("--runs", runs);
    app.add_option("--db", db);
    app.add_option("--rules", rules);
    if (const std::optional<nomix::ExitStatus> status = line.parse(argc, argv)) {
        return nomix::exitCode(*status);
    }
    try {
        return run(db, rules, line.app().remaining(), std::max(1, runs));
    } catch (const std::exception& e) {
        return nomix::exitCode(line.reject(e.what()));
    }
}
