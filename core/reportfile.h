// SPDX-License-Identifier: MIT
#pragma once

#include "replacementfile.h"
#include "reportsink.h"

#include <optional>
#include <string>
#include <sys/types.h>

namespace nomix {

enum class ReportOpenMode {
    Create,    // the file does not exist yet
    Append,    // a new report goes after what the file holds
    Overwrite, // the new report replaces what the file holds
};

// The file a report is saved in. It exists so that a failed save never costs
// the user what the file held before: a failed append is cut back to the old
// length, and an overwrite of an ordinary file goes to a new file beside it
// that takes the old one's place only once it is complete (ReplacementFile).
// Costs one file descriptor, an fsync when old content is at stake, and
// during an overwrite the disk space of both files and an fsync of the
// folder. Anything that is not a plain file of the user's own (a device, a
// FIFO, a file with several links or another owner) is overwritten in place.
// Opening never blocks, even on a FIFO.
class ReportFile final : public ReportSink {
  public:
    // Opens `path` (bytes as the file system takes them); throws FileError.
    ReportFile(std::string path, ReportOpenMode mode);
    // Without commit(), the save counts as failed: an append is undone, a
    // replacement is thrown away, and the file is closed.
    ~ReportFile() override;
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;

    void write(std::string_view bytes) override;
    // Makes the report final and closes the file; throws FileError.
    void commit();

  private:
    void openNew();
    void openForAppend();
    void openForOverwrite();
    bool startReplacement();
    void syncIfOldContentAtStake();
    void closeOrThrow();
    void abandon() noexcept;

    std::string m_path;
    ReportOpenMode m_mode;
    int m_fd = -1;
    bool m_regular = false;
    off_t m_originalSize = 0;
    std::optional<ReplacementFile> m_replacement; // an overwrite's new file
    bool m_committed = false;
};

} // namespace nomix
