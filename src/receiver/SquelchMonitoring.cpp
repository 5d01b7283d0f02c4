// The squelch monitor: polls the line, parses report lines and hands them to the main thread.

#include "receiver/SquelchMonitoringThread.h"

#include "support/SynchronizeUnit.h"

#include <algorithm>

namespace {
const QString CRLF = QStringLiteral("\r\n");
}

bool ParseSquelchReport(const QString& line, TSquelchReport& report)
{
    QString text = line;
    report.Frequency = 0;
    report.Bank = '?';
    report.Channel = -1;
    if (!TAOR8200::TakePrefix(text, QStringLiteral("LC")))
        return false;
    report.SquelchOpen = !TAOR8200::TakePrefix(text, QStringLiteral("%"));
    std::int32_t level = 0;
    if (!TAOR8200::TakeInteger(text, 3, level))
        return false;
    report.SignalLevel = std::uint8_t(level & 0xFF);
    if (!TAOR8200::TakePrefix(text, QStringLiteral(" ")))
        return false;
    bool (*allowed)(char) = nullptr;
    if (TAOR8200::TakePrefix(text, QStringLiteral("MX"))) {
        report.IsSearch = false;
        allowed = [](char c) { return IsScanBankLetter(c); };
    } else if (TAOR8200::TakePrefix(text, QStringLiteral("SR"))) {
        report.IsSearch = true;
        allowed = [](char c) { return IsSearchBankLetter(c); };
    } else {
        return false;
    }
    if (text.isEmpty() || text.at(0).unicode() > 127 || !allowed(char(text.at(0).unicode())))
        return false;
    report.Bank = char(text.at(0).unicode());
    text.remove(0, 1);
    if (!report.IsSearch && !TAOR8200::TakeInteger(text, 2, report.Channel))
        return false;
    if (report.SquelchOpen) {
        if (!TAOR8200::TakePrefix(text, QStringLiteral(" ")))
            return false;
        if (TAOR8200::TakePrefix(text, QStringLiteral("RF"))) {
            if (!TAOR8200::TakeInteger(text, 10, report.Frequency))
                return false;
        } else {
            report.SquelchOpen = false;
        }
    }
    return true;
}

TSquelchMonitoringThread::TSquelchMonitoringThread(TAOR8200* driver)
    : driver(driver)
{
}

void TSquelchMonitoringThread::Execute()
{
    while (!Terminated()) {
        if (!SleepUnlessTerminated(PassSleepMs))
            break;
        if (driver == nullptr) {
            Terminate();
            continue;
        }
        try {
            RunPass();
        } catch (...) {
            // A lock time-out, a port error or a failing handler ends only this pass.
        }
    }
}

void TSquelchMonitoringThread::RunPass()
{
    UpdateReceivedStringForProcessing();
    if (ReceiveBuffer.size() > BufferLimit)
        ReceiveBuffer.clear();
    ProcessReceiveBuffer();
}

void TSquelchMonitoringThread::UpdateReceivedStringForProcessing()
{
    if (Terminated())
        return;
    if (!driver->AccessEvent.WaitFor(2000))
        driver->ReportAccessFailure(QStringLiteral("UpdateReceivedStringForProcessing"));
    struct Release {
        TAutoResetEvent& event;
        ~Release() { event.SetEvent(); }
    } release {driver->AccessEvent};
    // Only what has already arrived is read: an 80 ms read on a quiet line, or one waiting for more than is
    // there, would keep every exchange off the line for nothing; what arrives later is read 100 ms later.
    const int wanted = std::min(driver->QueuedCharacterCount(), ReadPerPass);
    ReceiveBuffer += driver->SerialRead(wanted);
}

void TSquelchMonitoringThread::ProcessReceiveBuffer()
{
    while (!Terminated() && ReceiveBuffer.size() > 2 && ReceiveBuffer.contains(CRLF)) {
        if (!ParseSquelchReport(ReceiveBuffer, Report)) {
            ReceiveBuffer.remove(0, 1);
            continue;
        }
        if (driver->CurrentOnAOR8200Squelch())
            Synchronize([this] { DeliverSquelchEvent(); });
        ReceiveBuffer.remove(0, ReceiveBuffer.indexOf(CRLF) + 2);
    }
}

void TSquelchMonitoringThread::DeliverSquelchEvent()
{
    const TAOR8200SquelchEvent handler = driver->CurrentOnAOR8200Squelch();
    if (!handler)
        return;
    try {
        handler(driver, Report.SquelchOpen, Report.SignalLevel, Report.Frequency, Report.IsSearch,
            Report.Bank, Report.Channel);
    } catch (...) {
    }
}
