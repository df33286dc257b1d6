// SPDX-License-Identifier: MIT
#pragma once

#include "core/fileerror.h"
#include "core/import/samplestore.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace simdjson::dom {
class element;
}

namespace nomix {

// Where one text of a scan report lies in the report's `texts`.
struct TextSpan {
    size_t offset = 0;
    size_t size = 0;
};

// One engine's verdict on one sample, as the name database will hold it. Its
// texts lie in the report's `texts`: a report of seventy engines then costs a
// few allocations instead of a few hundred, which is much of the import's
// time when millions of reports are read.
struct EngineVerdict {
    TextSpan engine; // the report's key for the engine
    TextSpan version;
    TextSpan update;
    TextSpan field;         // the name, NO_VIRUS, UNKNOWN_VIRUS or '~' and a reason
    bool named = false;     // `field` is the engine's own name for what it detected
    bool rewritten = false; // the name database holds `field` changed (see below)
};

// One multi-engine scan report of one sample.
struct ScanReport {
    std::string sha256;       // lower-case hex
    int64_t analysisDate = 0; // seconds since 1970; the newest analysis wins
    std::vector<EngineVerdict> verdicts;
    std::string texts; // the verdicts' texts, one after another
    // The verdicts' fields as the name database holds them, each followed by
    // '|': a byte that would end a field or a line becomes '_', a detection
    // that would read as clean or not scanned gets a leading '_'. The
    // reader fills it on the thread that parsed the report.
    std::string fields;

    std::string_view textOf(TextSpan span) const {
        return std::string_view(texts).substr(span.offset, span.size);
    }
    // Empties the report, keeping the room its texts and verdicts grew.
    void clear() {
        sha256.clear();
        analysisDate = 0;
        verdicts.clear();
        texts.clear();
        fields.clear();
    }
    // Adds `parts` to `texts`, one after another, as one text.
    template <typename... Parts> TextSpan keep(const Parts&... parts) {
        const size_t offset = texts.size();
        (texts.append(parts), ...);
        return TextSpan{offset, texts.size() - offset};
    }
};

// Fills `report.fields` and each verdict's `rewritten`.
void prepareDatabaseFields(ScanReport& report);

struct ReadOutcome;
struct ReadBatch;

// Reads the scan reports of one input: JSON Lines (one report a line), or a
// JSON document holding one report or an array of reports. An array is read
// one element at a time, so its size does not matter. Both public
// layouts are told apart per report: API v3 file objects, with or without
// their "data" wrapper, and API v2 file reports. The input comes a chunk at
// a time, so JSON Lines are read in bounded memory; a whole document is kept
// until its end.
class ScanReportReader {
  public:
    using ReportHandler = std::function<void(ScanReport&& report)>;
    // `line` is 1-based; a whole document's problem is given at line 1.
    using SkipHandler = std::function<void(size_t line, const std::string& reason)>;

    ScanReportReader(ReportHandler onReport, SkipHandler onSkip);
    ~ScanReportReader();

    void feed(std::string_view bytes);
    // Room to read the next bytes of a plain input into, which spares
    // feed() its copy; empty while the reader needs feed(). filled() then
    // says how many bytes were read into it.
    std::span<char> room();
    void filled(size_t count);
    void finish();

  private:
    enum class Layout { Undecided, Lines, Document, Array };

    void feedStart(std::string_view bytes);
    void feedLines(std::string_view bytes);
    void feedRawLines(std::string_view bytes);
    void prepareRawBatch();
    void cutRawBatch();
    void startBatch(size_t firstBytes);
    void feedArray(std::string_view bytes);
    size_t prepareArrayBatch();
    void scanArray(size_t from);
    void cutArrayBatch();
    size_t skipInsideElement(std::string_view bytes, size_t from);
    size_t stringEnd(std::string_view bytes, size_t from);
    void takeArrayElement(size_t end);
    void takeLine(std::string_view line);
    void parseDocument(std::string_view text, size_t line);
    bool readAsLines(std::string_view text);
    void takeReports(simdjson::dom::element value, size_t line);
    void queueUnit(std::string_view text, size_t line, size_t index);
    void submitBatch();
    void deliverOldest();
    void handOn(ReadBatch&& read);
    void deliver(std::span<ReadOutcome> outcomes);
    void drain();

    struct Parser;
    std::unique_ptr<Parser> m_parser;
    ReportHandler m_onReport;
    SkipHandler m_onSkip;
    Layout m_layout = Layout::Undecided;
    std::string m_pending;   // a line not yet ended, or the whole document
    bool m_rawLines = false; // JSON Lines go to the batches unsplit (feedRawLines)
    size_t m_line = 0;
    bool m_started = false; // the first byte that counts was seen

