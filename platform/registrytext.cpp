// SPDX-License-Identifier: MIT
#include "registrytext.h"

#include <cstdio>

namespace nomix {

namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr size_t kHexLineWidth = 76; // where an export wraps its hex lists

// ---- Small text helpers -------------------------------------------------

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimLeft(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

std::string_view trimRight(std::string_view text) {
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// 1 to `maxDigits` hex digits and nothing else.
std::optional<uint32_t> parseHexNumber(std::string_view digits, size_t maxDigits) {
    if (digits.empty() || digits.size() > maxDigits) {
        return std::nullopt;
    }
    uint32_t number = 0;
    for (char c : digits) {
        int digit = hexDigitValue(c);
        if (digit < 0) {
            return std::nullopt;
        }
        number = number * 16 + static_cast<uint32_t>(digit);
    }
    return number;
}

std::string hexNumber(uint32_t number, int width) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*x", width, number);
    return buffer;
}

// ---- Parsing ------------------------------------------------------------

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        if (end == text.npos) {
            break;
        }
        text.remove_prefix(end + 1);
    }
    return lines;
}

// A quoted text starting at line[pos]; only \\ and \" are escapes. Leaves
// `pos` after the closing quote.
std::optional<std::string> parseQuoted(std::string_view line, size_t& pos) {
    if (pos >= line.size() || line[pos] != '"') {
        return std::nullopt;
    }
    std::string text;
    for (++pos; pos < line.size(); ++pos) {
        char c = line[pos];
        if (c == '"') {
            ++pos;
            return text;
        }
        if (c == '\\') {
            if (pos + 1 >= line.size() || (line[pos + 1] != '\\' && line[pos + 1] != '"')) {
                return std::nullopt;
            }
            c = line[++pos];
        }
        text += c;
    }
    return std::nullopt;
}

std::optional<std::string> parseKeyPath(std::string_view line) {
    line = trimRight(line);
    if (line.size() < 3 || line.back() != ']' || line[1] == '-') {
        return std::nullopt; // "[-...]" deletes a key: not part of a stored registry
    }
    return std::string(line.substr(1, line.size() - 2));
}

// The comma-separated bytes of a hex value; a list that ends in '\' goes on
// in the next line, as exports wrap long values.
std::optional<std::string>
ParseHexBytes(std::string_view first, const std::vector<std::string_view>& lines, size_t& index) {
    std::string list(trimRight(first));
    while (!list.empty() && list.back() == '\\') {
        list.pop_back();
        if (++index >= lines.size()) {
            return std::nullopt;
        }
        list += trimRight(trimLeft(lines[index]));
    }
    std::string bytes;
    std::string_view rest = list;
    while (!rest.empty()) {
        size_t comma = rest.find(',');
        std::optional<uint32_t> byte =
            parseHexNumber(trimRight(trimLeft(rest.substr(0, comma))), 2);
        if (!byte) {
            return std::nullopt;
        }
        bytes += static_cast<char>(*byte);
        if (comma == rest.npos) {
            break;
        }
        rest.remove_prefix(comma + 1);
        if (rest.empty()) {
            return std::nullopt; // a list may not end in a comma
        }
    }
    return bytes;
}

bool parseInlineString(std::string_view data, RegistryText::Value& value) {
    size_t pos = 0;
    std::optional<std::string> text = parseQuoted(data, pos);
    if (!text || !trimLeft(data.substr(pos)).empty()) {
        return false;
    }
    value.type = RegistryText::ValueType::String;
    value.data = *text + '\0';
    return true;
}

bool parseDword(std::string_view digits, RegistryText::Value& value) {
    std::optional<uint32_t> number = parseHexNumber(trimRight(digits), 8);
    if (!number) {
        return false;
    }
    value.type = RegistryText::ValueType::Dword;
    value.data = RegistryText::dwordBytes(*number);
    return true;
}

// "hex:" is binary data; "hex(N):" data of type N (hex digits).
bool parseHexValue(std::string_view data, const std::vector<std::string_view>& lines, size_t& index,
                   RegistryText::Value& value) {
    data.remove_prefix(3);
    std::optional<uint32_t> type = static_cast<uint32_t>(RegistryText::ValueType::Binary);
    if (data.starts_with('(')) {
        size_t close = data.find(')');
        if (close == data.npos) {
            return false;
        }
        type = parseHexNumber(data.substr(1, close - 1), 8);
        data.remove_prefix(close + 1);
    }
    if (!type || !data.starts_with(':')) {
        return false;
    }
    std::optional<std::string> bytes = ParseHexBytes(data.substr(1), lines, index);
    if (!bytes) {
        return false;
    }
    value.type = static_cast<RegistryText::ValueType>(*type);
    value.data = std::move(*bytes);
    return true;
}

bool parseValueData(std::string_view data, const std::vector<std::string_view>& lines,
                    size_t& index, RegistryText::Value& value) {
    if (data.starts_with('"')) {
        return parseInlineString(data, value);
    }
    if (data.starts_with("dword:")) {
        return parseDword(data.substr(6), value);
    }
    if (data.starts_with("hex")) {
        return parseHexValue(data, lines, index, value);
    }
    return false; // includes "=-", which deletes a value
}

