#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace nomix {

enum class ResultFormat { Tsv, Csv, JsonLines };

// Writes hits in the formats other tools read: tab-separated values (a tab,
// line break or backslash in a name escaped as \t, \n, \r, \\), CSV after
// RFC 4180, and JSON Lines ({"line": N, "names": {PRODUCT: NAME, ...}}, N
// the hit's 1-based line in the name database). Text goes out in UTF-8: a
// name that is not valid UTF-8 is read as Windows-1252, as the program shows
// it. The command line, the grid's export and its copy all write through
// here, so they never disagree.
class ResultWriter {
  public:
    using Sink = std::function<void(std::string_view)>;

    // `products`: the titles of the products taking part, in column order.
    ResultWriter(ResultFormat format, std::vector<std::string> products, Sink sink);

    // The row of product titles (none in JSON Lines).
    void header();
    // One hit: its 0-based line index and one name per product taking part.
    void row(size_t lineIndex, const std::vector<std::string_view>& names);

  private:
    void putField(std::string_view bytes);
    void putSeparator(bool first);
    void putRowEnd();

    ResultFormat m_format;
    std::vector<std::string> m_products;
    Sink m_sink;
    std::string m_buffer;
};

// The format a file name asks for: ".json" and ".jsonl" JSON Lines, ".tsv"
// and ".txt" tab-separated values, anything else CSV.
ResultFormat resultFormatForFileName(std::string_view fileName);

} // namespace nomix
