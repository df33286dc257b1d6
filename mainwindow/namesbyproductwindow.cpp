// SPDX-License-Identifier: MIT
#include "namesbyproductwindow.h"

#include "exportfile.h"
#include "namesbyproductmodel.h"

#include "platform/displaytext.h"
#include "platform/messagebox.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace nomix {

namespace {

constexpr int kRowHeight = 20;
// A list this long is filtered once the typing pauses, not at every key.
constexpr size_t kLongList = 200000;
constexpr int kTypingPauseMs = 200;
constexpr int kWidth = 520;
constexpr int kHeight = 400;

void appendCsvField(std::string& out, const QByteArray& text) {
    if (!text.contains('"') && !text.contains(',') && !text.contains('\n') &&
        !text.contains('\r')) {
        out.append(text.constData(), size_t(text.size()));
        return;
    }
    out += '"';
    for (char c : text) {
        if (c == '"') {
            out += '"';
        }
        out += c;
    }
    out += '"';
}

// The share as a file holds it: a number of percent, to a tenth.
double roundedShare(double percent) {
    return std::round(percent * 10.0) / 10.0;
}

} // namespace

NamesByProductWindow::NamesByProductWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), m_model(new NamesByProductModel(this)),
      m_summary(new QLabel(this)), m_filter(new QLineEdit(this)), m_view(new QTableView(this)),
      m_exportButton(new QPushButton(tr("E&xport..."), this)), m_filterPause(new QTimer(this)) {
    setObjectName(QStringLiteral("namesByProductWindow"));
    setWindowTitle(tr("Names by product"));
    m_summary->setObjectName(QStringLiteral("namesSummary"));
    m_summary->setTextFormat(Qt::PlainText);
    m_filter->setObjectName(QStringLiteral("namesFilter"));
    m_filter->setClearButtonEnabled(true);
    m_filter->setPlaceholderText(tr("Names or products holding..."));
    auto* filterLabel = new QLabel(tr("&Filter:"), this);
    filterLabel->setObjectName(QStringLiteral("namesFilterLabel"));
    filterLabel->setBuddy(m_filter);
    m_exportButton->setObjectName(QStringLiteral("namesExportButton"));

    m_view->setObjectName(QStringLiteral("namesView"));
    m_view->setModel(m_model);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setWordWrap(false);
    m_view->verticalHeader()->hide();
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->verticalHeader()->setDefaultSectionSize(kRowHeight);
    m_view->horizontalHeader()->setStretchLastSection(false);
    m_view->horizontalHeader()->setSectionResizeMode(NamesByProductModel::NameColumn,
                                                     QHeaderView::Stretch);
    m_view->setColumnWidth(NamesByProductModel::ProductColumn, 130);
    m_view->setColumnWidth(NamesByProductModel::CountColumn, 60);
    m_view->setColumnWidth(NamesByProductModel::ShareColumn, 64);

    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(m_filter, 1);
    filterRow->addWidget(m_exportButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addLayout(filterRow);
    layout->addWidget(m_view, 1);
    // The filter box has the keyboard whenever the window comes up.
    setFocusProxy(m_filter);

    m_filterPause->setSingleShot(true);
    m_filterPause->setInterval(kTypingPauseMs);
    connect(m_filterPause, &QTimer::timeout, this,
            [this] { m_model->setFilter(m_filter->text()); });
    connect(m_filter, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (m_model->nameCount() > kLongList) {
            m_filterPause->start();
        } else {
            m_model->setFilter(text);
        }
    });
    connect(m_view, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { activateRow(index.row()); });
    connect(m_exportButton, &QPushButton::clicked, this, &NamesByProductWindow::exportRows);
    auto* copy = new QAction(this);
    copy->setObjectName(QStringLiteral("namesCopy"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(copy, &QAction::triggered, this, &NamesByProductWindow::copySelectedRows);
    m_view->addAction(copy);
}

// Room for a product, a long name, its count and share without scrolling.
QSize NamesByProductWindow::sizeHint() const {
    return QSize(kWidth, kHeight);
}

void NamesByProductWindow::showNames(const QStringList& products,
                                     std::vector<std::vector<NameCount>> names, size_t hitCount,
                                     bool dataIsUtf8, const QString& searchText) {
    m_model->setNames(products, std::move(names), hitCount, dataIsUtf8);
    m_summary->setText(tr("%1 hits for \"%2\"").arg(QString::number(hitCount), searchText));
}

void NamesByProductWindow::showCounting(size_t hitCount, const QString& searchText) {
    m_model->clear();
    // The ellipsis is put in apart, so translators see plain text.
    m_summary->setText(tr("Counting the names of %1 hits for \"%2\"%3")
                           .arg(QString::number(hitCount), searchText, QString(QChar(0x2026))));
}

void NamesByProductWindow::clearNames() {
    m_model->clear();
    m_summary->clear();
}

void NamesByProductWindow::activateRow(int row) {
    const QString name = displayText(m_model->nameAt(row));
    if (!name.isEmpty()) {
        emit nameActivated(name);
    }
}

std::vector<int> NamesByProductWindow::selectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : m_view->selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

// The rows as a file of `format` holds them; names go out in UTF-8.
std::string NamesByProductWindow::rowsText(ResultFormat format, const std::vector<int>& rows,
                                           bool header) const {
    std::string out;
    if (format == ResultFormat::Json || format == ResultFormat::JsonLines) {
        QJsonArray array;
        for (int row : rows) {
            QJsonObject object;
            object.insert(QStringLiteral("product"), m_model->productAt(row));
            object.insert(QStringLiteral("name"), displayText(m_model->nameAt(row)));
            object.insert(QStringLiteral("count"), qint64(m_model->countAt(row)));
            object.insert(QStringLiteral("share"), roundedShare(m_model->shareAt(row)));
            if (format == ResultFormat::JsonLines) {
                out += QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
                out += '\n';
            } else {
                array.append(object);
            }
        }
        if (format == ResultFormat::Json) {
            out = QJsonDocument(array).toJson(QJsonDocument::Indented).toStdString();
        }
        return out;
    }
    const char separator = format == ResultFormat::Csv ? ',' : '\t';
    const char* lineEnd = format == ResultFormat::Csv ? "\r\n" : "\n";
    auto putRow = [&](const QStringList& fields) {
        for (qsizetype i = 0; i < fields.size(); ++i) {
            if (i > 0) {
                out += separator;
            }
            const QByteArray bytes = fields.at(i).toUtf8();
            if (format == ResultFormat::Csv) {
                appendCsvField(out, bytes);
            } else {
                appendTsvField(out, std::string_view(bytes.constData(), size_t(bytes.size())));
            }
        }
        out += lineEnd;
    };
    if (header) {
        putRow({QStringLiteral("Product"), QStringLiteral("Name"), QStringLiteral("Count"),
                QStringLiteral("Share")});
    }
    for (int row : rows) {
        putRow({m_model->productAt(row), displayText(m_model->nameAt(row)),
                QString::number(m_model->countAt(row)),
                QString::number(roundedShare(m_model->shareAt(row)), 'f', 1)});
    }
    return out;
}

// One row copies its name alone, to paste into the search box; more rows
// copy as tab-separated values.
void NamesByProductWindow::copySelectedRows() {
    std::vector<int> rows = selectedRows();
    if (rows.empty() && m_view->currentIndex().isValid()) {
        rows.push_back(m_view->currentIndex().row());
    }
    if (rows.empty()) {
        return;
    }
    if (rows.size() == 1) {
        QApplication::clipboard()->setText(displayText(m_model->nameAt(rows.front())));
        return;
    }
    const std::string text = rowsText(ResultFormat::Tsv, rows, false);
    QApplication::clipboard()->setText(QString::fromUtf8(text.data(), qsizetype(text.size())));
}

// Every row the filter keeps, in the format the file's name asks for.
void NamesByProductWindow::exportRows() {
    const std::optional<ExportFile> chosen =
        chooseExportFile(this, tr("Export names by product"), m_exportDirectory, &m_exportFilter);
    if (!chosen) {
        return;
    }
    std::vector<int> rows(size_t(m_model->rowCount()));
    for (size_t i = 0; i < rows.size(); ++i) {
        rows[i] = int(i);
    }
    const std::string text = rowsText(chosen->format, rows, true);
    QSaveFile file(chosen->fileName);
    const bool written = file.open(QIODevice::WriteOnly) &&
                         file.write(text.data(), qint64(text.size())) == qint64(text.size()) &&
                         file.commit();
    if (!written) {
        MessageBox::reportException(this,
                                    chosen->fileName + QStringLiteral(": ") + file.errorString());
    }
}

} // namespace nomix
