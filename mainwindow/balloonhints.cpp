// SPDX-License-Identifier: MIT
#include "balloonhints.h"

#include "platform/classicfont.h"

#include "controls/balloontooltips.h"

#include <QHeaderView>

namespace nomix {

void showHintsAsBalloons(QWidget* window, const QHeaderView* header) {
    auto* balloons = new BalloonToolTips(window);
    balloons->setObjectName(QStringLiteral("balloonToolTips"));
    balloons->setBorderColor(Qt::black);
    balloons->setColor(Qt::white);
    balloons->setFont(classicUiFont());
    balloons->setMaxWidth(-3);
    balloons->setBehavior(BalloonBehavior::NoShowMouseDown | BalloonBehavior::UseRegions |
                          BalloonBehavior::HideOnPaint);
    balloons->setPosition(BalloonPosition::AboveRight);
    balloons->setShadowDepth(8);
    balloons->setShadowStyle(BalloonShadowStyle::Shaded);
    balloons->setShape(BalloonShape::RoundRect);
    balloons->setHintStyle(HintStyle::System);
    balloons->setActive(true);
    balloons->setPlainHintRule([header](QWidget* widget, const QPoint&) {
        return widget == header || widget == header->viewport();
    });
}

} // namespace nomix
