// Feeds arbitrary line bytes to the squelch report parser: it must never crash, and whatever it accepts must
// be a report the rest of the program can rely on.

#include "receiver/AOR8200Unit.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size));
    TSquelchReport report;
    if (!ParseSquelchReport(text, report))
        return 0;
    const bool channelMatchesSource
        = report.IsSearch ? report.Channel == -1 : report.Channel >= -99 && report.Channel <= 99;
    const bool bankMatchesSource
        = report.IsSearch ? IsSearchBankLetter(report.Bank) : IsScanBankLetter(report.Bank);
    const bool closedHasNoFrequency = report.SquelchOpen || report.Frequency == 0;
    if (!text.startsWith(QLatin1String("LC")) || !channelMatchesSource || !bankMatchesSource
        || !closedHasNoFrequency)
        __builtin_trap();
    return 0;
}
