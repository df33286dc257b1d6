// SPDX-License-Identifier: MIT
#include "aboutpaper.h"

#include <QColor>
#include <QPainter>

#include <array>
#include <cstdint>

namespace nomix {

namespace {

// Side of the texture tile, in pixels.
constexpr int kAboutPaperSide = 80;

// A small generator of our own rather than std::minstd_rand with a
// distribution: the standard distributions may differ between libraries,
// and the picture must not.
class Grain {
  public:
    explicit Grain(uint32_t seed) : m_state(seed) {}
    int below(int limit) {
        m_state = m_state * 1664525u + 1013904223u;
        return int((m_state >> 8) % uint32_t(limit));
    }

  private:
    uint32_t m_state;
};

constexpr std::array<QRgb, 6> kGreys = {
    qRgb(226, 226, 222), qRgb(230, 230, 226), qRgb(233, 233, 229),
    qRgb(236, 236, 232), qRgb(239, 239, 235), qRgb(243, 243, 239),
};

constexpr std::array<QRgb, 6> kPastels = {
    qRgb(242, 214, 222), // rose
    qRgb(212, 226, 244), // sky
    qRgb(214, 238, 218), // mint
    qRgb(244, 236, 204), // cream
    qRgb(228, 216, 242), // lilac
    qRgb(210, 210, 206), // a darker grey fibre
};

constexpr int kFibres = 70;

// Fibres are drawn once for every neighbouring copy of the tile, so one that
// leaves an edge comes back in at the opposite edge.
void drawWrapped(QPainter& painter, QPoint from, QPoint to) {
    for (int dy = -kAboutPaperSide; dy <= kAboutPaperSide; dy += kAboutPaperSide) {
        for (int dx = -kAboutPaperSide; dx <= kAboutPaperSide; dx += kAboutPaperSide) {
            painter.drawLine(from + QPoint(dx, dy), to + QPoint(dx, dy));
        }
    }
}

} // namespace

QImage aboutPaperTexture() {
    QImage paper(kAboutPaperSide, kAboutPaperSide, QImage::Format_RGB32);
    Grain grain(0x9E3779B9u);
    for (int y = 0; y < kAboutPaperSide; ++y) {
        for (int x = 0; x < kAboutPaperSide; ++x) {
            // Mostly the four middle greys, now and then the lightest or
            // darkest as a fleck.
            const bool fleck = grain.below(8) == 0;
            const int shade = fleck ? (grain.below(2) == 0 ? 0 : 5) : 1 + grain.below(4);
            paper.setPixel(x, y, kGreys[std::size_t(shade)]);
        }
    }
    QPainter painter(&paper);
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (int i = 0; i < kFibres; ++i) {
        painter.setPen(QColor(kPastels[std::size_t(grain.below(int(kPastels.size())))]));
        const QPoint from(grain.below(kAboutPaperSide), grain.below(kAboutPaperSide));
        const QPoint reach(grain.below(15) - 7, grain.below(15) - 7);
        drawWrapped(painter, from, from + reach);
    }
    painter.end();
    return paper.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
}

} // namespace nomix
