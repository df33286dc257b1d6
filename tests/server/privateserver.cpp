// SPDX-License-Identifier: MIT
#include "privateserver.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <libpq-fe.h>
#include <pwd.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* kServerUser = "nobody";
constexpr const char* kDatabase = "nomix";
constexpr const char* kRole = "nomix";

std::string commandOutput(const std::string& command) {
    std::string out;
    if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[512];
        size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            out.append(buffer, got);
        }
        ::pclose(pipe);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) {
        out.pop_back();
    }
    return out;
}

// The folder of initdb and postgres: pg_config's answer, else Debian's.
std::string findBindir() {
    std::vector<std::string> candidates;
    const std::string reported = commandOutput("pg_config --bindir 2>/dev/null");
    if (!reported.empty()) {
        candidates.push_back(reported);
    }
    candidates.push_back("/usr/lib/postgresql/15/bin");
    for (const std::string& dir : candidates) {
        if (::access((dir + "/initdb").c_str(), X_OK) == 0 &&
            ::access((dir + "/postgres").c_str(), X_OK) == 0) {
            return dir;
        }
    }
    throw std::runtime_error("no PostgreSQL server found (initdb and postgres in pg_config "
                             "--bindir or /usr/lib/postgresql/15/bin): run scripts/setup, which "
                             "installs postgresql-15");
}

bool runningAsRoot() {
    return ::geteuid() == 0;
}

std::string quotedForShell(const std::string& text) {
    std::string out = "'";
    for (const char c : text) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

// The prefix that runs a program as the server's user: PostgreSQL refuses
// root. setpriv replaces itself by the program, so its pid is the server's.
std::vector<std::string> asServerUser() {
    if (!runningAsRoot()) {
        return {};
    }
    return {"setpriv", std::string("--reuid=") + kServerUser, "--regid=nogroup", "--clear-groups",
            "--"};
}

} // namespace

PrivateServer::PrivateServer() : m_bindir(findBindir()) {
    std::string pattern = "/tmp/nomix-pg.XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        throw std::runtime_error(std::string("cannot make a folder for the server: ") +
                                 std::strerror(errno));
    }
    m_folder = pattern;
    m_dataDir = m_folder + "/data";
    try {
        if (runningAsRoot()) {
            const passwd* user = ::getpwnam(kServerUser);
            if (!user || ::chown(m_folder.c_str(), user->pw_uid, user->pw_gid) != 0) {
                throw std::runtime_error(std::string("cannot hand the server's folder to ") +
                                         kServerUser);
            }
        }
        runAsServerUser(binary("initdb"), "--pgdata=" + quotedForShell(m_dataDir) +
                                              " --username=" + kRole +
                                              " --encoding=SQL_ASCII --locale=C --auth=trust "
                                              "--no-sync --no-instructions");
        // The socket lives in the private folder, so any port number is free.
        m_port = 5432;
        m_url = "postgresql:///" + std::string(kDatabase) + "?host=" + m_folder +
                "&port=" + std::to_string(m_port) + "&user=" + kRole;
        start();
        const std::string admin = "host=" + m_folder + " port=" + std::to_string(m_port) +
                                  " user=" + kRole + " dbname=postgres";
        PGconn* connection = PQconnectdb(admin.c_str());
        PGresult* made =
            PQexec(connection, "CREATE DATABASE nomix ENCODING 'SQL_ASCII' LC_COLLATE 'C' "
                               "LC_CTYPE 'C' TEMPLATE template0");
        const bool ok = PQresultStatus(made) == PGRES_COMMAND_OK;
        const std::string reason = PQerrorMessage(connection);
        PQclear(made);
        PQfinish(connection);
        if (!ok) {
            throw std::runtime_error("cannot create the test database: " + reason);
        }
    } catch (...) {
        stop();
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
        throw;
    }
}

PrivateServer::~PrivateServer() {
    stop();
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
}

std::string PrivateServer::serverName() const {
    return m_folder + ":" + std::to_string(m_port) + "/" + kDatabase;
}

std::string PrivateServer::binary(const std::string& name) const {
    return m_bindir + "/" + name;
}

