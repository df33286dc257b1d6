#include "balloonstyle.h"

#include <QApplication>
#include <QToolTip>

#include <algorithm>

namespace nomix {

BalloonStyle::BalloonStyle(QObject* owner)
    : QObject(owner), color_(QToolTip::palette().color(QPalette::ToolTipBase)),
      font_(QApplication::font()) {}

void BalloonStyle::SetBorderColor(const QColor& color) {
    borderColor_ = color;
}

void BalloonStyle::SetColor(const QColor& color) {
    color_ = color;
}

void BalloonStyle::SetFont(const QFont& font) {
    font_ = font;
}

void BalloonStyle::SetFontColor(const QColor& color) {
    fontColor_ = color;
}

void BalloonStyle::SetMaxWidth(int maxWidth) {
    maxWidth_ = maxWidth;
}

int BalloonStyle::MaxPixelWidthOn(int screenWidth) const {
    return MaxPixelWidth(maxWidth_, screenWidth);
}

void BalloonStyle::SetBehavior(TBalloonBehaviors behavior) {
    behavior_ = behavior;
}

void BalloonStyle::SetPosition(BalloonPosition position) {
    position_ = position;
}

void BalloonStyle::SetShadowDepth(int depth) {
    shadowDepth_ = std::clamp(depth, 0, MaxShadowDepth);
}

void BalloonStyle::SetShadowStyle(BalloonShadowStyle style) {
    shadowStyle_ = style;
}

void BalloonStyle::SetShape(BalloonShape shape) {
    shape_ = shape;
}

void BalloonStyle::SetStyle(HintStyle style) {
    style_ = style;
}

} // namespace nomix
