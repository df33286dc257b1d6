// SPDX-License-Identifier: MIT
#pragma once

#include "core/settingsstore.h"

#include <QObject>

namespace nomix {

// The eleven options of the "Options" dialog, held once for the whole
// program. The dialog edits them, the windows read them when they need an
// option and listen to the changes that must show at once. Each option has
// a typed getter, a setter and a changed signal that is sent only when the
// value really changes, synchronously, so a reaction is done before the
// setter returns.
class Settings : public QObject {
    Q_OBJECT

  public:
    explicit Settings(QObject* parent = nullptr);

    bool showNumericResultOnly() const { return m_values.showNumericOnly; }
    bool showBitmaps() const { return m_values.showBitmaps; }
    bool updateItemCounter() const { return m_values.updateItemCounter; }
    bool searchInBackground() const { return m_values.searchInBackground; }
    bool showAllProducts() const { return m_values.showOtherProducts; }
    bool updateAlarmDisabled() const { return m_values.alarmDisabled; }
    bool soundsDisabled() const { return m_values.soundsDisabled; }
    bool loadLastSelection() const { return m_values.loadSelProducts; }
    bool saveSelectedOnly() const { return m_values.saveSelectedOnly; }
    bool minimizeToTray() const { return m_values.minimizeInTaskbar; }
    bool completeStringMatch() const { return m_values.stringMatch; }

    void setShowNumericResultOnly(bool on);
    void setShowBitmaps(bool on);
    void setUpdateItemCounter(bool on);
    void setSearchInBackground(bool on);
    void setShowAllProducts(bool on);
    void setUpdateAlarmDisabled(bool on);
    void setSoundsDisabled(bool on);
    void setLoadLastSelection(bool on);
    void setSaveSelectedOnly(bool on);
    void setMinimizeToTray(bool on);
    void setCompleteStringMatch(bool on);

    // The options as the settings file stores them, and back. Restoring sets
    // them one by one in the dialog's order, each sending its signal if it
    // changes; the other members of `stored` are neither read nor written.
    void copyTo(StoredSettings& stored) const;
    void restore(const StoredSettings& stored);

  signals:
    void showNumericResultOnlyChanged(bool on);
    void showBitmapsChanged(bool on);
    void updateItemCounterChanged(bool on);
    void searchInBackgroundChanged(bool on);
    void showAllProductsChanged(bool on);
    void updateAlarmDisabledChanged(bool on);
    void soundsDisabledChanged(bool on);
    void loadLastSelectionChanged(bool on);
    void saveSelectedOnlyChanged(bool on);
    void minimizeToTrayChanged(bool on);
    void completeStringMatchChanged(bool on);

  private:
    void change(bool StoredSettings::*option, bool on, void (Settings::*changed)(bool));

    StoredSettings m_values;
};

} // namespace nomix
