// SPDX-License-Identifier: MIT
#include "scanreports.h"

#include "batchtext.h"
#include "core/database.h"
#include "core/datafolderlock.h"
#include "core/fileerror.h"
#include "core/replacementfile.h"
#include "core/resultwriter.h"
#include "core/taskpool.h"
#include "core/utf8.h"

#include <simdjson.h>

#include <deque>
#include <future>
#include <optional>

#include <algorithm>
#include <bit>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace nomix {

// What reading a line or an element gave: a report, or why it holds none.
struct ReadOutcome {
    bool isReport = false;
    ScanReport report;
    size_t line = 0;
    std::string reason;
};

// The outcomes of reading a batch, kept in the objects of a batch handed on
// before: their strings and vectors keep the room they grew, so a report
// costs no allocation on the thread that reads it, and none is released on
// the thread that hands it on, where each release into the reading thread's
// heap would wait for that heap's lock.
class ReadOutcomes {
  public:
    ReadOutcomes() = default;
    explicit ReadOutcomes(std::vector<ReadOutcome> spent) : m_items(std::move(spent)) {}

    // A new outcome at the end, empty.
    ReadOutcome& add() {
        if (m_count == m_items.size()) {
            m_items.emplace_back();
        } else {
            ReadOutcome& outcome = m_items[m_count];
            outcome.isReport = false;
            outcome.report.clear();
            outcome.line = 0;
            outcome.reason.clear();
        }
        return m_items[m_count++];
    }
    std::span<ReadOutcome> items() { return {m_items.data(), m_count}; }
    // The objects, to use again.
    std::vector<ReadOutcome> spent() && { return std::move(m_items); }

  private:
    std::vector<ReadOutcome> m_items;
    size_t m_count = 0;
};

// A batch's reports, and its buffer to fill again: a new one of a megabyte
// would cost a page fault every few kilobytes.
struct ReadBatch {
    ReadOutcomes outcomes;
    BatchText spentText;
    // For raw lines: the outcomes' lines count from the batch's start, and
    // the lines it held.
    bool relativeLines = false;
    size_t lineCount = 0;
};

