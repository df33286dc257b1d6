// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nomix {

enum class ResultFormat { Tsv, Csv, Json, JsonLines };

// Writes hits in the formats other tools read: tab-separated values (a tab,
// line break or backslash in a name escaped as \t, \n, \r, \\), CSV after
// RFC 4180, JSON Lines ({"line": N, "names": {PRODUCT: NAME, ...}}, N the
// hit's 1-based line in the name database, PRODUCT the product's name without
// its version and date) and JSON (one array of those objects, for readers
// that take a whole document). Text goes out in UTF-8: a
// name that is not valid UTF-8 is read as Windows-1252, as the program shows
// it. The command line, the grid's export and its copy all write through
// here, so they never disagree.
class ResultWriter {
  public:
    using Sink = std::function<void(std::string_view)>;

    // `products`: the titles of the products taking part, in column order.
    // With `withFamily`, each row begins with the line's family: a first
    // column "Family" in TSV and CSV, a key "family" (a string, or null for
    // none) in JSON.
    ResultWriter(ResultFormat format, std::vector<std::string> products, Sink sink,
                 bool withFamily = false);

    // The row of product titles (none in JSON Lines), or the array's start.
    void header();
    // One hit: its 0-based line index and one name per product taking part,
    // and its family (empty for none) when the rows show families.
    void row(size_t lineIndex, const std::vector<std::string_view>& names,
             std::string_view family = {});
    // After the last row: closes the JSON array; nothing in other formats.
    void finish();

  private:
    void putField(std::string_view bytes);
    void putSeparator(bool first);
    void putRowEnd();
    void putNamesObject(size_t lineIndex, const std::vector<std::string_view>& names,
                        std::string_view family);

    ResultFormat m_format;
    std::vector<std::string> m_products;
    std::vector<std::string> m_keys; // JSON: the products' names, each once
    bool m_withFamily;
    Sink m_sink;
    std::string m_buffer;
    bool m_firstRow = true;
};

// The format a file name's extension asks for, in any letter case: ".csv"
// CSV, ".json" JSON, ".jsonl" JSON Lines, ".tsv" and ".txt" tab-separated
// values; none for any other name.
std::optional<ResultFormat> resultFormatForFileName(std::string_view fileName);

// Appends `text` as one field of tab-separated values: a tab, line break or
// backslash written as \t, \n, \r or \\.
void appendTsvField(std::string& out, std::string_view text);

} // namespace nomix
