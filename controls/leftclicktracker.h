// SPDX-License-Identifier: MIT
#pragma once

#include <QMouseEvent>
#include <QRect>

namespace nomix {

// Turns a windowless control's mouse events into clicks and double clicks
// the way classic controls report them: a click is a left press and release
// inside the control; the second press of a double click reports the double
// click only, and its release is no further click. Shared by the LED display
// and the 3D label; costs one flag.
class LeftClickTracker {
  public:
    // True when the event was the left button's (and is consumed).
    bool press(const QMouseEvent* event) {
        if (event->button() != Qt::LeftButton) {
            return false;
        }
        m_down = true;
        return true;
    }
    bool doubleClick(const QMouseEvent* event) {
        if (event->button() != Qt::LeftButton) {
            return false;
        }
        m_down = false;
        return true;
    }
    // True when the release completes a click inside `area`.
    bool release(const QMouseEvent* event, const QRect& area) {
        const bool click = m_down && event->button() == Qt::LeftButton &&
                           area.contains(event->position().toPoint());
        if (event->button() == Qt::LeftButton) {
            m_down = false;
        }
        return click;
    }

  private:
    bool m_down = false;
};

} // namespace nomix
