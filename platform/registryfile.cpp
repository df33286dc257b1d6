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

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kRootPrefix = "HKEY_CURRENT_USER\\";
constexpr size_t kMaxIntegerSize = 4;
constexpr size_t kHexLineWidth = 76; // where an export wraps its hex lists

// ---- Small text helpers -------------------------------------------------

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

std::string_view TrimRight(std::string_view text) {
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Registry names compare without regard to the case of ASCII letters.
bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != text.npos;
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// 1 to `maxDigits` hex digits and nothing else.
std::optional<uint32_t> ParseHexNumber(std::string_view digits, size_t maxDigits) {
    if (digits.empty() || digits.size() > maxDigits) {
        return std::nullopt;
    }
    uint32_t number = 0;
    for (char c : digits) {
        int digit = HexDigitValue(c);
        if (digit < 0) {
            return std::nullopt;
        }
        number = number * 16 + static_cast<uint32_t>(digit);
    }
    return number;
}

std::string HexNumber(uint32_t number, int width) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*x", width, number);
    return buffer;
}

std::string LittleEndian(uint32_t number) {
    std::string bytes(kMaxIntegerSize, '\0');
    for (size_t i = 0; i < kMaxIntegerSize; ++i) {
        bytes[i] = static_cast<char>((number >> (8 * i)) & 0xffu);
    }
    return bytes;
}

// A shorter value is read as if its missing high bytes were zero.
uint32_t FromLittleEndian(std::string_view bytes) {
    uint32_t number = 0;
    for (size_t i = 0; i < bytes.size() && i < kMaxIntegerSize; ++i) {
        number |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    }
    return number;
}

// ---- Documents ----------------------------------------------------------

RegistryFile::Key* FindKey(RegistryFile::Document& document, std::string_view path) {
    for (RegistryFile::Key& key : document) {
        if (SameName(key.path, path)) {
            return &key;
        }
    }
    return nullptr;
}

RegistryFile::Key& FindOrAddKey(RegistryFile::Document& document, std::string_view path) {
    if (RegistryFile::Key* key = FindKey(document, path)) {
        return *key;
    }
    document.push_back(RegistryFile::Key{std::string(path), {}});
    return document.back();
}

// A value of the same name is replaced where it stands; a new one goes last.
void SetValue(RegistryFile::Key& key, RegistryFile::Value value) {
    for (RegistryFile::Value& existing : key.values) {
        if (SameName(existing.name, value.name)) {
            existing = std::move(value);
            return;
        }
    }
    key.values.push_back(std::move(value));
}

// ---- Parsing ------------------------------------------------------------

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        if (end == text.npos) {
            break;
        }
        text.remove_prefix(end + 1);
    }
    return lines;
}

// A quoted text starting at line[pos]; only \\ and \" are escapes. Leaves
// `pos` after the closing quote.
std::optional<std::string> ParseQuoted(std::string_view line, size_t& pos) {
    if (pos >= line.size() || line[pos] != '"') {
        return std::nullopt;
    }
    std::string text;
    for (++pos; pos < line.size(); ++pos) {
        char c = line[pos];
        if (c == '"') {
            ++pos;
            return text;
        }
        if (c == '\\') {
            if (pos + 1 >= line.size() || (line[pos + 1] != '\\' && line[pos + 1] != '"')) {
                return std::nullopt;
            }
            c = line[++pos];
        }
        text += c;
    }
    return std::nullopt;
}

std::optional<std::string> ParseKeyPath(std::string_view line) {
    line = TrimRight(line);
    if (line.size() < 3 || line.back() != ']' || line[1] == '-') {
        return std::nullopt; // "[-...]" deletes a key: not part of a stored registry
    }
    return std::string(line.substr(1, line.size() - 2));
}

