#include "ReceiverSimulator.h"

#include "ReceiverProtocol.h"

#include <QFile>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <random>
#include <termios.h>
#include <thread>
#include <unistd.h>

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

// 19200 baud, start bit, 8 data bits, stop bit.
constexpr auto ByteTime = std::chrono::nanoseconds(1000000000LL * 10 / 19200);
constexpr int LineLimit = 4096;

class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd)
        : fd_(fd)
    {
    }
    ~FileDescriptor() { Close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor& operator=(FileDescriptor&& other) noexcept
    {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        return *this;
    }
    int get() const { return fd_; }
    void Close()
    {
        if (fd_ >= 0)
            ::close(std::exchange(fd_, -1));
    }

private:
    int fd_ = -1;
};

[[noreturn]] void FailErrno(const char* what)
{
    throw SimulatorError(std::string(what) + ": " + std::strerror(errno));
}

void MakeRaw(int fd)
{
    termios settings {};
    if (tcgetattr(fd, &settings) != 0)
        FailErrno("tcgetattr");
    cfmakeraw(&settings);
    cfsetispeed(&settings, B19200);
    cfsetospeed(&settings, B19200);
    if (tcsetattr(fd, TCSANOW, &settings) != 0)
        FailErrno("tcsetattr");
}

void SetNonBlocking(int fd)
{
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0)
        FailErrno("fcntl");
}

} // namespace

struct ReceiverSimulator::Impl {
    explicit Impl(const SimulatorOptions& options);
    ~Impl() { Stop(); }

    void Stop();
    void Enqueue(std::function<void()> action);
    void Run();

    // Worker thread only.
    void ReadInput();
    void TakeBytes(const QByteArray& bytes);
    void HandleLine(const QByteArray& line);
    bool WriteLine(const QByteArray& bytes, bool split);
    FaultOptions CurrentFaults() const;
    bool WriteNow(const char* data, qsizetype size);
    void Open(const SquelchSource& source, int level, int openMs);
    void Close(int level);
    void SendReport(const SquelchReport& report, bool noise);
    void RunDueScript();
    void RunDueTraffic();
    Clock::time_point NextWake() const;
    bool Chance(double rate)
    {
        return rate > 0 && static_cast<double>(faultRandom() >> 11) * 0x1.0p-53 < rate;
    }
    void Record(char direction, const QByteArray& bytes);

    SimulatorOptions options;
    ProtocolSettings settings;
    QString path;
    FileDescriptor master;
    FileDescriptor slaveHold; // keeps the line open between clients, so the terminal never hangs up
    FileDescriptor wakeRead, wakeWrite;
    std::thread worker;
    std::atomic<bool> stopping = false;
    std::atomic<bool> stopped = false;
    const Clock::time_point started = Clock::now();

    mutable std::mutex mutex;
    std::condition_variable idle;
    ReceiverState state;
    FaultOptions faults;
    std::deque<std::function<void()>> actions;
    quint64 submitted = 0, completed = 0;
    bool scriptActive = false;
    QByteArray transcript;
    std::unique_ptr<QFile> transcriptFile;
    QList<QByteArray> commands;
    QList<SquelchReport> reports;
    std::function<void(const SquelchReport&, int)> openingHandler;

    // Worker thread only.
    std::mt19937_64 faultRandom;
    TrafficGenerator traffic;
    QByteArray lineBuffer;
    bool lastWasCr = false;
    Clock::time_point inputClock = Clock::now();
    Clock::time_point outputClock = Clock::now();
    Clock::time_point deafUntil = Clock::now();
    std::optional<SquelchSource> opening;
    QList<ScriptStep> script;
    int scriptStep = 0;
    bool scriptLoop = false;
    Clock::time_point scriptNext;
    std::optional<TrafficOptions> trafficOptions;
    bool trafficOpen = false;
    int trafficClosedMs = 0;
    Clock::time_point trafficNext;
};

