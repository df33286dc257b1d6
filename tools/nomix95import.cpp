// SPDX-License-Identifier: MIT
// nomix95-import: builds the program's product table and name database from
// multi-engine scan reports, so analysts can search their own labels.

#include "commandline.h"

#include "core/import/compressedinput.h"
#include "core/import/scanreports.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using nomix::CompressedInput;
using nomix::ImportError;
using nomix::NameDatabaseBuilder;
using nomix::ScanReport;
using nomix::ScanReportReader;

constexpr int kAllRead = 0;
constexpr int kSomeSkipped = 1;
constexpr int kNothingWritten = 2;
constexpr size_t kChunk = 1 << 17;

// Set by SIGTERM and SIGINT: the import stops, removes what it had begun to
// write and leaves the folder as it was.
volatile std::sig_atomic_t g_stopRequested = 0;

void requestStop(int) {
    g_stopRequested = 1;
}

// Without SA_RESTART, so that a read waiting on a pipe returns at once.
void stopOnTerminationSignals() {
    struct sigaction action = {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

bool stopRequested() {
    return g_stopRequested != 0;
}

const char* const kUsage =
    "Usage: nomix95-import --out DIR [--label TEXT] FILE...\n"
    "       nomix95-import --update DIR [--label TEXT] FILE...\n"
    "Builds DIR/NOMIX.CFG and DIR/NOMIX.DAT from multi-engine scan reports.\n"
    "\n"
    "FILE holds JSON Lines (one report a line) or one JSON document (a report\n"
    "or an array of reports); - reads standard input. A FILE, or standard\n"
    "input, compressed with gzip, zstd or bzip2 is read as the plain file,\n"
    "whatever its name. Reports may be API v3 file objects (with or without\n"
    "their \"data\" wrapper) or API v2 file reports. The first product is\n"
    "SHA-256, holding each sample's hash; then one product per engine, sorted\n"
    "by name. Fields: the detection's name, UNKNOWN_VIRUS (detected without a\n"
    "name), NO_VIRUS, ~REASON (the engine did not scan the file),\n"
    "~not in report.\n"
    "\n"
    "  --out DIR     the folder to write, made with its parents if missing;\n"
    "                files already there are replaced only once both new ones\n"
    "                are complete\n"
    "  --update DIR  adds the reports to the database an earlier import wrote\n"
    "                in DIR: a sample seen again keeps its newest analysis, new\n"
    "                engines become new products; only the new reports are read\n"
    "  --label TEXT  the database's label (default: \"Imported N samples on DATE\")\n"
    "  --help        this text\n"
    "\n"
    "Exit status: 0 every line read; 1 written, but lines were skipped (each\n"
    "named on standard error as FILE:LINE: reason); 2 nothing written, as\n"
    "when a FILE cannot be read or its compressed data is corrupt or cut short.\n";

struct Options {
    std::string out;
    std::string label;
    bool labelGiven = false;
    bool update = false;
    std::vector<std::string> files;
};

// Shows how far a long import is, when a person watches the terminal.
class Progress {
  public:
    Progress() : m_shown(isatty(STDERR_FILENO) != 0) {}
    void update(size_t reports, size_t bytes) {
        if (!m_shown || std::time(nullptr) == m_last) {
            return;
        }
        m_last = std::time(nullptr);
        std::fprintf(stderr, "\r%zu reports, %zu MB read", reports, bytes >> 20);
        m_drawn = true;
    }
    void clear() {
        if (m_drawn) {
            std::fprintf(stderr, "\r\033[K");
        }
    }

  private:
    bool m_shown;
    bool m_drawn = false;
    std::time_t m_last = 0;
};

// Reads every input; false when one cannot be read at all.
bool readInputs(const Options& options, NameDatabaseBuilder& builder, size_t& skipped) {
    Progress progress;
    size_t bytesRead = 0;
    std::vector<char> buffer(kChunk);
    for (const std::string& name : options.files) {
        const bool standardInput = name == "-";
        const int fd = standardInput ? STDIN_FILENO : open(name.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat info = {};
        if (fd < 0 || fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
            const int err = fd < 0 ? errno : EISDIR;
            std::fprintf(stderr, "nomix95-import: %s: %s\n", name.c_str(), std::strerror(err));
            if (fd >= 0) {
                close(fd);
            }
            progress.clear();
            return false;
        }
        ScanReportReader reader([&](ScanReport&& report) { builder.add(std::move(report)); },
                                [&](size_t line, const std::string& reason) {
                                    progress.clear();
                                    std::fprintf(stderr, "%s:%zu: %s\n", name.c_str(), line,
                                                 reason.c_str());
                                    ++skipped;
                                });
        CompressedInput input([&reader](std::string_view bytes) { reader.feed(bytes); });
        ssize_t got = 0;
        bool intact = true;
        while (intact && !stopRequested() && (got = read(fd, buffer.data(), buffer.size())) > 0) {
            intact = input.feed(std::string_view(buffer.data(), static_cast<size_t>(got)));
            bytesRead += static_cast<size_t>(got);
            progress.update(builder.sampleCount(), bytesRead);
        }
        const int readError = got < 0 ? errno : 0;
        if (!standardInput) {
            close(fd);
        }
        if (stopRequested()) {
            progress.clear();
            return false;
        }
        if (readError != 0) {
            progress.clear();
            std::fprintf(stderr, "nomix95-import: %s: %s\n", name.c_str(),
                         std::strerror(readError));
            return false;
        }
        if (!input.finish()) {
            progress.clear();
            std::fprintf(stderr, "nomix95-import: %s: %s\n", name.c_str(), input.error().c_str());
            return false;
        }
        reader.finish();
    }
    progress.clear();
    return true;
}

// Text as C would quote it, so a line break or a bar in a name shows.
std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", static_cast<unsigned char>(c));
            out += escape;
        } else {
            out += c;
        }
    }
    return out + '"';
}

