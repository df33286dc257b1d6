#include "resultwriter.h"

#include "utf8.h"

#include <cctype>
#include <cstdio>

namespace nomix {

namespace {

std::string AsUtf8(std::string_view bytes) {
    if (IsValidUtf8Bytes(bytes.data(), bytes.size())) {
        return std::string(bytes);
    }
    return DisplayUtf8(bytes);
}

void AppendTsv(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += c;
        }
    }
}

// A field with a comma, a quote or a line break is quoted, its quotes doubled.
void AppendCsv(std::string& out, std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += text;
        return;
    }
    out += '"';
    for (char c : text) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    out += '"';
}

void AppendJsonString(std::string& out, std::string_view text) {
    out += '"';
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    out += '"';
}

std::string LowerCase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

} // namespace

ResultWriter::ResultWriter(ResultFormat format, std::vector<std::string> products, Sink sink)
    : format_(format), products_(std::move(products)), sink_(std::move(sink)) {}

void ResultWriter::putField(std::string_view bytes) {
    const std::string text = AsUtf8(bytes);
    switch (format_) {
    case ResultFormat::Tsv:
        AppendTsv(buffer_, text);
        break;
    case ResultFormat::Csv:
        AppendCsv(buffer_, text);
        break;
    case ResultFormat::JsonLines:
        AppendJsonString(buffer_, text);
        break;
    }
}

void ResultWriter::putSeparator(bool first) {
    if (!first) {
        buffer_ += format_ == ResultFormat::Tsv ? '\t' : ',';
    }
}

void ResultWriter::putRowEnd() {
    buffer_ += format_ == ResultFormat::Csv ? "\r\n" : "\n";
    sink_(buffer_);
    buffer_.clear();
}

void ResultWriter::header() {
    if (format_ == ResultFormat::JsonLines) {
        return;
    }
    for (size_t i = 0; i < products_.size(); ++i) {
        putSeparator(i == 0);
        putField(products_[i]);
    }
    putRowEnd();
}

void ResultWriter::row(size_t lineIndex, const std::vector<std::string_view>& names) {
    if (format_ == ResultFormat::JsonLines) {
        buffer_ += "{\"line\": " + std::to_string(lineIndex + 1) + ", \"names\": {";
        for (size_t i = 0; i < products_.size() && i < names.size(); ++i) {
            buffer_ += i == 0 ? "" : ", ";
            putField(products_[i]);
            buffer_ += ": ";
            putField(names[i]);
        }
        buffer_ += "}}";
        putRowEnd();
        return;
    }
    for (size_t i = 0; i < names.size(); ++i) {
        putSeparator(i == 0);
        putField(names[i]);
    }
    putRowEnd();
}

ResultFormat ResultFormatForFileName(std::string_view fileName) {
    const std::string lower = LowerCase(fileName);
    if (EndsWith(lower, ".json") || EndsWith(lower, ".jsonl")) {
        return ResultFormat::JsonLines;
    }
    if (EndsWith(lower, ".tsv") || EndsWith(lower, ".txt")) {
        return ResultFormat::Tsv;
    }
    return ResultFormat::Csv;
}

} // namespace nomix
