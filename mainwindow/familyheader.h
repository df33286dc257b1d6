// SPDX-License-Identifier: MIT
#pragma once

#include <QHeaderView>

namespace nomix {

// The "Family" column of the results grid: the grid's vertical header, so it
// stays at the left while the products scroll sideways and always has the
// rows' heights and vertical position. Each row's section shows its hit's
// family as the model's vertical header data, drawn like a grid cell, and
// takes the highlight while any cell of its row is selected. Pressing a
// section selects its row.
class FamilyHeader : public QHeaderView {
    Q_OBJECT

  public:
    static constexpr int kDefaultWidth = 120;

    explicit FamilyHeader(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    void setSelectionModel(QItemSelectionModel* selectionModel) override;

  protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
};

} // namespace nomix
