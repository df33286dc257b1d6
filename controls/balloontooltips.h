// SPDX-License-Identifier: MIT
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
// active. Qt has no replaceable hint-window class, so this object filters the
// application's events: it answers tool-tip events with its own balloon
// window instead of QToolTip and hides that window for the reasons Qt hides
// its own tips (the mouse leaves the widget, a click, a key, a timeout). It
// costs one event-filter call per application event while active. The last
// one created governs the application.
class BalloonToolTips : public BalloonStyle {
    Q_OBJECT

  public:
    // Answers true where a widget's tool tip must stay an ordinary one;
    // `globalPos` is where the tip is due.
    using PlainHintRule = std::function<bool(QWidget* widget, const QPoint& globalPos)>;

    explicit BalloonToolTips(QObject* owner = nullptr);
    ~BalloonToolTips() override;

    bool isActive() const { return m_active; }
    void setActive(bool active);

    void setPlainHintRule(PlainHintRule rule);

    // Hides the balloon; it stays away until the mouse leaves its widget.
    void cancelHint();

    // The balloon in use, or none before the first hint.
    BalloonToolTipWindow* hintWindow() const { return m_window.get(); }

    // The settings new balloon windows take: those of the last BalloonToolTips
    // created, or none.
    static BalloonToolTips* activeSettings() { return s_activeSettings; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool handleToolTip(QWidget* widget, QHelpEvent* event);
    void watchForCancel(QObject* watched, QEvent* event);
    QString hintTextFor(QWidget* widget, const QPoint& pos) const;
    bool isShowing(QWidget* widget, const QString& text) const;
    void showBalloon(QWidget* widget, const QString& text, const QPoint& globalPos);
    void hideBalloon();
    static int hideDelay(const QWidget* widget, const QString& text);

    static BalloonToolTips* s_activeSettings;
    static BalloonToolTips* s_governing;

    bool m_active = false;
    PlainHintRule m_plainHintRule;
    std::unique_ptr<BalloonToolTipWindow> m_window;
    QPointer<QWidget> m_hintWidget;
    QMetaObject::Connection m_hintWidgetGone;
    QPointer<QWidget> m_cancelledWidget;
    QTimer m_hideTimer;
};

} // namespace nomix
