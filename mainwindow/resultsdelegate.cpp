#include "resultsdelegate.h"

#include "fittext.h"
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

ResultsDelegate::ResultsDelegate(const ResultsModel* model, QObject* parent)
    : QStyledItemDelegate(parent), m_model(model) {}

void ResultsDelegate::setMarkerPictures(const QPixmap& noVirus, const QPixmap& magnifier,
                                        const QPixmap& help) {
    m_noVirus = noVirus;
    m_magnifier = magnifier;
    m_help = help;
}

ResultsDelegate::Marker ResultsDelegate::markerFor(std::string_view field) {
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
    if (!m_model->databaseLoaded()) {
        return;
    }
    const QRect rect = option.rect;
    painter->fillRect(rect, option.palette.color(QPalette::Base));
    const int row = index.row();
    const int column = index.column();
    if (rect.width() <= kNoTextWidth || m_model->searchRunning() ||
        !m_model->namesShownIn(column)) {
        return;
    }
    const std::string_view field = m_model->fieldAt(row, column);
    const QString text = nomix::displayText(field);
    const QFontMetrics metrics(option.font);
    painter->setFont(option.font);
    painter->setPen(Qt::black);

    const Marker marker = markerFor(field);
    const QPixmap* picture = nullptr;
    int pictureTop = 0;
    switch (marker) {
    case Marker::NoVirus:
        picture = &m_noVirus;
        pictureTop = 6;
        break;
    case Marker::UnknownVirus:
        picture = &m_magnifier;
        pictureTop = 4;
        break;
    case Marker::Tilde:
        picture = &m_help;
        pictureTop = 5;
        break;
    case Marker::None:
        break;
    }
    if (m_model->showBitmaps() && picture && rect.width() >= kMarkerMinWidth) {
        painter->drawPixmap(rect.left() + 2, rect.top() + pictureTop, *picture);
        painter->drawText(rect.adjusted(20, 4, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                          fitText(text, rect.width() - 20, metrics));
    } else {
        painter->drawText(rect.adjusted(2, 4, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                          fitText(text, rect.width() - 2, metrics));
    }
}

} // namespace nomix
