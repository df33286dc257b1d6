// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace nomix {

// A file written beside the one it will replace, which takes that file's
// place only once it is complete and on the disk. It exists so a failed or
// killed save leaves the old file whole: readers see the old file or the new
// one, never a part. The new file is made in the target's folder (a rename
// does not cross file systems) and named by the caller's prefix and six
// random characters, so the caller can find what a killed save left behind
// (see removeLeftovers). Without commit() or markPlaced() the new file is
// removed when the object goes. Every failure throws FileError naming the
// target, with the errno value.
//
// Costs: one descriptor while it lives, the disk space of both files until
// the rename, an fsync of the file and one of its folder.
class ReplacementFile {
  public:
    enum class Permissions {
        // As any program's new file gets them (0666 less the umask).
        FromUmask,
        // The mode of the file replaced; private to the user (0600) when
        // there is none or it cannot be given.
        OfReplacedFile,
        // The mode and group of the file replaced; see permissionsKept().
        OfReplacedFileAndGroup,
    };

    struct Options {
        std::string namePrefix; // the new file is named this and six random characters
        Permissions permissions = Permissions::FromUmask;
        // Held locked (flock) until it has taken its place, so a save can
        // tell another save's file under way from one a killed save left.
        bool locked = false;
        // Writes are gathered up to this many bytes; 0 writes at once.
        size_t bufferSize = 0;
    };

    // Makes the new file beside `targetPath` (a path whose links the caller
    // has resolved, if they are to be kept).
    ReplacementFile(std::string targetPath, Options options);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    const std::string& targetPath() const { return m_targetPath; }
    const std::string& temporaryPath() const { return m_temporaryPath; }
    // False when the file replaced has permissions or a group this one could
    // not be given: the caller may rather write the old file in place.
    bool permissionsKept() const { return m_permissionsKept; }

    void write(std::string_view bytes);
    // Writes what is gathered and flushes the file to the disk.
    void finish();
    // Finishes the file and puts it in place of the target.
    void commit();
    // The caller has put the finished file in place itself (as a step of a
    // larger one): it is no longer removed.
    void markPlaced() { m_placed = true; }

    // Renames `from` over `to` and flushes their folder, so the rename
    // survives a power cut. Throws FileError naming `to`.
    static void putInPlace(const std::string& from, const std::string& to);
    // Removes the files named `namePrefix` and six characters in `folder`
    // that nobody holds locked: those of saves that were killed.
    static void removeLeftovers(const std::string& folder, std::string_view namePrefix);

  private:
    void create();
    void givePermissions();
    void writeOut(std::string_view bytes);
    void startWriteback();
    void closeOrThrow();
    [[noreturn]] void fail(int error) const;

    std::string m_targetPath;
    Options m_options;
    std::string m_temporaryPath;
    std::string m_buffer;
    int m_fd = -1;
    uint64_t m_written = 0;        // bytes in the file
    uint64_t m_writebackStart = 0; // the bytes before are on their way to the disk
    static constexpr uint64_t kWritebackBytes = 8u << 20;
    bool m_permissionsKept = true;
    bool m_finished = false;
    bool m_placed = false;
};

} // namespace nomix
