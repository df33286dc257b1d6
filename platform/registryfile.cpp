// SPDX-License-Identifier: MIT
#include "registryfile.h"

#include "core/fileerror.h"
#include "core/replacementfile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
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
    const std::string prefix = temporaryNamePrefix(target);
    ReplacementFile::removeLeftovers(folderOf(target), prefix);
    try {
        ReplacementFile temporary(target,
                                  {.namePrefix = prefix,
                                   .permissions = ReplacementFile::Permissions::OfReplacedFile,
                                   .locked = true});
        temporary.write(RegistryText::format(document));
        temporary.finish();
        commitTemporaryFile(temporary.temporaryPath(), target);
        temporary.markPlaced();
    } catch (const FileError& error) {
        throwSaveError(systemMessage(error.errorNumber()));
    }
}

void RegistryFile::commitTemporaryFile(const std::string& temporaryPath,
                                       const std::string& targetPath) {
    ReplacementFile::putInPlace(temporaryPath, targetPath);
}

void RegistryFile::throwSaveError(const std::string& reason) const {
    throw RegistryError("Could not save the settings file \"" + m_filePath + "\": " + reason);
}

} // namespace nomix
