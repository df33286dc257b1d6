// SPDX-License-Identifier: MIT
#include "dialogdriver.h"

#include "core/producttable.h"
#include "dialogs/productfilterdialog.h"
#include "dialogs/productlistmodel.h"
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

ProductSelection selectionOf(const States& states) {
    ProductSelection selection(static_cast<size_t>(states.size()));
    for (qsizetype i = 0; i < states.size(); ++i) {
        selection.setSelected(static_cast<size_t>(i), states[i]);
    }
    return selection;
}

States statesOf(const ProductSelection& selection) {
    return States(selection.states().begin(), selection.states().end());
}

QTreeView* productList(const ProductFilterDialog& form) {
    return form.findChild<QTreeView*>("productList");
}

QPushButton* button(const ProductFilterDialog& form, const char* name) {
    return form.findChild<QPushButton*>(name);
}

QAction* menuItem(const ProductFilterDialog& form, const char* name) {
    return form.findChild<QAction*>(name);
}

// What the user sees: each item's status text, checked against its image.
States shownStates(const ProductFilterDialog& form) {
    const QAbstractItemModel* model = productList(form)->model();
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

std::unique_ptr<ProductFilterDialog> shownForm(const States& states) {
    auto form = std::make_unique<ProductFilterDialog>();
    form->setProducts(std::vector<std::string>(states.size(), "Alpha Scan 2.31 beta 05/97"),
                      selectionOf(states));
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get())) {
        qWarning("the dialog was not exposed");
    }
    return form;
}

QPoint rowCentre(const ProductFilterDialog& form, int row) {
    const QTreeView* list = productList(form);
    return list->visualRect(list->model()->index(row, 0)).center();
}

void clickRow(ProductFilterDialog& form, int row) {
    QTest::mouseClick(productList(form)->viewport(), Qt::LeftButton, {}, rowCentre(form, row));
}

void doubleClickRow(ProductFilterDialog& form, int row) {
    clickRow(form, row);
    QTest::mouseDClick(productList(form)->viewport(), Qt::LeftButton, {}, rowCentre(form, row));
}

void clickHeader(ProductFilterDialog& form, int column) {
    QHeaderView* header = productList(form)->header();
    const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
}

void chooseFromMenu(ProductFilterDialog& form, const char* item) {
    QMenu* menu = dialogtest::openLocalMenu(productList(form)->viewport());
    QVERIFY(menu);
    QCOMPARE(menu->objectName(), QStringLiteral("productMenu"));
    QVERIFY(menuItem(form, item));
    dialogtest::clickMenuItem(menu, menuItem(form, item));
}

// The designed widths of Version and Date; Status shows "Not selected" whole
// with the cell's padding, and Products takes what is left of the list, so
// no horizontal scroll bar shows.
bool hasDesignedWidths(const ProductFilterDialog& form, const QList<int>& designed) {
    const QTreeView* list = productList(form);
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
    void f1OpensTheFocusedControlsTopic();
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
    form.setProducts(table.entries, selection);
    QCOMPARE(statesOf(form.selection()), statesOf(selection));
    QTreeView* list = productList(form);
    QCOMPARE(list->model()->index(0, 0).data().toString(), QStringLiteral(" a-squared"));
    // Product 33 shares a mask bit with product 1, but not its state.
    list->setCurrentIndex(list->model()->index(32, 0));
    QTest::keyClick(list, Qt::Key_Space);
    QVERIFY(form.selection().isSelected(32) != selection.isSelected(32));
    QCOMPARE(form.selection().isSelected(0), selection.isSelected(0));
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
    auto form = shownForm({true, false, true});
    clickRow(*form, 0);
    if (how.endsWith(QLatin1String("none"))) {
        productList(*form)->clearSelection();
    }
    if (how.startsWith(QLatin1String("double click"))) {
        const QPoint at =
            how.endsWith(QLatin1String("none")) ? QPoint(20, 150) : rowCentre(*form, 0);
        QTest::mouseDClick(productList(*form)->viewport(), Qt::LeftButton, {}, at);
    } else {
        QTest::keyClick(productList(*form),
                        how.startsWith(QLatin1String("blank")) ? Qt::Key_Space : Qt::Key_S);
    }
    QCOMPARE(shownStates(*form), expected);
}

