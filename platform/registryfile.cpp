#include "registryfile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace nomix {

namespace {

constexpr std::string_view kRootPrefix = "HKEY_CURRENT_USER\\";

bool hasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != text.npos;
}

// ---- Files --------------------------------------------------------------

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    if (home && *home) {
        return home;
    }
    const passwd* entry = getpwuid(getuid());
    return entry && entry->pw_dir ? entry->pw_dir : "";
}

std::string folderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == path.npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string fileNameOf(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

// Hidden, and named after the file it will replace: ".Nomix95.reg.".
std::string temporaryNamePrefix(const std::string& target) {
    return "." + fileNameOf(target) + ".";
}

// A settings file that is a link (dotfile managers do this) stays a link:
// the new text replaces the file it points to.
std::string resolveLinks(const std::string& path) {
    char* real = realpath(path.c_str(), nullptr);
    if (!real) {
        return path;
    }
    std::string resolved = real;
    std::free(real);
    return resolved;
}

// Creates the missing folders of `folder`, private to the user as the
// desktop's configuration folders are. Returns 0 or an errno value.
int createFolders(const std::string& folder) {
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        std::string prefix = folder.substr(0, slash);
        if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
            return errno;
        }
        if (slash == folder.npos) {
            return 0;
        }
    }
}

int readWholeFile(int fd, std::string& bytes) {
    char buffer[65536];
    for (;;) {
        ssize_t count = read(fd, buffer, sizeof buffer);
        if (count == 0) {
            return 0;
        }
        if (count < 0 && errno != EINTR) {
            return errno;
        }
        if (count > 0) {
            bytes.append(buffer, static_cast<size_t>(count));
        }
    }
}

int writeWholeFile(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t count = write(fd, bytes.data(), bytes.size());
        if (count < 0 && errno != EINTR) {
            return errno;
        }
        if (count > 0) {
            bytes.remove_prefix(static_cast<size_t>(count));
        }
    }
    return 0;
}

// The new file gets the old file's permissions, or stays private.
void keepPermissions(int fd, const std::string& oldPath) {
    struct stat status {};
    if (stat(oldPath.c_str(), &status) == 0) {
        fchmod(fd, status.st_mode & 07777);
    }
}

// The new text's file beside the settings file. It stays locked until it is
// closed, after it has been put in place, so another save can tell the
// file of a save still under way from one a killed save left behind.
class TemporaryFile {
  public:
    TemporaryFile() = default;
    // A file that never took its target's place goes: a failed save leaves
    // nothing behind.
    ~TemporaryFile() {
        if (m_fd >= 0) {
            if (!m_kept) {
                unlink(m_path.c_str());
            }
            close(m_fd);
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::string& path() const { return m_path; }

    // Creates and locks the file. Returns 0 or an errno value.
    int create(const std::string& target) {
        for (;;) {
            m_path = folderOf(target) + "/" + temporaryNamePrefix(target) + "XXXXXX";
            m_fd = mkostemp(m_path.data(), O_CLOEXEC);
            if (m_fd < 0) {
                return errno;
            }
            // Between its creation and the lock, another save may have taken
            // it for a leftover and removed it: then it is made anew.
            const bool locked = flock(m_fd, LOCK_EX) == 0;
            struct stat status {};
            if (!locked || (fstat(m_fd, &status) == 0 && status.st_nlink > 0)) {
                keepPermissions(m_fd, target);
                return 0;
            }
            close(m_fd);
            m_fd = -1;
        }
    }

    // Writes and flushes `text`. Returns 0 or an errno value.
    int write(std::string_view text) {
        int error = writeWholeFile(m_fd, text);
        if (error == 0 && fsync(m_fd) != 0) {
            error = errno;
        }
        return error;
    }

    // The file has taken its target's place: it stays.
    void keep() { m_kept = true; }

  private:
    int m_fd = -1;
    std::string m_path;
    bool m_kept = false;
};

bool isTemporaryFileName(std::string_view name, std::string_view prefix) {
    constexpr size_t kRandomPart = 6; // the XXXXXX of mkostemp
    return name.size() == prefix.size() + kRandomPart && name.starts_with(prefix);
}

// Removes what saves that were killed (or lost their power) left beside
// `target`: a temporary file that nobody holds locked.
void removeLeftoverTemporaryFiles(const std::string& target) {
    const std::string folder = folderOf(target);
    const std::string prefix = temporaryNamePrefix(target);
    DIR* directory = opendir(folder.c_str());
    if (!directory) {
        return;
    }
    while (const dirent* entry = readdir(directory)) {
        if (!isTemporaryFileName(entry->d_name, prefix)) {
            continue;
        }
        const std::string path = folder + "/" + entry->d_name;
        int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0) {
            continue;
        }
        struct stat status {};
        if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
            flock(fd, LOCK_EX | LOCK_NB) == 0) {
            unlink(path.c_str());
        }
        close(fd);
    }
    closedir(directory);
}

