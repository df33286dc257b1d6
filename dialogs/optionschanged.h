#pragma once

// The options dialog tells the main window about option changes that must
// take effect while it is still open. The number is the one the program has
// always used for this notification; the codes say which option changed.
constexpr int kOptionsChangedMessage = 0x2B10;

enum OptionsChangedCode : int {
    kBitmapsChanged = 1,        // "Show &bitmaps": redraw the results grid
    kShowProductsChanged = 2,   // "Show &all products": re-apply the product selection
    kCounterChanged = 3,        // "&Update items counter": move the speed track bar
    kStringMatchChanged = 4,    // "&Complete string match": modifier buttons
    kBackgroundChanged = 5,     // "Search in bac&kground": move the speed track bar
    kHistoryEraseConfirmed = 6, // the dialog closed with an erase of the history requested
};
