// SPDX-License-Identifier: MIT
#pragma once

#include <QFrame>

namespace nomix {

// The band at the top of the main window with the program's embossed name.
// A click on the name plays the welcome sound.
class TitlePanel : public QFrame {
    Q_OBJECT

  public:
    explicit TitlePanel(QWidget* parent = nullptr);

  signals:
    void titleClicked();

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    QWidget* m_title;
};

} // namespace nomix
