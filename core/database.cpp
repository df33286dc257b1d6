#include "database.h"

#include "datafile.h"

namespace nomix {

std::string DataLocation::databasePath() const {
    return JoinDataPath(directory, databaseName);
}

std::string DataLocation::tablePath() const {
    return JoinDataPath(directory, tableName);
}

bool DatabaseFilesPresent(const DataLocation& location) {
    if (FileExists(location.databasePath())) {
        return true;
    }
    return FileExists(location.tablePath());
}

std::optional<Database> LoadDatabaseFiles(const DataLocation& location,
                                          const std::function<void()>& onProgress) {
    if (!DatabaseFilesPresent(location)) {
        return std::nullopt;
    }
    Database db;
    db.table = ReadProductTable(location.tablePath(), location.tableName);
    db.names = ReadNameDatabase(location.databasePath(), onProgress);
    return db;
}

} // namespace nomix
