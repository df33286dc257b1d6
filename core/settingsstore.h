// SPDX-License-Identifier: MIT
#pragma once

#include "options.h"
#include "registry.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace nomix {

inline constexpr const char* kOptionsKey = "Software\\Talvora\\Nomix\\1.1\\Options";
inline constexpr const char* kSearchKey = "Software\\Talvora\\Nomix\\1.1\\Search";

// A stored history longer than this is read only this far: a damaged Count
// must not make the start-up append entries until memory runs out.
inline constexpr size_t kMaxLoadedHistory = 1000;

// What the settings store reads and writes, as plain values: the window
// copies its holders (edit boxes, check boxes, flags, the search box's list)
// in before a load or save and back out after a load. Each member starts in
// the state its holder has before the settings are read, except the three
// file locations, which the window fills with its own defaults. Costs
// nothing beyond its strings.
struct StoredSettings {
    std::string dataPath;   // DataPath: the common directory
    std::string dataName;   // DataName: the name database's file name
    std::string configName; // ConfigName: the product table's file name

    OptionValues options = defaultOptionValues();

    bool listDetails = false;
    uint32_t productMask = 0xFFFFFFFFu; // LastSelection: products 1 to 32
    std::string lastSelectionEx;        // '1' or '0' per product from the 33rd on

    std::vector<std::string> history; // oldest first, as the search box lists it

    // Kept by the results grid and the Preferences page; an older settings
    // file lacks them, so they are read where they are and keep their state
    // where not.
    bool showFamilyColumn = true; // ShowFamily
    std::string rulesFolder;      // RulesPath: empty for the bundled rules
    // ServerURL: the team database's server, empty for the files. Saved
    // without its password.
    std::string serverUrl;

    bool& option(Option which) { return options[optionIndex(which)]; }
    bool option(Option which) const { return options[optionIndex(which)]; }

    bool operator==(const StoredSettings&) const = default;
};

// Reads the Options and Search keys into `settings`, value by value, and
// stops at the first value that cannot be read: what was read before it
// stays, everything after it keeps its state; "ShowFamily", "RulesPath" and
// "ServerURL" are read even then, each on its own. Returns the message the user must see
// (empty when there is none). A key that did not exist before this start
// (the first run) is skipped silently, leaving its holders as they were.
std::string loadSettings(Registry& registry, StoredSettings& settings);

// Writes everything back, but only in a run in which a database was loaded,
// both keys as one change where the registry allows. Returns the message
// the user must see when a key cannot be opened; a value that cannot be
// written throws RegistryError, ending the save there.
std::string saveSettings(Registry& registry, const StoredSettings& settings, bool databaseLoaded);

} // namespace nomix
