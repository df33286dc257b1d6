// SPDX-License-Identifier: MIT
#include "filelinesource.h"

#include "core/datafolderlock.h"
#include "core/fileerror.h"

#include <sys/stat.h>

namespace nomix {

namespace {

bool isFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string whyNotAFile(const std::string& path) {
    return path + (isFolder(path) ? " is a folder" : " does not exist");
}

std::string noDatabaseMessage(const DataLocation& location) {
    const std::string database = location.databasePath();
    const std::string table = location.tablePath();
    if (!isFolder(database) && !isFolder(table)) {
        return "Could not open the database: neither " + database + " nor " + table + " exists";
    }
    return "Could not open the database: " + whyNotAFile(database) + ", and " + whyNotAFile(table);
}

// A hit handler of the stream search for a handler of any line index.
StreamHitHandler streamHandler(const LineSource::LineHandler& handler) {
    if (!handler) {
        return {};
    }
    return [&handler](uint32_t index, std::string_view text) { handler(index, text); };
}

} // namespace

FileLineSource::FileLineSource(const DataLocation& location) {
    if (!databaseFilesPresent(location)) {
        throw NomixError(noDatabaseMessage(location));
    }
    const DataFolderLock lock(location.directory, DataFolderLock::Mode::Read);
    m_table = readProductTable(location.tablePath(), location.tableName);
    m_database = std::make_unique<FileByteSource>(location.databasePath());
}

bool FileLineSource::isUtf8() {
    return streamIsUtf8(*m_database);
}

int64_t FileLineSource::search(const SearchRequest& request, const LineHandler& onHit) {
    return streamSearch(*m_database, request, streamHandler(onHit));
}

void FileLineSource::forEachLine(const LineHandler& onLine) {
    streamLines(*m_database, streamHandler(onLine));
}

} // namespace nomix
