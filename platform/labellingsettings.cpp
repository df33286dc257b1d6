// SPDX-License-Identifier: MIT
#include "labellingsettings.h"

#include "core/settingsstore.h"

namespace nomix {

namespace {
constexpr const char* kShowFamily = "ShowFamily";
constexpr const char* kRulesPath = "RulesPath";
} // namespace

LabellingSettings loadLabellingSettings(Registry& registry) {
    LabellingSettings settings;
    if (registry.openKey(kOptionsKey) != Registry::KeyOpening::Existing) {
        return settings;
    }
    try {
        settings.showFamilyColumn = registry.readBool(kShowFamily);
    } catch (const RegistryError&) {
        // Not written yet: the default stands.
    }
    try {
        settings.rulesFolder = registry.readString(kRulesPath);
    } catch (const RegistryError&) {
        // As above.
    }
    registry.closeKey();
    return settings;
}

void saveLabellingSettings(Registry& registry, const LabellingSettings& settings) {
    if (registry.openKey(kOptionsKey) == Registry::KeyOpening::Failed) {
        return;
    }
    try {
        registry.writeBool(kShowFamily, settings.showFamilyColumn);
        registry.writeString(kRulesPath, settings.rulesFolder);
    } catch (...) {
        registry.closeKey();
        throw;
    }
    registry.closeKey();
}

} // namespace nomix
