// SPDX-License-Identifier: MIT
#include "dialogdriver.h"

#include "dialogs/optionsdialog.h"
#include "platform/messagebox.h"
#include "platform/settings.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QMap>
#include <QPushButton>
#include <QtTest>

using nomix::MessageBox;
using nomix::OptionsDialog;
using nomix::Settings;

namespace {

// In the order in which the dialog restores the options on Cancel.
const QStringList kBoxNames = [] {
    QStringList names;
    for (const nomix::OptionEntry& entry : nomix::kOptions) {
        names << QLatin1String(entry.boxName);
    }
    return names;
}();

// Stands in for the windows: records which options changed, by box name,
// and the confirmed history erases.
class MainWindowStandIn : public QObject {
  public:
    MainWindowStandIn(Settings* settings, OptionsDialog* form) {
        connect(settings, &Settings::changed, this, [this](nomix::Option option) {
            changed.append(QLatin1String(nomix::optionEntry(option).boxName));
        });
        connect(form, &OptionsDialog::historyEraseConfirmed, this, [this] { ++erases; });
    }

    QStringList changed;
    int erases = 0;
};

QList<bool> States(OptionsDialog& form) {
    QList<bool> states;
    for (const QString& name : kBoxNames) {
        states.append(form.findChild<QCheckBox*>(name)->isChecked());
    }
    return states;
}

QCheckBox* Box(OptionsDialog& form, const char* name) {
    return form.findChild<QCheckBox*>(QLatin1String(name));
}

QPushButton* Button(QWidget* form, const char* name) {
    return form->findChild<QPushButton*>(QLatin1String(name));
}

void ClickBox(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
}

void ShowAndWait(OptionsDialog& form) {
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) {
        qWarning("the dialog was not exposed");
    }
}

} // namespace

class TestOptionsDialog : public QObject {
    Q_OBJECT

  private slots:
    void init() { MessageBox::clearShown(); }

    void designStates();
    void boxesStandSideBySide_data();
    void boxesStandSideBySide();
    void mnemonicsAreUnique();
    void clickChangesTheOption_data();
    void clickChangesTheOption();
    void cancelRestoresTheOptions_data();
    void cancelRestoresTheOptions();
    void snapshotIsTakenAtEachShowing();
    void historyErase_data();
    void historyErase();
    void execFromMainWindow();
    void helpRequests();
    void f1OpensTheFocusedControlsTopic_data();
    void f1OpensTheFocusedControlsTopic();
};

void TestOptionsDialog::designStates() {
    Settings settings;
    OptionsDialog form(&settings);
    // Before the settings are read only bitmaps, background search and all
    // products are on.
    QStringList checked;
    for (const QString& name : kBoxNames) {
        if (form.findChild<QCheckBox*>(name)->isChecked()) {
            checked << name;
        }
    }
    checked.sort();
    QCOMPARE(checked,
             QStringList({"searchInBackgroundBox", "showAllProductsBox", "showBitmapsBox"}));
}

void TestOptionsDialog::boxesStandSideBySide_data() {
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::newRow("display, first row") << "showNumericResultOnlyBox"
                                        << "searchInBackgroundBox";
    QTest::newRow("display, second row") << "showBitmapsBox"
                                         << "showAllProductsBox";
    QTest::newRow("environment, first row") << "disableUpdateAlarmBox"
                                            << "saveSelectedOnlyBox";
    QTest::newRow("environment, second row") << "disableSoundsBox"
                                             << "minimizeToTrayBox";
}

// Two columns a group, the right ones of both groups starting at one x.
void TestOptionsDialog::boxesStandSideBySide() {
    QFETCH(QString, left);
    QFETCH(QString, right);
    Settings settings;
    OptionsDialog form(&settings);
    ShowAndWait(form);
    auto at = [&form](const QString& name) {
        QWidget* box = form.findChild<QCheckBox*>(name);
        return box->mapTo(&form, QPoint(0, 0));
    };
    QCOMPARE(at(left).y(), at(right).y());
    QVERIFY(at(left).x() < at(right).x());
    QCOMPARE(at(right).x(), at("searchInBackgroundBox").x());
    QCOMPARE(at(left).x(), at("showNumericResultOnlyBox").x());
}

// Each Alt+letter reaches one control only.
void TestOptionsDialog::mnemonicsAreUnique() {
    Settings settings;
    OptionsDialog form(&settings);
    QMap<QChar, QString> owners;
    for (QAbstractButton* button : form.findChildren<QAbstractButton*>()) {
        const qsizetype amp = button->text().indexOf(QLatin1Char('&'));
        if (amp < 0) {
            continue;
        }
        const QChar key = button->text().at(amp + 1).toLower();
        QVERIFY2(!owners.contains(key),
                 qPrintable(QString("%1 and %2 share Alt+%3")
                                .arg(owners.value(key), button->objectName(), key)));
        owners.insert(key, button->objectName());
    }
    QCOMPARE(owners.size(), qsizetype(nomix::kOptionCount) + 2); // the erase and help buttons
}

