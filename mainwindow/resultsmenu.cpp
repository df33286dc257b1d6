// SPDX-License-Identifier: MIT
#include "resultsmenu.h"

#include "exportfile.h"
#include "familyheader.h"
#include "resultsmodel.h"
#include "resultsview.h"

#include "core/fields.h"
#include "core/producttable.h"
#include "core/resultwriter.h"
#include "platform/displaytext.h"
#include "platform/filedialog.h"
#include "platform/messagebox.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QSaveFile>

#include <set>

namespace nomix {

namespace {
constexpr int kMinColumnWidth = 50;
constexpr int kMaxColumnWidth = 3000;
} // namespace

ResultsMenu::ResultsMenu(ResultsView* view, const ProductTable* products, QObject* parent)
    : QObject(parent), m_view(view), m_products(products), m_menu(new QMenu(view)) {
    setObjectName(QStringLiteral("resultsMenu"));
    m_menu->setObjectName(QStringLiteral("resultsMenu"));
    connect(addItem("whatsThis", tr("What's this?"), tr("Get help")), &QAction::triggered, this,
            &ResultsMenu::whatsThisTriggered);
    m_menu->addSeparator();
    m_searchForName = addItem("searchForName", tr("Search for this &name"),
                              tr("Search for the name in this cell"));
    connect(m_searchForName, &QAction::triggered, this,
            [this] { emit searchForNameTriggered(cellName(m_menuCell)); });
    m_searchForFamily = addItem("searchForFamily", tr("Search this &family"),
                                tr("Search for the family in this cell"));
    connect(m_searchForFamily, &QAction::triggered, this,
            [this] { emit searchForFamilyTriggered(m_menuFamily); });
    connect(addItem("namesByProduct", tr("Names by &product..."),
                    tr("List each product's names for the hits")),
            &QAction::triggered, this, &ResultsMenu::namesByProductTriggered);
    m_copyWithTitles = addItem("copyWithTitles", tr("Copy with product &titles"),
                               tr("Copy the selected cells under their products' titles"));
    connect(m_copyWithTitles, &QAction::triggered, this, [this] { copySelectedCells(true); });
    m_clear = addItem("clearResults", tr("&Clear results"), tr("Blank  the grid of results"));
    connect(m_clear, &QAction::triggered, this, &ResultsMenu::clearTriggered);
    m_save = addItem("saveResults", tr("&Save results..."), tr("Save search results in a file"));
    connect(m_save, &QAction::triggered, this, &ResultsMenu::saveTriggered);
    m_export = addItem("exportResults", tr("E&xport results..."),
                       tr("Export search results as CSV, JSON or JSON Lines"));
    connect(m_export, &QAction::triggered, this, &ResultsMenu::exportResults);
    m_menu->addSeparator();
    connect(addItem("setColumnWidth", tr("S&et width of columns..."),
                    tr("Set width of columns  within the grid")),
            &QAction::triggered, this, &ResultsMenu::askColumnWidth);
    connect(addItem("restoreColumnWidths", tr("&Restore default width of columns"),
                    tr("Restore default width of columns within the grid")),
            &QAction::triggered, this, &ResultsMenu::restoreColumnWidths);
    m_showFamily = addItem("showFamilyColumn", tr("Show &family column"),
                           tr("Show each hit's family at the left of the grid"));
    m_showFamily->setCheckable(true);
    connect(m_showFamily, &QAction::triggered, this, [this](bool shown) {
        m_view->setFamilyColumnShown(shown);
        emit familyColumnToggled(shown);
    });

    auto* copy = new QAction(view);
    copy->setObjectName(QStringLiteral("copyCells"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(copy, &QAction::triggered, this, [this] { copySelectedCells(false); });
    view->addAction(copy);
}

QAction* ResultsMenu::addItem(const char* name, const QString& caption, const QString& hint) {
    QAction* action = m_menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    action->setStatusTip(hint);
    return action;
}

void ResultsMenu::popup(const QPoint& position, const QString& directory) {
    const int familyRow = m_view->familyRowAt(position);
    m_menuCell = familyRow < 0 ? QModelIndex(m_view->indexAt(position)) : QModelIndex();
    m_menuFamily =
        familyRow < 0 ? QString() : nomix::displayText(m_view->resultsModel()->familyAt(familyRow));
    m_directory = directory;
    const bool haveHits = !m_view->resultsModel()->hits().empty();
    m_clear->setEnabled(haveHits);
    m_save->setEnabled(haveHits);
    m_export->setEnabled(haveHits);
    m_copyWithTitles->setEnabled(haveHits);
    m_searchForName->setEnabled(!cellName(m_menuCell).isEmpty());
    // Only a family cell offers its family; its name is not a product's.
    m_searchForFamily->setVisible(familyRow >= 0);
    m_searchForFamily->setEnabled(!m_menuFamily.isEmpty());
    m_showFamily->setChecked(m_view->familyColumnShown());
    m_menu->popup(m_view->viewport()->mapToGlobal(position));
}

QString ResultsMenu::cellName(const QModelIndex& cell) const {
    if (!cell.isValid()) {
        return {};
    }
    return nomix::displayText(m_view->resultsModel()->fieldAt(cell.row(), cell.column()));
}

// An export holds what the grid shows: with "Show all products" on, the
// unselected products' columns too.
std::vector<size_t> ResultsMenu::shownColumns() const {
    std::vector<size_t> columns;
    for (size_t c = 0; c < m_products->entries.size(); ++c) {
        if (!m_view->isColumnHidden(static_cast<int>(c))) {
            columns.push_back(c);
        }
    }
    return columns;
}

std::vector<std::string> ResultsMenu::productTitles(const std::vector<size_t>& columns) const {
    std::vector<std::string> titles;
    for (size_t c : columns) {
        titles.push_back(m_products->entries[c]);
    }
    return titles;
}

void ResultsMenu::writeResults(ResultWriter& writer, const std::vector<size_t>& columns,
                               const std::vector<uint32_t>& lines) const {
    const ResultsModel& model = *m_view->resultsModel();
    const DatabaseLines& database = *model.database();
    std::vector<std::string_view> names(columns.size());
    for (uint32_t index : lines) {
        const std::string_view line = database.at(index);
        for (size_t i = 0; i < columns.size(); ++i) {
            names[i] = fieldViewByChar(static_cast<int32_t>(columns[i] + 1), line, '|');
        }
        writer.row(index, names, model.familyOfLine(index));
    }
}

// The hits in the format the name's extension asks for. A bare name takes
// the chosen filter's extension; an extension no format owns is asked about
// rather than written as something the user did not choose.
void ResultsMenu::exportResults() {
    QWidget* window = m_view->window();
    const std::optional<ExportFile> chosen =
        chooseExportFile(window, tr("Export search results"), m_directory, &m_exportFilter);
    if (!chosen) {
        return;
    }
    const QString& fileName = chosen->fileName;
    QSaveFile file(fileName);
    bool written = file.open(QIODevice::WriteOnly);
    if (written) {
        const std::vector<size_t> columns = shownColumns();
        ResultWriter writer(
            chosen->format, productTitles(columns),
            [&file, &written](std::string_view bytes) {
                written = written &&
                          file.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
            },
            m_view->familyColumnShown());
        writer.header();
        writeResults(writer, columns, m_view->resultsModel()->hits());
        writer.finish();
        written = written && file.commit();
    }
    if (!written) {
        MessageBox::reportException(window, fileName + QStringLiteral(": ") + file.errorString());
    }
}

// Ctrl+C: one cell copies its name alone, so that it pastes back into the
// search box as it is; more cells copy as tab-separated rows, under their
// products' titles only when the local menu asks for them.
void ResultsMenu::copySelectedCells(bool withTitles) {
    const std::vector<uint32_t>& hits = m_view->resultsModel()->hits();
    QModelIndexList cells = m_view->selectionModel()->selectedIndexes();
    if (cells.isEmpty() && m_view->currentIndex().isValid()) {
        cells << m_view->currentIndex();
    }
    std::set<size_t> columnSet;
    std::set<int> rowSet;
    for (const QModelIndex& index : cells) {
        if (!m_view->isColumnHidden(index.column()) &&
            static_cast<size_t>(index.row()) < hits.size()) {
            columnSet.insert(static_cast<size_t>(index.column()));
            rowSet.insert(index.row());
        }
    }
    if (columnSet.empty()) {
        return;
    }
    if (!withTitles && columnSet.size() == 1 && rowSet.size() == 1) {
        QApplication::clipboard()->setText(
            cellName(m_view->resultsModel()->index(*rowSet.begin(), int(*columnSet.begin()))));
        return;
    }
    std::vector<uint32_t> lines;
    for (int row : rowSet) {
        lines.push_back(hits[static_cast<size_t>(row)]);
    }
    const std::vector<size_t> columns(columnSet.begin(), columnSet.end());
    std::string text;
    ResultWriter writer(
        ResultFormat::Tsv, productTitles(columns),
        [&text](std::string_view bytes) { text.append(bytes); }, m_view->familyColumnShown());
    if (withTitles) {
        writer.header();
    }
    writeResults(writer, columns, lines);
    QApplication::clipboard()->setText(QString::fromUtf8(text.data(), qsizetype(text.size())));
}

void ResultsMenu::askColumnWidth() {
    QWidget* window = m_view->window();
    bool ok = false;
    const QString text =
        QInputDialog::getText(window, tr("Set width of columns within the grid"),
                              tr("Insert a value"), QLineEdit::Normal, QString(), &ok);
    if (!ok || text.isEmpty()) {
        return;
    }
    bool isNumber = false;
    const qlonglong value = text.trimmed().toLongLong(&isNumber);
    if (!isNumber) {
        MessageBox::reportException(window, tr("'%1' is not a valid integer value").arg(text));
        return;
    }
    m_view->setAllColumnWidths(
        static_cast<int>(qBound(qlonglong(kMinColumnWidth), value, qlonglong(kMaxColumnWidth))));
}

void ResultsMenu::restoreColumnWidths() {
    m_view->setAllColumnWidths(ResultsView::kDefaultColumnWidth);
}

} // namespace nomix
