#include "familyvote.h"

#include "core/fields.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <deque>
#include <unordered_set>

namespace nomix {

namespace {

constexpr std::string_view kNoVirus = "NO_VIRUS";
constexpr std::string_view kUnknownVirus = "UNKNOWN_VIRUS";
constexpr std::string_view kHashProduct = "SHA-256";
// Products that share an engine label their detections the same way, with
// these marks of their own around it.
constexpr std::string_view kSharedEngineSuffix = " (B)";
constexpr std::string_view kSharedEnginePrefix = "Malware.";
// Words this short say nothing unless a rule names them.
constexpr size_t kShortestUnknownWord = 4;

// What each product appends to a name that is not part of it: a variant
// or a detection method.
enum class SuffixRule : uint8_t {
    None,
    FromLastDot,      // Trojan.Win32.Zbot.abcd: ".abcd" goes
    CapitalsAfterDot, // Win32/Zbot.ABC: ".ABC" goes when it is capitals and digits only
    FromLastBang,     // Trojan.Zbot!abc: "!abc" goes
};

SuffixRule suffixRuleOf(std::string_view product) {
    static constexpr std::array<std::string_view, 14> kFromLastDot = {
        "Norman",         "Avast",    "Avira", "Kaspersky", "ESET-NOD32",           "Fortinet",
        "Jiangmin",       "Comodo",   "GData", "Sophos",    "TrendMicro-HouseCall", "TrendMicro",
        "NANO-Antivirus", "Microsoft"};
    if (std::find(kFromLastDot.begin(), kFromLastDot.end(), product) != kFromLastDot.end()) {
        return SuffixRule::FromLastDot;
    }
    if (product == "AVG") {
        return SuffixRule::CapitalsAfterDot;
    }
    if (product == "Agnitum") {
        return SuffixRule::FromLastBang;
    }
    return SuffixRule::None;
}

std::string_view withoutSuffix(std::string_view label, SuffixRule rule) {
    switch (rule) {
    case SuffixRule::None:
        break;
    case SuffixRule::FromLastDot:
    case SuffixRule::FromLastBang: {
        const size_t mark = label.rfind(rule == SuffixRule::FromLastDot ? '.' : '!');
        return mark == std::string_view::npos ? label : label.substr(0, mark);
    }
    case SuffixRule::CapitalsAfterDot: {
        const size_t dot = label.rfind('.');
        if (dot == std::string_view::npos || dot + 1 == label.size()) {
            return label;
        }
        const std::string_view tail = label.substr(dot + 1);
        const bool capitals = std::all_of(tail.begin(), tail.end(), [](char c) {
            return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        });
        return capitals ? label.substr(0, dot) : label;
    }
    }
    return label;
}

// Each byte's lower-case form when it is an ASCII letter or digit; 0 for
// the bytes that separate words.
constexpr std::array<char, 256> kWordBytes = [] {
    std::array<char, 256> table{};
    for (int c = '0'; c <= '9'; ++c) {
        table[static_cast<size_t>(c)] = static_cast<char>(c);
    }
    for (int c = 'a'; c <= 'z'; ++c) {
        table[static_cast<size_t>(c)] = static_cast<char>(c);
        table[static_cast<size_t>(c - 'a' + 'A')] = static_cast<char>(c);
    }
    return table;
}();

uint64_t mix(uint64_t h) {
    h ^= h >> 32;
    h *= 0xD6E8FEB86659FD93ull;
    h ^= h >> 32;
    return h;
}

// Words are short: eight bytes at a time, most of them in one or two steps.
uint64_t hashOf(std::string_view text) {
    const char* p = text.data();
    size_t n = text.size();
    uint64_t h = 0x9E3779B97F4A7C15ull ^ n;
    while (n >= 8) {
        uint64_t v = 0;
        std::memcpy(&v, p, 8);
        h = mix(h ^ v) * 0xBF58476D1CE4E5B9ull;
        p += 8;
        n -= 8;
    }
    if (n > 0) {
        uint64_t v = 0;
        std::memcpy(&v, p, n);
        h = h ^ v;
    }
    return mix(h * 0x94D049BB133111EBull);
}

// The field of `column` in lower case, kept in `into`; empty when the line
// has no such field.
std::string_view lowerHash(std::string_view line, size_t column, std::string& into) {
    const std::string_view field = fieldViewByChar(static_cast<int32_t>(column + 1), line, '|');
    into.assign(field);
    for (char& c : into) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return into;
}

size_t tableSizeFor(size_t entries) {
    size_t size = 16;
    while (size < entries * 2) {
        size *= 2;
    }
    return size;
}

// A family a word votes for, with its hash for the line's tally.
struct Candidate {
    uint64_t hash;
    std::string_view name;
};

} // namespace

// The rules as one open-addressed table of every word they know, each with
// the candidates it votes for, generic words and the words that give none
// marked so.
struct FamilyVote::Compiled {
    struct Word {
        uint64_t hash;
        std::string_view text;
        bool ignored; // generic, too short, or voting for no family
        uint32_t first;
        uint32_t count;
    };

