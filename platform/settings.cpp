// SPDX-License-Identifier: MIT
#include "settings.h"

namespace nomix {

Settings::Settings(QObject* parent) : QObject(parent) {}

void Settings::setValue(Option option, bool on) {
    bool& held = m_values[optionIndex(option)];
    if (held == on) {
        return;
    }
    held = on;
    emit changed(option, on);
}

void Settings::copyTo(StoredSettings& stored) const {
    stored.options = m_values;
}

void Settings::restore(const StoredSettings& stored) {
    for (const OptionEntry& entry : kOptions) {
        setValue(entry.option, stored.option(entry.option));
    }
}

} // namespace nomix
