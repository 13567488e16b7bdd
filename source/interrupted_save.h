// A save interrupted by Ctrl-C, SIGTERM or SIGHUP: the temporary file it was
// writing (as large as the source, which can be hundreds of megabytes) is
// removed before the process ends with the signal's usual status.
//
// The writer registers the temporary file's name while the file holds only
// a copy in the making, and forgets it before the file takes the target's
// place or becomes the backup of a target overwritten in place (which must
// outlive the process). The handler only reads a fixed buffer, unlinks and
// raises the signal again with its default action: async-signal-safe.
#pragma once

#include <csignal>
#include <string>

// Installs the handlers for SIGINT, SIGTERM and SIGHUP. A signal that is
// ignored when the program starts (nohup, a background job) stays ignored.
// Both programs call this at start-up, beside IgnoreFileSizeSignal.
void RemoveTemporaryFileOnSignals();

// Registers the one temporary file to remove when a signal ends the process
// (replacing any registered before); a name longer than the buffer is not
// registered. ForgetTemporaryFile: nothing is to be removed any more.
void RegisterTemporaryFile(const std::string& path);
void ForgetTemporaryFile();

// The name registered now; empty when none (for tests).
std::string RegisteredTemporaryFile();

// Holds SIGINT, SIGTERM and SIGHUP back in this thread while it lives; one
// that comes meanwhile is delivered when it ends. The writer holds them
// while it makes and registers a temporary file, and while it forgets one
// and exchanges it into the target's place: a signal then finds neither a
// file made but not yet registered, nor a copy forgotten but still beside
// the target.
// While a CSignalsDeferred lives (the writer's Commit), SIGINT, SIGTERM and
// SIGHUP no longer end the process: the handler only notes the signal, and
// the save runs to its end, so that the file is left either as it was or
// saved, never with its fate untold. A save that did not replace the file
// then ends the process with the signal at once (nothing of it is left); a
// save that did keeps signals put off (Keep) until the front end has
// reported it and asks for the signal (TakeDeferredSignal, EndWithSignal).
class CSignalsDeferred {
public:
    CSignalsDeferred();
    ~CSignalsDeferred();
    // Signals stay put off after this object, until TakeDeferredSignal;
    // only where the handlers are installed (a front end that asks).
    void Keep();
    CSignalsDeferred(const CSignalsDeferred&) = delete;
    CSignalsDeferred& operator=(const CSignalsDeferred&) = delete;

private:
    bool m_bKept = false;
};

// Ends the putting off of signals; the signal put off meanwhile, 0 when
// none (it is then forgotten).
int TakeDeferredSignal();
// The signal put off so far, 0 when none; signals stay put off, as for a
// run about to end that reports one.
int DeferredSignal();

// Ends the process as nSignal ends it by default.
[[noreturn]] void EndWithSignal(int nSignal);

class CSignalsHeld {
public:
    CSignalsHeld();
    ~CSignalsHeld();
    CSignalsHeld(const CSignalsHeld&) = delete;
    CSignalsHeld& operator=(const CSignalsHeld&) = delete;

private:
#if !defined(_WIN32)
    sigset_t m_previous{};
    bool m_bHeld = false;
#endif
};
