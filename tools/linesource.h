// SPDX-License-Identifier: MIT
#pragma once

#include "core/producttable.h"
#include "core/searchengine.h"

#include <cstdint>
#include <functional>
#include <string_view>

namespace nomix {

// Where nomix95-cli's lines come from: the file pair of a data folder or a
// team database on a server. Whatever it is, the same output code prints
// what it hands over, so both print the same for the same data.
class LineSource {
  public:
    // A line's index (0-based, in the name database's order) and its text
    // without the first and last character; the text lives only during the
    // call.
    using LineHandler = std::function<void(uint64_t index, std::string_view text)>;

    virtual ~LineSource() = default;

    virtual const ProductTable& productTable() const = 0;

    // True when the lines are UTF-8 (else Windows-1252): a typed string
    // beyond ASCII is encoded to match. May read every line.
    virtual bool isUtf8() = 0;

    // The hits of `request` in line order, each handed to `onHit` when it is
    // given. Returns the hit count.
    virtual int64_t search(const SearchRequest& request, const LineHandler& onHit) = 0;

    // Every line in order.
    virtual void forEachLine(const LineHandler& onLine) = 0;
};

} // namespace nomix
