// SPDX-License-Identifier: MIT
#pragma once

#include "delimiterset.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace nomix {

// The one field rule of the program: a field is a maximal non-empty run of
// non-delimiters, so runs of delimiters count as one separator and delimiters
// at either end are ignored. Positions and field numbers are 1-based; 0 means
// "no such field". The product table, the name database, the search, the grid
// and the report all number their columns with these routines, so they line
// up only because they share them.

int32_t countFields(std::string_view text, const DelimiterSet& delims);
int32_t fieldStart(int32_t n, std::string_view text, const DelimiterSet& delims);
std::string fieldAt(int32_t n, std::string_view text, const DelimiterSet& delims);
int32_t fieldStartByChar(int32_t n, std::string_view text, char delim);
std::string fieldAtByChar(int32_t n, std::string_view text, char delim);

// fieldAtByChar without the copy: a view into `text`, empty when there is no
// such field. Used on hot paths (search, grid drawing, report writing).
std::string_view fieldViewByChar(int32_t n, std::string_view text, char delim);

} // namespace nomix