void TestOptionsDialog::clickChangesTheOption_data() {
    QTest::addColumn<QString>("box");
    for (const QString& name : kBoxNames) {
        QTest::newRow(qPrintable(name)) << name;
    }
}

// A click changes the option at once; a change made elsewhere (the settings
// file, the speed track bar) shows in the box.
void TestOptionsDialog::clickChangesTheOption() {
    QFETCH(QString, box);
    Settings settings;
    OptionsDialog form(&settings);
    ShowAndWait(form);
    QCheckBox* checkBox = form.findChild<QCheckBox*>(box);
    const bool before = checkBox->isChecked();
    MainWindowStandIn main(&settings, &form);

    ClickBox(checkBox);
    ClickBox(checkBox);
    QCOMPARE(main.changed, QStringList({box, box}));
    const qsizetype index = kBoxNames.indexOf(box);
    QList<bool> flipped = States(form);
    flipped[index] = !before;
    nomix::StoredSettings changed;
    settings.copyTo(changed);
    changed.options[static_cast<size_t>(index)] = !before;
    settings.restore(changed);
    QCOMPARE(checkBox->isChecked(), !before);
    QCOMPARE(States(form), flipped);
    QCOMPARE(main.changed.size(), 3);
}

void TestOptionsDialog::cancelRestoresTheOptions_data() {
    QTest::addColumn<bool>("byEsc");
    QTest::newRow("Cancel button") << false;
    QTest::newRow("Esc") << true;
}

void TestOptionsDialog::cancelRestoresTheOptions() {
    QFETCH(bool, byEsc);
    Settings settings;
    settings.setValue(nomix::Option::ShowNumericResultOnly,
                      true); // as the settings store may have set them
    settings.setValue(nomix::Option::CompleteStringMatch, true);
    OptionsDialog form(&settings);
    ShowAndWait(form);
    const QList<bool> shownStates = States(form);
    MainWindowStandIn main(&settings, &form);
    for (const QString& name : kBoxNames) {
        ClickBox(form.findChild<QCheckBox*>(name));
    }
    ClickBox(Box(form, "showAllProductsBox")); // back as it was: no change on Cancel
    main.changed.clear();

    if (byEsc) {
        QTest::keyClick(&form, Qt::Key_Escape);
    } else {
        QTest::mouseClick(Button(&form, "cancelButton"), Qt::LeftButton);
    }
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Rejected));
    QCOMPARE(States(form), shownStates);
    QStringList restored = kBoxNames;
    restored.removeOne(QStringLiteral("showAllProductsBox"));
    QCOMPARE(main.changed, restored);
    QVERIFY(settings.value(nomix::Option::ShowNumericResultOnly) &&
            settings.value(nomix::Option::CompleteStringMatch));
}

void TestOptionsDialog::snapshotIsTakenAtEachShowing() {
    Settings settings;
    OptionsDialog form(&settings);
    ShowAndWait(form);
    ClickBox(Box(form, "disableSoundsBox"));
    QTest::mouseClick(Button(&form, "okButton"), Qt::LeftButton);
    QCOMPARE(form.result(), int(QDialog::Accepted));

    settings.setValue(nomix::Option::MinimizeToTray, true); // changed between showings
    ShowAndWait(form);
    ClickBox(Box(form, "disableSoundsBox"));
    ClickBox(Box(form, "minimizeToTrayBox"));
    QTest::mouseClick(Button(&form, "cancelButton"), Qt::LeftButton);
    QVERIFY(settings.value(nomix::Option::SoundsDisabled));
    QVERIFY(settings.value(nomix::Option::MinimizeToTray));
    QVERIFY(Box(form, "minimizeToTrayBox")->isChecked());
}

void TestOptionsDialog::historyErase_data() {
    QTest::addColumn<QList<MessageBox::Button>>("answers");
    QTest::addColumn<bool>("closeWithOk");
    QTest::addColumn<bool>("erased");
    QTest::newRow("confirmed, OK") << QList{MessageBox::Ok} << true << true;
    QTest::newRow("confirmed, Cancel") << QList{MessageBox::Ok} << false << false;
    QTest::newRow("declined, OK") << QList{MessageBox::Cancel} << true << false;
    QTest::newRow("confirmed, declined, OK")
        << QList{MessageBox::Ok, MessageBox::Cancel} << true << true;
}

