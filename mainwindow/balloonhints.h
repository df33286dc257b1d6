// SPDX-License-Identifier: MIT
#pragma once

class QHeaderView;
class QWidget;

namespace nomix {

// Shows every hint of the program as a balloon, except the results grid's
// column titles (`header`), which keep plain tool tips placed over their
// header cell.
void showHintsAsBalloons(QWidget* window, const QHeaderView* header);

} // namespace nomix
