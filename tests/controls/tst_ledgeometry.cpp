// SPDX-License-Identifier: MIT
#include "controls/ledgeometry.h"

#include <QTest>

#include <initializer_list>

using namespace nomix;

namespace {

uint16_t maskOf(std::initializer_list<int> segments) {
    uint16_t mask = 0;
    for (int s : segments) {
        mask |= static_cast<uint16_t>(0x8000u >> (s - 1));
    }
    return mask;
}

// A cell's mask as the character it shows, with "." or "," when the point
// or comma is lit too: "_" for a blank cell, ":" for the colon.
QString cellToken(uint16_t mask) {
    if (mask == kLedColonMask) {
        return QStringLiteral(":");
    }
    const uint16_t body = mask & ~0x0003u;
    QString token = QStringLiteral("_");
    if (body != 0) {
        token = QStringLiteral("?");
        for (QChar ch : QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ*+-/<>\\")) {
            if (ledGlyphMask(ch.unicode()) == body) {
                token = ch;
                break;
            }
        }
    }
    if (mask & 0x0002) {
        token += u'.';
    }
    if (mask & 0x0001) {
        token += u',';
    }
    return token;
}

// The cells as rows of tokens ("1 2. 5 _ / _ _ _ _"); a cell off its grid
// place shows as "@x,y" so that position faults fail the comparison too.
QString describe(const std::vector<LedCell>& cells, const LedMetrics& m) {
    QStringList rows;
    QStringList row;
    int rowY = 0;
    int column = 0;
    for (const LedCell& cell : cells) {
        if (cell.y != rowY) {
            rows << row.join(u' ');
            row.clear();
            rowY = cell.y;
            column = 0;
        }
        QString token = cellToken(cell.mask);
        const bool onGrid =
            cell.x == m.firstCellX + column * m.cellAdvance && cell.y % m.rowAdvance == 0;
        if (!onGrid) {
            token += QStringLiteral("@%1,%2").arg(cell.x).arg(cell.y);
        }
        row << token;
        ++column;
    }
    if (!row.isEmpty()) {
        rows << row.join(u' ');
    }
    return rows.join(QStringLiteral(" / "));
}

} // namespace

class TestLedGeometry : public QObject {
    Q_OBJECT

  private slots:
    void controlSize_data();
    void controlSize();
    void roundHalfEven_data();
    void roundHalfEven();
    void scaledVertex_data();
    void scaledVertex();
    void glyphMasks_data();
    void glyphMasks();
    void blankGlyphs_data();
    void blankGlyphs();
    void layout_data();
    void layout();
    void counterCellPositions();
};

void TestLedGeometry::controlSize_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("segmentSize");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QSize>("size");

    QTest::newRow("hit counter") << int(LedDrawMode::Polygon) << 2 << 5 << 1 << QSize(85, 30);
    QTest::newRow("polygon size 1 is thin")
        << int(LedDrawMode::Polygon) << 1 << 4 << 1 << QSize(36, 20);
    // Thick lines with few columns: wide enough for the last cell's glyph.
    QTest::newRow("line size 3, 4 columns")
        << int(LedDrawMode::Line) << 3 << 4 << 1 << QSize(99, 60);
    QTest::newRow("line size 2, 1 column")
        << int(LedDrawMode::Line) << 2 << 1 << 1 << QSize(18, 40);
    QTest::newRow("line size 2, 10 columns")
        << int(LedDrawMode::Line) << 2 << 10 << 1 << QSize(166, 40);
    QTest::newRow("no columns") << int(LedDrawMode::Line) << 3 << 0 << 1 << QSize(0, 60);
}

void TestLedGeometry::controlSize() {
    QFETCH(int, mode);
    QFETCH(int, segmentSize);
    QFETCH(int, columns);
    QFETCH(int, rows);
    QFETCH(QSize, size);
    QCOMPARE(ledControlSize(LedDrawMode(mode), segmentSize, columns, rows), size);
}

void TestLedGeometry::roundHalfEven_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("rounded");

    QTest::newRow("0.5") << 0.5 << 0;
    QTest::newRow("2.5") << 2.5 << 2;
    QTest::newRow("3.5") << 3.5 << 4;
    QTest::newRow("10.5") << 10.5 << 10;
    QTest::newRow("-1.5") << -1.5 << -2;
    QTest::newRow("below half") << 2.4999 << 2;
    QTest::newRow("above half") << 2.5001 << 3;
}

void TestLedGeometry::roundHalfEven() {
    QFETCH(double, value);
    QTEST(nomix::roundHalfEven(value), "rounded");
}

