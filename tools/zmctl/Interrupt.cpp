#include "Interrupt.h"

#include "UsageError.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <pthread.h>
#include <thread>

namespace {

std::atomic<int> g_signal{0};

std::mutex g_lastWordsMutex;
std::function<std::vector<std::string>()> g_lastWords;

//! Gives the queued requests a moment to leave, then names those that did
//! not. Signal thread.
void SayLastWords()
{
    std::lock_guard lock(g_lastWordsMutex);
    if (!g_lastWords)
        return;
    const auto deadline = std::chrono::steady_clock::now() + kForcedEndGrace;
    std::vector<std::string> notSent = g_lastWords();
    while (!notSent.empty() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        notSent = g_lastWords();
    }
    for (const std::string& request : notSent)
        std::fprintf(stderr, "zmctl: error: request %s did not leave the output port\n", request.c_str());
}

void WaitForSignals(sigset_t set)
{
    std::chrono::steady_clock::time_point first{};
    for (;;) {
        int signal = 0;
        if (sigwait(&set, &signal) != 0)
            continue;
        const auto now = std::chrono::steady_clock::now();
        const int earlier = g_signal.exchange(signal);
        if (earlier == 0) {
            first = now;
            continue;
        }
        if (signal == earlier && now - first < kRepeatWindow)
            continue;
        // Asked again: whatever holds the program up, stop now.
        SayLastWords();
        std::signal(signal, SIG_DFL);
        pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
        std::raise(signal);
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
    sigaddset(&set, SIGHUP);
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
        throw CCommandError(128 + signal, signal == SIGINT ? "interrupted" : signal == SIGHUP ? "hung up" : "terminated");
}

void SetLastWords(std::function<std::vector<std::string>()> notSent)
{
    std::lock_guard lock(g_lastWordsMutex);
    g_lastWords = std::move(notSent);
}
