#pragma once

#include "core/registry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nomix {

// The per-user registry of a desktop that has none: one text file in the
// format of a registry export (REGEDIT4) that users can read, back up and
// edit by hand. It exists so settings survive a restart byte for byte and a
// broken or foreign file is never lost:
//
// - Every value keeps its type and its exact bytes. A string whose bytes are
//   all printable is written inline, "name"="text", with '\' and '"'
//   escaped; any other string (control bytes, a line break, a NUL, a lone
//   byte 0x7f) is written as hex(1): with its bytes spelled out, so nothing
//   is lost in a text editor. As in an export, a string's stored bytes end
//   with one NUL terminator; reading removes exactly that one.
// - A file that exists but cannot be read or parsed is never written: its
//   keys cannot be opened. Keys and values we do not know are kept.
// - A key's writes are committed when the key is closed, or, between
//   beginWrites and endWrites, those of all keys at the end: the file is
//   read again (so a change made meanwhile by another copy of the program
//   survives), the writes are applied, and the whole text goes to a
//   temporary file in the same folder that is flushed to disk and renamed
//   over the old one. A crash or a full disk leaves the old file whole; the
//   temporary file a killed save leaves behind is removed by the next save.
// - An empty (zero-byte) file holds nothing to lose and counts as no file.
// - A key that is opened but never written to is not added to the file, so
//   a start that only reads leaves the file as it was.
//
// Costs: the whole file is read on every open and on every commit, and
// written once per committed key; lookups are linear. The file holds a few
// dozen values, so this is microseconds, plus one flush to disk per commit.
// Comments (';' lines) are accepted but not kept on save.
class RegistryFile : public Registry {
  public:
    // Registry value types, with the numbers the export format uses.
    enum ValueType : uint32_t {
        vtNone = 0,
        vtString = 1,
        vtExpandString = 2,
        vtBinary = 3,
        vtDword = 4,
    };

    struct Value {
        std::string name; // empty for the key's default value ("@")
        uint32_t type = vtNone;
        std::string data; // the stored bytes, exactly
        bool operator==(const Value&) const = default;
    };
    struct Key {
        std::string path; // full path, "HKEY_CURRENT_USER\Software\..."
        std::vector<Value> values;
        bool operator==(const Key&) const = default;
    };
    using Document = std::vector<Key>;

    // The file of the current user: ${XDG_CONFIG_HOME:-$HOME/.config}/
    // Talvora/Nomix95.reg, looked up when the object is made.
    RegistryFile();
    explicit RegistryFile(std::string filePath);
    ~RegistryFile() override;
    RegistryFile(const RegistryFile&) = delete;
    RegistryFile& operator=(const RegistryFile&) = delete;

    static std::string DefaultFilePath();
    const std::string& filePath() const { return filePath_; }

    KeyOpening openKey(const std::string& path) override;
    std::string readString(const std::string& name) override;
    int32_t readInteger(const std::string& name) override;
    void writeString(const std::string& name, const std::string& value) override;
    void writeInteger(const std::string& name, int32_t value) override;
    // Commits the key's writes, if any, unless writes are held; throws
    // RegistryError when the file cannot be saved (the old file is then
    // left as it was).
    void closeKey() override;
    // Names the file and what in it could not be read.
    std::string openFailureMessage(Purpose purpose) const override;
    void beginWrites() override;
    void endWrites() override;

    // The text form on its own. ParseText gives nothing for a text that is
    // not a registry export as described above; FormatText writes a text
    // that ParseText reads back as the same document (names and key paths
    // must hold no line break).
    static std::optional<Document> ParseText(std::string_view text);
    // The same, telling the line (1-based) at which a text that is not an
    // export stops being one.
    static std::optional<Document> ParseText(std::string_view text, size_t& failedLine);
    static std::string FormatText(const Document& document);

  protected:
    // Puts the finished, flushed temporary file in the place of the old
    // file. Tests replace this to interrupt a save at its last step.
    virtual void commitTemporaryFile(const std::string& temporaryPath,
                                     const std::string& targetPath);

  private:
    enum FileState { fsMissing, fsLoaded, fsUnusable };

    FileState loadDocument(Document& document);
    void saveDocument(const Document& document);
    void commitHeldWrites();
    const Value* findOpenValue(const std::string& name) const;
    void storeValue(const std::string& name, uint32_t type, std::string data);
    [[noreturn]] void throwSaveError(const std::string& reason) const;

    std::string filePath_;
    bool keyOpen_ = false;
    std::string openPath_;
    Document snapshot_; // the file as read by openKey, with this key's writes
    std::vector<Value> pendingWrites_;
    bool holdingWrites_ = false;
    std::vector<Key> heldWrites_; // closed keys' writes, waiting for endWrites
    std::string readFailure_;     // why the file last could not be used
};

} // namespace nomix
