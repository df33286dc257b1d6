// SPDX-License-Identifier: MIT
// nomix95-import: builds the program's product table and name database from
// multi-engine scan reports, so analysts can search their own labels.

#include "commandline.h"
#include "exitstatus.h"

#include "core/import/importscanreports.h"
#include "core/import/scratchfolder.h"
#ifdef NOMIX_WITH_SERVER
#include "core/server/serverconnection.h"
#include "core/server/servererror.h"
#include "core/server/serverloader.h"
#endif

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using nomix::ExitStatus;
using nomix::ImportError;
using nomix::NameDatabaseBuilder;

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

const char* const kUsage =
    "Usage: nomix95-import --out DIR [--label TEXT] FILE...\n"
    "       nomix95-import --update DIR [--label TEXT] FILE...\n"
    "       nomix95-import --server URL [--update] [--label TEXT] FILE...\n"
    "       nomix95-import --server URL --from-dir DIR\n"
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
    "  --server URL  loads into the team database on a PostgreSQL server instead\n"
    "                (postgresql://user@host:port/dbname or \"host=... dbname=...\";\n"
    "                a password from the URL or ~/.pgpass): the reports replace\n"
    "                what it holds, or with --update are added to it (reports\n"
    "                naming an engine it has no product for are refused); on any\n"
    "                failure the server keeps what it held\n"
    "  --from-dir DIR  with --server: loads DIR/NOMIX.CFG and DIR/NOMIX.DAT\n"
    "  --help        this text\n"
    "\n"
    "Exit status: 0 every line read; 1 written, but lines were skipped (each\n"
    "named on standard error as FILE:LINE: reason); 2 nothing written, as\n"
    "when a FILE cannot be read or its compressed data is corrupt or cut short.\n";

struct Options {
    std::string out;
    std::string server;
    std::string fromDir;
    std::string label;
    bool labelGiven = false;
    bool update = false;
    std::vector<std::string> files;
};

// Shows how far a long import is, when a person watches the terminal, and
// names each skipped line.
class TerminalProgress : public nomix::ImportCallbacks {
  public:
    TerminalProgress() : m_shown(isatty(STDERR_FILENO) != 0) {}
    void progressed(uint64_t bytesRead, size_t samples) override {
        if (!m_shown || std::time(nullptr) == m_last) {
            return;
        }
        m_last = std::time(nullptr);
        std::fprintf(stderr, "\r%zu reports, %zu MB read", samples,
                     static_cast<size_t>(bytesRead >> 20));
        m_drawn = true;
    }
    bool stopRequested() override { return g_stopRequested != 0; }
    void lineSkipped(const std::string& file, size_t line, const std::string& reason) override {
        clear();
        std::fprintf(stderr, "%s:%zu: %s\n", file.c_str(), line, reason.c_str());
    }
    void clear() {
        if (m_drawn) {
            std::fprintf(stderr, "\r\033[K");
            m_drawn = false;
        }
    }

  private:
    bool m_shown;
    bool m_drawn = false;
    std::time_t m_last = 0;
};

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
void reportChanges(const nomix::ImportSummary& summary) {
    for (const NameDatabaseBuilder::Change& change : summary.engineChanges) {
        std::fprintf(stderr, "nomix95-import: engine %s is the product %s\n",
                     quoted(change.original).c_str(), quoted(change.written).c_str());
    }
    for (const NameDatabaseBuilder::Change& change : summary.nameChanges) {
        std::fprintf(stderr, "nomix95-import: the name %s is written as %s (%zu times)\n",
                     quoted(change.original).c_str(), quoted(change.written).c_str(), change.count);
    }
}

