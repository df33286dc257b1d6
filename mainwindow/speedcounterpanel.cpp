// SPDX-License-Identifier: MIT
#include "speedcounterpanel.h"

#include "pictures.h"
#include "widgethelp.h"

#include "controls/ledcounter.h"
#include "platform/settings.h"

#include <QLabel>
#include <QMouseEvent>
#include <QSlider>

#include <cstdio>

namespace nomix {

namespace {

const QColor kPictureBackground(0xFF, 0xFF, 0xE1);

QString counterText(int count) {
    char text[16];
    std::snprintf(text, sizeof text, "%.5d", qMin(count, SpeedCounterPanel::kLargestShownCount));
    return QString::fromLatin1(text);
}

} // namespace

SpeedCounterPanel::SpeedCounterPanel(Settings* settings, QWidget* parent)
    : QFrame(parent), m_settings(settings) {
    setObjectName(QStringLiteral("speedCounterPanel"));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    buildSpeedPanel();
    buildCounter();
    buildPicture();
}

void SpeedCounterPanel::buildSpeedPanel() {
    auto* inner = new QFrame(this);
    inner->setObjectName(QStringLiteral("speedPanel"));
    inner->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    inner->setGeometry(6, 6, 96, 176);
    setHelpTopic(inner, HelpTopic::SpeedPanel);

    auto* speedLabel = new QLabel(tr("Search speed"), inner);
    speedLabel->setObjectName(QStringLiteral("speedLabel"));
    speedLabel->setGeometry(4, 4, 90, 18);
    QFont small = speedLabel->font();
    small.setPixelSize(11);
    speedLabel->setFont(small);
    m_trackBar = new QSlider(Qt::Vertical, inner);
    m_trackBar->setObjectName(QStringLiteral("speedTrackBar"));
    m_trackBar->setRange(0, 2);
    m_trackBar->setPageStep(1);
    m_trackBar->setSingleStep(1);
    m_trackBar->setInvertedAppearance(true); // position 0 ("Min") at the top
    m_trackBar->setInvertedControls(true);
    m_trackBar->setTickPosition(QSlider::TicksBothSides);
    m_trackBar->setTickInterval(1);
    m_trackBar->setGeometry(8, 28, 30, 140);
    setHint(m_trackBar, tr("Set search speed"));
    setHelpTopic(m_trackBar, HelpTopic::SearchSpeed);
    connect(m_trackBar, &QSlider::valueChanged, this, [this] {
        if (!m_trackBarMoving) {
            applyTrackBarPosition();
        }
    });
    const QStringList speeds{tr("Min"), tr("Med."), tr("Max")};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(speeds[i], inner);
        label->setObjectName(QStringLiteral("speedLabel%1").arg(i));
        label->setGeometry(44, 30 + i * 60, 44, 18);
    }
}

void SpeedCounterPanel::buildCounter() {
    auto* itemsLabel = new QLabel(tr("Items found"), this);
    itemsLabel->setObjectName(QStringLiteral("itemsLabel"));
    itemsLabel->setGeometry(106, 8, 94, 18);
    m_counter = new LedCounter(this);
    m_counter->setObjectName(QStringLiteral("itemsCounter"));
    m_counter->setColumns(5);
    m_counter->setText(counterText(0));
    // The counter sizes itself from its columns and segment size; it is
    // centred in the space beside the track bar.
    m_counter->move(104 + (96 - m_counter->width()) / 2, 30);
    setHint(m_counter, tr("Display items found after a search"));
    setHelpTopic(m_counter, HelpTopic::ItemsFound);
}

void SpeedCounterPanel::buildPicture() {
    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("pictureFrame"));
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    frame->setAutoFillBackground(true);
    QPalette pal = frame->palette();
    pal.setColor(QPalette::Window, kPictureBackground);
    frame->setPalette(pal);
    frame->setGeometry(112, 84, 80, 80);
    m_picture = new QLabel(frame);
    m_picture->setObjectName(QStringLiteral("aboutPicture"));
    m_picture->setGeometry(8, 8, 64, 64);
    m_picture->setCursor(Qt::PointingHandCursor);
    m_picture->installEventFilter(this);
    setHelpTopic(m_picture, HelpTopic::SpeedPanel);
    QImage document = Pictures::findDocument();
    replaceImageColor(document, kPictureBackground, Pictures::kWhite);
    m_picture->setPixmap(QPixmap::fromImage(document));
}

void SpeedCounterPanel::followSettings() {
    setTrackBarPosition((m_settings->value(Option::UpdateItemCounter) ? 0 : 1) +
                        (m_settings->value(Option::SearchInBackground) ? 0 : 1));
    m_settings->follow(Option::UpdateItemCounter, this, &SpeedCounterPanel::moveTrackBarOneStep);
    m_settings->follow(Option::SearchInBackground, this, &SpeedCounterPanel::moveTrackBarOneStep);
}

void SpeedCounterPanel::applyTrackBarPosition() {
    m_optionsFollowingBar = true;
    const int position = m_trackBar->value();
    m_settings->setValue(Option::SearchInBackground, position <= 1);
    m_settings->setValue(Option::UpdateItemCounter, position == 0);
    m_optionsFollowingBar = false;
}

void SpeedCounterPanel::moveTrackBarOneStep(bool towardsMin) {
    if (!m_optionsFollowingBar) {
        setTrackBarPosition(m_trackBar->value() + (towardsMin ? -1 : 1));
    }
}

void SpeedCounterPanel::setTrackBarPosition(int position) {
    m_trackBarMoving = true;
    m_trackBar->setValue(qBound(0, position, 2));
    m_trackBarMoving = false;
}

void SpeedCounterPanel::showRunningCount(int count) {
    m_counter->setText(counterText(count));
    m_counter->repaint();
}

QString SpeedCounterPanel::showFinalCount(int count) {
    m_counter->setText(counterText(count));
    QString hint = tr("Display items found after a search");
    QString exact;
    if (count > kLargestShownCount) {
        exact = tr("%L1 items found").arg(count);
        hint += QStringLiteral(" (%1)").arg(exact);
    }
    setHint(m_counter, hint);
    return exact;
}

void SpeedCounterPanel::clearCount() {
    m_counter->setText(counterText(0));
    m_counter->repaint();
}

void SpeedCounterPanel::setInputEnabled(bool enabled) {
    m_trackBar->setEnabled(enabled);
    m_picture->setEnabled(enabled);
}

bool SpeedCounterPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_picture && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && m_picture->isEnabled()) {
        emit aboutClicked();
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

} // namespace nomix
