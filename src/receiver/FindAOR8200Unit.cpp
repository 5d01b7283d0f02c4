#include "receiver/FindAOR8200Unit.h"

#include "app/EventLogUnit.h"
#include "receiver/AOR8200Unit.h"
#include "support/SynchronizeUnit.h"

#include <QRegularExpression>
#include <QSet>

#include <cerrno>
#include <cstdint>

namespace {

constexpr int FailedPortPauseMs = 50;
constexpr int FoundPauseMs = 1000;

void PauseFor(const TFindAOR8200Hooks& hooks, int ms)
{
    if (hooks.Pause)
        hooks.Pause(ms);
    else
        WaitRunningMainThreadQueue([] { return false; }, ms);
}

// The errno a serial port failure carries in its message ("LastError 13"), or 0.
int LastErrorOf(const ESerialCommException& error)
{
    static const QRegularExpression lastError(QStringLiteral("LastError (\\d+)"));
    const QRegularExpressionMatch match = lastError.match(QString::fromLocal8Bit(error.what()));
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

void ReportPermissionDenied(const QString& device)
{
    AddToEventLog(
        QStringLiteral("FindAOR8200: permission denied on %1; add the user to the \"dialout\" group "
                       "(adduser $USER dialout) and log in again")
            .arg(device),
        clRed, false);
}

} // namespace

bool SearchForAOR8200(TAOR8200& driver, const TFindAOR8200Hooks& hooks)
{
    const std::uint8_t start = driver.GetCommPortNumber();
    std::uint8_t n = start;
    QSet<QString> denied;
    bool found = false;
    do {
        ++n;
        if (hooks.Status)
            hooks.Status(QStringLiteral("Searching for AOR8200.... Testing COM") + QString::number(n));
        if (hooks.Progress)
            hooks.Progress(0, 255, n);
        try {
            driver.SetCommPortNumber(n);
            driver.SetSquelchReporting(1);
            found = true;
        } catch (const ESerialCommException& error) {
            const QString device = SerialPortDevice(n);
            if (error.code() == 1 && LastErrorOf(error) == EACCES && !denied.contains(device)) {
                denied.insert(device);
                ReportPermissionDenied(device);
            }
            // A number beyond the port table names no device: there is nothing to let settle.
            if (!device.isEmpty())
                PauseFor(hooks, FailedPortPauseMs);
        } catch (const std::exception&) {
            PauseFor(hooks, FailedPortPauseMs);
        }
    } while (!found && n != start);
    if (found) {
        if (hooks.Status)
            hooks.Status(
                QStringLiteral("Found AOR8200 on COM") + QString::number(driver.GetCommPortNumber()));
        PauseFor(hooks, FoundPauseMs);
    }
    return found;
}
