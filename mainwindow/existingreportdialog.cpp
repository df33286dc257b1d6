// SPDX-License-Identifier: MIT
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
QImage warningPicture() {
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
QPixmap onWindowColour(QImage image, const QColor& windowColour) {
    replaceImageColor(image, windowColour, image.pixelColor(0, image.height() - 1));
    return QPixmap::fromImage(image);
}

} // namespace

ExistingReportDialog::ExistingReportDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("existingReportDialog"));
    setWindowTitle(tr(" Warning"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(createChoiceButton("appendButton", tr("&Append"),
                                          tr("Append current results to existing file"),
                                          Choice::Append));
    buttons->addWidget(createChoiceButton("overwriteButton", tr("&Overwrite"),
                                          tr("Overwrite existing file with current results"),
                                          Choice::Overwrite));
    buttons->addWidget(createChoiceButton("cancelButton", tr("&Cancel"),
                                          tr("Close the window discarding any operation"),
                                          Choice::Cancel));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 8);
    layout->addWidget(createMessagePanel(), 1);
    layout->addLayout(buttons);
    // The designed size, unless the desktop's font needs more room.
    setFixedSize(QSize(kClientWidth, kClientHeight).expandedTo(sizeHint()));
}

void ExistingReportDialog::reject() {
    done(static_cast<int>(Choice::Cancel));
}

QFrame* ExistingReportDialog::createMessagePanel() {
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("messagePanel"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);

    auto* picture = new QLabel(panel);
    picture->setObjectName(QStringLiteral("warningPicture"));
    picture->setPixmap(onWindowColour(warningPicture(), palette().color(QPalette::Window)));

    auto* message = new QLabel(tr("File exists. Please, select an action.          "), panel);
    message->setObjectName(QStringLiteral("messageLabel"));
    message->setTextFormat(Qt::PlainText);
    message->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* layout = new QHBoxLayout(panel);
    layout->addWidget(picture);
    layout->addWidget(message, 1);
    return panel;
}

QPushButton* ExistingReportDialog::createChoiceButton(const char* name, const QString& caption,
                                                      const QString& hint, Choice choice) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(hint);
    button->setStatusTip(hint);
    connect(button, &QPushButton::clicked, this,
            [this, choice] { done(static_cast<int>(choice)); });
    return button;
}

} // namespace nomix
