#include "resultsdelegate.h"

#include "fittext.h"
#include "resultsviewstate.h"
#include "resultsmodel.h"

#include "platform/displaytext.h"

#include <QPainter>

namespace nomix {

namespace {

constexpr int kNoTextWidth = 15;
constexpr int kMarkerMinWidth = 30;

bool equalsUpper(std::string_view field, std::string_view upper) {
    if (field.size() != upper.size()) {
        return false;
    }
    for (size_t i = 0; i < field.size(); ++i) {
        char c = field[i];
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 32);
        }
        if (c != upper[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

ResultsDelegate::ResultsDelegate(const ResultsViewState* host, const ResultsModel* model,
                                       QObject* parent)
    : QStyledItemDelegate(parent), host_(host), model_(model) {}

void ResultsDelegate::setMarkerPictures(const QPixmap& noVirus, const QPixmap& magnifier,
                                           const QPixmap& help) {
    noVirus_ = noVirus;
    magnifier_ = magnifier;
    help_ = help;
}

ResultsDelegate::Marker ResultsDelegate::MarkerFor(std::string_view field) {
    if (equalsUpper(field, "NO_VIRUS")) {
        return Marker::NoVirus;
    }
    if (equalsUpper(field, "UNKNOWN_VIRUS")) {
        return Marker::UnknownVirus;
    }
    if (!field.empty() && field.front() == '~') {
        return Marker::Tilde;
    }
    return Marker::None;
}

void ResultsDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    if (!host_->gridDatabaseLoaded()) {
        return;
    }
    const QRect rect = option.rect;
    painter->fillRect(rect, option.palette.color(QPalette::Base));
    const int row = index.row();
    const int column = index.column();
    const bool columnShown = host_->gridShowAllProducts() || host_->gridAllProductsSelected() ||
                             host_->gridProductSelected(column);
    if (rect.width() <= kNoTextWidth || !host_->gridSearchFinished() || !model_->hasResult(row) ||
        !columnShown) {
        return;
    }
    const std::string_view field = model_->fieldAt(row, column);
    const QString text = nomix::displayText(field);
    const QFontMetrics metrics(option.font);
    painter->setFont(option.font);
    painter->setPen(Qt::black);

    const Marker marker = MarkerFor(field);
    const QPixmap* picture = nullptr;
    int pictureTop = 0;
    switch (marker) {
    case Marker::NoVirus:
        picture = &noVirus_;
        pictureTop = 6;
        break;
    case Marker::UnknownVirus:
        picture = &magnifier_;
        pictureTop = 4;
        break;
    case Marker::Tilde:
        picture = &help_;
        pictureTop = 5;
        break;
    case Marker::None:
        break;
    }
    if (host_->gridShowBitmaps() && picture && rect.width() >= kMarkerMinWidth) {
        painter->drawPixmap(rect.left() + 2, rect.top() + pictureTop, *picture);
        painter->drawText(rect.adjusted(20, 4, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                          FitText(text, rect.width() - 20, metrics));
    } else {
        painter->drawText(rect.adjusted(2, 4, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                          FitText(text, rect.width() - 2, metrics));
    }
}

} // namespace nomix
