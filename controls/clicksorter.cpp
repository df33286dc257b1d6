// SPDX-License-Identifier: MIT
#include "clicksorter.h"

#include <QGuiApplication>
#include <QStyleHints>
#include <QTimer>

namespace nomix {

ClickSorter::ClickSorter(QObject* parent) : QObject(parent), m_clickTimer(new QTimer(this)) {
    m_clickTimer->setObjectName(QStringLiteral("ClickTimer"));
    m_clickTimer->setSingleShot(true);
    m_clickTimer->setInterval(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    connect(m_clickTimer, &QTimer::timeout, this, &ClickSorter::settleClick);
}

int ClickSorter::interval() const {
    return m_clickTimer->interval();
}

void ClickSorter::setInterval(int milliseconds) {
    m_clickTimer->setInterval(milliseconds);
}

bool ClickSorter::isPending() const {
    return m_clickTimer->isActive();
}

// A press while one is pending (the second half of a double click, or a
// third click) must not restart the wait, or the decision would slide on.
void ClickSorter::notePress() {
    if (!m_clickTimer->isActive()) {
        m_clickTimer->start();
    }
}

// Only a pending press can be swallowed. A double click that comes after the
// wait has run out (a busy program) must not leave the mark behind, or it
// would swallow the next genuine single click.
void ClickSorter::noteDoubleClick() {
    if (m_clickTimer->isActive()) {
        m_doubleClickSeen = true;
    }
    emit doubleClicked();
}

void ClickSorter::settleClick() {
    const bool wasDoubleClick = m_doubleClickSeen;
    m_doubleClickSeen = false;
    if (!wasDoubleClick) {
        emit clicked();
    }
}

} // namespace nomix