    std::deque<std::string> texts; // stays in place as it grows: views point into it
    std::vector<Word> words;
    std::vector<uint32_t> slots; // index + 1 into words, 0 for none
    size_t mask = 0;
    std::vector<Candidate> candidates;

    std::vector<SuffixRule> suffixRules; // per product column
    size_t hashColumn = SIZE_MAX;

    const Word* find(uint64_t hash, std::string_view text) const {
        for (size_t i = hash & mask;; i = (i + 1) & mask) {
            const uint32_t slot = slots[i];
            if (slot == 0) {
                return nullptr;
            }
            const Word& word = words[slot - 1];
            if (word.hash == hash && word.text == text) {
                return &word;
            }
        }
    }

    std::string_view keep(std::string_view text) { return texts.emplace_back(text); }

    void add(const std::string& text, const LabellingRules& rules);
    void buildSlots();
};

void FamilyVote::Compiled::add(const std::string& text, const LabellingRules& rules) {
    Word word{hashOf(text), keep(text), true, static_cast<uint32_t>(candidates.size()), 0};
    std::vector<std::string> tags;
    if (rules.categoryOf(text) == TagCategory::Generic) {
        words.push_back(word);
        return;
    }
    if (const std::vector<std::string>* mapped = rules.tagsOf(text)) {
        tags = *mapped;
    } else if (text.size() >= kShortestUnknownWord) {
        tags.push_back(text);
    }
    // The tags the expansion rules add, and the tags they add in turn.
    std::unordered_set<std::string> seen;
    for (size_t i = 0; i < tags.size(); ++i) {
        if (rules.categoryOf(tags[i]) == TagCategory::Generic || !seen.insert(tags[i]).second) {
            continue;
        }
        const TagCategory category = rules.categoryOf(tags[i]);
        if (category == TagCategory::Family || category == TagCategory::None) {
            const std::string_view name = keep(tags[i]);
            candidates.push_back({hashOf(name), name});
            ++word.count;
        }
        if (const std::vector<std::string>* implied = rules.impliedBy(tags[i])) {
            tags.insert(tags.end(), implied->begin(), implied->end());
        }
    }
    word.ignored = word.count == 0;
    words.push_back(word);
}

void FamilyVote::Compiled::buildSlots() {
    slots.assign(tableSizeFor(words.size()), 0);
    mask = slots.size() - 1;
    for (size_t w = 0; w < words.size(); ++w) {
        size_t i = words[w].hash & mask;
        while (slots[i] != 0) {
            i = (i + 1) & mask;
        }
        slots[i] = static_cast<uint32_t>(w + 1);
    }
}

// The line's labels already counted, and each candidate's votes: open
// addressing over views, emptied by forgetting only the slots in use.
class ViewTally {
  public:
    struct Entry {
        uint64_t hash = 0;
        const char* data = nullptr; // null: the slot is free
        size_t size = 0;
        uint32_t votes = 0;
        uint32_t lastVoter = 0;

        std::string_view name() const { return std::string_view(data, size); }
    };

    ViewTally() : m_entries(64), m_mask(63) {}

    void clear() {
        for (uint32_t i : m_used) {
            m_entries[i].data = nullptr;
        }
        m_used.clear();
    }

    // The entry of `text`, new (with no votes) when `added` is set.
    Entry& find(uint64_t hash, std::string_view text, bool& added) {
        if ((m_used.size() + 1) * 2 > m_entries.size()) {
            grow();
        }
        size_t i = hash & m_mask;
        while (m_entries[i].data != nullptr) {
            Entry& e = m_entries[i];
            if (e.hash == hash && e.name() == text) {
                added = false;
                return e;
            }
            i = (i + 1) & m_mask;
        }
        added = true;
        m_used.push_back(static_cast<uint32_t>(i));
        m_entries[i] = Entry{hash, text.data(), text.size(), 0, 0};
        return m_entries[i];
    }

    // One vote per voter, however often it names the text.
    void vote(uint64_t hash, std::string_view text, uint32_t voter) {
        bool added = false;
        Entry& e = find(hash, text, added);
        if (added || e.lastVoter != voter) {
            ++e.votes;
            e.lastVoter = voter;
        }
    }

    // The most votes, at least two; a tie to the greater name.
    std::string_view winner() const {
        const Entry* best = nullptr;
        for (uint32_t i : m_used) {
            const Entry& e = m_entries[i];
            if (e.votes < 2) {
                continue;
            }
            if (!best || e.votes > best->votes ||
                (e.votes == best->votes && e.name() > best->name())) {
                best = &e;
            }
        }
        return best ? best->name() : std::string_view();
    }

  private:
    void grow() {
        std::vector<Entry> old(m_entries.size() * 2);
        old.swap(m_entries);
        m_mask = m_entries.size() - 1;
        std::vector<uint32_t> used;
        used.swap(m_used);
        for (uint32_t u : used) {
            const Entry& e = old[u];
            size_t i = e.hash & m_mask;
            while (m_entries[i].data != nullptr) {
                i = (i + 1) & m_mask;
            }
            m_entries[i] = e;
            m_used.push_back(static_cast<uint32_t>(i));
        }
    }

