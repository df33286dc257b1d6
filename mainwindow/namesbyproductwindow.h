// SPDX-License-Identifier: MIT
#pragma once

#include "core/helptopic.h"
#include "core/namesbyproduct.h"
#include "core/resultwriter.h"

#include <QWidget>

#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTimer;

namespace nomix {

class NamesByProductModel;

// The "Names by product" window: beside the grid, not modal, it lists per
// product the names the hits carry, with count and share, and follows each
// search. A filter box narrows the list; a double-click on a row searches
// for its name; Ctrl+C and the export write the rows as the grid writes
// its hits.
class NamesByProductWindow : public QWidget {
    Q_OBJECT

  public:
    static constexpr HelpTopic kHelpTopic = HelpTopic::NamesByProduct;

    explicit NamesByProductWindow(QWidget* parent = nullptr);

    // The names of the hits of a search for `searchText`.
    void showNames(const QStringList& products, std::vector<std::vector<NameCount>> names,
                   size_t hitCount, bool dataIsUtf8, const QString& searchText);
    void clearNames();
    // The names of this many hits are being counted.
    void showCounting(size_t hitCount, const QString& searchText);
    void setExportDirectory(const QString& directory) { m_exportDirectory = directory; }

    NamesByProductModel* namesModel() const { return m_model; }
    QSize sizeHint() const override;

  signals:
    void nameActivated(const QString& name);

  private:
    void activateRow(int row);
    void copySelectedRows();
    void exportRows();
    std::vector<int> selectedRows() const;
    std::string rowsText(ResultFormat format, const std::vector<int>& rows, bool header) const;

    NamesByProductModel* m_model;
    QLabel* m_summary;
    QLineEdit* m_filter;
    QTableView* m_view;
    QPushButton* m_exportButton;
    QTimer* m_filterPause;
    QString m_exportDirectory;
    QString m_exportFilter;
};

} // namespace nomix
