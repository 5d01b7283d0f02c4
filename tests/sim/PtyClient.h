#pragma once
// The driver's side of the line in plain POSIX calls, so the simulator is tested the way a serial port sees
// it.

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

class PtyClient {
public:
    explicit PtyClient(const QString& device)
    {
        fd_ = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd_ < 0)
            return;
        termios settings {};
        tcgetattr(fd_, &settings);
        cfmakeraw(&settings);
        tcsetattr(fd_, TCSANOW, &settings);
    }
    ~PtyClient()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    PtyClient(const PtyClient&) = delete;
    PtyClient& operator=(const PtyClient&) = delete;

    bool IsOpen() const { return fd_ >= 0; }

    void Write(const QByteArray& bytes)
    {
        [[maybe_unused]] auto written = ::write(fd_, bytes.data(), bytes.size());
    }

    // Reads until count bytes came or timeoutMs passed; then, with settleMs, waits that long for surplus.
    QByteArray Read(int count, int timeoutMs = 1000, int settleMs = 0)
    {
        QByteArray bytes;
        QElapsedTimer timer;
        timer.start();
        while (bytes.size() < count && timer.elapsed() < timeoutMs)
            ReadSome(bytes, static_cast<int>(timeoutMs - timer.elapsed()));
        if (settleMs > 0) {
            QElapsedTimer settle;
            settle.start();
            while (settle.elapsed() < settleMs)
                ReadSome(bytes, static_cast<int>(settleMs - settle.elapsed()));
        }
        return bytes;
    }

    // One command as the driver sends it (CR LF added), and the whole reply: expected bytes plus any surplus.
    QByteArray Exchange(const QByteArray& command, int expected, int settleMs = 30)
    {
        Write(command + "\r\n");
        return Read(expected, 1000, settleMs);
    }

    // Reads until the line has been quiet for quietMs (or maxMs passed).
    QByteArray ReadUntilQuiet(int quietMs, int maxMs = 2000)
    {
        QByteArray bytes;
        QElapsedTimer total, quiet;
        total.start();
        quiet.start();
        while (quiet.elapsed() < quietMs && total.elapsed() < maxMs) {
            const qsizetype before = bytes.size();
            ReadSome(bytes, static_cast<int>(quietMs - quiet.elapsed()));
            if (bytes.size() != before)
                quiet.restart();
        }
        return bytes;
    }

    // What read() says now: bytes, 0 at end of file, -1 with errno.
    ssize_t ReadRaw(char* buffer, size_t size) { return ::read(fd_, buffer, size); }

private:
    void ReadSome(QByteArray& bytes, int waitMs)
    {
        pollfd in {fd_, POLLIN, 0};
        if (::poll(&in, 1, std::max(waitMs, 0)) <= 0)
            return;
        char buffer[512];
        const ssize_t count = ::read(fd_, buffer, sizeof buffer);
        if (count > 0)
            bytes.append(buffer, count);
    }

    int fd_ = -1;
};
