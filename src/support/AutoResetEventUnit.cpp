#include "support/AutoResetEventUnit.h"

#include "support/SynchronizeUnit.h"

#include <chrono>

TAutoResetEvent::TAutoResetEvent(bool initiallySet)
    : isSet(initiallySet)
{
}

bool TAutoResetEvent::TryTake()
{
    std::lock_guard lock(mutex);
    const bool taken = isSet;
    isSet = false;
    return taken;
}

bool TAutoResetEvent::WaitFor(int timeoutMs)
{
    if (IsMainThread())
        return WaitRunningMainThreadQueue([this] { return TryTake(); }, timeoutMs);
    std::unique_lock lock(mutex);
    const auto ready = [this] { return isSet; };
    if (timeoutMs < 0)
        changed.wait(lock, ready);
    else if (!changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready))
        return false;
    isSet = false;
    return true;
}

void TAutoResetEvent::SetEvent()
{
    {
        std::lock_guard lock(mutex);
        isSet = true;
    }
    changed.notify_one();
    WakeMainThread();
}

void TAutoResetEvent::ResetEvent()
{
    std::lock_guard lock(mutex);
    isSet = false;
}
