#include "receiver/AOR8200Unit.h"

#include "receiver/ChangeThisByteToThatByteUnit.h"
#include "receiver/SquelchMonitoringThread.h"
#include "support/ThreadUnit.h"

#include <QRegularExpression>

#include <chrono>
#include <limits>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int LockWaitMs = 2000;
constexpr int DestructionWaitMs = 4000;
constexpr int PollMs = 20;
constexpr int ReadPassMs = 80;
constexpr int MaxReadPerPass = 255;
constexpr int RetrySleepMs = 200;
const QString CRLF = QStringLiteral("\r\n");

// Sets the event again when the scope ends, also by an exception.
class EventReleaser {
public:
    explicit EventReleaser(TAutoResetEvent& event)
        : event(event)
    {
    }
    ~EventReleaser() { event.SetEvent(); }
    EventReleaser(const EventReleaser&) = delete;
    EventReleaser& operator=(const EventReleaser&) = delete;

private:
    TAutoResetEvent& event;
};

void SleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// The number cut down to a multiple of unit, right-aligned in width characters with the blanks made zeros.
QString FormatCutField(std::int32_t value, std::int32_t unit, int width)
{
    QByteArray field
        = QString::number(value / unit * unit).rightJustified(width, QLatin1Char(' ')).toLatin1();
    ChangeThisByteToThatByte(field.data(), int(field.size()), ' ', '0');
    return QString::fromLatin1(field);
}

bool StrToFloat(const QString& text, double& value)
{
    static const QRegularExpression decimal(QStringLiteral("^ *[+-]?(\\d+\\.?\\d*|\\.\\d+) *$"));
    if (!decimal.match(text).hasMatch())
        return false;
    bool ok = false;
    value = text.trimmed().toDouble(&ok);
    return ok;
}

} // namespace

// ---- Vocabulary ----

const char ScanBankLetters[21] = "ABCDEFGHIJabcdefghij";
const char SearchBankLetters[41] = "ABCDEFGHIJKLMNOPQRSTabcdefghijklmnopqrst";

QString RxModeName(AOR8200RxModeType mode)
{
    static const char* const names[AOR8200RxModeCount]
        = {"WFM", "NFM", "AM", "USB", "LSB", "CW", "SFM", "WAM", "NAM"};
    if (int(mode) >= AOR8200RxModeCount)
        return {};
    return QString::fromLatin1(names[mode]);
}

void FillReceiveModeList(QStringList* list)
{
    if (list == nullptr)
        return;
    list->clear();
    for (int mode = 0; mode < AOR8200RxModeCount; ++mode)
        list->append(RxModeName(AOR8200RxModeType(mode)));
}

QString MemoryName(char bank, int channel)
{
    return QString(QLatin1Char(bank)) + QString::number(channel).rightJustified(2, QLatin1Char('0'));
}

BankLetterSet BankLetterSet::FromLetters(const QString& letters)
{
    BankLetterSet set;
    for (const QChar c : letters)
        if (c.unicode() < 256)
            set.Include(char(c.unicode()));
    return set;
}

QString BankLetterSet::MembersIn(const char* order) const
{
    QString members;
    for (const char* c = order; *c; ++c)
        if (Contains(*c))
            members += QLatin1Char(*c);
    return members;
}

QString BankLetterSet::Pattern(const char* order) const
{
    QString pattern;
    for (const char* c = order; *c; ++c)
        pattern += Contains(*c) ? QLatin1Char(*c) : QLatin1Char('-');
    return pattern;
}

EAOR8200::EAOR8200(const QString& message)
    : std::runtime_error(message.toStdString())
{
}

// ---- One exchange ----

