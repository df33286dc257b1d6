// SPDX-License-Identifier: MIT
#include "dialogdriver.h"

#include "core/databaselines.h"
#include "dialogs/dialogpictures.h"
#include "dialogs/staledatabasedialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {

double dayNumber(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return nomix::dayNumberFromDate(year, month, day) +
           (hour * 3600 + minute * 60 + second) / 86400.0;
}

int countPixels(const QImage& image, const QColor& colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += image.pixelColor(x, y) == colour ? 1 : 0;
        }
    }
    return count;
}

} // namespace

class TestStaleDatabaseDialog : public QObject {
    Q_OBJECT

  private slots:
    void ageTest_data();
    void ageTest();
    void alarmCopiesItsBoxIntoTheOption_data();
    void alarmCopiesItsBoxIntoTheOption();
    void noAlarmWhenSwitchedOff();
    void pictureTakesDialogColour();
};

void TestStaleDatabaseDialog::ageTest_data() {
    QTest::addColumn<double>("databaseDate");
    QTest::addColumn<double>("now");
    QTest::addColumn<bool>("outdated");
    const double may1 = dayNumber(2024, 5, 1);
    const double lateMay1 = dayNumber(2024, 5, 1, 23, 59, 58);
    QTest::newRow("30 days, late now") << may1 << dayNumber(2024, 5, 31, 23, 59, 59) << false;
    QTest::newRow("30 days, late file") << lateMay1 << dayNumber(2024, 5, 31, 12) << false;
    QTest::newRow("31 days, early now") << may1 << dayNumber(2024, 6, 1) << true;
    QTest::newRow("31 days, late file") << lateMay1 << dayNumber(2024, 6, 1, 0, 0, 1) << true;
    QTest::newRow("31 days across a year")
        << dayNumber(2023, 12, 15, 12) << dayNumber(2024, 1, 15) << true;
    QTest::newRow("same day") << dayNumber(2024, 5, 1, 8) << dayNumber(2024, 5, 1, 9) << false;
    QTest::newRow("dated in the future") << dayNumber(2030, 1, 1) << may1 << false;
}

void TestStaleDatabaseDialog::ageTest() {
    QFETCH(double, databaseDate);
    QFETCH(double, now);
    QFETCH(bool, outdated);
    QCOMPARE(databaseIsOutdated(databaseDate, now), outdated);
}

void TestStaleDatabaseDialog::alarmCopiesItsBoxIntoTheOption_data() {
    QTest::addColumn<bool>("tick");
    QTest::addColumn<QString>("closeBy");
    QTest::newRow("ticked, OK") << true << "ok";
    QTest::newRow("ticked, Enter") << true << "enter";
    QTest::newRow("ticked, close box") << true << "close";
    QTest::newRow("clear, OK") << false << "ok";
}

void TestStaleDatabaseDialog::alarmCopiesItsBoxIntoTheOption() {
    QFETCH(bool, tick);
    QFETCH(QString, closeBy);
    QWidget mainWindow;
    mainWindow.resize(630, 476);
    mainWindow.show();
    bool alarmDisabled = false;
    bool startedClear = false;
    dialogtest::ModalOutcome outcome;
    dialogtest::whenModalShown(&outcome, [&](QDialog* dialog) {
        auto* alarm = qobject_cast<StaleDatabaseDialog*>(dialog);
        QVERIFY(alarm);
        auto* disableAlarm = alarm->findChild<QCheckBox*>("disableAlarmCheck");
        QVERIFY(disableAlarm);
        startedClear = !disableAlarm->isChecked();
        if (tick) {
            QTest::mouseClick(disableAlarm, Qt::LeftButton, {},
                              QPoint(8, disableAlarm->height() / 2));
        }
        if (closeBy == QLatin1String("ok")) {
            QTest::mouseClick(alarm->findChild<QPushButton*>("okButton"), Qt::LeftButton);
        } else if (closeBy == QLatin1String("enter")) {
            QTest::keyClick(alarm, Qt::Key_Return);
        } else {
            alarm->close();
        }
    });
    QVERIFY(StaleDatabaseDialog::runAgeTest(&mainWindow, &alarmDisabled, dayNumber(2024, 1, 1, 10),
                                            dayNumber(2024, 2, 1)));
    QVERIFY(outcome.appeared && outcome.closedByAction);
    QVERIFY(startedClear);
    QCOMPARE(alarmDisabled, tick);
}

void TestStaleDatabaseDialog::noAlarmWhenSwitchedOff() {
    QWidget mainWindow;
    bool alarmDisabled = true;
    dialogtest::ModalOutcome outcome;
    dialogtest::whenModalShown(&outcome, [](QDialog*) {});
    QVERIFY(!StaleDatabaseDialog::runAgeTest(&mainWindow, &alarmDisabled, dayNumber(2020, 1, 1),
                                             dayNumber(2024, 2, 1)));
    QCoreApplication::processEvents();
    QVERIFY(!outcome.appeared);
    QVERIFY(alarmDisabled);
}

void TestStaleDatabaseDialog::pictureTakesDialogColour() {
    const QImage original = nomix::updateAlarmPicture();
    const int background = countPixels(original, nomix::kPictureBackground);
    QVERIFY(background > 100);

    StaleDatabaseDialog form;
    const QColor dialogColour(200, 210, 220);
    QPalette palette = form.palette();
    palette.setColor(QPalette::Window, dialogColour);
    form.setPalette(palette);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QImage shown = form.findChild<QLabel*>("pictureLabel")->pixmap().toImage();
    QCOMPARE(countPixels(shown, nomix::kPictureBackground), 0);
    QCOMPARE(countPixels(shown, dialogColour), background);
    QCOMPARE(countPixels(shown, Qt::white), countPixels(original, Qt::white));
    QVERIFY(form.grab().save(QStringLiteral("/tmp/alarmform.png")));
}

QTEST_MAIN(TestStaleDatabaseDialog)
#include "tst_staledatabasedialog.moc"
