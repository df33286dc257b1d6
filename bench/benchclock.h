#pragma once

// Timing shared by the benchmark programs. CPU time of this process, not
// wall time: on a shared machine wall-clock medians swing by several times,
// while CPU time equals wall time for this single-threaded work when idle.

#include <algorithm>
#include <ctime>
#include <functional>
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

} // namespace nomix::bench
