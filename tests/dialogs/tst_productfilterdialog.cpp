#include "dialogdriver.h"

#include "core/producttable.h"
#include "dialogs/productlistmodel.h"
#include "dialogs/productfilterdialog.h"
#include "platform/messagebox.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTreeView>
#include <QtTest>

using nomix::MessageBox;
using nomix::ProductSelection;
using States = QList<bool>;

namespace {

ProductSelection SelectionOf(const States& states) {
    ProductSelection selection(static_cast<size_t>(states.size()));
    for (qsizetype i = 0; i < states.size(); ++i) {
        selection.setSelected(static_cast<size_t>(i), states[i]);
    }
    return selection;
}

States StatesOf(const ProductSelection& selection) {
    return States(selection.states().begin(), selection.states().end());
}

// What the user sees: each item's status text, checked against its image.
States ShownStates(const ProductFilterDialog& form) {
    const QAbstractItemModel* model = form.ProductListView->model();
    States states;
    for (int row = 0; row < model->rowCount(); ++row) {
        const QString status = model->index(row, 3).data().toString();
        const int image = model->index(row, 0).data(ProductListModel::ImageIndexRole).toInt();
        const bool selected = status == QLatin1String("Selected");
        if ((!selected && status != QLatin1String("Not selected")) || image != (selected ? 0 : 1)) {
            qWarning("row %d: status \"%s\" with image %d", row, qPrintable(status), image);
            return {};
        }
        states.append(selected);
    }
    return states;
}

std::unique_ptr<ProductFilterDialog> ShownForm(const States& states) {
    auto form = std::make_unique<ProductFilterDialog>();
    form->FillProductList(std::vector<std::string>(states.size(), "Alpha Scan 2.31 beta 05/97"),
                          SelectionOf(states));
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get())) {
        qWarning("the dialog was not exposed");
    }
    return form;
}

QPoint RowCentre(const ProductFilterDialog& form, int row) {
    return form.ProductListView->visualRect(form.ProductListView->model()->index(row, 0)).center();
}

void ClickRow(ProductFilterDialog& form, int row) {
    QTest::mouseClick(form.ProductListView->viewport(), Qt::LeftButton, {}, RowCentre(form, row));
}

void DoubleClickRow(ProductFilterDialog& form, int row) {
    ClickRow(form, row);
    QTest::mouseDClick(form.ProductListView->viewport(), Qt::LeftButton, {}, RowCentre(form, row));
}

void ClickHeader(ProductFilterDialog& form, int column) {
    QHeaderView* header = form.ProductListView->header();
    const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
}

void ChooseFromMenu(ProductFilterDialog& form, QAction* item) {
    QMenu* menu = dialogtest::OpenLocalMenu(form.ProductListView->viewport());
    QVERIFY(menu == form.ProductMenu);
    dialogtest::ClickMenuItem(menu, item);
}

// The designed widths of Version and Date; Status shows "Not selected" whole
// with the cell's padding, and Products takes what is left of the list, so
// no horizontal scroll bar shows.
bool HasDesignedWidths(const ProductFilterDialog& form, const QList<int>& designed) {
    const QTreeView* list = form.ProductListView;
    const QHeaderView* header = list->header();
    const int status = header->sectionSize(3);
    const int text = list->fontMetrics().horizontalAdvance("Not selected");
    const int used =
        header->sectionSize(0) + header->sectionSize(1) + header->sectionSize(2) + status;
    return header->sectionSize(1) == designed[1] && header->sectionSize(2) == designed[2] &&
           status >= designed[3] && status >= text + 12 && used <= list->viewport()->width() &&
           !list->horizontalScrollBar()->isVisible();
}

} // namespace

class TestProductFilterDialog : public QObject {
    Q_OBJECT

  private slots:
    void init() { MessageBox::clearShown(); }

    void sampleTableKeepsEveryProductApart();
    void toggle_data();
    void toggle();
    void headerClickInverts_data();
    void headerClickInverts();
    void menuChangesAllItems_data();
    void menuChangesAllItems();
    void selectAllOnSelectedListRewritesNothing();

    void okWithNoProductIsRefused();
    void cancelRestoresSnapshot_data();
    void cancelRestoresSnapshot();
    void execReturnsAcceptedOnOk();

    void detailsSwitchChangesOnlyWidths();
    void helpRequests();
    void tenThousandProductsStayQuick();
};