void TestLedGeometry::scaledVertex_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("segmentSize");
    QTest::addColumn<int>("segment");
    QTest::addColumn<int>("vertex");
    QTest::addColumn<QPoint>("point");

    // Polygon geometry at scale 1: halves go to the even neighbour.
    QTest::newRow("3.5 gives 4") << int(LedDrawMode::Polygon) << 2 << 3 << 0 << QPoint(4, 3);
    QTest::newRow("10.5 gives 10") << int(LedDrawMode::Polygon) << 2 << 5 << 0 << QPoint(10, 3);
    QTest::newRow("25.2 gives 25") << int(LedDrawMode::Polygon) << 2 << 10 << 2 << QPoint(4, 25);
    // Scale 2 (segment size 3) and 3 (segment size 4).
    QTest::newRow("scale 2 20.2") << int(LedDrawMode::Polygon) << 3 << 10 << 1 << QPoint(11, 40);
    QTest::newRow("scale 3 25.2") << int(LedDrawMode::Polygon) << 4 << 12 << 2 << QPoint(32, 76);
    QTest::newRow("scale 5 17.5") << int(LedDrawMode::Polygon) << 6 << 3 << 0 << QPoint(18, 14);
    QTest::newRow("scale 15") << int(LedDrawMode::Polygon) << 16 << 6 << 1 << QPoint(195, 60);
    // Line geometry.
    QTest::newRow("line 4.5 gives 4") << int(LedDrawMode::Line) << 1 << 5 << 1 << QPoint(4, 7);
    QTest::newRow("line point end 7.5") << int(LedDrawMode::Line) << 1 << 15 << 1 << QPoint(8, 14);
    QTest::newRow("line point end x3") << int(LedDrawMode::Line) << 3 << 15 << 1 << QPoint(22, 42);
    QTest::newRow("thin polygon uses lines")
        << int(LedDrawMode::Polygon) << 1 << 1 << 1 << QPoint(6, 2);
}

void TestLedGeometry::scaledVertex() {
    QFETCH(int, mode);
    QFETCH(int, segmentSize);
    QFETCH(int, segment);
    QFETCH(int, vertex);
    const LedSegmentShapes shapes = scaleLedSegments(ledMetricsFor(LedDrawMode(mode), segmentSize));
    const LedSegmentShape& shape = shapes[size_t(segment - 1)];
    QVERIFY(vertex < shape.count);
    QTEST(shape.points[size_t(vertex)], "point");
}

void TestLedGeometry::glyphMasks_data() {
    QTest::addColumn<QChar>("ch");
    QTest::addColumn<uint>("mask");

    // Each row spells the glyph by its lit segments, so a typo in the mask
    // table shows up here.
    const struct {
        char ch;
        std::initializer_list<int> segments;
    } glyphs[] = {
        // clang-format off
        {'*', {3, 4, 5, 7, 8, 10, 11, 12}}, {'+', {4, 7, 8, 11}}, {',', {16}}, {'-', {7, 8}},
        {'.', {15}}, {'/', {5, 10}}, {'<', {5, 12}}, {'>', {3, 10}}, {'\\', {3, 12}},
        {'0', {1, 2, 5, 6, 9, 10, 13, 14}}, {'1', {4, 11}}, {'2', {1, 6, 7, 8, 9, 14}},
        {'3', {1, 6, 7, 8, 13, 14}}, {'4', {2, 6, 7, 8, 13}}, {'5', {1, 2, 7, 8, 13, 14}},
        {'6', {1, 2, 7, 8, 9, 13, 14}}, {'7', {1, 6, 13}}, {'8', {1, 2, 6, 7, 8, 9, 13, 14}},
        {'9', {1, 2, 6, 7, 8, 13, 14}}, {'A', {1, 2, 6, 7, 8, 9, 13}},
        {'B', {1, 4, 6, 8, 11, 13, 14}}, {'C', {1, 2, 9, 14}}, {'D', {1, 4, 6, 11, 13, 14}},
        {'E', {1, 2, 7, 8, 9, 14}}, {'F', {1, 2, 7, 8, 9}}, {'G', {1, 2, 8, 9, 13, 14}},
        {'H', {2, 6, 7, 8, 9, 13}}, {'I', {1, 4, 11, 14}}, {'J', {6, 9, 13, 14}},
        {'K', {2, 5, 7, 9, 12}}, {'L', {2, 9, 14}}, {'M', {2, 3, 5, 6, 9, 13}},
        {'N', {2, 3, 6, 9, 12, 13}}, {'O', {1, 2, 6, 9, 13, 14}}, {'P', {1, 2, 6, 7, 8, 9}},
        {'Q', {1, 2, 6, 9, 12, 13, 14, 15}}, {'R', {1, 2, 6, 7, 8, 9, 12}},
        {'S', {1, 2, 7, 12, 14}}, {'T', {1, 4, 11}}, {'U', {2, 6, 9, 13, 14}},
        {'V', {2, 5, 9, 10}}, {'W', {2, 6, 9, 10, 12, 13}}, {'X', {3, 5, 10, 12}},
        {'Y', {3, 5, 11}}, {'Z', {1, 5, 10, 14}},
        // clang-format on
    };
    for (const auto& glyph : glyphs) {
        QTest::addRow("%c", glyph.ch) << QChar(glyph.ch) << uint(maskOf(glyph.segments));
    }
    QTest::newRow("colon") << QChar(':') << uint(kLedColonMask);
}

