// SPDX-License-Identifier: MIT
#pragma once

#include <QPoint>
#include <QSize>
#include <QStringView>

#include <array>
#include <cstdint>
#include <vector>

namespace nomix {

// The pure half of the LED display: segment shapes, glyphs, control size and
// the placing of a caption into cells. Kept apart from the widget so that the
// pixel rules can be checked without painting anything.

// Filled polygons, or lines for small sizes.
enum class LedDrawMode : uint8_t { Polygon, Line };

inline constexpr int kLedSegmentCount = 18;
inline constexpr int kLedMinSegmentSize = 1;
inline constexpr int kLedMaxSegmentSize = 16;
// Columns and rows beyond this would only overflow the pixel arithmetic.
inline constexpr int kLedMaxCells = 4096;

inline constexpr int kLedPointSegment = 15;
inline constexpr int kLedCommaSegment = 16;
inline constexpr int kLedUpperColonSegment = 17;
inline constexpr int kLedLowerColonSegment = 18;
// Reserved for the colon: it lights its two dots and nothing else.
inline constexpr uint16_t kLedColonMask = 0xFFFF;

// Pixel measures of one geometry, derived from the draw mode and segment size.
struct LedMetrics {
    bool lineGeometry = false;
    int scale = 1;
    int firstCellX = 2;
    int cellAdvance = 17;
    int rowAdvance = 30;
    int penWidth = 1; // lines only
};

LedMetrics ledMetricsFor(LedDrawMode mode, int segmentSize);
QSize ledControlSize(LedDrawMode mode, int segmentSize, int columns, int rows);

// Nearest integer, halves to the even neighbour.
int roundHalfEven(double value);

// One segment at the current scale, relative to its cell's origin: up to six
// polygon vertices, or the two end points of a line.
struct LedSegmentShape {
    std::array<QPoint, 6> points{};
    int count = 0;
};
// Indexed by segment number - 1.
using LedSegmentShapes = std::array<LedSegmentShape, kLedSegmentCount>;

LedSegmentShapes scaleLedSegments(const LedMetrics& metrics);

// Bit 15 stands for segment 1, bit 0 for segment 16; 0 for a blank cell.
uint16_t ledGlyphMask(char16_t ch);

enum class LedSegmentLight { Hidden, Unlit, Lit };
LedSegmentLight ledSegmentLightFor(uint16_t mask, int segment);

// A cell as it finally shows: its origin in pixels and its segment mask.
struct LedCell {
    int x = 0;
    int y = 0;
    uint16_t mask = 0;
    bool operator==(const LedCell&) const = default;
};

// Fills `cells` (cleared first, capacity kept) with every cell to draw.
void layOutLedText(QStringView caption, int columns, int rows, const LedMetrics& metrics,
                   std::vector<LedCell>& cells);

} // namespace nomix
