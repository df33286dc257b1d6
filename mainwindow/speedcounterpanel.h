// SPDX-License-Identifier: MIT
#pragma once

#include <QFrame>

class QLabel;
class QSlider;

namespace nomix {

class LedCounter;
class Settings;

// The panel beside the pages: the search speed track bar, the items-found
// counter and the picture that opens the About box. The track bar is
// another view of two options: Min is "update the counter" plus "search in
// background", Med. only the latter, Max neither. Moving the bar sets both
// options; ticking one of them moves the bar one position.
class SpeedCounterPanel : public QFrame {
    Q_OBJECT

  public:
    static constexpr int kLargestShownCount = 99999;

    SpeedCounterPanel(Settings* settings, QWidget* parent = nullptr);

    // Puts the bar where the two options say and lets it follow them from
    // now on; until then it keeps its position.
    void followSettings();

    // Shows a count while the search runs.
    void showRunningCount(int count);
    // Shows the final count. A count the five digits cannot hold shows as
    // 99999; the exact count goes into the hint and is returned, to be shown
    // elsewhere too. Returns an empty text for a count that fits.
    QString showFinalCount(int count);
    void clearCount();

    // The track bar and the picture, while a search runs.
    void setInputEnabled(bool enabled);

  signals:
    void aboutClicked();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildSpeedPanel();
    void buildCounter();
    void buildPicture();
    void applyTrackBarPosition();
    void moveTrackBarOneStep(bool towardsMin);
    void setTrackBarPosition(int position);

    Settings* m_settings;
    QSlider* m_trackBar = nullptr;
    LedCounter* m_counter = nullptr;
    QLabel* m_picture = nullptr;
    // Set while the bar moves because an option changed, or while the options
    // change because the bar moved, so neither pushes the other back.
    bool m_trackBarMoving = false;
    bool m_optionsFollowingBar = false;
};

} // namespace nomix
