// The signal thread: sigwait on the blocked stop signals, then the stop flag and the caller's wake-up.
#include "capture/stop.h"

#include <atomic>
#include <csignal>
#include <thread>

static std::atomic<int> received{0};

void watchStopSignals(void (*onStop)()) {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT); // taken even when a shell's "&" ignores it, so that kill -INT stops it
    sigaddset(&signals, SIGTERM);
    struct sigaction hangup;
    if (sigaction(SIGHUP, nullptr, &hangup) != 0 || hangup.sa_handler != SIG_IGN)
        sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread([signals, onStop] {
        int s = 0;
        while (sigwait(&signals, &s) != 0) {
        }
        received = s;
        onStop();
    }).detach();
}

int stopSignal() {
    return received.load();
}
