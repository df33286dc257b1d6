// SPDX-License-Identifier: MIT
#pragma once

#include <QPixmap>
#include <QStyledItemDelegate>

namespace nomix {

class ResultsModel;

// Draws one data cell of the results grid straight from the model's field:
// a marker picture for names no product gave ("NO_VIRUS"), unknown viruses
// ("UNKNOWN_VIRUS") and names starting with '~', then the name cut to fit.
// Selected cells take the highlight colour and the current cell a dotted
// frame, so that what Ctrl+C copies can be seen. Names in which the search
// found its string stand on a yellow ground. Nothing is cached per
// cell, so rows off screen cost nothing.
class ResultsDelegate : public QStyledItemDelegate {
    Q_OBJECT

  public:
    enum class Marker { None, NoVirus, UnknownVirus, Tilde };

    explicit ResultsDelegate(const ResultsModel* model, QObject* parent = nullptr);

    void setMarkerPictures(const QPixmap& noVirus, const QPixmap& magnifier, const QPixmap& help);

    static Marker markerFor(std::string_view field);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

  private:
    const QPixmap* picture(Marker marker, bool selected, const QColor& highlight) const;

    const ResultsModel* m_model;
    QPixmap m_noVirus;
    QPixmap m_magnifier;
    QPixmap m_help;
    // The markers on the highlight colour, made when a selected marker is
    // first drawn and again when the highlight colour changes.
    mutable QColor m_selectedBackground;
    mutable QPixmap m_selectedNoVirus;
    mutable QPixmap m_selectedMagnifier;
    mutable QPixmap m_selectedHelp;
};

} // namespace nomix
