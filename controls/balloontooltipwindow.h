#pragma once

#include "balloonwindow.h"

namespace nomix {

// The balloon the hint machinery shows for a hint text: picks the font and
// colours for the settings' style, places the balloon beside the cursor
// (flipping it away from the screen edges) and gives it its shape. Without
// bbUseRegions it watches the application's mouse and paint traffic while it
// is shown, which costs one event-filter call per event during that time.
class BalloonToolTipWindow : public BalloonWindow {
    Q_OBJECT

  public:
    // Takes the settings of the most recently created BalloonToolTips.
    BalloonToolTipWindow();
    explicit BalloonToolTipWindow(BalloonStyle* settings);

    // Shows `text` as a balloon whose pointer touches `cursor` (global).
    void ShowHintText(const QString& text, const QPoint& cursor);

    bool HookInstalled() const { return hookInstalled_; }

  signals:
    // The balloon has seen a reason to go: a second mouse move, a mouse
    // press, a repaint under it, or a button held down when it was due.
    void CancelHintRequested();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void ChooseLook();
    void ShowAt(const QPoint& topLeft);
    void InstallHook();
    void RemoveHook();
    void NoteMouseMove(const QPoint& globalPos);
    bool RepaintsUnderBalloon(QObject* watched, const QRect& updated) const;
    static bool MouseButtonIsDown();
    static QColor SystemFrameColor();
    static QPixmap GrabScreenBehind(const QRect& area);

    bool hookInstalled_ = false;
    bool firstMouseMoveSeen_ = false;
    QPoint lastMousePos_;
};

} // namespace nomix
