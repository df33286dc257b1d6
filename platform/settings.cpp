// SPDX-License-Identifier: MIT
#include "settings.h"

namespace nomix {

Settings::Settings(QObject* parent) : QObject(parent) {}

void Settings::change(bool StoredSettings::*option, bool on, void (Settings::*changed)(bool)) {
    if (m_values.*option == on) {
        return;
    }
    m_values.*option = on;
    emit(this->*changed)(on);
}

void Settings::setShowNumericResultOnly(bool on) {
    change(&StoredSettings::showNumericOnly, on, &Settings::showNumericResultOnlyChanged);
}

void Settings::setShowBitmaps(bool on) {
    change(&StoredSettings::showBitmaps, on, &Settings::showBitmapsChanged);
}

void Settings::setUpdateItemCounter(bool on) {
    change(&StoredSettings::updateItemCounter, on, &Settings::updateItemCounterChanged);
}

void Settings::setSearchInBackground(bool on) {
    change(&StoredSettings::searchInBackground, on, &Settings::searchInBackgroundChanged);
}

void Settings::setShowAllProducts(bool on) {
    change(&StoredSettings::showOtherProducts, on, &Settings::showAllProductsChanged);
}

void Settings::setUpdateAlarmDisabled(bool on) {
    change(&StoredSettings::alarmDisabled, on, &Settings::updateAlarmDisabledChanged);
}

void Settings::setSoundsDisabled(bool on) {
    change(&StoredSettings::soundsDisabled, on, &Settings::soundsDisabledChanged);
}

void Settings::setLoadLastSelection(bool on) {
    change(&StoredSettings::loadSelProducts, on, &Settings::loadLastSelectionChanged);
}

void Settings::setSaveSelectedOnly(bool on) {
    change(&StoredSettings::saveSelectedOnly, on, &Settings::saveSelectedOnlyChanged);
}

void Settings::setMinimizeToTray(bool on) {
    change(&StoredSettings::minimizeInTaskbar, on, &Settings::minimizeToTrayChanged);
}

void Settings::setCompleteStringMatch(bool on) {
    change(&StoredSettings::stringMatch, on, &Settings::completeStringMatchChanged);
}

void Settings::copyTo(StoredSettings& stored) const {
    stored.showNumericOnly = m_values.showNumericOnly;
    stored.showBitmaps = m_values.showBitmaps;
    stored.updateItemCounter = m_values.updateItemCounter;
    stored.searchInBackground = m_values.searchInBackground;
    stored.showOtherProducts = m_values.showOtherProducts;
    stored.alarmDisabled = m_values.alarmDisabled;
    stored.soundsDisabled = m_values.soundsDisabled;
    stored.loadSelProducts = m_values.loadSelProducts;
    stored.saveSelectedOnly = m_values.saveSelectedOnly;
    stored.minimizeInTaskbar = m_values.minimizeInTaskbar;
    stored.stringMatch = m_values.stringMatch;
}

void Settings::restore(const StoredSettings& stored) {
    setShowNumericResultOnly(stored.showNumericOnly);
    setShowBitmaps(stored.showBitmaps);
    setUpdateItemCounter(stored.updateItemCounter);
    setSearchInBackground(stored.searchInBackground);
    setShowAllProducts(stored.showOtherProducts);
    setUpdateAlarmDisabled(stored.alarmDisabled);
    setSoundsDisabled(stored.soundsDisabled);
    setLoadLastSelection(stored.loadSelProducts);
    setSaveSelectedOnly(stored.saveSelectedOnly);
    setMinimizeToTray(stored.minimizeInTaskbar);
    setCompleteStringMatch(stored.stringMatch);
}

} // namespace nomix
