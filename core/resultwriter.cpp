// SPDX-License-Identifier: MIT
#include "resultwriter.h"

#include "producttable.h"
#include "utf8.h"

#include <cctype>
#include <cstdio>

namespace nomix {

namespace {

std::string asUtf8(std::string_view bytes) {
    if (isValidUtf8Bytes(bytes.data(), bytes.size())) {
        return std::string(bytes);
    }
    return displayUtf8(bytes);
}

// A field with a comma, a quote or a line break is quoted, its quotes doubled.
void appendCsv(std::string& out, std::string_view text) {
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

void appendJsonString(std::string& out, std::string_view text) {
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

std::string lowerCase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

} // namespace

// JSON keys by the product's name, so a reader finds "Kaspersky" whatever
// version the table names.
ResultWriter::ResultWriter(ResultFormat format, std::vector<std::string> products, Sink sink,
                           bool withFamily)
    : m_format(format), m_products(std::move(products)), m_withFamily(withFamily),
      m_sink(std::move(sink)) {
    if (m_format == ResultFormat::Json || m_format == ResultFormat::JsonLines) {
        m_keys = uniqueProductNames(m_products);
    }
}

void ResultWriter::putField(std::string_view bytes) {
    const std::string text = asUtf8(bytes);
    switch (m_format) {
    case ResultFormat::Tsv:
        appendTsvField(m_buffer, text);
        break;
    case ResultFormat::Csv:
        appendCsv(m_buffer, text);
        break;
    case ResultFormat::Json:
    case ResultFormat::JsonLines:
        appendJsonString(m_buffer, text);
        break;
    }
}

void ResultWriter::putSeparator(bool first) {
    if (!first) {
        m_buffer += m_format == ResultFormat::Tsv ? '\t' : ',';
    }
}

void ResultWriter::putRowEnd() {
    m_buffer += m_format == ResultFormat::Csv ? "\r\n" : "\n";
    m_sink(m_buffer);
    m_buffer.clear();
}

void ResultWriter::header() {
    if (m_format == ResultFormat::JsonLines) {
        return;
    }
    if (m_format == ResultFormat::Json) {
        m_sink("[");
        return;
    }
    if (m_withFamily) {
        putField("Family");
    }
    for (size_t i = 0; i < m_products.size(); ++i) {
        putSeparator(i == 0 && !m_withFamily);
        putField(m_products[i]);
    }
    putRowEnd();
}

void ResultWriter::putNamesObject(size_t lineIndex, const std::vector<std::string_view>& names,
                                  std::string_view family) {
    m_buffer += "{\"line\": " + std::to_string(lineIndex + 1);
    if (m_withFamily) {
        m_buffer += ", \"family\": ";
        if (family.empty()) {
            m_buffer += "null";
        } else {
            putField(family);
        }
    }
    m_buffer += ", \"names\": {";
    for (size_t i = 0; i < m_keys.size() && i < names.size(); ++i) {
        m_buffer += i == 0 ? "" : ", ";
        putField(m_keys[i]);
        m_buffer += ": ";
        putField(names[i]);
    }
    m_buffer += "}}";
}

void ResultWriter::row(size_t lineIndex, const std::vector<std::string_view>& names,
                       std::string_view family) {
    if (m_format == ResultFormat::JsonLines) {
        putNamesObject(lineIndex, names, family);
        putRowEnd();
        return;
    }
    // One element a line, so the array reads in a text editor as JSON Lines do.
    if (m_format == ResultFormat::Json) {
        m_buffer += m_firstRow ? "\n" : ",\n";
        m_firstRow = false;
        putNamesObject(lineIndex, names, family);
        m_sink(m_buffer);
        m_buffer.clear();
        return;
    }
    if (m_withFamily) {
        putField(family);
    }
    for (size_t i = 0; i < names.size(); ++i) {
        putSeparator(i == 0 && !m_withFamily);
        putField(names[i]);
    }
    putRowEnd();
}

void ResultWriter::finish() {
    if (m_format == ResultFormat::Json) {
        m_sink(m_firstRow ? "]\n" : "\n]\n");
    }
}

std::optional<ResultFormat> resultFormatForFileName(std::string_view fileName) {
    const std::string lower = lowerCase(fileName);
    if (lower.ends_with(".csv")) {
        return ResultFormat::Csv;
    }
    if (lower.ends_with(".json")) {
        return ResultFormat::Json;
    }
    if (lower.ends_with(".jsonl")) {
        return ResultFormat::JsonLines;
    }
    if (lower.ends_with(".tsv") || lower.ends_with(".txt")) {
        return ResultFormat::Tsv;
    }
    return std::nullopt;
}

void appendTsvField(std::string& out, std::string_view text) {
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

} // namespace nomix
