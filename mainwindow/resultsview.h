#pragma once

#include <QTableView>

namespace nomix {

class ResultsDelegate;
class ResultsHeader;
class ResultsViewState;
class ResultsModel;

// The results grid: one column per product, one row per hit, drawn on demand
// from the main window's result list and database lines. Row height is
// fixed and nothing is sized to contents, so a million rows show at once.
class ResultsView : public QTableView {
    Q_OBJECT

  public:
    static constexpr int kDefaultColWidth = 200;
    static constexpr int kDefaultRowHeight = 20;

    ResultsView(const ResultsViewState* host, QWidget* parent = nullptr);

    ResultsModel* gridModel() const { return model_; }
    ResultsDelegate* gridDelegate() const { return delegate_; }
    ResultsHeader* gridHeader() const { return header_; }

    // A width of -1 hides the column, any other shows it with that width.
    void setColWidth(int column, int width);
    int colWidth(int column) const;
    // Every shown column gets `width`; hidden ones stay hidden.
    void SetAllColumnWidths(int width);

  protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    void ReportGridEnter();

    ResultsModel* model_;
    ResultsDelegate* delegate_;
    ResultsHeader* header_;
};

} // namespace nomix