ReceiverSimulator::Impl::Impl(const SimulatorOptions& options_)
    : options(options_)
    , settings {options_.resortMs, options_.acknowledgePassDelete}
    , state(options_.state ? *options_.state : ReceiverState::Default())
    , faults(options_.faults)
    , faultRandom(options_.seed)
    , traffic(options_.seed ^ 0x9e3779b97f4a7c15ULL)
{
    master = FileDescriptor(posix_openpt(O_RDWR | O_NOCTTY));
    if (master.get() < 0)
        FailErrno("posix_openpt");
    if (grantpt(master.get()) != 0 || unlockpt(master.get()) != 0)
        FailErrno("grantpt");
    char name[128];
    if (ptsname_r(master.get(), name, sizeof name) != 0)
        FailErrno("ptsname_r");
    path = QString::fromLocal8Bit(name);
    slaveHold = FileDescriptor(::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK));
    if (slaveHold.get() < 0)
        FailErrno("open pseudo-terminal");
    MakeRaw(slaveHold.get());
    SetNonBlocking(master.get());
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_NONBLOCK | O_CLOEXEC) != 0)
        FailErrno("pipe2");
    wakeRead = FileDescriptor(pipeEnds[0]);
    wakeWrite = FileDescriptor(pipeEnds[1]);
    worker = std::thread([this] { Run(); });
}

void ReceiverSimulator::Impl::Stop()
{
    if (stopped.exchange(true))
        return;
    stopping = true;
    const char wake = 1;
    [[maybe_unused]] auto ignored = ::write(wakeWrite.get(), &wake, 1);
    if (worker.joinable())
        worker.join();
    master.Close();
    slaveHold.Close();
    std::lock_guard lock(mutex);
    actions.clear();
    completed = submitted;
    scriptActive = false;
    idle.notify_all();
}

void ReceiverSimulator::Impl::Enqueue(std::function<void()> action)
{
    {
        std::lock_guard lock(mutex);
        if (stopped)
            return;
        actions.push_back(std::move(action));
        ++submitted;
    }
    const char wake = 1;
    [[maybe_unused]] auto ignored = ::write(wakeWrite.get(), &wake, 1);
}

Clock::time_point ReceiverSimulator::Impl::NextWake() const
{
    Clock::time_point next = Clock::now() + 100ms;
    if (!script.isEmpty() && scriptStep < script.size())
        next = std::min(next, scriptNext);
    if (trafficOptions)
        next = std::min(next, trafficNext);
    return next;
}

void ReceiverSimulator::Impl::Run()
{
    while (!stopping) {
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(NextWake() - Clock::now());
        pollfd fds[2] = {{master.get(), POLLIN, 0}, {wakeRead.get(), POLLIN, 0}};
        const int ready = ::poll(fds, 2, static_cast<int>(std::max<qint64>(wait.count(), 0)));
        if (stopping)
            break;
        if (ready > 0 && (fds[1].revents & POLLIN)) {
            char drain[64];
            while (::read(wakeRead.get(), drain, sizeof drain) > 0) { }
        }
        if (ready > 0 && (fds[0].revents & POLLIN))
            ReadInput();
        else if (ready > 0 && (fds[0].revents & (POLLHUP | POLLERR)))
            std::this_thread::sleep_for(10ms);
        for (;;) {
            std::function<void()> action;
            {
                std::lock_guard lock(mutex);
                if (actions.empty())
                    break;
                action = std::move(actions.front());
                actions.pop_front();
            }
            action();
            std::lock_guard lock(mutex);
            ++completed;
            idle.notify_all();
        }
        RunDueScript();
        RunDueTraffic();
    }
}

void ReceiverSimulator::Impl::ReadInput()
{
    char buffer[1024];
    const ssize_t count = ::read(master.get(), buffer, sizeof buffer);
    if (count <= 0) {
        if (count == 0 || (errno != EAGAIN && errno != EINTR))
            std::this_thread::sleep_for(10ms);
        return;
    }
    const QByteArray bytes(buffer, count);
    Record('<', bytes);
    if (options.pace) {
        // The command is whole only once its last byte has crossed the line.
        inputClock = std::max(inputClock, Clock::now()) + ByteTime * count;
        std::this_thread::sleep_until(inputClock);
    }
    TakeBytes(bytes);
}