void TestLedGeometry::glyphMasks() {
    QFETCH(QChar, ch);
    QFETCH(uint, mask);
    QCOMPARE(uint(ledGlyphMask(ch.unicode())), mask);
    QCOMPARE(uint(ledGlyphMask(ch.toLower().unicode())), mask);
}

void TestLedGeometry::blankGlyphs_data() {
    QTest::addColumn<QChar>("ch");
    for (char16_t ch : {u'\0', u'\t', u' ', u'!', u';', u'=', u'?', u'@', u'[', u']', u'^', u'_',
                        u'`', u'{', u'|', u'~', u'\x7f', u'\xe9', u'\x2028'}) {
        QTest::addRow("U+%04X", unsigned(ch)) << QChar(ch);
    }
}

void TestLedGeometry::blankGlyphs() {
    QFETCH(QChar, ch);
    QCOMPARE(ledGlyphMask(ch.unicode()), uint16_t(0));
}

void TestLedGeometry::layout_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("cells");

    QTest::newRow("hit counter") << "00042" << 5 << 1 << "0 0 0 4 2";
    QTest::newRow("empty caption") << "" << 4 << 1 << "_ _ _ _";
    QTest::newRow("point joins digit") << "12.5" << 4 << 1 << "1 2. 5 _";
    QTest::newRow("comma joins digit") << "1,5" << 4 << 1 << "1, 5 _ _";
    QTest::newRow("colon has own cell") << "12:30" << 5 << 1 << "1 2 : 3 0";
    QTest::newRow("point after colon shows colon") << "1:." << 3 << 1 << "1 : _";
    QTest::newRow("leading point") << ".5" << 4 << 1 << "_. 5 _ _";
    QTest::newRow("two points") << "1..2" << 4 << 1 << "1. _. 2 _";
    QTest::newRow("point after unknown char") << "?." << 2 << 1 << "_. _";
    QTest::newRow("two letters, two rows") << "AB" << 4 << 2 << "A B _ _ / _ _ _ _";
    QTest::newRow("carriage return") << "1\r2" << 3 << 2 << "1 _ _ / 2 _ _";
    QTest::newRow("carriage return, one row") << "1\r2" << 3 << 1 << "1 _ _";
    QTest::newRow("wraps to next row") << "123456" << 5 << 2 << "1 2 3 4 5 / 6 _ _ _ _";
    QTest::newRow("full row wraps before point") << "12345.6" << 5 << 1 << "1 2 3 4 5";
    QTest::newRow("point beginning a row") << "12345.6" << 5 << 2 << "1 2 3 4 5 / _. 6 _ _ _";
    QTest::newRow("point after carriage return") << "1\r.5" << 3 << 2 << "1 _ _ / _. 5 _";
    QTest::newRow("line feed ignored") << "5\n.3" << 4 << 1 << "5. 3 _ _";
    QTest::newRow("character outside the BMP")
        << QString::fromUtf16(u"A\U0001F600B") << 4 << 1 << "A _ B _";
    // Lower rows are filled only for captions shorter than the grid.
    QTest::newRow("fills lower rows") << "A" << 2 << 3 << "A _ / _ _ / _ _";
    QTest::newRow("long caption leaves lower rows") << "A\n\n\n\n\n\n" << 2 << 3 << "A _";
    QTest::newRow("no columns") << "123" << 0 << 1 << "";
    QTest::newRow("no rows") << "12" << 3 << 0 << "1 2 _";
}

void TestLedGeometry::layout() {
    QFETCH(QString, caption);
    QFETCH(int, columns);
    QFETCH(int, rows);
    for (LedDrawMode mode : {LedDrawMode::Polygon, LedDrawMode::Line}) {
        const LedMetrics m = ledMetricsFor(mode, 2);
        std::vector<LedCell> cells;
        layOutLedText(caption, columns, rows, m, cells);
        QTEST(describe(cells, m), "cells");
    }
}

void TestLedGeometry::counterCellPositions() {
    std::vector<LedCell> cells;
    layOutLedText(u"00000", 5, 1, ledMetricsFor(LedDrawMode::Polygon, 2), cells);
    const std::vector<LedCell> expected = {
        {2, 0, 0xCCCC}, {19, 0, 0xCCCC}, {36, 0, 0xCCCC}, {53, 0, 0xCCCC}, {70, 0, 0xCCCC}};
    QVERIFY(cells == expected);

    layOutLedText(u"12", 3, 1, ledMetricsFor(LedDrawMode::Polygon, 1), cells);
    const std::vector<LedCell> thin = {{1, 0, 0x1020}, {9, 0, 0x8784}, {17, 0, 0}};
    QVERIFY(cells == thin);
}

QTEST_APPLESS_MAIN(TestLedGeometry)
#include "tst_ledgeometry.moc"
