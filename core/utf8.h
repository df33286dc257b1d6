// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace nomix {

// True when the bytes are valid UTF-8 (ASCII included). Decides how a data
// file's text is shown; runs at memory speed over plain ASCII.
bool isValidUtf8Bytes(const char* data, size_t size);

// Where the first byte that does not belong to valid UTF-8 stands (0-based),
// or `size` when all are valid.
size_t firstInvalidUtf8Byte(const char* data, size_t size);

// The character a byte stands for in Windows-1252, the encoding of the old
// single-byte data files. Five bytes that it leaves unassigned stand for
// themselves.
char32_t windows1252Character(unsigned char byte);

// Text the user typed, in UTF-8, encoded like the data it will be compared
// with: unchanged when the data is UTF-8, otherwise in Windows-1252, with
// '?' for each character it cannot hold. Bytes that are not UTF-8 were
// typed in the data's own encoding and are kept as they are.
std::string dataBytesFromUtf8(std::string_view typed, bool dataIsUtf8);

// Data bytes for display, as UTF-8: bytes that are valid UTF-8 are already,
// anything else is read as Windows-1252.
std::string displayUtf8(std::string_view bytes);

} // namespace nomix