// Lines end at CR or LF; CR LF counts once and empty lines are ignored.
void ReceiverSimulator::Impl::TakeBytes(const QByteArray& bytes)
{
    for (char byte : bytes) {
        const bool wasCr = std::exchange(lastWasCr, byte == '\r');
        if (byte == '\n' && wasCr)
            continue;
        if (byte != '\r' && byte != '\n') {
            if (lineBuffer.size() < LineLimit)
                lineBuffer.append(byte);
            continue;
        }
        const QByteArray line = std::exchange(lineBuffer, {});
        if (!line.isEmpty())
            HandleLine(line);
    }
}

void ReceiverSimulator::Impl::HandleLine(const QByteArray& line)
{
    ProtocolAnswer answer;
    FaultOptions currentFaults;
    {
        std::lock_guard lock(mutex);
        if (options.keepRecords)
            commands.append(line);
        if (Clock::now() < deafUntil)
            return;
        currentFaults = faults;
        answer = AnswerCommand(state, line, settings);
    }
    if (currentFaults.silent || answer.reply.isEmpty())
        return;
    QByteArray reply = answer.reply;
    if (currentFaults.xoffXonOnWrites && answer.isWrite
        && std::any_of(currentFaults.xoffXonCommands.begin(), currentFaults.xoffXonCommands.end(),
            [&](const QByteArray& prefix) { return line.startsWith(prefix); }))
        reply.prepend("\x13\x11");
    const bool drop = Chance(currentFaults.dropReplyRate);
    const bool garble = Chance(currentFaults.garbleRate);
    const bool split = Chance(currentFaults.splitRate);
    if (garble) {
        const auto position = static_cast<qsizetype>(faultRandom() % reply.size());
        reply[position] = static_cast<char>(reply.at(position) ^ static_cast<char>(1 + faultRandom() % 255));
    }
    if (drop)
        Record('!', reply);
    else
        WriteLine(reply, split);
    if (answer.deafMs > 0)
        deafUntil = Clock::now() + std::chrono::milliseconds(answer.deafMs);
}

bool ReceiverSimulator::Impl::WriteNow(const char* data, qsizetype size)
{
    while (size > 0 && !stopping) {
        const ssize_t written = ::write(master.get(), data, static_cast<size_t>(size));
        if (written > 0) {
            data += written;
            size -= written;
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno != EAGAIN)
            return false;
        // Nobody reads the line: like a real port, let the bytes go after a short while.
        pollfd out {master.get(), POLLOUT, 0};
        if (::poll(&out, 1, 10) <= 0)
            return false;
    }
    return size == 0;
}

FaultOptions ReceiverSimulator::Impl::CurrentFaults() const
{
    std::lock_guard lock(mutex);
    return faults;
}

// Returns whether every byte went out.
bool ReceiverSimulator::Impl::WriteLine(const QByteArray& bytes, bool split)
{
    const int gapMs = split ? CurrentFaults().splitGapMs : 0;
    qsizetype done = 0;
    bool complete = true;
    while (done < bytes.size() && complete && !stopping) {
        qsizetype piece = bytes.size() - done;
        if (split)
            piece = std::min<qsizetype>(piece, 1 + static_cast<qsizetype>(faultRandom() % 4));
        if (options.pace) {
            for (qsizetype i = 0; i < piece && complete; ++i) {
                outputClock = std::max(outputClock, Clock::now()) + ByteTime;
                std::this_thread::sleep_until(outputClock);
                complete = WriteNow(bytes.constData() + done + i, 1);
            }
        } else {
            complete = WriteNow(bytes.constData() + done, piece);
        }
        done += piece;
        if (split && done < bytes.size())
            std::this_thread::sleep_for(std::chrono::milliseconds(gapMs));
    }
    Record(complete ? '>' : '!', bytes);
    return complete;
}

