// SPDX-License-Identifier: MIT
#include "productlistmodel.h"

#include "core/producttable.h"
#include "dialogpictures.h"
#include "platform/displaytext.h"

#include <algorithm>

ProductListModel::ProductListModel(QObject* parent)
    : QAbstractTableModel(parent), m_selectedImage(nomix::selectedProductImage()),
      m_notSelectedImage(nomix::notSelectedProductImage()) {}

void ProductListModel::setProducts(const std::vector<std::string>& entries,
                                   const nomix::ProductSelection& selection) {
    beginResetModel();
    m_items.clear();
    m_items.reserve(entries.size());
    m_selected.assign(entries.size(), true);
    for (size_t i = 0; i < entries.size(); ++i) {
        const nomix::ProductItem split = nomix::splitProductEntry(entries[i]);
        m_items.push_back({nomix::displayText(split.name), nomix::displayText(split.version),
                           nomix::displayText(split.date)});
        if (i < selection.count()) {
            m_selected[i] = selection.isSelected(i);
        }
    }
    endResetModel();
}

nomix::ProductSelection ProductListModel::selection() const {
    nomix::ProductSelection result(m_selected.size());
    for (size_t i = 0; i < m_selected.size(); ++i) {
        result.setSelected(i, m_selected[i]);
    }
    return result;
}

void ProductListModel::setSelection(const nomix::ProductSelection& selection) {
    int first = -1;
    int last = -1;
    for (size_t i = 0; i < m_selected.size() && i < selection.count(); ++i) {
        if (m_selected[i] != selection.isSelected(i)) {
            m_selected[i] = selection.isSelected(i);
            first = first < 0 ? static_cast<int>(i) : first;
            last = static_cast<int>(i);
        }
    }
    rowsChanged(first, last);
}

bool ProductListModel::anySelected() const {
    return std::find(m_selected.begin(), m_selected.end(), true) != m_selected.end();
}

void ProductListModel::toggle(int row) {
    if (row < 0 || row >= rowCount()) {
        return;
    }
    m_selected[static_cast<size_t>(row)] = !m_selected[static_cast<size_t>(row)];
    rowsChanged(row, row);
}

void ProductListModel::invertAll() {
    m_selected.flip();
    rowsChanged(0, rowCount() - 1);
}

void ProductListModel::selectAll() {
    setAll(true);
}

void ProductListModel::unselectAll() {
    setAll(false);
}

void ProductListModel::setAll(bool selected) {
    // Items already in the wanted state are left alone, so a list that is
    // already all selected is not even redrawn.
    int first = -1;
    int last = -1;
    for (size_t i = 0; i < m_selected.size(); ++i) {
        if (m_selected[i] != selected) {
            m_selected[i] = selected;
            first = first < 0 ? static_cast<int>(i) : first;
            last = static_cast<int>(i);
        }
    }
    rowsChanged(first, last);
}

void ProductListModel::rowsChanged(int first, int last) {
    if (first < 0 || last < first) {
        return;
    }
    emit dataChanged(index(first, int(Column::Products)), index(last, int(Column::Status)),
                     {Qt::DisplayRole, Qt::DecorationRole, ImageIndexRole});
}

int ProductListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_items.size());
}

int ProductListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant ProductListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const auto row = static_cast<size_t>(index.row());
    const bool selected = m_selected[row];
    if (role == ImageIndexRole) {
        return selected ? 0 : 1;
    }
    if (role == Qt::DecorationRole && index.column() == int(Column::Products)) {
        return selected ? m_selectedImage : m_notSelectedImage;
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    switch (static_cast<Column>(index.column())) {
    case Column::Products:
        return m_items[row].name;
    case Column::Version:
        return m_items[row].version;
    case Column::Date:
        return m_items[row].date;
    case Column::Status:
        return selected ? tr("Selected") : tr("Not selected");
    default:
        return {};
    }
}

QVariant ProductListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    switch (static_cast<Column>(section)) {
    case Column::Products:
        return tr("Products");
    case Column::Version:
        return tr("Version");
    case Column::Date:
        return tr("Date");
    case Column::Status:
        return tr("Status");
    default:
        return {};
    }
}

Qt::ItemFlags ProductListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
