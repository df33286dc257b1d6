// SPDX-License-Identifier: MIT
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

    const QString& caption() const { return m_caption; }
    // Sets the caption and fits the window to it for the cursor's position.
    void setCaption(const QString& caption);

    // Resizes the window to the caption's size for a cursor at `cursor`.
    void fitToText(const QPoint& cursor);

    BalloonPosition currentPosition() const { return m_currentPosition; }
    QColor fillColor() const { return m_fillColor; }
    QColor frameColor() const { return m_frameColor; }
    QColor textColor() const { return m_textColor; }

    // "MS Sans Serif" 8 points: the HintStyle::Default font.
    static QFont defaultFont();

  protected:
    const BalloonStyle& balloonStyle() const;
    void setCurrentPosition(BalloonPosition position) { m_currentPosition = position; }
    void setColors(const QColor& fill, const QColor& frame, const QColor& text);
    // What lies behind the window for the next paints; a null pixmap when
    // the platform cannot tell.
    void setBackdrop(const QPixmap& backdrop) { m_backdrop = backdrop; }
    static QRect screenAreaAt(const QPoint& point);

    void paintEvent(QPaintEvent* event) override;

  private:
    QImage composeBalloon() const;
    void paintBalloon(QImage& picture, const BalloonOutline& outline, int offset,
                      const QColor& fill, const QColor& frame) const;

    QPointer<BalloonStyle> m_settings;
    std::unique_ptr<BalloonStyle> m_fallbackSettings;
    QString m_caption;
    BalloonPosition m_currentPosition = BalloonPosition::AboveRight;
    QColor m_fillColor;
    QColor m_frameColor;
    QColor m_textColor;
    QPixmap m_backdrop;
};

} // namespace nomix
