// SPDX-License-Identifier: MIT
#include "generator.h"

#include <array>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace nomix::bench {

namespace {

constexpr size_t kPieceBytes = 1u << 20;
// Line k is a rare line when k % kRarePeriod == kRareOffset.
constexpr uint64_t kRarePeriod = 20000;
constexpr uint64_t kRareOffset = kRarePeriod / 2;

// splitmix64: tiny, fast, and the same on every platform (unlike the
// standard distributions, whose output the library may choose).
class Random {
  public:
    explicit Random(uint64_t seed) : m_state(seed) {}
    uint64_t next() {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, n).
    uint32_t below(uint32_t n) { return static_cast<uint32_t>(((next() >> 32) * n) >> 32); }
    bool percent(uint32_t p) { return below(100) < p; }

  private:
    uint64_t m_state;
};

// Most frequent first: family r turns up with weight 1 / (r + 1). None of
// them contains the rare or the absent search string, and only the first
// contains the common one.
constexpr std::array kFamilies = {
    "Agent",      "Kryptik",  "Zbot",      "Ramnit",     "Sality",      "Virut",     "Zusy",
    "Graftor",    "Vobfus",   "Gamarue",   "Fareit",     "Upatre",      "Dridex",    "Emotet",
    "Qakbot",     "Ursnif",   "Conficker", "Tofsee",     "Necurs",      "Nymaim",    "Tinba",
    "Bladabindi", "Nanocore", "Sirefef",   "ZeroAccess", "Cutwail",     "Bredolab",  "Koobface",
    "Mydoom",     "Netsky",   "Bagle",     "Sasser",     "Blaster",     "Klez",      "Nimda",
    "Melissa",    "Laroux",   "Marker",    "Concept",    "Redlof",      "Kakworm",   "LoveLetter",
    "Carberp",    "Citadel",  "Shylock",   "Tepfer",     "Badur",       "Crypt",     "AutoRun",
    "Dorkbot",    "Ngrbot",   "IRCBot",    "Rbot",       "SdBot",       "PoisonIvy", "DarkComet",
    "Hupigon",    "Bifrose",  "StartPage", "Lmir",       "OnLineGames", "Magania",   "Delf",
    "Banload",    "Banker",   "Bancos",    "Qhost",      "Small",       "Vundo",     "Alureon",
    "TDSS",       "Cycbot",   "FakeAlert", "Winwebsec",  "Reveton",     "Urausy",    "CryptoLocker",
    "CryptoWall", "Locky",    "Cerber",
};
constexpr const char* kRareFamily = "Stuxnet";

struct Platform {
    const char* name;      // Win32
    const char* shortName; // W32
    const char* osName;    // Win
    uint32_t weight;
    bool macro;
};

constexpr std::array<Platform, 12> kPlatforms = {{
    {"Win32", "W32", "Win", 60, false},
    {"Win64", "W64", "Win", 8, false},
    {"W97M", "W97M", "Doc", 4, true},
    {"X97M", "X97M", "Xls", 2, true},
    {"JS", "JS", "Js", 6, false},
    {"VBS", "VBS", "Vbs", 4, false},
    {"HTML", "HTML", "Html", 4, false},
    {"PDF", "PDF", "Pdf", 2, false},
    {"Linux", "Linux", "Unix", 3, false},
    {"AndroidOS", "Android", "Andr", 4, false},
    {"MSIL", "MSIL", "Win", 2, false},
    {"DOS", "DOS", "Dos", 1, false},
}};

struct ThreatType {
    const char* name;      // Trojan
    const char* shortName; // Troj
    const char* tag;       // Trj
    const char* suffix;    // tr
    uint32_t weight;
};

constexpr size_t kVirusType = 3;
constexpr std::array<ThreatType, 12> kTypes = {{
    {"Trojan", "Troj", "Trj", "tr", 40},
    {"Worm", "Worm", "Wrm", "worm", 12},
    {"Backdoor", "Bckdr", "Bkdr", "bdr", 10},
    {"Virus", "Virus", "Inf", "vir", 8},
    {"TrojanDownloader", "Dldr", "Drp", "dldr", 10},
    {"TrojanDropper", "Drop", "Drp", "drop", 5},
    {"TrojanSpy", "Spy", "Spy", "spy", 4},
    {"PWS", "PWS", "PSW", "pws", 5},
    {"Exploit", "Exp", "Expl", "exploit", 2},
    {"Adware", "Adw", "Adw", "adw", 2},
    {"Ransom", "Ransom", "Rnsm", "ransom", 1},
    {"Rootkit", "Rkit", "Rtk", "rkit", 1},
}};

constexpr std::array kProductNames = {
    "Arvex",      "Bastion AV", "Cerberix", "Dravon",     "Eskora Antivirus", "Fenrix",
    "Gallium",    "Heliox",     "Ironveil", "Jadeshield", "Kestrel",          "Lumora",
    "Mantix Pro", "Noctis",     "Obsidia",  "Paladium",   "Quorra",           "Ravelin",
    "Sentrex",    "Talonis",    "Umbrix",   "Vigilo",     "Wardex Endpoint",  "Xylon",
    "Yarrow",     "Zephyr-AV",  "Aegion",   "Brightward", "Citadelle",        "Defendra",
    "Elmguard",   "Fortivex",
};

// How many naming styles makeName knows.
constexpr uint32_t kStyleCount = 12;

// One virus as every product sees it; each product writes its own name.
struct Virus {
    const char* family;
    const Platform* platform;
    const ThreatType* type;
};

template <size_t N, typename T> const T& pickWeighted(const std::array<T, N>& items, Random& rng) {
    uint32_t total = 0;
    for (const T& item : items) {
        total += item.weight;
    }
    uint32_t r = rng.below(total);
    for (const T& item : items) {
        if (r < item.weight) {
            return item;
        }
        r -= item.weight;
    }
    return items[0];
}

// Family r is chosen with weight 1 / (r + 1), through a table of 4096
// equally likely slots so a pick costs one random number.
class FamilyPicker {
  public:
    FamilyPicker() {
        double total = 0;
        for (size_t r = 0; r < kFamilies.size(); ++r) {
            total += 1.0 / static_cast<double>(r + 1);
        }
        double cumulative = 0;
        size_t slot = 0;
        for (size_t r = 0; r < kFamilies.size(); ++r) {
            cumulative += 1.0 / static_cast<double>(r + 1) / total;
            const size_t end = r + 1 == kFamilies.size()
                                   ? m_slots.size()
                                   : static_cast<size_t>(cumulative * m_slots.size());
            for (; slot < end; ++slot) {
                m_slots[slot] = static_cast<uint8_t>(r);
            }
        }
    }
    const char* pick(Random& rng) const { return kFamilies[m_slots[rng.below(m_slots.size())]]; }

