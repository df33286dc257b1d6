#include "scanreports.h"

#include "core/datafolderlock.h"
#include "core/resultwriter.h"
#include "core/utf8.h"

#include <simdjson.h>

#include <deque>
#include <future>
#include <optional>
#include <thread>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace nomix {

// What reading a line or an element gave: a report, or why it holds none.
struct ReadOutcome {
    bool isReport = false;
    ScanReport report;
    size_t line = 0;
    std::string reason;
};

namespace {

using simdjson::dom::element;
using simdjson::dom::object;

constexpr std::string_view kNoVirus = "NO_VIRUS";
constexpr std::string_view kUnknownVirus = "UNKNOWN_VIRUS";
constexpr std::string_view kNotInReport = "~not in report";

bool isFieldBreaker(char c) {
    return c == '|' || c == '\r' || c == '\n' || c == '\x1a' || c == '\0';
}

// A byte that would end the field, the line or the file becomes '_'.
std::string safeText(std::string_view text) {
    std::string safe(text);
    std::replace_if(safe.begin(), safe.end(), isFieldBreaker, '_');
    return safe;
}

// A product entry splits into words at blanks, its last word being the
// date; the first word that begins with a digit starts the version. So the
// version and the date are one word each, and the version begins with one.
std::string versionWord(std::string_view version) {
    std::string word = safeText(version);
    std::replace(word.begin(), word.end(), ' ', '_');
    if (word.empty()) {
        return "0";
    }
    if (!std::isdigit(static_cast<unsigned char>(word[0]))) {
        word.insert(0, "0-");
    }
    return word;
}

std::string dateWord(std::string_view update) {
    std::string word = safeText(update);
    std::replace(word.begin(), word.end(), ' ', '_');
    return word.empty() ? std::string("-") : word;
}

bool lastValue(element parent, std::string_view key, element& value);

std::string_view stringOr(element parent, const char* key, std::string_view fallback = {}) {
    element value;
    std::string_view text;
    if (lastValue(parent, key, value) && value.get_string().get(text) == simdjson::SUCCESS) {
        return text;
    }
    return fallback;
}

bool isSha256(std::string_view text) {
    return text.size() == 64 && std::all_of(text.begin(), text.end(), [](char c) {
               return std::isxdigit(static_cast<unsigned char>(c)) != 0;
           });
}

std::string lowerCase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

// "2016-01-01 12:34:56", in UTC.
int64_t parseScanDate(std::string_view text) {
    std::tm time = {};
    const std::string copy(text);
    if (sscanf(copy.c_str(), "%d-%d-%d %d:%d:%d", &time.tm_year, &time.tm_mon, &time.tm_mday,
               &time.tm_hour, &time.tm_min, &time.tm_sec) < 3) {
        return 0;
    }
    time.tm_year -= 1900;
    time.tm_mon -= 1;
    return static_cast<int64_t>(timegm(&time));
}

// A detection without a name is UNKNOWN_VIRUS; one with a name keeps it.
void setDetection(EngineVerdict& verdict, std::string_view name) {
    verdict.named = !name.empty();
    verdict.field = name.empty() ? std::string(kUnknownVirus) : std::string(name);
}

// A detection whose name the program would read as clean, nameless or not
// scanned is written with a leading '_'.
bool readsAsMarker(std::string_view name) {
    return name == kNoVirus || name == kUnknownVirus || (!name.empty() && name.front() == '~');
}

// The last value of `key`, as most JSON readers resolve a repeated key.
bool lastValue(element parent, std::string_view key, element& value) {
    object fields;
    if (parent.get(fields) != simdjson::SUCCESS) {
        return false;
    }
    bool found = false;
    for (auto [name, field] : fields) {
        if (name == key) {
            value = field;
            found = true;
        }
    }
    return found;
}

// API v3: "category" says whether the engine detected, passed or could not
// scan the file.
void readV3Verdict(element result, EngineVerdict& verdict) {
    const std::string_view category = stringOr(result, "category");
    if (category == "malicious" || category == "suspicious") {
        setDetection(verdict, stringOr(result, "result"));
    } else if (category == "undetected" || category == "harmless") {
        verdict.field = kNoVirus;
    } else {
        verdict.field =
            "~" + std::string(category.empty() ? std::string_view("no verdict") : category);
    }
}

void readV2Verdict(element scan, EngineVerdict& verdict) {
    element value;
    bool detected = false;
    if (!lastValue(scan, "detected", value) ||
        value.get_bool().get(detected) != simdjson::SUCCESS) {
        verdict.field = "~no verdict";
    } else if (detected) {
        setDetection(verdict, stringOr(scan, "result"));
    } else {
        verdict.field = kNoVirus;
    }
}

bool readVerdicts(object results, bool v3, ScanReport& report) {
    for (auto [key, value] : results) {
        if (!value.is_object()) {
            return false;
        }
        EngineVerdict verdict;
        verdict.engine = std::string(key);
        verdict.version = std::string(stringOr(value, v3 ? "engine_version" : "version"));
        verdict.update = std::string(stringOr(value, v3 ? "engine_update" : "update"));
        if (v3) {
            readV3Verdict(value, verdict);
        } else {
            readV2Verdict(value, verdict);
        }
        report.verdicts.push_back(std::move(verdict));
    }
    return true;
}

// One report from a JSON value, or the reason it is none.
bool readReport(element root, ScanReport& report, std::string& reason) {
    if (!root.is_object()) {
        reason = "not a JSON object";
        return false;
    }
    element body = root;
    element inner;
    if (lastValue(root, "data", inner) && inner.is_object()) {
        body = inner;
    }
    element attributes = body;
    if (lastValue(body, "attributes", inner) && inner.is_object()) {
        attributes = inner;
    }
    object results;
    bool v3 = true;
    if (lastValue(attributes, "last_analysis_results", inner) &&
        inner.get(results) == simdjson::SUCCESS) {
        int64_t date = 0;
        if (lastValue(attributes, "last_analysis_date", inner) &&
            inner.get_int64().get(date) == simdjson::SUCCESS) {
            report.analysisDate = date;
        }
    } else if (lastValue(root, "scans", inner) && inner.get(results) == simdjson::SUCCESS) {
        v3 = false;
        attributes = root;
        report.analysisDate = parseScanDate(stringOr(root, "scan_date"));
    } else {
        reason = "neither an API v3 file object nor an API v2 file report";
        return false;
    }
    const std::string_view sha = stringOr(attributes, "sha256");
    if (!isSha256(sha)) {
        reason = "no SHA-256 of the sample";
        return false;
    }
    report.sha256 = lowerCase(sha);
    if (!readVerdicts(results, v3, report)) {
        reason = "an engine's result is not a JSON object";
        return false;
    }
    return true;
}

// What is wrong with text the JSON reader refused, in words a user can act on.
std::string jsonProblem(simdjson::error_code error, std::string_view text) {
    switch (error) {
    case simdjson::UTF8_ERROR:
        return "invalid UTF-8 at byte " +
               std::to_string(firstInvalidUtf8Byte(text.data(), text.size()) + 1);
    case simdjson::DEPTH_ERROR:
        return "nested deeper than " + std::to_string(simdjson::DEFAULT_MAX_DEPTH);
    case simdjson::UNCLOSED_STRING:
        return "not valid JSON: a string is not closed";
    case simdjson::TAPE_ERROR:
    case simdjson::INCOMPLETE_ARRAY_OR_OBJECT:
        return "not valid JSON: cut short, or brackets do not match";
    default:
        return "not valid JSON";
    }
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A set of bytes that a scan stops at, looked up by table: a search per
// byte of the set (find_first_of) costs a library call per byte of text.
class ByteSet {
  public:
    constexpr explicit ByteSet(std::string_view bytes) {
        for (const char c : bytes) {
            m_member[static_cast<unsigned char>(c)] = true;
        }
    }
    // The first position from `from` on that holds a member, or the size.
    size_t findIn(std::string_view text, size_t from) const {
        while (from < text.size() && !m_member[static_cast<unsigned char>(text[from])]) {
            ++from;
        }
        return from;
    }

  private:
    bool m_member[256] = {};
};

constexpr ByteSet kStringStops("\"\\\n");
constexpr ByteSet kElementStops("[]{}\"\n");

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The record an import leaves beside the database, for a later update: the
// engines as the reports name them, with the products they became, then
// each sample's analysis date, one a line in the name database's order.
constexpr std::string_view kRecordName = ".nomix95.samples";
constexpr std::string_view kRecordTitle = "Nomix95 import record 1";

// A report's text in a line of the record, escaped as tab-separated values
// are.
std::string escapedText(std::string_view text) {
    std::string out;
    appendTsvField(out, text);
    return out;
}

// A record line's tab-separated parts, escapes undone.
std::vector<std::string> splitRecordLine(std::string_view line) {
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\t') {
            parts.emplace_back();
        } else if (c == '\\' && i + 1 < line.size()) {
            const char next = line[++i];
            parts.back() += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

bool readCount(const std::string& line, std::string_view title, size_t& count) {
    if (line.compare(0, title.size(), title) != 0 || line.size() == title.size()) {
        return false;
    }
    const std::string digits = line.substr(title.size());
    if (digits.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    count = std::stoull(digits);
    return true;
}

// A text file read a line at a time, the line ending dropped.
class LineFile {
  public:
    explicit LineFile(const std::string& path) : m_file(std::fopen(path.c_str(), "re")) {
        m_error = m_file ? 0 : errno;
    }
    ~LineFile() {
        if (m_file) {
            std::fclose(m_file);
        }
        std::free(m_buffer);
    }
    LineFile(const LineFile&) = delete;
    LineFile& operator=(const LineFile&) = delete;

    bool ok() const { return m_file != nullptr; }
    int error() const { return m_error; }
    bool next(std::string& line) {
        const ssize_t length = m_file ? getline(&m_buffer, &m_capacity, m_file) : -1;
        if (length < 0) {
            return false;
        }
        line.assign(m_buffer, static_cast<size_t>(length));
        if (!line.empty() && line.back() == '\n') {
            line.pop_back();
        }
        return true;
    }

  private:
    std::FILE* m_file;
    int m_error;
    char* m_buffer = nullptr;
    size_t m_capacity = 0;
};

// A line of the name database as the store keeps a sample (see
// NameDatabaseBuilder::sampleRecord()): `order` gives each column's engine.
bool storedSample(std::string_view line, const std::vector<uint32_t>& order, std::string& sha256,
                  std::string& kept) {
    if (line.size() < 2 || line.front() != '|' || line.back() != '|') {
        return false;
    }
    line = line.substr(1, line.size() - 2);
    size_t bar = line.find('|');
    sha256.assign(line.substr(0, bar));
    if (!isSha256(sha256) || lowerCase(sha256) != sha256) {
        return false;
    }
    std::string ids;
    std::string fields;
    uint32_t count = 0;
    for (const uint32_t id : order) {
        if (bar == std::string_view::npos) {
            return false;
        }
        const size_t start = bar + 1;
        bar = line.find('|', start);
        const std::string_view field = line.substr(start, bar - start);
        if (field != kNotInReport) {
            ids.append(reinterpret_cast<const char*>(&id), sizeof id);
            fields += field;
            fields += '|';
            ++count;
        }
    }
    if (bar != std::string_view::npos) {
        return false;
    }
    kept.assign(reinterpret_cast<const char*>(&count), sizeof count);
    kept += ids;
    kept += fields;
    return true;
}

std::string_view trimmedLine(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
        line.remove_suffix(1);
    }
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
        line.remove_prefix(1);
    }
    return line;
}

void arrayItemOutcome(element item, size_t index, size_t line, std::vector<ReadOutcome>& out) {
    ReadOutcome outcome;
    std::string reason;
    outcome.line = line;
    outcome.isReport = readReport(item, outcome.report, reason);
    if (!outcome.isReport) {
        outcome.reason = "report " + std::to_string(index) + " of the array: " + reason;
    }
    out.push_back(std::move(outcome));
}

// A report, an array of reports, or a collection of them under "data", as
// the public API returns collections.
void reportOutcomes(element value, size_t line, std::vector<ReadOutcome>& out) {
    element data;
    if (lastValue(value, "data", data) && data.is_array()) {
        value = data;
    }
    simdjson::dom::array items;
    if (value.get(items) != simdjson::SUCCESS) {
        ReadOutcome outcome;
        outcome.line = line;
        outcome.isReport = readReport(value, outcome.report, outcome.reason);
        out.push_back(std::move(outcome));
        return;
    }
    size_t index = 0;
    for (element item : items) {
        arrayItemOutcome(item, ++index, line, out);
    }
}

// A line of JSON Lines, or an element of an array (`index` from 1), read
// apart from the rest, so several can be read at once.
struct Unit {
    std::string text;
    size_t line = 0;
    size_t index = 0; // 0 for a line
};

std::vector<ReadOutcome> unitOutcomes(std::vector<Unit> units) {
    simdjson::dom::parser parser;
    std::vector<ReadOutcome> out;
    for (const Unit& unit : units) {
        element value;
        const simdjson::error_code error = parser.parse(unit.text).get(value);
        if (error != simdjson::SUCCESS) {
            ReadOutcome outcome;
            outcome.line = unit.line;
            outcome.reason = jsonProblem(error, unit.text);
            if (unit.index > 0) {
                outcome.reason.insert(0,
                                      "report " + std::to_string(unit.index) + " of the array: ");
            }
            out.push_back(std::move(outcome));
        } else if (unit.index > 0) {
            arrayItemOutcome(value, unit.index, unit.line, out);
        } else if (!value.is_object()) {
            out.push_back({false, {}, unit.line, "not a JSON object"});
        } else {
            reportOutcomes(value, unit.line, out);
        }
    }
    return out;
}

constexpr size_t kBatchBytes = 1 << 20;

} // namespace

struct ScanReportReader::Parser {
    simdjson::dom::parser json;
    // Lines and elements are read in batches, on other cores where there
    // are any; their reports are handed on in order, on the caller's thread.
    std::vector<Unit> batch;
    size_t batchBytes = 0;
    std::deque<std::future<std::vector<ReadOutcome>>> inFlight;
    const size_t maxInFlight = std::max(1u, std::thread::hardware_concurrency());
};

ScanReportReader::ScanReportReader(ReportHandler onReport, SkipHandler onSkip)
    : m_parser(std::make_unique<Parser>()), m_onReport(std::move(onReport)),
      m_onSkip(std::move(onSkip)) {}

ScanReportReader::~ScanReportReader() = default;

void ScanReportReader::feed(std::string_view bytes) {
    if (!m_started) {
        feedStart(bytes);
    } else if (m_layout == Layout::Array) {
        feedArray(bytes);
    } else {
        feedLines(bytes);
    }
}

// The first byte that counts decides: '[' starts an array, read an element
// at a time; anything else is read a line at a time. A UTF-8 byte-order mark
// before it, as some editors write, is skipped.
void ScanReportReader::feedStart(std::string_view bytes) {
    m_pending.append(bytes);
    std::string_view head = m_pending;
    if (head.size() < kByteOrderMark.size() && kByteOrderMark.substr(0, head.size()) == head) {
        return; // perhaps a mark, not yet whole
    }
    if (head.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        head.remove_prefix(kByteOrderMark.size());
    }
    const auto first = std::find_if_not(head.begin(), head.end(), isBlank);
    if (first == head.end()) {
        return; // blanks only so far
    }
    m_started = true;
    const bool array = *first == '[';
    const std::string text(head);
    m_pending.clear();
    if (array) {
        m_layout = Layout::Array;
        feedArray(text);
    } else {
        feedLines(text);
    }
}

// The layout shows in the first line that holds anything: a complete JSON
// value there means JSON Lines; anything else is the start of one document.
void ScanReportReader::feedLines(std::string_view bytes) {
    if (m_layout == Layout::Document) {
        m_pending.append(bytes);
        return;
    }
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) {
            m_pending.append(bytes.substr(start));
            return;
        }
        if (m_pending.empty()) {
            takeLine(bytes.substr(start, end - start));
        } else {
            m_pending.append(bytes.substr(start, end - start));
            std::string line = std::move(m_pending);
            m_pending.clear();
            takeLine(line);
        }
        if (m_layout == Layout::Document) {
            m_pending.append(bytes.substr(end + 1));
            return;
        }
        start = end + 1;
    }
}

