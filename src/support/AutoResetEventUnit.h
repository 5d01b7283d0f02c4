#pragma once
// An auto-reset event: a successful wait takes the event and clears it, setting it releases one waiter.
// The driver uses two of them as locks with timed waits.

#include <condition_variable>
#include <mutex>

class TAutoResetEvent {
public:
    explicit TAutoResetEvent(bool initiallySet = true);
    TAutoResetEvent(const TAutoResetEvent&) = delete;
    TAutoResetEvent& operator=(const TAutoResetEvent&) = delete;

    // Takes the event within timeoutMs (negative: for ever); false on time-out. On the main thread the
    // main-thread queue runs while it waits.
    bool WaitFor(int timeoutMs);
    void SetEvent();
    void ResetEvent();

private:
    bool TryTake();

    std::mutex mutex;
    std::condition_variable changed;
    bool isSet;
};
