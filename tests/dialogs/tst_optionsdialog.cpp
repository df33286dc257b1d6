#include "dialogdriver.h"

#include "dialogs/optionschanged.h"
#include "dialogs/optionsdialog.h"
#include "platform/messagebox.h"

#include <QCheckBox>
#include <QPushButton>
#include <QtTest>

using nomix::MessageBox;

namespace {

// In the order in which the dialog takes and restores its snapshot.
const QStringList kBoxNames = {
    "ResultCheck", "BitmapCheck",   "CounterCheck", "BackgroundCheck", "ProductCheck", "CheckAlarm",
    "CheckSounds", "CheckSelProds", "SaveSelCheck", "MinimizeCheck",   "MatchCheck",
};

// Stands in for the main window: records the codes it is sent.
class MainWindowStandIn : public QObject {
  public:
    explicit MainWindowStandIn(OptionsDialog* form) {
        connect(
            form, &OptionsDialog::OptionsChanged, this, [this](int code) { codes.append(code); },
            Qt::DirectConnection);
    }

    QList<int> codes;
};

QList<bool> States(OptionsDialog& form) {
    QList<bool> states;
    for (const QString& name : kBoxNames) {
        states.append(form.findChild<QCheckBox*>(name)->isChecked());
    }
    return states;
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
    void clickNotifies_data();
    void clickNotifies();
    void cancelRestoresThroughSameNotifications_data();
    void cancelRestoresThroughSameNotifications();
    void snapshotIsTakenAtEachShowing();
    void historyErase_data();
    void historyErase();
    void execFromMainWindow();
    void helpRequests();
};

void TestOptionsDialog::designStates() {
    OptionsDialog form;
    // Before the settings are read only bitmaps, background search and all
    // products are on.
    QCOMPARE(States(form), QList<bool>({false, true, false, true, true, false, false, false, false,
                                        false, false}));
}

void TestOptionsDialog::clickNotifies_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("code"); // 0: none
    const QList<int> codes{0,
                           kBitmapsChanged,
                           kCounterChanged,
                           kBackgroundChanged,
                           kShowProductsChanged,
                           0,
                           0,
                           0,
                           0,
                           0,
                           kStringMatchChanged};
    for (qsizetype i = 0; i < kBoxNames.size(); ++i) {
        QTest::newRow(qPrintable(kBoxNames[i])) << kBoxNames[i] << codes[i];
    }
}

void TestOptionsDialog::clickNotifies() {
    QFETCH(QString, box);
    QFETCH(int, code);
    OptionsDialog form;
    ShowAndWait(form);
    QCheckBox* checkBox = form.findChild<QCheckBox*>(box);
    const bool before = checkBox->isChecked();
    QList<bool> statesSeen;
    connect(
        &form, &OptionsDialog::OptionsChanged, this,
        [&](int) { statesSeen.append(checkBox->isChecked()); }, Qt::DirectConnection);
    MainWindowStandIn main(&form);

    ClickBox(checkBox);
    ClickBox(checkBox);
    // The settings store and the speed track bar set the boxes directly.
    checkBox->setChecked(!before);
    checkBox->setChecked(!before);
    if (code == 0) {
        QVERIFY(main.codes.isEmpty());
    } else {
        QCOMPARE(main.codes, QList<int>({code, code, code}));
        QCOMPARE(statesSeen, QList<bool>({!before, before, !before}));
    }
}

void TestOptionsDialog::cancelRestoresThroughSameNotifications_data() {
    QTest::addColumn<bool>("byEsc");
    QTest::newRow("Cancel button") << false;
    QTest::newRow("Esc") << true;
}

void TestOptionsDialog::cancelRestoresThroughSameNotifications() {
    QFETCH(bool, byEsc);
    OptionsDialog form;
    form.ResultCheck->setChecked(true); // as the settings store may have set them
    form.MatchCheck->setChecked(true);
    ShowAndWait(form);
    const QList<bool> shownStates = States(form);
    MainWindowStandIn main(&form);
    for (const QString& name : kBoxNames) {
        ClickBox(form.findChild<QCheckBox*>(name));
    }
    ClickBox(form.ProductCheck); // back as it was: no notification on Cancel
    main.codes.clear();

    if (byEsc) {
        QTest::keyClick(&form, Qt::Key_Escape);
    } else {
        QTest::mouseClick(form.CancelButton, Qt::LeftButton);
    }
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Rejected));
    QCOMPARE(States(form), shownStates);
    QCOMPARE(main.codes, QList<int>({kBitmapsChanged, kCounterChanged, kBackgroundChanged,
                                     kStringMatchChanged}));
}

