#pragma once

#include "controls/tledgadget.h"

namespace nomix {

// The LED display as windows use it: TLEDGadget with its caption and grid
// size made public. Costs nothing beyond TLEDGadget.
class TLEDLabel : public TLEDGadget {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ text WRITE setText)
    Q_PROPERTY(int Columns READ columns WRITE setColumns)
    Q_PROPERTY(int Rows READ rows WRITE setRows)

  public:
    explicit TLEDLabel(QWidget* parent = nullptr);

    using TLEDGadget::columns;
    using TLEDGadget::rows;
    using TLEDGadget::setColumns;
    using TLEDGadget::setRows;
    using TLEDGadget::setText;
    using TLEDGadget::text;
};

} // namespace nomix
