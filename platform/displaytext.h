// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

#include <string>
#include <string_view>

namespace nomix {

// The data files are bytes. For display, a text that is valid UTF-8 is
// decoded as UTF-8, anything else as Windows-1252, so old single-byte files
// show their accents and new files their full names.
QString displayText(std::string_view bytes);

// The way back, for text the user types that will be compared with the data:
// encoded like the data it meets (`asUtf8` when the data decodes as UTF-8).
std::string dataBytes(const QString& text, bool asUtf8);

} // namespace nomix
