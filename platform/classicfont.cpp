// SPDX-License-Identifier: MIT
#include "classicfont.h"

namespace nomix {

QFont classicUiFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(13);
    return font;
}

} // namespace nomix