  private:
    std::array<uint8_t, 4096> m_slots{};
};

void appendNumber(std::string& out, uint64_t value) {
    char digits[20];
    size_t n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n > 0) {
        out.push_back(digits[--n]);
    }
}

void appendDigits(std::string& out, Random& rng, uint32_t minCount, uint32_t maxCount) {
    const uint32_t count = minCount + rng.below(maxCount - minCount + 1);
    out.push_back(static_cast<char>('1' + rng.below(9)));
    for (uint32_t i = 1; i < count; ++i) {
        out.push_back(static_cast<char>('0' + rng.below(10)));
    }
}

// Variant letters are at most four in a row, so no random run of letters can
// spell a five-letter word such as the absent search string.
void appendLetters(std::string& out, Random& rng, char base, uint32_t minCount, uint32_t maxCount) {
    const uint32_t count = minCount + rng.below(maxCount - minCount + 1);
    for (uint32_t i = 0; i < count; ++i) {
        out.push_back(static_cast<char>(base + rng.below(26)));
    }
}

void appendHex(std::string& out, Random& rng, uint32_t count) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (uint32_t i = 0; i < count; ++i) {
        out.push_back(kHex[rng.below(16)]);
    }
}

// A heuristic token like "iyW@aqc3Dhm7": a digit after every three letters.
void appendHashToken(std::string& out, Random& rng) {
    for (int group = 0; group < 3; ++group) {
        for (int i = 0; i < 3; ++i) {
            out.push_back(static_cast<char>((rng.percent(50) ? 'a' : 'A') + rng.below(26)));
        }
        out.push_back(group == 0 ? '@' : static_cast<char>('0' + rng.below(10)));
    }
}

template <typename... Parts> void append(std::string& out, const Parts*... parts) {
    (out.append(parts), ...);
}

