#include "PtyReceiver.h"
#include "receiver/SerialCommUnit.h"
#include "support/SynchronizeUnit.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

namespace {

SerialLineSettings ReceiverLine()
{
    SerialLineSettings settings {};
    settings.DCBlength = sizeof settings;
    BuildCommDCB(QStringLiteral("baud=19200 parity=n data=8 stop=1"), settings);
    return settings;
}

SerialTimeouts ReceiverTimeouts()
{
    SerialTimeouts timeouts;
    timeouts.ReadTotalTimeoutConstant = 1500;
    timeouts.WriteTotalTimeoutConstant = 300;
    return timeouts;
}

std::unique_ptr<SerialCommClass> OpenPort(std::uint8_t number)
{
    return std::make_unique<SerialCommClass>(number, ReceiverLine(), ReceiverTimeouts(), 254, 2048);
}

int CodeOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const ESerialCommException& e) {
        return e.code();
    }
    return 0;
}

QByteArray ReadAll(SerialCommClass& port, std::uint32_t count, std::uint32_t timeoutMs)
{
    QByteArray bytes(int(count), '\0');
    std::uint32_t got = 0;
    port.ReadWithTimeout(bytes.data(), count, got, timeoutMs);
    bytes.truncate(int(got));
    return bytes;
}

} // namespace

class SerialCommTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { SetSerialPortTable({}); }

    void buildCommDCB_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<uint>("baud");
        QTest::addColumn<int>("stopBits");
        QTest::newRow("receiver") << "baud=19200 parity=n data=8 stop=1" << true << 19200u << 1;
        QTest::newRow("two stop bits") << "baud=9600 parity=n data=8 stop=2" << true << 9600u << 2;
        QTest::newRow("unknown baud") << "baud=12345 parity=n data=8 stop=1" << false << 0u << 0;
        QTest::newRow("unknown key") << "speed=19200" << false << 0u << 0;
        QTest::newRow("no value") << "baud" << false << 0u << 0;
    }
    void buildCommDCB()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        SerialLineSettings settings {};
        QCOMPARE(BuildCommDCB(text, settings), accepted);
        if (accepted) {
            QFETCH(uint, baud);
            QFETCH(int, stopBits);
            QCOMPARE(settings.BaudRate, baud);
            QCOMPARE(int(settings.StopBits), stopBits);
            QCOMPARE(int(settings.ByteSize), 8);
            QCOMPARE(settings.Parity, 'n');
        }
    }

    void portTableMapsNumbersToDevices()
    {
        SetSerialPortTable({"/dev/a", "/dev/b"});
        QCOMPARE(SerialPortDevice(1), QStringLiteral("/dev/a"));
        QCOMPARE(SerialPortDevice(2), QStringLiteral("/dev/b"));
        QVERIFY(SerialPortDevice(3).isEmpty());
        QVERIFY(SerialPortDevice(0).isEmpty());
        SetSerialPortTable({});
        QCOMPARE(SerialPortTable(), SystemSerialDevices());
    }

    void openFailuresRaiseCodeOne_data()
    {
        QTest::addColumn<QStringList>("table");
        QTest::addColumn<int>("number");
        QTest::newRow("missing device") << QStringList {"/dev/no-such-serial-device"} << 1;
        QTest::newRow("beyond the table") << QStringList {"/dev/no-such-serial-device"} << 2;
    }
    void openFailuresRaiseCodeOne()
    {
        QFETCH(QStringList, table);
        QFETCH(int, number);
        SetSerialPortTable(table);
        try {
            OpenPort(std::uint8_t(number));
            QFAIL("opened");
        } catch (const ESerialCommException& e) {
            QCOMPARE(e.code(), 1);
            const QString message = QString::fromStdString(e.what());
            QVERIFY2(
                message.startsWith("SerialComm [0] ($Revision$) error: 1\rLastError "), qPrintable(message));
            QCOMPARE(message.count(QLatin1Char('\r')), 2);
        }
    }

    void permissionDeniedRaisesCodeOne()
    {
        if (::geteuid() == 0)
            QSKIP("root opens any device");
        PtyReceiver receiver;
        ::chmod(QFile::encodeName(receiver.DevicePath()).constData(), 0);
        SetSerialPortTable({receiver.DevicePath()});
        QCOMPARE(CodeOf([] { OpenPort(1); }), 1);
    }

    void secondOpenOfTheSameDeviceFails()
    {
        PtyReceiver receiver;
        SetSerialPortTable({receiver.DevicePath(), receiver.DevicePath()});
        auto first = OpenPort(1);
        QCOMPARE(first->PortNumber(), std::uint8_t(1));
        QCOMPARE(CodeOf([] { OpenPort(2); }), 1);
        first.reset();
        QCOMPARE(OpenPort(2)->PortNumber(), std::uint8_t(2));
    }

    void openAppliesTheLineAndCloseRestoresIt()
    {
        PtyReceiver receiver;
        SetSerialPortTable({receiver.DevicePath()});
        const int probe = ::open(QFile::encodeName(receiver.DevicePath()).constData(), O_RDWR | O_NOCTTY);
        QVERIFY(probe >= 0);
        termios before {};
        ::tcgetattr(probe, &before);
        before.c_cflag |= CSTOPB; // a pseudo-terminal keeps 8 data bits whatever it is told
        before.c_iflag |= IXON;
        cfsetispeed(&before, B9600);
        cfsetospeed(&before, B9600);
        QCOMPARE(::tcsetattr(probe, TCSANOW, &before), 0);
        {
            auto port = OpenPort(1);
            termios during {};
            ::tcgetattr(probe, &during);
            QCOMPARE(cfgetospeed(&during), speed_t(B19200));
            QCOMPARE(during.c_cflag & CSIZE, tcflag_t(CS8));
            QCOMPARE(during.c_cflag & (CSTOPB | PARENB | CRTSCTS), tcflag_t(0));
            QCOMPARE(during.c_iflag & (IXON | IXOFF), tcflag_t(0));
        }
        termios after {};
        ::tcgetattr(probe, &after);
        QCOMPARE(cfgetospeed(&after), speed_t(B9600));
        QCOMPARE(after.c_cflag & CSTOPB, tcflag_t(CSTOPB));
        QCOMPARE(after.c_iflag & IXON, tcflag_t(IXON));
        ::close(probe);
    }

    void readWithTimeoutWaitsAndKeepsTheConfiguredTimeout()
    {
        PtyReceiver receiver;
        SetSerialPortTable({receiver.DevicePath()});
        auto port = OpenPort(1);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(ReadAll(*port, 10, 150), QByteArray());
        QVERIFY2(
            timer.elapsed() >= 145 && timer.elapsed() < 600, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(port->Timeouts().ReadTotalTimeoutConstant, 1500u);

        receiver.Emit("abcdef");
        timer.restart();
        QCOMPARE(ReadAll(*port, 4, 1000), QByteArray("abcd"));
        QVERIFY(timer.elapsed() < 500); // returns at count bytes, not at the time-out
        QCOMPARE(ReadAll(*port, 4, 50), QByteArray("ef"));
    }

    void purgeDiscardsWhatHasArrived()
    {
        PtyReceiver receiver;
        SetSerialPortTable({receiver.DevicePath()});
        auto port = OpenPort(1);
        receiver.Emit("stale");
        QTRY_COMPARE(port->InQueueCount(), 5u);
        port->PurgeReceive();
        QCOMPARE(port->InQueueCount(), 0u);
        receiver.Emit("new");
        QCOMPARE(ReadAll(*port, 10, 100), QByteArray("new"));
    }

    void readAvailableReadsOnlyWhatIsQueued()
    {
        PtyReceiver receiver;
        SetSerialPortTable({receiver.DevicePath()});
        auto port = OpenPort(1);
        char buffer[8] = {};
        std::uint32_t got = 99;
        receiver.Emit("xyz");
        QTRY_COMPARE(port->InQueueCount(), 3u);
        port->ReadAvailable(buffer, sizeof buffer, got, 5); // fewer queued than wanted
        QCOMPARE(got, 0u);
        port->ReadAvailable(buffer, sizeof buffer, got, 2);
        QCOMPARE(QByteArray(buffer, int(got)), QByteArray("xy"));
        port->ReadAvailable(buffer, 1, got, 5); // capacity bounds the smaller of the two
        QCOMPARE(QByteArray(buffer, int(got)), QByteArray("z"));
    }

    void writeReachesTheLine()
    {
        PtyReceiver receiver([](const QByteArray&) { return QByteArray(); });
        SetSerialPortTable({receiver.DevicePath()});
        auto port = OpenPort(1);
        port->Write("LC1\r\n", 5);
        QTRY_COMPARE(receiver.Commands(), QList<QByteArray> {"LC1"});
    }

    void closedPortRaisesItsCodes()
    {
        PtyReceiver receiver;
        SetSerialPortTable({receiver.DevicePath()});
        auto port = OpenPort(1);
        port->Close();
        QVERIFY(!port->IsOpen());
        char buffer[4];
        std::uint32_t got = 0;
        QCOMPARE(CodeOf([&] { port->Write("x", 1); }), 6);
        QCOMPARE(CodeOf([&] { port->ReadAvailable(buffer, 4, got, 4); }), 9);
        QCOMPARE(CodeOf([&] { port->ReadWithTimeout(buffer, 4, got, 10); }), 13);
        QCOMPARE(CodeOf([&] { port->InQueueCount(); }), 15);
        QCOMPARE(CodeOf([&] { port->PurgeReceive(); }), 17);
    }

    void vanishedDeviceRaisesInsteadOfHanging()
    {
        PtyReceiver receiver;
        SetSerialPortTable({receiver.DevicePath()});
        auto port = OpenPort(1);
        receiver.Stop();
        char buffer[4];
        std::uint32_t got = 0;
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(CodeOf([&] { port->ReadWithTimeout(buffer, 4, got, 1000); }), 14);
        QCOMPARE(CodeOf([&] { port->Write("LC1\r\n", 5); }), 7);
        QVERIFY(timer.elapsed() < 500);
    }

    void eventHandlerReportsArrivalsOnTheMainThread()
    {
        PtyReceiver receiver;
        SetSerialPortTable({receiver.DevicePath()});
        auto port = OpenPort(1);
        port->SetOnCommEvent({}); // removing when none is installed does nothing
        int calls = 0;
        bool onMainThread = true;
        std::uint32_t masks = 0;
        TSerialCommEventHandler handler {this, [&](SerialCommClass&, std::uint32_t mask) {
                                             ++calls;
                                             masks |= mask;
                                             onMainThread = onMainThread && IsMainThread();
                                         }};
        port->SetOnCommEvent(handler);
        port->SetOnCommEvent(handler);
        receiver.Emit("a");
        QTRY_VERIFY(calls > 0);
        QVERIFY(masks & EV_RXCHAR);
        QVERIFY(onMainThread);
        port->SetOnCommEvent({});
        const int after = calls;
        receiver.Emit("b");
        QTest::qWait(100);
        QCOMPARE(calls, after);
    }
};

QTEST_GUILESS_MAIN(SerialCommTest)
#include "SerialCommTest.moc"
