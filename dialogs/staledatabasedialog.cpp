// SPDX-License-Identifier: MIT
#include "staledatabasedialog.h"

#include "controls/embossedlabel.h"
#include "dialogpictures.h"
#include "platform/classicfont.h"
#include "platform/windowplacement.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

#include <cmath>

namespace {

constexpr int kClientWidth = 420;
constexpr int kClientHeight = 193;

// The publisher's site, where newer databases are found.
const QString kPublisherSite = QStringLiteral("www.talvora.example");

const QColor kMaroon(128, 0, 0);

QFont addressFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(18);
    return font;
}

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    widget->setPalette(palette);
}

// Places `widget` at the designed spot with at least the designed size, and
// more where the font needs it.
void placeAt(QWidget* widget, int left, int top, int width, int height) {
    const QSize hint = widget->sizeHint();
    widget->setGeometry(left, top, qMax(width, hint.width()), qMax(height, hint.height()));
}

} // namespace

bool databaseIsOutdated(double databaseDate, double now) {
    const double today = std::floor(now);
    return today - databaseDate > kAlarmAgeDays;
}

StaleDatabaseDialog::StaleDatabaseDialog(QWidget* parent)
    : QDialog(parent), m_picture(nomix::updateAlarmPicture()) {
    setObjectName(QStringLiteral("staleDatabaseDialog"));
    setWindowTitle(tr("Update alarm"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(nomix::classicUiFont());
    setTextColour(this, kMaroon);
    setFixedSize(kClientWidth, kClientHeight);
    buildTexts();
    buildControls();
}

void StaleDatabaseDialog::buildTexts() {
    m_pictureLabel = new QLabel(this);
    m_pictureLabel->setObjectName(QStringLiteral("pictureLabel"));
    m_pictureLabel->setAlignment(Qt::AlignCenter);
    m_pictureLabel->setPixmap(QPixmap::fromImage(m_picture));
    m_pictureLabel->setGeometry(16, 16, m_picture.width(), m_picture.height());

    auto* ageLabel = new QLabel(tr("Your database of virus names is getting old. A new, "
                                   "up-to-date database can be found and downloaded "
                                   "on the web site of its publisher:"),
                                this);
    ageLabel->setObjectName(QStringLiteral("ageLabel"));
    ageLabel->setWordWrap(true);
    ageLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTextColour(ageLabel, Qt::black);
    ageLabel->setGeometry(60, 16, 345, 45);

    auto* siteLabel = new nomix::EmbossedLabel(kPublisherSite, this);
    siteLabel->setObjectName(QStringLiteral("siteLabel"));
    siteLabel->setFont(addressFont());
    siteLabel->setAlignment(Qt::AlignHCenter);
    setTextColour(siteLabel, kMaroon);
    placeAt(siteLabel, 120, 64, 190, 21);

    auto* linkLabel = new QLabel(
        tr("that is the homepage of the Web site, follow the link about the Project Nomix."), this);
    linkLabel->setObjectName(QStringLiteral("linkLabel"));
    linkLabel->setWordWrap(true);
    linkLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTextColour(linkLabel, Qt::black);
    linkLabel->setGeometry(60, 104, 337, 33);
}

void StaleDatabaseDialog::buildControls() {
    m_disableAlarmCheck = new QCheckBox(tr("&Disable alarm"), this);
    m_disableAlarmCheck->setObjectName(QStringLiteral("disableAlarmCheck"));
    m_disableAlarmCheck->setStatusTip(
        tr("Disable alarm. It can be enabled again in the Preferences page"));
    setTextColour(m_disableAlarmCheck, Qt::black);
    placeAt(m_disableAlarmCheck, 16, 168, 105, 17);

    auto* okButton = new QPushButton(tr("&OK"), this);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setStatusTip(tr("Close the window"));
    okButton->setDefault(true);
    okButton->setGeometry(328, 160, 75, 25);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);

    setTabOrder(m_disableAlarmCheck, okButton);
}

void StaleDatabaseDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    matchPictureToWindow();
}

void StaleDatabaseDialog::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        matchPictureToWindow();
    }
}

// The picture's olive background becomes the colour of the window.
void StaleDatabaseDialog::matchPictureToWindow() {
    nomix::replaceColor(m_picture, nomix::kPictureBackground, palette().color(QPalette::Window));
    m_pictureLabel->setPixmap(QPixmap::fromImage(m_picture));
}

bool StaleDatabaseDialog::runAgeTest(QWidget* mainWindow, bool* alarmDisabled, double databaseDate,
                                     double now) {
    if (alarmDisabled && *alarmDisabled) {
        return false;
    }
    if (!databaseIsOutdated(databaseDate, now)) {
        return false;
    }
    QApplication::beep();
    StaleDatabaseDialog dialog(mainWindow);
    nomix::centerOnMainWindow(&dialog, mainWindow);
    dialog.exec();
    if (alarmDisabled) {
        *alarmDisabled = dialog.m_disableAlarmCheck->isChecked();
    }
    return true;
}
