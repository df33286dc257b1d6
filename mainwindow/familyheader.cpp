// SPDX-License-Identifier: MIT
#include "familyheader.h"

#include "fittext.h"

#include <QItemSelectionModel>
#include <QPainter>

namespace nomix {

FamilyHeader::FamilyHeader(QWidget* parent) : QHeaderView(Qt::Vertical, parent) {
    setObjectName(QStringLiteral("familyColumn"));
    setSectionsClickable(true);
    setHighlightSections(false);
    setSectionResizeMode(QHeaderView::Fixed);
    setContextMenuPolicy(Qt::CustomContextMenu);
}

// The width is fixed, so nothing is measured: the base class would look at
// every row's family.
QSize FamilyHeader::sizeHint() const {
    return QSize(kDefaultWidth, length());
}

void FamilyHeader::setSelectionModel(QItemSelectionModel* selectionModel) {
    if (QItemSelectionModel* old = this->selectionModel()) {
        disconnect(old, nullptr, this, nullptr);
    }
    QHeaderView::setSelectionModel(selectionModel);
    if (selectionModel) {
        connect(selectionModel, &QItemSelectionModel::selectionChanged, this,
                [this] { viewport()->update(); });
    }
}

void FamilyHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if (!rect.isValid()) {
        return;
    }
    painter->save();
    const bool selected =
        selectionModel() && selectionModel()->rowIntersectsSelection(logicalIndex, QModelIndex());
    const QPalette::ColorGroup group = isActiveWindow() ? QPalette::Active : QPalette::Inactive;
    painter->fillRect(rect,
                      selected ? palette().color(group, QPalette::Highlight) : QColor(Qt::white));
    painter->setPen(selected ? palette().color(group, QPalette::HighlightedText)
                             : QColor(Qt::black));
    const QString family =
        model() ? model()->headerData(logicalIndex, Qt::Vertical).toString() : QString();
    painter->drawText(rect.adjusted(2, 4, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                      fitText(family, rect.width() - 4, QFontMetrics(painter->font())));
    // The edge the products scroll under.
    painter->setPen(palette().color(QPalette::Dark));
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->restore();
}

} // namespace nomix
