#include "resultsview.h"

#include "resultsdelegate.h"
#include "resultsheader.h"
#include "resultsmodel.h"
#include "widgethelp.h"

#include <QHeaderView>

namespace nomix {

ResultsView::ResultsView(QWidget* parent)
    : QTableView(parent), m_model(new ResultsModel(this)),
      m_delegate(new ResultsDelegate(m_model, this)), m_header(new ResultsHeader(this)) {
    setObjectName(QStringLiteral("resultsView"));
    setModel(m_model);
    setHorizontalHeader(m_header);
    setItemDelegate(m_delegate);
    setShowGrid(false);
    setWordWrap(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // The grid's own local menu offers "What's this?" for this topic; F1
    // opens it too.
    setHelpTopic(this, kHelpTopic);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    QFont gridFont(QStringLiteral("Arial"));
    gridFont.setPixelSize(13);
    setFont(gridFont);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Text, Qt::black);
    setPalette(pal);
}

void ResultsView::setAllColumnWidths(int width) {
    for (int c = 0; c < m_model->columnCount(); ++c) {
        if (!isColumnHidden(c)) {
            setColumnWidth(c, width);
        }
    }
}

void ResultsView::showColumn(int column) {
    if (isColumnHidden(column)) {
        setColumnHidden(column, false);
        setColumnWidth(column, kDefaultColumnWidth);
    }
}

// Focus changes redraw the header row. A data cell that the toolkit asks to
// repaint at the same time is drawn as usual: skipping it would leave the
// row blank on screen until the next resize.
void ResultsView::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    m_header->viewport()->update();
}

void ResultsView::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    m_header->viewport()->update();
}

} // namespace nomix
