#pragma once
// A thread object in the manner the driver needs: Execute runs on its own thread, Terminate asks it to stop,
// WaitFor joins it (on the main thread while running the main-thread queue, so a thread blocked in
// Synchronize can finish).

#include <atomic>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

class TThread {
public:
    TThread() = default;
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;
    // Asks the thread to terminate and joins it when it was started and not yet waited for.
    virtual ~TThread();

    void Start();
    void Terminate();
    bool Terminated() const { return terminated.load(); }
    bool Finished() const { return finished.load(); }
    // Joins the thread and returns ReturnValue.
    int WaitFor();
    // What Execute threw, if anything; the thread ends quietly either way.
    std::exception_ptr FatalException() const { return fatalException; }

protected:
    virtual void Execute() = 0;
    // Sleeps for ms or until Terminate is called; returns false when terminated.
    bool SleepUnlessTerminated(int ms);
    void SetReturnValue(int value) { returnValue = value; }

private:
    void Run();

    std::thread thread;
    std::atomic<bool> terminated {false};
    std::atomic<bool> finished {false};
    std::mutex sleepMutex;
    std::condition_variable sleepWake;
    std::exception_ptr fatalException;
    int returnValue = 0;
};

// When a thread is there: asks it to terminate, waits for it to end, frees it and clears the reference.
// Returns its exit code (0 when there was no thread).
template <class T> int TerminateAndFreeThread(std::unique_ptr<T>& thread)
{
    if (!thread)
        return 0;
    thread->Terminate();
    const int exitCode = thread->WaitFor();
    thread.reset();
    return exitCode;
}
