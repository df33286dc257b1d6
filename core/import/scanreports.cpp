#include "scanreports.h"

#include <simdjson.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nomix {

namespace {

using simdjson::dom::element;
using simdjson::dom::object;

constexpr std::string_view kNoVirus = "NO_VIRUS";
constexpr std::string_view kUnknownVirus = "UNKNOWN_VIRUS";
constexpr std::string_view kNotInReport = "~not in report";

bool IsFieldBreaker(char c) {
    return c == '|' || c == '\r' || c == '\n' || c == '\x1a' || c == '\0';
}

// A byte that would end the field, the line or the file becomes '_'.
std::string SafeText(std::string_view text, bool* changed = nullptr) {
    std::string safe(text);
    bool any = false;
    for (char& c : safe) {
        if (IsFieldBreaker(c)) {
            c = '_';
            any = true;
        }
    }
    if (changed) {
        *changed = any;
    }
    return safe;
}

// A product entry splits into words at blanks, its last word being the
// date; the first word that begins with a digit starts the version. So the
// version and the date are one word each, and the version begins with one.
std::string VersionWord(std::string_view version) {
    std::string word = SafeText(version);
    std::replace(word.begin(), word.end(), ' ', '_');
    if (word.empty()) {
        return "0";
    }
    if (!std::isdigit(static_cast<unsigned char>(word[0]))) {
        word.insert(0, "0-");
    }
    return word;
}

std::string DateWord(std::string_view update) {
    std::string word = SafeText(update);
    std::replace(word.begin(), word.end(), ' ', '_');
    return word.empty() ? std::string("-") : word;
}

std::string_view StringOr(element parent, const char* key, std::string_view fallback = {}) {
    std::string_view text;
    if (parent[key].get_string().get(text) == simdjson::SUCCESS) {
        return text;
    }
    return fallback;
}

bool IsSha256(std::string_view text) {
    return text.size() == 64 && std::all_of(text.begin(), text.end(), [](char c) {
               return std::isxdigit(static_cast<unsigned char>(c)) != 0;
           });
}

std::string LowerCase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

// "2016-01-01 12:34:56", in UTC.
int64_t ParseScanDate(std::string_view text) {
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

std::string DetectionField(std::string_view name) {
    return name.empty() ? std::string(kUnknownVirus) : std::string(name);
}

// API v3: "category" says whether the engine detected, passed or could not
// scan the file.
std::string V3Field(element result) {
    const std::string_view category = StringOr(result, "category");
    if (category == "malicious" || category == "suspicious") {
        return DetectionField(StringOr(result, "result"));
    }
    if (category == "undetected" || category == "harmless") {
        return std::string(kNoVirus);
    }
    return "~" + std::string(category.empty() ? std::string_view("no verdict") : category);
}

std::string V2Field(element scan) {
    bool detected = false;
    if (scan["detected"].get_bool().get(detected) != simdjson::SUCCESS) {
        return "~no verdict";
    }
    return detected ? DetectionField(StringOr(scan, "result")) : std::string(kNoVirus);
}

bool ReadVerdicts(object results, bool v3, ScanReport& report) {
    for (auto [key, value] : results) {
        if (!value.is_object()) {
            return false;
        }
        EngineVerdict verdict;
        verdict.engine = std::string(key);
        verdict.version = std::string(StringOr(value, v3 ? "engine_version" : "version"));
        verdict.update = std::string(StringOr(value, v3 ? "engine_update" : "update"));
        verdict.field = v3 ? V3Field(value) : V2Field(value);
        report.verdicts.push_back(std::move(verdict));
    }
    return true;
}

// One report from a JSON value, or the reason it is none.
bool ReadReport(element root, ScanReport& report, std::string& reason) {
    if (!root.is_object()) {
        reason = "not a JSON object";
        return false;
    }
    element body = root;
    element inner;
    if (root["data"].get(inner) == simdjson::SUCCESS && inner.is_object()) {
        body = inner;
    }
    element attributes = body;
    if (body["attributes"].get(inner) == simdjson::SUCCESS && inner.is_object()) {
        attributes = inner;
    }
    object results;
    bool v3 = true;
    if (attributes["last_analysis_results"].get(results) == simdjson::SUCCESS) {
        int64_t date = 0;
        if (attributes["last_analysis_date"].get_int64().get(date) == simdjson::SUCCESS) {
            report.analysisDate = date;
        }
    } else if (root["scans"].get(results) == simdjson::SUCCESS) {
        v3 = false;
        attributes = root;
        report.analysisDate = ParseScanDate(StringOr(root, "scan_date"));
    } else {
        reason = "neither an API v3 file object nor an API v2 file report";
        return false;
    }
    const std::string_view sha = StringOr(attributes, "sha256");
    if (!IsSha256(sha)) {
        reason = "no SHA-256 of the sample";
        return false;
    }
    report.sha256 = LowerCase(sha);
    if (!ReadVerdicts(results, v3, report)) {
        reason = "an engine's result is not a JSON object";
        return false;
    }
    return true;
}

std::string_view TrimmedLine(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
        line.remove_suffix(1);
    }
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
        line.remove_prefix(1);
    }
    return line;
}

} // namespace

