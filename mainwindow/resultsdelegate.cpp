// SPDX-License-Identifier: MIT
#include "resultsdelegate.h"

#include "fittext.h"
#include "pictures.h"
#include "resultsmodel.h"

#include "platform/displaytext.h"

#include <QPainter>

namespace nomix {

namespace {

constexpr int kNoTextWidth = 15;
constexpr int kMarkerMinWidth = 30;
// Light enough for black text to read as well as on white.
constexpr QRgb kMatchedBackground = qRgb(255, 236, 130);

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

const QPixmap* ResultsDelegate::picture(Marker marker, bool selected,
                                        const QColor& highlight) const {
    if (selected && m_selectedBackground != highlight) {
        auto onHighlight = [&highlight](QImage image) {
            replaceImageColor(image, highlight, Pictures::kOlive);
            return QPixmap::fromImage(image);
        };
        m_selectedNoVirus = onHighlight(Pictures::noVirus());
        m_selectedMagnifier = onHighlight(Pictures::magnifier());
        m_selectedHelp = onHighlight(Pictures::helpMarker());
        m_selectedBackground = highlight;
    }
    switch (marker) {
    case Marker::NoVirus:
        return selected ? &m_selectedNoVirus : &m_noVirus;
    case Marker::UnknownVirus:
        return selected ? &m_selectedMagnifier : &m_magnifier;
    case Marker::Tilde:
        return selected ? &m_selectedHelp : &m_help;
    case Marker::None:
        break;
    }
    return nullptr;
}

void ResultsDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    if (!m_model->databaseLoaded()) {
        return;
    }
    const QRect rect = option.rect;
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const QPalette::ColorGroup group =
        !option.state.testFlag(QStyle::State_Enabled) ? QPalette::Disabled
        : option.state.testFlag(QStyle::State_Active) ? QPalette::Active
                                                      : QPalette::Inactive;
    const QColor highlight = option.palette.color(group, QPalette::Highlight);
    const QColor ink =
        selected ? option.palette.color(group, QPalette::HighlightedText) : QColor(Qt::black);
    const int row = index.row();
    const int column = index.column();
    const bool matched = !m_model->searchRunning() && m_model->cellMatched(row, column);
    painter->fillRect(rect, selected  ? highlight
                            : matched ? QColor(kMatchedBackground)
                                      : option.palette.color(QPalette::Base));
    // A selected name that matched keeps a band of the match colour at its
    // foot, so the selection does not hide where the string stood.
    if (selected && matched) {
        painter->fillRect(QRect(rect.left(), rect.bottom() - 2, rect.width(), 3),
                          QColor(kMatchedBackground));
    }
    // The current cell is framed only while the grid has the keyboard, as
    // the classic grids do.
    if (option.state.testFlag(QStyle::State_HasFocus)) {
        painter->save();
        painter->setPen(QPen(selected ? ink : QColor(Qt::black), 1, Qt::DotLine));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(rect.adjusted(0, 0, -1, -1));
        painter->restore();
    }
    if (rect.width() <= kNoTextWidth || m_model->searchRunning() ||
        !m_model->namesShownIn(column)) {
        return;
    }
    const std::string_view field = m_model->fieldAt(row, column);
    const QString text = nomix::displayText(field);
    const QFontMetrics metrics(option.font);
    painter->setFont(option.font);
    painter->setPen(ink);

    int pictureTop = 0;
    const Marker marker = markerFor(field);
    switch (marker) {
    case Marker::NoVirus:
        pictureTop = 6;
        break;
    case Marker::UnknownVirus:
        pictureTop = 4;
        break;
    case Marker::Tilde:
        pictureTop = 5;
        break;
    case Marker::None:
        break;
    }
    if (m_model->showBitmaps() && marker != Marker::None && rect.width() >= kMarkerMinWidth) {
        painter->drawPixmap(rect.left() + 2, rect.top() + pictureTop,
                            *picture(marker, selected, highlight));
        painter->drawText(rect.adjusted(20, 4, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                          fitText(text, rect.width() - 20, metrics));
    } else {
        painter->drawText(rect.adjusted(2, 4, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                          fitText(text, rect.width() - 2, metrics));
    }
}

} // namespace nomix
