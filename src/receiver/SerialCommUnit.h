#pragma once
// One serial port for the receiver driver, on POSIX termios. Port number n names the n-th device of the port
// table. Every failure raises ESerialCommException with its numeric code.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <termios.h>

class ESerialCommException : public std::runtime_error {
public:
    ESerialCommException(int code, const std::string& message);
    int code() const { return errorCode; }

private:
    int errorCode;
};

// The line settings record ("DCB"): filled from a settings text by BuildCommDCB.
struct SerialLineSettings {
    std::uint32_t DCBlength = 0;
    std::uint32_t BaudRate = 0;
    std::uint8_t ByteSize = 0;
    char Parity = 'n'; // n, e, o
    std::uint8_t StopBits = 1; // 1 or 2
    bool OutX = false; // XON/XOFF on output
    bool InX = false; // XON/XOFF on input
    bool OutxCtsFlow = false;
};

// Parses "baud=19200 parity=n data=8 stop=1" (also xon=on|off and octs=on|off) into settings, keeping the
// fields the text does not name. False for an unknown key or value.
bool BuildCommDCB(const QString& text, SerialLineSettings& settings);

// Time-outs in milliseconds; a read waits at most ReadTotalTimeoutConstant, a write
// WriteTotalTimeoutConstant.
struct SerialTimeouts {
    std::uint32_t ReadIntervalTimeout = 0;
    std::uint32_t ReadTotalTimeoutMultiplier = 0;
    std::uint32_t ReadTotalTimeoutConstant = 0;
    std::uint32_t WriteTotalTimeoutMultiplier = 0;
    std::uint32_t WriteTotalTimeoutConstant = 0;
};

// The port table. An empty list (the default) means the system's serial devices in name order.
void SetSerialPortTable(const QStringList& devicePaths);
QStringList SerialPortTable();
// /dev/ttyUSB*, /dev/ttyACM* and the /dev/ttyS* with hardware behind them, in name order.
QStringList SystemSerialDevices();
// The device of port number n (1-based); empty when n is beyond the table.
QString SerialPortDevice(int portNumber);

// Port events reported to an installed handler (bits of the mask).
enum SerialCommEvent : std::uint32_t {
    EV_RXCHAR = 0x0001,
    EV_RXFLAG = 0x0002,
    EV_TXEMPTY = 0x0004,
    EV_CTS = 0x0008,
    EV_DSR = 0x0010,
    EV_RLSD = 0x0020,
    EV_BREAK = 0x0040,
    EV_ERR = 0x0080,
    EV_RING = 0x0100,
};

class SerialCommClass;

// A method reference: the object identifies the handler (installing the same one again does nothing).
struct TSerialCommEventHandler {
    const void* object = nullptr;
    std::function<void(SerialCommClass& port, std::uint32_t eventMask)> function;
    explicit operator bool() const { return bool(function); }
};

class TOnSerialCommEventThread;

class SerialCommClass {
public:
    // Opens port number portNumber of the port table, exclusively; raises code 1 to 5 on failure.
    SerialCommClass(std::uint8_t portNumber, const SerialLineSettings& settings,
        const SerialTimeouts& timeouts, std::uint32_t transmitQueueSize, std::uint32_t receiveQueueSize);
    SerialCommClass(const SerialCommClass&) = delete;
    SerialCommClass& operator=(const SerialCommClass&) = delete;
    // Closes like Close, but swallows a failure: a destructor must not throw.
    virtual ~SerialCommClass();

    virtual QString Revision() const;
    virtual void Write(const void* buffer, std::uint32_t count);
    virtual void ReadAvailable(
        void* buffer, std::uint32_t capacity, std::uint32_t& bytesRead, std::uint32_t wanted);
    virtual void ReadWithTimeout(
        void* buffer, std::uint32_t count, std::uint32_t& bytesRead, std::uint32_t timeoutMs);
    virtual std::uint32_t InQueueCount();
    virtual void PurgeReceive();

    // Removes the handler, puts the saved line settings back and closes; a failing close raises code -1.
    void Close();
    void SetOnCommEvent(const TSerialCommEventHandler& handler);

    std::uint8_t PortNumber() const { return portNumber; }
    QString DevicePath() const { return devicePath; }
    bool IsOpen() const { return handle >= 0; }
    SerialTimeouts Timeouts() const { return timeouts; }
    int Handle() const { return handle; }

private:
    friend class TOnSerialCommEventThread;
    [[noreturn]] void RaiseError(int code, int lastError) const;
    // 0, or the errno of the failure.
    int ApplyLineSettings(const SerialLineSettings& settings);
    std::uint32_t QueuedBytes(int code);

    std::uint8_t portNumber = 0;
    int handle = -1;
    bool savedSettingsValid = false;
    termios savedSettings {};
    TSerialCommEventHandler eventHandler;
    std::unique_ptr<TOnSerialCommEventThread> eventThread;
    QString devicePath;
    SerialTimeouts timeouts;
};
