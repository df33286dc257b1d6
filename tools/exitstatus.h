// SPDX-License-Identifier: MIT
#pragma once

namespace nomix {

// The exit statuses of the command-line programs, by what they mean to the
// script that runs one. Scripts test the numbers, so they never change.
enum class ExitStatus : int {
    // Every program: --help or --version answered.
    UsageShown = 0,
    // Every program: a mistake on the command line, told on standard error.
    UsageError = 2,

    // nomix95-cli: the search found hits (or the list asked for was printed).
    Hits = 0,
    // nomix95-cli: the search found nothing.
    NoHits = 1,
    // nomix95-cli: the data could not be read, or another failure.
    Error = 2,

    // nomix95-import: the database was written from every line.
    AllRead = 0,
    // nomix95-import: the database was written, but lines were skipped.
    SomeSkipped = 1,
    // nomix95-import: nothing was written.
    NothingWritten = 2,
};

constexpr int exitCode(ExitStatus status) {
    return static_cast<int>(status);
}

} // namespace nomix
