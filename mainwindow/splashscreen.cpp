// SPDX-License-Identifier: MIT
#include "splashscreen.h"

#include "pictures.h"

#include "controls/embossedlabel.h"

#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace nomix {

namespace {
// Pale yellow, like a tooltip; the picture's white turns into it.
const QColor kPictureBackground(0xFF, 0xFF, 0xE1);
} // namespace

SplashScreen::SplashScreen(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("splashScreen"));
    setFixedSize(387, 219);

    auto* outer = new QFrame(this);
    outer->setObjectName(QStringLiteral("outerPanel"));
    outer->setFrameStyle(QFrame::Panel | QFrame::Raised);
    outer->setLineWidth(2);
    outer->setGeometry(0, 0, 387, 219);
    auto* inner = new QFrame(outer);
    inner->setObjectName(QStringLiteral("innerPanel"));
    inner->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    inner->setGeometry(8, 8, 371, 203);

    auto* title = new EmbossedLabel(QStringLiteral("Nomix95 1.1"), inner);
    title->setObjectName(QStringLiteral("titleLabel"));
    title->setStyle3D(Style3D::Shadowed);
    title->setShadowOffset(3);
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPixelSize(40);
    titleFont.setBold(true);
    titleFont.setItalic(true);
    title->setFont(titleFont);
    title->setGeometry(12, 10, 260, 56);

    auto* platformLine = new QLabel(tr("  for Windows 95/NT 4.0 "), inner);
    platformLine->setObjectName(QStringLiteral("platformLabel"));
    platformLine->setAutoFillBackground(true);
    QPalette platformPalette = platformLine->palette();
    platformPalette.setColor(QPalette::Window, QColor(0, 0, 128));
    platformPalette.setColor(QPalette::WindowText, Qt::white);
    platformLine->setPalette(platformPalette);
    platformLine->setGeometry(14, 72, 230, 20);

    auto* author = new QLabel(tr("Written by the Nomix95 developers"), inner);
    author->setObjectName(QStringLiteral("authorLabel"));
    author->setGeometry(14, 110, 250, 18);
    auto* contact = new QLabel(tr("A free tool for malware analysts\n"
                                  "Comments and data: see the README"),
                               inner);
    contact->setObjectName(QStringLiteral("contactLabel"));
    contact->setGeometry(14, 140, 250, 40);

    auto* pictureFrame = new QFrame(inner);
    pictureFrame->setObjectName(QStringLiteral("pictureFrame"));
    pictureFrame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pictureFrame->setAutoFillBackground(true);
    QPalette panelPalette = pictureFrame->palette();
    panelPalette.setColor(QPalette::Window, kPictureBackground);
    pictureFrame->setPalette(panelPalette);
    pictureFrame->setGeometry(280, 40, 80, 80);
    m_picture = new QLabel(pictureFrame);
    m_picture->setObjectName(QStringLiteral("pictureLabel"));
    m_picture->setGeometry(8, 8, 64, 64);
    recolourPicture();

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->geometry().center() - rect().center());
    }
}

bool SplashScreen::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        recolourPicture();
    }
    return QWidget::event(event);
}

void SplashScreen::recolourPicture() {
    QImage image = Pictures::findDocument();
    replaceImageColor(image, kPictureBackground, Pictures::kWhite);
    m_picture->setPixmap(QPixmap::fromImage(image));
}

} // namespace nomix
