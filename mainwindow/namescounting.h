// SPDX-License-Identifier: MIT
#pragma once

#include "core/databaselines.h"
#include "core/namesbyproduct.h"

#include <QObject>

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

namespace nomix {

// Counts each product's names among a search's hits for the "Names by
// product" window. A few thousand hits are counted at once; more on a
// thread of its own, so a million hits never hold the window up. A new
// start or cancel() drops the count under way.
class NamesCounting : public QObject {
    Q_OBJECT

  public:
    // Hit lists up to this size are counted on the caller's thread.
    static constexpr size_t kAtOnceLimit = 20000;

    explicit NamesCounting(QObject* parent = nullptr);
    ~NamesCounting() override;

    // `lines` must stay until cancel() or the next start.
    void start(const DatabaseLines* lines, std::vector<uint32_t> hits, size_t productCount);
    void cancel();

  signals:
    // Per product (table order) its names, most common first; the receiver
    // may take them, so a million names are never copied.
    void namesCounted(std::shared_ptr<std::vector<std::vector<NameCount>>> names, size_t hitCount);

  private:
    void deliver(unsigned generation, std::shared_ptr<std::vector<std::vector<NameCount>>> names,
                 size_t hitCount);

    std::thread m_thread;
    std::atomic<bool> m_cancelled{false};
    unsigned m_generation = 0;
};

} // namespace nomix