// Runs one command exchange under AccessEvent; the caller waits for it and takes the reply.
class TSendCommandGetResponseThread : public TThread {
public:
    TSendCommandGetResponseThread(
        TAOR8200& driver, const QString& command, int expectedLength, int timeLimitMs)
        : driver(driver)
        , command(command)
        , expectedLength(expectedLength)
        , remainingMs(timeLimitMs)
    {
    }
    QString Reply() const { return reply; }

protected:
    void Execute() override
    {
        if (!driver.AccessEvent.WaitFor(LockWaitMs))
            driver.ReportAccessFailure(QStringLiteral("TSendCommandGetResponseThread.Execute"));
        EventReleaser release(driver.AccessEvent);
        try {
            Exchange();
        } catch (...) {
            CutReply();
            throw;
        }
        CutReply();
    }

private:
    void Exchange()
    {
        if (driver.CommPort)
            driver.CommPort->PurgeReceive();
        driver.SerialWrite(command + CRLF);
        const auto deadline = Clock::now() + std::chrono::milliseconds(remainingMs);
        do {
            SleepMs(PollMs);
            reply += driver.SerialRead(expectedLength - int(reply.size()));
            remainingMs -= PollMs;
        } while (remainingMs > 0 && Clock::now() <= deadline && reply.size() < expectedLength);
    }
    void CutReply()
    {
        if (reply.size() > expectedLength)
            reply.truncate(std::max(expectedLength, 0));
    }

    TAOR8200& driver;
    QString command;
    int expectedLength;
    int remainingMs;
    QString reply;
};

// ---- Life ----

TAOR8200::TAOR8200(QObject* owner)
    : QObject(owner)
{
    RetryCount = 5;
    SquelchMonitor = std::make_unique<TSquelchMonitoringThread>(this);
    SquelchMonitor->Start();
}

TAOR8200::~TAOR8200()
{
    TerminateAndFreeThread(SquelchMonitor);
    destroying.store(true);
    try {
        SerialWrite(QStringLiteral("EX") + CRLF);
    } catch (...) {
        // A receiver that has gone cannot be told goodbye.
    }
    SettingsEvent.WaitFor(DestructionWaitMs);
    AccessEvent.WaitFor(DestructionWaitMs);
    CommPort.reset();
}

void TAOR8200::ReportAccessFailure(const QString& operation)
{
    throw EAOR8200(QStringLiteral("AccessEvent.WaitFor failed\r") + operation);
}

std::uint8_t TAOR8200::GetCommPortNumber()
{
    if (!SettingsEvent.WaitFor(LockWaitMs))
        ReportAccessFailure(QStringLiteral("GetCommPortNumber"));
    EventReleaser release(SettingsEvent);
    return CommPortNumber;
}

void TAOR8200::SetCommPortNumber(std::uint8_t number)
{
    const QString name = QStringLiteral("SetCommPortNumber");
    if (!SettingsEvent.WaitFor(LockWaitMs))
        ReportAccessFailure(name);
    EventReleaser releaseSettings(SettingsEvent);
    if (number == CommPortNumber)
        return;
    // Holding the line lock as well keeps every exchange and monitor pass off the port while it is replaced.
    if (!AccessEvent.WaitFor(LockWaitMs))
        ReportAccessFailure(name);
    EventReleaser releaseAccess(AccessEvent);
    std::unique_ptr<SerialCommClass> previous = std::move(CommPort);
    CommPortNumber = 0;
    if (previous)
        previous->Close();
    previous.reset();
    if (number == 0)
        return;
    SerialLineSettings settings {};
    settings.DCBlength = sizeof(SerialLineSettings);
    if (!BuildCommDCB(QStringLiteral("baud=19200 parity=n data=8 stop=1"), settings))
        throw EAOR8200(QStringLiteral("BuildCommDCB failed"));
    SerialTimeouts timeouts;
    timeouts.ReadIntervalTimeout = 0;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 1500;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = 300;
    CommPort = std::make_unique<SerialCommClass>(number, settings, timeouts, 254, 2048);
    CommPortNumber = number;
}

void TAOR8200::SetOnSerialRead(const TSerialTextEvent& handler)
{
    if (!SettingsEvent.WaitFor(LockWaitMs))
        ReportAccessFailure(QStringLiteral("SetOnSerialRead"));
    EventReleaser release(SettingsEvent);
    std::lock_guard lock(handlerMutex);
    OnSerialRead = handler;
}

