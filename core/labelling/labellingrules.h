// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace nomix {

// What a tag of the taxonomy says about a sample. A word the taxonomy does
// not hold has no category.
enum class TagCategory { None, Family, Class, Behaviour, File, Generic };

// The three rule files that turn the words of antivirus labels into tags:
// the taxonomy (CATEGORY:PATH:TAG, one tag a line), the tagging rules
// (WORD<TAB>TAG..., a word standing for tags) and the expansion rules
// (TAG<TAB>TAG..., a tag implying others). A tag is the last ':'-part of
// what a line writes, so tags may be given with or without their category.
// Lines starting with '#' and blank lines are ignored. Words and tags are
// kept in lower case, as the words of labels are compared.
class LabellingRules {
  public:
    static constexpr const char* kTaxonomyFile = "default.taxonomy";
    static constexpr const char* kTaggingFile = "default.tagging";
    static constexpr const char* kExpansionFile = "default.expansion";

    LabellingRules() = default;

    // Reads default.taxonomy, default.tagging and default.expansion of `folder`.
    // Throws nomix::FileError (core/fileerror.h) naming the file that cannot be read.
    static LabellingRules fromFolder(const std::string& folder);
    // The same from the files' texts.
    static LabellingRules fromTexts(std::string_view taxonomy, std::string_view tagging,
                                    std::string_view expansion);

    TagCategory categoryOf(std::string_view tag) const;
    // The tags a word stands for; null when no tagging rule names the word.
    const std::vector<std::string>* tagsOf(std::string_view word) const;
    // The tags a tag implies directly; null when no expansion rule names it.
    const std::vector<std::string>* impliedBy(std::string_view tag) const;

    // Every tag of the taxonomy, every word of a tagging rule, every tag an
    // expansion rule starts from (no order).
    void forEachTag(const std::function<void(const std::string&, TagCategory)>& visit) const;
    void forEachTaggedWord(const std::function<void(const std::string&,
                                                    const std::vector<std::string>&)>& visit) const;
    void forEachExpansion(const std::function<void(const std::string&,
                                                   const std::vector<std::string>&)>& visit) const;

  private:
    struct TextHash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>()(text);
        }
    };
    template <typename Value>
    using TextMap = std::unordered_map<std::string, Value, TextHash, std::equal_to<>>;

    TextMap<TagCategory> m_categories;
    TextMap<std::vector<std::string>> m_tagging;
    TextMap<std::vector<std::string>> m_expansion;
};

} // namespace nomix
