// SPDX-License-Identifier: MIT
#include "taskpool.h"

#include <algorithm>

#include <sched.h>

namespace nomix {

size_t coreCount() {
    return std::max(1u, std::thread::hardware_concurrency());
}

TaskPool::TaskPool(size_t threads) {
    if (threads == 0) {
        threads = coreCount();
    }
    for (size_t i = 0; i < threads; ++i) {
        m_threads.emplace_back([this] { work(); });
    }
}

TaskPool::~TaskPool() {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_ending = true;
    }
    m_queued.notify_all();
    for (std::thread& thread : m_threads) {
        thread.join();
    }
}

void TaskPool::queue(std::function<void()> task) {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    m_queued.notify_one();
}

void TaskPool::work() {
#if defined(SCHED_BATCH)
    // A pool's tasks are long runs of computing, fed by one thread that
    // also hands their results on in order. Marked as batch work, a woken
    // pool thread waits for its turn instead of pushing that thread aside:
    // otherwise, with as many pool threads as cores, the feeding thread
    // gets less of a core than it needs and the pool runs dry.
    const sched_param param{};
    sched_setscheduler(0, SCHED_BATCH, &param);
#endif
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_queued.wait(lock, [this] { return m_ending || !m_tasks.empty(); });
            if (m_tasks.empty()) {
                return;
            }
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        task(); // a packaged task: what it throws goes to its future
    }
}

} // namespace nomix
