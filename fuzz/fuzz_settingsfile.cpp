// SPDX-License-Identifier: MIT
// The settings file on any bytes: what parses must format into a text that
// parses back as the same document, and the settings store must read it,
// save over it and read back what it saved, keeping every value it does not
// own. What does not parse must be reported and never written.

#include "fuzzcheck.h"

#include "core/settingsstore.h"
#include "platform/registryfile.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unistd.h>

using namespace nomix;

namespace {

std::string gFolder;

std::string settingsPath() {
    return gFolder + "/Nomix95.reg";
}

void removeFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(gFolder, ignored);
}

void writeFile(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    FUZZ_CHECK(fd >= 0);
    FUZZ_CHECK(::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()));
    ::close(fd);
}

std::string readFile(const std::string& path) {
    std::string bytes;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    FUZZ_CHECK(fd >= 0);
    char buffer[65536];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;) {
        bytes.append(buffer, static_cast<size_t>(got));
    }
    ::close(fd);
    return bytes;
}

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

const RegistryText::Key* findKey(const RegistryText::Document& document, std::string_view path) {
    for (const RegistryText::Key& key : document) {
        if (sameName(key.path, path)) {
            return &key;
        }
    }
    return nullptr;
}

std::string lowered(std::string_view name) {
    std::string lower(name);
    for (char& c : lower) {
        c = c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
    }
    return lower;
}

// What saveSettings writes into `key`, by name.
bool ownedBySettings(std::string_view key, std::string_view name) {
    static const std::set<std::string> optionNames = [] {
        std::set<std::string> names = {"datapath",    "dataname",      "configname",
                                       "listdetails", "lastselection", "lastselectionex",
                                       "showfamily",  "rulespath"};
        for (const OptionEntry& entry : kOptions) {
            names.insert(lowered(entry.valueName));
        }
        return names;
    }();
    const std::string lower = lowered(name);
    if (sameName(key, std::string("HKEY_CURRENT_USER\\") + kOptionsKey)) {
        return optionNames.count(lower) != 0;
    }
    if (sameName(key, std::string("HKEY_CURRENT_USER\\") + kSearchKey)) {
        return lower == "count" || lower.starts_with("string#");
    }
    return false;
}

// The holders as the window fills them before a load.
StoredSettings windowDefaults() {
    StoredSettings settings;
    settings.dataPath = "/usr/share/nomix95";
    settings.dataName = "NOMIX.DAT";
    settings.configName = "NOMIX.CFG";
    return settings;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Every save flushes the file and its folder to disk: in memory that is
    // free, on a disk it would make the target a hundred times slower.
    const char* base = std::getenv("TMPDIR");
    std::string folder = base && *base ? base : "/tmp";
    if (!base && std::filesystem::is_directory("/dev/shm")) {
        folder = "/dev/shm";
    }
    std::string pattern = folder + "/nomix-fuzz-XXXXXX";
    FUZZ_CHECK(::mkdtemp(pattern.data()) != nullptr);
    gFolder = pattern;
    std::atexit(removeFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<RegistryText::Document> document = RegistryText::parse(text);
    if (document) {
        const std::string formatted = RegistryText::format(*document);
        const std::optional<RegistryText::Document> again = RegistryText::parse(formatted);
        FUZZ_CHECK(again.has_value());
        FUZZ_CHECK(*again == *document);
        FUZZ_CHECK(RegistryText::format(*again) == formatted);
    }

    writeFile(settingsPath(), text);
    StoredSettings loaded = windowDefaults();
    std::string message;
    {
        RegistryFile registry(settingsPath());
        message = loadSettings(registry, loaded);
    }
    if (!document && !text.empty()) {
        // Unreadable: reported with the file and the line, and neither a
        // load nor a save touches it.
        size_t failedLine = 0;
        RegistryText::parse(text, failedLine);
        FUZZ_CHECK(failedLine >= 1 &&
                   failedLine <= 1 + size_t(std::count(text.begin(), text.end(), '\n')));
        const std::string unreadable = "Could not read the settings file \"" + settingsPath() +
                                       "\": line " + std::to_string(failedLine) +
                                       " is not in REGEDIT4 format. The file was left unchanged; ";
        FUZZ_CHECK(message == unreadable + "default settings are used.");
        RegistryFile registry(settingsPath());
        FUZZ_CHECK(saveSettings(registry, loaded, true) ==
                   unreadable + "the settings were not saved.");
        FUZZ_CHECK(readFile(settingsPath()) == text);
        return 0;
    }
    // An empty file holds nothing: no settings yet.
    const RegistryText::Document original = document ? *document : RegistryText::Document();
    FUZZ_CHECK(readFile(settingsPath()) == text);
    if (!message.empty()) {
        return 0;
    }

    {
        RegistryFile registry(settingsPath());
        FUZZ_CHECK(saveSettings(registry, loaded, true).empty());
    }
    StoredSettings reloaded = windowDefaults();
    {
        RegistryFile registry(settingsPath());
        FUZZ_CHECK(loadSettings(registry, reloaded).empty());
    }
    FUZZ_CHECK(reloaded == loaded);

    // Every value the settings do not own is still there, unchanged.
    const std::optional<RegistryText::Document> saved =
        RegistryText::parse(readFile(settingsPath()));
    FUZZ_CHECK(saved.has_value());
    for (const RegistryText::Key& key : original) {
        const RegistryText::Key* savedKey = findKey(*saved, key.path);
        FUZZ_CHECK(savedKey != nullptr);
        for (const RegistryText::Value& value : key.values) {
            if (ownedBySettings(key.path, value.name)) {
                continue;
            }
            bool kept = false;
            for (const RegistryText::Value& savedValue : savedKey->values) {
                kept = kept || savedValue == value;
            }
            FUZZ_CHECK(kept);
        }
    }
    return 0;
}