// So the rename itself survives a power cut.
void syncFolder(const std::string& folder) {
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

std::string systemMessage(int error) {
    return std::generic_category().message(error);
}

} // namespace

// ---- RegistryFile -------------------------------------------------------

RegistryFile::RegistryFile() : RegistryFile(defaultFilePath()) {}

RegistryFile::RegistryFile(std::string filePath) : m_filePath(std::move(filePath)) {}

// Writes made before an error escaped are committed as a registry would
// have kept them; a failure here has nobody left to tell.
RegistryFile::~RegistryFile() {
    try {
        endWrites();
    } catch (...) {
    }
}

std::string RegistryFile::defaultFilePath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string base = (config && config[0] == '/') ? config : homeFolder() + "/.config";
    return base + "/Talvora/Nomix95.reg";
}

Registry::KeyOpening RegistryFile::openKey(const std::string& path) {
    closeKey();
    m_readFailure.clear();
    if (path.empty() || hasLineBreak(path)) {
        return KeyOpening::Failed;
    }
    Document document;
    if (loadDocument(document) == FileState::Unusable) {
        return KeyOpening::Failed;
    }
    std::string fullPath = std::string(kRootPrefix) + path;
    bool existed = RegistryText::findKey(document, fullPath) != nullptr;
    RegistryText::findOrAddKey(document, fullPath);
    m_snapshot = std::move(document);
    m_openPath = std::move(fullPath);
    m_keyOpen = true;
    return existed ? KeyOpening::Existing : KeyOpening::Created;
}

std::string RegistryFile::readString(const std::string& name) {
    if (!m_keyOpen) {
        throw RegistryError::getDataFailed(name);
    }
    const Value* value = findOpenValue(name);
    if (!value || value->data.empty()) {
        return {};
    }
    if (value->type != ValueType::String && value->type != ValueType::ExpandString) {
        throw RegistryError::invalidDataType(name);
    }
    std::string text = value->data;
    if (text.back() == '\0') {
        text.pop_back();
    }
    return text;
}

int32_t RegistryFile::readInteger(const std::string& name) {
    const Value* value = m_keyOpen ? findOpenValue(name) : nullptr;
    if (!value || value->data.size() > RegistryText::kMaxIntegerSize) {
        throw RegistryError::getDataFailed(name);
    }
    if (value->type != ValueType::Dword) {
        throw RegistryError::invalidDataType(name);
    }
    return static_cast<int32_t>(RegistryText::dwordValue(value->data));
}

void RegistryFile::writeString(const std::string& name, const std::string& value) {
    storeValue(name, ValueType::String, value + '\0');
}

void RegistryFile::writeInteger(const std::string& name, int32_t value) {
    storeValue(name, ValueType::Dword, RegistryText::dwordBytes(static_cast<uint32_t>(value)));
}

void RegistryFile::closeKey() {
    if (!m_keyOpen) {
        return;
    }
    m_keyOpen = false;
    m_snapshot.clear();
    if (m_pendingWrites.empty()) {
        return;
    }
    m_heldWrites.push_back(Key{m_openPath, std::move(m_pendingWrites)});
    m_pendingWrites.clear();
    if (!m_holdingWrites) {
        commitHeldWrites();
    }
}

