// SPDX-License-Identifier: MIT
#include "ledgeometry.h"

#include <algorithm>
#include <cmath>

namespace nomix {

namespace {

// Glyph units are single-precision on purpose: 2.8, 7.8, 20.2 and 25.2 must
// round exactly as their nearest float values do.
struct UnitPoint {
    float x;
    float y;
};

struct UnitShape {
    std::array<UnitPoint, 6> points;
    int count;
};

constexpr std::array<UnitShape, kLedSegmentCount> kPolygonSegments{{
    {{{{2, 2}, {3, 1}, {11, 1}, {12, 2}, {11, 3}, {3, 3}}}, 6},
    {{{{2, 3}, {3, 4}, {3, 12}, {2, 13}, {1, 12}, {1, 4}}}, 6},
    {{{{3.5f, 2.8f}, {5.5f, 7.8f}, {5.5f, 13}, {3.5f, 8}}}, 4},
    {{{{7, 3}, {8, 4}, {8, 12}, {7, 13}, {6, 12}, {6, 4}}}, 6},
    {{{{10.5f, 2.8f}, {10.5f, 8}, {8.5f, 13}, {8.5f, 7.8f}}}, 4},
    {{{{12, 3}, {13, 4}, {13, 12}, {12, 13}, {11, 12}, {11, 4}}}, 6},
    {{{{2, 14}, {3, 13}, {6, 13}, {7, 14}, {6, 15}, {3, 15}}}, 6},
    {{{{7, 14}, {8, 13}, {11, 13}, {12, 14}, {11, 15}, {8, 15}}}, 6},
    {{{{2, 15}, {3, 16}, {3, 24}, {2, 25}, {1, 24}, {1, 16}}}, 6},
    {{{{5.5f, 15}, {5.5f, 20.2f}, {3.5f, 25.2f}, {3.5f, 20}}}, 4},
    {{{{7, 15}, {8, 16}, {8, 24}, {7, 25}, {6, 24}, {6, 16}}}, 6},
    {{{{8.5f, 15}, {10.5f, 20}, {10.5f, 25.2f}, {8.5f, 20.2f}}}, 4},
    {{{{12, 15}, {13, 16}, {13, 24}, {12, 25}, {11, 24}, {11, 16}}}, 6},
    {{{{2, 26}, {3, 25}, {11, 25}, {12, 26}, {11, 27}, {3, 27}}}, 6},
    {{{{14, 25}, {16, 25}, {16, 27}, {14, 27}}}, 4},
    {{{{14, 25}, {16, 25}, {16, 27}, {13, 30}, {14, 27}}}, 5},
    {{{{6, 10}, {8, 10}, {8, 12}, {6, 12}}}, 4},
    {{{{6, 16}, {8, 16}, {8, 18}, {6, 18}}}, 4},
}};

constexpr std::array<UnitShape, kLedSegmentCount> kLineSegments{{
    {{{{2, 2}, {6, 2}}}, 2},
    {{{{2, 3}, {2, 7}}}, 2},
    {{{{2, 3}, {3.5f, 7}}}, 2},
    {{{{4, 3}, {4, 7}}}, 2},
    {{{{6, 3}, {4.5f, 7}}}, 2},
    {{{{6, 3}, {6, 7}}}, 2},
    {{{{2, 8}, {4, 8}}}, 2},
    {{{{4, 8}, {6, 8}}}, 2},
    {{{{2, 9}, {2, 13}}}, 2},
    {{{{3.5f, 9}, {2, 13}}}, 2},
    {{{{4, 9}, {4, 13}}}, 2},
    {{{{4.5f, 9}, {6, 13}}}, 2},
    {{{{6, 9}, {6, 13}}}, 2},
    {{{{2, 14}, {6, 14}}}, 2},
    {{{{7, 14}, {7.5f, 14}}}, 2},
    {{{{7, 14}, {6, 16}}}, 2},
    {{{{4, 5}, {4, 6}}}, 2},
    {{{{4, 9}, {4, 10}}}, 2},
}};

// Masks for ' ' .. backslash; lower-case letters share the upper-case entries.
constexpr char16_t kFirstGlyphChar = u' ';
constexpr std::array<uint16_t, 61> kGlyphMasks{
    0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, // space ! " # $ % & '
    0x0000, 0x0000, 0x3B70, 0x1320, 0x0001, 0x0300, 0x0002, 0x0840, // ( ) * + , - . /
    0xCCCC, 0x1020, 0x8784, 0x870C, 0x4708, 0xC30C, 0xC38C, 0x8408, // 0 .. 7
    0xC78C, 0xC70C, 0xFFFF, 0x0000, 0x0810, 0x0000, 0x2040, 0x0000, // 8 9 : ; < = > ?
    0x0000, 0xC788, 0x952C, 0xC084, 0x942C, 0xC384, 0xC380, 0xC18C, // @ A .. G
    0x4788, 0x9024, 0x048C, 0x4A90, 0x4084, 0x6C88, 0x6498, 0xC48C, // H .. O
    0xC780, 0xC49E, 0xC790, 0xC214, 0x9020, 0x448C, 0x48C0, 0x44D8, // P .. W
    0x2850, 0x2820, 0x8844, 0x0000, 0x2010,                         // X Y Z [ backslash
};

LedSegmentShape scaleShape(const UnitShape& unit, int scale) {
    LedSegmentShape shape;
    shape.count = unit.count;
    for (int i = 0; i < unit.count; ++i) {
        const UnitPoint p = unit.points[static_cast<size_t>(i)];
        shape.points[static_cast<size_t>(i)] =
            QPoint(roundHalfEven(static_cast<double>(p.x) * scale),
                   roundHalfEven(static_cast<double>(p.y) * scale));
    }
    return shape;
}

bool isPointOrComma(char16_t ch) {
    return ch == u'.' || ch == u',';
}

// The walk over the caption: where the next cell goes and how full the
// current row is.
struct LayoutCursor {
    const LedMetrics& metrics;
    int columns;
    int rows;
    std::vector<LedCell>& cells;
    int x = metrics.firstCellX;
    int y = 0;
    int row = 1;
    int used = 0;