void PrivateServer::runAsServerUser(const std::string& program, const std::string& args) const {
    std::string command;
    for (const std::string& word : asServerUser()) {
        command += word + " ";
    }
    command +=
        quotedForShell(program) + " " + args + " >" + quotedForShell(m_folder + "/log") + " 2>&1";
    if (std::system(command.c_str()) != 0) {
        throw std::runtime_error(program + " failed:\n" + log());
    }
}

std::string PrivateServer::log() const {
    std::ifstream file(m_folder + "/log");
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

void PrivateServer::start() {
    std::vector<std::string> words = asServerUser();
    words.insert(words.end(),
                 {binary("postgres"), "-D", m_dataDir, "-k", m_folder, "-p", std::to_string(m_port),
                  "-c", "listen_addresses=", "-c", "fsync=off", "-c", "full_page_writes=off"});
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    const std::string logPath = m_folder + "/log";
    m_postmaster = ::fork();
    if (m_postmaster < 0) {
        throw std::runtime_error(std::string("cannot start the server: ") + std::strerror(errno));
    }
    if (m_postmaster == 0) {
        const int logFd = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0666);
        if (logFd >= 0) {
            ::dup2(logFd, STDOUT_FILENO);
            ::dup2(logFd, STDERR_FILENO);
        }
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    const std::string ping = "host=" + m_folder + " port=" + std::to_string(m_port) +
                             " user=" + kRole + " dbname=postgres";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (PQping(ping.c_str()) != PQPING_OK) {
        int status = 0;
        if (::waitpid(m_postmaster, &status, WNOHANG) == m_postmaster) {
            m_postmaster = -1;
            throw std::runtime_error("the test server ended at its start:\n" + log());
        }
        if (std::chrono::steady_clock::now() > deadline) {
            throw std::runtime_error("the test server did not answer within 30 s:\n" + log());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    startWatchdog();
}

// A process that waits for this one to end, however it ends: an aborted test
// runs no destructor, and its server would live on, holding whatever it
// inherited. The watchdog then stops the server and removes its folder.
// Between fork() and exec() it calls only what is safe in a child of a
// process with threads.
void PrivateServer::startWatchdog() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return; // the test goes on without it
    }
    const pid_t server = m_postmaster;
    const char* folder = m_folder.c_str();
    const pid_t watchdog = ::fork();
    if (watchdog == 0) {
        ::close(ends[1]);
        const int devNull = ::open("/dev/null", O_RDWR);
        ::dup2(devNull, STDIN_FILENO);
        ::dup2(devNull, STDOUT_FILENO);
        ::dup2(devNull, STDERR_FILENO);
        char byte = 0;
        while (::read(ends[0], &byte, 1) < 0 && errno == EINTR) {
        }
        ::kill(server, SIGQUIT);
        for (int wait = 0; wait < 500 && ::kill(server, 0) == 0; ++wait) {
            const timespec pause{0, 20'000'000};
            ::nanosleep(&pause, nullptr);
        }
        ::execl("/bin/rm", "rm", "-rf", folder, static_cast<char*>(nullptr));
        ::_exit(0);
    }
    ::close(ends[0]);
    if (watchdog < 0) {
        ::close(ends[1]);
        return;
    }
    m_watchdog = watchdog;
    m_watchdogPipe = ends[1];
}

// Ended before the server is, so it never signals a process id that the
// server's end has freed.
void PrivateServer::stopWatchdog() {
    if (m_watchdog <= 0) {
        return;
    }
    ::kill(m_watchdog, SIGKILL);
    int status = 0;
    while (::waitpid(m_watchdog, &status, 0) < 0 && errno == EINTR) {
    }
    ::close(m_watchdogPipe);
    m_watchdog = -1;
    m_watchdogPipe = -1;
}

void PrivateServer::stop() {
    stopWatchdog();
    if (m_postmaster <= 0) {
        return;
    }
    // Immediate shutdown: the children quit at once, nothing is flushed.
    ::kill(m_postmaster, SIGQUIT);
    int status = 0;
    while (::waitpid(m_postmaster, &status, 0) < 0 && errno == EINTR) {
    }
    m_postmaster = -1;
}
