// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>

namespace nomix {

// How often `byte` occurs in [data, data + size), at memory speed: a search
// per occurrence would cost a library call per line of a file of empty lines.
size_t countByte(const char* data, size_t size, char byte);

} // namespace nomix
