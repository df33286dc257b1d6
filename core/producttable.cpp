#include "producttable.h"

#include "datafile.h"
#include "fields.h"
#include "inouterror.h"

#include <cstring>

namespace nomix {

ProductTable ParseProductTable(std::string_view bytes, size_t fileSize) {
    const size_t nul = bytes.find('\0');
    const std::string_view text = nul == std::string_view::npos ? bytes : bytes.substr(0, nul);

    ProductTable table;
    table.label = FieldAt(1, text, kBarSet);

    // The product area runs from the character after the first '|' (from the
    // first character when there is none) to byte fileSize - 2, 1-based.
    const size_t bar = text.find('|');
    const size_t first = bar == std::string_view::npos ? 0 : bar + 1; // 0-based
    const size_t lastExclusive = fileSize >= 2 ? fileSize - 2 : 0;
    std::string_view area;
    if (first < lastExclusive && first < text.size()) {
        area = text.substr(first, std::min(lastExclusive, text.size()) - first);
    }

    const int32_t count = CountFields(area, kBarSet);
    table.entries.reserve(static_cast<size_t>(count));
    for (int32_t i = 1; i <= count; ++i) {
        table.entries.push_back(FieldAt(i, area, kBarSet));
    }
    return table;
}

ProductTable ReadProductTable(const std::string& path, const std::string& nameAsTyped) {
    FileBytes file = ReadFileBytes(path);
    if (file.size < file.expectedSize) {
        throw EShortReadError("Could not read file \"" + nameAsTyped + "\"");
    }
    return ParseProductTable(std::string_view(file.data.get(), file.size), file.expectedSize);
}

ProductItem SplitProductEntry(std::string_view entry) {
    ProductItem item;
    const int32_t n = CountFields(entry, kBlankSet);
    item.date = FieldAtByChar(n, entry, ' ');
    int32_t k = 1;
    for (; k <= n - 1; ++k) {
        const std::string_view word = FieldViewByChar(k, entry, ' ');
        if (word[0] >= '0' && word[0] <= '9') {
            break;
        }
        item.name += ' ';
        item.name += word;
    }
    for (; k <= n - 1; ++k) {
        item.version += ' ';
        item.version += FieldViewByChar(k, entry, ' ');
    }
    return item;
}

} // namespace nomix
