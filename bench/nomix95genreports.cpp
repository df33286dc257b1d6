// SPDX-License-Identifier: MIT
// nomix95-genreports: writes multi-engine scan reports (API v3 file objects)
// for the import benchmark, fast enough for ten million of them.
//
//   nomix95-genreports REPORTS ENGINES lines|array SEED
//
// The same arguments give the same bytes. Each report names every engine:
// about half detect (a name from a few families, so names repeat as real
// labels do), most others find nothing, a few could not scan. Every tenth
// report is a newer analysis of a sample seen before, as daily feeds repeat
// samples.

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr const char* kFamilies[] = {"Trojan.Agent",  "W32/Virut.Gen",    "Backdoor.Zbot",
                                     "Adware.Gen",    "Worm.Allaple",     "Ransom.Petya",
                                     "PUA.Installer", "Downloader.Upatre"};

// splitmix64: small, fast, and the same everywhere.
uint64_t nextRandom(uint64_t& state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

void appendReport(std::string& out, uint64_t& random, uint64_t sample, int64_t date, int engines) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer,
                  "{\"data\":{\"type\":\"file\",\"id\":\"%064" PRIx64 "\",\"attributes\":"
                  "{\"sha256\":\"%064" PRIx64 "\",\"last_analysis_date\":%" PRId64
                  ",\"last_analysis_results\":{",
                  sample, sample, date);
    out += buffer;
    for (int e = 0; e < engines; ++e) {
        const uint64_t r = nextRandom(random);
        const unsigned percent = static_cast<unsigned>(r % 100);
        const char* category = percent < 50   ? "malicious"
                               : percent < 95 ? "undetected"
                                              : "type-unsupported";
        std::snprintf(buffer, sizeof buffer,
                      "%s\"Engine%02d\":{\"category\":\"%s\",\"engine_name\":\"Engine%02d\","
                      "\"engine_version\":\"1.%d\",\"engine_update\":\"20240102\","
                      "\"method\":\"blacklist\",\"result\":",
                      e == 0 ? "" : ",", e, category, e, e);
        out += buffer;
        if (percent < 50) {
            std::snprintf(buffer, sizeof buffer, "\"%s.%u\"}", kFamilies[(r >> 8) % 8],
                          static_cast<unsigned>((r >> 16) % 5000));
            out += buffer;
        } else {
            out += "null}";
        }
    }
    out += "}}}}";
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 5 || (std::strcmp(argv[3], "lines") != 0 && std::strcmp(argv[3], "array") != 0)) {
        std::fputs("Usage: nomix95-genreports REPORTS ENGINES lines|array SEED\n", stderr);
        return 2;
    }
    const uint64_t count = std::strtoull(argv[1], nullptr, 10);
    const int engines = std::atoi(argv[2]);
    const bool array = std::strcmp(argv[3], "array") == 0;
    uint64_t random = std::strtoull(argv[4], nullptr, 10);
    std::string out;
    if (array) {
        out += "[\n";
    }
    for (uint64_t i = 0; i < count; ++i) {
        const uint64_t sample = i % 10 == 9 ? i / 2 : i;
        appendReport(out, random, sample, 1700000000 + static_cast<int64_t>(i), engines);
        out += array && i + 1 < count ? ",\n" : "\n";
        if (out.size() >= (1 << 20)) {
            std::fwrite(out.data(), 1, out.size(), stdout);
            out.clear();
        }
    }
    if (array) {
        out += "]\n";
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return std::ferror(stdout) ? 1 : 0;
}
