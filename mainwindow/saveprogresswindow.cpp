#include "saveprogresswindow.h"

#include "controls/embossedlabel.h"
#include "platform/staynormalfilter.h"

#include <QCloseEvent>
#include <QFrame>
#include <QProgressBar>
#include <QVBoxLayout>

namespace nomix {

namespace {
constexpr int kClientWidth = 288;
constexpr int kClientHeight = 87;
constexpr int kShadowOffset = 2;
} // namespace

SaveProgressWindow::SaveProgressWindow(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("SaveProgressWindow"));
    setWindowTitle(QStringLiteral("Save report"));
    StayNormalFilter::install(this);

    SavePanel = new QFrame(this);
    SavePanel->setObjectName(QStringLiteral("SavePanel"));
    SavePanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    SavePanel->setLineWidth(2);

    SaveLabel = new EmbossedLabel(QStringLiteral("Saving report file in progress..."), SavePanel);
    SaveLabel->setObjectName(QStringLiteral("SaveLabel"));
    SaveLabel->setStyle3D(Style3D::Shadowed);
    SaveLabel->setShadowOffset(kShadowOffset);
    SaveLabel->setTransparent(true);
    SaveLabel->setAlignment(Qt::AlignHCenter);

    SaveProgressBar = new QProgressBar(SavePanel);
    SaveProgressBar->setObjectName(QStringLiteral("SaveProgressBar"));
    SaveProgressBar->setRange(0, 100);
    SaveProgressBar->setValue(0);
    SaveProgressBar->setTextVisible(false);

    auto* panelLayout = new QVBoxLayout(SavePanel);
    panelLayout->setContentsMargins(10, 10, 10, 10);
    panelLayout->addWidget(SaveLabel);
    panelLayout->addWidget(SaveProgressBar);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(SavePanel);
    // The designed size, unless the desktop's font needs more room.
    setFixedSize(QSize(kClientWidth, kClientHeight).expandedTo(sizeHint()));
}

void SaveProgressWindow::setProgress(int percent) {
    SaveProgressBar->setValue(percent);
}

void SaveProgressWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
}

} // namespace nomix
