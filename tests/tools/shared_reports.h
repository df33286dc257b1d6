// SPDX-License-Identifier: MIT
#pragma once

// Scan reports as the import reads them, for the tests of the import.

#include <QByteArray>

// An API v3 file object of the sample `sha`, analysed at `date`.
inline QByteArray v3(const QByteArray& sha, qint64 date, const QByteArray& results) {
    return "{\"data\": {\"attributes\": {\"sha256\": \"" + sha +
           "\", \"last_analysis_date\": " + QByteArray::number(date) +
           ", \"last_analysis_results\": {" + results + "}}}}";
}

// One engine's verdict in a v3 report; `result` is JSON (a quoted name or null).
inline QByteArray v3Result(const QByteArray& engine, const QByteArray& category,
                           const QByteArray& result, const QByteArray& version = "1.0") {
    return "\"" + engine + "\": {\"category\": \"" + category + "\", \"engine_name\": \"" + engine +
           "\", \"engine_version\": \"" + version +
           "\", \"engine_update\": \"20240102\", \"result\": " + result + "}";
}