// Splits the array into its elements by following brackets and strings, and
// reads each element alone. What follows the array is read as JSON Lines.
void ScanReportReader::feedArray(std::string_view bytes) {
    ArrayState& a = m_array;
    for (size_t i = 0; i < bytes.size(); ++i) {
        // Runs that hold nothing the splitting looks at are copied whole:
        // the inside of a string, and the inside of an element up to the
        // next bracket, quote or line end.
        const ByteSet* stops = a.inString && !a.escaped     ? &kStringStops
                               : !a.inString && a.depth > 1 ? &kElementStops
                                                            : nullptr;
        if (stops) {
            const size_t stop = stops->findIn(bytes, i);
            a.element.append(bytes.substr(i, stop - i));
            i = stop;
            if (i == bytes.size()) {
                return;
            }
        }
        const char c = bytes[i];
        if (a.closed) {
            // Past the array's end.
            m_layout = Layout::Lines;
            m_line = a.line - 1;
            feedLines(bytes.substr(i));
            return;
        }
        if (c == '\n') {
            ++a.line;
        }
        if (a.inString) {
            a.element += c;
            if (a.escaped) {
                a.escaped = false;
            } else if (c == '\\') {
                a.escaped = true;
            } else if (c == '"') {
                a.inString = false;
            }
            continue;
        }
        if (a.depth == 0) {
            if (c == '[') {
                a.depth = 1;
            }
            continue;
        }
        if (a.depth == 1 && (c == ',' || c == ']')) {
            takeArrayElement();
            if (c == ']') {
                a.depth = 0;
                a.closed = true;
            }
            continue;
        }
        if (a.depth == 1 && a.element.empty()) {
            if (isBlank(c)) {
                continue;
            }
            a.elementLine = a.line;
        }
        if (c == '[' || c == '{') {
            ++a.depth;
        } else if (c == ']' || c == '}') {
            --a.depth;
        } else if (c == '"') {
            a.inString = true;
        }
        a.element += c;
    }
}

