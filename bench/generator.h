// SPDX-License-Identifier: MIT
#pragma once

// Deterministic product tables and name databases of any size, with names in
// the styles real products use, for benchmarks and stress tests. The same
// settings give the same bytes on every machine and every run.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace nomix::bench {

// Part of the cache key of generated files: raise it whenever the output of
// the same settings changes.
inline constexpr int kGeneratorVersion = 1;

struct GeneratorSettings {
    uint64_t lines = 100000;
    int products = 24;
    uint64_t seed = 1;
};

// Search strings whose frequency the generator guarantees, so benchmarks can
// rely on them: the rare one stands in about one line in 20,000, the common
// one in about one line in five, and the absent one in none.
inline constexpr std::string_view kRareString = "stuxnet";
inline constexpr std::string_view kCommonString = "agent";
inline constexpr std::string_view kAbsentString = "petya";

// The product table: "label|entry|...|entry" and CR LF, each entry being
// "Name words Version Date".
std::string generateProductTable(const GeneratorSettings& settings);

// The name database, handed to `sink` in consecutive pieces of about a
// megabyte: one line per virus, "|name|name|...|name|" and CR LF, one
// non-empty field per product.
void generateNameDatabase(const GeneratorSettings& settings,
                          const std::function<void(std::string_view)>& sink);

// Writes NOMIX.CFG and NOMIX.DAT into `directory`, which must exist. Throws
// std::runtime_error naming the file on any failure.
void writeDatabaseFiles(const GeneratorSettings& settings, const std::string& directory);

} // namespace nomix::bench
