#include "support/ThreadUnit.h"

#include "support/SynchronizeUnit.h"

#include <chrono>

TThread::~TThread()
{
    if (thread.joinable()) {
        Terminate();
        WaitFor();
    }
}

void TThread::Start()
{
    thread = std::thread([this] { Run(); });
}

void TThread::Run()
{
    try {
        Execute();
    } catch (...) {
        fatalException = std::current_exception();
    }
    finished.store(true);
    WakeMainThread();
}

void TThread::Terminate()
{
    {
        std::lock_guard lock(sleepMutex);
        terminated.store(true);
    }
    sleepWake.notify_all();
}

int TThread::WaitFor()
{
    if (!thread.joinable())
        return returnValue;
    if (IsMainThread())
        WaitRunningMainThreadQueue([this] { return finished.load(); }, -1);
    thread.join();
    return returnValue;
}

bool TThread::SleepUnlessTerminated(int ms)
{
    std::unique_lock lock(sleepMutex);
    return !sleepWake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return terminated.load(); });
}
