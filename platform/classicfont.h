// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>

namespace nomix {

// The face and size of the classic desktop's dialogs and windows, which the
// program's fixed layouts are measured in: 13 pixels, so the captions keep
// their width whatever the screen's dots per inch.
QFont classicUiFont();

} // namespace nomix