    void putCell(uint16_t mask) {
        cells.push_back({x, y, mask});
        x += metrics.cellAdvance;
        ++used;
    }

    void padRow() {
        while (used < columns) {
            putCell(0);
        }
    }

    // False when the new row would lie below the display: drawing stops.
    bool startRow() {
        ++row;
        if (row > rows) {
            return false;
        }
        y += metrics.rowAdvance;
        x = metrics.firstCellX;
        used = 0;
        return true;
    }
};

} // namespace

LedMetrics ledMetricsFor(LedDrawMode mode, int segmentSize) {
    LedMetrics m;
    m.lineGeometry = mode == LedDrawMode::Line || segmentSize == 1;
    m.scale = m.lineGeometry ? segmentSize : segmentSize - 1;
    m.firstCellX = segmentSize;
    m.cellAdvance = (m.lineGeometry ? 8 : 17) * m.scale;
    m.rowAdvance = (m.lineGeometry ? 20 : 30) * m.scale;
    m.penWidth = segmentSize;
    return m;
}

QSize ledControlSize(LedDrawMode mode, int segmentSize, int columns, int rows) {
    const LedMetrics m = ledMetricsFor(mode, segmentSize);
    if (!m.lineGeometry) {
        return {columns * 17 * m.scale, rows * m.rowAdvance};
    }
    if (columns <= 0) {
        return {0, rows * m.rowAdvance};
    }
    const int width = segmentSize == 1 ? columns * 9 : segmentSize * (9 * columns - 7);
    // With thick lines and fewer than eight columns that width would cut the
    // last cells in half; never be narrower than the cells themselves.
    return {std::max(width, m.firstCellX + columns * m.cellAdvance), rows * m.rowAdvance};
}

int roundHalfEven(double value) {
    const double lower = std::floor(value);
    const double fraction = value - lower;
    int result = static_cast<int>(lower);
    if (fraction > 0.5 || (fraction == 0.5 && result % 2 != 0)) {
        ++result;
    }
    return result;
}

LedSegmentShapes scaleLedSegments(const LedMetrics& metrics) {
    const auto& units = metrics.lineGeometry ? kLineSegments : kPolygonSegments;
    LedSegmentShapes shapes;
    for (size_t s = 0; s < shapes.size(); ++s) {
        shapes[s] = scaleShape(units[s], metrics.scale);
    }
    return shapes;
}

uint16_t ledGlyphMask(char16_t ch) {
    if (ch >= u'a' && ch <= u'z') {
        ch = static_cast<char16_t>(ch - u'a' + u'A');
    }
    if (ch < kFirstGlyphChar || ch >= kFirstGlyphChar + kGlyphMasks.size()) {
        return 0;
    }
    return kGlyphMasks[ch - kFirstGlyphChar];
}

LedSegmentLight ledSegmentLightFor(uint16_t mask, int segment) {
    if (mask == kLedColonMask) {
        return segment >= kLedUpperColonSegment ? LedSegmentLight::Lit : LedSegmentLight::Hidden;
    }
    if (segment < 1 || segment > kLedCommaSegment) {
        return LedSegmentLight::Hidden;
    }
    if (mask & (0x8000u >> (segment - 1))) {
        return LedSegmentLight::Lit;
    }
    // An unlit point or comma would clutter every cell.
    return segment >= kLedPointSegment ? LedSegmentLight::Hidden : LedSegmentLight::Unlit;
}

// A point or comma joins the cell before it, so "12.5" takes three cells. It
// gets a blank cell of its own when it follows another point or comma, or
// when it begins a row: there is no cell before it to join there. Line feeds
// are ignored altogether, so they cannot part a point from its digit.
void layOutLedText(QStringView caption, int columns, int rows, const LedMetrics& metrics,
                   std::vector<LedCell>& cells) {
    cells.clear();
    LayoutCursor cursor{metrics, columns, rows, cells};
    char16_t previous = 0;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        const char16_t ch = caption[i].unicode();
        if (ch == u'\n') {
            continue;
        }
        if (i > 0 && caption[i].isLowSurrogate() && caption[i - 1].isHighSurrogate()) {
            continue; // the second half of a character already drawn as a blank
        }
        if (ch == u'\r') {
            cursor.padRow();
            if (!cursor.startRow()) {
                return;
            }
            previous = ch;
            continue;
        }
        if (cursor.used == columns && !cursor.startRow()) {
            return;
        }
        const uint16_t mask = ledGlyphMask(ch);
        if (isPointOrComma(ch) && !isPointOrComma(previous) && cursor.used > 0) {
            cells.back().mask |= mask;
        } else {
            cursor.putCell(mask);
        }
        previous = ch;
    }
    cursor.padRow();
    if (caption.size() < static_cast<qsizetype>(columns) * rows) {
        while (cursor.startRow()) {
            cursor.padRow();
        }
    }
}

} // namespace nomix
