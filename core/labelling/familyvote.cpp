// SPDX-License-Identifier: MIT
#include "familyvote.h"

#include "core/fields.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <deque>
#include <unordered_map>
#include <unordered_set>

#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#endif

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

// Bytes of words: ASCII letters and digits. A word's bytes with bit 0x20
// set are its lower-case form (digits have it already), so words are
// lower-cased eight bytes at a time.
enum ByteKind : uint8_t { kSeparator = 0, kLetter = 1, kDigit = 2 };
constexpr std::array<uint8_t, 256> kByteKinds = [] {
    std::array<uint8_t, 256> table{};
    for (int c = '0'; c <= '9'; ++c) {
        table[static_cast<size_t>(c)] = kDigit;
    }
    for (int c = 'a'; c <= 'z'; ++c) {
        table[static_cast<size_t>(c)] = kLetter;
        table[static_cast<size_t>(c - 'a' + 'A')] = kLetter;
    }
    return table;
}();
constexpr uint64_t kLowerBits = 0x2020202020202020ull;

uint8_t kindOf(char c) {
    return kByteKinds[static_cast<unsigned char>(c)];
}

uint64_t load8(const char* p) {
    uint64_t v = 0;
    std::memcpy(&v, p, 8);
    return v;
}

// The first `size` (at most 8) bytes at `p`, in the low bytes; `canOverread`
// when 8 bytes may be read there.
uint64_t loadHead(const char* p, size_t size, bool canOverread) {
    if (size >= 8) {
        return load8(p);
    }
    const uint64_t mask = (uint64_t(1) << (8 * size)) - 1;
    if (canOverread) {
        return load8(p) & mask;
    }
    uint64_t v = 0;
    std::memcpy(&v, p, size);
    return v;
}

// A word known by its length and first and last eight bytes, so comparing
// words of up to eight bytes compares two integers. `text` holds all its
// bytes in lower case (needed only past eight bytes).
struct WordKey {
    uint64_t hash = 0;
    uint64_t head = 0; // the first eight bytes (fewer: zero-padded)
    uint64_t tail = 0; // the last eight bytes of a longer word
    uint32_t size = 0;
    const char* text = nullptr;

    bool operator==(const WordKey& other) const {
        return hash == other.hash && size == other.size && head == other.head &&
               tail == other.tail &&
               (size <= 16 || std::memcmp(text + 8, other.text + 8, size - 16) == 0);
    }
    std::string_view view() const {
        return size <= 8 ? std::string_view(reinterpret_cast<const char*>(&head), size)
                         : std::string_view(text, size);
    }
};

uint64_t hashOf(uint64_t head, uint64_t tail, uint32_t size) {
    uint64_t h = (head ^ (uint64_t(size) * 0x9E3779B97F4A7C15ull)) * 0xBF58476D1CE4E5B9ull;
    if (size > 8) {
        h = (h ^ (h >> 31) ^ tail) * 0x94D049BB133111EBull;
    }
    return h ^ (h >> 29);
}

// The key of a word given in lower case.
WordKey keyOf(std::string_view lower) {
    WordKey key;
    key.size = static_cast<uint32_t>(lower.size());
    key.head = loadHead(lower.data(), lower.size(), false);
    key.tail = lower.size() > 8 ? load8(lower.data() + lower.size() - 8) : 0;
    key.text = lower.data();
    key.hash = hashOf(key.head, key.tail, key.size);
    return key;
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

// A label's cheap hash for finding repeats: its length and its first and
// last eight bytes; a match is confirmed byte by byte.
uint64_t labelHash(std::string_view label, bool canOverread) {
    const uint64_t head = loadHead(label.data(), label.size(), canOverread);
    const uint64_t tail = label.size() > 8 ? load8(label.data() + label.size() - 8) : 0;
    return hashOf(head, tail, static_cast<uint32_t>(label.size()) | 0x80000000u);
}

} // namespace

// The rules as one open-addressed table of every word they know, each with
// the candidates it votes for, generic words and the words that give none
// marked so.
struct FamilyVote::Compiled {
    struct Word {
        WordKey key;
        bool ignored; // generic, too short, or voting for no family
        uint32_t first;
        uint32_t count;
    };

