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

    QColor BorderColor() const { return borderColor_; }
    void SetBorderColor(const QColor& color);

    QColor Color() const { return color_; }
    void SetColor(const QColor& color);

    // Font and FontColor are used with hsCustom only.
    const QFont& Font() const { return font_; }
    void SetFont(const QFont& font);

    QColor FontColor() const { return fontColor_; }
    void SetFontColor(const QColor& color);

    // Pixels when positive, a fraction of the screen width (-n: 1/n) when
    // negative.
    int MaxWidth() const { return maxWidth_; }
    void SetMaxWidth(int maxWidth);
    // The widest balloon on a screen `screenWidth` pixels wide.
    int MaxPixelWidthOn(int screenWidth) const;

    TBalloonBehaviors Behavior() const { return behavior_; }
    void SetBehavior(TBalloonBehaviors behavior);

    BalloonPosition Position() const { return position_; }
    void SetPosition(BalloonPosition position);

    // 0 means no shadow; values beyond MaxShadowDepth are cut to it.
    int ShadowDepth() const { return shadowDepth_; }
    void SetShadowDepth(int depth);

    BalloonShadowStyle ShadowStyle() const { return shadowStyle_; }
    void SetShadowStyle(BalloonShadowStyle style);

    BalloonShape Shape() const { return shape_; }
    void SetShape(BalloonShape shape);

    HintStyle Style() const { return style_; }
    void SetStyle(HintStyle style);

  private:
    QColor borderColor_{Qt::black};
    QColor color_;
    QFont font_;
    QColor fontColor_{Qt::black};
    int maxWidth_ = -4;
    TBalloonBehaviors behavior_{bbNoShowMouseDown | bbUseRegions | bbHideOnPaint};
    BalloonPosition position_ = bpAboveRight;
    int shadowDepth_ = 8;
    BalloonShadowStyle shadowStyle_ = ssShaded;
    BalloonShape shape_ = bsRoundRect;
    HintStyle style_ = hsDefault;
};

} // namespace nomix
