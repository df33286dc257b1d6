#include "staledatabasedialog.h"

#include "controls/embossedlabel.h"
#include "dialogpictures.h"
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

QFont DialogFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(13);
    return font;
}

QFont AddressFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(18);
    return font;
}

void SetTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    widget->setPalette(palette);
}

// Places `widget` at the designed spot with at least the designed size, and
// more where the font needs it.
void PlaceAt(QWidget* widget, int left, int top, int width, int height) {
    const QSize hint = widget->sizeHint();
    widget->setGeometry(left, top, qMax(width, hint.width()), qMax(height, hint.height()));
}

} // namespace

bool DatabaseIsOutdated(double databaseDate, double now) {
    const double today = std::floor(now);
    return today - databaseDate > kAlarmAgeDays;
}

StaleDatabaseDialog::StaleDatabaseDialog(QWidget* parent) : QDialog(parent), picture_(nomix::UpdateAlarmPicture()) {
    setObjectName(QStringLiteral("AlarmForm"));
    setWindowTitle(QStringLiteral("Update alarm"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(DialogFont());
    SetTextColour(this, kMaroon);
    setFixedSize(kClientWidth, kClientHeight);
    buildTexts();
    buildControls();
}

void StaleDatabaseDialog::buildTexts() {
    Image = new QLabel(this);
    Image->setObjectName(QStringLiteral("Image"));
    Image->setAlignment(Qt::AlignCenter);
    Image->setPixmap(QPixmap::fromImage(picture_));
    Image->setGeometry(16, 16, picture_.width(), picture_.height());

    Label1 = new QLabel(QStringLiteral("Your database of virus names is getting old. A new, "
                                       "up-to-date database can be found and downloaded on the "
                                       "web site of its publisher:"),
                        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SetTextColour(Label1, Qt::black);
    Label1->setGeometry(60, 16, 345, 45);

    rhLabel3D1 = new nomix::EmbossedLabel(kPublisherSite, this);
    rhLabel3D1->setObjectName(QStringLiteral("rhLabel3D1"));
    rhLabel3D1->setFont(AddressFont());
    rhLabel3D1->setAlignment(Qt::AlignHCenter);
    SetTextColour(rhLabel3D1, kMaroon);
    PlaceAt(rhLabel3D1, 120, 64, 190, 21);

    Label2 = new QLabel(
        QStringLiteral(
            "that is the homepage of the Web site, follow the link about the Project Nomix."),
        this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setWordWrap(true);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SetTextColour(Label2, Qt::black);
    Label2->setGeometry(60, 104, 337, 33);
}

void StaleDatabaseDialog::buildControls() {
    CheckAlarm = new QCheckBox(QStringLiteral("&Disable alarm"), this);
    CheckAlarm->setObjectName(QStringLiteral("CheckAlarm"));
    CheckAlarm->setStatusTip(
        QStringLiteral("Disable alarm. It can be enabled again in the Preferences page"));
    SetTextColour(CheckAlarm, Qt::black);
    PlaceAt(CheckAlarm, 16, 168, 105, 17);

    Button1 = new QPushButton(QStringLiteral("&OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setStatusTip(QStringLiteral("Close the window"));
    Button1->setDefault(true);
    Button1->setGeometry(328, 160, 75, 25);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);

    setTabOrder(CheckAlarm, Button1);
}

void StaleDatabaseDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

void StaleDatabaseDialog::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        FormActivate();
    }
}

void StaleDatabaseDialog::FormActivate() {
    nomix::ReplaceColor(picture_, nomix::kPictureBackground, palette().color(QPalette::Window));
    Image->setPixmap(QPixmap::fromImage(picture_));
}

bool StaleDatabaseDialog::RunAgeTest(QWidget* mainWindow, QCheckBox* optionAlarm, double databaseDate,
                            double now) {
    if (optionAlarm && optionAlarm->isChecked()) {
        return false;
    }
    if (!DatabaseIsOutdated(databaseDate, now)) {
        return false;
    }
    QApplication::beep();
    StaleDatabaseDialog form(mainWindow);
    nomix::centerOnMainWindow(&form, mainWindow);
    form.exec();
    if (optionAlarm) {
        optionAlarm->setChecked(form.CheckAlarm->isChecked());
    }
    return true;
}