namespace {

using simdjson::dom::element;
using simdjson::dom::object;

constexpr std::string_view kNoVirus = "NO_VIRUS";
constexpr std::string_view kUnknownVirus = "UNKNOWN_VIRUS";
constexpr std::string_view kNotInReport = "~not in report";
constexpr std::string_view kNoVerdict = "~no verdict";
// What a verdict's texts take on average, to reserve a report's room at once.
constexpr size_t kVerdictTextBytes = 48;

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

// `text` in lower case, into `into`, whose room is kept.
void assignLowerCase(std::string& into, std::string_view text) {
    into.assign(text);
    for (char& c : into) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
}

std::string lowerCase(std::string_view text) {
    std::string lower;
    assignLowerCase(lower, text);
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
void setDetection(ScanReport& report, EngineVerdict& verdict, std::string_view name) {
    verdict.named = !name.empty();
    verdict.field = report.keep(name.empty() ? kUnknownVirus : name);
}

// A detection whose name the program would read as clean, nameless or not
// scanned is written with a leading '_'.
bool readsAsMarker(std::string_view name) {
    return name == kNoVirus || name == kUnknownVirus || (!name.empty() && name.front() == '~');
}

// The field as the name database holds it.
std::string writtenField(std::string_view original, bool named) {
    std::string field = safeText(original);
    if (named && readsAsMarker(field)) {
        field.insert(0, 1, '_');
    }
    return field;
}

// Appends the verdict's field to the report's fields as the name database
// holds it, noting whether it had to be changed.
void appendDatabaseField(ScanReport& report, EngineVerdict& verdict) {
    const std::string_view field = report.textOf(verdict.field);
    verdict.rewritten = (verdict.named && readsAsMarker(field)) ||
                        std::any_of(field.begin(), field.end(), isFieldBreaker);
    if (verdict.rewritten) {
        report.fields += writtenField(field, verdict.named);
    } else {
        report.fields += field;
    }
    report.fields += '|';
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

std::string_view stringOf(element value) {
    std::string_view text;
    return value.get_string().get(text) == simdjson::SUCCESS ? text : std::string_view();
}

// What an engine's result says, read in one pass over its members; a
// repeated member counts with its last value.
struct VerdictMembers {
    std::string_view version;
    std::string_view update;
    std::string_view result;
    std::string_view category;       // API v3
    std::optional<element> detected; // API v2
};

// Whether `key` is `name`; with the length known at compile time, the
// comparison is a few instructions instead of a library call.
template <size_t N> bool isKey(std::string_view key, const char (&name)[N]) {
    return key.size() == N - 1 && std::memcmp(key.data(), name, N - 1) == 0;
}

VerdictMembers verdictMembers(object result, bool v3) {
    VerdictMembers members;
    for (auto [key, value] : result) {
        if (isKey(key, "result")) {
            members.result = stringOf(value);
        } else if (v3) {
            if (isKey(key, "category")) {
                members.category = stringOf(value);
            } else if (isKey(key, "engine_version")) {
                members.version = stringOf(value);
            } else if (isKey(key, "engine_update")) {
                members.update = stringOf(value);
            }
        } else if (isKey(key, "detected")) {
            members.detected = value;
        } else if (isKey(key, "version")) {
            members.version = stringOf(value);
        } else if (isKey(key, "update")) {
            members.update = stringOf(value);
        }
    }
    return members;
}

// API v3: "category" says whether the engine detected, passed or could not
// scan the file.
void readV3Verdict(const VerdictMembers& members, ScanReport& report, EngineVerdict& verdict) {
    const std::string_view category = members.category;
    if (category == "malicious" || category == "suspicious") {
        setDetection(report, verdict, members.result);
    } else if (category == "undetected" || category == "harmless") {
        verdict.field = report.keep(kNoVirus);
    } else {
        verdict.field =
            report.keep(std::string_view("~"), category.empty() ? kNoVerdict.substr(1) : category);
    }
}

void readV2Verdict(const VerdictMembers& members, ScanReport& report, EngineVerdict& verdict) {
    bool detected = false;
    if (!members.detected || members.detected->get_bool().get(detected) != simdjson::SUCCESS) {
        verdict.field = report.keep(kNoVerdict);
    } else if (detected) {
        setDetection(report, verdict, members.result);
    } else {
        verdict.field = report.keep(kNoVirus);
    }
}

bool readVerdicts(object results, bool v3, ScanReport& report) {
    report.verdicts.reserve(results.size());
    report.texts.reserve(results.size() * kVerdictTextBytes);
    report.fields.clear();
    report.fields.reserve(results.size() * kVerdictTextBytes / 2);
    for (auto [key, value] : results) {
        object result;
        if (value.get(result) != simdjson::SUCCESS) {
            return false;
        }
        const VerdictMembers members = verdictMembers(result, v3);
        EngineVerdict& verdict = report.verdicts.emplace_back();
        verdict.engine = report.keep(key);
        verdict.version = report.keep(members.version);
        verdict.update = report.keep(members.update);
        if (v3) {
            readV3Verdict(members, report, verdict);
        } else {
            readV2Verdict(members, report, verdict);
        }
        appendDatabaseField(report, verdict);
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
    assignLowerCase(report.sha256, sha);
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

// The bytes of a word that equal `byte`, as its top bits: exact up to the
// lowest such byte, which is all a search needs.
constexpr uint64_t bytesEqual(uint64_t word, unsigned char byte) {
    constexpr uint64_t kOnes = 0x0101010101010101;
    constexpr uint64_t kTops = 0x8080808080808080;
    const uint64_t zeroWhereEqual = word ^ (kOnes * byte);
    return (zeroWhereEqual - kOnes) & ~zeroWhereEqual & kTops;
}

// The first '"' or '\\' of `text` from `from` on, or its size.
size_t nextQuoteOrBackslash(std::string_view text, size_t from) {
    static_assert(std::endian::native == std::endian::little);
    size_t i = from;
    for (; i + 8 <= text.size(); i += 8) {
        uint64_t word = 0;
        std::memcpy(&word, text.data() + i, sizeof word);
        const uint64_t found = bytesEqual(word, '"') | bytesEqual(word, '\\');
        if (found != 0) {
            return i + static_cast<size_t>(std::countr_zero(found)) / 8;
        }
    }
    for (; i < text.size(); ++i) {
        if (text[i] == '"' || text[i] == '\\') {
            return i;
        }
    }
    return text.size();
}

// An array is split a block of 64 bytes at a time where it can be: a bit
// per byte says which bytes are quotes, backslashes or brackets.
constexpr size_t kBlockSize = 64;

struct BlockMasks {
    uint64_t quotes = 0;
    uint64_t backslashes = 0;
    uint64_t opening = 0; // '{' and '['
    uint64_t closing = 0; // '}' and ']'
};

BlockMasks blockMasks(const char* block) {
    BlockMasks masks;
#if defined(__SSE2__)
    for (unsigned part = 0; part < kBlockSize / 16; ++part) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * part));
        const auto where = [&](char c) {
            const int bits = _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(c)));
            return static_cast<uint64_t>(static_cast<uint16_t>(bits)) << (16 * part);
        };
        masks.quotes |= where('"');
        masks.backslashes |= where('\\');
        masks.opening |= where('{') | where('[');
        masks.closing |= where('}') | where(']');
    }
#else
    for (unsigned k = 0; k < kBlockSize; ++k) {
        const uint64_t bit = uint64_t(1) << k;
        switch (block[k]) {
        case '"':
            masks.quotes |= bit;
            break;
        case '\\':
            masks.backslashes |= bit;
            break;
        case '{':
        case '[':
            masks.opening |= bit;
            break;
        case '}':
        case ']':
            masks.closing |= bit;
            break;
        default:
            break;
        }
    }
#endif
    return masks;
}

#if defined(__x86_64__)
// The same 32 bytes at a time, on processors that can. '[' and '{', and ']'
// and '}', differ in bit 0x20 only.
__attribute__((target("avx2"))) uint64_t bytesEqual32(__m256i text, char c, unsigned part) {
    const int bits = _mm256_movemask_epi8(_mm256_cmpeq_epi8(text, _mm256_set1_epi8(c)));
    return static_cast<uint64_t>(static_cast<uint32_t>(bits)) << (32 * part);
}

__attribute__((target("avx2"))) BlockMasks blockMasksAvx2(const char* block) {
    BlockMasks masks;
    const __m256i caseBit = _mm256_set1_epi8(0x20);
    for (unsigned part = 0; part < kBlockSize / 32; ++part) {
        const __m256i bytes =
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block + 32 * part));
        const __m256i folded = _mm256_or_si256(bytes, caseBit);
        masks.quotes |= bytesEqual32(bytes, '"', part);
        masks.backslashes |= bytesEqual32(bytes, '\\', part);
        masks.opening |= bytesEqual32(folded, '{', part);
        masks.closing |= bytesEqual32(folded, '}', part);
    }
    return masks;
}
#endif

