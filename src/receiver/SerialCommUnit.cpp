#include "receiver/SerialCommUnit.h"

#include "support/SynchronizeUnit.h"
#include "support/ThreadUnit.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

const char* const RevisionText = "$Revision$";

struct PortTable {
    std::mutex mutex;
    QStringList devices;
};

PortTable& ThePortTable()
{
    static PortTable table;
    return table;
}

int MillisecondsUntil(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? int(left) : 0;
}

// "ttyS10" sorts after "ttyS9": by the name without its number, then by the number.
bool DeviceNameLess(const QString& a, const QString& b)
{
    static const QRegularExpression trailingNumber(QStringLiteral("^(.*?)(\\d*)$"));
    const auto ma = trailingNumber.match(a);
    const auto mb = trailingNumber.match(b);
    if (ma.captured(1) != mb.captured(1))
        return ma.captured(1) < mb.captured(1);
    return ma.captured(2).toLongLong() < mb.captured(2).toLongLong();
}

// A ttyS entry exists for every possible UART; only those with a known UART type have hardware behind them.
bool HasSerialHardware(const QString& name)
{
    if (!name.startsWith(QLatin1String("ttyS")))
        return true;
    QFile type(QStringLiteral("/sys/class/tty/%1/type").arg(name));
    if (!type.open(QIODevice::ReadOnly))
        return QFile::exists(QStringLiteral("/sys/class/tty/%1/device").arg(name));
    return type.readAll().trimmed() != "0";
}

speed_t SpeedOf(std::uint32_t baud)
{
    switch (baud) {
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return 0;
    }
}

bool OnOff(const QString& value, bool& flag)
{
    if (value == QLatin1String("on"))
        flag = true;
    else if (value == QLatin1String("off"))
        flag = false;
    else
        return false;
    return true;
}

} // namespace

ESerialCommException::ESerialCommException(int code, const std::string& message)
    : std::runtime_error(message)
    , errorCode(code)
{
}

bool BuildCommDCB(const QString& text, SerialLineSettings& settings)
{
    SerialLineSettings result = settings;
    const QStringList items = text.toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& item : items) {
        const qsizetype equals = item.indexOf(QLatin1Char('='));
        if (equals <= 0)
            return false;
        const QString key = item.left(equals);
        const QString value = item.mid(equals + 1);
        bool number = false;
        const uint n = value.toUInt(&number);
        if (key == QLatin1String("baud") && number && SpeedOf(n) != 0)
            result.BaudRate = n;
        else if (key == QLatin1String("parity") && value.size() == 1 && QStringLiteral("neo").contains(value))
            result.Parity = value.at(0).toLatin1();
        else if (key == QLatin1String("data") && number && n >= 5 && n <= 8)
            result.ByteSize = std::uint8_t(n);
        else if (key == QLatin1String("stop") && number && (n == 1 || n == 2))
            result.StopBits = std::uint8_t(n);
        else if (key == QLatin1String("xon")) {
            if (!OnOff(value, result.OutX))
                return false;
            result.InX = result.OutX;
        } else if (key == QLatin1String("octs")) {
            if (!OnOff(value, result.OutxCtsFlow))
                return false;
        } else
            return false;
    }
    settings = result;
    return true;
}

void SetSerialPortTable(const QStringList& devicePaths)
{
    PortTable& table = ThePortTable();
    std::lock_guard lock(table.mutex);
    table.devices = devicePaths;
}

QStringList SerialPortTable()
{
    {
        PortTable& table = ThePortTable();
        std::lock_guard lock(table.mutex);
        if (!table.devices.isEmpty())
            return table.devices;
    }
    return SystemSerialDevices();
}

