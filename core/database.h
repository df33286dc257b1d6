// SPDX-License-Identifier: MIT
#pragma once

#include "databaselines.h"
#include "producttable.h"

#include <functional>
#include <optional>
#include <string>

namespace nomix {

// The two data files' usual names, which the import writes and the programs
// look for unless told otherwise.
inline constexpr const char* kNameDatabaseFileName = "NOMIX.DAT";
inline constexpr const char* kProductTableFileName = "NOMIX.CFG";

// Where the two data files are: the common directory and the two file names,
// joined as typed.
struct DataLocation {
    std::string directory;
    std::string databaseName; // name database, NOMIX.DAT
    std::string tableName;    // product table, NOMIX.CFG

    std::string databasePath() const;
    std::string tablePath() const;
};

// True when the name database exists; otherwise whether the product table
// does.
bool databaseFilesPresent(const DataLocation& location);

struct Database {
    ProductTable table;
    NameDatabase names;
};

// Both files read, the product table first. Empty when neither file exists;
// throws FileError or NomixError on any other failure.
std::optional<Database> loadDatabaseFiles(const DataLocation& location,
                                          const std::function<void()>& onProgress = {});

} // namespace nomix
