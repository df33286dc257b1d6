// SPDX-License-Identifier: MIT
#pragma once

#include "helptopic.h"

#include <array>
#include <cstddef>

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
     "Show &numeric result only", "After a search, display only the number of items found",
     HelpTopic::ShowNumericResultOnly, OptionGroup::Display, 0, 0},
    {Option::ShowBitmaps, "ShowBitmaps", true, "showBitmapsBox", "Show &bitmaps",
     "Show or hide the bitmaps in the grid of results", HelpTopic::ShowBitmaps,
     OptionGroup::Display, 1, 0},
    {Option::UpdateItemCounter, "UpdateItemCounter", false, "updateItemCounterBox",
     "&Update items counter", "Update the items counter during the search",
     HelpTopic::UpdateItemsCounter, OptionGroup::Display, 2, 0},
    {Option::CompleteStringMatch, "StringMatch", false, "completeStringMatchBox",
     "&Complete string match", "Perform a search using a complete string match",
     HelpTopic::CompleteStringMatch, OptionGroup::Search, 0, 0},
    {Option::ShowAllProducts, "ShowOtherProducts", true, "showAllProductsBox", "Show &all products",
     "Show unselected products also", HelpTopic::ShowAllProducts, OptionGroup::Display, 1, 1},
    {Option::SearchInBackground, "SearchInBackground", true, "searchInBackgroundBox",
     "Search in bac&kground", "Allow to stop the search", HelpTopic::SearchInBackground,
     OptionGroup::Display, 0, 1},
    {Option::UpdateAlarmDisabled, "AlarmDisabled", false, "disableUpdateAlarmBox",
     "&Disable update alarm", "Disable the alarm about the update of the database",
     HelpTopic::DisableUpdateAlarm, OptionGroup::Environment, 0, 0},
    {Option::SoundsDisabled, "SoundsDisabled", false, "disableSoundsBox", "D&isable sounds",
     "Disable sounds effects", HelpTopic::DisableSounds, OptionGroup::Environment, 1, 0},
    {Option::LoadLastSelection, "LoadSelProducts", false, "loadLastSelectionBox",
     "&Load last selection",
     "At program startup, display only the items selected on the last session",
     HelpTopic::LoadLastSelection, OptionGroup::Environment, 2, 0},
    {Option::SaveSelectedOnly, "SaveSelectedOnly", false, "saveSelectedOnlyBox",
     "Sa&ve selected items only",
     "Save only the search results obtained about the selected products",
     HelpTopic::SaveSelectedItemsOnly, OptionGroup::Environment, 0, 1},
    {Option::MinimizeToTray, "MinimizeInTaskbar", false, "minimizeToTrayBox",
     "&Minimize in tray area", "Put the program  in the tray area when minimized",
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