void TestOptionsDialog::historyErase() {
    QFETCH(QList<MessageBox::Button>, answers);
    QFETCH(bool, closeWithOk);
    QFETCH(bool, erased);
    Settings settings;
    OptionsDialog form(&settings);
    MainWindowStandIn main(&settings, &form);
    ShowAndWait(form);
    MessageBox::presetAnswers(answers);
    for (qsizetype i = 0; i < answers.size(); ++i) {
        QTest::mouseClick(Button(&form, "clearHistoryButton"), Qt::LeftButton);
    }
    QCOMPARE(MessageBox::shown().size(), answers.size());
    QCOMPARE(MessageBox::shown().first().kind, MessageBox::Warning);
    QCOMPARE(MessageBox::shown().first().caption, QStringLiteral("Warning"));
    QCOMPARE(MessageBox::shown().first().text,
             QStringLiteral(
                 "You are going to erase the history list of the search strings.\nAre you sure?"));
    QCOMPARE(main.erases, 0); // nothing is erased before the dialog closes

    QTest::mouseClick(Button(&form, closeWithOk ? "okButton" : "cancelButton"), Qt::LeftButton);
    QCOMPARE(main.erases, erased ? 1 : 0);

    // The request lasts one showing.
    ShowAndWait(form);
    QTest::mouseClick(Button(&form, "okButton"), Qt::LeftButton);
    QCOMPARE(main.erases, erased ? 1 : 0);
}

void TestOptionsDialog::execFromMainWindow() {
    Settings settings;
    OptionsDialog form(&settings);
    MainWindowStandIn main(&settings, &form);
    dialogtest::ModalOutcome outcome;
    dialogtest::whenModalShown(&outcome, [](QDialog* dialog) {
        auto* options = qobject_cast<OptionsDialog*>(dialog);
        QVERIFY(options);
        QCOMPARE(options->focusWidget(), Button(options, "okButton"));
        QVERIFY(QTest::qWaitForWindowActive(options));
        QTest::keyClick(options, Qt::Key_C, Qt::AltModifier); // "&Complete string match"
        QTRY_VERIFY(options->findChild<QCheckBox*>("completeStringMatchBox")
                        ->isChecked()); // a mnemonic clicks after a short delay
        QTest::keyClick(options, Qt::Key_Return);
    });
    form.exec();
    QVERIFY(outcome.appeared && outcome.closedByAction);
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QCOMPARE(main.changed, QStringList({"completeStringMatchBox"}));
}

void TestOptionsDialog::helpRequests() {
    dialogtest::HelpRecorder help;
    Settings settings;
    OptionsDialog form(&settings);
    ShowAndWait(form);
    QTest::mouseClick(Button(&form, "helpButton"), Qt::LeftButton);
    for (QWidget* control : std::initializer_list<QWidget*>{
             Box(form, "showNumericResultOnlyBox"), Box(form, "searchInBackgroundBox"),
             Box(form, "minimizeToTrayBox"), Box(form, "completeStringMatchBox"),
             Button(&form, "clearHistoryButton"), Button(&form, "cancelButton")}) {
        QMenu* menu = dialogtest::openLocalMenu(control);
        QVERIFY(menu);
        dialogtest::clickMenuItem(menu, menu->actions().first());
    }
    QCOMPARE(help.requests, QStringList({"topic 34", "popup 35", "popup 27", "popup 58", "popup 23",
                                         "popup 46", "popup 50"}));
    QVERIFY(form.isVisible());
    QVERIFY(form.grab().save(QStringLiteral("/tmp/optionform.png")));
}

void TestOptionsDialog::f1OpensTheFocusedControlsTopic_data() {
    QTest::addColumn<QString>("focus"); // empty: nothing in the dialog has the focus
    QTest::addColumn<QString>("request");
    QTest::newRow("OK, focused when shown") << "okButton"
                                            << "topic 49";
    QTest::newRow("check box") << "completeStringMatchBox"
                               << "topic 23";
    QTest::newRow("erase button") << "clearHistoryButton"
                                  << "topic 46";
    QTest::newRow("nothing focused") << ""
                                     << "topic 34";
}

void TestOptionsDialog::f1OpensTheFocusedControlsTopic() {
    QFETCH(QString, focus);
    QFETCH(QString, request);
    dialogtest::HelpRecorder help;
    Settings settings;
    OptionsDialog form(&settings);
    ShowAndWait(form);
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QWidget* control = focus.isEmpty() ? nullptr : form.findChild<QWidget*>(focus);
    if (control) {
        control->setFocus();
    } else {
        QApplication::focusWidget()->clearFocus();
    }
    QTRY_COMPARE(QApplication::focusWidget(), control);
    QWidget* target = control ? control : &form;
    QTest::keyClick(target, Qt::Key_F1);
    QCOMPARE(help.requests, QStringList{request});
}

QTEST_MAIN(TestOptionsDialog)
#include "tst_optionsdialog.moc"