void ScanReportReader::takeArrayElement() {
    ArrayState& a = m_array;
    if (a.element.empty()) {
        return; // "[]", or a comma too many
    }
    const size_t index = ++a.index;
    queueUnit(std::move(a.element), a.elementLine, index);
    a.element.clear();
}

void ScanReportReader::takeLine(std::string_view rawLine) {
    ++m_line;
    const std::string_view line = trimmedLine(rawLine);
    if (line.empty()) {
        return;
    }
    element value;
    const simdjson::error_code error = m_parser->json.parse(line.data(), line.size()).get(value);
    if (m_layout == Layout::Undecided) {
        if (error != simdjson::SUCCESS || !value.is_object()) {
            // The start of a document spread over lines, or a broken line.
            m_layout = Layout::Document;
            m_pending.assign(rawLine);
            m_pending += '\n';
            return;
        }
        m_layout = Layout::Lines;
        std::vector<ReadOutcome> first;
        reportOutcomes(value, m_line, first);
        deliver(std::move(first));
        return;
    }
    queueUnit(std::string(line), m_line, 0);
}

void ScanReportReader::queueUnit(std::string text, size_t line, size_t index) {
    m_parser->batchBytes += text.size();
    m_parser->batch.push_back({std::move(text), line, index});
    if (m_parser->batchBytes >= kBatchBytes) {
        submitBatch();
    }
}