    // Most words of labels are in no rule: one bit per hash, in a table
    // small enough to stay in the first-level cache, turns most of them away
    // before the larger table is read.
    static constexpr size_t kFilterBits = 1u << 16;
    struct Slot {
        uint32_t check; // the hash's high half
        uint32_t word;  // index + 1 into words, 0 for none
    };

    std::deque<std::string> texts; // stays in place as it grows: keys point into it
    std::vector<Word> words;
    std::array<uint64_t, kFilterBits / 64> filter{};
    std::vector<Slot> slots;
    size_t mask = 0;
    std::vector<WordKey> candidates;
    // Each candidate's tag by number, and the tags by number: the tags of
    // the rules are counted in an array.
    std::vector<uint32_t> candidateTags;
    std::vector<WordKey> tagKeys;

    std::vector<SuffixRule> suffixRules; // per product column
    size_t hashColumn = SIZE_MAX;

    static size_t filterBit(uint64_t hash) { return (hash >> 20) & (kFilterBits - 1); }

    const Word* find(const WordKey& key) const {
        const size_t bit = filterBit(key.hash);
        if ((filter[bit / 64] >> (bit % 64) & 1) == 0) {
            return nullptr;
        }
        const auto check = static_cast<uint32_t>(key.hash >> 32);
        for (size_t i = key.hash & mask;; i = (i + 1) & mask) {
            const Slot slot = slots[i];
            if (slot.word == 0) {
                return nullptr;
            }
            if (slot.check == check && words[slot.word - 1].key == key) {
                return &words[slot.word - 1];
            }
        }
    }

    WordKey keep(std::string_view text) { return keyOf(texts.emplace_back(text)); }

    void add(const std::string& text, const LabellingRules& rules);
    void buildSlots();
};

void FamilyVote::Compiled::add(const std::string& text, const LabellingRules& rules) {
    Word word{keep(text), true, static_cast<uint32_t>(candidates.size()), 0};
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
            candidates.push_back(keep(tags[i]));
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
    slots.assign(tableSizeFor(words.size()), Slot{0, 0});
    mask = slots.size() - 1;
    for (size_t w = 0; w < words.size(); ++w) {
        const uint64_t hash = words[w].key.hash;
        const size_t bit = filterBit(hash);
        filter[bit / 64] |= uint64_t(1) << (bit % 64);
        size_t i = hash & mask;
        while (slots[i].word != 0) {
            i = (i + 1) & mask;
        }
        slots[i] = Slot{static_cast<uint32_t>(hash >> 32), static_cast<uint32_t>(w + 1)};
    }
}

// The tag ahead in a vote: the most votes, at least two; a tie to the
// greater name.
struct VoteLeader {
    uint32_t votes = 1;
    std::string_view name;

    void consider(uint32_t tagVotes, std::string_view tag) {
        if (tagVotes > votes || (tagVotes == votes && tagVotes >= 2 && tag > name)) {
            votes = tagVotes;
            name = tag;
        }
    }
};

// The votes of the rules' tags on a line, by the tag's number: each count
// knows the line it belongs to, so a new line forgets the old counts without
// touching them.
class TagTally {
  public:
    void startLine(size_t tagCount) {
        m_touched.clear();
        if (m_counts.size() < tagCount) {
            m_counts.resize(tagCount);
        }
        if (++m_line == 0) {
            std::fill(m_counts.begin(), m_counts.end(), Count{});
            m_line = 1;
        }
    }

    // One vote per voter, however often it names the tag.
    void vote(uint32_t tag, uint32_t voter) {
        Count& count = m_counts[tag];
        if (count.line != m_line) {
            count = Count{m_line, voter, 1};
            m_touched.push_back(tag);
        } else if (count.voter != voter) {
            count.voter = voter;
            ++count.votes;
        }
    }

    VoteLeader leader(const std::vector<WordKey>& tags) const {
        VoteLeader best;
        for (uint32_t tag : m_touched) {
            best.consider(m_counts[tag].votes, tags[tag].view());
        }
        return best;
    }

  private:
    struct Count {
        uint32_t line = 0;
        uint32_t voter = 0;
        uint32_t votes = 0;
    };
    std::vector<Count> m_counts;
    std::vector<uint32_t> m_touched;
    uint32_t m_line = 0;
};

// Each candidate's votes on a line: open addressing, emptied by forgetting
// only the slots in use.
class VoteTally {
  public:
    struct Entry {
        WordKey key;
        uint32_t votes = 0; // 0: the slot is free
        uint32_t lastVoter = 0;
    };

