// SPDX-License-Identifier: MIT
#pragma once

#include "core/registry.h"
#include "registrytext.h"

#include <cstdint>
#include <string>
#include <vector>

namespace nomix {

// The per-user registry of a desktop that has none: one text file in the
// format of a registry export (see registrytext.h) that users can read, back
// up and edit by hand. It exists so settings survive a restart byte for byte
// and a broken or foreign file is never lost:
//
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
class RegistryFile : public Registry {
  public:
    // The file of the current user: ${XDG_CONFIG_HOME:-$HOME/.config}/
    // Talvora/Nomix95.reg, looked up when the object is made.
    RegistryFile();
    explicit RegistryFile(std::string filePath);
    ~RegistryFile() override;
    RegistryFile(const RegistryFile&) = delete;
    RegistryFile& operator=(const RegistryFile&) = delete;

    static std::string defaultFilePath();
    const std::string& filePath() const { return m_filePath; }

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

  protected:
    // Puts the finished, flushed temporary file in the place of the old
    // file. Tests replace this to interrupt a save at its last step.
    virtual void commitTemporaryFile(const std::string& temporaryPath,
                                     const std::string& targetPath);

  private:
    using Document = RegistryText::Document;
    using Key = RegistryText::Key;
    using Value = RegistryText::Value;
    using ValueType = RegistryText::ValueType;
    enum class FileState { Missing, Loaded, Unusable };

    FileState loadDocument(Document& document);
    void saveDocument(const Document& document);
    void commitHeldWrites();
    const Value* findOpenValue(const std::string& name) const;
    void storeValue(const std::string& name, ValueType type, std::string data);
    [[noreturn]] void throwSaveError(const std::string& reason) const;

    std::string m_filePath;
    bool m_keyOpen = false;
    std::string m_openPath;
    Document m_snapshot; // the file as read by openKey, with this key's writes
    std::vector<Value> m_pendingWrites;
    bool m_holdingWrites = false;
    std::vector<Key> m_heldWrites; // closed keys' writes, waiting for endWrites
    std::string m_readFailure;     // why the file last could not be used
};

} // namespace nomix
