// SPDX-License-Identifier: MIT
// The sanitizer run of the suite is only worth its time if a fault of ours
// still fails it: third-party leaks are suppressed there, and a careless
// suppression could hide ours as well. Each case makes a child process
// commit one fault in our own code, under the environment the tests run
// with, and expects it to be reported and to end the child with a failure.

#include <QTest>

#include <climits>
#include <cstdlib>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

__attribute__((noinline)) void leakOnPurpose() {
    char* volatile block = new char[4096];
    block[0] = 1;
    block = nullptr;
}

volatile int gLargest = INT_MAX;

__attribute__((noinline)) int overflowOnPurpose() {
    const int value = gLargest;
    return value + 1;
}

struct ChildEnd {
    bool cleanExit = false;
    QByteArray errorOutput;
};

// Runs `fault` in a child that then exits normally, so leak checking runs.
ChildEnd runChild(const std::function<void()>& fault) {
    ChildEnd end;
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) {
        return end;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        ::dup2(pipeEnds[1], STDERR_FILENO);
        fault();
        std::exit(0);
    }
    ::close(pipeEnds[1]);
    char buffer[4096];
    for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
        end.errorOutput.append(buffer, got);
    }
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    end.cleanExit = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return end;
}

} // namespace

class TestSanitizers : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        if (!kSanitized) {
            QSKIP("only the sanitizer build checks this");
        }
    }

    void ourLeakFails() {
        const ChildEnd end = runChild(leakOnPurpose);
        QVERIFY2(!end.cleanExit, end.errorOutput.constData());
        QVERIFY2(end.errorOutput.contains("LeakSanitizer: detected memory leaks"),
                 end.errorOutput.constData());
        QVERIFY2(end.errorOutput.contains("leakOnPurpose"), end.errorOutput.constData());
    }

    void ourUndefinedBehaviourFails() {
        const ChildEnd end = runChild([] { overflowOnPurpose(); });
        QVERIFY2(!end.cleanExit, end.errorOutput.constData());
        QVERIFY2(end.errorOutput.contains("runtime error: signed integer overflow"),
                 end.errorOutput.constData());
    }
};

QTEST_APPLESS_MAIN(TestSanitizers)
#include "tst_sanitizers.moc"