// The comma-separated bytes of a hex value; a list that ends in '\' goes on
// in the next line, as exports wrap long values.
std::optional<std::string>
ParseHexBytes(std::string_view first, const std::vector<std::string_view>& lines, size_t& index) {
    std::string list(TrimRight(first));
    while (!list.empty() && list.back() == '\\') {
        list.pop_back();
        if (++index >= lines.size()) {
            return std::nullopt;
        }
        list += TrimRight(TrimLeft(lines[index]));
    }
    std::string bytes;
    std::string_view rest = list;
    while (!rest.empty()) {
        size_t comma = rest.find(',');
        std::optional<uint32_t> byte =
            ParseHexNumber(TrimRight(TrimLeft(rest.substr(0, comma))), 2);
        if (!byte) {
            return std::nullopt;
        }
        bytes += static_cast<char>(*byte);
        if (comma == rest.npos) {
            break;
        }
        rest.remove_prefix(comma + 1);
        if (rest.empty()) {
            return std::nullopt; // a list may not end in a comma
        }
    }
    return bytes;
}

bool ParseInlineString(std::string_view data, RegistryFile::Value& value) {
    size_t pos = 0;
    std::optional<std::string> text = ParseQuoted(data, pos);
    if (!text || !TrimLeft(data.substr(pos)).empty()) {
        return false;
    }
    value.type = RegistryFile::vtString;
    value.data = *text + '\0';
    return true;
}

bool ParseDword(std::string_view digits, RegistryFile::Value& value) {
    std::optional<uint32_t> number = ParseHexNumber(TrimRight(digits), 8);
    if (!number) {
        return false;
    }
    value.type = RegistryFile::vtDword;
    value.data = LittleEndian(*number);
    return true;
}

// "hex:" is binary data; "hex(N):" data of type N (hex digits).
bool ParseHexValue(std::string_view data, const std::vector<std::string_view>& lines, size_t& index,
                   RegistryFile::Value& value) {
    data.remove_prefix(3);
    std::optional<uint32_t> type = RegistryFile::vtBinary;
    if (data.starts_with('(')) {
        size_t close = data.find(')');
        if (close == data.npos) {
            return false;
        }
        type = ParseHexNumber(data.substr(1, close - 1), 8);
        data.remove_prefix(close + 1);
    }
    if (!type || !data.starts_with(':')) {
        return false;
    }
    std::optional<std::string> bytes = ParseHexBytes(data.substr(1), lines, index);
    if (!bytes) {
        return false;
    }
    value.type = *type;
    value.data = std::move(*bytes);
    return true;
}

bool ParseValueData(std::string_view data, const std::vector<std::string_view>& lines,
                    size_t& index, RegistryFile::Value& value) {
    if (data.starts_with('"')) {
        return ParseInlineString(data, value);
    }
    if (data.starts_with("dword:")) {
        return ParseDword(data.substr(6), value);
    }
    if (data.starts_with("hex")) {
        return ParseHexValue(data, lines, index, value);
    }
    return false; // includes "=-", which deletes a value
}

// One value line (and its continuation lines); `index` ends on its last line.
std::optional<RegistryFile::Value> ParseValue(const std::vector<std::string_view>& lines,
                                              size_t& index) {
    std::string_view line = lines[index];
    RegistryFile::Value value;
    size_t pos = 1;
    if (line.front() != '@') {
        pos = 0;
        std::optional<std::string> name = ParseQuoted(line, pos);
        if (!name) {
            return std::nullopt;
        }
        value.name = std::move(*name);
    }
    std::string_view rest = TrimLeft(line.substr(pos));
    if (!rest.starts_with('=')) {
        return std::nullopt;
    }
    if (!ParseValueData(TrimLeft(rest.substr(1)), lines, index, value)) {
        return std::nullopt;
    }
    return value;
}

// ---- Formatting ---------------------------------------------------------

std::string Quoted(std::string_view text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') {
            quoted += '\\';
        }
        quoted += c;
    }
    return quoted + '"';
}

bool IsControlByte(char c) {
    auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
}

// Inline form: a string of printable bytes followed by its one terminator.
bool FitsInline(const RegistryFile::Value& value) {
    if (value.type != RegistryFile::vtString || value.data.empty() || value.data.back() != '\0') {
        return false;
    }
    std::string_view text(value.data.data(), value.data.size() - 1);
    for (char c : text) {
        if (IsControlByte(c)) {
            return false;
        }
    }
    return true;
}

