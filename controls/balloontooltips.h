#pragma once

#include "balloonstyle.h"

#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

class QHelpEvent;

namespace nomix {

class BalloonToolTipWindow;

// Turns every tool tip of the application into a speech balloon while
// Active. Qt has no replaceable hint-window class, so this object filters the
// application's events: it answers tool-tip events with its own balloon
// window instead of QToolTip and hides that window for the reasons Qt hides
// its own tips (the mouse leaves the widget, a click, a key, a timeout). It
// costs one event-filter call per application event while Active. The last
// one created governs the application.
class BalloonToolTips : public BalloonStyle {
    Q_OBJECT

  public:
    // Answers true where a widget's tool tip must stay an ordinary one;
    // `globalPos` is where the tip is due.
    using PlainHintRule = std::function<bool(QWidget* widget, const QPoint& globalPos)>;

    explicit BalloonToolTips(QObject* owner = nullptr);
    ~BalloonToolTips() override;

    bool Active() const { return active_; }
    void SetActive(bool active);

    void SetPlainHintRule(PlainHintRule rule);

    // Hides the balloon; it stays away until the mouse leaves its widget.
    void CancelHint();

    // The balloon in use, or none before the first hint.
    BalloonToolTipWindow* HintWindow() const { return window_.get(); }

    // The settings new balloon windows take: those of the last BalloonToolTips
    // created, or none.
    static BalloonToolTips* ActiveBalloonSettings() { return activeBalloonSettings_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool HandleToolTip(QWidget* widget, QHelpEvent* event);
    void WatchForCancel(QObject* watched, QEvent* event);
    QString HintTextFor(QWidget* widget, const QPoint& pos) const;
    bool IsShowing(QWidget* widget, const QString& text) const;
    void ShowBalloon(QWidget* widget, const QString& text, const QPoint& globalPos);
    void HideBalloon();
    static int HideDelay(const QWidget* widget, const QString& text);

    static BalloonToolTips* activeBalloonSettings_;
    static BalloonToolTips* governing_;

    bool active_ = false;
    PlainHintRule plainHintRule_;
    std::unique_ptr<BalloonToolTipWindow> window_;
    QPointer<QWidget> hintWidget_;
    QMetaObject::Connection hintWidgetGone_;
    QPointer<QWidget> cancelledWidget_;
    QTimer hideTimer_;
};

} // namespace nomix
