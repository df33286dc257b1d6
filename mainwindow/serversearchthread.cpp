// SPDX-License-Identifier: MIT
#include "serversearchthread.h"

#ifdef NOMIX_HAVE_SERVER
#include "core/server/serverconnection.h"
#include "core/server/serversearch.h"

#include <libpq-fe.h>
#endif

#include <QCoreApplication>
#include <QEventLoop>
#include <QScopeGuard>

#include <exception>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <utility>

namespace nomix {

namespace {

#ifndef NOMIX_HAVE_SERVER
[[noreturn]] void noServerSupport() {
    throw std::runtime_error(QCoreApplication::translate("nomix::ServerSearchThread",
                                                         "This Nomix95 was built without "
                                                         "the database server's library")
                                 .toLocal8Bit()
                                 .toStdString());
}
#endif

} // namespace

ServerSearchThread::ServerSearchThread(std::string url, SearchRequest request, QObject* parent)
    : QThread(parent), m_url(std::move(url)), m_request(std::move(request)) {}

ServerSearchThread::~ServerSearchThread() {
    requestStop();
    wait();
}

ServerDatabase ServerSearchThread::readDatabase(const std::string& url) {
    ServerDatabase database;
    std::exception_ptr failure;
    std::unique_ptr<QThread> reader(QThread::create([&] {
        try {
#ifdef NOMIX_HAVE_SERVER
            ServerConnection connection(url);
            database.table = readServerProductTable(connection);
            database.isUtf8 = serverLinesAreUtf8(connection);
#else
            noServerSupport();
#endif
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    QEventLoop loop;
    QObject::connect(reader.get(), &QThread::finished, &loop, &QEventLoop::quit);
    reader->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    reader->wait();
    if (failure) {
        std::rethrow_exception(failure);
    }
    return database;
}

void ServerSearchThread::requestStop() {
    m_stopRequested = true;
#ifdef NOMIX_HAVE_SERVER
    const std::lock_guard lock(m_mutex);
    if (m_cancel) {
        char reason[256];
        PQcancel(m_cancel, reason, sizeof reason);
    }
#endif
}

void ServerSearchThread::takeHits(HitLines& hits) {
    const std::lock_guard lock(m_mutex);
    hits.takeFrom(m_arrived);
}

QString ServerSearchThread::failure() const {
    const std::lock_guard lock(m_mutex);
    return m_failure;
}

// Nothing may leave a thread's run(): a failure is kept for the window,
// unless it is the user's stop that broke off the statement.
void ServerSearchThread::run() {
    try {
#ifdef NOMIX_HAVE_SERVER
        ServerConnection connection(m_url);
        {
            const std::lock_guard lock(m_mutex);
            m_cancel = PQgetCancel(connection.handle());
        }
        const auto forgetCancel = qScopeGuard([this] {
            const std::lock_guard lock(m_mutex);
            PQfreeCancel(m_cancel);
            m_cancel = nullptr;
        });
        if (m_stopRequested) {
            return;
        }
        searchServer(
            connection, m_request,
            [this](uint64_t, std::string_view text) {
                const std::lock_guard lock(m_mutex);
                m_arrived.add(text);
            },
            [this] { return m_stopRequested.load(); });
#else
        noServerSupport();
#endif
    } catch (const std::exception& error) {
        if (!m_stopRequested) {
            const std::lock_guard lock(m_mutex);
            m_failure = QString::fromLocal8Bit(error.what());
        }
    }
}

} // namespace nomix
