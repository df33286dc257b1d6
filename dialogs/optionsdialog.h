// SPDX-License-Identifier: MIT
#pragma once

#include "core/helptopic.h"

#include "core/settingsstore.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QGroupBox;
class QPushButton;
class ContextHelpMenu;

namespace nomix {

class Settings;

// "Options": edits the program's settings in place. A ticked or cleared box
// changes its option at once, so the windows show the change while the
// dialog is still open; Cancel and Esc put back the options as they were
// when the dialog was shown. The boxes also follow changes made elsewhere
// (the settings file, the search speed track bar). Created once at start-up
// and hidden between showings.
class OptionsDialog : public QDialog {
    Q_OBJECT

  public:
    OptionsDialog(Settings* settings, QWidget* parent = nullptr);

  signals:
    // The dialog closed after the user confirmed "Cl&ear string history".
    void historyEraseConfirmed();

  protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

  private:
    QCheckBox* addOptionBox(const OptionEntry& entry);
    QPushButton* addButton(const char* name, const QString& caption, const QString& hint,
                           nomix::HelpTopic helpTopic);
    QGroupBox* group(OptionGroup which) const { return m_groups[static_cast<size_t>(which)]; }
    void buildGroups();
    void alignRightColumns();
    QWidget* buildPage();
    void buildButtons(QWidget* page);

    void confirmHistoryErase();
    void showHelp();

    Settings* m_settings;
    ContextHelpMenu* m_helpMenu;
    // By OptionGroup, as are the boxes Tab goes to in each (the first).
    QGroupBox* m_groups[3] = {};
    QCheckBox* m_firstBoxes[3] = {};
    QPushButton* m_okButton = nullptr;
    std::optional<StoredSettings> m_optionsWhenShown;
    bool m_historyEraseRequested = false;
};

} // namespace nomix
