// SPDX-License-Identifier: MIT
#include "platform/settings.h"

#include <QSignalSpy>
#include <QTest>

using nomix::Settings;
using nomix::StoredSettings;

namespace {

// One option: its getter, setter, changed signal and field in the file.
struct Option {
    bool (Settings::*get)() const;
    void (Settings::*set)(bool);
    void (Settings::*changed)(bool);
    bool StoredSettings::*stored;
};

const QList<std::pair<const char*, Option>>& options() {
    static const QList<std::pair<const char*, Option>> all{
        {"numeric result only",
         {&Settings::showNumericResultOnly, &Settings::setShowNumericResultOnly,
          &Settings::showNumericResultOnlyChanged, &StoredSettings::showNumericOnly}},
        {"bitmaps",
         {&Settings::showBitmaps, &Settings::setShowBitmaps, &Settings::showBitmapsChanged,
          &StoredSettings::showBitmaps}},
        {"item counter",
         {&Settings::updateItemCounter, &Settings::setUpdateItemCounter,
          &Settings::updateItemCounterChanged, &StoredSettings::updateItemCounter}},
        {"background",
         {&Settings::searchInBackground, &Settings::setSearchInBackground,
          &Settings::searchInBackgroundChanged, &StoredSettings::searchInBackground}},
        {"all products",
         {&Settings::showAllProducts, &Settings::setShowAllProducts,
          &Settings::showAllProductsChanged, &StoredSettings::showOtherProducts}},
        {"alarm disabled",
         {&Settings::updateAlarmDisabled, &Settings::setUpdateAlarmDisabled,
          &Settings::updateAlarmDisabledChanged, &StoredSettings::alarmDisabled}},
        {"sounds disabled",
         {&Settings::soundsDisabled, &Settings::setSoundsDisabled, &Settings::soundsDisabledChanged,
          &StoredSettings::soundsDisabled}},
        {"last selection",
         {&Settings::loadLastSelection, &Settings::setLoadLastSelection,
          &Settings::loadLastSelectionChanged, &StoredSettings::loadSelProducts}},
        {"selected only",
         {&Settings::saveSelectedOnly, &Settings::setSaveSelectedOnly,
          &Settings::saveSelectedOnlyChanged, &StoredSettings::saveSelectedOnly}},
        {"tray",
         {&Settings::minimizeToTray, &Settings::setMinimizeToTray, &Settings::minimizeToTrayChanged,
          &StoredSettings::minimizeInTaskbar}},
        {"complete match",
         {&Settings::completeStringMatch, &Settings::setCompleteStringMatch,
          &Settings::completeStringMatchChanged, &StoredSettings::stringMatch}},
    };
    return all;
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

  private slots:
    void eachOptionSignalsOnlyRealChanges_data();
    void eachOptionSignalsOnlyRealChanges();
    void restoreChangesOnlyWhatDiffers();
};

void TestSettings::eachOptionSignalsOnlyRealChanges_data() {
    QTest::addColumn<int>("option");
    for (qsizetype i = 0; i < options().size(); ++i) {
        QTest::newRow(options()[i].first) << int(i);
    }
}

// A setter signals once per real change, with the new value, and touches
// no other option; the option reaches the settings file's field.
void TestSettings::eachOptionSignalsOnlyRealChanges() {
    QFETCH(int, option);
    const Option& o = options()[option].second;
    Settings settings;
    StoredSettings before;
    settings.copyTo(before);
    QCOMPARE((settings.*o.get)(), before.*o.stored); // the defaults are the file's defaults
    QSignalSpy spy(&settings, o.changed);
    const bool flipped = !(settings.*o.get)();

    (settings.*o.set)(flipped);
    (settings.*o.set)(flipped);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.first().first().toBool(), flipped);

    StoredSettings after;
    settings.copyTo(after);
    QCOMPARE(after.*o.stored, flipped);
    after.*o.stored = !flipped;
    QVERIFY(after == before);
}

// Cancel in the options dialog and loading the file go through restore():
// only options that differ signal, in the dialog's order.
void TestSettings::restoreChangesOnlyWhatDiffers() {
    Settings settings;
    QStringList changed;
    for (const auto& [name, o] : options()) {
        connect(&settings, o.changed, this, [&changed, name = name] { changed << name; });
    }
    StoredSettings wanted;
    settings.copyTo(wanted);
    wanted.stringMatch = true;
    wanted.showBitmaps = false;
    wanted.history = {"kept apart"};
    settings.restore(wanted);
    QCOMPARE(changed, QStringList({"bitmaps", "complete match"}));
    StoredSettings now;
    settings.copyTo(now);
    QVERIFY(now.history.empty()); // only the options are copied
    QVERIFY(now.stringMatch && !now.showBitmaps);
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
