// varnock-sim: a receiver on a pseudo-terminal, for demos and tests without the hardware.

#include "ReceiverSimulator.h"

#include <QFile>
#include <QStringList>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pthread.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

const char Usage[] = R"(usage: varnock-sim [options]
A simulated receiver on a pseudo-terminal. Prints the device path on its first line and runs until SIGTERM or
SIGINT.

  --state FILE          start from the receiver state in FILE (JSON) instead of the built-in one
  --empty               start from an empty receiver
  --save-state FILE     write the receiver state to FILE (JSON) on exit
  --seed N              seed of the traffic and the faults (default 1)
  --pace                send and take bytes at 19200 baud
  --traffic RATE        random squelch openings, RATE a second, where the receiver scans or searches
  --noise               stray bytes between squelch reports
  --script FILE         run a squelch script (wait MS | open BANK CH [LEVEL] | search BANK HZ [LEVEL] |
                        close [LEVEL] | raw TEXT | noise N)
  --loop                repeat the script
  --reports-on          squelch reports on from the start (normally the "LC1" command does it)
  --transcript FILE     append every byte in and out to FILE
  --link PATH           make PATH a symbolic link to the device (removed on exit)
  --audio-command CMD   run CMD through /bin/sh at each opening, with VARNOCK_SIM_FREQUENCY (Hz),
                        VARNOCK_SIM_BANK, VARNOCK_SIM_CHANNEL, VARNOCK_SIM_LEVEL and VARNOCK_SIM_OPEN_MS set
  --resort-ms N         how long a bank size change keeps the receiver deaf (default 5000)
  --drop RATE           chance that a reply is lost (0-1)
  --garble RATE         chance that a reply has one wrong byte (0-1)
  --split RATE          chance that a reply goes out in small pieces (0-1)
  --dc3dc1              DC3 DC1 before the acknowledgement of search bank writes
  --silent              answer nothing
  --help                this text
)";

struct Arguments {
    SimulatorOptions options;
    QString stateFile, saveStateFile, scriptFile, transcriptFile, linkPath, audioCommand;
    std::optional<double> trafficRate;
    bool noise = false, loop = false, empty = false, reportsOn = false;
};

[[noreturn]] void UsageError(const QString& message)
{
    std::fprintf(stderr, "varnock-sim: %s\n%s", qPrintable(message), Usage);
    std::exit(2);
}

double Rate(const QString& text, const QString& option, double high)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || value < 0 || value > high)
        UsageError(option + " needs a number from 0 to " + QString::number(high));
    return value;
}

Arguments Parse(const QStringList& words)
{
    Arguments a;
    a.options.resortMs = 5000;
    for (int i = 1; i < words.size(); ++i) {
        const QString& word = words.at(i);
        const auto value = [&]() -> QString {
            if (i + 1 >= words.size())
                UsageError(word + " needs a value");
            return words.at(++i);
        };
        if (word == "--help") {
            std::fputs(Usage, stdout);
            std::exit(0);
        } else if (word == "--state")
            a.stateFile = value();
        else if (word == "--save-state")
            a.saveStateFile = value();
        else if (word == "--empty")
            a.empty = true;
        else if (word == "--seed") {
            bool ok = false;
            a.options.seed = value().toULongLong(&ok);
            if (!ok)
                UsageError("--seed needs a whole number");
        } else if (word == "--pace")
            a.options.pace = true;
        else if (word == "--traffic")
            a.trafficRate = Rate(value(), word, 1000);
        else if (word == "--noise")
            a.noise = true;
        else if (word == "--script")
            a.scriptFile = value();
        else if (word == "--loop")
            a.loop = true;
        else if (word == "--reports-on")
            a.reportsOn = true;
        else if (word == "--transcript")
            a.transcriptFile = value();
        else if (word == "--link")
            a.linkPath = value();
        else if (word == "--audio-command")
            a.audioCommand = value();
        else if (word == "--resort-ms")
            a.options.resortMs = static_cast<int>(Rate(value(), word, 3600000));
        else if (word == "--drop")
            a.options.faults.dropReplyRate = Rate(value(), word, 1);
        else if (word == "--garble")
            a.options.faults.garbleRate = Rate(value(), word, 1);
        else if (word == "--split")
            a.options.faults.splitRate = Rate(value(), word, 1);
        else if (word == "--dc3dc1")
            a.options.faults.xoffXonOnWrites = true;
        else if (word == "--silent")
            a.options.faults.silent = true;
        else
            UsageError("unknown argument " + word);
    }
    return a;
}

