// SPDX-License-Identifier: MIT
#pragma once

#include "controls/leddisplay.h"

namespace nomix {

// The LED display as windows use it: LedDisplay with its caption and grid
// size made public. Costs nothing beyond LedDisplay.
class LedCounter : public LedDisplay {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)
    Q_PROPERTY(int columns READ columns WRITE setColumns)
    Q_PROPERTY(int rows READ rows WRITE setRows)

  public:
    explicit LedCounter(QWidget* parent = nullptr);

    using LedDisplay::columns;
    using LedDisplay::rows;
    using LedDisplay::setColumns;
    using LedDisplay::setRows;
    using LedDisplay::setText;
    using LedDisplay::text;
};

} // namespace nomix
