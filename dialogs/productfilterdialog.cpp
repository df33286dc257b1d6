#include "productfilterdialog.h"

#include "dialoghelp.h"
#include "platform/messagebox.h"
#include "contexthelpmenu.h"
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
constexpr int kHelpTopic = 47;
constexpr int kListHelpContext = 48;
constexpr int kMenuHelpContext = 57;

struct ColumnWidths {
    int products;
    int version;
    int date;
    int status;
};
constexpr ColumnWidths kShortListWidths{370, 0, 0, 120};
constexpr ColumnWidths kDetailsWidths{200, 120, 80, 90};

QFont DialogFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(13);
    return font;
}

// Screen updates of `widget` stay off while this lives, so a change of many
// items is drawn once.
class UpdatesSuspended {
  public:
    explicit UpdatesSuspended(QWidget* widget) : widget_(widget) {
        widget_->setUpdatesEnabled(false);
    }
    ~UpdatesSuspended() { widget_->setUpdatesEnabled(true); }
    UpdatesSuspended(const UpdatesSuspended&) = delete;
    UpdatesSuspended& operator=(const UpdatesSuspended&) = delete;

  private:
    QWidget* widget_;
};

} // namespace

ProductFilterDialog::ProductFilterDialog(QWidget* parent)
    : QDialog(parent), model_(new ProductListModel(this)), helpPopup_(new ContextHelpMenu(this)) {
    setObjectName(QStringLiteral("SelectForm"));
    setWindowTitle(QStringLiteral("Select antiviral products"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(DialogFont());
    setFixedSize(kClientWidth, kClientHeight);
    // Modal to the main window only: the help it opens is a window of its own
    // that the user must be able to read and scroll while this one is open.
    setWindowModality(Qt::WindowModal);

    buildList();
    buildButtons();
    buildMenu();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ProductListView);
    layout->addWidget(Panel1);
    setTabOrder(OkButton, CancelButton);
    setTabOrder(CancelButton, HelpButton);
    setTabOrder(HelpButton, ProductListView);
    ApplyColumnWidths();
}

void ProductFilterDialog::buildList() {
    ProductListView = new QTreeView(this);
    ProductListView->setObjectName(QStringLiteral("ProductListView"));
    ProductListView->setModel(model_);
    ProductListView->setRootIsDecorated(false);
    ProductListView->setItemsExpandable(false);
    ProductListView->setUniformRowHeights(true);
    ProductListView->setAllColumnsShowFocus(true);
    ProductListView->setSelectionMode(QAbstractItemView::SingleSelection);
    ProductListView->setSelectionBehavior(QAbstractItemView::SelectRows);
    ProductListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ProductListView->setExpandsOnDoubleClick(false);
    ProductListView->setStatusTip(
        QStringLiteral("Hint: click the right button of the mouse to display a local menu"));
    ProductListView->setProperty(ContextHelpMenu::kHelpContextProperty, kListHelpContext);
    ProductListView->setContextMenuPolicy(Qt::CustomContextMenu);
    ProductListView->installEventFilter(this);

    QHeaderView* header = ProductListView->header();
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    header->setSectionsClickable(true);
    header->setMinimumSectionSize(0);

    connect(ProductListView, &QAbstractItemView::doubleClicked, this,
            &ProductFilterDialog::ProductListViewDblClick);
    connect(header, &QHeaderView::sectionClicked, this, &ProductFilterDialog::Invertselection1Click);
    connect(ProductListView, &QWidget::customContextMenuRequested, this,
            &ProductFilterDialog::ProductListViewContextMenu);
}

void ProductFilterDialog::buildButtons() {
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setFixedHeight(kPanelHeight);

    auto makeButton = [this](const char* name, const QString& caption, QStyle::StandardPixmap glyph,
                             const QString& hint, int left, int helpContext) {
        auto* button = new QPushButton(style()->standardIcon(glyph), caption, Panel1);
        button->setObjectName(QLatin1String(name));
        button->setStatusTip(hint);
        button->setGeometry(left, kButtonTop, kButtonWidth, kButtonHeight);
        helpPopup_->attach(button, helpContext);
        return button;
    };
    OkButton = makeButton("OkButton", QStringLiteral("&OK"), QStyle::SP_DialogOkButton,
                          QStringLiteral("Accept the settings"), 61, 49);
    CancelButton =
        makeButton("CancelButton", QStringLiteral("&Cancel"), QStyle::SP_DialogCancelButton,
                   QStringLiteral("Close the window without changes"), 203, 50);
    HelpButton = makeButton("HelpButton", QStringLiteral("&Help"), QStyle::SP_DialogHelpButton,
                            QStringLiteral("Get help"), 344, 52);
    OkButton->setDefault(true);

    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpButton, &QPushButton::clicked, this, &ProductFilterDialog::HelpButtonClick);
}

QAction* ProductFilterDialog::addMenuItem(const char* name, const QString& caption, const QString& hint) {
    QAction* action = ProductMenu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    action->setStatusTip(hint);
    action->setProperty(ContextHelpMenu::kHelpContextProperty, kMenuHelpContext);
    return action;
}

