#include "interrupted_save.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if !defined(_WIN32)
#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace {

constexpr std::size_t kPathBuffer = 4096;

// Written only outside the handler: the flag is cleared before the buffer
// changes and set once it holds a whole name, so the handler never reads a
// name half written.
char g_szTemporary[kPathBuffer];
volatile std::sig_atomic_t g_bRegistered = 0;
// While a save finishes, a signal is only noted (CSignalsDeferred).
volatile std::sig_atomic_t g_bDeferring = 0;
volatile std::sig_atomic_t g_nDeferred = 0;
bool g_bInstalled = false;  // RemoveTemporaryFileOnSignals was called

constexpr int kSignals[] = {
    SIGINT,
    SIGTERM,
#if defined(SIGHUP)
    SIGHUP,
#endif
};

// Gives the signal its default action again (async-signal-safe).
void RestoreDefault(int nSignal)
{
#if defined(_WIN32)
    std::signal(nSignal, SIG_DFL);
#else
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(nSignal, &action, nullptr);
#endif
}

extern "C" void RemoveTemporaryAndEnd(int nSignal)
{
    if (g_bDeferring != 0) {
        g_nDeferred = nSignal;
        return;
    }
    if (g_bRegistered != 0) {
#if defined(_WIN32)
        std::remove(g_szTemporary);
#else
        unlink(g_szTemporary);
#endif
    }
    // The default action: the process ends as the signal ends it, once the
    // handler has returned and the signal is no longer blocked.
    RestoreDefault(nSignal);
    std::raise(nSignal);
}

}  // namespace

void RemoveTemporaryFileOnSignals()
{
    g_bInstalled = true;
    for (const int nSignal : kSignals) {
#if defined(_WIN32)
        std::signal(nSignal, RemoveTemporaryAndEnd);
#else
        struct sigaction current {};
        if (sigaction(nSignal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN)
            continue;
        struct sigaction action {};
        action.sa_handler = RemoveTemporaryAndEnd;
        sigemptyset(&action.sa_mask);
        for (const int nOther : kSignals)
            sigaddset(&action.sa_mask, nOther);  // one handler at a time
        action.sa_flags = SA_RESTART;
        sigaction(nSignal, &action, nullptr);
#endif
    }
}

void RegisterTemporaryFile(const std::string& path)
{
    g_bRegistered = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    if (path.size() >= kPathBuffer)
        return;
    std::memcpy(g_szTemporary, path.c_str(), path.size() + 1);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    g_bRegistered = 1;
}

void ForgetTemporaryFile()
{
    g_bRegistered = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
}

std::string RegisteredTemporaryFile()
{
    return g_bRegistered != 0 ? std::string(g_szTemporary) : std::string();
}

CSignalsDeferred::CSignalsDeferred()
{
    g_bDeferring = 1;
    std::atomic_signal_fence(std::memory_order_seq_cst);
}

CSignalsDeferred::~CSignalsDeferred()
{
    std::atomic_signal_fence(std::memory_order_seq_cst);
    if (!m_bKept)
        g_bDeferring = 0;
}

void CSignalsDeferred::Keep()
{
    m_bKept = g_bInstalled;
}

int DeferredSignal()
{
    return g_nDeferred;
}

int TakeDeferredSignal()
{
    g_bDeferring = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    const int nSignal = g_nDeferred;
    g_nDeferred = 0;
    return nSignal;
}

void EndWithSignal(int nSignal)
{
    RestoreDefault(nSignal);
#if !defined(_WIN32)
    sigset_t unblocked;
    sigemptyset(&unblocked);
    sigaddset(&unblocked, nSignal);
    pthread_sigmask(SIG_UNBLOCK, &unblocked, nullptr);
#endif
    std::raise(nSignal);
    std::_Exit(128 + nSignal);  // should the signal not end it
}

#if defined(_WIN32)

CSignalsHeld::CSignalsHeld() = default;
CSignalsHeld::~CSignalsHeld() = default;

#else

CSignalsHeld::CSignalsHeld()
{
    sigset_t held;
    sigemptyset(&held);
    for (const int nSignal : kSignals)
        sigaddset(&held, nSignal);
    m_bHeld = pthread_sigmask(SIG_BLOCK, &held, &m_previous) == 0;
}

// Keeps errno: the caller may still be about to read the reason of a call
// made while the signals were held.
CSignalsHeld::~CSignalsHeld()
{
    const int nError = errno;
    if (m_bHeld)
        pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
    errno = nError;
}

#endif
