// SPDX-License-Identifier: MIT
#pragma once

#include "core/productselection.h"

#include <QAbstractTableModel>
#include <QPixmap>
#include <QString>

#include <string>
#include <vector>

// The items of the product list: one row per product of the product table
// with its name, version, date and status. A product's status text and its
// image are both drawn from one flag, so they can never disagree. A flag per
// product and a changed range per operation keep ten thousand products as
// quick to invert as ten: about 100 bytes of text per product.
class ProductListModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum class Column { Products, Version, Date, Status };
    static constexpr int kColumnCount = 4;
    // The status image's index: 0 for "Selected", 1 for "Not selected".
    static constexpr int ImageIndexRole = Qt::UserRole + 1;

    explicit ProductListModel(QObject* parent = nullptr);

    // One item per product table entry, in order, with the states of `selection`
    // (products that `selection` does not cover start selected).
    void setProducts(const std::vector<std::string>& entries,
                     const nomix::ProductSelection& selection);

    nomix::ProductSelection selection() const;
    // Gives every item the state of `selection`; only changed items are redrawn.
    void setSelection(const nomix::ProductSelection& selection);

    bool anySelected() const;

    void toggle(int row);
    void invertAll();
    void selectAll();
    void unselectAll();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  private:
    struct Item {
        QString name;
        QString version;
        QString date;
    };

    void setAll(bool selected);
    void rowsChanged(int first, int last);

    std::vector<Item> m_items;
    std::vector<bool> m_selected;
    QPixmap m_selectedImage;
    QPixmap m_notSelectedImage;
};
