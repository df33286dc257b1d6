// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

class QLabel;

namespace nomix {

// The borderless window shown while the settings and the database load. It
// paints at once on show, and the loaders let it repaint during long reads.
class SplashScreen : public QWidget {
    Q_OBJECT

  public:
    explicit SplashScreen(QWidget* parent = nullptr);

  protected:
    bool event(QEvent* event) override;

  private:
    void recolourPicture();

    QLabel* m_picture = nullptr;
};

} // namespace nomix
