#pragma once

#include "core/databaselines.h"

#include <QByteArray>

#include <cstring>
#include <memory>

// The lines of `bytes` as the program holds a loaded name database.
inline nomix::DatabaseLines linesOf(const QByteArray& bytes) {
    std::unique_ptr<char[]> buffer(new char[static_cast<size_t>(bytes.size()) + 1]);
    std::memcpy(buffer.get(), bytes.constData(), static_cast<size_t>(bytes.size()));
    return nomix::DatabaseLines(std::move(buffer), static_cast<size_t>(bytes.size()));
}