// One product's name for a virus in that product's house style. `generic`
// lets the style fall back on a family-less heuristic name, as real
// products often do.
void makeName(std::string& out, uint32_t style, const Virus& v, bool generic, Random& rng) {
    const char* fam = v.family;
    const Platform& p = *v.platform;
    const ThreatType& t = *v.type;
    switch (style) {
    case 0: // Trojan.Win32.Agent.abc
        append(out, t.name, ".", p.name, ".", fam);
        out.push_back('.');
        appendLetters(out, rng, 'a', 1, 4);
        break;
    case 1: // W32/Agent.XYZ!tr
        append(out, p.shortName, "/", fam, ".");
        appendLetters(out, rng, 'A', 1, 3);
        append(out, "!", t.suffix);
        break;
    case 2: // Gen:Variant.Zusy.1234, Trojan.GenericKD.1234567, Gen:Trojan.Heur.iyW@aqc3Dhm7
        if (generic && rng.percent(50)) {
            append(out, "Trojan.GenericKD.");
            appendDigits(out, rng, 7, 8);
        } else if (generic) {
            append(out, "Gen:", t.name, ".Heur.");
            appendHashToken(out, rng);
        } else {
            append(out, "Gen:Variant.", fam, ".");
            appendDigits(out, rng, 1, 6);
        }
        break;
    case 3: // Trojan:Win32/Agent.A or Trojan:Win32/Agent.A!MTB
        append(out, t.name, ":", p.name, "/", fam, ".");
        appendLetters(out, rng, 'A', 1, 2);
        if (rng.percent(10)) {
            out.append("!MTB");
        }
        break;
    case 4: // Win32:Agent-ABC [Trj]
        append(out, p.name, ":", fam, "-");
        appendLetters(out, rng, 'A', 3, 3);
        append(out, " [", t.tag, "]");
        break;
    case 5: // a variant of Win32/Kryptik.DXYZ trojan
        if (rng.percent(40)) {
            out.append("a variant of ");
        }
        append(out, p.name, "/", fam, ".");
        appendLetters(out, rng, 'A', 1, 4);
        out.push_back(' ');
        for (const char* c = t.name; *c != '\0'; ++c) {
            out.push_back(static_cast<char>(*c >= 'A' && *c <= 'Z' ? *c + ('a' - 'A') : *c));
        }
        break;
    case 6: // Artemis!1A2B3C4D5E6F, Generic.dx!abc, W32/Agent.gen
        if (generic && rng.percent(60)) {
            out.append("Artemis!");
            appendHex(out, rng, 12);
        } else if (generic) {
            out.append("Generic.dx!");
            appendLetters(out, rng, 'a', 3, 3);
        } else {
            append(out, p.shortName, "/", fam, ".");
            if (rng.percent(30)) {
                out.append("gen");
            } else {
                appendLetters(out, rng, 'a', 1, 3);
            }
        }
        break;
    case 7: // Trojan.Gen.2, WS.Reputation.1, W32.Agent!gen3
        if (generic && rng.percent(70)) {
            append(out, t.name, ".Gen.");
            appendDigits(out, rng, 1, 1);
        } else if (generic) {
            out.append("WS.Reputation.1");
        } else {
            append(out, p.shortName, ".", fam);
            if (rng.percent(30)) {
                out.append("!gen");
                appendDigits(out, rng, 1, 1);
            }
        }
        break;
    case 8: // Troj/Agent-ABC, Mal/Generic-S
        if (generic) {
            out.append("Mal/Generic-S");
        } else {
            append(out, t.shortName, "/", fam, "-");
            appendLetters(out, rng, 'A', 1, 3);
        }
        break;
    case 9: // Trojan.DownLoader12.34567, Win32.HLLW.Agent.123
        if (generic) {
            out.append("Trojan.DownLoader");
            appendDigits(out, rng, 1, 2);
            out.push_back('.');
            appendDigits(out, rng, 4, 5);
        } else {
            append(out, p.name, ".HLLW.", fam, ".");
            appendDigits(out, rng, 2, 5);
        }
        break;
    case 10: // TR/Agent.12345, TR/Crypt.XPACK.Gen2
        if (generic) {
            out.append("TR/Crypt.XPACK.Gen");
            appendDigits(out, rng, 1, 1);
        } else {
            append(out, "TR/", fam, ".");
            appendDigits(out, rng, 4, 6);
        }
        break;
    default: // Win.Trojan.Agent-123456
        append(out, p.osName, ".", t.name, ".", fam, "-");
        appendDigits(out, rng, 4, 7);
        break;
    }
}

class DatabaseWriter {
  public:
    DatabaseWriter(const GeneratorSettings& settings,
                   const std::function<void(std::string_view)>& sink)
        : m_settings(settings), m_sink(sink), m_rng(settings.seed * 0x2545F4914F6CDD1Dull + 1) {
        m_out.reserve(kPieceBytes + 64 * 1024);
    }

