#include "existingreportdialog.h"

#include "pictures.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPolygon>
#include <QPushButton>
#include <QVBoxLayout>

namespace nomix {

namespace {

constexpr int kClientWidth = 315;
constexpr int kClientHeight = 121;
constexpr int kPictureSize = 32;

// A yellow warning triangle on an olive background, drawn without smoothing
// so that the background is one exact colour.
QImage WarningPicture() {
    QImage image(kPictureSize, kPictureSize, QImage::Format_RGB32);
    image.fill(Pictures::kOlive);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    painter.setBrush(QColor(255, 255, 0));
    painter.drawPolygon(QPolygon({QPoint(15, 1), QPoint(16, 1), QPoint(30, 29), QPoint(1, 29)}));
    painter.fillRect(14, 9, 4, 12, Qt::black);
    painter.fillRect(14, 23, 4, 4, Qt::black);
    return image;
}

// The picture's background, taken from its lower-left pixel, becomes the
// colour of the dialog it sits on.
QPixmap OnWindowColour(QImage image, const QColor& windowColour) {
    replaceImageColor(image, windowColour, image.pixelColor(0, image.height() - 1));
    return QPixmap::fromImage(image);
}

} // namespace

ExistingReportDialog::ExistingReportDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("ExistingReportDialog"));
    setWindowTitle(QStringLiteral(" Warning"));

    Button1 = createButton("Button1", QStringLiteral("&Append"),
                           QStringLiteral("Append current results to existing file"), mrAppend);
    Button2 =
        createButton("Button2", QStringLiteral("&Overwrite"),
                     QStringLiteral("Overwrite existing file with current results"), mrOverwrite);
    Button3 = createButton("Button3", QStringLiteral("&Cancel"),
                           QStringLiteral("Close the window discarding any operation"), mrCancel);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    buttons->addWidget(Button3);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 8);
    layout->addWidget(createTopPanel(), 1);
    layout->addLayout(buttons);
    // The designed size, unless the desktop's font needs more room.
    setFixedSize(QSize(kClientWidth, kClientHeight).expandedTo(sizeHint()));
}

void ExistingReportDialog::reject() {
    done(mrCancel);
}

QFrame* ExistingReportDialog::createTopPanel() {
    TopPanel = new QFrame(this);
    TopPanel->setObjectName(QStringLiteral("TopPanel"));
    TopPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);

    WarningImage = new QLabel(TopPanel);
    WarningImage->setObjectName(QStringLiteral("WarningImage"));
    WarningImage->setPixmap(OnWindowColour(WarningPicture(), palette().color(QPalette::Window)));

    MessageLabel =
        new QLabel(QStringLiteral("File exists. Please, select an action.          "), TopPanel);
    MessageLabel->setObjectName(QStringLiteral("MessageLabel"));
    MessageLabel->setTextFormat(Qt::PlainText);
    MessageLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* layout = new QHBoxLayout(TopPanel);
    layout->addWidget(WarningImage);
    layout->addWidget(MessageLabel, 1);
    return TopPanel;
}

QPushButton* ExistingReportDialog::createButton(const char* name, const QString& caption, const QString& hint,
                                    int result) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(hint);
    button->setStatusTip(hint);
    connect(button, &QPushButton::clicked, this, [this, result] { done(result); });
    return button;
}

} // namespace nomix
