#pragma once

#include "core/databaselines.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <cstdint>
#include <string_view>
#include <vector>

namespace nomix {

// The results grid's model. It holds no copy of the results: a cell is field
// column + 1 of the database line named by the result list's entry for its
// row, looked up when the view asks. The table's rows are the grid's rows
// under its header: the result rows and one empty row after them.
class ResultsModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    explicit ResultsModel(QObject* parent = nullptr);

    // The data the cells are drawn from; both live in the main window.
    void setSources(const DatabaseLines* lines, const std::vector<uint32_t>* results);
    void setHeaders(const QStringList& headers);
    // The grid's row count under the header (RowCount - 1).
    void setDataRowCount(int rows);
    int dataRowCount() const { return rows_; }

    // Whether row `row` has a result behind it, and its field for `column`.
    bool hasResult(int row) const;
    std::string_view fieldAt(int row, int column) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Every cell may have changed (options that change the drawing).
    void refreshAll();

  private:
    const DatabaseLines* lines_ = nullptr;
    const std::vector<uint32_t>* results_ = nullptr;
    QStringList headers_;
    int rows_ = 1;
};

} // namespace nomix
