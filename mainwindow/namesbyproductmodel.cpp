// SPDX-License-Identifier: MIT
#include "namesbyproductmodel.h"

#include "core/asciifinder.h"
#include "platform/displaytext.h"

namespace nomix {

NamesByProductModel::NamesByProductModel(QObject* parent) : QAbstractTableModel(parent) {}

void NamesByProductModel::setNames(const QStringList& products,
                                   std::vector<std::vector<NameCount>> names, size_t hitCount,
                                   bool dataIsUtf8) {
    m_products = products;
    m_names = std::move(names);
    m_nameCount = 0;
    for (const std::vector<NameCount>& product : m_names) {
        m_nameCount += product.size();
    }
    m_hitCount = hitCount;
    m_dataIsUtf8 = dataIsUtf8;
    applyFilter();
}

void NamesByProductModel::clear() {
    setNames({}, {}, 0, m_dataIsUtf8);
}

void NamesByProductModel::setFilter(const QString& text) {
    if (text != m_filter) {
        m_filter = text;
        applyFilter();
    }
}

void NamesByProductModel::applyFilter() {
    beginResetModel();
    m_rows.clear();
    const AsciiFinder finder(upperCaseAscii(dataBytes(m_filter, m_dataIsUtf8)));
    const bool all = m_filter.isEmpty();
    for (size_t p = 0; p < m_names.size(); ++p) {
        const bool productHolds =
            !all && p < size_t(m_products.size()) &&
            m_products.at(qsizetype(p)).contains(m_filter, Qt::CaseInsensitive);
        for (size_t n = 0; n < m_names[p].size(); ++n) {
            if (all || productHolds || finder.find(m_names[p][n].name) != AsciiFinder::npos) {
                m_rows.push_back(Row{static_cast<uint32_t>(p), static_cast<uint32_t>(n)});
            }
        }
    }
    endResetModel();
}

const NameCount* NamesByProductModel::countOf(int row) const {
    if (row < 0 || size_t(row) >= m_rows.size()) {
        return nullptr;
    }
    const Row& at = m_rows[size_t(row)];
    return &m_names[at.product][at.name];
}

QString NamesByProductModel::productAt(int row) const {
    if (row < 0 || size_t(row) >= m_rows.size()) {
        return {};
    }
    const uint32_t product = m_rows[size_t(row)].product;
    return product < m_products.size() ? m_products.at(product) : QString();
}

std::string_view NamesByProductModel::nameAt(int row) const {
    const NameCount* count = countOf(row);
    return count ? std::string_view(count->name) : std::string_view();
}

size_t NamesByProductModel::countAt(int row) const {
    const NameCount* count = countOf(row);
    return count ? count->count : 0;
}

double NamesByProductModel::shareAt(int row) const {
    return m_hitCount == 0 ? 0.0 : 100.0 * double(countAt(row)) / double(m_hitCount);
}

QString NamesByProductModel::shareText(double percent) {
    return QStringLiteral("%1 %").arg(percent, 0, 'f', 1);
}

int NamesByProductModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int NamesByProductModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant NamesByProductModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const int row = index.row();
    if (role == Qt::TextAlignmentRole) {
        return index.column() >= CountColumn ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                             : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    switch (index.column()) {
    case ProductColumn:
        return productAt(row);
    case NameColumn:
        return displayText(nameAt(row));
    case CountColumn:
        return QString::number(countAt(row));
    case ShareColumn:
        return shareText(shareAt(row));
    default:
        return {};
    }
}

QVariant NamesByProductModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (section) {
    case ProductColumn:
        return tr("Product");
    case NameColumn:
        return tr("Name");
    case CountColumn:
        return tr("Count");
    case ShareColumn:
        return tr("Share");
    default:
        return {};
    }
}

} // namespace nomix
