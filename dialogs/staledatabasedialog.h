// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QImage>

class QCheckBox;
class QLabel;

// Age of the name database, in whole days, above which start-up raises the
// update alarm. The fraction is the margin the comparison has always had.
inline constexpr double kAlarmAgeDays = 30.000000000000014;

// True when the database dated `databaseDate` is old enough for the update
// alarm at the moment `now`. Both are day numbers counted from 30 December
// 1899 with the time of day as fraction; only the date of `now` counts, so
// the alarm comes from the 31st day after the file's date on, whatever the
// time of day, and never for a file dated in the future.
bool databaseIsOutdated(double databaseDate, double now);

// "Update alarm": tells the user that the name database is getting old and
// where a newer one can be found, and offers to switch the alarm off for
// good. Made for one showing and destroyed after it; costs one small window
// and a 32 x 32 picture.
class StaleDatabaseDialog : public QDialog {
    Q_OBJECT

  public:
    explicit StaleDatabaseDialog(QWidget* parent = nullptr);

    // The age test at the end of start-up: unless `alarmOption` (the options
    // dialog's "&Disable update alarm") is ticked and when the database is
    // outdated, beeps, shows the dialog centred over `mainWindow` and, when it
    // closes, copies its "&Disable alarm" into `alarmOption`. True when the
    // dialog was shown.
    static bool runAgeTest(QWidget* mainWindow, bool* alarmDisabled, double databaseDate,
                           double now);

  protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void buildTexts();
    void buildControls();
    void matchPictureToWindow();

    QImage m_picture;
    QLabel* m_pictureLabel = nullptr;
    QCheckBox* m_disableAlarmCheck = nullptr;
};
