// SPDX-License-Identifier: MIT
#include "platform/settings.h"

#include <QSignalSpy>
#include <QTest>

using nomix::Option;
using nomix::OptionEntry;
using nomix::Settings;
using nomix::StoredSettings;

class TestSettings : public QObject {
    Q_OBJECT

  private slots:
    void eachOptionSignalsOnlyRealChanges_data();
    void eachOptionSignalsOnlyRealChanges();
    void followHearsOneOption();
    void restoreChangesOnlyWhatDiffers();
};

void TestSettings::eachOptionSignalsOnlyRealChanges_data() {
    QTest::addColumn<Option>("option");
    for (const OptionEntry& entry : nomix::kOptions) {
        QTest::newRow(entry.valueName) << entry.option;
    }
}

// A setter signals once per real change, with the option and its new value,
// and touches no other option; the option reaches the settings file's field.
void TestSettings::eachOptionSignalsOnlyRealChanges() {
    QFETCH(Option, option);
    Settings settings;
    StoredSettings before;
    settings.copyTo(before);
    QCOMPARE(settings.value(option), before.option(option)); // the file's defaults
    QSignalSpy spy(&settings, &Settings::changed);
    const bool flipped = !settings.value(option);

    settings.setValue(option, flipped);
    settings.setValue(option, flipped);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.first().at(0).value<Option>(), option);
    QCOMPARE(spy.first().at(1).toBool(), flipped);

    StoredSettings after;
    settings.copyTo(after);
    QCOMPARE(after.option(option), flipped);
    after.option(option) = !flipped;
    QVERIFY(after == before);
}

// A follower hears its own option only, until it is gone.
void TestSettings::followHearsOneOption() {
    Settings settings;
    QList<bool> heard;
    {
        QObject receiver;
        settings.follow(Option::SoundsDisabled, &receiver, [&heard](bool on) { heard << on; });
        settings.setValue(Option::SoundsDisabled, true);
        settings.setValue(Option::ShowBitmaps, false);
        settings.setValue(Option::SoundsDisabled, false);
    }
    settings.setValue(Option::SoundsDisabled, true);
    QCOMPARE(heard, QList<bool>({true, false}));
}

// Cancel in the options dialog and loading the file go through restore():
// only options that differ signal, in the table's order.
void TestSettings::restoreChangesOnlyWhatDiffers() {
    Settings settings;
    QList<Option> changed;
    connect(&settings, &Settings::changed, this, [&changed](Option option) { changed << option; });
    StoredSettings wanted;
    settings.copyTo(wanted);
    wanted.option(Option::CompleteStringMatch) = true;
    wanted.option(Option::ShowBitmaps) = false;
    wanted.history = {"kept apart"};
    settings.restore(wanted);
    QCOMPARE(changed, QList<Option>({Option::ShowBitmaps, Option::CompleteStringMatch}));
    StoredSettings now;
    settings.copyTo(now);
    QVERIFY(now.history.empty()); // only the options are copied
    QVERIFY(now.option(Option::CompleteStringMatch) && !now.option(Option::ShowBitmaps));
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
