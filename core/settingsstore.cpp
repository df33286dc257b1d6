// SPDX-License-Identifier: MIT
#include "settingsstore.h"

#include "serverurl.h"

#include <algorithm>
#include <exception>
#include <utility>

namespace nomix {

namespace {

constexpr const char* kShowFamily = "ShowFamily";
constexpr const char* kRulesPath = "RulesPath";
constexpr const char* kServerUrl = "ServerURL";

// The Linux stand-in for the drive root an empty common directory means.
constexpr const char* kRootFolder = "/";

std::string historyValueName(size_t k) {
    return "string#" + std::to_string(k);
}

// Each value goes straight into its holder, so a failure part-way leaves
// the earlier values read and the later ones untouched.
void readOptionValues(Registry& registry, StoredSettings& settings) {
    settings.dataPath = registry.readString("DataPath");
    if (settings.dataPath.empty()) {
        settings.dataPath = kRootFolder;
    }
    settings.dataName = registry.readString("DataName");
    settings.configName = registry.readString("ConfigName");
    for (const OptionEntry& entry : kOptions) {
        settings.option(entry.option) = registry.readBool(entry.valueName);
    }
    settings.listDetails = registry.readBool("ListDetails");
    settings.productMask = static_cast<uint32_t>(registry.readInteger("LastSelection"));
    settings.lastSelectionEx = registry.readString("LastSelectionEx");
}

// Values a later version added, which an older file lacks: a missing flag
// or a value of another type keeps its holder's state (a missing text reads
// as empty, as everywhere) and does not stop the other.
void readAddedValues(Registry& registry, StoredSettings& settings) {
    try {
        settings.showFamilyColumn = registry.readBool(kShowFamily);
    } catch (const RegistryError&) {
    }
    try {
        settings.rulesFolder = registry.readString(kRulesPath);
    } catch (const RegistryError&) {
    }
    try {
        settings.serverUrl = registry.readString(kServerUrl);
    } catch (const RegistryError&) {
    }
}

void readHistory(Registry& registry, std::vector<std::string>& history) {
    int32_t count = registry.readInteger("Count");
    size_t entries = count > 0 ? std::min(static_cast<size_t>(count), kMaxLoadedHistory) : 0;
    for (size_t k = 1; k <= entries; ++k) {
        history.push_back(registry.readString(historyValueName(k)));
    }
}

void writeOptionValues(Registry& registry, const StoredSettings& settings) {
    registry.writeString("DataPath", settings.dataPath);
    registry.writeString("DataName", settings.dataName);
    registry.writeString("ConfigName", settings.configName);
    for (const OptionEntry& entry : kOptions) {
        registry.writeBool(entry.valueName, settings.option(entry.option));
    }
    registry.writeBool("ListDetails", settings.listDetails);
    registry.writeInteger("LastSelection", static_cast<int32_t>(settings.productMask));
    registry.writeString("LastSelectionEx", settings.lastSelectionEx);
    registry.writeBool(kShowFamily, settings.showFamilyColumn);
    registry.writeString(kRulesPath, settings.rulesFolder);
    registry.writeString(kServerUrl, urlWithoutPassword(settings.serverUrl));
}

// Values beyond the new Count that an earlier save wrote are left alone.
void writeHistory(Registry& registry, const std::vector<std::string>& history) {
    registry.writeInteger("Count", static_cast<int32_t>(history.size()));
    for (size_t k = 1; k <= history.size(); ++k) {
        registry.writeString(historyValueName(k), history[k - 1]);
    }
}

// Runs `cleanUp` when a failure leaves the scope, so what was written before
// the failure is kept, as a registry keeps it. A failure of the clean-up
// itself is dropped: the first failure is the one to report.
template <typename CleanUp> class OnFailure {
  public:
    explicit OnFailure(CleanUp cleanUp) : m_cleanUp(std::move(cleanUp)) {}
    ~OnFailure() {
        if (std::uncaught_exceptions() > m_failuresBefore) {
            try {
                m_cleanUp();
            } catch (...) {
            }
        }
    }
    OnFailure(const OnFailure&) = delete;
    OnFailure& operator=(const OnFailure&) = delete;

  private:
    CleanUp m_cleanUp;
    int m_failuresBefore = std::uncaught_exceptions();
};

// Opens `key` and, unless it was created just now (nothing stored yet),
// reads it with `read`. Returns false when the key cannot be opened.
template <typename ReadValues> bool readKey(Registry& registry, const char* key, ReadValues read) {
    Registry::KeyOpening opening = registry.openKey(key);
    if (opening == Registry::KeyOpening::Failed) {
        return false;
    }
    {
        OnFailure closeKey([&] { registry.closeKey(); });
        if (opening == Registry::KeyOpening::Existing) {
            read();
        }
    }
    registry.closeKey();
    return true;
}

// The key is closed even when a write fails, so the writes before the
// failing one are kept, as they would be in a registry.
template <typename WriteValues>
bool writeKey(Registry& registry, const char* key, WriteValues write) {
    if (registry.openKey(key) == Registry::KeyOpening::Failed) {
        return false;
    }
    {
        OnFailure closeKey([&] { registry.closeKey(); });
        write();
    }
    registry.closeKey();
    return true;
}

} // namespace

std::string loadSettings(Registry& registry, StoredSettings& settings) {
    std::string message;
    try {
        if (!readKey(registry, kOptionsKey, [&] { readOptionValues(registry, settings); })) {
            return registry.openFailureMessage(Registry::Purpose::Load);
        }
        if (!readKey(registry, kSearchKey, [&] { readHistory(registry, settings.history); })) {
            return registry.openFailureMessage(Registry::Purpose::Load);
        }
    } catch (const RegistryError& error) {
        message = error.what();
    }
    try {
        readKey(registry, kOptionsKey, [&] { readAddedValues(registry, settings); });
    } catch (const RegistryError&) {
        // Only a failed close can end up here; the message above comes first.
    }
    return message;
}

std::string saveSettings(Registry& registry, const StoredSettings& settings, bool databaseLoaded) {
    if (!databaseLoaded) {
        return {};
    }
    std::string message;
    registry.beginWrites();
    {
        OnFailure endWrites([&] { registry.endWrites(); });
        if (!writeKey(registry, kOptionsKey, [&] { writeOptionValues(registry, settings); }) ||
            !writeKey(registry, kSearchKey, [&] { writeHistory(registry, settings.history); })) {
            message = registry.openFailureMessage(Registry::Purpose::Save);
        }
    }
    registry.endWrites();
    return message;
}

} // namespace nomix
