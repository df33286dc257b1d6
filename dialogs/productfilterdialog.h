#pragma once

#include "core/productselection.h"

#include <QDialog>

#include <optional>
#include <string>
#include <vector>

class QAction;
class QFrame;
class QMenu;
class QPushButton;
class QTreeView;
class ContextHelpMenu;
class ProductListModel;

// "Select antiviral products": the user picks the products whose columns take
// part in searches. The dialog holds the choice only as the status of its
// list items; the main window reads it back after OK. While shown it keeps a
// copy of the states (one flag per product) so that Cancel can give them back.
class ProductFilterDialog : public QDialog {
    Q_OBJECT

  public:
    explicit ProductFilterDialog(QWidget* parent = nullptr);

    // One item per product table entry, in order, each starting with its
    // state in `selection`. The column widths follow Longlist1.
    void FillProductList(const std::vector<std::string>& entries,
                         const nomix::ProductSelection& selection);

    // The states of the Status column, item by item.
    nomix::ProductSelection CurrentSelection() const;

    int productCount() const;
    // The caption of item `index` (the product's name as the list shows it).
    QString productName(int index) const;

    // Sets the four column widths for the check mark of Longlist1.
    void ApplyColumnWidths();

    QTreeView* ProductListView;
    QFrame* Panel1;
    QPushButton* OkButton;
    QPushButton* CancelButton;
    QPushButton* HelpButton;
    QMenu* ProductMenu;
    QAction* Whatsthis1;
    QAction* Selectall1;
    QAction* Unselectall1;
    QAction* Invertselection1;
    QAction* Longlist1;

  protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildList();
    void buildButtons();
    void buildMenu();
    QAction* addMenuItem(const char* name, const QString& caption, const QString& hint);

    void ProductListViewDblClick();
    bool ProductListViewKeyPress(const QString& key);
    void ProductListViewContextMenu(const QPoint& position);
    void Invertselection1Click();
    void Selectall1Click();
    void Unselectall1Click();
    void Longlist1Click();
    void HelpButtonClick();
    void Whatsthis1Click();

    int statusTextWidth() const;
    int listWidth() const;
    void toggleHighlightedItem();
    bool closeWithOkAllowed();
    void restoreSnapshot();

    ProductListModel* model_;
    ContextHelpMenu* helpPopup_;
    std::optional<nomix::ProductSelection> snapshot_;
};