void ProductFilterDialog::buildMenu() {
    ProductMenu = new QMenu(this);
    ProductMenu->setObjectName(QStringLiteral("ProductMenu"));
    Whatsthis1 =
        addMenuItem("Whatsthis1", QStringLiteral("&What's this?"), QStringLiteral("Get help"));
    ProductMenu->addSeparator()->setObjectName(QStringLiteral("N1"));
    Selectall1 = addMenuItem("Selectall1", QStringLiteral("&Select  all"),
                             QStringLiteral("Select all products"));
    Unselectall1 = addMenuItem("Unselectall1", QStringLiteral("&Unselect all"),
                               QStringLiteral("Unselect all produtcs"));
    Invertselection1 = addMenuItem("Invertselection1", QStringLiteral("&Invert selection"),
                                   QStringLiteral("Invert the values of the current selection"));
    ProductMenu->addSeparator()->setObjectName(QStringLiteral("N2"));
    Longlist1 = addMenuItem("Longlist1", QStringLiteral("&List details"),
                            QStringLiteral("Display or hide details  of the product list"));
    Longlist1->setCheckable(true);

    connect(Whatsthis1, &QAction::triggered, this, &ProductFilterDialog::Whatsthis1Click);
    connect(Selectall1, &QAction::triggered, this, &ProductFilterDialog::Selectall1Click);
    connect(Unselectall1, &QAction::triggered, this, &ProductFilterDialog::Unselectall1Click);
    connect(Invertselection1, &QAction::triggered, this, &ProductFilterDialog::Invertselection1Click);
    // Whoever ticks the item (the user, or the main window from the stored
    // setting) gets the matching widths.
    connect(Longlist1, &QAction::toggled, this, &ProductFilterDialog::Longlist1Click);
}

void ProductFilterDialog::FillProductList(const std::vector<std::string>& entries,
                                  const nomix::ProductSelection& selection) {
    model_->fill(entries, selection);
    // A model reset gives the header its default widths back.
    ApplyColumnWidths();
}

nomix::ProductSelection ProductFilterDialog::CurrentSelection() const {
    return model_->selection();
}

int ProductFilterDialog::productCount() const {
    return model_->rowCount();
}

QString ProductFilterDialog::productName(int index) const {
    return model_->productName(index);
}

void ProductFilterDialog::ApplyColumnWidths() {
    ColumnWidths widths = Longlist1->isChecked() ? kDetailsWidths : kShortListWidths;
    // The designed widths assume a narrower font than most desktops have: the
    // Status column takes what "Not selected" needs, and the Products column
    // what is left of the list's width, so no horizontal scroll bar shows.
    widths.status = qMax(widths.status, statusTextWidth());
    widths.products = qMax(0, listWidth() - widths.version - widths.date - widths.status);
    QHeaderView* header = ProductListView->header();
    header->resizeSection(ProductListModel::ProductsColumn, widths.products);
    header->resizeSection(ProductListModel::VersionColumn, widths.version);
    header->resizeSection(ProductListModel::DateColumn, widths.date);
    header->resizeSection(ProductListModel::StatusColumn, widths.status);
}

int ProductFilterDialog::statusTextWidth() const {
    // The text plus the padding the style puts on both sides of a cell.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, ProductListView);
    return ProductListView->fontMetrics().horizontalAdvance(QStringLiteral("Not selected")) +
           4 * (margin + 1) + kCellPadding;
}

// The width the columns may share: the list less its frame and its vertical
// scroll bar, which the full product table always needs.
int ProductFilterDialog::listWidth() const {
    return ProductListView->width() - 2 * ProductListView->frameWidth() -
           ProductListView->verticalScrollBar()->sizeHint().width();
}

void ProductFilterDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) {
        return;
    }
    snapshot_ = model_->selection();
    ApplyColumnWidths();
    OkButton->setFocus();
}

void ProductFilterDialog::done(int result) {
    if (result == QDialog::Accepted && !closeWithOkAllowed()) {
        return;
    }
    if (result != QDialog::Accepted) {
        restoreSnapshot();
    }
    snapshot_.reset();
    QDialog::done(result);
}

bool ProductFilterDialog::closeWithOkAllowed() {
    if (model_->anySelected()) {
        return true;
    }
    QApplication::beep();
    nomix::MessageBox::error(
        this, QStringLiteral("No product selected.\rYou must select one product at least."));
    return false;
}

void ProductFilterDialog::restoreSnapshot() {
    if (snapshot_) {
        model_->setSelection(*snapshot_);
    }
}

bool ProductFilterDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ProductListView && event->type() == QEvent::KeyPress) {
        return ProductListViewKeyPress(static_cast<QKeyEvent*>(event)->text());
    }
    return QDialog::eventFilter(watched, event);
}

bool ProductFilterDialog::ProductListViewKeyPress(const QString& key) {
    if (key != QStringLiteral(" ")) {
        return false;
    }
    toggleHighlightedItem();
    return true;
}

void ProductFilterDialog::ProductListViewDblClick() {
    toggleHighlightedItem();
}

void ProductFilterDialog::toggleHighlightedItem() {
    const QModelIndexList highlighted = ProductListView->selectionModel()->selectedRows();
    if (!highlighted.isEmpty()) {
        model_->toggle(highlighted.first().row());
    }
}

void ProductFilterDialog::ProductListViewContextMenu(const QPoint& position) {
    ProductMenu->popup(ProductListView->viewport()->mapToGlobal(position));
}

void ProductFilterDialog::Invertselection1Click() {
    UpdatesSuspended suspended(ProductListView);
    model_->invertAll();
}

void ProductFilterDialog::Selectall1Click() {
    UpdatesSuspended suspended(ProductListView);
    model_->selectAll();
}

void ProductFilterDialog::Unselectall1Click() {
    UpdatesSuspended suspended(ProductListView);
    model_->unselectAll();
}

void ProductFilterDialog::Longlist1Click() {
    UpdatesSuspended suspended(this);
    ApplyColumnWidths();
}

void ProductFilterDialog::HelpButtonClick() {
    nomix::openHelpTopic(this, kHelpTopic);
}

void ProductFilterDialog::Whatsthis1Click() {
    nomix::openHelpPopup(this, kListHelpContext);
}
