// SPDX-License-Identifier: MIT
#include "balloonstyle.h"

#include <QApplication>
#include <QToolTip>

#include <algorithm>

namespace nomix {

BalloonStyle::BalloonStyle(QObject* owner)
    : QObject(owner), m_color(QToolTip::palette().color(QPalette::ToolTipBase)),
      m_font(QApplication::font()) {}

void BalloonStyle::setBorderColor(const QColor& color) {
    m_borderColor = color;
}

void BalloonStyle::setColor(const QColor& color) {
    m_color = color;
}

void BalloonStyle::setFont(const QFont& font) {
    m_font = font;
}

void BalloonStyle::setFontColor(const QColor& color) {
    m_fontColor = color;
}

void BalloonStyle::setMaxWidth(int maxWidth) {
    m_maxWidth = maxWidth;
}

int BalloonStyle::maxPixelWidthOn(int screenWidth) const {
    return maxPixelWidth(m_maxWidth, screenWidth);
}

void BalloonStyle::setBehavior(BalloonBehaviors behavior) {
    m_behavior = behavior;
}

void BalloonStyle::setPosition(BalloonPosition position) {
    m_position = position;
}

void BalloonStyle::setShadowDepth(int depth) {
    m_shadowDepth = std::clamp(depth, 0, kMaxShadowDepth);
}

void BalloonStyle::setShadowStyle(BalloonShadowStyle style) {
    m_shadowStyle = style;
}

void BalloonStyle::setShape(BalloonShape shape) {
    m_shape = shape;
}

void BalloonStyle::setHintStyle(HintStyle style) {
    m_style = style;
}

} // namespace nomix