    std::vector<Entry> m_entries;
    size_t m_mask;
    std::vector<uint32_t> m_used;
};

struct FamilyVote::Scratch::Tables {
    std::string lower; // the line's labels in lower case, at the line's offsets
    std::string hash;  // the line's SHA-256 in lower case
    ViewTally labels;
    ViewTally votes;
};

FamilyVote::Scratch::Scratch() : m_tables(std::make_unique<Tables>()) {}
FamilyVote::Scratch::~Scratch() = default;

FamilyVote::FamilyVote(const LabellingRules& rules, const ProductTable& products)
    : m_compiled(std::make_unique<Compiled>()) {
    Compiled& c = *m_compiled;
    std::unordered_set<std::string> known;
    const auto addWord = [&](const std::string& text) {
        if (known.insert(text).second) {
            c.add(text, rules);
        }
    };
    rules.forEachTag([&](const std::string& tag, TagCategory) { addWord(tag); });
    rules.forEachTaggedWord([&](const std::string& word, const auto&) { addWord(word); });
    rules.forEachExpansion([&](const std::string& tag, const auto&) { addWord(tag); });
    c.buildSlots();

    c.suffixRules.reserve(products.entries.size());
    for (size_t column = 0; column < products.entries.size(); ++column) {
        const std::string name = productName(products.entries[column]);
        c.suffixRules.push_back(suffixRuleOf(name));
        if (name == kHashProduct && c.hashColumn == SIZE_MAX) {
            c.hashColumn = column;
        }
    }
}

FamilyVote::~FamilyVote() = default;
FamilyVote::FamilyVote(FamilyVote&&) noexcept = default;
FamilyVote& FamilyVote::operator=(FamilyVote&&) noexcept = default;

std::string FamilyVote::familyOf(std::string_view line) const {
    Scratch scratch;
    return std::string(familyOf(line, scratch));
}

std::string_view FamilyVote::familyOf(std::string_view line, Scratch& scratch) const {
    const Compiled& c = *m_compiled;
    Scratch::Tables& t = *scratch.m_tables;
    t.labels.clear();
    t.votes.clear();
    if (t.lower.size() < line.size()) {
        t.lower.resize(line.size());
    }
    const char* const text = line.data();
    const size_t size = line.size();
    const size_t productCount = c.suffixRules.size();

    // Fields and products in step, by the field rule: a run of '|' is one
    // separator. Fields past the last product belong to none.
    std::string_view hash;
    if (c.hashColumn != SIZE_MAX) {
        hash = lowerHash(line, c.hashColumn, t.hash);
    }

    uint32_t product = 0;
    for (size_t pos = 0; pos < size && product < productCount; ++product) {
        while (pos < size && text[pos] == '|') {
            ++pos;
        }
        if (pos == size) {
            break;
        }
        const void* bar = std::memchr(text + pos, '|', size - pos);
        const size_t end = bar ? static_cast<size_t>(static_cast<const char*>(bar) - text) : size;
        std::string_view label(text + pos, end - pos);
        size_t offset = pos;
        pos = end;

        if (product == c.hashColumn || label == kNoVirus || label == kUnknownVirus ||
            label.front() == '~') {
            continue;
        }
        if (label.ends_with(kSharedEngineSuffix)) {
            label.remove_suffix(kSharedEngineSuffix.size());
        }
        if (label.starts_with(kSharedEnginePrefix)) {
            label.remove_prefix(kSharedEnginePrefix.size());
            offset += kSharedEnginePrefix.size();
        }
        if (label.empty()) {
            continue;
        }
        bool added = false;
        t.labels.find(hashOf(label), label, added);
        if (!added) {
            continue;
        }
        label = withoutSuffix(label, c.suffixRules[product]);

        char* const lower = t.lower.data() + offset;
        const size_t n = label.size();
        for (size_t i = 0; i < n;) {
            while (i < n && kWordBytes[static_cast<unsigned char>(label[i])] == 0) {
                ++i;
            }
            const size_t start = i;
            for (; i < n; ++i) {
                const char ch = kWordBytes[static_cast<unsigned char>(label[i])];
                if (ch == 0) {
                    break;
                }
                lower[i] = ch;
            }
            size_t wordEnd = i;
            while (wordEnd > start && lower[wordEnd - 1] >= '0' && lower[wordEnd - 1] <= '9') {
                --wordEnd;
            }
            if (wordEnd == start) {
                continue;
            }
            const std::string_view word(lower + start, wordEnd - start);
            if (hash.starts_with(word)) {
                continue;
            }
            const uint64_t h = hashOf(word);
            if (const Compiled::Word* known = c.find(h, word)) {
                if (!known->ignored) {
                    for (uint32_t k = known->first; k < known->first + known->count; ++k) {
                        t.votes.vote(c.candidates[k].hash, c.candidates[k].name, product);
                    }
                }
            } else if (word.size() >= kShortestUnknownWord) {
                t.votes.vote(h, word, product);
            }
        }
    }
    return t.votes.winner();
}

} // namespace nomix
