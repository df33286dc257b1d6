// SPDX-License-Identifier: MIT
#pragma once

#include "core/searchengine.h"

#include <QElapsedTimer>
#include <QObject>

namespace nomix {

// Runs one search at a time on the user-interface thread. A background
// search hands control to the event loop every few milliseconds, so the
// window stays alive and Stop or Esc can end it; a foreground search runs
// to its end. Tells its listeners how far it got and how many hits it has.
class SearchController : public QObject {
    Q_OBJECT

  public:
    enum class State {
        Idle,      // no search; the controls are free
        Searching, // the engine walks the database
        Stopping,  // the user asked to stop; the engine ends at its next slice
    };
    Q_ENUM(State)

    explicit SearchController(QObject* parent = nullptr);

    State state() const { return m_state; }
    // The hits counted so far, or the final count once a search ended.
    int hitCount() const { return m_hitCount; }

    // Runs the search and returns when it is done or stopped. Only one search
    // runs at a time: a call while another runs returns an empty outcome.
    SearchOutcome run(const DatabaseLines& lines, const SearchRequest& request);
    // Asks a running search to stop; it ends at its next slice of work.
    void stop();

  signals:
    void stateChanged(nomix::SearchController::State state);
    void progressChanged(int percent);
    void hitCountChanged(int count);

  private:
    class EngineObserver;

    void setState(State state);
    void processEventsInSlices();

    State m_state = State::Idle;
    int m_hitCount = 0;
    QElapsedTimer m_clock;
    qint64 m_lastSlice = 0;
};

} // namespace nomix
