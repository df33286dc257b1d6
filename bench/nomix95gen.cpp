// SPDX-License-Identifier: MIT
// nomix95-gen: writes a deterministic product table and name database for
// benchmarks and stress tests.

#include "generator.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace {

constexpr const char* kUsage =
    "Usage: nomix95-gen [--lines N] [--products P] [--seed S] [--out DIR]\n"
    "Writes DIR/NOMIX.CFG (P products) and DIR/NOMIX.DAT (N lines, CR LF).\n"
    "The same N, P and S always give the same bytes.\n"
    "Defaults: --lines 100000 --products 24 --seed 1 --out .\n"
    "  --version   prints the generator version (part of cache keys)\n";

uint64_t parseNumber(const std::string& option, const char* text, uint64_t min, uint64_t max) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (*text == '\0' || *text == '-' || *end != '\0' || value < min || value > max) {
        throw std::runtime_error(option + " needs a whole number from " + std::to_string(min) +
                                 " to " + std::to_string(max));
    }
    return value;
}

} // namespace

int main(int argc, char** argv) {
    try {
        nomix::bench::GeneratorSettings settings;
        std::string out = ".";
        for (int i = 1; i < argc; ++i) {
            const std::string option = argv[i];
            if (option == "--help" || option == "-h") {
                std::fputs(kUsage, stdout);
                return 0;
            }
            if (option == "--version") {
                std::printf("nomix95-gen %d\n", nomix::bench::kGeneratorVersion);
                return 0;
            }
            if (i + 1 >= argc) {
                throw std::runtime_error("unknown option or missing value: " + option);
            }
            const char* value = argv[++i];
            if (option == "--lines") {
                settings.lines = parseNumber(option, value, 0, 4000000000ull);
            } else if (option == "--products") {
                settings.products = static_cast<int>(parseNumber(option, value, 1, 10000));
            } else if (option == "--seed") {
                settings.seed = parseNumber(option, value, 0, UINT64_MAX);
            } else if (option == "--out") {
                out = value;
            } else {
                throw std::runtime_error("unknown option: " + option);
            }
        }
        std::filesystem::create_directories(out);
        nomix::bench::writeDatabaseFiles(settings, out);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "nomix95-gen: %s\n%s", e.what(), kUsage);
        return 2;
    }
}
