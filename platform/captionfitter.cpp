// SPDX-License-Identifier: MIT
#include "captionfitter.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QFontMetrics>

namespace nomix {

namespace {

// The title bar's window icon, minimise, maximise and close buttons and the
// frame's padding, at the sizes of the usual window manager themes.
constexpr int kButtonRoom = 110;

} // namespace

CaptionFitter::CaptionFitter(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("captionFitter"));
    qApp->installEventFilter(this);
}

CaptionFitter::~CaptionFitter() {
    qApp->removeEventFilter(this);
}

int CaptionFitter::neededWidth(const QString& caption) {
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    return QFontMetrics(titleFont).horizontalAdvance(caption) + kButtonRoom;
}

void CaptionFitter::fit(QWidget* window) {
    const int needed = neededWidth(window->windowTitle());
    const int missing = needed - window->width();
    if (missing <= 0 || window->maximumWidth() < needed ||
        window->minimumWidth() == window->maximumWidth()) {
        return;
    }
    window->resize(needed, window->height());
    // A dialog not placed yet centres itself over its owner when shown; one
    // placed already keeps its centre.
    if (window->testAttribute(Qt::WA_Moved)) {
        window->move(window->x() - missing / 2, window->y());
    }
}

bool CaptionFitter::eventFilter(QObject* watched, QEvent* event) {
    // Shown, not yet mapped: the window manager sees the final size at once.
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->isWindow() && qobject_cast<QDialog*>(widget)) {
            fit(widget);
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace nomix
