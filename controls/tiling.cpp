// SPDX-License-Identifier: MIT
#include "tiling.h"

#include <algorithm>

namespace nomix {

namespace {

// Whole tiles, plus one for a remainder; at least one.
int tileCount(int length, int tileLength) {
    const int whole = length / tileLength;
    return (length % tileLength != 0 || whole == 0) ? whole + 1 : whole;
}

} // namespace

std::vector<QRect> tileRects(const QRect& area, const QSize& tile) {
    std::vector<QRect> rects;
    if (tile.isEmpty() || area.isEmpty()) {
        return rects;
    }
    const int rows = tileCount(area.height(), tile.height());
    const int columns = tileCount(area.width(), tile.width());
    rects.reserve(static_cast<size_t>(rows) * static_cast<size_t>(columns));
    for (int row = 0; row < rows; ++row) {
        const int y = row * tile.height();
        const int tileHeight = std::min(tile.height(), area.height() - y);
        for (int column = 0; column < columns; ++column) {
            const int x = column * tile.width();
            const int tileWidth = std::min(tile.width(), area.width() - x);
            rects.emplace_back(area.left() + x, area.top() + y, tileWidth, tileHeight);
        }
    }
    return rects;
}

} // namespace nomix
