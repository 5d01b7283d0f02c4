#pragma once
// A pseudo-terminal for tests: the test holds the master side and answers each command line the driver sends
// with whatever the reply function gives, on a thread of its own.

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <functional>
#include <mutex>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <termios.h>
#include <thread>
#include <unistd.h>

class PtyReceiver {
public:
    using ReplyFunction = std::function<QByteArray(const QByteArray& command)>;

    explicit PtyReceiver(ReplyFunction reply = {})
        : reply(std::move(reply))
    {
        char name[256] = {};
        termios raw {};
        cfmakeraw(&raw);
        if (::openpty(&master, &slave, name, &raw, nullptr) != 0)
            throw std::runtime_error("openpty failed");
        path = QString::fromLocal8Bit(name);
        // Keep the slave open here too, so the line exists even while nobody else has it open.
        worker = std::thread([this] { Run(); });
    }
    ~PtyReceiver() { Stop(); }
    PtyReceiver(const PtyReceiver&) = delete;
    PtyReceiver& operator=(const PtyReceiver&) = delete;

    QString DevicePath() const { return path; }

    void SetReply(ReplyFunction function)
    {
        std::lock_guard lock(mutex);
        reply = std::move(function);
    }
    // Writes bytes to the line now.
    void Emit(const QByteArray& bytes)
    {
        std::lock_guard lock(writeMutex);
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master, bytes.constData() + done, size_t(bytes.size() - done));
            if (n > 0)
                done += n;
            else if (n < 0 && errno != EAGAIN && errno != EINTR)
                return;
        }
    }
    QList<QByteArray> Commands() const
    {
        std::lock_guard lock(mutex);
        return commands;
    }
    QByteArray Received() const
    {
        std::lock_guard lock(mutex);
        return received;
    }
    void ClearRecords()
    {
        std::lock_guard lock(mutex);
        commands.clear();
        received.clear();
    }
    // Closes the master: the device vanishes for whoever has the slave open.
    void Stop()
    {
        if (stopping.exchange(true))
            return;
        worker.join();
        ::close(master);
        ::close(slave);
    }

private:
    void Run()
    {
        QByteArray pending;
        while (!stopping.load()) {
            pollfd waiter {master, POLLIN, 0};
            if (::poll(&waiter, 1, 10) <= 0 || !(waiter.revents & POLLIN))
                continue;
            char buffer[512];
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n <= 0)
                continue;
            pending.append(buffer, n);
            {
                std::lock_guard lock(mutex);
                received.append(buffer, n);
            }
            for (qsizetype end = pending.indexOf("\r\n"); end >= 0; end = pending.indexOf("\r\n")) {
                const QByteArray command = pending.left(end);
                pending.remove(0, end + 2);
                ReplyFunction function;
                {
                    std::lock_guard lock(mutex);
                    commands << command;
                    function = reply;
                }
                if (function)
                    Emit(function(command));
            }
        }
    }

    int master = -1;
    int slave = -1;
    QString path;
    mutable std::mutex mutex;
    std::mutex writeMutex;
    ReplyFunction reply;
    QList<QByteArray> commands;
    QByteArray received;
    std::atomic<bool> stopping {false};
    std::thread worker;
};
