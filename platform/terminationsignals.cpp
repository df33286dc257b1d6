// SPDX-License-Identifier: MIT
#include "terminationsignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace nomix {

namespace {

// A signal handler may only do async-signal-safe work: it writes the signal's
// number into a socket that the event loop watches.
int g_signalSockets[2] = {-1, -1};
constexpr int kHandledSignals[] = {SIGTERM, SIGINT};

void writeSignalNumber(int signalNumber) {
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(g_signalSockets[0], &byte, 1);
}

void setHandler(int signalNumber, void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signalNumber, &action, nullptr);
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalSockets) != 0) {
        return; // the signals keep their default handling
    }
    m_notifier = new QSocketNotifier(g_signalSockets[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readPendingSignal);
    for (int signalNumber : kHandledSignals) {
        setHandler(signalNumber, writeSignalNumber);
    }
}

TerminationSignals::~TerminationSignals() {
    if (!m_notifier) {
        return;
    }
    for (int signalNumber : kHandledSignals) {
        setHandler(signalNumber, SIG_DFL);
    }
    ::close(g_signalSockets[0]);
    ::close(g_signalSockets[1]);
    g_signalSockets[0] = g_signalSockets[1] = -1;
}

void TerminationSignals::readPendingSignal() {
    unsigned char byte = 0;
    if (::read(g_signalSockets[1], &byte, 1) == 1) {
        emit received(byte);
    }
}

} // namespace nomix
