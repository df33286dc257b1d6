// SPDX-License-Identifier: MIT
#pragma once

#include "core/searchengine.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <functional>
#include <string>

namespace nomix {

class HitLines;
class ServerSearchThread;

struct ServerRunOutcome {
    bool stopped = false; // the user asked to stop
    QString failure;      // why the server failed; empty when it did not
};

// Runs one search at a time on the user-interface thread. A background
// search hands control to the event loop every few milliseconds, so the
// window stays alive and Stop or Esc can end it; a foreground search runs
// to its end. A team database is searched on a thread of its own while the
// event loop runs. Tells its listeners how far it got and how many hits it
// has.
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
    // Runs the search on the team database at `url` on a thread of its own
    // and returns when it is done, stopped or failed; the window's events
    // run meanwhile. The hits go to `onHits` on this thread as they arrive,
    // a few times a second, moved out of `arrived`.
    using HitsHandler = std::function<void(HitLines& arrived)>;
    ServerRunOutcome runOnServer(const std::string& url, const SearchRequest& request,
                                 const HitsHandler& onHits);
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
    ServerSearchThread* m_serverSearch = nullptr;
};

} // namespace nomix
