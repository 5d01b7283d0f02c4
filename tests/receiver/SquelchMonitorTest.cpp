#include "PtyReceiver.h"
#include "receiver/AOR8200Unit.h"
#include "support/SynchronizeUnit.h"

#include <QElapsedTimer>
#include <QTest>

#include <memory>

namespace {

struct Call {
    bool open;
    int level;
    int frequency;
    bool search;
    char bank;
    int channel;
    bool onMainThread;
};

QString Describe(const Call& c)
{
    return QStringLiteral("%1 %2 %3 %4 %5 %6")
        .arg(c.open ? "open" : "close")
        .arg(c.level)
        .arg(c.search ? "search" : "memory")
        .arg(QLatin1Char(c.bank))
        .arg(c.channel)
        .arg(c.frequency);
}

// A driver on a pseudo-terminal with a handler that records every delivered report.
struct MonitorRig {
    MonitorRig()
    {
        SetSerialPortTable({receiver.DevicePath()});
        driver = std::make_unique<TAOR8200>();
        driver->SetCommPortNumber(1);
        driver->SetOnAOR8200Squelch([this](TAOR8200*, bool open, std::uint8_t level, std::int32_t frequency,
                                        bool search, char bank, std::int32_t channel) {
            calls.push_back({open, level, frequency, search, bank, channel, IsMainThread()});
            if (onCall)
                onCall();
        });
    }
    ~MonitorRig()
    {
        driver.reset();
        SetSerialPortTable({});
    }
    QStringList Delivered() const
    {
        QStringList lines;
        for (const Call& c : calls)
            lines << Describe(c);
        return lines;
    }
    PtyReceiver receiver;
    std::unique_ptr<TAOR8200> driver;
    std::vector<Call> calls; // main thread only
    std::function<void()> onCall;
};

} // namespace

class SquelchMonitorTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("report");
        QTest::newRow("closed memory") << "LC%012 MXA05\r\n" << true << "close 12 memory A 5 0";
        QTest::newRow("open search") << "LC123 SRb RF0145500000\r\n"
                                     << true << "open 123 search b -1 145500000";
        QTest::newRow("open memory") << "LC200 MXj49 RF0118100000\r\n"
                                     << true << "open 200 memory j 49 118100000";
        QTest::newRow("open without blank") << "LC123 MXA05\r\n" << false << "";
        QTest::newRow("blank but no RF") << "LC123 MXA05 \r\n" << true << "close 123 memory A 5 0";
        QTest::newRow("level 300") << "LC%300 MXA05\r\n" << true << "close 44 memory A 5 0";
        QTest::newRow("bank K") << "LC%012 MXK05\r\n" << false << "";
        QTest::newRow("bank U") << "LC%012 SRU\r\n" << false << "";
        QTest::newRow("search t") << "LC%001 SRt\r\n" << true << "close 1 search t -1 0";
        QTest::newRow("short frequency") << "LC123 SRb RF01455\r\n" << false << "";
        QTest::newRow("bad level") << "LC%0x2 MXA05\r\n" << false << "";
        QTest::newRow("short level") << "LC%1" << false << "";
        QTest::newRow("bad source") << "LC%012 XXA05\r\n" << false << "";
        QTest::newRow("bad channel") << "LC%012 MXA5x\r\n" << false << "";
        QTest::newRow("not a report") << "?\r\n" << false << "";
        QTest::newRow("rest not examined") << "LC%012 MXA05junk\r\n" << true << "close 12 memory A 5 0";
    }
    void parse()
    {
        QFETCH(QString, line);
        QFETCH(bool, valid);
        QFETCH(QString, report);
        TSquelchReport r;
        QCOMPARE(ParseSquelchReport(line, r), valid);
        if (valid)
            QCOMPARE(
                Describe({r.SquelchOpen, r.SignalLevel, r.Frequency, r.IsSearch, r.Bank, r.Channel, true}),
                report);
    }

    void deliversInOrderOnTheMainThread_data()
    {
        QTest::addColumn<QByteArrayList>("writes");
        QTest::addColumn<QStringList>("delivered");
        const QString closeA5 = "close 12 memory A 5 0";
        const QString openB = "open 123 search b -1 145500000";
        QTest::newRow("one") << QByteArrayList {"LC%012 MXA05\r\n"} << QStringList {closeA5};
        QTest::newRow("two in one write")
            << QByteArrayList {"LC123 SRb RF0145500000\r\nLC%012 MXA05\r\n"} << QStringList {openB, closeA5};
        QTest::newRow("split across reads")
            << QByteArrayList {"LC123 SRb RF01", "45500000\r\n"} << QStringList {openB};
        QTest::newRow("garbage and flow control")
            << QByteArrayList {"\x13\x11junk\r\n?\r\nLC%012 MX", "A05\r\n\x13"} << QStringList {closeA5};
        QTest::newRow("invalid line skipped")
            << QByteArrayList {"LC123 MXA05\r\nLC%012 MXA05\r\n"} << QStringList {closeA5};
        QTest::newRow("3000 characters without CR LF") << QByteArrayList {QByteArray(1000, 'x'),
            QByteArray(1000, 'x'), QByteArray(1000, 'x'), "LC%012 MXA05\r\n"}
                                                       << QStringList {closeA5};
    }
    void deliversInOrderOnTheMainThread()
    {
        QFETCH(QByteArrayList, writes);
        QFETCH(QStringList, delivered);
        MonitorRig rig;
        for (const QByteArray& bytes : writes) {
            rig.receiver.Emit(bytes);
            QTest::qWait(250); // more than one monitor pass
        }
        QTRY_COMPARE(rig.Delivered(), delivered);
        QTest::qWait(300);
        QCOMPARE(rig.Delivered(), delivered);
        for (const Call& c : rig.calls)
            QVERIFY(c.onMainThread);
    }

    void withoutHandlerReportsAreConsumed()
    {
        MonitorRig rig;
        rig.driver->SetOnAOR8200Squelch({});
        rig.receiver.Emit("LC%012 MXA05\r\n");
        QTest::qWait(400);
        rig.driver->SetOnAOR8200Squelch(
            [&](TAOR8200*, bool, std::uint8_t level, std::int32_t, bool, char, int) {
                rig.calls.push_back({false, level, 0, false, 'A', 0, true});
            });
        rig.receiver.Emit("LC%099 MXA05\r\n");
        QTRY_COMPARE(rig.calls.size(), size_t(1));
        QCOMPARE(rig.calls[0].level, 99);
    }

    void throwingHandlerDoesNotStopTheMonitor()
    {
        MonitorRig rig;
        rig.onCall = [] { throw std::runtime_error("handler failure"); };
        rig.receiver.Emit("LC%001 MXA05\r\n");
        QTRY_COMPARE(rig.calls.size(), size_t(1));
        rig.receiver.Emit("LC%002 MXA05\r\n");
        QTRY_COMPARE(rig.calls.size(), size_t(2));
    }

    void reportHandledNestedInsideALongMainThreadCall()
    {
        MonitorRig rig;
        bool insideCall = false;
        bool nested = false;
        rig.onCall = [&] { nested = insideCall; };
        QVERIFY(rig.driver->SettingsEvent.WaitFor(0));
        std::thread holder([&] {
            rig.receiver.Emit("LC%012 MXA05\r\n");
            std::this_thread::sleep_for(std::chrono::milliseconds(1200));
            rig.driver->SettingsEvent.SetEvent();
        });
        insideCall = true;
        QCOMPARE(rig.driver->GetCommPortNumber(), std::uint8_t(1)); // waits about 1200 ms for the lock
        insideCall = false;
        holder.join();
        QCOMPARE(rig.calls.size(), size_t(1));
        QVERIFY(nested);
        QVERIFY(rig.calls[0].onMainThread);
    }

    void destroyingWhileTheMonitorWaitsToDeliver()
    {
        auto rig = std::make_unique<MonitorRig>();
        rig->receiver.Emit("LC%012 MXA05\r\n");
        // The main thread runs neither its event loop nor the queue: the monitor blocks in its hand-over.
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        QElapsedTimer timer;
        timer.start();
        rig->driver.reset();
        QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(rig->calls.size(), size_t(1));
    }

    void monitorOutlivesAVanishedReceiver()
    {
        MonitorRig rig;
        rig.receiver.Stop();
        QTest::qWait(400); // failing passes
        PtyReceiver second;
        SetSerialPortTable({rig.receiver.DevicePath(), second.DevicePath()});
        rig.driver->SetCommPortNumber(2);
        second.Emit("LC%012 MXA05\r\n");
        QTRY_COMPARE(rig.Delivered(), QStringList {"close 12 memory A 5 0"});
    }
};

QTEST_GUILESS_MAIN(SquelchMonitorTest)
#include "SquelchMonitorTest.moc"
