#include "tledlabel.h"

namespace nomix {

TLEDLabel::TLEDLabel(QWidget* parent) : TLEDGadget(parent) {}

} // namespace nomix
