#include "support/SynchronizeUnit.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// A slice bounds how long a main-thread wait sleeps without a wake-up, in case a condition changes without
// one.
constexpr auto WaitSlice = std::chrono::milliseconds(20);

struct QueuedWork {
    const std::function<void()>* work = nullptr;
    std::exception_ptr error;
    bool done = false;
};

struct WorkQueue {
    std::mutex mutex;
    std::condition_variable mainWake; // the main thread's waits sleep on this
    std::condition_variable workDone; // the handing threads sleep on this
    std::deque<QueuedWork*> items;
};

WorkQueue& Queue()
{
    static WorkQueue queue;
    return queue;
}

// Static initialisation runs on the thread that starts the process.
const std::thread::id MainThreadId = std::this_thread::get_id();

void PostQueueRunToEventLoop()
{
    if (QCoreApplication* application = QCoreApplication::instance())
        QMetaObject::invokeMethod(
            application, [] { RunMainThreadQueue(); }, Qt::QueuedConnection);
}

QueuedWork* TakeNext(WorkQueue& queue)
{
    std::lock_guard lock(queue.mutex);
    if (queue.items.empty())
        return nullptr;
    QueuedWork* next = queue.items.front();
    queue.items.pop_front();
    return next;
}

} // namespace

bool IsMainThread()
{
    return std::this_thread::get_id() == MainThreadId;
}

void Synchronize(const std::function<void()>& fn)
{
    if (IsMainThread()) {
        fn();
        return;
    }
    WorkQueue& queue = Queue();
    QueuedWork item;
    item.work = &fn;
    {
        std::lock_guard lock(queue.mutex);
        queue.items.push_back(&item);
    }
    queue.mainWake.notify_all();
    PostQueueRunToEventLoop();
    {
        std::unique_lock lock(queue.mutex);
        queue.workDone.wait(lock, [&] { return item.done; });
    }
    if (item.error)
        std::rethrow_exception(item.error);
}

int RunMainThreadQueue()
{
    if (!IsMainThread())
        return 0;
    WorkQueue& queue = Queue();
    int count = 0;
    while (QueuedWork* item = TakeNext(queue)) {
        std::exception_ptr error;
        try {
            (*item->work)();
        } catch (...) {
            error = std::current_exception();
        }
        {
            std::lock_guard lock(queue.mutex);
            // Handed over whole, so the handing thread alone owns the error from here on.
            item->error = std::move(error);
            item->done = true;
        }
        queue.workDone.notify_all();
        ++count;
    }
    return count;
}

void WakeMainThread()
{
    WorkQueue& queue = Queue();
    {
        // Taking the lock orders this wake-up after a waiter's test of its condition.
        std::lock_guard lock(queue.mutex);
    }
    queue.mainWake.notify_all();
}

bool WaitRunningMainThreadQueue(const std::function<bool()>& condition, int timeoutMs)
{
    WorkQueue& queue = Queue();
    const bool forever = timeoutMs < 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(forever ? 0 : timeoutMs);
    const bool runQueue = IsMainThread();
    std::unique_lock lock(queue.mutex);
    for (;;) {
        if (runQueue && !queue.items.empty()) {
            lock.unlock();
            RunMainThreadQueue();
            lock.lock();
            continue;
        }
        if (condition())
            return true;
        const auto now = Clock::now();
        if (!forever && now >= deadline)
            return false;
        const auto wakeAt = forever ? now + WaitSlice : std::min(deadline, now + WaitSlice);
        queue.mainWake.wait_until(lock, wakeAt);
    }
}