// Each bit becomes the parity of itself and the bits below it: with quotes
// as bits, the bytes from an opening quote up to its closing quote.
constexpr uint64_t prefixXor(uint64_t bits) {
    bits ^= bits << 1;
    bits ^= bits << 2;
    bits ^= bits << 4;
    bits ^= bits << 8;
    bits ^= bits << 16;
    bits ^= bits << 32;
    return bits;
}

size_t newlinesIn(std::string_view text) {
    size_t count = 0;
    for (const char *at = text.data(), *end = text.data() + text.size();
         (at = static_cast<const char*>(std::memchr(at, '\n', static_cast<size_t>(end - at))));
         ++at) {
        ++count;
    }
    return count;
}

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
// NameDatabaseBuilder::recordHead()): `order` gives each column's engine.
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

void arrayItemOutcome(element item, size_t index, size_t line, ReadOutcomes& out) {
    ReadOutcome& outcome = out.add();
    std::string reason;
    outcome.line = line;
    outcome.isReport = readReport(item, outcome.report, reason);
    if (!outcome.isReport) {
        outcome.reason = "report " + std::to_string(index) + " of the array: " + reason;
    }
}

// A report, an array of reports, or a collection of them under "data", as
// the public API returns collections.
void reportOutcomes(element value, size_t line, ReadOutcomes& out) {
    element data;
    if (lastValue(value, "data", data) && data.is_array()) {
        value = data;
    }
    simdjson::dom::array items;
    if (value.get(items) != simdjson::SUCCESS) {
        ReadOutcome& outcome = out.add();
        outcome.line = line;
        outcome.isReport = readReport(value, outcome.report, outcome.reason);
        return;
    }
    size_t index = 0;
    for (element item : items) {
        arrayItemOutcome(item, ++index, line, out);
    }
}

// Lines of JSON Lines, or elements of an array (`index` from 1), read apart
// from the rest, so several batches can be read at once. The texts lie in
// one buffer, which ends in the padding the JSON reader needs, so neither
// queuing nor reading a text allocates or copies it again. Elements of an
// array stay where the input was read, between their commas.
struct Batch {
    struct Unit {
        size_t offset = 0;
        size_t size = 0;
        size_t line = 0;
        size_t index = 0; // 0 for a line
    };
    BatchText text;
    std::vector<Unit> units;
    std::vector<ReadOutcome> spentOutcomes; // to read the reports into
    // Lines of JSON Lines not yet split: all of `text`, split and numbered
    // (from 1) by the thread that reads the batch, so the thread that hands
    // the reports on does not also touch every byte.
    bool rawLines = false;

    void add(std::string_view unitText, size_t line, size_t index) {
        units.push_back({text.size(), unitText.size(), line, index});
        text.append(unitText);
        text.append("\n");
    }
    // A text that is in the buffer already.
    void addInPlace(size_t offset, size_t size, size_t line, size_t index) {
        units.push_back({offset, size, line, index});
    }
    std::string_view textOf(const Unit& unit) const {
        return text.view().substr(unit.offset, unit.size);
    }
};

// One line or array element, followed in memory by the JSON reader's
// padding or more text.
void readUnit(simdjson::dom::parser& parser, std::string_view text, size_t line, size_t index,
              ReadOutcomes& out) {
    element value;
    const simdjson::error_code error = parser.parse(text.data(), text.size(), false).get(value);
    if (error != simdjson::SUCCESS) {
        ReadOutcome& outcome = out.add();
        outcome.line = line;
        outcome.reason = jsonProblem(error, text);
        if (index > 0) {
            outcome.reason.insert(0, "report " + std::to_string(index) + " of the array: ");
        }
    } else if (index > 0) {
        arrayItemOutcome(value, index, line, out);
    } else if (!value.is_object()) {
        ReadOutcome& outcome = out.add();
        outcome.line = line;
        outcome.reason = "not a JSON object";
    } else {
        reportOutcomes(value, line, out);
    }
}

// Splits raw lines, numbering them from 1; a last line may lack its end.
size_t readRawLines(simdjson::dom::parser& parser, std::string_view text, ReadOutcomes& out) {
    size_t line = 0;
    for (size_t start = 0; start < text.size(); ++line) {
        const char* const lineEnd =
            static_cast<const char*>(std::memchr(text.data() + start, '\n', text.size() - start));
        const size_t end = lineEnd ? static_cast<size_t>(lineEnd - text.data()) : text.size();
        const std::string_view trimmed = trimmedLine(text.substr(start, end - start));
        if (!trimmed.empty()) {
            readUnit(parser, trimmed, line + 1, 0, out);
        }
        start = end + 1;
    }
    return line;
}

ReadBatch readBatch(Batch batch, simdjson::dom::parser& parser) {
    batch.text.pad();
    ReadBatch read;
    read.outcomes = ReadOutcomes(std::move(batch.spentOutcomes));
    if (batch.rawLines) {
        read.relativeLines = true;
        read.lineCount = readRawLines(parser, batch.text.view(), read.outcomes);
    }
    for (const Batch::Unit& unit : batch.units) {
        readUnit(parser, batch.textOf(unit), unit.line, unit.index, read.outcomes);
    }
    read.spentText = std::move(batch.text);
    return read;
}

constexpr size_t kBatchBytes = 1 << 20;
// The most input read into a batch at once.
constexpr size_t kFillBytes = 1 << 17;

} // namespace

