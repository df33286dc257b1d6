// SPDX-License-Identifier: MIT
#pragma once

namespace nomix {

// The topics of the help file, each the number of its anchor there
// ("topic-N"), so a control names what its help is about rather than where
// the file keeps it.
enum class HelpTopic : int {
    TitleBanner = 1,
    SearchButton = 4,
    GetHelpButton = 5,
    ExitButton = 6,
    SearchString = 7,
    BeginsWithButton = 8,
    EndsWithButton = 9,
    SelectProducts = 10,
    ProgressBar = 11,
    SearchSpeed = 12,
    SpeedPanel = 13,
    ItemsFound = 14,
    StatusLine = 16,
    DatabaseLabel = 17,
    CompleteStringMatch = 23,
    ShowAllProducts = 25,
    SearchInBackground = 27,
    CommonDirectory = 29,
    BrowseButton = 30,
    DatabaseFileName = 31,
    OpenButtons = 32,
    ConfigurationFileName = 33,
    Options = 34,
    ShowNumericResultOnly = 35,
    ShowBitmaps = 36,
    UpdateItemsCounter = 37,
    ResultsGrid = 38,
    ResultsGridMenu = 39,
    Contents = 40,
    DisableUpdateAlarm = 42,
    DisableSounds = 43,
    LoadLastSelection = 44,
    SaveSelectedItemsOnly = 45,
    ClearStringHistory = 46,
    ProductSelectionDialog = 47,
    ProductList = 48,
    OkButton = 49,
    CancelButton = 50,
    HelpButton = 52,
    ProductListMenu = 57,
    MinimizeInTrayArea = 58,
    OptionsButton = 59,
    ImportScanReports = 60,
    ExportingAndCopying = 61,
    CommandLineSearch = 62,
    CommandLineImport = 63,
    FamilyColumn = 64,
    NamesByProduct = 65,
};

// The anchor number the help file and its viewer know the topic by.
constexpr int topicNumber(HelpTopic topic) {
    return static_cast<int>(topic);
}

} // namespace nomix
