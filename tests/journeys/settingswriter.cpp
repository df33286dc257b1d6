// SPDX-License-Identifier: MIT
// nomix95-settingswriter FILE DATAFOLDER [NAME=0|1 ...]: the settings file a
// journey starts the desktop program with, written by the program's own
// settings store. NAME is an option's value name in the file, or ShowFamily.
#include "bench/settingsfile.h"

#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

namespace {

// The holder of the value NAME in `settings`, or null when nothing is named so.
bool* flagNamed(nomix::StoredSettings& settings, std::string_view name) {
    if (name == "ShowFamily") {
        return &settings.showFamilyColumn;
    }
    for (const nomix::OptionEntry& entry : nomix::kOptions) {
        if (name == entry.valueName) {
            return &settings.option(entry.option);
        }
    }
    return nullptr;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FILE DATAFOLDER [NAME=0|1 ...]\n", argv[0]);
        return 2;
    }
    nomix::StoredSettings settings = nomix::unattendedSettings(argv[2]);
    for (int i = 3; i < argc; ++i) {
        const std::string_view pair = argv[i];
        const size_t equals = pair.find('=');
        bool* flag = equals == std::string_view::npos ? nullptr
                                                      : flagNamed(settings, pair.substr(0, equals));
        const std::string_view value =
            equals == std::string_view::npos ? std::string_view() : pair.substr(equals + 1);
        if (!flag || (value != "0" && value != "1")) {
            std::fprintf(stderr, "%s: not NAME=0 or NAME=1 of a known value: %s\n", argv[0],
                         argv[i]);
            return 2;
        }
        *flag = value == "1";
    }
    try {
        nomix::writeSettingsFile(argv[1], settings);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
        return 1;
    }
    return 0;
}