void TestProductFilterDialog::sampleTableKeepsEveryProductApart() {
    const auto table =
        nomix::readProductTable(std::string(NOMIX_SAMPLE_DIR) + "/NOMIX.CFG", "NOMIX.CFG");
    QVERIFY(table.entries.size() > 33);
    ProductSelection selection(table.entries.size());
    for (size_t i = 0; i < selection.count(); i += 3) {
        selection.setSelected(i, false);
    }
    ProductFilterDialog form;
    form.FillProductList(table.entries, selection);
    QCOMPARE(StatesOf(form.CurrentSelection()), StatesOf(selection));
    QCOMPARE(form.productName(0), QStringLiteral(" a-squared"));
    // Product 33 shares a mask bit with product 1, but not its state.
    form.ProductListView->setCurrentIndex(form.ProductListView->model()->index(32, 0));
    QTest::keyClick(form.ProductListView, Qt::Key_Space);
    QVERIFY(form.CurrentSelection().isSelected(32) != selection.isSelected(32));
    QCOMPARE(form.CurrentSelection().isSelected(0), selection.isSelected(0));
}

void TestProductFilterDialog::toggle_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<States>("expected");
    QTest::newRow("double click") << "double click" << States{false, false, true};
    QTest::newRow("blank key") << "blank" << States{false, false, true};
    QTest::newRow("other key") << "letter" << States{true, false, true};
    QTest::newRow("blank, nothing highlighted") << "blank, none" << States{true, false, true};
    QTest::newRow("double click below items") << "double click, none" << States{true, false, true};
}

void TestProductFilterDialog::toggle() {
    QFETCH(QString, how);
    QFETCH(States, expected);
    auto form = ShownForm({true, false, true});
    ClickRow(*form, 0);
    if (how.endsWith(QLatin1String("none"))) {
        form->ProductListView->clearSelection();
    }
    if (how.startsWith(QLatin1String("double click"))) {
        const QPoint at =
            how.endsWith(QLatin1String("none")) ? QPoint(20, 150) : RowCentre(*form, 0);
        QTest::mouseDClick(form->ProductListView->viewport(), Qt::LeftButton, {}, at);
    } else {
        QTest::keyClick(form->ProductListView,
                        how.startsWith(QLatin1String("blank")) ? Qt::Key_Space : Qt::Key_S);
    }
    QCOMPARE(ShownStates(*form), expected);
}

void TestProductFilterDialog::headerClickInverts_data() {
    QTest::addColumn<int>("column");
    for (int column = 0; column < 4; ++column) {
        QTest::addRow("column %d", column) << column;
    }
}

void TestProductFilterDialog::headerClickInverts() {
    QFETCH(int, column);
    auto form = ShownForm({true, false, false, true});
    form->Longlist1->setChecked(true); // every column visible
    ClickHeader(*form, column);
    QCOMPARE(ShownStates(*form), States({false, true, true, false}));
    ClickHeader(*form, column);
    QCOMPARE(ShownStates(*form), States({true, false, false, true}));
}

void TestProductFilterDialog::menuChangesAllItems_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<States>("expected");
    QTest::newRow("select all") << "Selectall1" << States{true, true, true, true};
    QTest::newRow("unselect all") << "Unselectall1" << States{false, false, false, false};
    QTest::newRow("invert") << "Invertselection1" << States{false, true, false, true};
}

void TestProductFilterDialog::menuChangesAllItems() {
    QFETCH(QString, item);
    QFETCH(States, expected);
    auto form = ShownForm({true, false, true, false});
    ChooseFromMenu(*form, form->findChild<QAction*>(item));
    QCOMPARE(ShownStates(*form), expected);
}

void TestProductFilterDialog::selectAllOnSelectedListRewritesNothing() {
    auto form = ShownForm({true, true, true});
    QSignalSpy changes(form->ProductListView->model(), &QAbstractItemModel::dataChanged);
    form->Selectall1->trigger();
    QCOMPARE(changes.count(), 0);
    form->Unselectall1->trigger();
    form->Unselectall1->trigger();
    QCOMPARE(changes.count(), 1);
}

void TestProductFilterDialog::okWithNoProductIsRefused() {
    auto form = ShownForm({true, false, true});
    form->Unselectall1->trigger();
    MessageBox::presetAnswers({MessageBox::Ok});
    QTest::mouseClick(form->OkButton, Qt::LeftButton);
    QVERIFY(form->isVisible());
    QCOMPARE(MessageBox::shown().size(), 1);
    QCOMPARE(MessageBox::shown().first().kind, MessageBox::Error);
    QCOMPARE(MessageBox::shown().first().caption, QStringLiteral("Error"));
    QCOMPARE(MessageBox::shown().first().text,
             QStringLiteral("No product selected.\nYou must select one product at least."));
    QCOMPARE(ShownStates(*form), States({false, false, false}));

    QTest::mouseClick(form->CancelButton, Qt::LeftButton);
    QCOMPARE(form->result(), int(QDialog::Rejected));
    QCOMPARE(ShownStates(*form), States({true, false, true}));
}

void TestProductFilterDialog::cancelRestoresSnapshot_data() {
    QTest::addColumn<QString>("way");
    QTest::newRow("Cancel button") << "button";
    QTest::newRow("Esc") << "esc";
    QTest::newRow("close box") << "close";
}

