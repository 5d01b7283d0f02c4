// The running program against the simulated receiver and a private sound server:
//   idle:    CPU of the program while it monitors with capture on (trace drawn, clock running) and no
//            squelch traffic, from /proc over the given seconds (default 60).
//   latency: from the last byte of an opening report on the line to the recording's file existing on disk,
//            over COUNT openings (default 200): median, p99, maximum.
// Usage: SquelchPipelineBench [idle [SECONDS] | latency [COUNT] | all]

#include "ProgramFixture.h"

#include <QCoreApplication>
#include <QFile>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto index = std::min(values.size() - 1, std::size_t(p / 100.0 * double(values.size() - 1) + 0.5));
    return values[index];
}

// User plus system time of a process, in seconds.
double CpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // Fields after the command name (which may hold blanks) start after the last ')'.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    const double ticks = fields[11].toDouble() + fields[12].toDouble(); // utime, stime
    return ticks / double(sysconf(_SC_CLK_TCK));
}

// The program running beside the simulator, started up and monitoring.
struct TRig {
    TProgramFolder Folder;
    TPulseServer Pulse {Folder.Path(QStringLiteral("pulse"))};
    ReceiverSimulator Simulator;
    TProgram Program {Folder, Pulse};

    explicit TRig(bool record)
    {
        if (!Folder.IsValid() || !Pulse.IsRunning())
            throw std::runtime_error(("no rig: " + Pulse.Problem()).toStdString());
        Folder.SetOption(QStringLiteral("SerialPortDevices"), Simulator.DevicePath());
        Folder.SetOption(
            QStringLiteral("SquelchRecordOn"), record ? QStringLiteral("T") : QStringLiteral("F"));
        Program.Start();
        if (!WaitForStartUp(Simulator, Pulse))
            throw std::runtime_error(("the program did not start: " + Program.Output()).toStdString());
    }
    ~TRig() { Program.Terminate(); }
};

int Idle(int seconds)
{
    TRig rig(false);
    QTest::qWait(2000); // past the start-up's own work
    const double before = CpuSeconds(rig.Program.Pid());
    const auto start = Clock::now();
    QTest::qWait(seconds * 1000);
    const double used = CpuSeconds(rig.Program.Pid()) - before;
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf(
        "idle monitoring with capture on: %.2f s CPU in %.1f s = %.2f %% of one core (goal <= 2 %%)\n", used,
        wall, 100 * used / wall);
    return 0;
}

int Latency(int count)
{
    TRig rig(true);
    // The recording folder is made at start-up; each opening creates one file in it.
    const QString folder = rig.Folder.RecordingFolder() + QStringLiteral("/Varnock");
    const int watcher = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watcher < 0 || inotify_add_watch(watcher, QFile::encodeName(folder).constData(), IN_CREATE) < 0) {
        std::fprintf(stderr, "cannot watch %s\n", qPrintable(folder));
        return 1;
    }
    std::vector<double> ms;
    int missed = 0;
    for (int opening = 0; opening < count; ++opening) {
        rig.Simulator.OpenSquelch(SquelchSource::MemoryChannel('A', 5), 150);
        rig.Simulator.WaitUntilIdle();
        const auto sent = Clock::now();
        pollfd ready {watcher, POLLIN, 0};
        if (poll(&ready, 1, 2000) == 1) {
            ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
            char events[4096];
            while (read(watcher, events, sizeof events) > 0) { }
        } else {
            ++missed;
        }
        QTest::qWait(150); // a short period; then the closing
        rig.Simulator.CloseSquelch(12);
        rig.Simulator.WaitUntilIdle();
        QTest::qWait(150);
    }
    close(watcher);
    std::printf(
        "opening report to WAV file on disk, %zu openings (%d without a file in 2 s):\n", ms.size(), missed);
    std::printf("  median %.1f ms, p99 %.1f ms, max %.1f ms (goal p99 <= 250 ms)\n", Percentile(ms, 50),
        Percentile(ms, 99), Percentile(ms, 100));
    return missed == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    qputenv("VARNOCK_SOURCE_DIR", VARNOCK_SOURCE_DIR);
    qputenv("VARNOCK_BINARY_DIR", VARNOCK_BINARY_DIR);
    const QStringList arguments = application.arguments();
    const QString mode = arguments.value(1, QStringLiteral("all"));
    const int number = arguments.value(2).toInt();
    try {
        int result = 0;
        if (mode == QLatin1String("idle") || mode == QLatin1String("all"))
            result |= Idle(number > 0 ? number : 60);
        if (mode == QLatin1String("latency") || mode == QLatin1String("all"))
            result |= Latency(number > 0 ? number : 200);
        return result;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
