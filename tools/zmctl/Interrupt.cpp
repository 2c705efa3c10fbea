#include "Interrupt.h"

#include "UsageError.h"

#include <atomic>
#include <csignal>
#include <pthread.h>
#include <thread>

namespace {

std::atomic<int> g_signal{0};

void WaitForSignals(sigset_t set)
{
    for (;;) {
        int signal = 0;
        if (sigwait(&set, &signal) != 0)
            continue;
        if (g_signal.exchange(signal) != 0) {
            // Asked twice: whatever holds the program up, stop now.
            std::signal(signal, SIG_DFL);
            pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
            std::raise(signal);
        }
    }
}

} // namespace

void InstallInterruptHandling()
{
    std::signal(SIGPIPE, SIG_IGN);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    // Blocked here, in the only thread so far: every thread started later
    // inherits the mask, and only the waiter below takes the signals.
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::thread(WaitForSignals, set).detach();
}

int PendingInterrupt() noexcept
{
    return g_signal.load(std::memory_order_relaxed);
}

void ThrowIfInterrupted()
{
    if (const int signal = PendingInterrupt())
        throw CCommandError(128 + signal, signal == SIGINT ? "interrupted" : "terminated");
}
