#pragma once

#include <cstddef>

namespace nomix {

// True when the bytes are valid UTF-8 (ASCII included). Decides how a data
// file's text is shown; runs at memory speed over plain ASCII.
bool IsValidUtf8Bytes(const char* data, size_t size);

} // namespace nomix
