// SPDX-License-Identifier: MIT
#pragma once

#include "balloonwindow.h"

namespace nomix {

// The balloon the hint machinery shows for a hint text: picks the font and
// colours for the settings' style, places the balloon beside the cursor
// (flipping it away from the screen edges) and gives it its shape. Without
// BalloonBehavior::UseRegions it watches the application's mouse and paint traffic while it
// is shown, which costs one event-filter call per event during that time.
class BalloonToolTipWindow : public BalloonWindow {
    Q_OBJECT

  public:
    // Takes the settings of the most recently created BalloonToolTips.
    BalloonToolTipWindow();
    explicit BalloonToolTipWindow(BalloonStyle* settings);

    // Shows `text` as a balloon whose pointer touches `cursor` (global).
    void showHintText(const QString& text, const QPoint& cursor);

    bool isHookInstalled() const { return m_hookInstalled; }

  signals:
    // The balloon has seen a reason to go: a second mouse move, a mouse
    // press, a repaint under it, or a button held down when it was due.
    void cancelHintRequested();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void chooseLook();
    void showAt(const QPoint& topLeft);
    void installHook();
    void removeHook();
    void noteMouseMove(const QPoint& globalPos);
    bool repaintsUnderBalloon(QObject* watched, const QRect& updated) const;
    static bool mouseButtonIsDown();
    static QColor systemFrameColor();
    static QPixmap grabScreenBehind(const QRect& area);

    bool m_hookInstalled = false;
    bool m_firstMouseMoveSeen = false;
    QPoint m_lastMousePos;
};

} // namespace nomix