std::string RegistryFile::openFailureMessage(Purpose purpose) const {
    if (m_readFailure.empty()) {
        return kRootKeyMessage;
    }
    return "Could not read the settings file \"" + m_filePath + "\": " + m_readFailure +
           ". The file was left unchanged; " +
           (purpose == Purpose::Load ? "default settings are used."
                                     : "the settings were not saved.");
}

void RegistryFile::beginWrites() {
    m_holdingWrites = true;
}

void RegistryFile::endWrites() {
    closeKey();
    m_holdingWrites = false;
    commitHeldWrites();
}

void RegistryFile::storeValue(const std::string& name, ValueType type, std::string data) {
    if (!m_keyOpen || hasLineBreak(name)) {
        throw RegistryError::setDataFailed(name);
    }
    Value value{name, type, std::move(data)};
    RegistryText::setValue(*RegistryText::findKey(m_snapshot, m_openPath), value);
    m_pendingWrites.push_back(std::move(value));
}

const RegistryText::Value* RegistryFile::findOpenValue(const std::string& name) const {
    for (const Key& key : m_snapshot) {
        if (!RegistryText::sameName(key.path, m_openPath)) {
            continue;
        }
        for (const Value& value : key.values) {
            if (RegistryText::sameName(value.name, name)) {
                return &value;
            }
        }
    }
    return nullptr;
}

// Applies the writes to the file as it is now, not as it was when their
// keys were opened.
void RegistryFile::commitHeldWrites() {
    std::vector<Key> writes = std::move(m_heldWrites);
    m_heldWrites.clear();
    if (writes.empty()) {
        return;
    }
    Document document;
    if (loadDocument(document) == FileState::Unusable) {
        throwSaveError(m_readFailure);
    }
    for (Key& written : writes) {
        Key& key = RegistryText::findOrAddKey(document, written.path);
        for (Value& value : written.values) {
            RegistryText::setValue(key, std::move(value));
        }
    }
    saveDocument(document);
}

RegistryFile::FileState RegistryFile::loadDocument(Document& document) {
    // A FIFO would block the open until someone writes to it, and a device
    // such as /dev/zero never ends: only a plain file can hold settings.
    int fd = open(m_filePath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT) {
            return FileState::Missing;
        }
        m_readFailure = systemMessage(errno);
        return FileState::Unusable;
    }
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        m_readFailure = "it is not a plain file";
        return FileState::Unusable;
    }
    std::string bytes;
    int error = readWholeFile(fd, bytes);
    close(fd);
    if (error != 0) {
        m_readFailure = systemMessage(error);
        return FileState::Unusable;
    }
    if (bytes.empty()) {
        return FileState::Missing; // nothing in it to keep
    }
    size_t failedLine = 0;
    std::optional<Document> parsed = RegistryText::parse(bytes, failedLine);
    if (!parsed) {
        m_readFailure = "line " + std::to_string(failedLine) + " is not in REGEDIT4 format";
        return FileState::Unusable;
    }
    document = std::move(*parsed);
    return FileState::Loaded;
}

void RegistryFile::saveDocument(const Document& document) {
    std::string target = resolveLinks(m_filePath);
    if (int error = createFolders(folderOf(target)); error != 0) {
        throwSaveError(systemMessage(error));
    }
    removeLeftoverTemporaryFiles(target);
    TemporaryFile temporary;
    if (int error = temporary.create(target); error != 0) {
        throwSaveError(systemMessage(error));
    }
    if (int error = temporary.write(RegistryText::format(document)); error != 0) {
        throwSaveError(systemMessage(error));
    }
    commitTemporaryFile(temporary.path(), target);
    temporary.keep();
}

void RegistryFile::commitTemporaryFile(const std::string& temporaryPath,
                                       const std::string& targetPath) {
    if (std::rename(temporaryPath.c_str(), targetPath.c_str()) != 0) {
        throwSaveError(systemMessage(errno));
    }
    syncFolder(folderOf(targetPath));
}

void RegistryFile::throwSaveError(const std::string& reason) const {
    throw RegistryError("Could not save the settings file \"" + m_filePath + "\": " + reason);
}

} // namespace nomix
