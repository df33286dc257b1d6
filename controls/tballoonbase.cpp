#include "tballoonbase.h"

#include <QApplication>
#include <QToolTip>

#include <algorithm>

namespace nomix {

TBalloonBase::TBalloonBase(QObject* owner)
    : QObject(owner), color_(QToolTip::palette().color(QPalette::ToolTipBase)),
      font_(QApplication::font()) {}

void TBalloonBase::SetBorderColor(const QColor& color) {
    borderColor_ = color;
}

void TBalloonBase::SetColor(const QColor& color) {
    color_ = color;
}

void TBalloonBase::SetFont(const QFont& font) {
    font_ = font;
}

void TBalloonBase::SetFontColor(const QColor& color) {
    fontColor_ = color;
}

void TBalloonBase::SetMaxWidth(int maxWidth) {
    maxWidth_ = maxWidth;
}

int TBalloonBase::MaxPixelWidthOn(int screenWidth) const {
    return MaxPixelWidth(maxWidth_, screenWidth);
}

void TBalloonBase::SetBehavior(TBalloonBehaviors behavior) {
    behavior_ = behavior;
}

void TBalloonBase::SetPosition(TBalloonPosition position) {
    position_ = position;
}

void TBalloonBase::SetShadowDepth(int depth) {
    shadowDepth_ = std::clamp(depth, 0, MaxShadowDepth);
}

void TBalloonBase::SetShadowStyle(TBalloonShadowStyle style) {
    shadowStyle_ = style;
}

void TBalloonBase::SetShape(TBalloonShape shape) {
    shape_ = shape;
}

void TBalloonBase::SetStyle(THintStyle style) {
    style_ = style;
}

} // namespace nomix
