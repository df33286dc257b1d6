// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

class QLabel;

namespace nomix {

// The status bar's two panels: hints on the left (the welcome text when
// there is none), the loaded database's label on the right.
class StatusPanels : public QWidget {
    Q_OBJECT

  public:
    explicit StatusPanels(QWidget* parent = nullptr);

    // An empty hint shows the welcome text.
    void showHint(const QString& hint);
    void showDatabaseLabel(const QString& label);
    // The first panel takes the window's width less 200 pixels, but never so
    // much that the database label in the second panel is cut.
    void layOut(int windowWidth);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    QLabel* m_hintPanel;
    QLabel* m_databasePanel;
};

} // namespace nomix
