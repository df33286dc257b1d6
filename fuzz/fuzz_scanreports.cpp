// SPDX-License-Identifier: MIT
// The scan-report reader on any bytes: fed in pieces, copied or read into its
// room, it must find what it finds in one piece, and what it builds must stay within the file
// formats.

#include "fuzzcheck.h"

#include "core/import/scanreports.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

using namespace nomix;

namespace {

struct Seen {
    std::vector<std::string> events; // reports and skips, in order
    std::vector<ScanReport> reports;
};

Seen read(std::string_view input, size_t piece, bool inPlace) {
    Seen seen;
    ScanReportReader reader(
        [&](ScanReport&& report) {
            std::string event = "report " + report.sha256;
            for (const EngineVerdict& verdict : report.verdicts) {
                event += '\n';
                event += report.textOf(verdict.engine);
                event += '\n';
                event += report.textOf(verdict.field);
            }
            seen.events.push_back(std::move(event));
            seen.reports.push_back(std::move(report));
        },
        [&](size_t line, const std::string& reason) {
            seen.events.push_back("skip " + std::to_string(line) + " " + reason);
        });
    for (size_t start = 0; start < input.size();) {
        const std::string_view next = input.substr(start, piece);
        // As the import reads a plain file: into the reader's room where
        // it offers one.
        const std::span<char> room = inPlace ? reader.room() : std::span<char>();
        if (room.empty()) {
            reader.feed(next);
            start += next.size();
        } else {
            const size_t count = std::min(room.size(), next.size());
            std::memcpy(room.data(), next.data(), count);
            reader.filled(count);
            start += count;
        }
    }
    reader.finish();
    return seen;
}

bool holdsLineBreaker(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\x1a\0", 4)) != std::string_view::npos;
}

void checkDatabase(std::vector<ScanReport>& reports) {
    NameDatabaseBuilder builder;
    for (ScanReport& report : reports) {
        builder.add(std::move(report));
    }
    const std::string table = builder.productTable("label");
    FUZZ_CHECK(table.size() >= 2 && table.substr(table.size() - 2) == "\r\n");
    FUZZ_CHECK(!holdsLineBreaker(std::string_view(table).substr(0, table.size() - 2)));
    std::string written;
    builder.writeNameDatabase([&](std::string_view piece) { written += piece; });
    size_t lines = 0;
    for (size_t start = 0; start < written.size(); ++lines) {
        // A line ends at its first CR LF: no field holds one.
        const size_t end = written.find("\r\n", start);
        FUZZ_CHECK(end != std::string::npos);
        const std::string_view line = std::string_view(written).substr(start, end + 2 - start);
        start = end + 2;
        FUZZ_CHECK(line.size() >= 3 && line.front() == '|');
        FUZZ_CHECK(line.substr(line.size() - 3) == "|\r\n");
        const std::string_view fields = line.substr(1, line.size() - 4);
        FUZZ_CHECK(!holdsLineBreaker(fields));
        // Every product has a field and no field is empty, or the columns
        // after it would shift.
        size_t count = 1;
        for (size_t i = 0; i < fields.size(); ++i) {
            if (fields[i] == '|') {
                FUZZ_CHECK(i > 0 && fields[i - 1] != '|');
                ++count;
            }
        }
        FUZZ_CHECK(count == builder.productCount());
    }
    FUZZ_CHECK(lines == builder.sampleCount());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const size_t piece = data[0] % 61 + 1;
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    Seen whole = read(input, input.size() + 1, false);
    FUZZ_CHECK(whole.events == read(input, piece, false).events);
    FUZZ_CHECK(whole.events == read(input, piece, true).events);
    checkDatabase(whole.reports);
    return 0;
}
