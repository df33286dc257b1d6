// SPDX-License-Identifier: MIT
#include "productfilterdialog.h"

#include "contexthelpmenu.h"
#include "dialoghelp.h"
#include "platform/classicfont.h"
#include "platform/messagebox.h"
#include "productlistmodel.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

constexpr int kClientWidth = 496;
constexpr int kClientHeight = 260;
constexpr int kPanelHeight = 44;
constexpr int kButtonTop = 10;
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 25;

constexpr int kCellPadding = 8;
constexpr nomix::HelpTopic kHelpTopic = nomix::HelpTopic::ProductSelectionDialog;
constexpr int kListHelpContext = nomix::topicNumber(nomix::HelpTopic::ProductList);
constexpr int kMenuHelpContext = nomix::topicNumber(nomix::HelpTopic::ProductListMenu);

struct ColumnWidths {
    int products;
    int version;
    int date;
    int status;
};
constexpr ColumnWidths kShortListWidths{370, 0, 0, 120};
constexpr ColumnWidths kDetailsWidths{200, 120, 80, 90};

// Screen updates of `widget` stay off while this lives, so a change of many
// items is drawn once.
class UpdatesSuspended {
  public:
    explicit UpdatesSuspended(QWidget* widget) : m_widget(widget) {
        m_widget->setUpdatesEnabled(false);
    }
    ~UpdatesSuspended() { m_widget->setUpdatesEnabled(true); }
    UpdatesSuspended(const UpdatesSuspended&) = delete;
    UpdatesSuspended& operator=(const UpdatesSuspended&) = delete;

  private:
    QWidget* m_widget;
};

} // namespace

ProductFilterDialog::ProductFilterDialog(QWidget* parent)
    : QDialog(parent), m_model(new ProductListModel(this)), m_helpMenu(new ContextHelpMenu(this)) {
    setObjectName(QStringLiteral("productFilterDialog"));
    setWindowTitle(tr("Select antiviral products"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(nomix::classicUiFont());
    setFixedSize(kClientWidth, kClientHeight);
    // Modal to the main window only: the help it opens is a window of its own
    // that the user must be able to read and scroll while this one is open.
    setWindowModality(Qt::WindowModal);

    buildList();
    QWidget* buttonPanel = buildButtons();
    buildMenu();
    nomix::addHelpKey(this, kHelpTopic);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_list);
    layout->addWidget(buttonPanel);
    applyColumnWidths();
}

void ProductFilterDialog::buildList() {
    m_list = new QTreeView(this);
    m_list->setObjectName(QStringLiteral("productList"));
    m_list->setModel(m_model);
    m_list->setRootIsDecorated(false);
    m_list->setItemsExpandable(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setExpandsOnDoubleClick(false);
    m_list->setStatusTip(tr("Hint: click the right button of the mouse to display a local menu"));
    m_list->setProperty(ContextHelpMenu::kHelpContextProperty, kListHelpContext);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->installEventFilter(this);

    QHeaderView* header = m_list->header();
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    header->setSectionsClickable(true);
    header->setMinimumSectionSize(0);

    connect(m_list, &QAbstractItemView::doubleClicked, this,
            &ProductFilterDialog::toggleHighlightedItem);
    connect(header, &QHeaderView::sectionClicked, this, &ProductFilterDialog::invertSelection);
    connect(m_list, &QWidget::customContextMenuRequested, this,
            &ProductFilterDialog::showProductMenu);
}

QWidget* ProductFilterDialog::buildButtons() {
    auto* buttonPanel = new QFrame(this);
    buttonPanel->setObjectName(QStringLiteral("buttonPanel"));
    buttonPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    buttonPanel->setFixedHeight(kPanelHeight);

    auto makeButton = [this, buttonPanel](const char* name, const QString& caption,
                                          QStyle::StandardPixmap glyph, const QString& hint,
                                          int left, nomix::HelpTopic helpContext) {
        auto* button = new QPushButton(style()->standardIcon(glyph), caption, buttonPanel);
        button->setObjectName(QLatin1String(name));
        button->setStatusTip(hint);
        button->setGeometry(left, kButtonTop, kButtonWidth, kButtonHeight);
        m_helpMenu->attach(button, helpContext);
        return button;
    };
    m_okButton = makeButton("okButton", tr("&OK"), QStyle::SP_DialogOkButton,
                            tr("Accept the settings"), 61, nomix::HelpTopic::OkButton);
    QPushButton* cancelButton =
        makeButton("cancelButton", tr("&Cancel"), QStyle::SP_DialogCancelButton,
                   tr("Close the window without changes"), 203, nomix::HelpTopic::CancelButton);
    QPushButton* helpButton = makeButton("helpButton", tr("&Help"), QStyle::SP_DialogHelpButton,
                                         tr("Get help"), 344, nomix::HelpTopic::HelpButton);
    m_okButton->setDefault(true);

    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(helpButton, &QPushButton::clicked, this, &ProductFilterDialog::showHelpTopic);

    setTabOrder(m_okButton, cancelButton);
    setTabOrder(cancelButton, helpButton);
    setTabOrder(helpButton, m_list);
    return buttonPanel;
}

QAction* ProductFilterDialog::addMenuItem(const char* name, const QString& caption,
                                          const QString& hint) {
    QAction* action = m_productMenu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    action->setStatusTip(hint);
    action->setProperty(ContextHelpMenu::kHelpContextProperty, kMenuHelpContext);
    return action;
}

void ProductFilterDialog::buildMenu() {
    m_productMenu = new QMenu(this);
    m_productMenu->setObjectName(QStringLiteral("productMenu"));
    QAction* whatsThis = addMenuItem("whatsThisAction", tr("&What's this?"), tr("Get help"));
    m_productMenu->addSeparator();
    QAction* selectAll =
        addMenuItem("selectAllAction", tr("&Select  all"), tr("Select all products"));
    QAction* unselectAll =
        addMenuItem("unselectAllAction", tr("&Unselect all"), tr("Unselect all produtcs"));
    QAction* invertSelection = addMenuItem("invertSelectionAction", tr("&Invert selection"),
                                           tr("Invert the values of the current selection"));
    m_productMenu->addSeparator();
    m_listDetailsAction = addMenuItem("listDetailsAction", tr("&List details"),
                                      tr("Display or hide details  of the product list"));
    m_listDetailsAction->setCheckable(true);

    connect(whatsThis, &QAction::triggered, this, &ProductFilterDialog::showListHelp);
    connect(selectAll, &QAction::triggered, this, &ProductFilterDialog::selectAll);
    connect(unselectAll, &QAction::triggered, this, &ProductFilterDialog::unselectAll);
    connect(invertSelection, &QAction::triggered, this, &ProductFilterDialog::invertSelection);
    connect(m_listDetailsAction, &QAction::toggled, this,
            &ProductFilterDialog::refreshColumnWidths);
}

void ProductFilterDialog::setProducts(const std::vector<std::string>& entries,
                                      const nomix::ProductSelection& selection) {
    m_model->setProducts(entries, selection);
    // A model reset gives the header its default widths back.
    applyColumnWidths();
}

nomix::ProductSelection ProductFilterDialog::selection() const {
    return m_model->selection();
}

bool ProductFilterDialog::listDetails() const {
    return m_listDetailsAction->isChecked();
}

void ProductFilterDialog::setListDetails(bool on) {
    m_listDetailsAction->setChecked(on);
}

void ProductFilterDialog::applyColumnWidths() {
    ColumnWidths widths = m_listDetailsAction->isChecked() ? kDetailsWidths : kShortListWidths;
    // The designed widths assume a narrower font than most desktops have: the
    // Status column takes what "Not selected" needs, and the Products column
    // what is left of the list's width, so no horizontal scroll bar shows.
    widths.status = qMax(widths.status, statusTextWidth());
    widths.products = qMax(0, listWidth() - widths.version - widths.date - widths.status);
    using Column = ProductListModel::Column;
    QHeaderView* header = m_list->header();
    header->resizeSection(int(Column::Products), widths.products);
    header->resizeSection(int(Column::Version), widths.version);
    header->resizeSection(int(Column::Date), widths.date);
    header->resizeSection(int(Column::Status), widths.status);
}

void ProductFilterDialog::refreshColumnWidths() {
    UpdatesSuspended suspended(this);
    applyColumnWidths();
}

int ProductFilterDialog::statusTextWidth() const {
    // The text plus the padding the style puts on both sides of a cell.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_list);
    return m_list->fontMetrics().horizontalAdvance(ProductListModel::tr("Not selected")) +
           4 * (margin + 1) + kCellPadding;
}

// The width the columns may share: the list less its frame and its vertical
// scroll bar, which the full product table always needs.
int ProductFilterDialog::listWidth() const {
    return m_list->width() - 2 * m_list->frameWidth() -
           m_list->verticalScrollBar()->sizeHint().width();
}

void ProductFilterDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) {
        return;
    }
    m_snapshot = m_model->selection();
    applyColumnWidths();
    m_okButton->setFocus();
}