void ReceiverSimulator::Impl::Record(char direction, const QByteArray& bytes)
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started).count();
    const QByteArray line = QByteArray::number(ms) + ' ' + direction + ' ' + EscapeBytes(bytes) + '\n';
    std::lock_guard lock(mutex);
    if (options.keepRecords)
        transcript += line;
    if (transcriptFile) {
        transcriptFile->write(line);
        transcriptFile->flush();
    }
}

void ReceiverSimulator::Impl::SendReport(const SquelchReport& report, bool noise)
{
    const bool split = Chance(CurrentFaults().splitRate);
    if (WriteLine(FormatSquelchReport(report), split)) {
        std::lock_guard lock(mutex);
        if (options.keepRecords)
            reports.append(report);
    }
    if (noise)
        WriteLine(traffic.Noise(1 + static_cast<int>(traffic.Below(8))), false);
}

void ReceiverSimulator::Impl::Open(const SquelchSource& source, int level, int openMs)
{
    SquelchReport report {
        true, level, source.isSearch, source.bank, source.isSearch ? -1 : source.channel, 0};
    bool reporting;
    bool noise;
    std::function<void(const SquelchReport&, int)> handler;
    {
        std::lock_guard lock(mutex);
        if (source.isSearch) {
            report.frequency = source.frequency;
            state.searchFrequency = source.frequency;
            state.searchHitBank = source.bank;
        } else if (const SimMemory* memory = state.Memory(source.bank, source.channel)) {
            report.frequency = memory->frequency;
        }
        reporting = state.squelchReporting && !state.poweredOff;
        noise = faults.noiseBetweenReports || (trafficOptions && trafficOptions->noise);
        handler = openingHandler;
    }
    opening = source;
    if (reporting)
        SendReport(report, noise);
    if (handler)
        handler(report, openMs);
}

void ReceiverSimulator::Impl::Close(int level)
{
    if (!opening)
        return;
    const SquelchSource source = *std::exchange(opening, std::nullopt);
    bool reporting;
    bool noise;
    {
        std::lock_guard lock(mutex);
        reporting = state.squelchReporting && !state.poweredOff;
        noise = faults.noiseBetweenReports || (trafficOptions && trafficOptions->noise);
    }
    if (reporting)
        SendReport(
            {false, level, source.isSearch, source.bank, source.isSearch ? -1 : source.channel, 0}, noise);
}

void ReceiverSimulator::Impl::RunDueScript()
{
    while (!stopping && scriptStep < script.size() && Clock::now() >= scriptNext) {
        const ScriptStep& step = script.at(scriptStep++);
        switch (step.kind) {
        case ScriptStep::Wait:
            scriptNext = Clock::now() + std::chrono::milliseconds(step.value);
            break;
        case ScriptStep::Open:
            Open(step.source, step.value, -1);
            break;
        case ScriptStep::Close:
            Close(step.value);
            break;
        case ScriptStep::Raw:
            WriteLine(step.bytes, false);
            break;
        case ScriptStep::Noise:
            WriteLine(traffic.Noise(step.value), false);
            break;
        }
        if (scriptStep == script.size() && scriptLoop)
            scriptStep = 0;
    }
    if (scriptStep >= script.size()) {
        std::lock_guard lock(mutex);
        if (scriptActive) {
            scriptActive = false;
            idle.notify_all();
        }
    }
}

void ReceiverSimulator::Impl::RunDueTraffic()
{
    if (!trafficOptions || Clock::now() < trafficNext)
        return;
    if (trafficOpen) {
        Close(traffic.PickCloseLevel());
        trafficOpen = false;
        trafficNext = Clock::now() + std::chrono::milliseconds(trafficClosedMs);
        return;
    }
    const auto [openMs, closedMs] = traffic.PickCycle(*trafficOptions);
    std::optional<SquelchSource> source;
    {
        std::lock_guard lock(mutex);
        if (Clock::now() >= deafUntil && !state.poweredOff)
            source = traffic.PickSource(state);
    }
    if (!source) {
        trafficNext = Clock::now() + std::chrono::milliseconds(openMs + closedMs);
        return;
    }
    Open(*source, traffic.PickOpenLevel(), openMs);
    trafficOpen = true;
    trafficClosedMs = closedMs;
    trafficNext = Clock::now() + std::chrono::milliseconds(openMs);
}

