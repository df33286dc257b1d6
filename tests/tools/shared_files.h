// SPDX-License-Identifier: MIT
#pragma once

// Whole files read and written in one call, for the tests of the tools.

#include <QByteArray>
#include <QFile>
#include <QString>

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
