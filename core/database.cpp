// SPDX-License-Identifier: MIT
#include "database.h"

#include "datafile.h"
#include "datafolderlock.h"

namespace nomix {

std::string DataLocation::databasePath() const {
    return joinDataPath(directory, databaseName);
}

std::string DataLocation::tablePath() const {
    return joinDataPath(directory, tableName);
}

bool databaseFilesPresent(const DataLocation& location) {
    if (fileExists(location.databasePath())) {
        return true;
    }
    return fileExists(location.tablePath());
}

std::optional<Database> loadDatabaseFiles(const DataLocation& location,
                                          const std::function<void()>& onProgress) {
    if (!databaseFilesPresent(location)) {
        return std::nullopt;
    }
    // An import replacing the pair waits until both are read.
    const DataFolderLock lock(location.directory, DataFolderLock::Mode::Read);
    Database db;
    db.table = readProductTable(location.tablePath(), location.tableName);
    db.names = readNameDatabase(location.databasePath(), onProgress);
    return db;
}

} // namespace nomix