void ScanReportReader::submitBatch() {
    Parser& p = *m_parser;
    if (p.batch.empty()) {
        return;
    }
    std::vector<Unit> units = std::move(p.batch);
    p.batch.clear();
    p.batchBytes = 0;
    if (p.maxInFlight < 2) {
        deliver(unitOutcomes(std::move(units)));
        return;
    }
    p.inFlight.push_back(std::async(std::launch::async, unitOutcomes, std::move(units)));
    while (p.inFlight.size() > p.maxInFlight) {
        deliverOldest();
    }
}

void ScanReportReader::deliverOldest() {
    std::vector<ReadOutcome> outcomes = m_parser->inFlight.front().get();
    m_parser->inFlight.pop_front();
    deliver(std::move(outcomes));
}

void ScanReportReader::deliver(std::vector<ReadOutcome>&& outcomes) {
    for (ReadOutcome& outcome : outcomes) {
        if (outcome.isReport) {
            m_onReport(std::move(outcome.report));
        } else {
            m_onSkip(outcome.line, outcome.reason);
        }
    }
}

void ScanReportReader::drain() {
    submitBatch();
    while (!m_parser->inFlight.empty()) {
        deliverOldest();
    }
}

void ScanReportReader::finish() {
    if (!m_started) {
        // Blanks only, or too short to tell: read as lines.
        m_started = true;
        std::string text = std::move(m_pending);
        m_pending.clear();
        feedLines(text);
    }
    if (m_layout == Layout::Array) {
        drain();
        if (m_array.depth > 0) {
            const size_t line = m_array.element.empty() ? m_array.line : m_array.elementLine;
            m_array.element.clear();
            m_onSkip(line, "the array is cut short");
        }
    } else if (m_layout == Layout::Document) {
        parseDocument(m_pending, 1);
    } else if (!m_pending.empty()) {
        std::string last = std::move(m_pending);
        takeLine(last);
        if (m_layout == Layout::Document) {
            parseDocument(m_pending, 1);
        }
    }
    drain();
    m_pending.clear();
}

