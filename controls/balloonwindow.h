#pragma once

#include "balloongeometry.h"

#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <memory>

namespace nomix {

class BalloonStyle;

// A top-level window that sizes itself to its caption and paints it as a
// speech balloon with a shadow. It never takes input or focus. What lies
// behind it is captured once per showing (a screen grab of the window's
// size) so that the shaded shadow can dither it; where the platform gives no
// grab the window is translucent and the shadow a half-transparent dither.
// Costs one small screen grab per showing and one off-screen composition of
// the whole balloon per paint.
class BalloonWindow : public QWidget {
    Q_OBJECT

  public:
    // `settings` may go away before the window: the window then falls back to
    // the defaults of a fresh settings block.
    explicit BalloonWindow(BalloonStyle* settings);
    ~BalloonWindow() override;

    const QString& Caption() const { return caption_; }
    // Sets the caption and fits the window to it for the cursor's position.
    void SetCaption(const QString& caption);

    // Resizes the window to the caption's size for a cursor at `cursor`.
    void FitToText(const QPoint& cursor);

    BalloonPosition CurrentPosition() const { return currentPosition_; }
    QColor FillColor() const { return fillColor_; }
    QColor FrameColor() const { return frameColor_; }
    QColor TextColor() const { return textColor_; }

    // "MS Sans Serif" 8 points: the hsDefault font.
    static QFont DefaultBalloonFont();

  protected:
    const BalloonStyle& Settings() const;
    void SetCurrentPosition(BalloonPosition position) { currentPosition_ = position; }
    void SetColors(const QColor& fill, const QColor& frame, const QColor& text);
    // What lies behind the window for the next paints; a null pixmap when
    // the platform cannot tell.
    void SetBackdrop(const QPixmap& backdrop) { backdrop_ = backdrop; }
    static QRect ScreenAreaAt(const QPoint& point);

    void paintEvent(QPaintEvent* event) override;

  private:
    QImage ComposeBalloon() const;
    void PaintBalloon(QImage& picture, const BalloonOutline& outline, int offset,
                      const QColor& fill, const QColor& frame) const;

    QPointer<BalloonStyle> settings_;
    std::unique_ptr<BalloonStyle> fallbackSettings_;
    QString caption_;
    BalloonPosition currentPosition_ = bpAboveRight;
    QColor fillColor_;
    QColor frameColor_;
    QColor textColor_;
    QPixmap backdrop_;
};

} // namespace nomix
