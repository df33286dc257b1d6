#include "resultsmodel.h"

#include "core/fields.h"
#include "platform/displaytext.h"

namespace nomix {

namespace {
// Before a database is loaded the grid shows this many empty columns.
constexpr int kColumnsBeforeLoad = 10;
} // namespace

ResultsModel::ResultsModel(QObject* parent) : QAbstractTableModel(parent) {
    for (int i = 0; i < kColumnsBeforeLoad; ++i) {
        headers_ << QString();
    }
}

void ResultsModel::setSources(const DatabaseLines* lines, const std::vector<uint32_t>* results) {
    beginResetModel();
    lines_ = lines;
    results_ = results;
    endResetModel();
}

void ResultsModel::setHeaders(const QStringList& headers) {
    beginResetModel();
    headers_ = headers;
    // A grid keeps one column at least.
    if (headers_.isEmpty()) {
        headers_ << QString();
    }
    endResetModel();
}

void ResultsModel::setDataRowCount(int rows) {
    rows = qMax(1, rows);
    if (rows == rows_) {
        refreshAll();
        return;
    }
    beginResetModel();
    rows_ = rows;
    endResetModel();
}

bool ResultsModel::hasResult(int row) const {
    return results_ && lines_ && row >= 0 && static_cast<size_t>(row) < results_->size() &&
           (*results_)[static_cast<size_t>(row)] < lines_->count();
}

std::string_view ResultsModel::fieldAt(int row, int column) const {
    if (!hasResult(row)) {
        return {};
    }
    const std::string_view line = lines_->at((*results_)[static_cast<size_t>(row)]);
    return fieldViewByChar(column + 1, line, '|');
}

int ResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int ResultsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(headers_.size());
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole || !hasResult(index.row())) {
        return QVariant();
    }
    return nomix::displayText(fieldAt(index.row(), index.column()));
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= headers_.size()) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    return headers_.at(section);
}

void ResultsModel::refreshAll() {
    if (rows_ > 0 && !headers_.isEmpty()) {
        emit dataChanged(index(0, 0), index(rows_ - 1, static_cast<int>(headers_.size()) - 1));
    }
}

} // namespace nomix