// Loads into the team database: the reports are imported as for the files
// first, into a scratch folder, and that pair is loaded. Simple, and the
// import's rules hold on the server by construction; a later version may
// send the samples straight from the import.
#ifdef NOMIX_WITH_SERVER
int importIntoServer(const Options& options, const nomix::ImportRequest& request,
                     TerminalProgress& progress) {
    const auto stopped = [] { return g_stopRequested != 0; };
    // A wrong URL fails before any report is read.
    nomix::ServerConnection connection(options.server);
    nomix::ServerLoad load;
    nomix::ImportSummary summary;
    try {
        if (!options.fromDir.empty()) {
            load = nomix::replaceServerData(connection, options.fromDir, stopped);
        } else {
            const nomix::ScratchFolder scratch("nomix95-import");
            nomix::ImportRequest scratchRequest = request;
            scratchRequest.folder = scratch.path();
            scratchRequest.update = false;
            if (options.update) {
                scratchRequest.label.reset(); // the label counts every sample: set below
            }
            summary = nomix::importScanReports(scratchRequest, progress);
            progress.clear();
            if (!summary.written) {
                std::fprintf(stderr, "nomix95-import: no scan report found; nothing written\n");
                return exitCode(ExitStatus::NothingWritten);
            }
            reportChanges(summary);
            load = options.update
                       ? nomix::addToServerData(connection, scratch.path(), request.label, stopped)
                       : nomix::replaceServerData(connection, scratch.path(), stopped);
        }
    } catch (const nomix::ImportStopped&) {
        progress.clear();
        std::fprintf(stderr,
                     "nomix95-import: interrupted; the team database at %s keeps what it held\n",
                     connection.serverName().c_str());
        return exitCode(ExitStatus::NothingWritten);
    }
    if (options.update) {
        std::fprintf(stderr,
                     "nomix95-import: %zu samples added, %zu replaced; the team database at %s "
                     "holds %zu samples, %zu products\n",
                     load.added, load.replaced, connection.serverName().c_str(), load.lines,
                     load.products);
    } else {
        std::fprintf(stderr, "nomix95-import: %zu lines, %zu products written to %s\n", load.lines,
                     load.products, connection.serverName().c_str());
    }
    return exitCode(summary.skippedLines > 0 ? ExitStatus::SomeSkipped : ExitStatus::AllRead);
}
#else
int importIntoServer(const Options&, const nomix::ImportRequest&, TerminalProgress&) {
    std::fputs("nomix95-import: --server: built without the team database (libpq)\n", stderr);
    return exitCode(ExitStatus::NothingWritten);
}
#endif

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
    CLI::Option* server = app.add_option("--server", options.server);
    CLI::Option* fromDir = app.add_option("--from-dir", options.fromDir);
    line.makeExclusive({out, update});
    line.makeExclusive({out, server});
    line.makeExclusive({update, fromDir});
    const CLI::Option* label = app.add_option("--label", options.label);
    app.add_option("FILE", options.files);
    if (const std::optional<ExitStatus> status = line.parse(argc, argv)) {
        return exitCode(*status);
    }
    options.update = update->count() > 0;
    options.labelGiven = label->count() > 0;
    const bool toServer = server->count() > 0;
    if (toServer && options.update) {
        // With a server, --update names no folder: what follows is a report.
        options.files.insert(options.files.begin(), options.out);
        options.out.clear();
    }
    if (fromDir->count() > 0 && !toServer) {
        return exitCode(line.reject("--from-dir DIR needs --server URL"));
    }
    if (toServer && options.server.empty()) {
        return exitCode(line.reject("--server URL is empty"));
    }
    if (!toServer && options.out.empty()) {
        return exitCode(line.reject("--out DIR or --update DIR is missing"));
    }
    if (fromDir->count() > 0 && !options.files.empty()) {
        return exitCode(line.reject("--from-dir DIR takes no report file"));
    }
    if (fromDir->count() == 0 && options.files.empty()) {
        return exitCode(line.reject("no report file given"));
    }
    stopOnTerminationSignals();
    nomix::ImportRequest request{options.files, options.out, options.update, std::nullopt};
    if (options.labelGiven) {
        request.label = options.label;
    }
    TerminalProgress progress;
    nomix::ImportSummary summary;
    try {
        if (toServer) {
            return importIntoServer(options, request, progress);
        }
        summary = nomix::importScanReports(request, progress);
    }
#ifdef NOMIX_WITH_SERVER
    catch (const nomix::ServerError& failure) {
        progress.clear();
        std::fprintf(stderr, "nomix95-import: %s\n", failure.what());
        return exitCode(ExitStatus::NothingWritten);
    }
#endif
    catch (const nomix::FileError& failure) {
        progress.clear();
        std::fprintf(stderr, "nomix95-import: %s: %s\n", failure.path().c_str(), failure.what());
        return exitCode(ExitStatus::NothingWritten);
    } catch (const ImportError& failure) {
        progress.clear();
        std::fprintf(stderr, "nomix95-import: %s\n", failure.what());
        return exitCode(ExitStatus::NothingWritten);
    } catch (const nomix::NomixError& failure) {
        progress.clear();
        std::fprintf(stderr, "nomix95-import: %s\n", failure.what());
        return exitCode(ExitStatus::NothingWritten);
    } catch (const std::bad_alloc&) {
        progress.clear();
        std::fputs("nomix95-import: Out of memory\n", stderr);
        return exitCode(ExitStatus::NothingWritten);
    }
    progress.clear();
    if (!summary.written) {
        std::fprintf(stderr, "nomix95-import: no scan report found; nothing written\n");
        return exitCode(ExitStatus::NothingWritten);
    }
    reportChanges(summary);
    std::fprintf(stderr, "nomix95-import: %zu samples, %zu products written to %s\n",
                 summary.samples, summary.products, options.out.c_str());
    return exitCode(summary.skippedLines > 0 ? ExitStatus::SomeSkipped : ExitStatus::AllRead);
}