struct ScanReportReader::Parser {
    simdjson::dom::parser json;
    // Lines and elements are read in batches, on other cores where there
    // are any; their reports are handed on in order, on the caller's thread.
    Batch batch;
    std::deque<std::future<ReadBatch>> inFlight;
    std::unique_ptr<TaskPool> pool; // made with the first batch
    std::vector<BatchText> spareTexts;
    std::vector<std::vector<ReadOutcome>> spareOutcomes;
    const size_t cores = coreCount();
    // Three batches a core: a thread that ends its batch before the oldest
    // is handed on finds another queued, and the batches stay in the cache.
    const size_t maxInFlight = 3 * cores;
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
    } else if (m_layout == Layout::Lines) {
        feedRawLines(bytes);
    } else {
        feedLines(bytes);
    }
}

std::span<char> ScanReportReader::room() {
    if (!m_started || (m_layout != Layout::Array && m_layout != Layout::Lines)) {
        return {};
    }
    if (m_layout == Layout::Array) {
        prepareArrayBatch();
    } else {
        prepareRawBatch();
    }
    BatchText& text = m_parser->batch.text;
    text.reserveMore(kFillBytes);
    return {text.freeRoom(), std::min(text.freeRoomSize(), kFillBytes)};
}

void ScanReportReader::filled(size_t count) {
    BatchText& text = m_parser->batch.text;
    const size_t from = text.size();
    text.grow(count);
    if (m_layout == Layout::Array) {
        scanArray(from);
    } else {
        cutRawBatch();
    }
}

// Once the input proved to be JSON Lines, its bytes go into the batch as they
// come, cut after the last line end once the batch is full; the threads that
// parse the batches split them into lines.
void ScanReportReader::prepareRawBatch() {
    Parser& p = *m_parser;
    if (!m_rawLines) {
        // The lines split on this thread go first.
        submitBatch();
        m_rawLines = true;
    }
    if (!p.batch.rawLines) {
        startBatch(m_pending.size());
        p.batch.rawLines = true;
        p.batch.text.append(m_pending); // a line the chunk before did not end
        m_pending.clear();
    }
}

void ScanReportReader::cutRawBatch() {
    Parser& p = *m_parser;
    const std::string_view text = p.batch.text.view();
    if (text.size() < kBatchBytes) {
        return;
    }
    const size_t lastEnd = text.rfind('\n');
    if (lastEnd == std::string::npos) {
        return; // a line longer than a batch: it grows until it ends
    }
    const std::string unended(text.substr(lastEnd + 1));
    p.batch.text.truncate(lastEnd + 1);
    submitBatch();
    startBatch(unended.size());
    p.batch.rawLines = true;
    p.batch.text.append(unended);
}

