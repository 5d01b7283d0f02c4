// Receiver link timings against the simulated receiver on a pseudo-terminal.
//   squelch latency: from the simulator having written the last byte of an "LC" report to the handler running
//                    on the main thread; "own processing" is the part after the monitor's read returned.
//   exchange cost:   SendCommandCheckOK("LC1") with the simulator paced at 19200 baud, against the wire time.
// Usage: ReceiverLinkBench [latency|exchange|all] [COUNT]

#include "ReceiverSimulator.h"
#include "receiver/AOR8200Unit.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double Percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto index = std::min(values.size() - 1, std::size_t(p / 100.0 * double(values.size() - 1) + 0.5));
    return values[index];
}

void PrintFigures(const char* what, const std::vector<double>& ms)
{
    std::printf("%-34s n=%zu  median %.3f ms  p90 %.3f ms  p99 %.3f ms  max %.3f ms\n", what, ms.size(),
        Percentile(ms, 50), Percentile(ms, 90), Percentile(ms, 99), Percentile(ms, 100));
}

struct Rig {
    explicit Rig(const SimulatorOptions& options)
        : simulator(options)
    {
        SetSerialPortTable({simulator.DevicePath()});
        driver.SetCommPortNumber(1);
    }
    ReceiverSimulator simulator;
    TAOR8200 driver;
};

void SquelchLatency(int count)
{
    Rig rig(SimulatorOptions {});
    rig.driver.SetSquelchReporting(1);

    std::mutex mutex;
    std::vector<Clock::time_point> written;
    std::vector<Clock::time_point> read; // when the monitor's read that brought the report returned
    std::vector<Clock::time_point> handled;
    rig.driver.SetOnSerialRead([&](TAOR8200*, QString& text) {
        const auto now = Clock::now();
        std::lock_guard lock(mutex);
        for (qsizetype at = text.indexOf("\r\n"); at >= 0; at = text.indexOf("\r\n", at + 2))
            read.push_back(now);
    });
    rig.driver.SetOnAOR8200Squelch(
        [&](TAOR8200*, bool, std::uint8_t, std::int32_t, bool, char, std::int32_t) {
            const auto now = Clock::now();
            std::lock_guard lock(mutex);
            handled.push_back(now);
            if (int(handled.size()) == count)
                QCoreApplication::quit();
        });

    std::thread feeder([&] {
        std::mt19937 random(42);
        std::uniform_int_distribution<int> gap(0, 200); // spread the reports over the monitor's cycle
        for (int i = 0; i < count; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(gap(random)));
            rig.simulator.EmitReport("LC%012 MXA05\r\n");
            rig.simulator.WaitUntilIdle();
            std::lock_guard lock(mutex);
            written.push_back(Clock::now());
        }
    });
    QTimer::singleShot(count * 400 + 10000, [] { QCoreApplication::quit(); });
    QCoreApplication::exec();
    feeder.join();

    std::lock_guard lock(mutex);
    std::vector<double> latency;
    std::vector<double> processing;
    for (std::size_t i = 0; i < handled.size() && i < written.size(); ++i)
        latency.push_back(Ms(handled[i] - written[i]));
    for (std::size_t i = 0; i < handled.size() && i < read.size(); ++i)
        processing.push_back(Ms(handled[i] - read[i]));
    PrintFigures("squelch latency (line to handler)", latency);
    PrintFigures("  own processing (read to handler)", processing);
    if (int(handled.size()) != count)
        std::printf("  only %zu of %d reports delivered\n", handled.size(), count);
}

void ExchangeCost(int count)
{
    SimulatorOptions options;
    options.pace = true;
    Rig rig(options);
    const double wireMs = (5 + 2) * 10 * 1000.0 / 19200; // "LC1" CR LF out, CR LF back, 10 bits a byte
    std::vector<double> costs;
    for (int i = 0; i < count; ++i) {
        const auto start = Clock::now();
        rig.driver.SendCommandCheckOK("LC1", 100);
        costs.push_back(Ms(Clock::now() - start));
    }
    PrintFigures("SendCommandCheckOK LC1 at 19200 Bd", costs);
    std::printf("  wire time of its 7 bytes %.3f ms; median %.1f times the wire time\n", wireMs,
        Percentile(costs, 50) / wireMs);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const QString which = args.size() > 1 ? args.at(1) : QStringLiteral("all");
    const int count = args.size() > 2 ? args.at(2).toInt() : 0;
    if (which == "latency" || which == "all")
        SquelchLatency(count > 0 ? count : 1000);
    if (which == "exchange" || which == "all")
        ExchangeCost(count > 0 ? count : 300);
    return 0;
}
