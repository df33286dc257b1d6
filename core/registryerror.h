#pragma once

#include "inouterror.h"

#include <string>

namespace nomix {

// A registry value that cannot be read or written as asked. The settings
// store tells these apart from every other failure: on loading it shows them
// and stops, on saving it lets them reach the user's error report. Header
// only, so the settings file reader needs nothing else from the core; costs
// no more than its message.
class ERegistryError : public ENomixError {
  public:
    using ENomixError::ENomixError;

    static ERegistryError InvalidDataType(const std::string& name) {
        return ERegistryError("Invalid data type for '" + name + "'");
    }
    static ERegistryError GetDataFailed(const std::string& name) {
        return ERegistryError("Failed to get data for '" + name + "'");
    }
    static ERegistryError SetDataFailed(const std::string& name) {
        return ERegistryError("Failed to set data for '" + name + "'");
    }
};

} // namespace nomix
