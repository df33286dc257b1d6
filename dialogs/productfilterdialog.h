// SPDX-License-Identifier: MIT
#pragma once

#include "core/productselection.h"

#include <QDialog>

#include <optional>
#include <string>
#include <vector>

class QAction;
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
    // state in `selection`.
    void setProducts(const std::vector<std::string>& entries,
                     const nomix::ProductSelection& selection);

    // The states of the Status column, item by item.
    nomix::ProductSelection selection() const;

    // The "&List details" item of the list's local menu: the Version and
    // Date columns shown. Whoever ticks it (the user, or the main window from
    // the stored setting) gets the matching column widths.
    bool listDetails() const;
    void setListDetails(bool on);

  protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildList();
    QWidget* buildButtons();
    void buildMenu();
    QAction* addMenuItem(const char* name, const QString& caption, const QString& hint);

    void applyColumnWidths();
    void refreshColumnWidths();
    int statusTextWidth() const;
    int listWidth() const;

    void showProductMenu(const QPoint& position);
    void toggleHighlightedItem();
    void invertSelection();
    void selectAll();
    void unselectAll();
    void showHelpTopic();
    void showListHelp();

    bool acceptAllowed();
    void restoreSnapshot();

    ProductListModel* m_model;
    ContextHelpMenu* m_helpMenu;
    QTreeView* m_list = nullptr;
    QPushButton* m_okButton = nullptr;
    QMenu* m_productMenu = nullptr;
    QAction* m_listDetailsAction = nullptr;
    std::optional<nomix::ProductSelection> m_snapshot;
};
