// SPDX-License-Identifier: MIT
#include "labellingrules.h"

#include "core/datafile.h"

#include <algorithm>

namespace nomix {

namespace {

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string lowerCase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

// Calls `visit` with each rule line of a file's text: not blank, not a
// comment, without its line end (CR LF files edited elsewhere included).
template <typename Visit> void forEachRuleLine(std::string_view text, Visit visit) {
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = trimmed(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        if (!line.empty() && line.front() != '#') {
            visit(line);
        }
    }
}

// The tab-separated, non-empty parts of a rule line.
std::vector<std::string_view> columnsOf(std::string_view line) {
    std::vector<std::string_view> columns;
    size_t start = 0;
    while (start <= line.size()) {
        const size_t tab = std::min(line.find('\t', start), line.size());
        const std::string_view column = trimmed(line.substr(start, tab - start));
        if (!column.empty()) {
            columns.push_back(column);
        }
        start = tab + 1;
    }
    return columns;
}

// A tag as a rule writes it, maybe with its category and path in front.
std::string tagOf(std::string_view written) {
    const size_t colon = written.rfind(':');
    return lowerCase(colon == std::string_view::npos ? written : written.substr(colon + 1));
}

TagCategory categoryNamed(std::string_view name) {
    if (name == "FAM") {
        return TagCategory::Family;
    }
    if (name == "CLASS") {
        return TagCategory::Class;
    }
    if (name == "BEH") {
        return TagCategory::Behaviour;
    }
    if (name == "FILE") {
        return TagCategory::File;
    }
    if (name == "GEN") {
        return TagCategory::Generic;
    }
    return TagCategory::None;
}

// A word or tag followed by the tags it leads to, from each line.
template <typename Map> void readImplications(std::string_view text, bool keyIsTag, Map& map) {
    forEachRuleLine(text, [&](std::string_view line) {
        const std::vector<std::string_view> columns = columnsOf(line);
        if (columns.size() < 2) {
            return;
        }
        std::vector<std::string>& tags = map[keyIsTag ? tagOf(columns[0]) : lowerCase(columns[0])];
        for (size_t i = 1; i < columns.size(); ++i) {
            std::string tag = tagOf(columns[i]);
            if (!tag.empty() && std::find(tags.begin(), tags.end(), tag) == tags.end()) {
                tags.push_back(std::move(tag));
            }
        }
    });
}

std::string fileText(const std::string& path) {
    const FileBytes file = readFileBytes(path);
    return std::string(file.data.get(), file.size);
}

} // namespace

LabellingRules LabellingRules::fromFolder(const std::string& folder) {
    const std::string taxonomy = fileText(joinDataPath(folder, kTaxonomyFile));
    const std::string tagging = fileText(joinDataPath(folder, kTaggingFile));
    const std::string expansion = fileText(joinDataPath(folder, kExpansionFile));
    return fromTexts(taxonomy, tagging, expansion);
}

LabellingRules LabellingRules::fromTexts(std::string_view taxonomy, std::string_view tagging,
                                         std::string_view expansion) {
    LabellingRules rules;
    forEachRuleLine(taxonomy, [&](std::string_view line) {
        const size_t colon = line.find(':');
        std::string tag = tagOf(line);
        if (colon == std::string_view::npos || tag.empty()) {
            return;
        }
        // A tag the file lists twice keeps its first category.
        rules.m_categories.emplace(std::move(tag), categoryNamed(line.substr(0, colon)));
    });
    readImplications(tagging, false, rules.m_tagging);
    readImplications(expansion, true, rules.m_expansion);
    return rules;
}

TagCategory LabellingRules::categoryOf(std::string_view tag) const {
    const auto it = m_categories.find(tag);
    return it == m_categories.end() ? TagCategory::None : it->second;
}

const std::vector<std::string>* LabellingRules::tagsOf(std::string_view word) const {
    const auto it = m_tagging.find(word);
    return it == m_tagging.end() ? nullptr : &it->second;
}

const std::vector<std::string>* LabellingRules::impliedBy(std::string_view tag) const {
    const auto it = m_expansion.find(tag);
    return it == m_expansion.end() ? nullptr : &it->second;
}

void LabellingRules::forEachTag(
    const std::function<void(const std::string&, TagCategory)>& visit) const {
    for (const auto& [tag, category] : m_categories) {
        visit(tag, category);
    }
}

void LabellingRules::forEachTaggedWord(
    const std::function<void(const std::string&, const std::vector<std::string>&)>& visit) const {
    for (const auto& [word, tags] : m_tagging) {
        visit(word, tags);
    }
}

void LabellingRules::forEachExpansion(
    const std::function<void(const std::string&, const std::vector<std::string>&)>& visit) const {
    for (const auto& [tag, tags] : m_expansion) {
        visit(tag, tags);
    }
}

} // namespace nomix