ReceiverSimulator::ReceiverSimulator(const SimulatorOptions& options)
    : impl_(std::make_unique<Impl>(options))
{
}

ReceiverSimulator::~ReceiverSimulator() = default;

QString ReceiverSimulator::DevicePath() const
{
    return impl_->path;
}

void ReceiverSimulator::EmitReport(const QByteArray& bytes)
{
    impl_->Enqueue([impl = impl_.get(), bytes] { impl->WriteLine(bytes, false); });
}

void ReceiverSimulator::OpenSquelch(const SquelchSource& source, int level)
{
    impl_->Enqueue([impl = impl_.get(), source, level] { impl->Open(source, level, -1); });
}

void ReceiverSimulator::CloseSquelch(int level)
{
    impl_->Enqueue([impl = impl_.get(), level] { impl->Close(level); });
}

void ReceiverSimulator::RunScript(const QList<ScriptStep>& steps, bool loop)
{
    {
        std::lock_guard lock(impl_->mutex);
        if (impl_->stopped)
            return;
        impl_->scriptActive = !steps.isEmpty();
    }
    impl_->Enqueue([impl = impl_.get(), steps, loop] {
        impl->script = steps;
        impl->scriptStep = 0;
        impl->scriptLoop = loop;
        impl->scriptNext = Clock::now();
        impl->RunDueScript();
    });
}

void ReceiverSimulator::StartTraffic(const TrafficOptions& traffic)
{
    impl_->Enqueue([impl = impl_.get(), traffic] {
        impl->trafficOptions = traffic;
        impl->trafficOpen = false;
        impl->trafficNext = Clock::now();
    });
}

void ReceiverSimulator::StopTraffic()
{
    impl_->Enqueue([impl = impl_.get()] {
        if (impl->trafficOpen)
            impl->Close(impl->traffic.PickCloseLevel());
        impl->trafficOpen = false;
        impl->trafficOptions.reset();
    });
}

bool ReceiverSimulator::WaitUntilIdle(int timeoutMs)
{
    std::unique_lock lock(impl_->mutex);
    const quint64 target = impl_->submitted;
    return impl_->idle.wait_for(lock, std::chrono::milliseconds(timeoutMs),
        [&] { return impl_->completed >= target && !impl_->scriptActive; });
}

ReceiverState ReceiverSimulator::State() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->state;
}

void ReceiverSimulator::SetState(const ReceiverState& state)
{
    std::lock_guard lock(impl_->mutex);
    impl_->state = state;
}

QByteArray ReceiverSimulator::Transcript() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->transcript;
}

void ReceiverSimulator::SetTranscriptFile(const QString& path)
{
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append))
        throw SimulatorError((path + ": " + file->errorString()).toStdString());
    std::lock_guard lock(impl_->mutex);
    impl_->transcriptFile = std::move(file);
}

QList<QByteArray> ReceiverSimulator::ReceivedCommands() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->commands;
}

QList<SquelchReport> ReceiverSimulator::SentReports() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->reports;
}

void ReceiverSimulator::ClearRecords()
{
    std::lock_guard lock(impl_->mutex);
    impl_->transcript.clear();
    impl_->commands.clear();
    impl_->reports.clear();
}

void ReceiverSimulator::SetFaults(const FaultOptions& faults)
{
    std::lock_guard lock(impl_->mutex);
    impl_->faults = faults;
}

void ReceiverSimulator::SetSilent(bool silent)
{
    std::lock_guard lock(impl_->mutex);
    impl_->faults.silent = silent;
}

void ReceiverSimulator::SetOpeningHandler(std::function<void(const SquelchReport&, int)> handler)
{
    std::lock_guard lock(impl_->mutex);
    impl_->openingHandler = std::move(handler);
}

void ReceiverSimulator::Stop()
{
    impl_->Stop();
}

bool ReceiverSimulator::IsStopped() const
{
    return impl_->stopped;
}
