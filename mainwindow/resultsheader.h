// SPDX-License-Identifier: MIT
#pragma once

#include <QHeaderView>

namespace nomix {

class TitleHintWindow;

// The grid's header row: the products' entries, selected products in white
// bold on red, others in black on the button colour, each title cut to fit.
// A title that does not fit shows in full in a plain hint window above the
// grid while the mouse stays on its header cell.
class ResultsHeader : public QHeaderView {
    Q_OBJECT

  public:
    explicit ResultsHeader(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    // The full title to show for a header hint at `pos` (viewport
    // coordinates), or an empty text when the title fits with room to spare.
    // `cellRect` receives the header cell the hint belongs to.
    QString hintTitleAt(const QPoint& pos, QRect* cellRect) const;

  protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    bool viewportEvent(QEvent* event) override;

  private:
    bool productSelected(int column) const;
    void showTitleHint(const QPoint& pos);

    TitleHintWindow* m_hint;
    QRect m_hintCell;
};

} // namespace nomix
