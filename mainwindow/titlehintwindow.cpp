// SPDX-License-Identifier: MIT
#include "titlehintwindow.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace nomix {

namespace {
constexpr int kGap = 2;
// As long as an ordinary tool tip of this length stays.
constexpr int kShowMilliseconds = 10000;
} // namespace

TitleHintWindow::TitleHintWindow(QWidget* parent)
    : QLabel(parent, Qt::ToolTip | Qt::BypassGraphicsProxyWidget) {
    setObjectName(QStringLiteral("titleHint"));
    // A product entry is data: shown as typed, never as markup, on one line.
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
    setForegroundRole(QPalette::ToolTipText);
    setBackgroundRole(QPalette::ToolTipBase);
    setAutoFillBackground(true);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setMargin(2);
    m_hideTimer.setSingleShot(true);
    connect(&m_hideTimer, &QTimer::timeout, this, &QWidget::hide);
}

void TitleHintWindow::showTitle(const QString& title, int left, int rowTop, int rowBottom) {
    setText(title);
    resize(sizeHint());
    const QScreen* screen = QGuiApplication::screenAt(QPoint(left, rowTop));
    if (!screen && parentWidget()) {
        screen = parentWidget()->screen();
    }
    int top = rowTop - kGap - height();
    if (screen) {
        const QRect area = screen->availableGeometry();
        if (top < area.top()) {
            top = rowBottom + kGap;
        }
        left = std::clamp(left, area.left(), std::max(area.left(), area.right() + 1 - width()));
    }
    move(left, top);
    show();
    raise();
    m_hideTimer.start(kShowMilliseconds);
}

} // namespace nomix