// A new batch's buffer: one used before where there is one.
void ScanReportReader::startBatch(size_t firstBytes) {
    Batch& batch = m_parser->batch;
    if (batch.text.capacity() == 0 && !m_parser->spareTexts.empty()) {
        batch.text = std::move(m_parser->spareTexts.back());
        m_parser->spareTexts.pop_back();
    }
    batch.text.reserveMore(kBatchBytes + std::max(firstBytes, kFillBytes));
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

void ScanReportReader::feedArray(std::string_view bytes) {
    const size_t from = prepareArrayBatch();
    m_parser->batch.text.append(bytes);
    scanArray(from);
}

void ScanReportReader::feedRawLines(std::string_view bytes) {
    prepareRawBatch();
    m_parser->batch.text.append(bytes);
    cutRawBatch();
}

// The array's bytes go into the batch as they come; returns where the new
// ones will start.
size_t ScanReportReader::prepareArrayBatch() {
    Batch& batch = m_parser->batch;
    if (batch.text.capacity() == 0) {
        startBatch(0);
    }
    return batch.text.size();
}

// Splits the array into its elements by following brackets and strings, and
// reads each element alone. What follows the array is read as JSON Lines.
// This thread reads every byte of the array, so the splitting is kept
// lean: strings are skipped to their closing quote, the lines are counted
// only where an element begins, and an element is queued where it lies in
// the batch, from `from` (the bytes not yet scanned) on.
void ScanReportReader::scanArray(size_t from) {
    ArrayState& a = m_array;
    const std::string_view bytes = m_parser->batch.text.view();
    size_t counted = from; // the lines are counted up to here
    const auto countLinesTo = [&](size_t end) {
        a.line += newlinesIn(bytes.substr(counted, end - counted));
        counted = end;
    };
    for (size_t i = from; i < bytes.size();) {
        // Inside an element whole blocks at a time, then at most a block
        // byte by byte: where an element ends, or a block holds an escape.
        if (a.depth >= 2 && !a.escaped) {
            i = skipInsideElement(bytes, i);
        }
        for (const size_t stop = std::min(bytes.size(), i + kBlockSize); i < stop; ++i) {
            if (a.inString) {
                i = stringEnd(bytes, i);
                if (i == bytes.size()) {
                    break;
                }
                a.inString = false;
                continue;
            }
            const char c = bytes[i];
            if (a.closed) {
                // Past the array's end.
                countLinesTo(i);
                const std::string rest(bytes.substr(i));
                m_parser->batch.text.truncate(i);
                m_layout = Layout::Lines;
                m_line = a.line - 1;
                feedLines(rest);
                return;
            }
            if (a.depth == 0) {
                if (c == '[') {
                    a.depth = 1;
                }
                continue;
            }
            if (a.depth == 1 && (c == ',' || c == ']')) {
                takeArrayElement(i);
                if (c == ']') {
                    a.depth = 0;
                    a.closed = true;
                }
                continue;
            }
            if (a.depth == 1 && a.elementStart == kNoElement) {
                if (isBlank(c)) {
                    continue;
                }
                countLinesTo(i);
                a.elementLine = a.line;
                a.elementStart = i;
            }
            switch (c) {
            case '[':
            case '{':
                ++a.depth;
                break;
            case ']':
            case '}':
                --a.depth;
                break;
            case '"':
                a.inString = true;
                break;
            default:
                break;
            }
        }
    }
    countLinesTo(bytes.size());
    cutArrayBatch();
}

// Once the batch is full, its whole elements go to be read, and the element
// begun so far starts the next batch. A batch without a whole element grows
// until its element ends.
void ScanReportReader::cutArrayBatch() {
    Parser& p = *m_parser;
    ArrayState& a = m_array;
    if (p.batch.text.size() < kBatchBytes || p.batch.units.empty()) {
        return;
    }
    std::string begun;
    if (a.elementStart != kNoElement) {
        begun = p.batch.text.view().substr(a.elementStart);
        a.elementStart = 0;
    }
    submitBatch();
    startBatch(begun.size());
    p.batch.text.append(begun);
}

// Follows an element's brackets from `from` on a block at a time, and
// returns where its bytes must be read one by one: after the bracket that
// ends the element, at a block that holds a backslash (an escape, which the
// byte-wise reading handles), or before the last partial block.
namespace {

// The loop of skipInsideElement(), made once for each way of finding the
// block masks, so that each is inlined.
template <BlockMasks (*masksOf)(const char*)>
[[gnu::always_inline]] inline size_t skipBlocks(std::string_view bytes, size_t from, int& depth,
                                                bool& inString) {
    size_t i = from;
    for (; i + kBlockSize <= bytes.size(); i += kBlockSize) {
        const BlockMasks block = masksOf(bytes.data() + i);
        if (block.backslashes != 0) {
            return i;
        }
        const uint64_t quoted = prefixXor(block.quotes) ^ (inString ? ~uint64_t(0) : 0);
        for (uint64_t brackets = (block.opening | block.closing) & ~quoted; brackets != 0;
             brackets &= brackets - 1) {
            const int bit = std::countr_zero(brackets);
            if ((block.opening >> bit) & 1) {
                ++depth;
            } else if (--depth == 1) {
                inString = false;
                return i + static_cast<size_t>(bit) + 1;
            }
        }
        inString = (quoted >> 63) != 0;
    }
    return i;
}

size_t skipBlocksPortable(std::string_view bytes, size_t from, int& depth, bool& inString) {
    return skipBlocks<blockMasks>(bytes, from, depth, inString);
}

#if defined(__x86_64__)
__attribute__((target("avx2"))) size_t skipBlocksAvx2(std::string_view bytes, size_t from,
                                                      int& depth, bool& inString) {
    return skipBlocks<blockMasksAvx2>(bytes, from, depth, inString);
}
#endif

} // namespace

size_t ScanReportReader::skipInsideElement(std::string_view bytes, size_t from) {
    ArrayState& a = m_array;
#if defined(__x86_64__)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2) {
        return skipBlocksAvx2(bytes, from, a.depth, a.inString);
    }
#endif
    return skipBlocksPortable(bytes, from, a.depth, a.inString);
}

// Where the string being read ends in `bytes` (its closing quote), from
// `from` on, or the size when the chunk ends first, carrying an escape that
// the chunk's end cuts in two. Eight bytes are looked at a time: most of an
// array's bytes are inside strings.
size_t ScanReportReader::stringEnd(std::string_view bytes, size_t from) {
    bool& escaped = m_array.escaped;
    const size_t size = bytes.size();
    size_t i = from;
    while (i < size) {
        if (escaped) {
            escaped = false;
            ++i;
            continue;
        }
        const size_t next = nextQuoteOrBackslash(bytes, i);
        if (next == size) {
            return size;
        }
        if (bytes[next] == '"') {
            return next;
        }
        escaped = true;
        i = next + 1;
    }
    return size;
}

// The element that began at `elementStart` ends before `end`.
void ScanReportReader::takeArrayElement(size_t end) {
    ArrayState& a = m_array;
    if (a.elementStart == kNoElement) {
        return; // "[]", or a comma too many
    }
    const size_t index = ++a.index;
    m_parser->batch.addInPlace(a.elementStart, end - a.elementStart, a.elementLine, index);
    a.elementStart = kNoElement;
}

void ScanReportReader::takeLine(std::string_view rawLine) {
    ++m_line;
    const std::string_view line = trimmedLine(rawLine);
    if (line.empty()) {
        return;
    }
    if (m_layout != Layout::Undecided) {
        queueUnit(line, m_line, 0);
        return;
    }
    element value;
    const simdjson::error_code error = m_parser->json.parse(line.data(), line.size()).get(value);
    if (error != simdjson::SUCCESS || !value.is_object()) {
        // The start of a document spread over lines, or a broken line.
        m_layout = Layout::Document;
        m_pending.assign(rawLine);
        m_pending += '\n';
        return;
    }
    m_layout = Layout::Lines;
    ReadOutcomes first;
    reportOutcomes(value, m_line, first);
    deliver(first.items());
}

