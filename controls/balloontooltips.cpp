// SPDX-License-Identifier: MIT
#include "balloontooltips.h"

#include "balloontooltipwindow.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QTextDocument>
#include <QToolTip>

#include <algorithm>

namespace nomix {

BalloonToolTips* BalloonToolTips::s_activeSettings = nullptr;
BalloonToolTips* BalloonToolTips::s_governing = nullptr;

BalloonToolTips::BalloonToolTips(QObject* owner) : BalloonStyle(owner) {
    setObjectName(QStringLiteral("BalloonHint"));
    m_hideTimer.setSingleShot(true);
    connect(&m_hideTimer, &QTimer::timeout, this, &BalloonToolTips::cancelHint);
    s_activeSettings = this;
    setActive(true);
}

BalloonToolTips::~BalloonToolTips() {
    if (s_activeSettings == this) {
        s_activeSettings = nullptr;
    }
    setActive(false);
}

void BalloonToolTips::setActive(bool active) {
    m_active = active;
    if (!qApp || QCoreApplication::closingDown()) {
        return;
    }
    if (active) {
        QToolTip::hideText();
        qApp->installEventFilter(this);
        s_governing = this;
        return;
    }
    qApp->removeEventFilter(this);
    hideBalloon();
    m_window.reset();
    if (s_governing == this) {
        s_governing = nullptr;
    }
}

void BalloonToolTips::setPlainHintRule(PlainHintRule rule) {
    m_plainHintRule = std::move(rule);
}

void BalloonToolTips::cancelHint() {
    if (m_hintWidget) {
        m_cancelledWidget = m_hintWidget;
    }
    hideBalloon();
}

bool BalloonToolTips::eventFilter(QObject* watched, QEvent* event) {
    if (s_governing != this) {
        return false;
    }
    if (event->type() == QEvent::ToolTip) {
        return handleToolTip(qobject_cast<QWidget*>(watched), static_cast<QHelpEvent*>(event));
    }
    watchForCancel(watched, event);
    return false;
}

// A tool-tip event visits the widget under the mouse and then its parents
// until one takes it; a widget without a text of its own is left alone so
// that its parent's tip shows, as with ordinary tips.
bool BalloonToolTips::handleToolTip(QWidget* widget, QHelpEvent* event) {
    if (!widget || (m_window && widget->window() == m_window.get())) {
        return false;
    }
    if (m_plainHintRule && m_plainHintRule(widget, event->globalPos())) {
        hideBalloon();
        return false;
    }
    if (widget == m_cancelledWidget) {
        return true;
    }
    const QString text = hintTextFor(widget, event->pos());
    if (text.isEmpty()) {
        return false;
    }
    if (!isShowing(widget, text)) {
        showBalloon(widget, text, event->globalPos());
    }
    return true;
}

// The reasons Qt hides its own tips, applied to the balloon.
void BalloonToolTips::watchForCancel(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Leave && watched == m_cancelledWidget) {
        m_cancelledWidget = nullptr;
    }
    if (!m_hintWidget) {
        return;
    }
    switch (event->type()) {
    case QEvent::Leave:
    case QEvent::Hide:
        if (watched == m_hintWidget) {
            hideBalloon();
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::Wheel:
        cancelHint();
        break;
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key < Qt::Key_Shift || key > Qt::Key_ScrollLock) {
            cancelHint();
        }
        break;
    }
    case QEvent::ApplicationStateChange:
        if (QGuiApplication::applicationState() != Qt::ApplicationActive) {
            hideBalloon();
        }
        break;
    default:
        break;
    }
}

QString BalloonToolTips::hintTextFor(QWidget* widget, const QPoint& pos) const {
    QString text = widget->toolTip();
    if (text.isEmpty()) {
        auto* view = qobject_cast<QAbstractItemView*>(widget->parentWidget());
        if (view && view->viewport() == widget && !qobject_cast<QHeaderView*>(view)) {
            text = view->indexAt(pos).data(Qt::ToolTipRole).toString();
        }
    }
    if (Qt::mightBeRichText(text)) {
        QTextDocument document;
        document.setHtml(text);
        text = document.toPlainText();
    }
    return text;
}

bool BalloonToolTips::isShowing(QWidget* widget, const QString& text) const {
    return m_window && m_window->isVisible() && m_hintWidget == widget &&
           m_window->caption() == text;
}

void BalloonToolTips::showBalloon(QWidget* widget, const QString& text, const QPoint& globalPos) {
    QToolTip::hideText();
    if (!m_window) {
        m_window = std::make_unique<BalloonToolTipWindow>();
        connect(m_window.get(), &BalloonToolTipWindow::cancelHintRequested, this,
                &BalloonToolTips::cancelHint);
    }
    m_hintWidget = widget;
    m_hintWidgetGone = connect(widget, &QObject::destroyed, this, &BalloonToolTips::hideBalloon);
    m_window->showHintText(text, globalPos);
    if (m_window->isVisible()) {
        m_hideTimer.start(hideDelay(widget, text));
    }
}

void BalloonToolTips::hideBalloon() {
    m_hideTimer.stop();
    disconnect(m_hintWidgetGone);
    m_hintWidget = nullptr;
    if (m_window) {
        m_window->hide();
    }
}

// Qt's own rule for how long a tip stays.
int BalloonToolTips::hideDelay(const QWidget* widget, const QString& text) {
    if (widget->toolTipDuration() > 0) {
        return widget->toolTipDuration();
    }
    return 10000 + 40 * std::max<int>(0, static_cast<int>(text.size()) - 100);
}

} // namespace nomix
