// SPDX-License-Identifier: MIT
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>
#include <vector>

namespace nomix {

// The cores this machine has, at least one even where it cannot tell.
size_t coreCount();

// A few threads that stay for the whole of one job and take its tasks in
// the order given. It exists because a job of a thousand small tasks, each
// on a thread of its own, pays a thread's start for every task, and its
// cores idle while a new thread gets going. Its threads yield to the thread
// that feeds them (see work()).
class TaskPool {
  public:
    // One thread per core when `threads` is 0.
    explicit TaskPool(size_t threads = 0);
    // Runs the tasks still queued, then ends the threads.
    ~TaskPool();
    TaskPool(const TaskPool&) = delete;
    TaskPool& operator=(const TaskPool&) = delete;

    // Queues `task`; the future gives what it returns, or what it threw.
    template <typename Task> auto run(Task task) -> std::future<std::invoke_result_t<Task&>> {
        using Result = std::invoke_result_t<Task&>;
        auto packaged = std::make_shared<std::packaged_task<Result()>>(std::move(task));
        std::future<Result> result = packaged->get_future();
        queue([packaged] { (*packaged)(); });
        return result;
    }

  private:
    void queue(std::function<void()> task);
    void work();

    std::mutex m_mutex;
    std::condition_variable m_queued;
    std::deque<std::function<void()>> m_tasks;
    bool m_ending = false;
    std::vector<std::thread> m_threads;
};

} // namespace nomix
