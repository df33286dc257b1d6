// SPDX-License-Identifier: MIT
#include "namescounting.h"

#include <QMetaObject>

namespace nomix {

NamesCounting::NamesCounting(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("namesCounting"));
}

NamesCounting::~NamesCounting() {
    cancel();
}

void NamesCounting::cancel() {
    ++m_generation;
    if (m_thread.joinable()) {
        m_cancelled = true;
        m_thread.join();
    }
    m_cancelled = false;
}

void NamesCounting::start(const DatabaseLines* lines, std::vector<uint32_t> hits,
                          size_t productCount) {
    cancel();
    const unsigned generation = m_generation;
    if (hits.size() <= kAtOnceLimit) {
        emit namesCounted(std::make_shared<std::vector<std::vector<NameCount>>>(
                              namesByProduct(*lines, hits, productCount)),
                          hits.size());
        return;
    }
    m_thread = std::thread([this, lines, hits = std::move(hits), productCount, generation] {
        ProductNameTally tally(productCount);
        for (uint32_t line : hits) {
            // The flag is an atomic load; a hit's fields cost far more.
            if (m_cancelled.load(std::memory_order_relaxed)) {
                return;
            }
            tally.addLine(lines->at(line));
        }
        auto names = std::make_shared<std::vector<std::vector<NameCount>>>(tally.result());
        QMetaObject::invokeMethod(
            this,
            [this, generation, names, hitCount = hits.size()] {
                deliver(generation, names, hitCount);
            },
            Qt::QueuedConnection);
    });
}

// Runs on the window's thread; a count dropped since is not reported.
void NamesCounting::deliver(unsigned generation,
                            std::shared_ptr<std::vector<std::vector<NameCount>>> names,
                            size_t hitCount) {
    if (generation != m_generation) {
        return;
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
    emit namesCounted(std::move(names), hitCount);
}

} // namespace nomix
