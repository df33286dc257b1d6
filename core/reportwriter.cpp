#include "reportwriter.h"

#include <algorithm>
#include <cstring>

namespace nomix {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kBanner = "NOMIX 1.1 for Windows 95 - by ";
constexpr size_t kLabelWidth = 25;
constexpr char kFieldDelimiter = '|';

// "%-25s": blanks on the right up to the width, a longer text kept whole.
std::string PaddedLabel(std::string_view text) {
    std::string padded(text);
    if (padded.size() < kLabelWidth) {
        padded.append(kLabelWidth - padded.size(), ' ');
    }
    return padded;
}

std::string_view WithoutLeadingBlanks(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

// Fills `fields` with the first fields.size() fields of `line` under the
// program's field rule (a run of delimiters is one separator, none at either
// end counts), leaving missing ones empty. One pass over the line, where
// asking for each field on its own would walk the line once per column.
void SplitFields(std::string_view line, std::vector<std::string_view>& fields) {
    std::fill(fields.begin(), fields.end(), std::string_view());
    const char* p = line.data();
    const char* const end = p + line.size();
    for (std::string_view& field : fields) {
        while (p < end && *p == kFieldDelimiter) {
            ++p;
        }
        if (p == end) {
            return;
        }
        const void* hit = std::memchr(p, kFieldDelimiter, static_cast<size_t>(end - p));
        const char* fieldEnd = hit ? static_cast<const char*>(hit) : end;
        field = std::string_view(p, static_cast<size_t>(fieldEnd - p));
        p = fieldEnd;
    }
}

int RowPercent(size_t row, size_t rowCount) {
    return static_cast<int>(static_cast<uint64_t>(row) * 100 / rowCount);
}

} // namespace

ReportWriter::ReportWriter(ReportSink& sink, size_t blockSize)
    : sink_(sink), blockSize_(std::max<size_t>(blockSize, 1)) {
    buffer_.reserve(blockSize_);
}

void ReportWriter::writeHeader(const ReportHeader& header) {
    append(kBanner);
    append(kReportAuthorNotice);
    append(" ");
    append(header.date);
    append(" ");
    append(header.time);
    append(kLineEnd);
    append(kLineEnd);
    append(PaddedLabel("Word searched"));
    append(": \"");
    append(header.searchText);
    append("\"");
    append(kLineEnd);
    append(PaddedLabel("Total items found"));
    append(": #");
    append(std::to_string(header.hitCount));
    append(kLineEnd);
    append(kLineEnd);
    append(kLineEnd);
    flushIfFull();
}

void ReportWriter::writeRows(const ReportRows& rows, const ReportProgress& onRow) {
    std::vector<std::string> prefixes;
    std::vector<size_t> columns;
    for (size_t column = 0; column < rows.productNames.size(); ++column) {
        if (rows.selection.isSelected(column)) {
            prefixes.push_back(PaddedLabel(WithoutLeadingBlanks(rows.productNames[column])) + ": ");
            columns.push_back(column);
        }
    }
    fields_.resize(columns.empty() ? 0 : columns.back() + 1);
    const size_t rowCount = rows.resultList.size();
    for (size_t row = 0; row < rowCount; ++row) {
        const uint32_t index = rows.resultList[row];
        // An index past the end cannot come from a search; it gives empty
        // fields rather than a read outside the data.
        const std::string_view line =
            index < rows.lines.count() ? rows.lines.at(index) : std::string_view();
        appendRow(line, prefixes, columns);
        flushIfFull();
        if (onRow) {
            onRow(RowPercent(row, rowCount));
        }
    }
}

void ReportWriter::appendRow(std::string_view line, std::span<const std::string> prefixes,
                             std::span<const size_t> columns) {
    SplitFields(line, fields_);
    for (size_t k = 0; k < columns.size(); ++k) {
        append(prefixes[k]);
        append(fields_[columns[k]]);
        append(kLineEnd);
    }
    append(kLineEnd);
}

void ReportWriter::flush() {
    if (buffer_.empty()) {
        return;
    }
    sink_.write(buffer_);
    buffer_.clear();
}

void ReportWriter::append(std::string_view bytes) {
    buffer_.append(bytes);
}

void ReportWriter::flushIfFull() {
    if (buffer_.size() >= blockSize_) {
        flush();
    }
}

} // namespace nomix
