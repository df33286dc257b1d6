#pragma once

#include <QPixmap>
#include <QStyledItemDelegate>

namespace nomix {

class ResultsViewState;
class ResultsModel;

// Draws one data cell of the results grid straight from the model's field:
// a marker picture for names no product gave ("NO_VIRUS"), unknown viruses
// ("UNKNOWN_VIRUS") and names starting with '~', then the name cut to fit.
// Nothing is cached, so rows off screen cost nothing.
class ResultsDelegate : public QStyledItemDelegate {
    Q_OBJECT

  public:
    enum class Marker { None, NoVirus, UnknownVirus, Tilde };

    ResultsDelegate(const ResultsViewState* host, const ResultsModel* model,
                       QObject* parent = nullptr);

    void setMarkerPictures(const QPixmap& noVirus, const QPixmap& magnifier, const QPixmap& help);

    static Marker MarkerFor(std::string_view field);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

  private:
    const ResultsViewState* host_;
    const ResultsModel* model_;
    QPixmap noVirus_;
    QPixmap magnifier_;
    QPixmap help_;
};

} // namespace nomix
