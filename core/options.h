// SPDX-License-Identifier: MIT
#pragma once

#include "helptopic.h"

#include <array>
#include <cstddef>

// Marks the captions and hints for the translators' tools, which read the
// source as text; the core has no Qt, so here it leaves the text as it is,
// and the dialog translates it where it shows it.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(scope, x) x // spelt as Qt does, so both may meet
#endif

namespace nomix {

// The options of the "Options" dialog, in the order in which the settings
// file stores them; kOptions below has one row for each, in the same order.
enum class Option {
    ShowNumericResultOnly,
    ShowBitmaps,
    UpdateItemCounter,
    CompleteStringMatch,
    ShowAllProducts,
    SearchInBackground,
    UpdateAlarmDisabled,
    SoundsDisabled,
    LoadLastSelection,
    SaveSelectedOnly,
    MinimizeToTray,
};

// The frames of the dialog an option's box stands in.
enum class OptionGroup { Display, Environment, Search };

// Everything the program knows of one option. Each part has one user: the
// settings store (valueName), the holder of the options (byDefault), the
// dialog (the rest). The texts are the user's; the box's name is what tests
// and help find it by.
struct OptionEntry {
    Option option;
    const char* valueName; // in the Options key of the settings file
    bool byDefault;        // before the settings file is read
    const char* boxName;
    const char* caption; // '&' before the mnemonic
    const char* hint;    // shown in the status line
    HelpTopic helpTopic;
    OptionGroup group;
    int row;
    int column;
};

inline constexpr OptionEntry kOptions[] = {
    {Option::ShowNumericResultOnly, "ShowNumericOnly", false, "showNumericResultOnlyBox",
     QT_TRANSLATE_NOOP("nomix::OptionsDialog", "Show &numeric result only"),
     QT_TRANSLATE_NOOP("nomix::OptionsDialog",
                       "After a search, display only the number of items found"),
     HelpTopic::ShowNumericResultOnly, OptionGroup::Display, 0, 0},
    {Option::ShowBitmaps, "ShowBitmaps", true, "showBitmapsBox",
     QT_TRANSLATE_NOOP("nomix::OptionsDialog", "Show &bitmaps"),
     QT_TRANSLATE_NOOP("nomix::OptionsDialog", "Show or hide the bitmaps in the grid of results"),
     HelpTopic::ShowBitmaps, OptionGroup::Display, 1, 0},
    {Option::UpdateItemCounter, "UpdateItemCounter", false, "updateItemCounterBox",
     QT_TRANSLATE_NOOP("nomix::OptionsDialog", "&Update items counter"),
     QT_TRANSLATE_NOOP("nomix::OptionsDialog", "Update the items counter during the search"),
     HelpTopic::UpdateItemsCounter, OptionGroup::Display, 2, 0},
    {Option::CompleteStringMatch, "StringMatch", false, "completeStringMatchBox",
     QT_TRANSLATE_NOOP("nomix::OptionsDialog", "&Complete string match"),
     QT_TRANSLATE_NOOP("nomix::OptionsDialog", "Perform a search using a complete string match"),
     HelpTopic::CompleteStringMatch, OptionGroup::Search, 0, 0},
    {Option::ShowAllProducts, "ShowOtherProducts", true, "showAllProductsBox",
     QT_TRANSLATE_NOOP("nomix::OptionsDialog", "Show &all products"),
     QT_TRANSLATE_NOOP("nomix::OptionsDialog", "Show unselected products also"),
     HelpTopic::ShowAllProducts, OptionGroup::Display, 1, 1},
    {Option::SearchInBackground, "SearchInBackground", true, "searchInBackgroundBox",
     QT_TRANSLATE_NOOP("nomix::OptionsDialog", "Search in bac&kground"),
     QT_TRANSLATE_NOOP("nomix::OptionsDialog", "Allow to stop the search"),
     HelpTopic::SearchInBackground, OptionGroup::Display, 0, 1},
    {Option::UpdateAlarmDisabled, "AlarmDisabled", false, "disableUpdateAlarmBox",
     QT_TRANSLATE_NOOP("nomix::OptionsDialog", "&Disable update alarm"),
     QT_TRANSLATE_NOOP("nomix::OptionsDialog",
                       "Disable the alarm about the update of the database"),
     HelpTopic::DisableUpdateAlarm, OptionGroup::Environment, 0, 0},
    {Option::SoundsDisabled, "SoundsDisabled", false, "disableSoundsBox",
     QT_TRANSLATE_NOOP("nomix::OptionsDialog", "D&isable sounds"),
     QT_TRANSLATE_NOOP("nomix::OptionsDialog", "Disable sounds effects"), HelpTopic::DisableSounds,
     OptionGroup::Environment, 1, 0},
    {Option::LoadLastSelection, "LoadSelProducts", false, "loadLastSelectionBox",
     QT_TRANSLATE_NOOP("nomix::OptionsDialog", "&Load last selection"),
     QT_TRANSLATE_NOOP("nomix::OptionsDialog",
                       "At program startup, display only the items selected on the last session"),
     HelpTopic::LoadLastSelection, OptionGroup::Environment, 2, 0},
    {Option::SaveSelectedOnly, "SaveSelectedOnly", false, "saveSelectedOnlyBox",
     QT_TRANSLATE_NOOP("nomix::OptionsDialog", "Sa&ve selected items only"),
     QT_TRANSLATE_NOOP("nomix::OptionsDialog",
                       "Save only the search results obtained about the selected products"),
     HelpTopic::SaveSelectedItemsOnly, OptionGroup::Environment, 0, 1},
    {Option::MinimizeToTray, "MinimizeInTaskbar", false, "minimizeToTrayBox",
     QT_TRANSLATE_NOOP("nomix::OptionsDialog", "&Minimize in tray area"),
     QT_TRANSLATE_NOOP("nomix::OptionsDialog", "Put the program  in the tray area when minimized"),
     HelpTopic::MinimizeInTrayArea, OptionGroup::Environment, 1, 1},
};

inline constexpr size_t kOptionCount = std::size(kOptions);

constexpr size_t optionIndex(Option option) {
    return static_cast<size_t>(option);
}

constexpr const OptionEntry& optionEntry(Option option) {
    return kOptions[optionIndex(option)];
}

// A row found by its option must be that option's row.
consteval bool optionsInEnumOrder() {
    for (size_t i = 0; i < kOptionCount; ++i) {
        if (optionIndex(kOptions[i].option) != i) {
            return false;
        }
    }
    return true;
}
static_assert(optionsInEnumOrder(), "kOptions must list the options in the order of Option");

// Every option at its default, indexed by optionIndex().
using OptionValues = std::array<bool, kOptionCount>;

constexpr OptionValues defaultOptionValues() {
    OptionValues values{};
    for (size_t i = 0; i < kOptionCount; ++i) {
        values[i] = kOptions[i].byDefault;
    }
    return values;
}

} // namespace nomix
