// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <sys/types.h>

// A PostgreSQL server of a test's own: a fresh cluster in a temporary
// folder, listening only on a Unix socket in that folder, with one empty
// database "nomix" (SQL_ASCII, locale C) that anyone connecting may use.
// The destructor stops the server and removes the folder, also when the
// test failed; a watchdog process does both when the test dies first. When the test runs as root,
// the server runs as "nobody", since PostgreSQL refuses to run as root.
class PrivateServer {
  public:
    // Starts the server; throws std::runtime_error saying what is missing
    // or what went wrong (with the server's log).
    PrivateServer();
    ~PrivateServer();
    PrivateServer(const PrivateServer&) = delete;
    PrivateServer& operator=(const PrivateServer&) = delete;

    // The URL of the database, as the tools take it.
    const std::string& url() const { return m_url; }
    // The server as messages name it: host:port/dbname.
    std::string serverName() const;

    // Stops the server at once, as a crash or a pulled cable would, keeping
    // its data; start() brings it back (with its last committed data).
    void stop();
    void start();

  private:
    std::string binary(const std::string& name) const;
    void runAsServerUser(const std::string& program, const std::string& args) const;
    std::string log() const;
    void startWatchdog();
    void stopWatchdog();

    std::string m_bindir;
    std::string m_folder;
    std::string m_dataDir;
    std::string m_url;
    int m_port = 0;
    pid_t m_postmaster = -1;
    pid_t m_watchdog = -1;
    int m_watchdogPipe = -1; // its other end wakes the watchdog when this process is gone
};
