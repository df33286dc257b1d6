// SPDX-License-Identifier: MIT
#include "searchcontroller.h"

#include "serversearchthread.h"

#include "core/hitlines.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QScopeGuard>
#include <QTimer>

#include <algorithm>

namespace nomix {

namespace {
constexpr qint64 kEventSliceMs = 10;
// The grid takes a server's hits this often at most; rebuilding the lines of
// many hits takes longer, and then the pause grows with it so the window
// stays quick.
constexpr int kHitsIntervalMs = 100;
constexpr int kHitsIntervalPerRebuild = 4;
} // namespace

// Passes the engine's reports on as the controller's signals.
class SearchController::EngineObserver : public SearchObserver {
  public:
    explicit EngineObserver(SearchController* controller) : m_controller(controller) {}

    void progressChanged(int percent) override {
        if (percent != m_lastPercent) {
            m_lastPercent = percent;
            emit m_controller->progressChanged(percent);
        }
    }
    void counterChanged(int32_t hitCount) override {
        m_controller->m_hitCount = hitCount;
        emit m_controller->hitCountChanged(hitCount);
    }
    bool processMessages(int32_t hitCountSoFar) override {
        m_controller->m_hitCount = hitCountSoFar;
        m_controller->processEventsInSlices();
        return m_controller->m_state != State::Searching;
    }

  private:
    SearchController* m_controller;
    int m_lastPercent = -1;
};

SearchController::SearchController(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("searchController"));
    m_clock.start();
}

SearchOutcome SearchController::run(const DatabaseLines& lines, const SearchRequest& request) {
    if (m_state != State::Idle) {
        return {};
    }
    m_hitCount = 0;
    m_lastSlice = 0;
    setState(State::Searching);
    const auto backToIdle = qScopeGuard([this] { setState(State::Idle); });
    EngineObserver observer(this);
    SearchOutcome outcome = nomix::runSearch(lines, request, &observer);
    m_hitCount = outcome.hitCount;
    return outcome;
}

ServerRunOutcome SearchController::runOnServer(const std::string& url, const SearchRequest& request,
                                               const HitsHandler& onHits) {
    if (m_state != State::Idle) {
        return {};
    }
    m_hitCount = 0;
    setState(State::Searching);
    const auto backToIdle = qScopeGuard([this] { setState(State::Idle); });
    ServerSearchThread thread(url, request);
    m_serverSearch = &thread;
    const auto forget = qScopeGuard([this] { m_serverSearch = nullptr; });

    QTimer tick;
    tick.setSingleShot(true);
    const auto takeHits = [&] {
        HitLines arrived;
        thread.takeHits(arrived);
        QElapsedTimer rebuild;
        rebuild.start();
        if (arrived.count() > 0) {
            m_hitCount += static_cast<int>(arrived.count());
            onHits(arrived);
            emit hitCountChanged(m_hitCount);
        }
        tick.start(std::max<int>(kHitsIntervalMs,
                                 static_cast<int>(rebuild.elapsed()) * kHitsIntervalPerRebuild));
    };
    connect(&tick, &QTimer::timeout, this, takeHits);
    QEventLoop loop;
    connect(&thread, &QThread::finished, &loop, &QEventLoop::quit);
    thread.start();
    tick.start(kHitsIntervalMs);
    loop.exec();
    // The program may be quitting, which ends the loop early.
    thread.requestStop();
    thread.wait();
    tick.stop();
    takeHits();
    tick.stop();

    ServerRunOutcome outcome;
    outcome.stopped = m_state == State::Stopping;
    outcome.failure = thread.failure();
    return outcome;
}

void SearchController::stop() {
    if (m_state == State::Searching) {
        setState(State::Stopping);
        if (m_serverSearch) {
            m_serverSearch->requestStop();
        }
    }
}

void SearchController::setState(State state) {
    if (state != m_state) {
        m_state = state;
        emit stateChanged(state);
    }
}

void SearchController::processEventsInSlices() {
    if (m_clock.elapsed() - m_lastSlice >= kEventSliceMs) {
        QCoreApplication::processEvents();
        m_lastSlice = m_clock.elapsed();
    }
}

} // namespace nomix