struct ScanReportReader::Parser {
    simdjson::dom::parser json;
};

ScanReportReader::ScanReportReader(ReportHandler onReport, SkipHandler onSkip)
    : parser_(std::make_unique<Parser>()), onReport_(std::move(onReport)),
      onSkip_(std::move(onSkip)) {}

ScanReportReader::~ScanReportReader() = default;

// The layout shows in the first line that holds anything: a complete JSON
// value there means JSON Lines; anything else is the start of one document.
void ScanReportReader::feed(std::string_view bytes) {
    if (layout_ == Layout::Document) {
        pending_.append(bytes);
        return;
    }
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) {
            pending_.append(bytes.substr(start));
            return;
        }
        if (pending_.empty()) {
            takeLine(bytes.substr(start, end - start));
        } else {
            pending_.append(bytes.substr(start, end - start));
            std::string line = std::move(pending_);
            pending_.clear();
            takeLine(line);
        }
        if (layout_ == Layout::Document) {
            pending_.append(bytes.substr(end + 1));
            return;
        }
        start = end + 1;
    }
}

void ScanReportReader::takeLine(std::string_view rawLine) {
    ++line_;
    const std::string_view line = TrimmedLine(rawLine);
    if (line.empty()) {
        return;
    }
    element value;
    const bool parsed =
        parser_->json.parse(line.data(), line.size()).get(value) == simdjson::SUCCESS;
    if (layout_ == Layout::Undecided) {
        if (!parsed || !value.is_object()) {
            // The start of a document spread over lines, or a broken one.
            layout_ = Layout::Document;
            pending_.assign(rawLine);
            pending_ += '\n';
            return;
        }
        layout_ = Layout::Lines;
    }
    if (!parsed) {
        onSkip_(line_, "not valid JSON");
        return;
    }
    ScanReport report;
    std::string reason;
    if (!ReadReport(value, report, reason)) {
        onSkip_(line_, reason);
        return;
    }
    ++reports_;
    onReport_(std::move(report));
}

void ScanReportReader::finish() {
    if (layout_ == Layout::Document) {
        parseDocument(pending_, 1);
    } else if (!pending_.empty()) {
        std::string last = std::move(pending_);
        takeLine(last);
        if (layout_ == Layout::Document) {
            parseDocument(pending_, 1);
        }
    }
    pending_.clear();
}

void ScanReportReader::parseDocument(std::string_view text, size_t line) {
    element root;
    if (parser_->json.parse(text.data(), text.size()).get(root) != simdjson::SUCCESS) {
        onSkip_(line, "not valid JSON");
        return;
    }
    simdjson::dom::array items;
    if (root.get(items) != simdjson::SUCCESS) {
        ScanReport report;
        std::string reason;
        if (ReadReport(root, report, reason)) {
            ++reports_;
            onReport_(std::move(report));
        } else {
            onSkip_(line, reason);
        }
        return;
    }
    size_t index = 0;
    for (element item : items) {
        ++index;
        ScanReport report;
        std::string reason;
        if (ReadReport(item, report, reason)) {
            ++reports_;
            onReport_(std::move(report));
        } else {
            onSkip_(line, "report " + std::to_string(index) + " of the array: " + reason);
        }
    }
}

uint32_t NameDatabaseBuilder::engineId(const EngineVerdict& verdict, int64_t date) {
    auto [position, added] =
        engineIds_.try_emplace(verdict.engine, static_cast<uint32_t>(engines_.size()));
    if (added) {
        engines_.push_back({SafeText(verdict.engine), {}, {}, INT64_MIN});
    }
    Engine& engine = engines_[position->second];
    if (date >= engine.newestDate) {
        engine.newestDate = date;
        engine.version = verdict.version;
        engine.update = verdict.update;
    }
    return position->second;
}

void NameDatabaseBuilder::fillSample(Sample& sample, ScanReport&& report) {
    sample.analysisDate = report.analysisDate;
    sample.engines.clear();
    sample.fields.clear();
    for (const EngineVerdict& verdict : report.verdicts) {
        sample.engines.push_back(engineId(verdict, report.analysisDate));
        bool changed = false;
        sample.fields += SafeText(verdict.field, &changed);
        sample.fields += '|';
        changedNames_ += changed ? 1 : 0;
    }
}

