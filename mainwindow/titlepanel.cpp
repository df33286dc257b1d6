// SPDX-License-Identifier: MIT
#include "titlepanel.h"

#include "widgethelp.h"

#include "controls/embossedlabel.h"

namespace nomix {

namespace {
const QColor kPanelColour(0xFE, 0xFB, 0xE7);
} // namespace

TitlePanel::TitlePanel(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("titlePanel"));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kPanelColour);
    setPalette(pal);
    auto* title = new EmbossedLabel(tr("Nomix95 1.1 for Windows"), this);
    title->setObjectName(QStringLiteral("titleLabel"));
    title->setAlignment(Qt::AlignCenter);
    title->setStyle3D(Style3D::Shadowed);
    title->setShadowOffset(3);
    QFont titleFont(QStringLiteral("Matura MT Script Capitals"));
    titleFont.setPixelSize(30);
    titleFont.setBold(true);
    titleFont.setItalic(true);
    title->setFont(titleFont);
    setHint(title, tr("The great Nomix95! What else?"));
    setHelpTopic(title, HelpTopic::TitleBanner);
    connect(title, &EmbossedLabel::clicked, this, &TitlePanel::titleClicked);
    m_title = title;
}

void TitlePanel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    m_title->setGeometry(2, 2, width() - 4, height() - 4);
}

} // namespace nomix