    VoteTally() : m_entries(64), m_mask(63) {}

    void clear() {
        for (uint32_t i : m_used) {
            m_entries[i].votes = 0;
        }
        m_used.clear();
    }

    // One vote per voter, however often it names the word.
    void vote(const WordKey& key, uint32_t voter) {
        if ((m_used.size() + 1) * 2 > m_entries.size()) {
            grow();
        }
        size_t i = key.hash & m_mask;
        while (m_entries[i].votes != 0) {
            Entry& e = m_entries[i];
            if (e.key == key) {
                if (e.lastVoter != voter) {
                    ++e.votes;
                    e.lastVoter = voter;
                }
                return;
            }
            i = (i + 1) & m_mask;
        }
        m_used.push_back(static_cast<uint32_t>(i));
        m_entries[i] = Entry{key, 1, voter};
    }

    // The most votes, at least two; a tie to the greater name.
    VoteLeader leader() const {
        VoteLeader best;
        for (uint32_t i : m_used) {
            best.consider(m_entries[i].votes, m_entries[i].key.view());
        }
        return best;
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
            size_t i = e.key.hash & m_mask;
            while (m_entries[i].votes != 0) {
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

// The labels a line has counted: open addressing over views into the line.
class LabelSet {
  public:
    LabelSet() : m_entries(64), m_mask(63) {}

    void clear() {
        for (uint32_t i : m_used) {
            m_entries[i].data = nullptr;
        }
        m_used.clear();
    }

    // False when the line had the label already.
    bool insert(std::string_view label, uint64_t hash) {
        if ((m_used.size() + 1) * 2 > m_entries.size()) {
            grow();
        }
        size_t i = hash & m_mask;
        while (m_entries[i].data != nullptr) {
            const Entry& e = m_entries[i];
            if (e.hash == hash && std::string_view(e.data, e.size) == label) {
                return false;
            }
            i = (i + 1) & m_mask;
        }
        m_used.push_back(static_cast<uint32_t>(i));
        m_entries[i] = Entry{hash, label.data(), label.size()};
        return true;
    }

  private:
    struct Entry {
        uint64_t hash = 0;
        const char* data = nullptr; // null: the slot is free
        size_t size = 0;
    };

    void grow() {
        std::vector<Entry> old(m_entries.size() * 2);
        old.swap(m_entries);
        m_mask = m_entries.size() - 1;
        std::vector<uint32_t> used;
        used.swap(m_used);
        for (uint32_t u : used) {
            size_t i = old[u].hash & m_mask;
            while (m_entries[i].data != nullptr) {
                i = (i + 1) & m_mask;
            }
            m_entries[i] = old[u];
            m_used.push_back(static_cast<uint32_t>(i));
        }
    }

    std::vector<Entry> m_entries;
    size_t m_mask;
    std::vector<uint32_t> m_used;
};

namespace {

// The first '|' from `p`, or `end`. Inline: most fields are a few bytes,
// where a call to memchr costs more than the search.
const char* findBar(const char* p, const char* end) {
#if defined(__SSE2__) && defined(__x86_64__)
    const __m128i bar = _mm_set1_epi8('|');
    for (; end - p >= 16; p += 16) {
        const auto hits = static_cast<uint32_t>(_mm_movemask_epi8(
            _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), bar)));
        if (hits != 0) {
            return p + std::countr_zero(hits);
        }
    }
#endif
    while (p < end && *p != '|') {
        ++p;
    }
    return p;
}

// The labels of a line that take part in the vote, each with its product's
// column: fields and products in step, by the field rule (a run of '|' is
// one separator), fields past the last product belonging to none; notes and
// non-names skipped, the marks of a shared engine removed, and a label
// another product gave already skipped.
template <typename Visit>
void forEachLabel(std::string_view line, size_t productCount, size_t hashColumn, LabelSet& labels,
                  Visit&& visit) {
    const char* const text = line.data();
    const size_t size = line.size();
    uint32_t product = 0;
    for (size_t pos = 0; pos < size && product < productCount; ++product) {
        while (pos < size && text[pos] == '|') {
            ++pos;
        }
        if (pos == size) {
            break;
        }
        const size_t end = static_cast<size_t>(findBar(text + pos, text + size) - text);
        std::string_view label(text + pos, end - pos);
        pos = end;

        if (product == hashColumn || label == kNoVirus || label == kUnknownVirus ||
            label.front() == '~') {
            continue;
        }
        if (label.ends_with(kSharedEngineSuffix)) {
            label.remove_suffix(kSharedEngineSuffix.size());
        }
        if (label.starts_with(kSharedEnginePrefix)) {
            label.remove_prefix(kSharedEnginePrefix.size());
        }
        const size_t labelBegin = static_cast<size_t>(label.data() - text);
        if (label.empty() || !labels.insert(label, labelHash(label, labelBegin + 8 <= size))) {
            continue;
        }
        visit(label, product);
    }
}

// Labels up to this long have their words found from bit masks.
constexpr size_t kMaskedLabelBytes = 64;

// Bit i set when byte i of a label is a letter, or a digit; none past its
// end.
struct ByteMasks {
    uint64_t letters = 0;
    uint64_t digits = 0;
};

ByteMasks byteMasksOf(std::string_view label, const char* readableEnd) {
    const size_t n = label.size();
    const size_t blocks = (n + 15) / 16;
    const char* p = label.data();
    std::array<char, kMaskedLabelBytes> copy{};
    if (p + blocks * 16 > readableEnd) {
        std::memcpy(copy.data(), p, n);
        p = copy.data();
    }
    ByteMasks masks;
#if defined(__SSE2__) && defined(__x86_64__)
    const __m128i belowDigits = _mm_set1_epi8('0' - 1);
    const __m128i aboveDigits = _mm_set1_epi8('9' + 1);
    const __m128i belowLetters = _mm_set1_epi8('a' - 1);
    const __m128i aboveLetters = _mm_set1_epi8('z' + 1);
    const __m128i lowerBit = _mm_set1_epi8(0x20);
    for (size_t b = 0; b < blocks; ++b) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * b));
        // Signed compares: bytes from 0x80 up are below every bound.
        const __m128i digit =
            _mm_and_si128(_mm_cmpgt_epi8(v, belowDigits), _mm_cmplt_epi8(v, aboveDigits));
        const __m128i lower = _mm_or_si128(v, lowerBit);
        const __m128i letter =
            _mm_and_si128(_mm_cmpgt_epi8(lower, belowLetters), _mm_cmplt_epi8(lower, aboveLetters));
        masks.digits |= uint64_t(static_cast<uint32_t>(_mm_movemask_epi8(digit))) << (16 * b);
        masks.letters |= uint64_t(static_cast<uint32_t>(_mm_movemask_epi8(letter))) << (16 * b);
    }
