// SPDX-License-Identifier: MIT
#pragma once

#include "registryerror.h"

#include <cstdint>
#include <string>

namespace nomix {

inline constexpr const char* kRootKeyMessage = "Could not open the root key HKEY_CURRENT_USER";

// The few registry calls the settings store makes, so the store stays plain
// core code and tests can hand it any registry. One key is open at a time;
// value names are those of the current key. Reads and writes of a value that
// cannot be served throw RegistryError with the registry's own wording.
// Costs one virtual call per value, a few dozen per run.
class Registry {
  public:
    enum class KeyOpening {
        Failed,   // the key can neither be opened nor created
        Existing, // the key was there before it was opened
        Created,  // the key did not exist and was created by this call
    };

    // What a key that cannot be opened stops.
    enum class Purpose {
        Load, // reading the settings
        Save, // writing them back
    };

    virtual ~Registry() = default;

    // Opens `path` (relative to HKEY_CURRENT_USER), creating it when missing.
    virtual KeyOpening openKey(const std::string& path) = 0;

    // An absent value, or one of size 0, reads as the empty text. Other
    // types than a string or an expandable string are an error.
    virtual std::string readString(const std::string& name) = 0;
    // An absent value, or one longer than 4 bytes, fails to get data; any
    // other type than a double word is an error.
    virtual int32_t readInteger(const std::string& name) = 0;
    bool readBool(const std::string& name) { return readInteger(name) != 0; }

    virtual void writeString(const std::string& name, const std::string& value) = 0;
    virtual void writeInteger(const std::string& name, int32_t value) = 0;
    void writeBool(const std::string& name, bool value) { writeInteger(name, value ? 1 : 0); }

    // Ends the work on the current key; a store that keeps its data
    // elsewhere may commit the key's writes here and throw when it cannot.
    virtual void closeKey() = 0;

    // The message the user sees after openKey failed while doing `purpose`.
    // A registry that refuses access has nothing to add to the root key.
    virtual std::string openFailureMessage(Purpose /*purpose*/) const { return kRootKeyMessage; }

    // Between these two, a store that commits key by key may hold the
    // writes of every closed key back and commit them all at the end, so a
    // save cut short leaves all keys old or all new. endWrites may throw as
    // closeKey does.
    virtual void beginWrites() {}
    virtual void endWrites() {}
};

} // namespace nomix