void ProductFilterDialog::done(int result) {
    if (result == QDialog::Accepted && !acceptAllowed()) {
        return;
    }
    if (result != QDialog::Accepted) {
        restoreSnapshot();
    }
    m_snapshot.reset();
    QDialog::done(result);
}

// OK needs at least one product: a search over none would find nothing.
bool ProductFilterDialog::acceptAllowed() {
    if (m_model->anySelected()) {
        return true;
    }
    QApplication::beep();
    nomix::MessageBox::error(this,
                             tr("No product selected.\rYou must select one product at least."));
    return false;
}

void ProductFilterDialog::restoreSnapshot() {
    if (m_snapshot) {
        m_model->setSelection(*m_snapshot);
    }
}

// The space bar toggles the highlighted product; every other key keeps its
// meaning in the list.
bool ProductFilterDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        if (static_cast<QKeyEvent*>(event)->text() != QStringLiteral(" ")) {
            return false;
        }
        toggleHighlightedItem();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void ProductFilterDialog::toggleHighlightedItem() {
    const QModelIndexList highlighted = m_list->selectionModel()->selectedRows();
    if (!highlighted.isEmpty()) {
        m_model->toggle(highlighted.first().row());
    }
}

void ProductFilterDialog::showProductMenu(const QPoint& position) {
    m_productMenu->popup(m_list->viewport()->mapToGlobal(position));
}

void ProductFilterDialog::invertSelection() {
    UpdatesSuspended suspended(m_list);
    m_model->invertAll();
}

void ProductFilterDialog::selectAll() {
    UpdatesSuspended suspended(m_list);
    m_model->selectAll();
}

void ProductFilterDialog::unselectAll() {
    UpdatesSuspended suspended(m_list);
    m_model->unselectAll();
}

void ProductFilterDialog::showHelpTopic() {
    nomix::openHelpTopic(this, kHelpTopic);
}

void ProductFilterDialog::showListHelp() {
    nomix::openHelpPopup(this, kListHelpContext);
}
