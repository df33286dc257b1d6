// SPDX-License-Identifier: MIT
#include "resultsview.h"

#include "familyheader.h"
#include "resultsdelegate.h"
#include "resultsheader.h"
#include "resultsmodel.h"
#include "widgethelp.h"

#include <QHeaderView>
#include <QLabel>

namespace nomix {

ResultsView::ResultsView(QWidget* parent)
    : QTableView(parent), m_model(new ResultsModel(this)),
      m_delegate(new ResultsDelegate(m_model, this)), m_header(new ResultsHeader(this)),
      m_familyHeader(new FamilyHeader(this)), m_familyTitle(new QLabel(this)) {
    setObjectName(QStringLiteral("resultsView"));
    setModel(m_model);
    setHorizontalHeader(m_header);
    setVerticalHeader(m_familyHeader);
    // The corner above the pinned column titles it, drawn as a header cell.
    m_familyTitle->setObjectName(QStringLiteral("familyTitle"));
    m_familyTitle->setText(tr("Family"));
    m_familyTitle->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_familyTitle->setLineWidth(1);
    m_familyTitle->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_familyTitle->setContentsMargins(1, 1, 0, 0);
    m_familyTitle->setAutoFillBackground(true);
    m_familyTitle->setBackgroundRole(QPalette::Button);
    // Its local menu is the grid's, for the family under the mouse.
    connect(m_familyHeader, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& position) {
                emit customContextMenuRequested(
                    viewport()->mapFrom(this, m_familyHeader->mapTo(this, position)));
            });
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

void ResultsView::setFamilyColumnShown(bool shown) {
    m_familyShown = shown;
    m_familyHeader->setVisible(shown);
    updateGeometries();
}

int ResultsView::familyRowAt(const QPoint& position) const {
    if (!m_familyShown || position.x() >= 0 || position.x() < -m_familyHeader->width()) {
        return -1;
    }
    return rowAt(position.y());
}

void ResultsView::updateGeometries() {
    QTableView::updateGeometries();
    const bool titled = m_familyShown && !m_header->isHidden();
    m_familyTitle->setVisible(titled);
    if (titled) {
        m_familyTitle->setGeometry(m_familyHeader->x(), m_header->y(), m_familyHeader->width(),
                                   m_header->height());
        m_familyTitle->raise();
    }
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
