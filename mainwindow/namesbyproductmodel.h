// SPDX-License-Identifier: MIT
#pragma once

#include "core/namesbyproduct.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <cstdint>
#include <string_view>
#include <vector>

namespace nomix {

// The rows of the "Names by product" window: per product (table order) its
// distinct names among the hits, most common first, with how many hits
// carry each and their share of the hits. A filter keeps the rows whose
// name or product holds a text, compared as the search compares (ASCII
// letters in either case). The names stay bytes until a row is shown.
class NamesByProductModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column { ProductColumn, NameColumn, CountColumn, ShareColumn, ColumnCount };

    explicit NamesByProductModel(QObject* parent = nullptr);

    // `products`: the products' names, one per entry of `names`.
    void setNames(const QStringList& products, std::vector<std::vector<NameCount>> names,
                  size_t hitCount, bool dataIsUtf8);
    void clear();
    void setFilter(const QString& text);

    size_t hitCount() const { return m_hitCount; }
    // Every product's names, filtered or not.
    size_t nameCount() const { return m_nameCount; }
    QString productAt(int row) const;
    std::string_view nameAt(int row) const;
    size_t countAt(int row) const;
    // The share in percent of the hits, and as the window writes it.
    double shareAt(int row) const;
    static QString shareText(double percent);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    struct Row {
        uint32_t product;
        uint32_t name;
    };
    void applyFilter();
    const NameCount* countOf(int row) const;

    QStringList m_products;
    std::vector<std::vector<NameCount>> m_names;
    size_t m_hitCount = 0;
    size_t m_nameCount = 0;
    bool m_dataIsUtf8 = false;
    QString m_filter;
    std::vector<Row> m_rows;
};

} // namespace nomix
