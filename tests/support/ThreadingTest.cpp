// The main-thread work queue, the auto-reset event and the thread object the driver is built on.

#include "support/AutoResetEventUnit.h"
#include "support/SynchronizeUnit.h"
#include "support/ThreadUnit.h"

#include <QElapsedTimer>
#include <QTest>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

class FunctionThread : public TThread {
public:
    explicit FunctionThread(std::function<void(FunctionThread&)> body)
        : body(std::move(body))
    {
    }
    using TThread::SetReturnValue;
    using TThread::SleepUnlessTerminated;

protected:
    void Execute() override { body(*this); }

private:
    std::function<void(FunctionThread&)> body;
};

} // namespace

class ThreadingTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void synchronizeRunsOnTheMainThreadInOrderAndPassesErrorsBack()
    {
        std::vector<int> order;
        std::atomic<int> mainThreadRuns {0};
        std::string error;
        std::thread worker([&] {
            for (int i = 0; i < 3; ++i)
                Synchronize([&, i] {
                    order.push_back(i);
                    mainThreadRuns += IsMainThread() ? 1 : 0;
                });
            try {
                Synchronize([] { throw std::runtime_error("from the main thread"); });
            } catch (const std::runtime_error& e) {
                error = e.what();
            }
        });
        QTRY_COMPARE(order.size(), std::size_t(3)); // the event loop runs the queue
        worker.join();
        QCOMPARE(order, (std::vector<int> {0, 1, 2}));
        QCOMPARE(mainThreadRuns.load(), 3);
        QCOMPARE(error, std::string("from the main thread"));
        bool ranAtOnce = false;
        Synchronize([&] { ranAtOnce = true; }); // on the main thread itself: no queue
        QVERIFY(ranAtOnce);
    }

    void autoResetEventIsALockWithTimedWaits()
    {
        TAutoResetEvent event(true);
        QVERIFY(event.WaitFor(0));
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!event.WaitFor(100)); // taken: the second wait times out
        QVERIFY(timer.elapsed() >= 95);
        std::atomic<bool> workerTook {false};
        std::thread worker([&] { workerTook = event.WaitFor(2000); });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        event.SetEvent(); // releases exactly one waiter
        worker.join();
        QVERIFY(workerTook);
        QVERIFY(!event.WaitFor(0));
    }

    void mainThreadWaitRunsOnlyTheQueue()
    {
        TAutoResetEvent event(false);
        bool postedEventRan = false;
        bool queuedWorkRan = false;
        QMetaObject::invokeMethod(
            this, [&] { postedEventRan = true; }, Qt::QueuedConnection);
        std::thread worker([&] {
            Synchronize([&] { queuedWorkRan = true; });
            event.SetEvent();
        });
        QVERIFY(event.WaitFor(5000)); // would deadlock if the wait did not run the queue
        worker.join();
        QVERIFY(queuedWorkRan);
        QVERIFY(!postedEventRan); // the general event loop did not run
        QTRY_VERIFY(postedEventRan);
    }

    void terminateAndFreeThread()
    {
        std::unique_ptr<FunctionThread> thread = std::make_unique<FunctionThread>([](FunctionThread& self) {
            while (self.SleepUnlessTerminated(10000)) { }
            Synchronize([] {}); // a last hand-over while the main thread is waiting for the end
            self.SetReturnValue(7);
        });
        thread->Start();
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(TerminateAndFreeThread(thread), 7);
        QVERIFY(timer.elapsed() < 2000); // the sleep ends at Terminate
        QVERIFY(!thread);
        QCOMPARE(TerminateAndFreeThread(thread), 0);
    }
};

QTEST_GUILESS_MAIN(ThreadingTest)
#include "ThreadingTest.moc"
