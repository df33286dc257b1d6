// SPDX-License-Identifier: MIT
#pragma once

#include "core/helptopic.h"
#include <QTableView>

class QLabel;

namespace nomix {

class FamilyHeader;
class ResultsDelegate;
class ResultsHeader;
class ResultsModel;

// The results grid: one column per product, one row per hit, drawn on demand
// from its model's hit list and the database lines. Row height is fixed and
// nothing is sized to contents, so a million rows show at once. The hits'
// families stand in a column pinned at the left (the vertical header).
class ResultsView : public QTableView {
    Q_OBJECT

  public:
    static constexpr int kDefaultColumnWidth = 200;
    static constexpr int kRowHeight = 20;
    // The grid's help topic, for its "What's this?" and for F1.
    static constexpr HelpTopic kHelpTopic = HelpTopic::ResultsGrid;

    explicit ResultsView(QWidget* parent = nullptr);

    ResultsModel* resultsModel() const { return m_model; }
    ResultsDelegate* resultsDelegate() const { return m_delegate; }
    ResultsHeader* resultsHeader() const { return m_header; }
    FamilyHeader* familyHeader() const { return m_familyHeader; }

    void setFamilyColumnShown(bool shown);
    bool familyColumnShown() const { return m_familyShown; }
    // The row whose family cell is at `position` (viewport coordinates: the
    // pinned column lies left of the viewport), or -1.
    int familyRowAt(const QPoint& position) const;

    // Every shown column gets `width`; hidden ones stay hidden.
    void setAllColumnWidths(int width);
    // Shows the column at its default width unless it is shown already.
    void showColumn(int column);

  protected:
    void updateGeometries() override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    ResultsModel* m_model;
    ResultsDelegate* m_delegate;
    ResultsHeader* m_header;
    FamilyHeader* m_familyHeader;
    QLabel* m_familyTitle;
    bool m_familyShown = true;
};

} // namespace nomix