void TestProductFilterDialog::headerClickInverts_data() {
    QTest::addColumn<int>("column");
    for (int column = 0; column < 4; ++column) {
        QTest::addRow("column %d", column) << column;
    }
}

void TestProductFilterDialog::headerClickInverts() {
    QFETCH(int, column);
    auto form = shownForm({true, false, false, true});
    form->setListDetails(true); // every column visible
    clickHeader(*form, column);
    QCOMPARE(shownStates(*form), States({false, true, true, false}));
    clickHeader(*form, column);
    QCOMPARE(shownStates(*form), States({true, false, false, true}));
}

void TestProductFilterDialog::menuChangesAllItems_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<States>("expected");
    QTest::newRow("select all") << "selectAllAction" << States{true, true, true, true};
    QTest::newRow("unselect all") << "unselectAllAction" << States{false, false, false, false};
    QTest::newRow("invert") << "invertSelectionAction" << States{false, true, false, true};
}

void TestProductFilterDialog::menuChangesAllItems() {
    QFETCH(QString, item);
    QFETCH(States, expected);
    auto form = shownForm({true, false, true, false});
    chooseFromMenu(*form, qPrintable(item));
    QCOMPARE(shownStates(*form), expected);
}

void TestProductFilterDialog::selectAllOnSelectedListRewritesNothing() {
    auto form = shownForm({true, true, true});
    QSignalSpy changes(productList(*form)->model(), &QAbstractItemModel::dataChanged);
    chooseFromMenu(*form, "selectAllAction");
    QCOMPARE(changes.count(), 0);
    chooseFromMenu(*form, "unselectAllAction");
    chooseFromMenu(*form, "unselectAllAction");
    QCOMPARE(changes.count(), 1);
}

void TestProductFilterDialog::okWithNoProductIsRefused() {
    auto form = shownForm({true, false, true});
    chooseFromMenu(*form, "unselectAllAction");
    MessageBox::presetAnswers({MessageBox::Ok});
    QTest::mouseClick(button(*form, "okButton"), Qt::LeftButton);
    QVERIFY(form->isVisible());
    QCOMPARE(MessageBox::shown().size(), 1);
    QCOMPARE(MessageBox::shown().first().kind, MessageBox::Error);
    QCOMPARE(MessageBox::shown().first().caption, QStringLiteral("Error"));
    QCOMPARE(MessageBox::shown().first().text,
             QStringLiteral("No product selected.\nYou must select one product at least."));
    QCOMPARE(shownStates(*form), States({false, false, false}));

    QTest::mouseClick(button(*form, "cancelButton"), Qt::LeftButton);
    QCOMPARE(form->result(), int(QDialog::Rejected));
    QCOMPARE(shownStates(*form), States({true, false, true}));
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
    auto form = shownForm(initial);
    doubleClickRow(*form, 0);
    chooseFromMenu(*form, "invertSelectionAction");
    clickRow(*form, 4);
    QTest::keyClick(productList(*form), Qt::Key_Space);
    chooseFromMenu(*form, "selectAllAction");
    clickHeader(*form, 0);
    QCOMPARE(shownStates(*form), States({false, false, false, false, false}));

    if (way == QLatin1String("button")) {
        QTest::mouseClick(button(*form, "cancelButton"), Qt::LeftButton);
    } else if (way == QLatin1String("esc")) {
        QTest::keyClick(productList(*form), Qt::Key_Escape);
    } else {
        form->close();
    }
    QVERIFY(!form->isVisible());
    QCOMPARE(form->result(), int(QDialog::Rejected));
    QCOMPARE(shownStates(*form), initial);
}

