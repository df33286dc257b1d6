// SPDX-License-Identifier: MIT
#include "resultsheader.h"

#include "resultsmodel.h"

#include "fittext.h"
#include "titlehintwindow.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>

namespace nomix {

namespace {
constexpr int kRowHeight = 20;
constexpr int kNoTextWidth = 15;   // narrower cells show no title
constexpr int kHintSpareRoom = 35; // a title that fits with this to spare needs no hint
constexpr int kHintLeftOffset = 210;
} // namespace

ResultsHeader::ResultsHeader(QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent), m_hint(new TitleHintWindow(this)) {
    setObjectName(QStringLiteral("ResultsHeader"));
    setSectionsClickable(false);
    setHighlightSections(false);
    setDefaultSectionSize(200);
    setMinimumSectionSize(1);
    setSectionResizeMode(QHeaderView::Interactive);
    setStretchLastSection(false);
    // Moves off a hinted title hide its hint.
    viewport()->setMouseTracking(true);
}

bool ResultsHeader::productSelected(int column) const {
    const auto* results = qobject_cast<const ResultsModel*>(model());
    return results && results->productSelected(column);
}

// The header row has a fixed height, so there is nothing to measure: asking
// the base class would lay out every product title again on each call.
QSize ResultsHeader::sizeHint() const {
    return QSize(length(), kRowHeight);
}

void ResultsHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if (!rect.isValid()) {
        return;
    }
    painter->save();
    const bool selected = productSelected(logicalIndex);
    QFont font = painter->font();
    font.setBold(selected);
    painter->setFont(font);
    painter->fillRect(rect, selected ? QColor(255, 0, 0) : palette().color(QPalette::Button));
    painter->setPen(selected ? Qt::white : Qt::black);
    if (rect.width() > kNoTextWidth) {
        const QString title =
            model() ? model()->headerData(logicalIndex, Qt::Horizontal).toString() : QString();
        const QString fitted = fitText(title, rect.width() - 2, QFontMetrics(font));
        painter->drawText(rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, fitted);
    }
    // A raised inner edge, as the classic grid header draws it.
    painter->setPen(palette().color(QPalette::Dark));
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->setPen(palette().color(QPalette::Light));
    painter->drawLine(rect.topLeft(), rect.topRight());
    painter->drawLine(rect.topLeft(), rect.bottomLeft());
    painter->restore();
}

QString ResultsHeader::hintTitleAt(const QPoint& pos, QRect* cellRect) const {
    const int column = logicalIndexAt(pos.x());
    if (column < 0 || pos.y() > height()) {
        return QString();
    }
    const int left = sectionViewportPosition(column);
    const int right = qMin(left + sectionSize(column), viewport()->width());
    const QString title = model()->headerData(column, Qt::Horizontal).toString();
    QFont font = this->font();
    font.setBold(productSelected(column));
    if (fitText(title, right - left - kHintSpareRoom, QFontMetrics(font)) == title) {
        return QString();
    }
    if (cellRect) {
        *cellRect = QRect(QPoint(left, -2), QPoint(right, height()));
    }
    return title;
}

void ResultsHeader::showTitleHint(const QPoint& pos) {
    QRect cell;
    const QString title = hintTitleAt(pos, &cell);
    if (title.isEmpty()) {
        m_hint->hide();
        return;
    }
    m_hintCell = cell;
    const QPoint rowTop = viewport()->mapToGlobal(QPoint(cell.right() - kHintLeftOffset, 0));
    m_hint->showTitle(title, rowTop.x(), rowTop.y(), rowTop.y() + height());
}

// The hint stays while the mouse stays on its header cell.
bool ResultsHeader::viewportEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::ToolTip:
        showTitleHint(static_cast<QHelpEvent*>(event)->pos());
        return true;
    case QEvent::MouseMove:
        if (!m_hintCell.contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
            m_hint->hide();
        }
        break;
    case QEvent::Leave:
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
    case QEvent::Hide:
        m_hint->hide();
        break;
    default:
        break;
    }
    return QHeaderView::viewportEvent(event);
}

} // namespace nomix
