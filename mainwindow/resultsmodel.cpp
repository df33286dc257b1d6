// SPDX-License-Identifier: MIT
#include "resultsmodel.h"

#include "cellmatcher.h"

#include "core/fields.h"
#include "platform/displaytext.h"

#include <algorithm>

namespace nomix {

namespace {
// Before a database is loaded the grid shows this many empty columns.
constexpr int kColumnsBeforeLoad = 10;
} // namespace

ResultsModel::ResultsModel(QObject* parent) : QAbstractTableModel(parent) {
    for (int i = 0; i < kColumnsBeforeLoad; ++i) {
        m_titles << QString();
    }
}

ResultsModel::~ResultsModel() = default;

void ResultsModel::setDatabase(const DatabaseLines* lines, const QStringList& productTitles) {
    beginResetModel();
    m_lines = lines;
    m_hits.clear();
    m_matcher.reset();
    m_families = {};
    m_familiesPending = false;
    m_titles = productTitles;
    // A grid keeps one column at least.
    if (m_titles.isEmpty()) {
        m_titles << QString();
    }
    endResetModel();
}

void ResultsModel::releaseDatabase() {
    beginResetModel();
    m_lines = nullptr;
    m_hits.clear();
    m_families = {};
    m_familiesPending = false;
    endResetModel();
}

void ResultsModel::setHits(std::vector<uint32_t> hits) {
    beginResetModel();
    m_hits = std::move(hits);
    endResetModel();
}

void ResultsModel::setLinesAndHits(const DatabaseLines* lines, std::vector<uint32_t> hits) {
    beginResetModel();
    m_lines = lines;
    m_hits = std::move(hits);
    m_families = {};
    endResetModel();
}

void ResultsModel::clearHits() {
    setHits({});
}

// The hit's line, or the line count when the row shows none.
uint32_t ResultsModel::lineAt(int row) const {
    const auto none = static_cast<uint32_t>(m_lines ? m_lines->count() : 0);
    if (!m_lines || row < 0 || static_cast<size_t>(row) >= m_hits.size()) {
        return none;
    }
    const uint32_t line = m_hits[static_cast<size_t>(row)];
    return line < m_lines->count() ? line : none;
}

std::string_view ResultsModel::fieldAt(int row, int column) const {
    const uint32_t line = lineAt(row);
    if (!m_lines || line >= m_lines->count()) {
        return {};
    }
    return fieldViewByChar(column + 1, m_lines->at(line), '|');
}

void ResultsModel::setMatchedSearch(const SearchRequest& search) {
    m_matcher = std::make_unique<const CellMatcher>(search);
    repaintCells();
}

bool ResultsModel::cellMatched(int row, int column) const {
    return m_matcher && column >= 0 &&
           m_matcher->matches(static_cast<size_t>(column), fieldAt(row, column));
}

void ResultsModel::setFamilies(FamilyLookup lookup) {
    m_families = std::move(lookup);
    m_familiesPending = false;
    repaintFamilies();
}

void ResultsModel::setFamiliesPending(bool pending) {
    m_familiesPending = pending;
    repaintFamilies();
}

std::string_view ResultsModel::familyAt(int row) const {
    return familyOfLine(lineAt(row));
}

std::string_view ResultsModel::familyOfLine(uint32_t line) const {
    if (!m_families || !m_lines || line >= m_lines->count()) {
        return {};
    }
    return m_families(line);
}

void ResultsModel::setDatabaseLoaded(bool loaded) {
    m_databaseLoaded = loaded;
    repaintCells();
}

void ResultsModel::setSearchRunning(bool running) {
    m_searchRunning = running;
    repaintCells();
}

void ResultsModel::setShowBitmaps(bool show) {
    m_showBitmaps = show;
    repaintCells();
}

void ResultsModel::setProductSelection(const std::vector<bool>& selected, bool showAllProducts) {
    m_selected = selected;
    m_allSelected = std::all_of(selected.begin(), selected.end(), [](bool on) { return on; });
    m_showAllProducts = showAllProducts;
    repaintHeader();
    repaintCells();
}

bool ResultsModel::productSelected(int column) const {
    if (column < 0 || static_cast<size_t>(column) >= m_selected.size()) {
        return !m_databaseLoaded;
    }
    return m_selected[static_cast<size_t>(column)];
}

bool ResultsModel::namesShownIn(int column) const {
    return m_showAllProducts || m_allSelected || productSelected(column);
}

int ResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_hits.size());
}

int ResultsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_titles.size());
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole) {
        return QVariant();
    }
    return nomix::displayText(fieldAt(index.row(), index.column()));
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical && role == Qt::DisplayRole) {
        if (!m_families) {
            return m_familiesPending ? QStringLiteral("\u2026") : QString();
        }
        return nomix::displayText(familyAt(section));
    }
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= m_titles.size()) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    return m_titles.at(section);
}

void ResultsModel::repaintCells() {
    if (!m_hits.empty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    }
}

void ResultsModel::repaintFamilies() {
    if (!m_hits.empty()) {
        emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
    }
}

void ResultsModel::repaintHeader() {
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

} // namespace nomix