void TestProductFilterDialog::execReturnsAcceptedOnOk() {
    ProductFilterDialog form;
    form.setProducts({"A 1 01/99", "B 2 02/99"}, ProductSelection(2));
    dialogtest::ModalOutcome outcome;
    dialogtest::whenModalShown(&outcome, [](QDialog* dialog) {
        auto* shown = qobject_cast<ProductFilterDialog*>(dialog);
        QVERIFY(shown);
        QCOMPARE(shown->focusWidget(), button(*shown, "okButton"));
        QTest::keyClick(productList(*shown), Qt::Key_Down);
        QTest::keyClick(productList(*shown), Qt::Key_Space);
        QTest::mouseClick(button(*shown, "okButton"), Qt::LeftButton);
    });
    QCOMPARE(form.exec(), int(QDialog::Accepted));
    QVERIFY(outcome.appeared && outcome.closedByAction);
    QCOMPARE(statesOf(form.selection()), States({false, true}));
}

void TestProductFilterDialog::detailsSwitchChangesOnlyWidths() {
    const QList<int> shortList{370, 0, 0, 120};
    const QList<int> details{200, 120, 80, 90};
    auto form = shownForm({true, false, true, true, false});
    QVERIFY(hasDesignedWidths(*form, shortList));
    QVERIFY(form->grab().save(QStringLiteral("/tmp/selectform.png")));
    chooseFromMenu(*form, "listDetailsAction");
    QVERIFY(form->listDetails());
    QVERIFY(hasDesignedWidths(*form, details));
    QCOMPARE(shownStates(*form), States({true, false, true, true, false}));
    chooseFromMenu(*form, "listDetailsAction");
    QVERIFY(hasDesignedWidths(*form, shortList));

    // The stored setting ticks it from outside; a new fill keeps the widths;
    // Cancel gives back items, not the switch.
    form->setListDetails(true);
    form->setProducts({"A 1 01/99"}, ProductSelection(1));
    QVERIFY(hasDesignedWidths(*form, details));
    QVERIFY(form->grab().save(QStringLiteral("/tmp/selectform-details.png")));
    form->reject();
    QVERIFY(form->listDetails());
}

void TestProductFilterDialog::helpRequests() {
    dialogtest::HelpRecorder help;
    auto form = shownForm({true});
    QTest::mouseClick(button(*form, "helpButton"), Qt::LeftButton);
    chooseFromMenu(*form, "whatsThisAction");
    for (const char* name : {"okButton", "cancelButton", "helpButton"}) {
        QMenu* menu = dialogtest::openLocalMenu(button(*form, name));
        QVERIFY(menu);
        QCOMPARE(menu->actions().first()->text(), QStringLiteral("What's this?"));
        dialogtest::clickMenuItem(menu, menu->actions().first());
    }
    QCOMPARE(help.requests,
             QStringList({"topic 47", "popup 48", "popup 49", "popup 50", "popup 52"}));
}

// F1 to the focus widget: the list's help context, a button's, the dialog's.
void TestProductFilterDialog::f1OpensTheFocusedControlsTopic() {
    dialogtest::HelpRecorder help;
    auto form = shownForm({true});
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    for (const char* name : {"productList", "cancelButton", ""}) {
        if (*name) {
            form->findChild<QWidget*>(QLatin1String(name))->setFocus();
        } else {
            QApplication::focusWidget()->clearFocus();
        }
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : form.get();
        QTest::keyClick(target, Qt::Key_F1);
    }
    QCOMPARE(help.requests, QStringList({"topic 48", "topic 50", "topic 47"}));
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
    form.setProducts(std::vector<std::string>(kCount, "Product 1.2 09/15"), selection);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    chooseFromMenu(form, "invertSelectionAction");
    chooseFromMenu(form, "selectAllAction");
    chooseFromMenu(form, "unselectAllAction");
    productList(form)->scrollToBottom();
    QCoreApplication::processEvents();
    QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(!form.selection().isSelected(kCount - 1));
    form.reject();
    QCOMPARE(statesOf(form.selection()), statesOf(selection));
}

QTEST_MAIN(TestProductFilterDialog)
#include "tst_productfilterdialog.moc"
