// The receiver lost in the middle of a retrieval: the whole program in this process (the start-up of the
// executable, offscreen), the simulated receiver paced at 19200 baud behind a link, as a device path that
// survives a restart would be. The failure reaches the event log, the bracket is undone so the editors work,
// and a later Find locates the receiver once it is back. Run by scripts/faults.

#include "ProgramFixture.h"
#include "app/DataModuleUnit.h"
#include "app/EventLogFormUnit.h"
#include "app/SplashFormUnit.h"
#include "app/VarnockApplicationUnit.h"
#include "monitor/MainFormUnit.h"
#include "receiver/DBAOR8200Unit.h"
#include "support/ProgramFilesUnit.h"
#include "support/RadioGroupUnit.h"
#include "tables/ScanBankMemoriesFormUnit.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <thread>

namespace {
SimulatorOptions PacedReceiver()
{
    SimulatorOptions options;
    options.pace = true;
    options.resortMs = 0;
    return options;
}

int Count(const ReceiverSimulator& simulator, const QByteArray& prefix)
{
    int count = 0;
    for (const QByteArray& command : simulator.ReceivedCommands())
        count += command.startsWith(prefix) ? 1 : 0;
    return count;
}

// Triggers the action from the event loop, as a click would, so that what it throws reaches the
// application's handler; any message box it leaves open is answered.
void TriggerAsTheUserWould(QAction* action)
{
    bool done = false;
    QTimer::singleShot(0, action, [action, &done] {
        QTimer answerer;
        QObject::connect(&answerer, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                AnswerNegatively(modal);
        });
        answerer.start(5000);
        struct Done {
            bool& flag;
            ~Done() { flag = true; }
        } mark {done};
        action->trigger();
    });
    QTRY_VERIFY_WITH_TIMEOUT(done, 180000);
    QTest::qWait(100);
}

QStringList RedLinesSince(std::size_t first)
{
    QStringList red;
    const std::vector<EventLogLine> lines = EventLogForm->Lines();
    for (std::size_t i = first; i < lines.size(); ++i) {
        if (lines[i].colour == clRed)
            red << lines[i].text;
    }
    return red;
}
} // namespace

class RetrievalFaultE2E : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void receiverLostDuringRetrieval()
    {
        TProgramFolder folder;
        QVERIFY(folder.IsValid());
        const QString link = folder.Path("receiver");
        auto simulator = std::make_unique<ReceiverSimulator>(PacedReceiver());
        QVERIFY(QFile::link(simulator->DevicePath(), link));
        folder.SetOption(QStringLiteral("SerialPortDevices"), link);
        SetExecutablePathForTesting(folder.Path("Varnock"));

        TVarnockApplication* application = VarnockApp();
        application->CreateForms();
        QVERIFY(VarnockMainForm && VarnockMainForm->Driver);
        QCOMPARE(Count(*simulator, "LC1"), 1);
        const std::size_t logged = EventLogForm->Lines().size();

        // The receiver goes away after a few dozen memories have been read.
        QElapsedTimer sinceLoss;
        std::thread puller([&] {
            for (int i = 0; i < 3000 && Count(*simulator, "MR") < 40; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            simulator->Stop();
            sinceLoss.start();
        });
        TriggerAsTheUserWould(VarnockMainForm->RetrieveAllInfoFromRadioAction);
        puller.join();
        QVERIFY(sinceLoss.isValid());
        const QStringList red = RedLinesSince(logged);
        std::printf(
            "faults: receiver lost after %d memory reads; the retrieval ended %lld ms later with %lld red "
            "lines, the last: %s\n",
            Count(*simulator, "MR"), sinceLoss.elapsed(), red.size(), qPrintable(red.value(red.size() - 1)));
        std::fflush(stdout);
        QVERIFY2(!red.isEmpty(), "the failure was not logged");

        // The bracket is undone: no hourglass, no progress window, the copy switch as before.
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QVERIFY(!SplashForm->isVisible());
        QVERIFY(VarnockMainForm->Driver->UseDatabaseCopy);
        // The receiver is back, on a new terminal behind the same link; Find locates it.
        simulator = std::make_unique<ReceiverSimulator>(PacedReceiver());
        QVERIFY(QFile::remove(link));
        QVERIFY(QFile::link(simulator->DevicePath(), link));
        TriggerAsTheUserWould(VarnockMainForm->FindAOR8200Action);
        QCOMPARE(Count(*simulator, "LC1"), 1);
        QCOMPARE(VarnockMainForm->Driver->GetCommPortNumber(), 1);

        // And the editor works with it again.
        try {
            ScanBankMemoriesForm->ShowBank('A');
            QVERIFY(ScanBankMemoriesForm->isVisible());
            QCOMPARE(ScanBankMemoriesForm->SelectedBank(), 'A');
            ScanBankMemoriesForm->ScanMemoriesRadioGroup->setItemIndex(3);
            ScanBankMemoriesForm->ScanMemoriesRadioGroupClick();
        } catch (const std::exception& error) {
            QFAIL(error.what());
        }
        QCOMPARE(ScanBankMemoriesForm->ScanBankLabel->text(), QStringLiteral("A"));
        QCOMPARE(ScanBankMemoriesForm->ScanChannelLabel->text(), QStringLiteral("03"));
        QVERIFY(RedLinesSince(logged).size() == red.size());

        application->DestroyForms();
    }
};

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // No sound server: capture fails with its logged line and the program goes on, as it would at a user's.
    qputenv("PULSE_SERVER", "unix:/nonexistent/varnock-no-server");
    TVarnockApplication application(argc, argv);
    RetrievalFaultE2E test;
    return QTest::qExec(&test, argc, argv);
}

#include "RetrievalFaultE2E.moc"
