// SPDX-License-Identifier: MIT
#include "settingsfile.h"

#include "platform/registryfile.h"

#include <filesystem>
#include <stdexcept>

namespace nomix {

StoredSettings unattendedSettings(const std::string& dataFolder) {
    StoredSettings settings;
    settings.dataPath = dataFolder;
    settings.dataName = "NOMIX.DAT";
    settings.configName = "NOMIX.CFG";
    settings.option(Option::UpdateAlarmDisabled) = true;
    settings.option(Option::SoundsDisabled) = true;
    return settings;
}

void writeSettingsFile(const std::string& filePath, const StoredSettings& settings) {
    // A save keeps what it does not own; a fresh file must not.
    std::error_code ignored;
    std::filesystem::remove(filePath, ignored);
    std::string message;
    try {
        RegistryFile registry(filePath);
        message = saveSettings(registry, settings, true);
    } catch (const std::exception& error) {
        message = error.what();
    }
    if (!message.empty()) {
        throw std::runtime_error("cannot write the settings file " + filePath + ": " + message);
    }
}

} // namespace nomix
