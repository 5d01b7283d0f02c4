// Receiver discovery over a port table of pseudo-terminals: silent ports, a port answering something else, a
// device refused with permission denied, and the simulated receiver.

#include "../audio/EventLogCapture.h"
#include "PtyReceiver.h"
#include "SimulatedReceiver.h"
#include "receiver/FindAOR8200Unit.h"

#include <QTest>

#include <fcntl.h>

namespace {

// One port of the table: "silent" reads and never answers, "refuse" answers "?" to everything, "sim" is the
// receiver, anything else is taken as a device path.
struct PortTable {
    explicit PortTable(const QStringList& kinds)
    {
        QStringList devices;
        for (const QString& kind : kinds) {
            if (kind == "sim") {
                simulator = std::make_unique<ReceiverSimulator>(QuickOptions());
                devices << simulator->DevicePath();
            } else if (kind == "silent" || kind == "refuse") {
                PtyReceiver::ReplyFunction reply;
                if (kind == "refuse")
                    reply = [](const QByteArray&) { return QByteArray("?\r\n"); };
                ptys.push_back(std::make_unique<PtyReceiver>(reply));
                devices << ptys.back()->DevicePath();
            } else {
                devices << kind;
            }
        }
        SetSerialPortTable(devices);
    }
    ~PortTable() { SetSerialPortTable({}); }

    std::unique_ptr<ReceiverSimulator> simulator;
    std::vector<std::unique_ptr<PtyReceiver>> ptys;
};

// What a search showed and waited for.
struct Seen {
    QStringList statuses;
    QList<int> positions;
    QList<int> pauses;

    TFindAOR8200Hooks Hooks()
    {
        return {[this](const QString& text) { statuses << text; },
            [this](int minimum, int maximum, int position) {
                if (minimum == 0 && maximum == 255)
                    positions << position;
            },
            [this](int ms) { pauses << ms; }};
    }
};

QStringList StatusesFor(const QList<int>& tested, int found)
{
    QStringList statuses;
    for (const int port : tested)
        statuses << QStringLiteral("Searching for AOR8200.... Testing COM%1").arg(port);
    if (found != 0)
        statuses << QStringLiteral("Found AOR8200 on COM%1").arg(found);
    return statuses;
}

QList<int> Range(int first, int last)
{
    QList<int> ports;
    for (int port = first; port <= last; ++port)
        ports << port;
    return ports;
}

} // namespace

class FindAOR8200Test : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void portsAreTriedInOrder_data()
    {
        QTest::addColumn<QStringList>("kinds");
        QTest::addColumn<int>("start"); // the port open before the search
        QTest::addColumn<QList<int>>("tested");
        QTest::addColumn<int>("found"); // 0: not found
        QTest::newRow("two silent ports, the receiver on the third")
            << QStringList {"silent", "silent", "sim"} << 0 << QList<int> {1, 2, 3} << 3;
        QTest::newRow("the open port is tried last")
            << QStringList {"silent", "silent", "sim"} << 3 << (Range(4, 255) + QList<int> {0, 1, 2, 3}) << 3;
        QTest::newRow("an answer other than CR LF counts as absent")
            << QStringList {"refuse", "sim"} << 0 << QList<int> {1, 2} << 2;
        QTest::newRow("nothing there")
            << QStringList {"silent"} << 0 << (Range(1, 255) + QList<int> {0}) << 0;
    }
    void portsAreTriedInOrder()
    {
        QFETCH(QStringList, kinds);
        QFETCH(int, start);
        QFETCH(QList<int>, tested);
        QFETCH(int, found);
        PortTable table(kinds);
        TAOR8200 driver;
        driver.SetCommPortNumber(std::uint8_t(start));
        Seen seen;

        QCOMPARE(SearchForAOR8200(driver, seen.Hooks()), found != 0);

        QCOMPARE(seen.statuses, StatusesFor(tested, found));
        QCOMPARE(seen.positions, tested);
        QCOMPARE(driver.GetCommPortNumber(), found);
        QCOMPARE(seen.pauses.endsWith(1000), found != 0);
        if (table.simulator)
            QCOMPARE(table.simulator->State().squelchReporting, found != 0);
        for (const auto& pty : table.ptys)
            QCOMPARE(pty->Commands().count("LC1"), driver.RetryCount);
    }

    void permissionDeniedNamesTheDeviceAndTheGroup()
    {
        // A file that refuses writing even to root stands in for a port owned by the dialout group.
        const char* refused = "/sys/kernel/uevent_seqnum";
        const int probe = ::open(refused, O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (probe >= 0)
            ::close(probe);
        if (probe >= 0 || errno != EACCES)
            QSKIP("no device here refuses opening with permission denied");
        PortTable table({refused, "sim"});
        TAOR8200 driver;
        TEventLogCapture log;
        Seen seen;
        QVERIFY(SearchForAOR8200(driver, seen.Hooks()));
        QCOMPARE(driver.GetCommPortNumber(), 2);
        QCOMPARE(log.Lines.size(), std::size_t(1));
        QVERIFY(log.Messages().first().contains(refused));
        QVERIFY(log.Messages().first().contains("\"dialout\""));
    }
};

QTEST_GUILESS_MAIN(FindAOR8200Test)
#include "FindAOR8200Test.moc"