void TestProductFilterDialog::cancelRestoresSnapshot() {
    QFETCH(QString, way);
    const States initial{true, false, true, true, false};
    auto form = ShownForm(initial);
    DoubleClickRow(*form, 0);
    form->Invertselection1->trigger();
    ClickRow(*form, 4);
    QTest::keyClick(form->ProductListView, Qt::Key_Space);
    form->Selectall1->trigger();
    ClickHeader(*form, 0);
    QCOMPARE(ShownStates(*form), States({false, false, false, false, false}));

    if (way == QLatin1String("button")) {
        QTest::mouseClick(form->CancelButton, Qt::LeftButton);
    } else if (way == QLatin1String("esc")) {
        QTest::keyClick(form->ProductListView, Qt::Key_Escape);
    } else {
        form->close();
    }
    QVERIFY(!form->isVisible());
    QCOMPARE(form->result(), int(QDialog::Rejected));
    QCOMPARE(ShownStates(*form), initial);
}

void TestProductFilterDialog::execReturnsAcceptedOnOk() {
    ProductFilterDialog form;
    form.FillProductList({"A 1 01/99", "B 2 02/99"}, ProductSelection(2));
    dialogtest::ModalOutcome outcome;
    dialogtest::WhenModalShown(&outcome, [](QDialog* dialog) {
        auto* shown = qobject_cast<ProductFilterDialog*>(dialog);
        QVERIFY(shown);
        QCOMPARE(shown->focusWidget(), shown->OkButton);
        QTest::keyClick(shown->ProductListView, Qt::Key_Down);
        QTest::keyClick(shown->ProductListView, Qt::Key_Space);
        QTest::mouseClick(shown->OkButton, Qt::LeftButton);
    });
    QCOMPARE(form.exec(), int(QDialog::Accepted));
    QVERIFY(outcome.appeared && outcome.closedByAction);
    QCOMPARE(StatesOf(form.CurrentSelection()), States({false, true}));
}

void TestProductFilterDialog::detailsSwitchChangesOnlyWidths() {
    const QList<int> shortList{370, 0, 0, 120};
    const QList<int> details{200, 120, 80, 90};
    auto form = ShownForm({true, false, true, true, false});
    QVERIFY(HasDesignedWidths(*form, shortList));
    QVERIFY(form->grab().save(QStringLiteral("/tmp/selectform.png")));
    ChooseFromMenu(*form, form->Longlist1);
    QVERIFY(form->Longlist1->isChecked());
    QVERIFY(HasDesignedWidths(*form, details));
    QCOMPARE(ShownStates(*form), States({true, false, true, true, false}));
    ChooseFromMenu(*form, form->Longlist1);
    QVERIFY(HasDesignedWidths(*form, shortList));

    // The stored setting ticks it from outside; a new fill keeps the widths;
    // Cancel gives back items, not the switch.
    form->Longlist1->setChecked(true);
    form->FillProductList({"A 1 01/99"}, ProductSelection(1));
    QVERIFY(HasDesignedWidths(*form, details));
    QVERIFY(form->grab().save(QStringLiteral("/tmp/selectform-details.png")));
    form->reject();
    QVERIFY(form->Longlist1->isChecked());
}

void TestProductFilterDialog::helpRequests() {
    dialogtest::HelpRecorder help;
    auto form = ShownForm({true});
    QTest::mouseClick(form->HelpButton, Qt::LeftButton);
    ChooseFromMenu(*form, form->Whatsthis1);
    for (QPushButton* button : {form->OkButton, form->CancelButton, form->HelpButton}) {
        QMenu* menu = dialogtest::OpenLocalMenu(button);
        QVERIFY(menu);
        QCOMPARE(menu->actions().first()->text(), QStringLiteral("What's this?"));
        dialogtest::ClickMenuItem(menu, menu->actions().first());
    }
    QCOMPARE(help.requests,
             QStringList({"topic 47", "popup 48", "popup 49", "popup 50", "popup 52"}));
}

void TestProductFilterDialog::tenThousandProductsStayQuick() {
    constexpr size_t kCount = 10000;
    ProductSelection selection(kCount);
    for (size_t i = 0; i < kCount; i += 7) {
        selection.setSelected(i, false);
    }
    ProductFilterDialog form;
    QElapsedTimer timer;
    timer.start();
    form.FillProductList(std::vector<std::string>(kCount, "Product 1.2 09/15"), selection);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.Invertselection1->trigger();
    form.Selectall1->trigger();
    form.Unselectall1->trigger();
    form.ProductListView->scrollToBottom();
    QCoreApplication::processEvents();
    QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(!form.CurrentSelection().isSelected(kCount - 1));
    form.reject();
    QCOMPARE(StatesOf(form.CurrentSelection()), StatesOf(selection));
}

QTEST_MAIN(TestProductFilterDialog)
#include "tst_productfilterdialog.moc"
