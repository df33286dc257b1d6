#pragma once

#include <QTableView>

namespace nomix {

class ResultsDelegate;
class ResultsHeader;
class ResultsModel;

// The results grid: one column per product, one row per hit, drawn on demand
// from its model's hit list and the database lines. Row height is fixed and
// nothing is sized to contents, so a million rows show at once.
class ResultsView : public QTableView {
    Q_OBJECT

  public:
    static constexpr int kDefaultColumnWidth = 200;
    static constexpr int kRowHeight = 20;
    // The grid's help topic, for its "What's this?" and for F1.
    static constexpr int kHelpTopic = 38;

    explicit ResultsView(QWidget* parent = nullptr);

    ResultsModel* resultsModel() const { return m_model; }
    ResultsDelegate* resultsDelegate() const { return m_delegate; }
    ResultsHeader* resultsHeader() const { return m_header; }

    // Every shown column gets `width`; hidden ones stay hidden.
    void setAllColumnWidths(int width);
    // Shows the column at its default width unless it is shown already.
    void showColumn(int column);

  protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    ResultsModel* m_model;
    ResultsDelegate* m_delegate;
    ResultsHeader* m_header;
};

} // namespace nomix
