// SPDX-License-Identifier: MIT
#include "searchcontroller.h"

#include <QCoreApplication>
#include <QScopeGuard>

namespace nomix {

namespace {
constexpr qint64 kEventSliceMs = 10;
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

void SearchController::stop() {
    if (m_state == State::Searching) {
        setState(State::Stopping);
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
