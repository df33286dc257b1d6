#include "resultsheader.h"

#include "resultsmodel.h"

#include "fittext.h"

#include <QHelpEvent>
#include <QPainter>
#include <QTextDocument>
#include <QToolTip>

namespace nomix {

namespace {
constexpr int kRowHeight = 20;
constexpr int kNoTextWidth = 15;   // narrower cells show no title
constexpr int kHintSpareRoom = 35; // a title that fits with this to spare needs no hint
constexpr int kHintLeftOffset = 210;
} // namespace

ResultsHeader::ResultsHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setObjectName(QStringLiteral("ResultsHeader"));
    setSectionsClickable(false);
    setHighlightSections(false);
    setDefaultSectionSize(200);
    setMinimumSectionSize(1);
    setSectionResizeMode(QHeaderView::Interactive);
    setStretchLastSection(false);
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

bool ResultsHeader::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip) {
        return QHeaderView::viewportEvent(event);
    }
    auto* help = static_cast<QHelpEvent*>(event);
    QRect cell;
    const QString title = hintTitleAt(help->pos(), &cell);
    if (title.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    const QPoint above(cell.right() - kHintLeftOffset, -height() - 2);
    // A product entry is data: shown as typed, never as markup.
    QToolTip::showText(viewport()->mapToGlobal(above), Qt::convertFromPlainText(title), viewport(),
                       cell);
    return true;
}

} // namespace nomix