#else
    for (size_t i = 0; i < blocks * 16; ++i) {
        const uint8_t kind = kindOf(p[i]);
        masks.digits |= uint64_t(kind == kDigit) << i;
        masks.letters |= uint64_t(kind == kLetter) << i;
    }
#endif
    const uint64_t inLabel = n == 64 ? ~uint64_t(0) : (uint64_t(1) << n) - 1;
    masks.letters &= inLabel;
    masks.digits &= inLabel;
    return masks;
}

// Each word of a masked label as [start, end), its final digits gone; words
// of digits only are none.
template <typename Visit> void forEachMaskedWord(const ByteMasks& masks, Visit&& visit) {
    const uint64_t word = masks.letters | masks.digits;
    uint64_t rest = word;
    while (rest != 0) {
        const auto start = static_cast<unsigned>(std::countr_zero(rest));
        const unsigned end = start + static_cast<unsigned>(std::countr_one(word >> start));
        const uint64_t from = ~uint64_t(0) << start;
        const uint64_t upTo = end >= 64 ? ~uint64_t(0) : ~(~uint64_t(0) << end);
        rest &= ~upTo;
        const uint64_t letters = masks.letters & from & upTo;
        if (letters != 0) {
            visit(size_t(start), size_t(64 - std::countl_zero(letters)));
        }
    }
}

} // namespace