void ScanReportReader::parseDocument(std::string_view text, size_t line) {
    element root;
    const simdjson::error_code error = m_parser->json.parse(text.data(), text.size()).get(root);
    if (error != simdjson::SUCCESS) {
        // A broken first line of JSON Lines costs that line, not the file.
        if (!readAsLines(text)) {
            m_onSkip(line, jsonProblem(error, text));
        }
        return;
    }
    takeReports(root, line);
}

void ScanReportReader::takeReports(element value, size_t line) {
    std::vector<ReadOutcome> outcomes;
    reportOutcomes(value, line, outcomes);
    deliver(std::move(outcomes));
}

// Text that is no JSON document is read as JSON Lines when a line after its
// first holds a report object; false when none does.
bool ScanReportReader::readAsLines(std::string_view text) {
    std::vector<std::string_view> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    const auto holdsObject = [this](std::string_view raw) {
        const std::string_view line = trimmedLine(raw);
        element value;
        return !line.empty() &&
               m_parser->json.parse(line.data(), line.size()).get(value) == simdjson::SUCCESS &&
               value.is_object();
    };
    if (lines.size() < 2 || std::none_of(lines.begin() + 1, lines.end(), holdsObject)) {
        return false;
    }
    m_layout = Layout::Lines;
    m_line = 0;
    for (std::string_view line : lines) {
        takeLine(line);
    }
    return true;
}

uint32_t NameDatabaseBuilder::engineId(const EngineVerdict& verdict, int64_t date) {
    auto [position, added] =
        m_engineIds.try_emplace(verdict.engine, static_cast<uint32_t>(m_engines.size()));
    if (added) {
        m_engines.push_back({productName(verdict.engine), {}, {}, INT64_MIN});
    }
    Engine& engine = m_engines[position->second];
    if (date >= engine.newestDate) {
        engine.newestDate = date;
        engine.version = verdict.version;
        engine.update = verdict.update;
    }
    return position->second;
}

