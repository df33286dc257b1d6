// SPDX-License-Identifier: MIT
#pragma once

#include "core/databaselines.h"

#include <QByteArray>

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

// The lines of `bytes` as the program holds a loaded name database.
inline nomix::DatabaseLines linesOf(std::string_view bytes) {
    std::unique_ptr<char[]> buffer(new char[bytes.size() + 1]);
    std::memcpy(buffer.get(), bytes.data(), bytes.size());
    return nomix::DatabaseLines(std::move(buffer), bytes.size());
}

inline nomix::DatabaseLines linesOf(const QByteArray& bytes) {
    return linesOf(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

// A literal would convert to either of the above.
template <size_t N> nomix::DatabaseLines linesOf(const char (&bytes)[N]) {
    return linesOf(std::string_view(bytes, N - 1));
}
