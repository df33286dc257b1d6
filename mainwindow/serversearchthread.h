// SPDX-License-Identifier: MIT
#pragma once

#include "core/hitlines.h"
#include "core/producttable.h"
#include "core/searchengine.h"

#include <QString>
#include <QThread>

#include <atomic>
#include <mutex>
#include <string>

struct pg_cancel;

namespace nomix {

// What the window needs of a team database before its first search.
struct ServerDatabase {
    ProductTable table;
    bool isUtf8 = false;
};

// One search of a team database, on a thread and a connection of its own,
// so the window stays alive however long the server takes. The hits gather
// here until the user-interface thread takes them.
class ServerSearchThread : public QThread {
    Q_OBJECT

  public:
    ServerSearchThread(std::string url, SearchRequest request, QObject* parent = nullptr);
    // Stops the search and waits for it: the thread may not outlive its hits.
    ~ServerSearchThread() override;

    // Reads the product table of the team database at `url` on a thread of
    // its own, while the window paints but takes no input. Throws
    // ServerError or NomixError, whose messages name the server.
    static ServerDatabase readDatabase(const std::string& url);

    // The search ends at once: the server is told to drop the statement it
    // is working on, and no further batch is fetched.
    void requestStop();
    // Moves the hits that arrived since the last call behind `hits`.
    void takeHits(HitLines& hits);
    // Why the search failed, once it has ended; empty when it did not.
    QString failure() const;

  protected:
    void run() override;

  private:
    const std::string m_url;
    const SearchRequest m_request;
    std::atomic<bool> m_stopRequested = false;
    mutable std::mutex m_mutex;
    // How to interrupt the server while the search talks to it.
    pg_cancel* m_cancel = nullptr;
    HitLines m_arrived;
    QString m_failure;
};

} // namespace nomix
