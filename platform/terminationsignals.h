// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

class QSocketNotifier;

namespace nomix {

// Turns SIGTERM and SIGINT (a logout, a service manager, Ctrl+C in the
// terminal that started the program) into a Qt signal on the user-interface
// thread, so the program can close as its Exit command does instead of
// dying with the searches of the session unsaved. One instance at a time; it
// gives the signals their default handling back when it goes.
class TerminationSignals : public QObject {
    Q_OBJECT

  public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

  signals:
    void received(int signalNumber);

  private:
    void readPendingSignal();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace nomix
