// SPDX-License-Identifier: MIT
#pragma once

// Timing shared by the benchmark programs. CPU time of this process, not
// wall time: on a shared machine wall-clock medians swing by several times,
// while CPU time equals wall time for this single-threaded work when idle.

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace nomix::bench {

inline double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

inline double secondsOf(const std::function<void()>& work) {
    const double start = cpuSeconds();
    work();
    return cpuSeconds() - start;
}

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Runs every named piece of work once per round, in the same order each
// round, after one round that only warms up, and prints the median time of
// each. A Timer runs its piece once and returns the seconds it took.
class Rounds {
  public:
    using Timer = std::function<double()>;
    void add(std::string key, std::function<void()> work) {
        addTimed(std::move(key), [work] { return secondsOf(work); });
    }
    void addTimed(std::string key, Timer time) {
        m_entries.push_back({std::move(key), std::move(time), {}});
    }
    void run(int rounds) {
        for (int r = 0; r <= rounds; ++r) {
            for (Entry& e : m_entries) {
                const double seconds = e.time();
                if (r > 0) {
                    e.times.push_back(seconds);
                }
            }
        }
        for (const Entry& e : m_entries) {
            std::printf("%s %.6f\n", e.key.c_str(), median(e.times));
        }
    }

  private:
    struct Entry {
        std::string key;
        Timer time;
        std::vector<double> times;
    };
    std::vector<Entry> m_entries;
};

} // namespace nomix::bench