void ScanReportReader::queueUnit(std::string_view text, size_t line, size_t index) {
    Batch& batch = m_parser->batch;
    if (batch.text.empty()) {
        startBatch(text.size());
    }
    batch.add(text, line, index);
    if (batch.text.size() >= kBatchBytes) {
        submitBatch();
    }
}

void ScanReportReader::submitBatch() {
    Parser& p = *m_parser;
    if (p.batch.units.empty() && (!p.batch.rawLines || p.batch.text.empty())) {
        // Nothing to read: the blanks or commas of an array, say, which
        // must not stay before the lines that may follow it.
        p.batch.text.clear();
        return;
    }
    Batch batch = std::move(p.batch);
    p.batch = Batch();
    if (!p.spareOutcomes.empty()) {
        batch.spentOutcomes = std::move(p.spareOutcomes.back());
        p.spareOutcomes.pop_back();
    }
    if (p.cores < 2) {
        handOn(readBatch(std::move(batch), p.json));
        return;
    }
    if (!p.pool) {
        p.pool = std::make_unique<TaskPool>(p.cores);
    }
    p.inFlight.push_back(p.pool->run([batch = std::move(batch)]() mutable {
        // Each thread of the pool keeps its reader and the room it grew.
        thread_local simdjson::dom::parser parser;
        return readBatch(std::move(batch), parser);
    }));
    while (p.inFlight.size() > p.maxInFlight) {
        deliverOldest();
    }
}

void ScanReportReader::deliverOldest() {
    ReadBatch read = m_parser->inFlight.front().get();
    m_parser->inFlight.pop_front();
    handOn(std::move(read));
}

// Hands a batch's reports on, and keeps its room for the batches to come.
void ScanReportReader::handOn(ReadBatch&& read) {
    read.spentText.clear();
    m_parser->spareTexts.push_back(std::move(read.spentText));
    if (read.relativeLines) {
        for (ReadOutcome& outcome : read.outcomes.items()) {
            outcome.line += m_line;
        }
        m_line += read.lineCount;
    }
    deliver(read.outcomes.items());
    m_parser->spareOutcomes.push_back(std::move(read.outcomes).spent());
}