// The engine's name as the product table can hold it: no field breakers, no
// word that begins with a digit (such a word starts the version, so the name
// would read back shorter or empty), and no name another product has.
std::string NameDatabaseBuilder::productName(const std::string& engine) {
    std::string name = safeText(engine);
    for (size_t i = 0; i < name.size(); ++i) {
        if ((i == 0 || name[i - 1] == ' ') && std::isdigit(static_cast<unsigned char>(name[i]))) {
            name.insert(i, 1, '_');
        }
    }
    if (name.empty() || name.find_first_not_of(' ') == std::string::npos) {
        name = "_" + name;
    }
    if (m_productNames.empty()) {
        m_productNames.emplace("SHA-256", true);
    }
    const std::string wanted = name;
    for (int copy = 2; !m_productNames.emplace(name, true).second; ++copy) {
        name = wanted + "#" + std::to_string(copy);
    }
    if (name != engine) {
        m_engineChanges.push_back({engine, name, 1});
    }
    return name;
}

// The field as the name database can hold it; each change is counted.
std::string NameDatabaseBuilder::fieldText(const EngineVerdict& verdict) {
    std::string field = safeText(verdict.field);
    if (verdict.named && readsAsMarker(field)) {
        field.insert(0, 1, '_');
    }
    if (field != verdict.field) {
        Change& change = m_nameChanges[verdict.field];
        change.original = verdict.field;
        change.written = field;
        ++change.count;
    }
    return field;
}

std::vector<NameDatabaseBuilder::Change> NameDatabaseBuilder::nameChanges() const {
    std::vector<Change> changes;
    for (const auto& entry : m_nameChanges) {
        changes.push_back(entry.second);
    }
    return changes;
}

NameDatabaseBuilder::NameDatabaseBuilder(const std::string& spillDirectory)
    : m_store(spillDirectory) {}

// What the store keeps of a sample: how many engines, their ids, then their
// fields, each followed by '|'.
std::string NameDatabaseBuilder::sampleRecord(const ScanReport& report) {
    const uint32_t count = static_cast<uint32_t>(report.verdicts.size());
    std::string record(reinterpret_cast<const char*>(&count), sizeof count);
    std::string fields;
    for (const EngineVerdict& verdict : report.verdicts) {
        const uint32_t id = engineId(verdict, report.analysisDate);
        record.append(reinterpret_cast<const char*>(&id), sizeof id);
        fields += fieldText(verdict);
        fields += '|';
    }
    return record + fields;
}

void NameDatabaseBuilder::add(ScanReport&& report) {
    if (m_store.wants(report.sha256, report.analysisDate)) {
        m_store.put(report.sha256, report.analysisDate, sampleRecord(report));
        return;
    }
    // An older analysis still tells which engine versions existed.
    for (const EngineVerdict& verdict : report.verdicts) {
        engineId(verdict, report.analysisDate);
    }
}

std::vector<uint32_t> NameDatabaseBuilder::enginesInTableOrder() const {
    std::vector<uint32_t> order(m_engines.size());
    for (uint32_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::sort(order.begin(), order.end(), [this](uint32_t a, uint32_t b) {
        const std::string left = lowerCase(m_engines[a].name);
        const std::string right = lowerCase(m_engines[b].name);
        return left != right ? left < right : m_engines[a].name < m_engines[b].name;
    });
    return order;
}

std::string NameDatabaseBuilder::productTable(const std::string& label) const {
    std::string table = safeText(label);
    table += "|SHA-256 1 -";
    for (uint32_t id : enginesInTableOrder()) {
        const Engine& engine = m_engines[id];
        table += '|';
        table += engine.name;
        table += ' ';
        table += versionWord(engine.version);
        table += ' ';
        table += dateWord(engine.update);
    }
    table += "\r\n";
    return table;
}

void NameDatabaseBuilder::writeNameDatabase(
    const std::function<void(std::string_view)>& write,
    const std::function<void(std::string_view)>& record) const {
    const std::vector<uint32_t> order = enginesInTableOrder();
    if (record) {
        std::string head =
            std::string(kRecordTitle) + "\nengines " + std::to_string(m_engines.size()) + "\n";
        std::vector<const std::string*> keys(m_engines.size());
        for (const auto& [key, id] : m_engineIds) {
            keys[id] = &key;
        }
        for (uint32_t id = 0; id < m_engines.size(); ++id) {
            const Engine& engine = m_engines[id];
            head += escapedText(*keys[id]) + '\t' + engine.name + '\t' +
                    escapedText(engine.version) + '\t' + escapedText(engine.update) + '\t' +
                    std::to_string(engine.newestDate) + '\n';
        }
        head += "samples " + std::to_string(m_store.size()) + "\n";
        record(head);
    }
    std::vector<std::string_view> fieldOf(m_engines.size());
    std::string line;
    std::string date;
    m_store.forEach([&](std::string_view sha256, int64_t analysisDate, std::string_view kept) {
        std::fill(fieldOf.begin(), fieldOf.end(), kNotInReport);
        uint32_t count = 0;
        std::memcpy(&count, kept.data(), sizeof count);
        const std::string_view fields = kept.substr(sizeof count * (1 + size_t(count)));
        size_t start = 0;
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t id = 0;
            std::memcpy(&id, kept.data() + sizeof count * (1 + size_t(i)), sizeof id);
            const size_t bar = fields.find('|', start);
            fieldOf[id] = fields.substr(start, bar - start);
            start = bar + 1;
        }
        line.assign("|");
        line += sha256;
        for (uint32_t id : order) {
            line += '|';
            line += fieldOf[id];
        }
        line += "|\r\n";
        write(line);
        if (record) {
            date = std::to_string(analysisDate) + '\n';
            record(date);
        }
    });
}

