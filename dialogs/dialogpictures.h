// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>

namespace nomix {

// The small pictures of the dialogs, drawn in code so that the program needs
// no picture files and they stay sharp at any device pixel ratio.

// 16 x 16 status images of the product list: a blue tick for a selected
// product, a red prohibition sign for an unselected one.
QPixmap selectedProductImage();
QPixmap notSelectedProductImage();

// The olive that marks the background of the update alarm's picture, to be
// replaced by the colour of the window that shows it.
inline const QColor kPictureBackground{128, 128, 0};

// 32 x 32, in the colours of a 16-colour bitmap and without smoothing, so the
// background is exactly kPictureBackground and nothing else is: a white
// speech balloon holding a blue letter i.
QImage updateAlarmPicture();

// Every pixel of `from` becomes `to`; running it again changes nothing more.
void replaceColor(QImage& image, const QColor& from, const QColor& to);

} // namespace nomix