void TAOR8200::SetOnSerialWrite(const TSerialTextEvent& handler)
{
    if (!SettingsEvent.WaitFor(LockWaitMs))
        ReportAccessFailure(QStringLiteral("SetOnSerialWrite"));
    EventReleaser release(SettingsEvent);
    std::lock_guard lock(handlerMutex);
    OnSerialWrite = handler;
}

void TAOR8200::SetOnAOR8200Squelch(const TAOR8200SquelchEvent& handler)
{
    if (!SettingsEvent.WaitFor(LockWaitMs))
        ReportAccessFailure(QStringLiteral("SetOnAOR8200Squelch"));
    EventReleaser release(SettingsEvent);
    std::lock_guard lock(handlerMutex);
    OnAOR8200Squelch = handler;
}

TSerialTextEvent TAOR8200::CurrentOnSerialRead() const
{
    std::lock_guard lock(handlerMutex);
    return OnSerialRead;
}

TSerialTextEvent TAOR8200::CurrentOnSerialWrite() const
{
    std::lock_guard lock(handlerMutex);
    return OnSerialWrite;
}

TAOR8200SquelchEvent TAOR8200::CurrentOnAOR8200Squelch() const
{
    std::lock_guard lock(handlerMutex);
    return OnAOR8200Squelch;
}

// ---- Raw port access ----

void TAOR8200::SerialWrite(const QString& text)
{
    SerialCommClass* port = CommPort.get();
    if (port == nullptr)
        return;
    QString written = text;
    if (const TSerialTextEvent handler = CurrentOnSerialWrite(); handler && !destroying.load()) {
        try {
            handler(this, written);
        } catch (...) {
        }
    }
    const QByteArray bytes = written.toLatin1();
    port->Write(bytes.constData(), std::uint32_t(bytes.size()));
}

QString TAOR8200::SerialRead(int count)
{
    QString text;
    if (SerialCommClass* port = CommPort.get()) {
        char buffer[MaxReadPerPass];
        while (text.size() < count) {
            const int asked = std::min<int>(MaxReadPerPass, count - int(text.size()));
            std::uint32_t got = 0;
            port->ReadWithTimeout(buffer, std::uint32_t(asked), got, ReadPassMs);
            text += QString::fromLatin1(buffer, got);
            if (got == 0)
                break;
            // A pass that ran out its time with the line quiet at the end would most likely bring nothing;
            // whatever arrives later is read by the caller's next poll, a report without the extra 80 ms.
            if (int(got) < asked && port->InQueueCount() == 0)
                break;
        }
    }
    if (const TSerialTextEvent handler = CurrentOnSerialRead(); handler && !destroying.load()) {
        try {
            handler(this, text);
        } catch (...) {
        }
    }
    return text;
}

int TAOR8200::QueuedCharacterCount()
{
    SerialCommClass* port = CommPort.get();
    return port ? int(port->InQueueCount()) : 0;
}

// ---- Exchanges with retries ----

QString TAOR8200::SendCommandGetResponse(const QString& command, int expectedLength, int timeLimitMs)
{
    TSendCommandGetResponseThread worker(*this, command, expectedLength, timeLimitMs);
    worker.Start();
    worker.WaitFor();
    return worker.Reply();
}

void TAOR8200::SendCommandCheckOK(const QString& command, int timeLimitMs)
{
    QString reply;
    for (int attempt = 0; attempt < RetryCount; ++attempt) {
        reply = SendCommandGetResponse(command, 2, timeLimitMs);
        if (reply == CRLF)
            return;
    }
    throw EAOR8200(
        QStringLiteral("Cmd ") + command + QStringLiteral("  Returned ==>") + reply + QStringLiteral("<=="));
}

