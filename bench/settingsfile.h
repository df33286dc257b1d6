// SPDX-License-Identifier: MIT
#pragma once

#include "core/settingsstore.h"

#include <string>

namespace nomix {

// Settings under which the desktop program starts on the database
// (NOMIX.DAT, NOMIX.CFG) in `dataFolder` and runs without a user: the
// update alarm and the sounds are off, everything else is at its default.
StoredSettings unattendedSettings(const std::string& dataFolder);

// Replaces the settings file at `filePath` with one holding `settings`, as
// the program saves them. Throws std::runtime_error when it cannot.
void writeSettingsFile(const std::string& filePath, const StoredSettings& settings);

} // namespace nomix
