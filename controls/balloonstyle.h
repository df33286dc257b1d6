// SPDX-License-Identifier: MIT
#pragma once

#include "balloongeometry.h"

#include <QColor>
#include <QFont>
#include <QObject>

namespace nomix {

// The settings every balloon is drawn with. Kept apart from the hint
// machinery so that a balloon window can be drawn from any settings block;
// costs one font and a few bytes.
class BalloonStyle : public QObject {
    Q_OBJECT

  public:
    explicit BalloonStyle(QObject* owner = nullptr);

    QColor borderColor() const { return m_borderColor; }
    void setBorderColor(const QColor& color);

    QColor color() const { return m_color; }
    void setColor(const QColor& color);

    // font() and fontColor() are used with HintStyle::Custom only.
    const QFont& font() const { return m_font; }
    void setFont(const QFont& font);

    QColor fontColor() const { return m_fontColor; }
    void setFontColor(const QColor& color);

    // Pixels when positive, a fraction of the screen width (-n: 1/n) when
    // negative.
    int maxWidth() const { return m_maxWidth; }
    void setMaxWidth(int maxWidth);
    // The widest balloon on a screen `screenWidth` pixels wide.
    int maxPixelWidthOn(int screenWidth) const;

    BalloonBehaviors behavior() const { return m_behavior; }
    void setBehavior(BalloonBehaviors behavior);

    BalloonPosition position() const { return m_position; }
    void setPosition(BalloonPosition position);

    // 0 means no shadow; values beyond kMaxShadowDepth are cut to it.
    int shadowDepth() const { return m_shadowDepth; }
    void setShadowDepth(int depth);

    BalloonShadowStyle shadowStyle() const { return m_shadowStyle; }
    void setShadowStyle(BalloonShadowStyle style);

    BalloonShape shape() const { return m_shape; }
    void setShape(BalloonShape shape);

    HintStyle hintStyle() const { return m_style; }
    void setHintStyle(HintStyle style);

  private:
    QColor m_borderColor{Qt::black};
    QColor m_color;
    QFont m_font;
    QColor m_fontColor{Qt::black};
    int m_maxWidth = -4;
    BalloonBehaviors m_behavior{BalloonBehavior::NoShowMouseDown | BalloonBehavior::UseRegions |
                                BalloonBehavior::HideOnPaint};
    BalloonPosition m_position = BalloonPosition::AboveRight;
    int m_shadowDepth = 8;
    BalloonShadowStyle m_shadowStyle = BalloonShadowStyle::Shaded;
    BalloonShape m_shape = BalloonShape::RoundRect;
    HintStyle m_style = HintStyle::Default;
};

} // namespace nomix