int TAOR8200::GetNDigitIntegerValue(const QString& command, int digits, int minimum, int maximum,
    const QString& terminator, const QString& operationName)
{
    const int expected = int(command.size()) + digits + int(terminator.size());
    for (int attempt = 0; attempt < RetryCount; ++attempt) {
        const QString reply = SendCommandGetResponse(command, expected, 200);
        if (!reply.startsWith(command) || terminator.isEmpty()
            || reply.indexOf(terminator) != reply.size() - terminator.size())
            continue;
        const QString number = reply.mid(command.size(), reply.size() - command.size() - terminator.size());
        std::int32_t value = 0;
        if (!StrToInt(number, value)) {
            SleepMs(RetrySleepMs);
            continue;
        }
        if (value >= minimum && value <= maximum)
            return value;
    }
    throw EAOR8200(operationName + QStringLiteral(" GetNDigitIntegerValue"));
}

double TAOR8200::GetNDigitRealValue(
    const QString& command, int characters, double minimum, double maximum, const QString& operationName)
{
    const int expected = int(command.size()) + characters + 2;
    for (int attempt = 0; attempt < RetryCount; ++attempt) {
        const QString reply = SendCommandGetResponse(command, expected, 10);
        if (!reply.startsWith(command) || reply.indexOf(CRLF) != reply.size() - 2)
            continue;
        double value = 0;
        if (!StrToFloat(reply.mid(command.size(), reply.size() - command.size() - 2), value)) {
            SleepMs(RetrySleepMs);
            continue;
        }
        if (value >= minimum && value <= maximum)
            return value;
    }
    throw EAOR8200(operationName + QStringLiteral(" GetNDigitRealValue"));
}

QString TAOR8200::GetText(const QString& command, int length, int timeLimitMs, bool prefixCheck)
{
    const int expected = int(command.size()) + length + 2;
    for (int attempt = 0; attempt < RetryCount; ++attempt) {
        const QString reply = SendCommandGetResponse(command, expected, timeLimitMs);
        if (reply.size() < 2 || reply.indexOf(CRLF) != reply.size() - 2)
            continue;
        if (prefixCheck && !reply.startsWith(command))
            continue;
        return reply.left(reply.size() - 2).mid(command.size());
    }
    throw EAOR8200(QStringLiteral("GetText ") + command);
}

void TAOR8200::SetNDigitIntegerValue(const QString& command, int value, int digits)
{
    SendCommandCheckOK(command + QString::number(value).rightJustified(digits, QLatin1Char('0')), 100);
}

void TAOR8200::SetText(const QString& command, const QString& text, int width)
{
    SendCommandCheckOK(command + text.leftJustified(width, QLatin1Char(' ')), 100);
}

// ---- Reply parsers and formatters ----

bool TAOR8200::StrToInt(const QString& text, std::int32_t& value)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    if (i >= text.size())
        return false;
    std::int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        magnitude = magnitude * 10 + (c.unicode() - '0');
        if (magnitude > std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1)
            return false;
    }
    const std::int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > std::numeric_limits<std::int32_t>::max())
        return false;
    value = std::int32_t(signedValue);
    return true;
}

bool TAOR8200::TakePrefix(QString& text, const QString& literal)
{
    if (!text.startsWith(literal))
        return false;
    text.remove(0, literal.size());
    return true;
}

bool TAOR8200::TakeChars(QString& text, int count, QString& part)
{
    part = text.left(std::max(count, 0));
    if (count < 0 || text.size() < count)
        return false;
    text.remove(0, count);
    return true;
}

bool TAOR8200::TakeInteger(QString& text, int count, std::int32_t& value)
{
    QString part;
    return TakeChars(text, count, part) && StrToInt(part, value);
}

bool TAOR8200::TakePrefixedChars(QString& text, const QString& literal, int count, QString& part)
{
    return TakePrefix(text, literal) && TakeChars(text, count, part);
}

bool TAOR8200::TakePrefixedInteger(QString& text, const QString& literal, int count, std::int32_t& value)
{
    return TakePrefix(text, literal) && TakeInteger(text, count, value);
}

QString TAOR8200::FormatFrequencyField(std::int32_t value)
{
    return FormatCutField(value, 50, 10);
}

QString TAOR8200::FormatStepField(std::int32_t value)
{
    return FormatCutField(value, 5, 6);
}
