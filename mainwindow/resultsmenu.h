// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QPersistentModelIndex>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QPoint;

namespace nomix {

class ResultWriter;
class ResultsView;
enum class ResultFormat;
struct ProductTable;

// The results grid's local menu and Ctrl+C. Copying, exporting (each with
// the hits' families while the Family column shows) and the column widths
// are done here; clearing, saving a report, searching for a
// cell's name and the help belong to the main window, which gets a signal.
class ResultsMenu : public QObject {
    Q_OBJECT

  public:
    // `products` names the grid's columns; it must outlive the menu.
    ResultsMenu(ResultsView* view, const ProductTable* products, QObject* parent = nullptr);

    // Opens the menu for the cell at `position` (viewport coordinates).
    // Exports start in `directory`.
    void popup(const QPoint& position, const QString& directory);

  signals:
    void whatsThisTriggered();
    void searchForNameTriggered(const QString& name);
    void searchForFamilyTriggered(const QString& family);
    void namesByProductTriggered();
    void familyColumnToggled(bool shown);
    void clearTriggered();
    void saveTriggered();

  private:
    QAction* addItem(const char* name, const QString& caption, const QString& hint);
    void exportResults();
    void copySelectedCells(bool withTitles);
    void askColumnWidth();
    void restoreColumnWidths();
    QString cellName(const QModelIndex& cell) const;
    std::vector<size_t> shownColumns() const;
    std::vector<std::string> productTitles(const std::vector<size_t>& columns) const;
    void writeResults(ResultWriter& writer, const std::vector<size_t>& columns,
                      const std::vector<uint32_t>& lines) const;

    ResultsView* m_view;
    const ProductTable* m_products;
    QMenu* m_menu;
    QAction* m_searchForName = nullptr;
    QAction* m_searchForFamily = nullptr;
    QAction* m_showFamily = nullptr;
    QAction* m_clear = nullptr;
    QAction* m_save = nullptr;
    QAction* m_export = nullptr;
    QAction* m_copyWithTitles = nullptr;
    QPersistentModelIndex m_menuCell;
    QString m_menuFamily;
    QString m_directory;
    QString m_exportFilter;
};

} // namespace nomix
