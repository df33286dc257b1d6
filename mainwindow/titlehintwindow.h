// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>
#include <QTimer>

namespace nomix {

// The plain hint window that shows a cut-off column title in full. Qt's own
// tool tip goes below and right of the pointer, which puts it over the
// header cell it explains: the pointer is then over the tip instead of the
// cell, and the tip goes away before it can be read. This one sits where it
// is told, above the header row.
class TitleHintWindow : public QLabel {
    Q_OBJECT

  public:
    explicit TitleHintWindow(QWidget* parent);

    // Shows `title` with its left edge at `left` and its lower edge just
    // above `rowTop` (global coordinates), or just below `rowBottom` when
    // the screen has no room above; it stays inside the screen.
    void showTitle(const QString& title, int left, int rowTop, int rowBottom);

  private:
    QTimer m_hideTimer;
};

} // namespace nomix
