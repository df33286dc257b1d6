#include "resultsview.h"

#include "resultsdelegate.h"
#include "resultsheader.h"
#include "resultsmodel.h"

#include <QHeaderView>

namespace nomix {

ResultsView::ResultsView(const ResultsViewState* host, QWidget* parent)
    : QTableView(parent), model_(new ResultsModel(this)),
      delegate_(new ResultsDelegate(host, model_, this)),
      header_(new ResultsHeader(host, this)) {
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

void ResultsView::setColWidth(int column, int width) {
    if (width < 0) {
        setColumnHidden(column, true);
        return;
    }
    setColumnHidden(column, false);
    setColumnWidth(column, width);
}

int ResultsView::colWidth(int column) const {
    return isColumnHidden(column) ? -1 : columnWidth(column);
}

void ResultsView::SetAllColumnWidths(int width) {
    for (int c = 0; c < model_->columnCount(); ++c) {
        if (!isColumnHidden(c)) {
            setColumnWidth(c, width);
        }
    }
}

void ResultsView::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    ReportGridEnter();
}

void ResultsView::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    ReportGridEnter();
}

// Focus changes redraw the header row. A data cell that the toolkit asks to
// repaint at the same time is drawn as usual: skipping it would leave the
// row blank on screen until the next resize.
void ResultsView::ReportGridEnter() {
    header_->viewport()->update();
}

} // namespace nomix
