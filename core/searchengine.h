// SPDX-License-Identifier: MIT
#pragma once

#include "databaselines.h"

#include <cstdint>
#include <string>
#include <vector>

namespace nomix {

enum class MatchMode : int {
    Substring = 0,     // the string stands anywhere in a field
    BeginsWith = 1,    // its first occurrence starts the field
    EndsWith = 2,      // its first occurrence ends the field
    CompleteMatch = 3, // the field is the string
};

// The match mode the search page's controls ask for: the complete-match
// option wins over both modifier buttons, and both buttons down mean a
// complete match too.
MatchMode decideMatchMode(bool completeMatch, bool firstDown, bool lastDown);

struct SearchRequest {
    std::string text; // as typed; the engine upper-cases it
    MatchMode mode = MatchMode::Substring;
    bool numericOnly = false;   // count hits, record no rows
    bool updateCounter = false; // report every tenth hit while searching
    bool background = false;    // hand control to the user interface and honour a stop
    bool allProductsSelected = true;
    std::vector<bool> selected; // per product column: takes part in the search
    size_t columnCount = 0;     // columns examined (the grid's column count)
};

// What the engine tells its caller while it runs. The engine knows nothing of
// any user interface; the desktop program forwards these to its widgets.
class SearchObserver {
  public:
    virtual ~SearchObserver() = default;
    // The share of lines examined so far, in whole percent, before each line.
    virtual void progressChanged(int /*percent*/) {}
    // Every tenth hit, when the request asks for it.
    virtual void counterChanged(int32_t /*hitCount*/) {}
    // Background searches only, between slices of work: run the user
    // interface; return true when the user asked the search to stop.
    // `hitCountSoFar` lets a stop handler show the hits found until then.
    virtual bool processMessages(int32_t /*hitCountSoFar*/) { return false; }
};

struct SearchOutcome {
    int32_t hitCount = 0;
    std::vector<uint32_t> hits; // ascending line indices
    bool stopped = false;
};

// Walks every line once and finds each line in which the string stands in
// the field of at least one selected product under the request's mode. One
// line gives at most one hit.
SearchOutcome runSearch(const DatabaseLines& lines, const SearchRequest& request,
                        SearchObserver* observer = nullptr);

} // namespace nomix