    void run() {
        for (uint64_t k = 0; k < m_settings.lines; ++k) {
            writeLine(k % kRarePeriod == kRareOffset);
            if (m_out.size() >= kPieceBytes) {
                m_sink(m_out);
                m_out.clear();
            }
        }
        if (!m_out.empty()) {
            m_sink(m_out);
        }
    }

  private:
    void writeLine(bool rare) {
        Virus v{};
        v.family = rare ? kRareFamily : m_families.pick(m_rng);
        v.platform = &pickWeighted(kPlatforms, m_rng);
        v.type = v.platform->macro ? &kTypes[kVirusType] : &pickWeighted(kTypes, m_rng);
        // How widely the virus is detected varies from line to line; a rare
        // line is named by every product so its hits do not depend on luck.
        const uint32_t detectPercent = rare ? 100 : 5 + m_rng.below(91);
        m_out.push_back('|');
        for (int product = 0; product < m_settings.products; ++product) {
            writeField(static_cast<uint32_t>(product), v, rare, detectPercent);
            m_out.push_back('|');
        }
        m_out.append("\r\n");
    }

    void writeField(uint32_t product, const Virus& v, bool rare, uint32_t detectPercent) {
        if (!m_rng.percent(detectPercent)) {
            m_out.append("NO_VIRUS");
            return;
        }
        const uint32_t roll = m_rng.below(200);
        if (!rare && roll == 0) {
            m_out.append("UNKNOWN_VIRUS");
            return;
        }
        if (roll == 1) {
            m_out.push_back('~');
        }
        const bool generic = !rare && m_rng.percent(25);
        makeName(m_out, product % kStyleCount, v, generic, m_rng);
    }

    const GeneratorSettings& m_settings;
    const std::function<void(std::string_view)>& m_sink;
    Random m_rng;
    FamilyPicker m_families;
    std::string m_out;
};

// Past the list, names get a letter suffix ("Arvex-B"); no word may start
// with a digit, or it would be read as the version.
std::string productName(int index) {
    const int listSize = static_cast<int>(kProductNames.size());
    std::string name = kProductNames[static_cast<size_t>(index % listSize)];
    const int round = index / listSize;
    if (round > 0) {
        name += '-';
        name += static_cast<char>('A' + (round - 1) % 26);
        if (round > 26) {
            appendNumber(name, static_cast<uint64_t>((round - 1) / 26));
        }
    }
    return name;
}

class File {
  public:
    File(const std::string& path) : m_path(path), m_file(std::fopen(path.c_str(), "wb")) {
        if (!m_file) {
            fail();
        }
    }
    ~File() {
        if (m_file) {
            std::fclose(m_file);
        }
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    void write(std::string_view bytes) {
        if (std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size()) {
            fail();
        }
    }
    void close() {
        std::FILE* f = m_file;
        m_file = nullptr;
        if (std::fclose(f) != 0) {
            fail();
        }
    }

  private:
    [[noreturn]] void fail() { throw std::runtime_error("cannot write " + m_path); }

    std::string m_path;
    std::FILE* m_file;
};

} // namespace

std::string generateProductTable(const GeneratorSettings& settings) {
    Random rng(settings.seed ^ 0x5DEECE66Dull);
    std::string text = "Generated labels, ";
    appendNumber(text, settings.lines);
    text += " lines, seed ";
    appendNumber(text, settings.seed);
    for (int i = 0; i < settings.products; ++i) {
        const uint32_t year = 9 + rng.below(7);
        const uint32_t month = 1 + rng.below(12);
        char version[64];
        std::snprintf(version, sizeof version, " 20%02u.%02u %02u/%02u", year, month, month, year);
        text += '|';
        text += productName(i);
        text += version;
    }
    text += "\r\n";
    return text;
}

void generateNameDatabase(const GeneratorSettings& settings,
                          const std::function<void(std::string_view)>& sink) {
    DatabaseWriter(settings, sink).run();
}

void writeDatabaseFiles(const GeneratorSettings& settings, const std::string& directory) {
    File table(directory + "/NOMIX.CFG");
    table.write(generateProductTable(settings));
    table.close();
    File names(directory + "/NOMIX.DAT");
    generateNameDatabase(settings, [&](std::string_view piece) { names.write(piece); });
    names.close();
}

} // namespace nomix::bench
