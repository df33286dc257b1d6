#include "treportgrid.h"

#include "reportgriddelegate.h"
#include "reportgridheader.h"
#include "reportgridmodel.h"

#include <QHeaderView>

namespace nomix {

TReportGrid::TReportGrid(const ReportGridHost* host, QWidget* parent)
    : QTableView(parent), model_(new ReportGridModel(this)),
      delegate_(new ReportGridDelegate(host, model_, this)),
      header_(new ReportGridHeader(host, this)) {
    setObjectName(QStringLiteral("ReportGrid"));
    setModel(model_);
    setHorizontalHeader(header_);
    setItemDelegate(delegate_);
    setShowGrid(false);
    setWordWrap(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setContextMenuPolicy(Qt::CustomContextMenu);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(kDefaultRowHeight);
    QFont gridFont(QStringLiteral("Arial"));
    gridFont.setPixelSize(13);
    setFont(gridFont);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Text, Qt::black);
    setPalette(pal);
}

void TReportGrid::setColWidth(int column, int width) {
    if (width < 0) {
        setColumnHidden(column, true);
        return;
    }
    setColumnHidden(column, false);
    setColumnWidth(column, width);
}

int TReportGrid::colWidth(int column) const {
    return isColumnHidden(column) ? -1 : columnWidth(column);
}

void TReportGrid::SetAllColumnWidths(int width) {
    for (int c = 0; c < model_->columnCount(); ++c) {
        if (!isColumnHidden(c)) {
            setColumnWidth(c, width);
        }
    }
}

void TReportGrid::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    ReportGridEnter();
}

void TReportGrid::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    ReportGridEnter();
}

// Focus changes redraw the header row. A data cell that the toolkit asks to
// repaint at the same time is drawn as usual: skipping it would leave the
// row blank on screen until the next resize.
void TReportGrid::ReportGridEnter() {
    header_->viewport()->update();
}

} // namespace nomix