    // Reading an array: where in it the bytes so far have left off.
    static constexpr size_t kNoElement = std::string_view::npos;
    struct ArrayState {
        size_t line = 1; // the line being read
        int depth = 0;   // 1 inside the array, more inside an element
        bool inString = false;
        bool escaped = false;
        size_t elementStart = kNoElement; // in the batch, of the element begun
        size_t elementLine = 0;
        size_t index = 0; // elements taken
        bool closed = false;
    } m_array;
};

// Gathers reports into the program's product table and name database. The
// first product, "SHA-256", holds each sample's hash so a hash is searchable;
// then one product per engine, sorted by name without regard to case, with
// the version and update date of the newest report that named it. One line
// per sample, in order of first appearance, with its newest analysis.
class NameDatabaseBuilder {
  public:
    // The samples wait in a temporary file in `spillDirectory` (see
    // SampleStore): the output folder, where there is room for the database.
    explicit NameDatabaseBuilder(const std::string& spillDirectory = {});

    void add(ScanReport&& report);

    // Takes in the database an earlier import wrote into `dir`, from its
    // record of the import (see importRecord()) and its name database, so
    // new reports are added to it. Throws ImportError naming the file when
    // there is none or it does not match.
    void loadPrevious(const std::string& dir);
    size_t sampleCount() const { return m_store.size(); }
    size_t productCount() const { return m_engines.size() + 1; }

    // A text of the reports that the files could not hold as it is: a byte
    // that would end a field or a line, a detection that would read as
    // clean or not scanned, an engine name that would read back otherwise or
    // as another engine's.
    struct Change {
        std::string original;
        std::string written;
        size_t count = 0;
    };
    const std::vector<Change>& engineChanges() const { return m_engineChanges; }
    std::vector<Change> nameChanges() const;

    // The product table's bytes: label, entries, CR LF.
    std::string productTable(const std::string& label) const;
    // Writes the name database's lines, each ended by CR LF, in pieces, and
    // the record of the import that a later update reads (the engines as
    // the reports name them, and each sample's analysis date), to `record`.
    void writeNameDatabase(const std::function<void(std::string_view)>& write,
                           const std::function<void(std::string_view)>& record = {}) const;

  private:
    struct Engine {
        std::string name;
        std::string version;
        std::string update;
        int64_t newestDate = INT64_MIN;
    };
    uint32_t engineId(size_t place, const ScanReport& report, int64_t date);
    uint32_t knownEngineId(size_t place, std::string_view key);
    std::string productName(const std::string& engine);
    void noteRewrittenFields(const ScanReport& report);
    const std::string& recordHead(const ScanReport& report);
    uint32_t restoreEngine(const std::string& key, Engine engine);
    std::vector<uint32_t> enginesInTableOrder() const;

    std::vector<Engine> m_engines;
    std::unordered_map<std::string, uint32_t> m_engineIds;
    std::vector<const std::string*> m_engineKeys; // by id, the keys of m_engineIds
    std::vector<uint32_t> m_idsByPlace;           // the engines of the report before
    SampleStore m_store;
    std::string m_recordHead;                             // room for recordHead()
    std::unordered_map<std::string, bool> m_productNames; // the names given so far
    std::vector<Change> m_engineChanges;
    std::map<std::string, Change> m_nameChanges; // by original text
};

// How many samples the database an import wrote into `dir` holds, as the
// record of that import says (read in an instant, where counting the name
// database's lines reads it all); nothing when there is no such record.
std::optional<size_t> recordedSampleCount(const std::string& dir);

// What the record of the import that wrote the database in a folder says:
// each engine as the reports name it, with the product it became, and each
// sample's analysis date, in the name database's order.
struct ImportRecord {
    struct Engine {
        std::string key;
        std::string product;
        std::string version;
        std::string update;
        int64_t newestDate = 0;
    };
    std::vector<Engine> engines;
    std::vector<int64_t> analysisDates;
};

// Nothing when the folder has no such record or it is damaged.
std::optional<ImportRecord> readImportRecord(const std::string& dir);

// The label a database gets unless the user names one.
std::string defaultImportLabel(size_t sampleCount, int64_t secondsSince1970);

// Writes DIR/NOMIX.CFG and DIR/NOMIX.DAT, each beside its final name first,
// then puts both in place as one step for every reader (see DataFolderLock),
// so a failure or a kill leaves the old pair or the new one. Imports into
// one folder take turns. DIR and its parents are made when missing. Throws
// ImportError, saying why, when it could not, or ImportStopped when
// `stopRequested` said to stop; nothing is changed then.
void writeImportedDatabase(const std::string& dir, const NameDatabaseBuilder& builder,
                           const std::string& label,
                           const std::function<bool()>& stopRequested = {});

} // namespace nomix
