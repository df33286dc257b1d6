// SPDX-License-Identifier: MIT
#include "ledcounter.h"

namespace nomix {

LedCounter::LedCounter(QWidget* parent) : LedDisplay(parent) {}

} // namespace nomix
