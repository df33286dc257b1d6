// SPDX-License-Identifier: MIT
#pragma once

#include "core/import/scanreports.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nomix {

// What to import: report files ("-" reads standard input) into a folder.
struct ImportRequest {
    std::vector<std::string> files;
    std::string folder;
    // Adds to the database an earlier import wrote into the folder.
    bool update = false;
    // The database's label; defaultImportLabel() when none is given.
    std::optional<std::string> label;
};

// How an import tells its caller what it does and learns whether to go on.
// Every call comes on the thread that runs the import.
class ImportCallbacks {
  public:
    virtual ~ImportCallbacks() = default;

    // After each piece of an input: the bytes read of all inputs so far, and
    // the samples gathered.
    virtual void progressed(uint64_t bytesRead, size_t samples);
    // Asked after each piece and while the database is written: true stops
    // the import, which throws ImportStopped and leaves the folder as it was.
    virtual bool stopRequested();
    // A line of `file` (1-based) that held no report and was skipped.
    virtual void lineSkipped(const std::string& file, size_t line, const std::string& reason);
};

struct ImportSummary {
    // False when no report was found: nothing was written then.
    bool written = false;
    size_t samples = 0;
    size_t products = 0;
    size_t skippedLines = 0;
    // Names the files could not hold as the reports gave them.
    std::vector<NameDatabaseBuilder::Change> engineChanges;
    std::vector<NameDatabaseBuilder::Change> nameChanges;
};

// Reads every report file, decompressed as its first bytes say, builds the
// product table and name database and writes them into the folder (see
// writeImportedDatabase()). Throws ImportError with the message the user
// sees when an input cannot be read, is corrupt, or the folder cannot be
// written; ImportStopped when the callbacks asked to stop. The folder's
// files change only when the summary says written.
ImportSummary importScanReports(const ImportRequest& request, ImportCallbacks& callbacks);

} // namespace nomix