void TestOptionsDialog::snapshotIsTakenAtEachShowing() {
    OptionsDialog form;
    ShowAndWait(form);
    ClickBox(form.CheckSounds);
    QTest::mouseClick(form.OkButton, Qt::LeftButton);
    QCOMPARE(form.result(), int(QDialog::Accepted));

    form.MinimizeCheck->setChecked(true); // changed between showings
    ShowAndWait(form);
    ClickBox(form.CheckSounds);
    ClickBox(form.MinimizeCheck);
    QTest::mouseClick(form.CancelButton, Qt::LeftButton);
    QVERIFY(form.CheckSounds->isChecked());
    QVERIFY(form.MinimizeCheck->isChecked());
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
    OptionsDialog form;
    MainWindowStandIn main(&form);
    ShowAndWait(form);
    MessageBox::presetAnswers(answers);
    for (qsizetype i = 0; i < answers.size(); ++i) {
        QTest::mouseClick(form.EraseHistoryBtn, Qt::LeftButton);
    }
    QCOMPARE(MessageBox::shown().size(), answers.size());
    QCOMPARE(MessageBox::shown().first().kind, MessageBox::Warning);
    QCOMPARE(MessageBox::shown().first().caption, QStringLiteral("Warning"));
    QCOMPARE(MessageBox::shown().first().text,
             QStringLiteral(
                 "You are going to erase the history list of the search strings.\nAre you sure?"));
    QVERIFY(main.codes.isEmpty()); // nothing is erased before the dialog closes

    QTest::mouseClick(closeWithOk ? form.OkButton : form.CancelButton, Qt::LeftButton);
    QCOMPARE(main.codes, erased ? QList<int>({kHistoryEraseConfirmed}) : QList<int>());

    // The request lasts one showing.
    ShowAndWait(form);
    QTest::mouseClick(form.OkButton, Qt::LeftButton);
    QCOMPARE(main.codes.count(kHistoryEraseConfirmed), erased ? 1 : 0);
}

void TestOptionsDialog::execFromMainWindow() {
    OptionsDialog form;
    MainWindowStandIn main(&form);
    dialogtest::ModalOutcome outcome;
    dialogtest::whenModalShown(&outcome, [](QDialog* dialog) {
        auto* options = qobject_cast<OptionsDialog*>(dialog);
        QVERIFY(options);
        QCOMPARE(options->focusWidget(), options->OkButton);
        QVERIFY(QTest::qWaitForWindowActive(options));
        QTest::keyClick(options, Qt::Key_C, Qt::AltModifier); // "&Complete string match"
        QTRY_VERIFY(options->MatchCheck->isChecked()); // a mnemonic clicks after a short delay
        QTest::keyClick(options, Qt::Key_Return);
    });
    form.exec();
    QVERIFY(outcome.appeared && outcome.closedByAction);
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QCOMPARE(main.codes, QList<int>({kStringMatchChanged}));
}

void TestOptionsDialog::helpRequests() {
    dialogtest::HelpRecorder help;
    OptionsDialog form;
    ShowAndWait(form);
    QTest::mouseClick(form.HelpButton, Qt::LeftButton);
    for (QWidget* control : std::initializer_list<QWidget*>{
             form.ResultCheck, form.BackgroundCheck, form.MinimizeCheck, form.MatchCheck,
             form.EraseHistoryBtn, form.CancelButton}) {
        QMenu* menu = dialogtest::openLocalMenu(control);
        QVERIFY(menu);
        dialogtest::clickMenuItem(menu, menu->actions().first());
    }
    QCOMPARE(help.requests, QStringList({"topic 34", "popup 35", "popup 27", "popup 58", "popup 23",
                                         "popup 46", "popup 50"}));
    QVERIFY(form.isVisible());
    QVERIFY(form.grab().save(QStringLiteral("/tmp/optionform.png")));
}

QTEST_MAIN(TestOptionsDialog)
#include "tst_optionsdialog.moc"