uint32_t NameDatabaseBuilder::restoreEngine(const std::string& key, Engine engine) {
    const uint32_t id = static_cast<uint32_t>(m_engines.size());
    m_engineIds.emplace(key, id);
    if (m_productNames.empty()) {
        m_productNames.emplace("SHA-256", true);
    }
    m_productNames.emplace(engine.name, true);
    m_engines.push_back(std::move(engine));
    return id;
}

std::optional<size_t> recordedSampleCount(const std::string& dir) {
    LineFile record(dir + "/" + std::string(kRecordName));
    std::string line;
    size_t engines = 0;
    if (!record.next(line) || line != kRecordTitle || !record.next(line) ||
        !readCount(line, "engines ", engines)) {
        return std::nullopt;
    }
    for (size_t i = 0; i < engines; ++i) {
        if (!record.next(line)) {
            return std::nullopt;
        }
    }
    size_t samples = 0;
    if (!record.next(line) || !readCount(line, "samples ", samples)) {
        return std::nullopt;
    }
    return samples;
}

bool NameDatabaseBuilder::loadPrevious(const std::string& dir, std::string& error) {
    // An import replacing the pair meanwhile waits until it is read.
    const DataFolderLock lock(dir, DataFolderLock::Mode::Read);
    const std::string recordPath = dir + "/" + std::string(kRecordName);
    const std::string namesPath = dir + "/NOMIX.DAT";
    LineFile record(recordPath);
    LineFile names(namesPath);
    const auto fail = [&error](const std::string& path, const std::string& what) {
        error = path + ": " + what;
        return false;
    };
    if (!record.ok()) {
        return fail(recordPath, std::string(std::strerror(record.error())) +
                                    " (a database not imported by this version cannot be "
                                    "updated: import it again with --out)");
    }
    if (!names.ok()) {
        return fail(namesPath, std::strerror(names.error()));
    }
    std::string line;
    size_t engines = 0;
    if (!record.next(line) || line != kRecordTitle || !record.next(line) ||
        !readCount(line, "engines ", engines)) {
        return fail(recordPath, "not the record of an import");
    }
    for (size_t i = 0; i < engines; ++i) {
        std::vector<std::string> parts;
        if (!record.next(line) || (parts = splitRecordLine(line)).size() != 5) {
            return fail(recordPath, "an engine's line is damaged");
        }
        restoreEngine(parts[0], {parts[1], parts[2], parts[3], std::stoll(parts[4])});
    }
    size_t samples = 0;
    if (!record.next(line) || !readCount(line, "samples ", samples)) {
        return fail(recordPath, "not the record of an import");
    }
    const std::vector<uint32_t> order = enginesInTableOrder();
    for (size_t k = 0; k < samples; ++k) {
        std::string dateLine;
        if (!record.next(dateLine) || !names.next(line)) {
            return fail(namesPath, "does not match the record of its import");
        }
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
            line.pop_back();
        }
        std::string kept;
        std::string sha256;
        if (!storedSample(line, order, sha256, kept)) {
            return fail(namesPath, "line " + std::to_string(k + 1) +
                                       " does not match the record of its import");
        }
        m_store.put(sha256, std::stoll(dateLine), kept);
    }
    if (names.next(line)) {
        return fail(namesPath, "does not match the record of its import");
    }
    return true;
}

std::string defaultImportLabel(size_t sampleCount, int64_t secondsSince1970) {
    const std::time_t time = static_cast<std::time_t>(secondsSince1970);
    std::tm local = {};
    localtime_r(&time, &local);
    char date[16];
    std::strftime(date, sizeof date, "%Y-%m-%d", &local);
    return "Imported " + std::to_string(sampleCount) + " samples on " + date;
}