struct FamilyVote::Scratch::Tables {
    std::string lower; // long words in lower case, at the line's offsets
    std::string hash;  // the line's SHA-256 in lower case
    LabelSet labels;
    VoteTally votes; // of the words no rule knows
    TagTally tally;  // of the rules' tags
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
    // A tag that no rule names as a word votes as itself when a label has
    // it, as a word of no rule does: made a word, it is counted with the
    // rules' tags, and a word the table lacks is never one of them.
    std::vector<std::string> candidateTexts;
    for (const WordKey& candidate : c.candidates) {
        candidateTexts.emplace_back(candidate.view());
    }
    for (const std::string& text : candidateTexts) {
        addWord(text);
    }
    c.buildSlots();
    std::unordered_map<std::string_view, uint32_t> tagIds;
    for (const WordKey& candidate : c.candidates) {
        const auto [at, added] =
            tagIds.emplace(candidate.view(), static_cast<uint32_t>(c.tagKeys.size()));
        if (added) {
            c.tagKeys.push_back(candidate);
        }
        c.candidateTags.push_back(at->second);
    }

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

// The hot path of every line: fields found with memchr, the words of a
// label found all at once from bit masks of its letters and digits (a table
// of byte kinds for a label too long for them), each word looked up by its
// first and last eight bytes; a word is copied (lower-cased) only when it is
// longer than eight bytes.
std::string_view FamilyVote::familyOf(std::string_view line, Scratch& scratch) const {
    const Compiled& c = *m_compiled;
    Scratch::Tables& t = *scratch.m_tables;
    t.labels.clear();
    t.votes.clear();
    t.tally.startLine(c.tagKeys.size());
    if (t.lower.size() < line.size()) {
        t.lower.resize(line.size());
    }
    const char* const text = line.data();
    const size_t size = line.size();

    std::string_view hash;
    uint64_t hashHead = 0;
    if (c.hashColumn != SIZE_MAX) {
        hash = lowerHash(line, c.hashColumn, t.hash);
        hashHead = loadHead(hash.data(), std::min<size_t>(hash.size(), 8), false);
    }

    forEachLabel(
        line, c.suffixRules.size(), c.hashColumn, t.labels,
        [&](std::string_view label, uint32_t product) {
            const size_t labelBegin = static_cast<size_t>(label.data() - text);
            label = withoutSuffix(label, c.suffixRules[product]);
            const char* const p = label.data();

            // The word of bytes [start, wordEnd) (its final digits gone).
            const auto voteWord = [&](size_t start, size_t wordEnd) {
                const size_t wordSize = wordEnd - start;
                WordKey key;
                key.size = static_cast<uint32_t>(wordSize);
                const uint64_t headMask =
                    wordSize >= 8 ? ~uint64_t(0) : (uint64_t(1) << (8 * wordSize)) - 1;
                const uint64_t headBits = kLowerBits & headMask;
                key.head = loadHead(p + start, wordSize, labelBegin + start + 8 <= size) | headBits;
                if (wordSize > 8) {
                    key.tail = load8(p + wordEnd - 8) | kLowerBits;
                    char* const lower = t.lower.data() + labelBegin + start;
                    for (size_t k = 0; k < wordSize; ++k) {
                        lower[k] = static_cast<char>(p[start + k] | 0x20);
                    }
                    key.text = lower;
                }
                key.hash = hashOf(key.head, key.tail, key.size);

                if (wordSize <= hash.size() && (hashHead & headMask) == key.head &&
                    hash.starts_with(key.view())) {
                    return;
                }
                if (const Compiled::Word* known = c.find(key)) {
                    if (!known->ignored) {
                        for (uint32_t k = known->first; k < known->first + known->count; ++k) {
                            t.tally.vote(c.candidateTags[k], product);
                        }
                    }
                } else if (wordSize >= kShortestUnknownWord) {
                    t.votes.vote(key, product);
                }
            };

            if (label.size() <= kMaskedLabelBytes) {
                const ByteMasks masks = byteMasksOf(label, text + size);
                forEachMaskedWord(masks, voteWord);
                return;
            }
            const size_t n = label.size();
            for (size_t i = 0; i < n;) {
                while (i < n && kindOf(p[i]) == kSeparator) {
                    ++i;
                }
                const size_t start = i;
                while (i < n && kindOf(p[i]) != kSeparator) {
                    ++i;
                }
                size_t wordEnd = i;
                while (wordEnd > start && kindOf(p[wordEnd - 1]) == kDigit) {
                    --wordEnd;
                }
                if (wordEnd != start) {
                    voteWord(start, wordEnd);
                }
            }
        });
    VoteLeader leader = t.tally.leader(c.tagKeys);
    const VoteLeader unknown = t.votes.leader();
    leader.consider(unknown.votes, unknown.name);
    return leader.name;
}

} // namespace nomix
