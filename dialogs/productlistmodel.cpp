#include "productlistmodel.h"

#include "core/producttable.h"
#include "dialogpictures.h"
#include "platform/displaytext.h"

#include <algorithm>

namespace {

const QString kSelected = QStringLiteral("Selected");
const QString kNotSelected = QStringLiteral("Not selected");

} // namespace

ProductListModel::ProductListModel(QObject* parent)
    : QAbstractTableModel(parent), selectedImage_(nomix::SelectedProductImage()),
      notSelectedImage_(nomix::NotSelectedProductImage()) {}

void ProductListModel::fill(const std::vector<std::string>& entries,
                             const nomix::ProductSelection& selection) {
    beginResetModel();
    items_.clear();
    items_.reserve(entries.size());
    selected_.assign(entries.size(), true);
    for (size_t i = 0; i < entries.size(); ++i) {
        const nomix::ProductItem split = nomix::splitProductEntry(entries[i]);
        items_.push_back({nomix::displayText(split.name), nomix::displayText(split.version),
                          nomix::displayText(split.date)});
        if (i < selection.count()) {
            selected_[i] = selection.isSelected(i);
        }
    }
    endResetModel();
}

nomix::ProductSelection ProductListModel::selection() const {
    nomix::ProductSelection result(selected_.size());
    for (size_t i = 0; i < selected_.size(); ++i) {
        result.setSelected(i, selected_[i]);
    }
    return result;
}

void ProductListModel::setSelection(const nomix::ProductSelection& selection) {
    int first = -1;
    int last = -1;
    for (size_t i = 0; i < selected_.size() && i < selection.count(); ++i) {
        if (selected_[i] != selection.isSelected(i)) {
            selected_[i] = selection.isSelected(i);
            first = first < 0 ? static_cast<int>(i) : first;
            last = static_cast<int>(i);
        }
    }
    rowsChanged(first, last);
}

bool ProductListModel::anySelected() const {
    return std::find(selected_.begin(), selected_.end(), true) != selected_.end();
}

void ProductListModel::toggle(int row) {
    if (row < 0 || row >= rowCount()) {
        return;
    }
    selected_[static_cast<size_t>(row)] = !selected_[static_cast<size_t>(row)];
    rowsChanged(row, row);
}

void ProductListModel::invertAll() {
    selected_.flip();
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
    for (size_t i = 0; i < selected_.size(); ++i) {
        if (selected_[i] != selected) {
            selected_[i] = selected;
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
    emit dataChanged(index(first, ProductsColumn), index(last, StatusColumn),
                     {Qt::DisplayRole, Qt::DecorationRole, ImageIndexRole});
}

int ProductListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(items_.size());
}

int ProductListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ProductListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const auto row = static_cast<size_t>(index.row());
    const bool selected = selected_[row];
    if (role == ImageIndexRole) {
        return selected ? 0 : 1;
    }
    if (role == Qt::DecorationRole && index.column() == ProductsColumn) {
        return selected ? selectedImage_ : notSelectedImage_;
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    switch (index.column()) {
    case ProductsColumn:
        return items_[row].name;
    case VersionColumn:
        return items_[row].version;
    case DateColumn:
        return items_[row].date;
    case StatusColumn:
        return selected ? kSelected : kNotSelected;
    default:
        return {};
    }
}

QVariant ProductListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    switch (section) {
    case ProductsColumn:
        return QStringLiteral("Products");
    case VersionColumn:
        return QStringLiteral("Version");
    case DateColumn:
        return QStringLiteral("Date");
    case StatusColumn:
        return QStringLiteral("Status");
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