namespace {

// A file written beside its final name, renamed over it on commit().
class PendingFile {
  public:
    PendingFile(const std::string& dir, const std::string& name)
        : m_final(dir + "/" + name), m_temporary(dir + "/." + name + ".XXXXXX") {
        m_fd = mkostemp(m_temporary.data(), O_CLOEXEC);
        m_ok = m_fd >= 0;
        m_error = m_ok ? 0 : errno;
    }
    ~PendingFile() {
        if (m_fd >= 0) {
            close(m_fd);
        }
        if (m_fd >= 0 && !m_renamed) {
            unlink(m_temporary.c_str());
        }
    }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Lines are gathered into large writes: one system call a line would
    // cost more than making the line.
    void write(std::string_view bytes) {
        m_buffer.append(bytes);
        if (m_buffer.size() >= kWriteBuffer) {
            flush();
        }
    }
    void flush() {
        std::string_view bytes = m_buffer;
        while (!bytes.empty() && m_ok) {
            const ssize_t done = ::write(m_fd, bytes.data(), bytes.size());
            if (done < 0 && errno == EINTR) {
                continue;
            }
            check(done > 0);
            if (m_ok) {
                bytes.remove_prefix(static_cast<size_t>(done));
            }
        }
        m_buffer.clear();
    }
    void complete() {
        flush();
        check(m_ok && fsync(m_fd) == 0 && fchmod(m_fd, modeFromUmask()) == 0);
    }
    // The file is at its final name now; it is no longer removed.
    void markRenamed() { m_renamed = true; }
    const std::string& finalPath() const { return m_final; }
    const std::string& temporaryPath() const { return m_temporary; }
    bool ok() const { return m_ok; }
    int error() const { return m_error; }

  private:
    // New files get the permissions the user's umask gives them, as files
    // other programs create do.
    static mode_t modeFromUmask() {
        const mode_t mask = umask(0);
        umask(mask);
        return 0666 & ~mask;
    }

    void check(bool fine) {
        if (m_ok && !fine) {
            m_ok = false;
            m_error = errno != 0 ? errno : EIO;
        }
    }

    static constexpr size_t kWriteBuffer = 1 << 20;

    std::string m_final;
    std::string m_temporary;
    std::string m_buffer;
    int m_fd = -1;
    bool m_ok = true;
    int m_error = 0;
    bool m_renamed = false;
};

// Files an import killed while writing left beside the final names. With the
// folder's write lock held no other import is writing, so every one is a
// leftover.
void removeLeftovers(const std::string& dir) {
    DIR* folder = opendir(dir.c_str());
    if (!folder) {
        return;
    }
    std::vector<std::string> leftovers;
    while (const dirent* entry = readdir(folder)) {
        const std::string_view name = entry->d_name;
        for (std::string_view prefix : {".NOMIX.CFG.", ".NOMIX.DAT.", "..nomix95.samples."}) {
            if (name.size() == prefix.size() + 6 && name.substr(0, prefix.size()) == prefix) {
                leftovers.emplace_back(dir + "/" + std::string(name));
            }
        }
    }
    closedir(folder);
    for (const std::string& path : leftovers) {
        unlink(path.c_str());
    }
}

} // namespace

bool writeImportedDatabase(const std::string& dir, const NameDatabaseBuilder& builder,
                           const std::string& label, std::string& error,
                           const std::function<bool()>& stopRequested) {
    const auto cannotWrite = [&dir, &error](int code) {
        error = dir + ": cannot write there: " + std::strerror(code);
        return false;
    };
    // A folder named for the new database need not exist yet: it is made
    // with its parents, as mkdir -p does.
    std::error_code made;
    std::filesystem::create_directories(dir, made);
    if (made) {
        error = dir + ": cannot write there: " + made.message();
        return false;
    }
    DataFolderLock lock(dir, DataFolderLock::Mode::Write);
    if (!lock.ok()) {
        return cannotWrite(lock.error());
    }
    removeLeftovers(dir);
    PendingFile table(dir, "NOMIX.CFG");
    PendingFile names(dir, "NOMIX.DAT");
    PendingFile record(dir, std::string(kRecordName));
    const auto stopped = [&stopRequested] { return stopRequested && stopRequested(); };
    table.write(builder.productTable(label));
    builder.writeNameDatabase(
        [&names, &stopped](std::string_view line) {
            if (!stopped()) {
                names.write(line);
            }
        },
        [&record](std::string_view text) { record.write(text); });
    table.complete();
    names.complete();
    record.complete();
    if (stopped()) {
        error = "interrupted; nothing written";
        return false;
    }
    if (builder.storeError() != 0) {
        error = "cannot keep the samples in a temporary file: " +
                std::string(std::strerror(builder.storeError()));
        return false;
    }
    for (const PendingFile* file : {&table, &names, &record}) {
        if (!file->ok()) {
            return cannotWrite(file->error());
        }
    }
    if (!lock.replace({{names.temporaryPath(), names.finalPath()},
                       {table.temporaryPath(), table.finalPath()},
                       {record.temporaryPath(), record.finalPath()}})) {
        return cannotWrite(lock.error());
    }
    names.markRenamed();
    table.markRenamed();
    record.markRenamed();
    return true;
}

} // namespace nomix