// Every name the files could not hold as the reports gave it.
void reportChanges(const NameDatabaseBuilder& builder) {
    for (const NameDatabaseBuilder::Change& change : builder.engineChanges()) {
        std::fprintf(stderr, "nomix95-import: engine %s is the product %s\n",
                     quoted(change.original).c_str(), quoted(change.written).c_str());
    }
    for (const NameDatabaseBuilder::Change& change : builder.nameChanges()) {
        std::fprintf(stderr, "nomix95-import: the name %s is written as %s (%zu times)\n",
                     quoted(change.original).c_str(), quoted(change.written).c_str(), change.count);
    }
}

bool writeDatabase(const Options& options, const NameDatabaseBuilder& builder) {
    const std::string label =
        options.labelGiven ? options.label
                           : nomix::defaultImportLabel(builder.sampleCount(), std::time(nullptr));
    try {
        nomix::writeImportedDatabase(options.out, builder, label, stopRequested);
    } catch (const ImportError& failure) {
        std::fprintf(stderr, "nomix95-import: %s\n", failure.what());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    Options options;
    nomix::CommandLine line("nomix95-import", kUsage,
                            nomix::CommandLine::UsageShown::AfterEveryMistake);
    CLI::App& app = line.app();
    // One folder, given once: a second is a mistake, not a choice.
    CLI::Option* out =
        app.add_option("--out", options.out)->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    CLI::Option* update =
        app.add_option("--update", options.out)->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    line.makeExclusive({out, update});
    const CLI::Option* label = app.add_option("--label", options.label);
    app.add_option("FILE", options.files);
    if (const std::optional<int> status = line.parse(argc, argv)) {
        return *status;
    }
    options.update = update->count() > 0;
    options.labelGiven = label->count() > 0;
    if (options.out.empty()) {
        return line.reject("--out DIR or --update DIR is missing");
    }
    if (options.files.empty()) {
        return line.reject("no report file given");
    }
    stopOnTerminationSignals();
    // The samples wait in the output folder, where the database will need
    // the room anyway.
    NameDatabaseBuilder builder(options.out);
    if (options.update) {
        try {
            builder.loadPrevious(options.out);
        } catch (const ImportError& failure) {
            std::fprintf(stderr, "nomix95-import: %s\n", failure.what());
            return kNothingWritten;
        }
    }
    size_t skipped = 0;
    if (!readInputs(options, builder, skipped)) {
        if (stopRequested()) {
            std::fprintf(stderr, "nomix95-import: interrupted; nothing written\n");
        }
        return kNothingWritten;
    }
    if (builder.sampleCount() == 0) {
        std::fprintf(stderr, "nomix95-import: no scan report found; nothing written\n");
        return kNothingWritten;
    }
    if (!writeDatabase(options, builder)) {
        return kNothingWritten;
    }
    reportChanges(builder);
    std::fprintf(stderr, "nomix95-import: %zu samples, %zu products written to %s\n",
                 builder.sampleCount(), builder.productCount(), options.out.c_str());
    return skipped > 0 ? kSomeSkipped : kAllRead;
}
