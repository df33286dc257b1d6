#pragma once

#include <QTableView>

namespace nomix {

class ReportGridDelegate;
class ReportGridHeader;
class ReportGridHost;
class ReportGridModel;

// The results grid: one column per product, one row per hit, drawn on demand
// from the main window's result list and database lines. Row height is
// fixed and nothing is sized to contents, so a million rows show at once.
class TReportGrid : public QTableView {
    Q_OBJECT

  public:
    static constexpr int kDefaultColWidth = 200;
    static constexpr int kDefaultRowHeight = 20;

    TReportGrid(const ReportGridHost* host, QWidget* parent = nullptr);

    ReportGridModel* gridModel() const { return model_; }
    ReportGridDelegate* gridDelegate() const { return delegate_; }
    ReportGridHeader* gridHeader() const { return header_; }

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

    ReportGridModel* model_;
    ReportGridDelegate* delegate_;
    ReportGridHeader* header_;
};

} // namespace nomix