void ScanReportReader::deliver(std::span<ReadOutcome> outcomes) {
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
            const size_t line =
                m_array.elementStart == kNoElement ? m_array.line : m_array.elementLine;
            m_array.elementStart = kNoElement;
            m_onSkip(line, "the array is cut short");
        }
    } else if (m_layout == Layout::Document) {
        parseDocument(m_pending, 1);
    } else if (m_rawLines) {
        // The last batch holds what is left, ended or not: drain() reads it.
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
    ReadOutcomes outcomes;
    reportOutcomes(value, line, outcomes);
    deliver(outcomes.items());
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

uint32_t NameDatabaseBuilder::engineId(size_t place, const ScanReport& report, int64_t date) {
    const EngineVerdict& verdict = report.verdicts[place];
    const uint32_t id = knownEngineId(place, report.textOf(verdict.engine));
    Engine& engine = m_engines[id];
    if (date >= engine.newestDate) {
        engine.newestDate = date;
        engine.version.assign(report.textOf(verdict.version));
        engine.update.assign(report.textOf(verdict.update));
    }
    return id;
}

// Reports mostly list their engines in one order, so the engine at the same
// place in the report before is tried before the table of all.
uint32_t NameDatabaseBuilder::knownEngineId(size_t place, std::string_view key) {
    if (place < m_idsByPlace.size() && *m_engineKeys[m_idsByPlace[place]] == key) {
        return m_idsByPlace[place];
    }
    auto [position, added] =
        m_engineIds.try_emplace(std::string(key), static_cast<uint32_t>(m_engines.size()));
    if (added) {
        m_engines.push_back({productName(position->first), {}, {}, INT64_MIN});
        m_engineKeys.push_back(&position->first);
    }
    if (place >= m_idsByPlace.size()) {
        m_idsByPlace.resize(place + 1);
    }
    m_idsByPlace[place] = position->second;
    return position->second;
}

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
void NameDatabaseBuilder::noteRewrittenFields(const ScanReport& report) {
    for (const EngineVerdict& verdict : report.verdicts) {
        if (verdict.rewritten) {
            const std::string original(report.textOf(verdict.field));
            Change& change = m_nameChanges[original];
            change.original = original;
            change.written = writtenField(original, verdict.named);
            ++change.count;
        }
    }
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
// fields, each followed by '|' (the report's `fields`, which the store puts
// after this head, so they are copied once).
const std::string& NameDatabaseBuilder::recordHead(const ScanReport& report) {
    const auto count = static_cast<uint32_t>(report.verdicts.size());
    m_recordHead.clear();
    m_recordHead.append(reinterpret_cast<const char*>(&count), sizeof count);
    for (size_t place = 0; place < report.verdicts.size(); ++place) {
        const uint32_t id = engineId(place, report, report.analysisDate);
        m_recordHead.append(reinterpret_cast<const char*>(&id), sizeof id);
    }
    noteRewrittenFields(report);
    return m_recordHead;
}

void NameDatabaseBuilder::add(ScanReport&& report) {
    if (report.fields.empty() && !report.verdicts.empty()) {
        prepareDatabaseFields(report);
    }
    if (m_store.wants(report.sha256, report.analysisDate)) {
        m_store.put(report.sha256, report.analysisDate, recordHead(report), report.fields);
        return;
    }
    // An older analysis still tells which engine versions existed.
    for (size_t place = 0; place < report.verdicts.size(); ++place) {
        engineId(place, report, report.analysisDate);
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

namespace {

// The name database is written a block of this many samples at a time.
constexpr size_t kSamplesPerBlock = 1024;

struct WrittenBlock {
    std::string lines;  // of the name database
    std::string dates;  // of the import's record
    std::string window; // room to read the samples' records in
};

// Appends the name database's line of a sample the store kept as `kept`
// (see NameDatabaseBuilder::recordHead()): its fields in the order of the
// engines in the table. `fieldOf` is room for a field per engine.
void appendDatabaseLine(std::string_view sha256, std::string_view kept,
                        const std::vector<uint32_t>& order, std::vector<std::string_view>& fieldOf,
                        std::string& out) {
    std::fill(fieldOf.begin(), fieldOf.end(), kNotInReport);
    uint32_t count = 0;
    std::memcpy(&count, kept.data(), sizeof count);
    const char* ids = kept.data() + sizeof count;
    const char* field = ids + sizeof count * size_t(count);
    const char* const end = kept.data() + kept.size();
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t id = 0;
        std::memcpy(&id, ids + sizeof id * i, sizeof id);
        const char* bar = field;
        while (bar < end && *bar != '|') { // most fields are a few bytes
            ++bar;
        }
        fieldOf[id] = std::string_view(field, static_cast<size_t>(bar - field));
        field = bar + 1;
    }
    out += '|';
    out += sha256;
    for (const uint32_t id : order) {
        out += '|';
        out += fieldOf[id];
    }
    out += "|\r\n";
}

} // namespace

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
    // The lines are made a block of samples at a time on every core, and
    // written in order on this thread.
    m_store.flush();
    const size_t blocks = (m_store.size() + kSamplesPerBlock - 1) / kSamplesPerBlock;
    const auto makeBlock = [this, &order](size_t block, WrittenBlock written) {
        written.lines.clear();
        written.dates.clear();
        std::vector<std::string_view> fieldOf(m_engines.size());
        const size_t first = block * kSamplesPerBlock;
        m_store.forEachIn(
            first, std::min(m_store.size(), first + kSamplesPerBlock),
            [&](std::string_view sha256, int64_t analysisDate, std::string_view kept) {
                appendDatabaseLine(sha256, kept, order, fieldOf, written.lines);
                written.dates += std::to_string(analysisDate);
                written.dates += '\n';
            },
            written.window);
        return written;
    };
    TaskPool pool;
    const size_t cores = coreCount();
    std::deque<std::future<WrittenBlock>> inFlight;
    // Fresh memory costs a page fault every few kilobytes: the blocks' room
    // is used again.
    std::vector<WrittenBlock> spare;
    size_t nextBlock = 0;
    for (size_t block = 0; block < blocks; ++block) {
        while (nextBlock < blocks && inFlight.size() < cores) {
            WrittenBlock buffers;
            if (!spare.empty()) {
                buffers = std::move(spare.back());
                spare.pop_back();
            }
            inFlight.push_back(
                pool.run([&makeBlock, block = nextBlock++, buffers = std::move(buffers)]() mutable {
                    return makeBlock(block, std::move(buffers));
                }));
        }
        WrittenBlock written = inFlight.front().get();
        inFlight.pop_front();
        write(written.lines);
        if (record) {
            record(written.dates);
        }
        spare.push_back(std::move(written));
    }
}

uint32_t NameDatabaseBuilder::restoreEngine(const std::string& key, Engine engine) {
    const uint32_t id = static_cast<uint32_t>(m_engines.size());
    m_engineKeys.push_back(&m_engineIds.emplace(key, id).first->first);
    if (m_productNames.empty()) {
        m_productNames.emplace("SHA-256", true);
    }
    m_productNames.emplace(engine.name, true);
    m_engines.push_back(std::move(engine));
    return id;
}

void prepareDatabaseFields(ScanReport& report) {
    size_t bytes = 0;
    for (const EngineVerdict& verdict : report.verdicts) {
        bytes += verdict.field.size + 2;
    }
    report.fields.clear();
    report.fields.reserve(bytes);
    for (EngineVerdict& verdict : report.verdicts) {
        appendDatabaseField(report, verdict);
    }
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

std::optional<ImportRecord> readImportRecord(const std::string& dir) {
    LineFile file(dir + "/" + std::string(kRecordName));
    std::string line;
    size_t engines = 0;
    if (!file.next(line) || line != kRecordTitle || !file.next(line) ||
        !readCount(line, "engines ", engines)) {
        return std::nullopt;
    }
    ImportRecord record;
    const auto wholeNumber = [](const std::string& text, int64_t& number) {
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
        return error == std::errc() && end == text.data() + text.size();
    };
    for (size_t i = 0; i < engines; ++i) {
        std::vector<std::string> parts;
        ImportRecord::Engine engine;
        if (!file.next(line) || (parts = splitRecordLine(line)).size() != 5 ||
            !wholeNumber(parts[4], engine.newestDate)) {
            return std::nullopt;
        }
        engine.key = parts[0];
        engine.product = parts[1];
        engine.version = parts[2];
        engine.update = parts[3];
        record.engines.push_back(std::move(engine));
    }
    size_t samples = 0;
    if (!file.next(line) || !readCount(line, "samples ", samples)) {
        return std::nullopt;
    }
    for (size_t k = 0; k < samples; ++k) {
        int64_t date = 0;
        if (!file.next(line) || !wholeNumber(line, date)) {
            return std::nullopt;
        }
        record.analysisDates.push_back(date);
    }
    return record;
}

namespace {

// A database an update cannot build on: the file and what is wrong with it.
[[noreturn]] void failToLoad(const std::string& path, const std::string& what) {
    throw ImportError(path + ": " + what);
}

} // namespace

void NameDatabaseBuilder::loadPrevious(const std::string& dir) {
    // An import replacing the pair meanwhile waits until it is read.
    const DataFolderLock lock(dir, DataFolderLock::Mode::Read);
    const std::string recordPath = dir + "/" + std::string(kRecordName);
    const std::string namesPath = dir + "/" + kNameDatabaseFileName;
    LineFile record(recordPath);
    LineFile names(namesPath);
    if (!record.ok()) {
        failToLoad(recordPath, std::string(std::strerror(record.error())) +
                                   " (a database not imported by this version cannot be "
                                   "updated: import it again with --out)");
    }
    if (!names.ok()) {
        failToLoad(namesPath, std::strerror(names.error()));
    }
    std::string line;
    size_t engines = 0;
    if (!record.next(line) || line != kRecordTitle || !record.next(line) ||
        !readCount(line, "engines ", engines)) {
        failToLoad(recordPath, "not the record of an import");
    }
    for (size_t i = 0; i < engines; ++i) {
        std::vector<std::string> parts;
        if (!record.next(line) || (parts = splitRecordLine(line)).size() != 5) {
            failToLoad(recordPath, "an engine's line is damaged");
        }
        restoreEngine(parts[0], {parts[1], parts[2], parts[3], std::stoll(parts[4])});
    }
    size_t samples = 0;
    if (!record.next(line) || !readCount(line, "samples ", samples)) {
        failToLoad(recordPath, "not the record of an import");
    }
    const std::vector<uint32_t> order = enginesInTableOrder();
    for (size_t k = 0; k < samples; ++k) {
        std::string dateLine;
        if (!record.next(dateLine) || !names.next(line)) {
            failToLoad(namesPath, "does not match the record of its import");
        }
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
            line.pop_back();
        }
        std::string kept;
        std::string sha256;
        if (!storedSample(line, order, sha256, kept)) {
            failToLoad(namesPath, "line " + std::to_string(k + 1) +
                                      " does not match the record of its import");
        }
        m_store.put(sha256, std::stoll(dateLine), kept);
    }
    if (names.next(line)) {
        failToLoad(namesPath, "does not match the record of its import");
    }
}

std::string defaultImportLabel(size_t sampleCount, int64_t secondsSince1970) {
    const std::time_t time = static_cast<std::time_t>(secondsSince1970);
    std::tm local = {};
    localtime_r(&time, &local);
    char date[16];
    std::strftime(date, sizeof date, "%Y-%m-%d", &local);
    return "Imported " + std::to_string(sampleCount) + " samples on " + date;
}

void writeImportedDatabase(const std::string& dir, const NameDatabaseBuilder& builder,
                           const std::string& label, const std::function<bool()>& stopRequested) {
    const auto cannotWrite = [&dir](const std::string& reason) {
        return ImportError(dir + ": cannot write there: " + reason);
    };
    // A folder named for the new database need not exist yet: it is made
    // with its parents, as mkdir -p does.
    std::error_code made;
    std::filesystem::create_directories(dir, made);
    if (made) {
        throw cannotWrite(made.message());
    }
    std::optional<DataFolderLock> lock;
    try {
        lock.emplace(dir, DataFolderLock::Mode::Write);
    } catch (const FileError& failed) {
        throw cannotWrite(std::strerror(failed.errorNumber()));
    }
    const std::string recordName(kRecordName);
    // With the folder's write lock held no other import is writing, so every
    // file beside a final name is one a killed import left.
    for (const std::string& name :
         {std::string(kProductTableFileName), std::string(kNameDatabaseFileName), recordName}) {
        ReplacementFile::removeLeftovers(dir, "." + name + ".");
    }
    const auto beside = [&dir](const std::string& name) {
        // Lines are gathered into large writes.
        return std::make_unique<ReplacementFile>(
            dir + "/" + name,
            ReplacementFile::Options{.namePrefix = "." + name + ".", .bufferSize = 1 << 20});
    };
    const auto stopped = [&stopRequested] { return stopRequested && stopRequested(); };
    std::unique_ptr<ReplacementFile> table;
    std::unique_ptr<ReplacementFile> names;
    std::unique_ptr<ReplacementFile> record;
    int failure = 0; // the errno of the first file that could not be written
    try {
        table = beside(kProductTableFileName);
        names = beside(kNameDatabaseFileName);
        record = beside(recordName);
        table->write(builder.productTable(label));
        builder.writeNameDatabase(
            [&names, &stopped](std::string_view line) {
                if (!stopped()) {
                    names->write(line);
                }
            },
            [&record](std::string_view text) { record->write(text); });
        table->finish();
        names->finish();
        record->finish();
    } catch (const FileError& failed) {
        failure = failed.errorNumber();
    }
    if (stopped()) {
        throw ImportStopped();
    }
    if (failure != 0) {
        throw cannotWrite(std::strerror(failure));
    }
    try {
        lock->replace({{names->temporaryPath(), names->targetPath()},
                       {table->temporaryPath(), table->targetPath()},
                       {record->temporaryPath(), record->targetPath()}});
    } catch (const FileError& failed) {
        throw cannotWrite(std::strerror(failed.errorNumber()));
    }
    names->markPlaced();
    table->markPlaced();
    record->markPlaced();
}

} // namespace nomix