// Runs the command detached (no zombie left behind); only async-signal-safe calls after fork.
void RunDetached(const QString& command, const SquelchReport& report, int openMs)
{
    std::vector<std::string> variables;
    for (char** entry = environ; *entry; ++entry)
        variables.emplace_back(*entry);
    variables.push_back("VARNOCK_SIM_FREQUENCY=" + std::to_string(report.frequency));
    variables.push_back(std::string("VARNOCK_SIM_BANK=") + report.bank);
    variables.push_back("VARNOCK_SIM_CHANNEL=" + std::to_string(report.channel));
    variables.push_back("VARNOCK_SIM_LEVEL=" + std::to_string(report.level));
    variables.push_back("VARNOCK_SIM_OPEN_MS=" + std::to_string(openMs));
    std::vector<char*> environment;
    for (std::string& variable : variables)
        environment.push_back(variable.data());
    environment.push_back(nullptr);
    const std::string text = command.toStdString();
    char shell[] = "/bin/sh", flag[] = "-c";
    char* argv[] = {shell, flag, const_cast<char*>(text.c_str()), nullptr};
    const pid_t child = fork();
    if (child == 0) {
        setsid();
        if (fork() == 0) {
            sigset_t none;
            sigemptyset(&none);
            pthread_sigmask(SIG_SETMASK, &none, nullptr);
            execve(shell, argv, environment.data());
        }
        _exit(0);
    }
    if (child > 0)
        waitpid(child, nullptr, 0);
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw SimulatorError((path + ": " + file.errorString()).toStdString());
    return file.readAll();
}

int Run(const Arguments& a)
{
    SimulatorOptions options = a.options;
    if (!a.stateFile.isEmpty())
        options.state = ReceiverState::LoadFile(a.stateFile);
    else if (a.empty)
        options.state = ReceiverState::Empty();
    else
        options.state = ReceiverState::Default();
    options.state->squelchReporting = a.reportsOn;
    options.keepRecords = false; // the transcript file is the record
    const QList<ScriptStep> script
        = a.scriptFile.isEmpty() ? QList<ScriptStep>() : ParseSquelchScript(ReadFile(a.scriptFile));

    // The simulator's thread inherits the blocked stopSignals; only sigwait below takes them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    ReceiverSimulator simulator(options);
    if (!a.transcriptFile.isEmpty())
        simulator.SetTranscriptFile(a.transcriptFile);
    const QByteArray device = simulator.DevicePath().toLocal8Bit();
    const QByteArray link = a.linkPath.toLocal8Bit();
    if (!link.isEmpty()) {
        char target[256] = {};
        if (readlink(link.constData(), target, sizeof target - 1) >= 0)
            unlink(link.constData());
        if (symlink(device.constData(), link.constData()) != 0) {
            std::fprintf(stderr, "varnock-sim: cannot link %s: %s\n", link.constData(), std::strerror(errno));
            return 1;
        }
    }
    if (!a.audioCommand.isEmpty())
        simulator.SetOpeningHandler([command = a.audioCommand](const SquelchReport& report, int openMs) {
            RunDetached(command, report, openMs);
        });
    if (!script.isEmpty())
        simulator.RunScript(script, a.loop);
    if (a.trafficRate)
        simulator.StartTraffic({*a.trafficRate, 0.6, a.noise});
    else if (a.noise) {
        FaultOptions faults = options.faults;
        faults.noiseBetweenReports = true;
        simulator.SetFaults(faults);
    }
    std::printf("%s\n", device.constData());
    std::fflush(stdout);

    int signal = 0;
    sigwait(&stopSignals, &signal);
    simulator.Stop();
    if (!link.isEmpty()) {
        char target[256] = {};
        if (readlink(link.constData(), target, sizeof target - 1) >= 0 && device == target)
            unlink(link.constData());
    }
    if (!a.saveStateFile.isEmpty())
        simulator.State().SaveFile(a.saveStateFile);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QStringList words;
    for (int i = 0; i < argc; ++i)
        words.append(QString::fromLocal8Bit(argv[i]));
    const Arguments arguments = Parse(words);
    try {
        return Run(arguments);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "varnock-sim: %s\n", error.what());
        return 1;
    }
}
