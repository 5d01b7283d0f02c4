#pragma once
// The main-thread work queue. Worker threads hand work to the main thread with Synchronize and block until it
// has run there. The main thread runs the queue from its Qt event loop (a queued call wakes it) and from
// every wait inside the driver, which waits in short slices and runs only this queue between them: a squelch
// report is thereby handled nested inside any driver call made on the main thread, and nothing else is.

#include <functional>

// True on the thread that started the process (the one that runs main and the Qt event loop).
bool IsMainThread();

// Runs fn on the main thread and returns when it has finished; an exception thrown by fn is rethrown here.
// On the main thread itself fn runs at once.
void Synchronize(const std::function<void()>& fn);

// Runs every queued item in arrival order, also items queued while it runs; returns how many ran.
// Does nothing off the main thread.
int RunMainThreadQueue();

// Wakes the main thread's waits so that they test their condition again.
void WakeMainThread();

// Waits until condition() holds or timeoutMs have passed (a negative time-out waits for ever); returns
// whether the condition held. On the main thread the queue runs meanwhile. The condition is tested under the
// queue's lock, so it must be short and must not wait itself; whatever makes it true calls WakeMainThread
// afterwards.
bool WaitRunningMainThreadQueue(const std::function<bool()>& condition, int timeoutMs);
