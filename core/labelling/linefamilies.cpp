// SPDX-License-Identifier: MIT
#include "linefamilies.h"

#include "core/taskpool.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace nomix {

namespace {

// A worker takes lines about this many bytes at a time: a few milliseconds
// of work, so a cancel is seen soon and the cores finish together, however
// long the lines are.
constexpr size_t kChunkBytes = 256u << 10;
constexpr size_t kMostChunkLines = 4096;

size_t chunkLinesFor(const DatabaseLines& lines) {
    if (lines.count() == 0) {
        return 1;
    }
    const size_t averageBytes = std::max<size_t>(1, lines.dataSize() / lines.count());
    return std::clamp<size_t>(kChunkBytes / averageBytes, 1, kMostChunkLines);
}

struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
};
using NameIds = std::unordered_map<std::string, uint32_t, TextHash, std::equal_to<>>;

// One worker's families: its own numbering of the names it met, so the
// workers never wait for each other; numbers are made common at the end.
struct Worker {
    NameIds ids;
    std::vector<std::string> names; // by number - 1
    std::exception_ptr failure;

    uint32_t idOf(std::string_view name) {
        if (name.empty()) {
            return 0;
        }
        const auto it = ids.find(name);
        if (it != ids.end()) {
            return it->second;
        }
        names.emplace_back(name);
        const auto id = static_cast<uint32_t>(names.size());
        ids.emplace(names.back(), id);
        return id;
    }
};

} // namespace

std::optional<LineFamilies> computeLineFamilies(const FamilyVote& vote, const DatabaseLines& lines,
                                                const std::function<bool()>& cancelled,
                                                const std::function<void(size_t)>& onProgress) {
    const size_t lineCount = lines.count();
    const size_t chunkLines = chunkLinesFor(lines);
    const size_t chunkCount = (lineCount + chunkLines - 1) / chunkLines;
    const size_t threadCount = std::min(coreCount(), std::max<size_t>(chunkCount, 1));

    std::vector<uint32_t> ids(lineCount, 0);
    std::vector<uint16_t> chunkWorker(chunkCount, 0);
    std::vector<Worker> workers(threadCount);
    std::atomic<size_t> nextChunk{0};
    std::atomic<bool> stopped{false};
    std::mutex callerMutex; // the caller's functions run one at a time
    size_t linesDone = 0;

    const auto work = [&](size_t w) {
        Worker& worker = workers[w];
        try {
            FamilyVote::Scratch scratch;
            for (;;) {
                if (stopped.load(std::memory_order_relaxed)) {
                    return;
                }
                if (cancelled) {
                    const std::lock_guard<std::mutex> lock(callerMutex);
                    if (cancelled()) {
                        stopped = true;
                        return;
                    }
                }
                const size_t chunk = nextChunk.fetch_add(1);
                if (chunk >= chunkCount) {
                    return;
                }
                chunkWorker[chunk] = static_cast<uint16_t>(w);
                const size_t first = chunk * chunkLines;
                const size_t last = std::min(lineCount, first + chunkLines);
                for (size_t line = first; line < last; ++line) {
                    ids[line] = worker.idOf(vote.familyOf(lines.at(line), scratch));
                }
                if (onProgress) {
                    const std::lock_guard<std::mutex> lock(callerMutex);
                    linesDone += last - first;
                    onProgress(linesDone);
                }
            }
        } catch (...) {
            worker.failure = std::current_exception();
            stopped = true;
        }
    };

    std::vector<std::thread> threads;
    for (size_t w = 1; w < threadCount; ++w) {
        threads.emplace_back(work, w);
    }
    work(0);
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (const Worker& worker : workers) {
        if (worker.failure) {
            std::rethrow_exception(worker.failure);
        }
    }
    if (stopped) {
        return std::nullopt;
    }

    // One list of names in byte order, and each worker's numbers mapped to it.
    std::vector<std::string> names;
    for (const Worker& worker : workers) {
        names.insert(names.end(), worker.names.begin(), worker.names.end());
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    std::vector<std::vector<uint32_t>> common(workers.size());
    for (size_t w = 0; w < workers.size(); ++w) {
        common[w].push_back(0);
        for (const std::string& name : workers[w].names) {
            const auto at = std::lower_bound(names.begin(), names.end(), name);
            common[w].push_back(static_cast<uint32_t>(at - names.begin()) + 1);
        }
    }
    for (size_t chunk = 0; chunk < chunkCount; ++chunk) {
        const std::vector<uint32_t>& map = common[chunkWorker[chunk]];
        const size_t last = std::min(lineCount, (chunk + 1) * chunkLines);
        for (size_t line = chunk * chunkLines; line < last; ++line) {
            ids[line] = map[ids[line]];
        }
    }
    return LineFamilies(std::move(names), std::move(ids));
}

} // namespace nomix