QStringList SystemSerialDevices()
{
    const QDir dev(QStringLiteral("/dev"));
    QStringList names
        = dev.entryList({QStringLiteral("ttyUSB*"), QStringLiteral("ttyACM*"), QStringLiteral("ttyS*")},
            QDir::System | QDir::Files);
    names.erase(
        std::remove_if(names.begin(), names.end(), [](const QString& n) { return !HasSerialHardware(n); }),
        names.end());
    std::sort(names.begin(), names.end(), DeviceNameLess);
    QStringList paths;
    for (const QString& name : names)
        paths << dev.filePath(name);
    return paths;
}

QString SerialPortDevice(int portNumber)
{
    const QStringList table = SerialPortTable();
    if (portNumber < 1 || portNumber > table.size())
        return {};
    return table.at(portNumber - 1);
}

// Polls the port for the events a handler asked for and hands each non-empty mask to the main thread.
class TOnSerialCommEventThread : public TThread {
public:
    TOnSerialCommEventThread(SerialCommClass& port, TSerialCommEventHandler handler)
        : port(port)
        , handler(std::move(handler))
    {
    }
    std::uint32_t LastEventMask() const { return eventMask; }

protected:
    void Execute() override;

private:
    std::uint32_t NextEventMask();

    SerialCommClass& port;
    TSerialCommEventHandler handler;
    std::uint32_t eventMask = 0;
    int lastQueued = 0;
    int lastModemLines = -1;
    int lastOutQueued = 0;
};

std::uint32_t TOnSerialCommEventThread::NextEventMask()
{
    const int fd = port.Handle();
    pollfd waiter {fd, POLLIN | POLLPRI, 0};
    if (::poll(&waiter, 1, 20) < 0 && errno != EINTR)
        port.RaiseError(22, errno);
    std::uint32_t mask = 0;
    int queued = 0;
    if (::ioctl(fd, FIONREAD, &queued) == 0) {
        if (queued > lastQueued)
            mask |= EV_RXCHAR;
        lastQueued = queued;
    }
    int outQueued = 0;
    if (::ioctl(fd, TIOCOUTQ, &outQueued) == 0) {
        if (outQueued == 0 && lastOutQueued > 0)
            mask |= EV_TXEMPTY;
        lastOutQueued = outQueued;
    }
    int lines = 0;
    if (::ioctl(fd, TIOCMGET, &lines) == 0) {
        const int changed = lastModemLines < 0 ? 0 : lines ^ lastModemLines;
        if (changed & TIOCM_CTS)
            mask |= EV_CTS;
        if (changed & TIOCM_DSR)
            mask |= EV_DSR;
        if (changed & TIOCM_CD)
            mask |= EV_RLSD;
        if (changed & TIOCM_RI)
            mask |= EV_RING;
        lastModemLines = lines;
    }
    if (waiter.revents & (POLLERR | POLLHUP))
        mask |= EV_ERR;
    if (mask == 0 && queued == lastQueued && (waiter.revents & POLLIN))
        SleepUnlessTerminated(20); // input is there but nobody reads it: no busy loop
    return mask;
}

void TOnSerialCommEventThread::Execute()
{
    while (!Terminated()) {
        eventMask = NextEventMask();
        if (eventMask == 0 || !handler || Terminated())
            continue;
        try {
            const std::uint32_t mask = eventMask;
            Synchronize([&] { handler.function(port, mask); });
        } catch (...) {
        }
        if (eventMask & EV_ERR)
            SleepUnlessTerminated(100);
    }
}

