// SPDX-License-Identifier: MIT
#pragma once

#include "fileerror.h"

#include <string>

namespace nomix {

// A registry value that cannot be read or written as asked. The settings
// store tells these apart from every other failure: on loading it shows them
// and stops, on saving it lets them reach the user's error report. Header
// only, so the settings file reader needs nothing else from the core; costs
// no more than its message.
class RegistryError : public NomixError {
  public:
    using NomixError::NomixError;

    static RegistryError invalidDataType(const std::string& name) {
        return RegistryError("Invalid data type for '" + name + "'");
    }
    static RegistryError getDataFailed(const std::string& name) {
        return RegistryError("Failed to get data for '" + name + "'");
    }
    static RegistryError setDataFailed(const std::string& name) {
        return RegistryError("Failed to set data for '" + name + "'");
    }
};

} // namespace nomix