std::string HexList(std::string_view bytes, size_t lineLength) {
    std::string list;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) {
            list += ',';
            if (++lineLength > kHexLineWidth) {
                list += "\\\n  ";
                lineLength = 2;
            }
        }
        list += HexNumber(static_cast<unsigned char>(bytes[i]), 2);
        lineLength += 2;
    }
    return list;
}

std::string FormatValue(const RegistryFile::Value& value) {
    std::string line = value.name.empty() ? "@=" : Quoted(value.name) + "=";
    if (FitsInline(value)) {
        return line + Quoted(std::string_view(value.data).substr(0, value.data.size() - 1));
    }
    if (value.type == RegistryFile::vtDword && value.data.size() == kMaxIntegerSize) {
        return line + "dword:" + HexNumber(FromLittleEndian(value.data), 8);
    }
    line +=
        value.type == RegistryFile::vtBinary ? "hex:" : "hex(" + HexNumber(value.type, 1) + "):";
    return line + HexList(value.data, line.size());
}

// ---- Files --------------------------------------------------------------

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home && *home) {
        return home;
    }
    const passwd* entry = getpwuid(getuid());
    return entry && entry->pw_dir ? entry->pw_dir : "";
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == path.npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string FileNameOf(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

// Hidden, and named after the file it will replace: ".Nomix95.reg.".
std::string TemporaryNamePrefix(const std::string& target) {
    return "." + FileNameOf(target) + ".";
}

// A settings file that is a link (dotfile managers do this) stays a link:
// the new text replaces the file it points to.
std::string ResolveLinks(const std::string& path) {
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
int CreateFolders(const std::string& folder) {
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

int ReadWholeFile(int fd, std::string& bytes) {
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

int WriteWholeFile(int fd, std::string_view bytes) {
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
void KeepPermissions(int fd, const std::string& oldPath) {
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
    ~TemporaryFile() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::string& path() const { return path_; }

    // Creates and locks the file. Returns 0 or an errno value.
    int create(const std::string& target) {
        for (;;) {
            path_ = FolderOf(target) + "/" + TemporaryNamePrefix(target) + "XXXXXX";
            fd_ = mkostemp(path_.data(), O_CLOEXEC);
            if (fd_ < 0) {
                return errno;
            }
            // Between its creation and the lock, another save may have taken
            // it for a leftover and removed it: then it is made anew.
            const bool locked = flock(fd_, LOCK_EX) == 0;
            struct stat status {};
            if (!locked || (fstat(fd_, &status) == 0 && status.st_nlink > 0)) {
                KeepPermissions(fd_, target);
                return 0;
            }
            close(fd_);
            fd_ = -1;
        }
    }

    // Writes and flushes `text`. Returns 0 or an errno value; on failure the
    // file is removed.
    int write(std::string_view text) {
        int error = WriteWholeFile(fd_, text);
        if (error == 0 && fsync(fd_) != 0) {
            error = errno;
        }
        if (error != 0) {
            remove();
        }
        return error;
    }

    void remove() { unlink(path_.c_str()); }

  private:
    int fd_ = -1;
    std::string path_;
};

bool IsTemporaryFileName(std::string_view name, std::string_view prefix) {
    constexpr size_t kRandomPart = 6; // the XXXXXX of mkostemp
    return name.size() == prefix.size() + kRandomPart && name.starts_with(prefix);
}

// Removes what saves that were killed (or lost their power) left beside
// `target`: a temporary file that nobody holds locked.
void RemoveLeftoverTemporaryFiles(const std::string& target) {
    const std::string folder = FolderOf(target);
    const std::string prefix = TemporaryNamePrefix(target);
    DIR* directory = opendir(folder.c_str());
    if (!directory) {
        return;
    }
    while (const dirent* entry = readdir(directory)) {
        if (!IsTemporaryFileName(entry->d_name, prefix)) {
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
void SyncFolder(const std::string& folder) {
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

std::string SystemMessage(int error) {
    return std::generic_category().message(error);
}

} // namespace

// ---- RegistryFile -------------------------------------------------------

RegistryFile::RegistryFile() : RegistryFile(DefaultFilePath()) {}

RegistryFile::RegistryFile(std::string filePath) : filePath_(std::move(filePath)) {}

// Writes made before an error escaped are committed as a registry would
// have kept them; a failure here has nobody left to tell.
RegistryFile::~RegistryFile() {
    try {
        endWrites();
    } catch (...) {
    }
}

std::string RegistryFile::DefaultFilePath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string base = (config && config[0] == '/') ? config : HomeFolder() + "/.config";
    return base + "/Talvora/Nomix95.reg";
}

Registry::KeyOpening RegistryFile::openKey(const std::string& path) {
    closeKey();
    readFailure_.clear();
    if (path.empty() || HasLineBreak(path)) {
        return koFailed;
    }
    Document document;
    if (loadDocument(document) == fsUnusable) {
        return koFailed;
    }
    std::string fullPath = std::string(kRootPrefix) + path;
    bool existed = FindKey(document, fullPath) != nullptr;
    FindOrAddKey(document, fullPath);
    snapshot_ = std::move(document);
    openPath_ = std::move(fullPath);
    keyOpen_ = true;
    return existed ? koExisting : koCreated;
}

std::string RegistryFile::readString(const std::string& name) {
    if (!keyOpen_) {
        throw RegistryError::GetDataFailed(name);
    }
    const Value* value = findOpenValue(name);
    if (!value || value->data.empty()) {
        return {};
    }
    if (value->type != vtString && value->type != vtExpandString) {
        throw RegistryError::InvalidDataType(name);
    }
    std::string text = value->data;
    if (text.back() == '\0') {
        text.pop_back();
    }
    return text;
}

int32_t RegistryFile::readInteger(const std::string& name) {
    const Value* value = keyOpen_ ? findOpenValue(name) : nullptr;
    if (!value || value->data.size() > kMaxIntegerSize) {
        throw RegistryError::GetDataFailed(name);
    }
    if (value->type != vtDword) {
        throw RegistryError::InvalidDataType(name);
    }
    return static_cast<int32_t>(FromLittleEndian(value->data));
}

void RegistryFile::writeString(const std::string& name, const std::string& value) {
    storeValue(name, vtString, value + '\0');
}

void RegistryFile::writeInteger(const std::string& name, int32_t value) {
    storeValue(name, vtDword, LittleEndian(static_cast<uint32_t>(value)));
}

void RegistryFile::closeKey() {
    if (!keyOpen_) {
        return;
    }
    keyOpen_ = false;
    snapshot_.clear();
    if (pendingWrites_.empty()) {
        return;
    }
    heldWrites_.push_back(Key{openPath_, std::move(pendingWrites_)});
    pendingWrites_.clear();
    if (!holdingWrites_) {
        commitHeldWrites();
    }
}

std::string RegistryFile::openFailureMessage(Purpose purpose) const {
    if (readFailure_.empty()) {
        return kRootKeyMessage;
    }
    return "Could not read the settings file \"" + filePath_ + "\": " + readFailure_ +
           ". The file was left unchanged; " +
           (purpose == puLoad ? "default settings are used." : "the settings were not saved.");
}

void RegistryFile::beginWrites() {
    holdingWrites_ = true;
}

void RegistryFile::endWrites() {
    closeKey();
    holdingWrites_ = false;
    commitHeldWrites();
}

void RegistryFile::storeValue(const std::string& name, uint32_t type, std::string data) {
    if (!keyOpen_ || HasLineBreak(name)) {
        throw RegistryError::SetDataFailed(name);
    }
    Value value{name, type, std::move(data)};
    SetValue(*FindKey(snapshot_, openPath_), value);
    pendingWrites_.push_back(std::move(value));
}

const RegistryFile::Value* RegistryFile::findOpenValue(const std::string& name) const {
    for (const Key& key : snapshot_) {
        if (!SameName(key.path, openPath_)) {
            continue;
        }
        for (const Value& value : key.values) {
            if (SameName(value.name, name)) {
                return &value;
            }
        }
    }
    return nullptr;
}

// Applies the writes to the file as it is now, not as it was when their
// keys were opened.
void RegistryFile::commitHeldWrites() {
    std::vector<Key> writes = std::move(heldWrites_);
    heldWrites_.clear();
    if (writes.empty()) {
        return;
    }
    Document document;
    if (loadDocument(document) == fsUnusable) {
        throwSaveError(readFailure_);
    }
    for (Key& written : writes) {
        Key& key = FindOrAddKey(document, written.path);
        for (Value& value : written.values) {
            SetValue(key, std::move(value));
        }
    }
    saveDocument(document);
}

RegistryFile::FileState RegistryFile::loadDocument(Document& document) {
    // A FIFO would block the open until someone writes to it, and a device
    // such as /dev/zero never ends: only a plain file can hold settings.
    int fd = open(filePath_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT) {
            return fsMissing;
        }
        readFailure_ = SystemMessage(errno);
        return fsUnusable;
    }
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        readFailure_ = "it is not a plain file";
        return fsUnusable;
    }
    std::string bytes;
    int error = ReadWholeFile(fd, bytes);
    close(fd);
    if (error != 0) {
        readFailure_ = SystemMessage(error);
        return fsUnusable;
    }
    if (bytes.empty()) {
        return fsMissing; // nothing in it to keep
    }
    size_t failedLine = 0;
    std::optional<Document> parsed = ParseText(bytes, failedLine);
    if (!parsed) {
        readFailure_ = "line " + std::to_string(failedLine) + " is not in REGEDIT4 format";
        return fsUnusable;
    }
    document = std::move(*parsed);
    return fsLoaded;
}

void RegistryFile::saveDocument(const Document& document) {
    std::string target = ResolveLinks(filePath_);
    if (int error = CreateFolders(FolderOf(target)); error != 0) {
        throwSaveError(SystemMessage(error));
    }
    RemoveLeftoverTemporaryFiles(target);
    TemporaryFile temporary;
    if (int error = temporary.create(target); error != 0) {
        throwSaveError(SystemMessage(error));
    }
    if (int error = temporary.write(FormatText(document)); error != 0) {
        throwSaveError(SystemMessage(error));
    }
    try {
        commitTemporaryFile(temporary.path(), target);
    } catch (...) {
        temporary.remove();
        throw;
    }
}

void RegistryFile::commitTemporaryFile(const std::string& temporaryPath,
                                       const std::string& targetPath) {
    if (std::rename(temporaryPath.c_str(), targetPath.c_str()) != 0) {
        throwSaveError(SystemMessage(errno));
    }
    SyncFolder(FolderOf(targetPath));
}

void RegistryFile::throwSaveError(const std::string& reason) const {
    throw RegistryError("Could not save the settings file \"" + filePath_ + "\": " + reason);
}

std::optional<RegistryFile::Document> RegistryFile::ParseText(std::string_view text) {
    size_t failedLine = 0;
    return ParseText(text, failedLine);
}

std::optional<RegistryFile::Document> RegistryFile::ParseText(std::string_view text,
                                                              size_t& failedLine) {
    std::vector<std::string_view> lines = SplitLines(text);
    failedLine = 1;
    if (lines.empty() || TrimRight(lines[0]) != kHeader) {
        return std::nullopt;
    }
    Document document;
    Key* key = nullptr; // points into `document`: renewed after every key line
    for (size_t index = 1; index < lines.size(); ++index) {
        failedLine = index + 1; // a value that goes on in later lines counts from its first
        std::string_view line = lines[index];
        if (TrimLeft(line).empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            std::optional<std::string> path = ParseKeyPath(line);
            if (!path) {
                return std::nullopt;
            }
            key = &FindOrAddKey(document, *path);
            continue;
        }
        if (!key || (line.front() != '"' && line.front() != '@')) {
            return std::nullopt;
        }
        std::optional<Value> value = ParseValue(lines, index);
        if (!value) {
            return std::nullopt;
        }
        SetValue(*key, std::move(*value));
    }
    return document;
}

std::string RegistryFile::FormatText(const Document& document) {
    std::string text = std::string(kHeader) + "\n";
    for (const Key& key : document) {
        text += "\n[" + key.path + "]\n";
        for (const Value& value : key.values) {
            text += FormatValue(value) + "\n";
        }
    }
    return text + "\n";
}

} // namespace nomix
