// SPDX-License-Identifier: MIT
#pragma once

#include "core/registry.h"

#include <string>

namespace nomix {

// What the desktop program keeps of the hits' families: whether the grid
// shows its "Family" column and the folder of the user's own labelling rules
// (empty: the bundled ones). Stored beside the options, as "ShowFamily" and
// "RulesPath" of the Options key, so an older settings file reads as the
// defaults and an older program keeps these values untouched.
struct LabellingSettings {
    bool showFamilyColumn = true;
    std::string rulesFolder;

    bool operator==(const LabellingSettings&) const = default;
};

// Reads what is there; a value that is missing or of another type keeps
// its default. A settings file that cannot be read leaves them all.
LabellingSettings loadLabellingSettings(Registry& registry);

// Writes both values; throws RegistryError as the settings store's save does.
void saveLabellingSettings(Registry& registry, const LabellingSettings& settings);

} // namespace nomix
