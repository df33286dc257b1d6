// SPDX-License-Identifier: MIT
#pragma once

#include "core/databaselines.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace nomix {

class CellMatcher;
struct SearchRequest;

// The results grid's model: one row per hit, one column per product. It owns
// the hit list (indices of database lines) but no copy of the names: a cell
// is the product's field of its hit's line, looked up when the view asks.
// It also holds what the grid's drawing depends on (whether a database is
// loaded, whether a search runs, the bitmaps option, which products are
// selected), so the delegate and the header need nothing else.
class ResultsModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    explicit ResultsModel(QObject* parent = nullptr);
    ~ResultsModel() override;

    // The lines the hits index; they must outlive the hits. Clears the hits.
    void setDatabase(const DatabaseLines* lines, const QStringList& productTitles);
    // Lets go of the lines before they are replaced; the columns stay.
    void releaseDatabase();
    void setHits(std::vector<uint32_t> hits);
    // New lines and the hits into them at once, the columns and the matched
    // search staying: a team database's hits come as lines of their own,
    // growing while they arrive. The families are looked up anew.
    void setLinesAndHits(const DatabaseLines* lines, std::vector<uint32_t> hits);
    void clearHits();
    const std::vector<uint32_t>& hits() const { return m_hits; }
    const DatabaseLines* database() const { return m_lines; }

    // The field of `column`'s product in row `row`'s hit, or empty.
    std::string_view fieldAt(int row, int column) const;

    // The search the hits come from, so the cells whose name matched its
    // string can be told apart; set before the hits.
    void setMatchedSearch(const SearchRequest& search);
    bool cellMatched(int row, int column) const;

    // The family of a database line, as the families computed for the lines
    // in use tell it; they show as the rows' vertical header. Until they are
    // set, a row's family is pending ("…") or, without a lookup, blank.
    using FamilyLookup = std::function<std::string_view(uint32_t line)>;
    void setFamilies(FamilyLookup lookup);
    void setFamiliesPending(bool pending);
    bool familiesKnown() const { return static_cast<bool>(m_families); }
    std::string_view familyAt(int row) const;
    std::string_view familyOfLine(uint32_t line) const;

    // Drawing state. Each change repaints what it affects.
    void setDatabaseLoaded(bool loaded);
    bool databaseLoaded() const { return m_databaseLoaded; }
    void setSearchRunning(bool running);
    bool searchRunning() const { return m_searchRunning; }
    void setShowBitmaps(bool show);
    bool showBitmaps() const { return m_showBitmaps; }
    // Which products are selected, and whether unselected ones show their
    // names anyway ("Show all products").
    void setProductSelection(const std::vector<bool>& selected, bool showAllProducts);
    bool productSelected(int column) const;
    bool allProductsSelected() const { return m_allSelected; }
    // Whether names are drawn in this product's column.
    bool namesShownIn(int column) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    void repaintCells();
    void repaintHeader();
    void repaintFamilies();
    uint32_t lineAt(int row) const;

    const DatabaseLines* m_lines = nullptr;
    std::vector<uint32_t> m_hits;
    QStringList m_titles;
    std::vector<bool> m_selected;
    bool m_allSelected = true;
    bool m_showAllProducts = true;
    bool m_databaseLoaded = false;
    bool m_searchRunning = false;
    bool m_showBitmaps = true;
    std::unique_ptr<const CellMatcher> m_matcher;
    FamilyLookup m_families;
    bool m_familiesPending = false;
};

} // namespace nomix
