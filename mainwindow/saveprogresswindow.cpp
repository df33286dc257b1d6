// SPDX-License-Identifier: MIT
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
    setObjectName(QStringLiteral("saveProgressWindow"));
    setWindowTitle(tr("Save report"));
    StayNormalFilter::install(this);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("savePanel"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);

    auto* label = new EmbossedLabel(tr("Saving report file in progress..."), panel);
    label->setObjectName(QStringLiteral("saveLabel"));
    label->setStyle3D(Style3D::Shadowed);
    label->setShadowOffset(kShadowOffset);
    label->setTransparent(true);
    label->setAlignment(Qt::AlignHCenter);

    m_progressBar = new QProgressBar(panel);
    m_progressBar->setObjectName(QStringLiteral("saveProgressBar"));
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_progressBar->setTextVisible(false);

    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(10, 10, 10, 10);
    panelLayout->addWidget(label);
    panelLayout->addWidget(m_progressBar);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(panel);
    // The designed size, unless the desktop's font needs more room.
    setFixedSize(QSize(kClientWidth, kClientHeight).expandedTo(sizeHint()));
}

void SaveProgressWindow::setProgress(int percent) {
    m_progressBar->setValue(percent);
}

void SaveProgressWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
}

} // namespace nomix
