// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace nomix {

// The product table: one line naming the database edition and the products,
// "label|entry|entry|...", followed by its line end (CR LF, LF or CR, or
// none), which belongs to no entry. Product i (1-based in the file) is
// column i - 1 everywhere.
struct ProductTable {
    std::string label;                // the database edition, shown on the status bar
    std::vector<std::string> entries; // one per product, unsplit (grid headers)
};

// Parses the first `fileSize` bytes of a product table file: the text ends
// at the first NUL byte, and the line end closing the file is cut off the
// product area.
ProductTable parseProductTable(std::string_view bytes, size_t fileSize);

// Reads the table at `path`. A short read fails with the message
// Could not read file "<nameAsTyped>".
ProductTable readProductTable(const std::string& path, const std::string& nameAsTyped);

// A product entry split into the product list's columns. Every word is
// appended after one blank, so a non-empty name or version starts with a
// blank, as the list shows it.
struct ProductItem {
    std::string name;
    std::string version;
    std::string date;
};

ProductItem splitProductEntry(std::string_view entry);

// A product's name: the words of its entry before the version, without the
// leading blank; an entry without such words (one word, which the product
// list shows as the date, or a first word that begins with a digit) is named
// by the whole entry.
std::string productName(std::string_view entry);

// The names of the entries, each made unique for readers that key by name:
// a name already taken gets "#2", "#3" ... as the import names engines that
// clash.
std::vector<std::string> uniqueProductNames(const std::vector<std::string>& entries);

} // namespace nomix