void NameDatabaseBuilder::add(ScanReport&& report) {
    auto [position, added] = sampleIndex_.try_emplace(report.sha256, samples_.size());
    if (added) {
        samples_.push_back({report.sha256, 0, {}, {}});
        fillSample(samples_.back(), std::move(report));
        return;
    }
    Sample& sample = samples_[position->second];
    if (report.analysisDate >= sample.analysisDate) {
        fillSample(sample, std::move(report));
    } else {
        // An older analysis still tells which engine versions existed.
        for (const EngineVerdict& verdict : report.verdicts) {
            engineId(verdict, report.analysisDate);
        }
    }
}

std::vector<uint32_t> NameDatabaseBuilder::enginesInTableOrder() const {
    std::vector<uint32_t> order(engines_.size());
    for (uint32_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::sort(order.begin(), order.end(), [this](uint32_t a, uint32_t b) {
        const std::string left = LowerCase(engines_[a].name);
        const std::string right = LowerCase(engines_[b].name);
        return left != right ? left < right : engines_[a].name < engines_[b].name;
    });
    return order;
}

std::string NameDatabaseBuilder::productTable(const std::string& label) const {
    std::string table = SafeText(label);
    table += "|SHA-256 1 -";
    for (uint32_t id : enginesInTableOrder()) {
        const Engine& engine = engines_[id];
        table += '|';
        table += engine.name;
        table += ' ';
        table += VersionWord(engine.version);
        table += ' ';
        table += DateWord(engine.update);
    }
    table += "\r\n";
    return table;
}

void NameDatabaseBuilder::writeNameDatabase(
    const std::function<void(std::string_view)>& write) const {
    const std::vector<uint32_t> order = enginesInTableOrder();
    std::vector<std::string_view> fieldOf(engines_.size());
    std::string line;
    for (const Sample& sample : samples_) {
        std::fill(fieldOf.begin(), fieldOf.end(), kNotInReport);
        size_t start = 0;
        for (uint32_t id : sample.engines) {
            const size_t bar = sample.fields.find('|', start);
            fieldOf[id] = std::string_view(sample.fields).substr(start, bar - start);
            start = bar + 1;
        }
        line.assign("|");
        line += sample.sha256;
        for (uint32_t id : order) {
            line += '|';
            line += fieldOf[id];
        }
        line += "|\r\n";
        write(line);
    }
}

std::string DefaultImportLabel(size_t sampleCount, int64_t secondsSince1970) {
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
        : final_(dir + "/" + name), temporary_(dir + "/." + name + ".XXXXXX") {
        fd_ = mkostemp(temporary_.data(), O_CLOEXEC);
        ok_ = fd_ >= 0;
        error_ = ok_ ? 0 : errno;
    }
    ~PendingFile() {
        if (fd_ >= 0) {
            close(fd_);
        }
        if (fd_ >= 0 && !renamed_) {
            unlink(temporary_.c_str());
        }
    }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    void write(std::string_view bytes) {
        while (!bytes.empty() && ok_) {
            const ssize_t done = ::write(fd_, bytes.data(), bytes.size());
            if (done < 0 && errno == EINTR) {
                continue;
            }
            check(done > 0);
            if (ok_) {
                bytes.remove_prefix(static_cast<size_t>(done));
            }
        }
    }
    void complete() { check(ok_ && fsync(fd_) == 0 && fchmod(fd_, 0644) == 0); }
    void commit() {
        check(ok_ && rename(temporary_.c_str(), final_.c_str()) == 0);
        renamed_ = ok_;
    }
    bool ok() const { return ok_; }
    int error() const { return error_; }

  private:
    void check(bool fine) {
        if (ok_ && !fine) {
            ok_ = false;
            error_ = errno != 0 ? errno : EIO;
        }
    }

    std::string final_;
    std::string temporary_;
    int fd_ = -1;
    bool ok_ = true;
    int error_ = 0;
    bool renamed_ = false;
};

} // namespace

bool WriteImportedDatabase(const std::string& dir, const NameDatabaseBuilder& builder,
                           const std::string& label, std::string& error) {
    PendingFile table(dir, "NOMIX.CFG");
    PendingFile names(dir, "NOMIX.DAT");
    table.write(builder.productTable(label));
    builder.writeNameDatabase([&names](std::string_view line) { names.write(line); });
    table.complete();
    names.complete();
    if (table.ok() && names.ok()) {
        names.commit();
        table.commit();
    }
    if (table.ok() && names.ok()) {
        return true;
    }
    error =
        dir + ": cannot write there: " + std::strerror(!table.ok() ? table.error() : names.error());
    return false;
}

} // namespace nomix
