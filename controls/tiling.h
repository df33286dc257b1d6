// SPDX-License-Identifier: MIT
#pragma once

#include <QRect>
#include <QSize>

#include <vector>

namespace nomix {

// Where the copies of a `tile`-sized picture go to cover `area`, laid edge to
// edge from its top-left corner, row by row. Each copy takes the picture's
// top-left part of its own size, so the last column and row are cut. An empty
// tile covers nothing.
std::vector<QRect> tileRects(const QRect& area, const QSize& tile);

} // namespace nomix