// One value line (and its continuation lines); `index` ends on its last line.
std::optional<RegistryText::Value> parseValue(const std::vector<std::string_view>& lines,
                                              size_t& index) {
    std::string_view line = lines[index];
    RegistryText::Value value;
    size_t pos = 1;
    if (line.front() != '@') {
        pos = 0;
        std::optional<std::string> name = parseQuoted(line, pos);
        if (!name) {
            return std::nullopt;
        }
        value.name = std::move(*name);
    }
    std::string_view rest = trimLeft(line.substr(pos));
    if (!rest.starts_with('=')) {
        return std::nullopt;
    }
    if (!parseValueData(trimLeft(rest.substr(1)), lines, index, value)) {
        return std::nullopt;
    }
    return value;
}

// ---- Formatting ---------------------------------------------------------

std::string quoted(std::string_view text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') {
            quoted += '\\';
        }
        quoted += c;
    }
    return quoted + '"';
}

bool isControlByte(char c) {
    auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
}

// Inline form: a string of printable bytes followed by its one terminator.
bool fitsInline(const RegistryText::Value& value) {
    if (value.type != RegistryText::ValueType::String || value.data.empty() ||
        value.data.back() != '\0') {
        return false;
    }
    std::string_view text(value.data.data(), value.data.size() - 1);
    for (char c : text) {
        if (isControlByte(c)) {
            return false;
        }
    }
    return true;
}

std::string hexList(std::string_view bytes, size_t lineLength) {
    std::string list;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) {
            list += ',';
            if (++lineLength > kHexLineWidth) {
                list += "\\\n  ";
                lineLength = 2;
            }
        }
        list += hexNumber(static_cast<unsigned char>(bytes[i]), 2);
        lineLength += 2;
    }
    return list;
}

std::string formatValue(const RegistryText::Value& value) {
    std::string line = value.name.empty() ? "@=" : quoted(value.name) + "=";
    if (fitsInline(value)) {
        return line + quoted(std::string_view(value.data).substr(0, value.data.size() - 1));
    }
    if (value.type == RegistryText::ValueType::Dword &&
        value.data.size() == RegistryText::kMaxIntegerSize) {
        return line + "dword:" + hexNumber(RegistryText::dwordValue(value.data), 8);
    }
    line += value.type == RegistryText::ValueType::Binary
                ? "hex:"
                : "hex(" + hexNumber(static_cast<uint32_t>(value.type), 1) + "):";
    return line + hexList(value.data, line.size());
}

} // namespace

bool RegistryText::sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

RegistryText::Key* RegistryText::findKey(Document& document, std::string_view path) {
    for (Key& key : document) {
        if (sameName(key.path, path)) {
            return &key;
        }
    }
    return nullptr;
}

RegistryText::Key& RegistryText::findOrAddKey(Document& document, std::string_view path) {
    if (Key* key = findKey(document, path)) {
        return *key;
    }
    document.push_back(Key{std::string(path), {}});
    return document.back();
}

void RegistryText::setValue(Key& key, Value value) {
    for (Value& existing : key.values) {
        if (sameName(existing.name, value.name)) {
            existing = std::move(value);
            return;
        }
    }
    key.values.push_back(std::move(value));
}

std::string RegistryText::dwordBytes(uint32_t number) {
    std::string bytes(kMaxIntegerSize, '\0');
    for (size_t i = 0; i < kMaxIntegerSize; ++i) {
        bytes[i] = static_cast<char>((number >> (8 * i)) & 0xffu);
    }
    return bytes;
}

uint32_t RegistryText::dwordValue(std::string_view bytes) {
    uint32_t number = 0;
    for (size_t i = 0; i < bytes.size() && i < kMaxIntegerSize; ++i) {
        number |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    }
    return number;
}

std::optional<RegistryText::Document> RegistryText::parse(std::string_view text) {
    size_t failedLine = 0;
    return parse(text, failedLine);
}

std::optional<RegistryText::Document> RegistryText::parse(std::string_view text,
                                                          size_t& failedLine) {
    std::vector<std::string_view> lines = splitLines(text);
    failedLine = 1;
    if (lines.empty() || trimRight(lines[0]) != kHeader) {
        return std::nullopt;
    }
    Document document;
    Key* key = nullptr; // points into `document`: renewed after every key line
    for (size_t index = 1; index < lines.size(); ++index) {
        failedLine = index + 1; // a value that goes on in later lines counts from its first
        std::string_view line = lines[index];
        if (trimLeft(line).empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            std::optional<std::string> path = parseKeyPath(line);
            if (!path) {
                return std::nullopt;
            }
            key = &findOrAddKey(document, *path);
            continue;
        }
        if (!key || (line.front() != '"' && line.front() != '@')) {
            return std::nullopt;
        }
        std::optional<Value> value = parseValue(lines, index);
        if (!value) {
            return std::nullopt;
        }
        setValue(*key, std::move(*value));
    }
    return document;
}

std::string RegistryText::format(const Document& document) {
    std::string text = std::string(kHeader) + "\n";
    for (const Key& key : document) {
        text += "\n[" + key.path + "]\n";
        for (const Value& value : key.values) {
            text += formatValue(value) + "\n";
        }
    }
    return text + "\n";
}

} // namespace nomix
