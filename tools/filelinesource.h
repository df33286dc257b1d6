// SPDX-License-Identifier: MIT
#pragma once

#include "linesource.h"

#include "core/database.h"
#include "core/streamsearch.h"

#include <memory>

namespace nomix {

// The file pair of a data folder, the database read a block at a time so the
// memory used does not grow with it.
class FileLineSource final : public LineSource {
  public:
    // Opens both files, under the folder's lock so that an import replacing
    // them meanwhile is not seen half done; what is open stays readable
    // after that. Throws NomixError naming what is missing, FileError.
    explicit FileLineSource(const DataLocation& location);

    const ProductTable& productTable() const override { return m_table; }
    bool isUtf8() override;
    int64_t search(const SearchRequest& request, const LineHandler& onHit) override;
    void forEachLine(const LineHandler& onLine) override;

  private:
    ProductTable m_table;
    std::unique_ptr<FileByteSource> m_database;
};

} // namespace nomix
