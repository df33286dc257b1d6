// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

class QProgressBar;

namespace nomix {

// Shows that a report is being written, with a bar that follows the rows, so
// that a long save looks busy rather than hung. It has no title-bar buttons
// and refuses to close: a save is never left half done by the user. Lives for
// one save; costs one small window.
class SaveProgressWindow : public QWidget {
    Q_OBJECT

  public:
    explicit SaveProgressWindow(QWidget* parent = nullptr);

    // 0 .. 100.
    void setProgress(int percent);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QProgressBar* m_progressBar = nullptr;
};

} // namespace nomix
