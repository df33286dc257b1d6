// SPDX-License-Identifier: MIT
#include "namesbyproduct.h"

#include <algorithm>
#include <cstring>

namespace nomix {

ProductNameTally::ProductNameTally(size_t productCount) : m_counts(productCount) {}

void ProductNameTally::addLine(std::string_view line) {
    const char* const text = line.data();
    const size_t size = line.size();
    size_t product = 0;
    for (size_t pos = 0; pos < size && product < m_counts.size(); ++product) {
        while (pos < size && text[pos] == '|') {
            ++pos;
        }
        if (pos == size) {
            break;
        }
        const void* bar = std::memchr(text + pos, '|', size - pos);
        const size_t end = bar ? static_cast<size_t>(static_cast<const char*>(bar) - text) : size;
        const std::string_view name(text + pos, end - pos);
        pos = end;
        auto& counts = m_counts[product];
        const auto it = counts.find(name);
        if (it != counts.end()) {
            ++it->second;
        } else {
            counts.emplace(std::string(name), 1);
        }
    }
}

std::vector<std::vector<NameCount>> ProductNameTally::result() const {
    std::vector<std::vector<NameCount>> products(m_counts.size());
    for (size_t p = 0; p < m_counts.size(); ++p) {
        std::vector<NameCount>& names = products[p];
        names.reserve(m_counts[p].size());
        for (const auto& [name, count] : m_counts[p]) {
            names.push_back({name, count});
        }
        std::sort(names.begin(), names.end(), [](const NameCount& a, const NameCount& b) {
            return a.count != b.count ? a.count > b.count : a.name < b.name;
        });
    }
    return products;
}

std::vector<std::vector<NameCount>> namesByProduct(const DatabaseLines& lines,
                                                   const std::vector<uint32_t>& hitLines,
                                                   size_t productCount) {
    ProductNameTally tally(productCount);
    for (uint32_t line : hitLines) {
        tally.addLine(lines.at(line));
    }
    return tally.result();
}

} // namespace nomix
