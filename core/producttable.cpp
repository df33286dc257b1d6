// SPDX-License-Identifier: MIT
#include "producttable.h"

#include "datafile.h"
#include "fields.h"
#include "fileerror.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <unordered_set>

namespace nomix {

namespace {

// Calls `visit` with each field of `text` in order, each what
// fieldAtByChar(n, text, delim) gives for n = 1, 2, ...: calling that for
// every n would rescan the text from its start each time, so a table of a
// million entries (one line of 100 MB) would take hours to read. One pass
// takes as long as reading it, and keeps nothing but what `visit` keeps.
template <typename Visit> void forEachField(std::string_view text, char delim, Visit visit) {
    size_t pos = 0;
    while (pos < text.size()) {
        if (text[pos] == delim) {
            ++pos;
            continue;
        }
        size_t end = text.find(delim, pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        visit(text.substr(pos, end - pos));
        pos = end;
    }
}

// The line end that closes the file: CR LF, or a lone LF or CR as other
// systems write it; none when the file just stops.
size_t lineEndLength(std::string_view file) {
    if (file.ends_with("\r\n")) {
        return 2;
    }
    return file.ends_with('\n') || file.ends_with('\r') ? 1 : 0;
}

} // namespace

ProductTable parseProductTable(std::string_view bytes, size_t fileSize) {
    const size_t nul = bytes.find('\0');
    const std::string_view text = nul == std::string_view::npos ? bytes : bytes.substr(0, nul);

    ProductTable table;
    table.label = fieldAt(1, text, kBarSet);

    // The product area runs from the character after the first '|' (from the
    // first character when there is none) to the line end closing the file.
    const std::string_view file = bytes.substr(0, std::min(fileSize, bytes.size()));
    const size_t bar = text.find('|');
    const size_t first = bar == std::string_view::npos ? 0 : bar + 1;
    const size_t lastExclusive = std::min(file.size() - lineEndLength(file), text.size());
    const std::string_view area =
        first < lastExclusive ? text.substr(first, lastExclusive - first) : std::string_view();

    table.entries.reserve(static_cast<size_t>(countFields(area, kBarSet)));
    forEachField(area, '|', [&](std::string_view entry) { table.entries.emplace_back(entry); });
    return table;
}

ProductTable readProductTable(const std::string& path, const std::string& nameAsTyped) {
    FileBytes file = readFileBytes(path);
    if (file.size < file.expectedSize) {
        throw ShortReadError("Could not read file \"" + nameAsTyped + "\"");
    }
    return parseProductTable(std::string_view(file.data.get(), file.size), file.expectedSize);
}

ProductItem splitProductEntry(std::string_view entry) {
    // A word is known not to be the date, the last word, once the next one
    // is found; until then it waits here.
    ProductItem item;
    std::optional<std::string_view> waiting;
    bool inVersion = false;
    forEachField(entry, ' ', [&](std::string_view word) {
        if (waiting) {
            inVersion = inVersion || ((*waiting)[0] >= '0' && (*waiting)[0] <= '9');
            std::string& group = inVersion ? item.version : item.name;
            group += ' ';
            group += *waiting;
        }
        waiting = word;
    });
    if (waiting) {
        item.date = *waiting;
    }
    return item;
}

std::string productName(std::string_view entry) {
    const ProductItem item = splitProductEntry(entry);
    if (!item.name.empty()) {
        return item.name.substr(1);
    }
    // No word before the version: the entry as the table writes it, without
    // the blanks around it.
    const size_t first = entry.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return std::string();
    }
    return std::string(entry.substr(first, entry.find_last_not_of(' ') + 1 - first));
}

std::vector<std::string> uniqueProductNames(const std::vector<std::string>& entries) {
    std::vector<std::string> names;
    names.reserve(entries.size());
    std::unordered_set<std::string> taken;
    for (const std::string& entry : entries) {
        std::string name = productName(entry);
        for (int n = 2; taken.count(name) > 0; ++n) {
            name = productName(entry) + "#" + std::to_string(n);
        }
        taken.insert(name);
        names.push_back(std::move(name));
    }
    return names;
}

} // namespace nomix