SerialCommClass::SerialCommClass(std::uint8_t number, const SerialLineSettings& settings,
    const SerialTimeouts& initialTimeouts, std::uint32_t transmitQueueSize, std::uint32_t receiveQueueSize)
{
    handle = -1;
    devicePath = SerialPortDevice(number);
    int failedCode = 0;
    int failedErrno = 0;
    const auto fail = [&](int code, int error) {
        failedCode = code;
        failedErrno = error;
    };
    if (devicePath.isEmpty()) {
        fail(1, ENOENT);
    } else {
        handle
            = ::open(QFile::encodeName(devicePath).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (handle < 0)
            fail(1, errno);
        else if (::flock(handle, LOCK_EX | LOCK_NB) != 0)
            fail(1, errno);
        else if (::ioctl(handle, TIOCEXCL) != 0)
            fail(1, errno);
    }
    if (failedCode == 0) {
        savedSettingsValid = ::tcgetattr(handle, &savedSettings) == 0;
        if (transmitQueueSize == 0 || receiveQueueSize == 0)
            fail(3, EINVAL);
    }
    if (failedCode == 0) {
        if (const int error = ApplyLineSettings(settings))
            fail(4, error);
    }
    // The time-outs are kept here and applied by each call (poll), so they cannot be rejected (code 5), nor
    // can reading them back fail (codes 19 and 20).
    if (failedCode == 0) {
        timeouts = initialTimeouts;
        portNumber = number;
        return;
    }
    if (handle >= 0) {
        const int closing = ::close(handle);
        handle = -1;
        if (closing != 0)
            RaiseError(-1, errno);
    }
    RaiseError(failedCode, failedErrno);
}

SerialCommClass::~SerialCommClass()
{
    try {
        Close();
    } catch (...) {
    }
}

void SerialCommClass::Close()
{
    if (handle < 0)
        return;
    SetOnCommEvent({});
    if (savedSettingsValid)
        ::tcsetattr(handle, TCSANOW, &savedSettings);
    ::ioctl(handle, TIOCNXCL);
    const int closing = ::close(handle);
    handle = -1;
    if (closing != 0)
        RaiseError(-1, errno);
}

QString SerialCommClass::Revision() const
{
    return QString::fromLatin1(RevisionText);
}

void SerialCommClass::RaiseError(int code, int lastError) const
{
    const std::string message = "SerialComm [" + std::to_string(portNumber) + "] (" + RevisionText
        + ") error: " + std::to_string(code) + "\r" + "LastError " + std::to_string(lastError) + "\r"
        + std::strerror(lastError);
    throw ESerialCommException(code, message);
}

int SerialCommClass::ApplyLineSettings(const SerialLineSettings& settings)
{
    termios line {};
    if (::tcgetattr(handle, &line) != 0)
        return errno;
    ::cfmakeraw(&line);
    const speed_t speed = SpeedOf(settings.BaudRate);
    if (speed == 0)
        return EINVAL;
    ::cfsetispeed(&line, speed);
    ::cfsetospeed(&line, speed);
    line.c_cflag &= ~tcflag_t(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    switch (settings.ByteSize) {
    case 5:
        line.c_cflag |= CS5;
        break;
    case 6:
        line.c_cflag |= CS6;
        break;
    case 7:
        line.c_cflag |= CS7;
        break;
    default:
        line.c_cflag |= CS8;
        break;
    }
    if (settings.Parity == 'e')
        line.c_cflag |= PARENB;
    else if (settings.Parity == 'o')
        line.c_cflag |= PARENB | PARODD;
    if (settings.StopBits == 2)
        line.c_cflag |= CSTOPB;
    if (settings.OutxCtsFlow)
        line.c_cflag |= CRTSCTS;
    line.c_cflag |= CREAD | CLOCAL;
    line.c_iflag &= ~tcflag_t(IXON | IXOFF | IXANY);
    if (settings.OutX)
        line.c_iflag |= IXON;
    if (settings.InX)
        line.c_iflag |= IXOFF;
    line.c_cc[VMIN] = 0;
    line.c_cc[VTIME] = 0;
    if (::tcsetattr(handle, TCSANOW, &line) != 0)
        return errno;
    return 0;
}

void SerialCommClass::Write(const void* buffer, std::uint32_t count)
{
    if (handle < 0)
        RaiseError(6, EBADF);
    const auto* bytes = static_cast<const char*>(buffer);
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeouts.WriteTotalTimeoutConstant);
    std::uint32_t written = 0;
    int lastError = 0;
    while (written < count) {
        const ssize_t n = ::write(handle, bytes + written, count - written);
        if (n > 0) {
            written += std::uint32_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            RaiseError(7, errno);
        lastError = EAGAIN;
        const int wait = MillisecondsUntil(deadline);
        if (wait == 0)
            break;
        pollfd waiter {handle, POLLOUT, 0};
        if (::poll(&waiter, 1, wait) < 0 && errno != EINTR)
            RaiseError(7, errno);
        if (waiter.revents & (POLLERR | POLLHUP | POLLNVAL))
            RaiseError(7, EIO);
    }
    if (written < count)
        RaiseError(8, lastError);
}

void SerialCommClass::ReadWithTimeout(
    void* buffer, std::uint32_t count, std::uint32_t& bytesRead, std::uint32_t timeoutMs)
{
    bytesRead = 0;
    if (handle < 0)
        RaiseError(13, EBADF);
    // The call's time-out stands in for the configured one only while this read runs.
    const std::uint32_t configured = timeouts.ReadTotalTimeoutConstant;
    timeouts.ReadTotalTimeoutConstant = timeoutMs;
    struct Restore {
        SerialTimeouts& timeouts;
        std::uint32_t value;
        ~Restore() { timeouts.ReadTotalTimeoutConstant = value; }
    } restore {timeouts, configured};

    auto* bytes = static_cast<char*>(buffer);
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    bool hungUp = false;
    while (bytesRead < count) {
        const ssize_t n = ::read(handle, bytes + bytesRead, count - bytesRead);
        if (n > 0) {
            bytesRead += std::uint32_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            RaiseError(14, errno);
        if (hungUp)
            RaiseError(14, EIO);
        const int wait = MillisecondsUntil(deadline);
        if (wait == 0)
            break;
        pollfd waiter {handle, POLLIN, 0};
        if (::poll(&waiter, 1, wait) < 0 && errno != EINTR)
            RaiseError(14, errno);
        hungUp = (waiter.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0;
    }
}

std::uint32_t SerialCommClass::QueuedBytes(int code)
{
    int queued = 0;
    if (::ioctl(handle, FIONREAD, &queued) != 0)
        RaiseError(code, errno);
    return std::uint32_t(std::max(queued, 0));
}

void SerialCommClass::ReadAvailable(
    void* buffer, std::uint32_t capacity, std::uint32_t& bytesRead, std::uint32_t wanted)
{
    bytesRead = 0;
    if (handle < 0)
        RaiseError(9, EBADF);
    const std::uint32_t queued = QueuedBytes(10);
    if (queued < std::min(wanted, capacity))
        return;
    const std::uint32_t count = std::min({queued, wanted, capacity});
    if (count == 0)
        return;
    const ssize_t n = ::read(handle, buffer, count);
    if (n < 0)
        RaiseError(11, errno);
    bytesRead = std::uint32_t(n);
    if (bytesRead < count)
        RaiseError(12, EIO);
}

std::uint32_t SerialCommClass::InQueueCount()
{
    if (handle < 0)
        RaiseError(15, EBADF);
    return QueuedBytes(16);
}

void SerialCommClass::PurgeReceive()
{
    if (handle < 0)
        RaiseError(17, EBADF);
    if (::tcflush(handle, TCIFLUSH) != 0)
        RaiseError(18, errno);
}

void SerialCommClass::SetOnCommEvent(const TSerialCommEventHandler& handler)
{
    const bool sameHandler
        = handler && eventHandler && handler.object != nullptr && handler.object == eventHandler.object;
    if (sameHandler || (!handler && !eventHandler && !eventThread))
        return;
    TerminateAndFreeThread(eventThread);
    eventHandler = handler;
    if (!handler || handle < 0)
        return;
    eventThread = std::make_unique<TOnSerialCommEventThread>(*this, handler);
    eventThread->Start();
}
