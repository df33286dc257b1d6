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

BalloonToolTips* BalloonToolTips::activeBalloonSettings_ = nullptr;
BalloonToolTips* BalloonToolTips::governing_ = nullptr;

BalloonToolTips::BalloonToolTips(QObject* owner) : BalloonStyle(owner) {
    setObjectName(QStringLiteral("BalloonHint"));
    hideTimer_.setSingleShot(true);
    connect(&hideTimer_, &QTimer::timeout, this, &BalloonToolTips::CancelHint);
    activeBalloonSettings_ = this;
    SetActive(true);
}

BalloonToolTips::~BalloonToolTips() {
    if (activeBalloonSettings_ == this) {
        activeBalloonSettings_ = nullptr;
    }
    SetActive(false);
}

void BalloonToolTips::SetActive(bool active) {
    active_ = active;
    if (!qApp || QCoreApplication::closingDown()) {
        return;
    }
    if (active) {
        QToolTip::hideText();
        qApp->installEventFilter(this);
        governing_ = this;
        return;
    }
    qApp->removeEventFilter(this);
    HideBalloon();
    window_.reset();
    if (governing_ == this) {
        governing_ = nullptr;
    }
}

void BalloonToolTips::SetPlainHintRule(PlainHintRule rule) {
    plainHintRule_ = std::move(rule);
}

void BalloonToolTips::CancelHint() {
    if (hintWidget_) {
        cancelledWidget_ = hintWidget_;
    }
    HideBalloon();
}

bool BalloonToolTips::eventFilter(QObject* watched, QEvent* event) {
    if (governing_ != this) {
        return false;
    }
    if (event->type() == QEvent::ToolTip) {
        return HandleToolTip(qobject_cast<QWidget*>(watched), static_cast<QHelpEvent*>(event));
    }
    WatchForCancel(watched, event);
    return false;
}

// A tool-tip event visits the widget under the mouse and then its parents
// until one takes it; a widget without a text of its own is left alone so
// that its parent's tip shows, as with ordinary tips.
bool BalloonToolTips::HandleToolTip(QWidget* widget, QHelpEvent* event) {
    if (!widget || (window_ && widget->window() == window_.get())) {
        return false;
    }
    if (plainHintRule_ && plainHintRule_(widget, event->globalPos())) {
        HideBalloon();
        return false;
    }
    if (widget == cancelledWidget_) {
        return true;
    }
    const QString text = HintTextFor(widget, event->pos());
    if (text.isEmpty()) {
        return false;
    }
    if (!IsShowing(widget, text)) {
        ShowBalloon(widget, text, event->globalPos());
    }
    return true;
}

// The reasons Qt hides its own tips, applied to the balloon.
void BalloonToolTips::WatchForCancel(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Leave && watched == cancelledWidget_) {
        cancelledWidget_ = nullptr;
    }
    if (!hintWidget_) {
        return;
    }
    switch (event->type()) {
    case QEvent::Leave:
    case QEvent::Hide:
        if (watched == hintWidget_) {
            HideBalloon();
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::Wheel:
        CancelHint();
        break;
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key < Qt::Key_Shift || key > Qt::Key_ScrollLock) {
            CancelHint();
        }
        break;
    }
    case QEvent::ApplicationStateChange:
        if (QGuiApplication::applicationState() != Qt::ApplicationActive) {
            HideBalloon();
        }
        break;
    default:
        break;
    }
}

QString BalloonToolTips::HintTextFor(QWidget* widget, const QPoint& pos) const {
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

bool BalloonToolTips::IsShowing(QWidget* widget, const QString& text) const {
    return window_ && window_->isVisible() && hintWidget_ == widget && window_->Caption() == text;
}

void BalloonToolTips::ShowBalloon(QWidget* widget, const QString& text, const QPoint& globalPos) {
    QToolTip::hideText();
    if (!window_) {
        window_ = std::make_unique<BalloonToolTipWindow>();
        connect(window_.get(), &BalloonToolTipWindow::CancelHintRequested, this,
                &BalloonToolTips::CancelHint);
    }
    hintWidget_ = widget;
    hintWidgetGone_ = connect(widget, &QObject::destroyed, this, &BalloonToolTips::HideBalloon);
    window_->ShowHintText(text, globalPos);
    if (window_->isVisible()) {
        hideTimer_.start(HideDelay(widget, text));
    }
}

void BalloonToolTips::HideBalloon() {
    hideTimer_.stop();
    disconnect(hintWidgetGone_);
    hintWidget_ = nullptr;
    if (window_) {
        window_->hide();
    }
}

// Qt's own rule for how long a tip stays.
int BalloonToolTips::HideDelay(const QWidget* widget, const QString& text) {
    if (widget->toolTipDuration() > 0) {
        return widget->toolTipDuration();
    }
    return 10000 + 40 * std::max<int>(0, static_cast<int>(text.size()) - 100);
}

} // namespace nomix
