// The receiver's settings and actions: each operation's text, reply check, limit and failure.

#include "receiver/AOR8200Unit.h"

#include <cmath>
#include <limits>

namespace {

const QString CRLF = QStringLiteral("\r\n");
constexpr int AnyMinimum = std::numeric_limits<int>::min();
constexpr int AnyMaximum = std::numeric_limits<int>::max();

QString WithBank(const char* command, char bank)
{
    return QString::fromLatin1(command) + QLatin1Char(bank);
}

} // namespace

// ---- Settings ----

int TAOR8200::GetSquelchReporting()
{
    return GetNDigitIntegerValue(QStringLiteral("LC"), 1, 0, 1, CRLF, QStringLiteral("LC"));
}

void TAOR8200::SetSquelchReporting(std::uint8_t value)
{
    SetNDigitIntegerValue(QStringLiteral("LC"), value, 1);
}

int TAOR8200::GetFirmwareVersion()
{
    return GetNDigitIntegerValue(QStringLiteral("VR"), 4, AnyMinimum, AnyMaximum, CRLF, QStringLiteral("VR"));
}

int TAOR8200::GetScanGroupIndex()
{
    return GetNDigitIntegerValue(QStringLiteral("GM"), 1, 0, 9, QStringLiteral(" "), QStringLiteral("GM"));
}

void TAOR8200::SetScanGroupIndex(std::uint8_t value)
{
    SetNDigitIntegerValue(QStringLiteral("GM"), value, 1);
}

int TAOR8200::GetSearchGroupIndex()
{
    return GetNDigitIntegerValue(QStringLiteral("GS"), 1, 0, 9, QStringLiteral(" "), QStringLiteral("GS"));
}

void TAOR8200::SetSearchGroupIndex(std::uint8_t value)
{
    SetNDigitIntegerValue(QStringLiteral("GS"), value, 1);
}

int TAOR8200::GetAudioSearchSetting()
{
    return GetNDigitIntegerValue(QStringLiteral("SA"), 4, 0, 255, CRLF, QStringLiteral("SA"));
}

void TAOR8200::SetAudioSearchSetting(std::uint8_t value)
{
    SetNDigitIntegerValue(QStringLiteral("SA"), value, 3);
}

int TAOR8200::GetLevelSearchSetting()
{
    return GetNDigitIntegerValue(QStringLiteral("SB"), 4, 0, 255, CRLF, QStringLiteral("SB"));
}

void TAOR8200::SetLevelSearchSetting(std::uint8_t value)
{
    SetNDigitIntegerValue(QStringLiteral("SB"), value, 3);
}

int TAOR8200::GetSearchPauseSecs()
{
    return GetNDigitIntegerValue(QStringLiteral("SP"), 2, 0, 60, CRLF, QStringLiteral("GetSearchPauseSecs"));
}

void TAOR8200::SetSearchPauseSecs(std::uint8_t value)
{
    SetNDigitIntegerValue(QStringLiteral("SP"), value, 2);
}

int TAOR8200::GetSearchDelayDeciSecs()
{
    const double seconds
        = GetNDigitRealValue(QStringLiteral("SD"), 3, 0, 9.9, QStringLiteral("GetSearchDelayDeciSecs"));
    return int(std::lround(seconds * 10));
}

void TAOR8200::SetSearchDelayDeciSecs(std::uint8_t value)
{
    SetNDigitIntegerValue(QStringLiteral("SD"), value, 2);
}

int TAOR8200::GetAudioScanSetting()
{
    return GetNDigitIntegerValue(QStringLiteral("XA"), 4, 0, 255, CRLF, QStringLiteral("XA"));
}

void TAOR8200::SetAudioScanSetting(std::uint8_t value)
{
    SetNDigitIntegerValue(QStringLiteral("XA"), value, 3);
}

int TAOR8200::GetLevelScanSetting()
{
    return GetNDigitIntegerValue(QStringLiteral("XB"), 4, 0, 255, CRLF, QStringLiteral("XB"));
}

void TAOR8200::SetLevelScanSetting(std::uint8_t value)
{
    SetNDigitIntegerValue(QStringLiteral("XB"), value, 3);
}

int TAOR8200::GetScanPauseSecs()
{
    return GetNDigitIntegerValue(QStringLiteral("XP"), 2, 0, 60, CRLF, QStringLiteral("XP"));
}

void TAOR8200::SetScanPauseSecs(std::uint8_t value)
{
    SetNDigitIntegerValue(QStringLiteral("XP"), value, 2);
}

int TAOR8200::GetScanDelayDeciSecs()
{
    const double seconds
        = GetNDigitRealValue(QStringLiteral("XD"), 3, 0, 9.9, QStringLiteral("GetScanDelayDeciSecs"));
    return int(std::lround(seconds * 10));
}

void TAOR8200::SetScanDelayDeciSecs(std::uint8_t value)
{
    SetNDigitIntegerValue(QStringLiteral("XD"), value, 2);
}

// ---- Scan bank texts and sizes ----

QString TAOR8200::GetScanBankText(char bank)
{
    return GetText(WithBank("TB", bank), 8, 200, true);
}

void TAOR8200::SetScanBankText(char bank, const QString& text)
{
    SetText(WithBank("TB", bank), text.left(8), 8);
}

int TAOR8200::GetScanBankSize(char bank)
{
    const QString command = WithBank("MW", bank);
    const char upper = QChar(QLatin1Char(bank)).toUpper().toLatin1();
    const char lower = QChar(QLatin1Char(bank)).toLower().toLatin1();
    int result = 0;
    bool succeeded = false;
    for (int attempt = 0; attempt < RetryCount && !succeeded; ++attempt) {
        QString reply = SendCommandGetResponse(command, 14, 10);
        std::int32_t upperSize = 0;
        std::int32_t lowerSize = 0;
        if (!TakePrefix(reply, QStringLiteral("MW ") + QLatin1Char(upper) + QLatin1Char(':')))
            continue;
        if (!TakeInteger(reply, 2, upperSize))
            continue;
        if (bank == upper)
            result = upperSize;
        if (!TakePrefix(reply, QStringLiteral(" ") + QLatin1Char(lower) + QLatin1Char(':')))
            continue;
        if (!TakeInteger(reply, 2, lowerSize))
            continue;
        if (bank == lower)
            result = lowerSize;
        succeeded = TakePrefix(reply, CRLF);
    }
    if (!succeeded || result == 0)
        throw EAOR8200(QStringLiteral("GetScanBankSize MW"));
    return result;
}

void TAOR8200::SetScanBankSize(char bank, int size)
{
    try {
        SendCommandCheckOK(WithBank("MW", bank) + QString::number(size), 100);
    } catch (...) {
        // The receiver re-sorts its memories for a long time after this and answers late or not at all.
    }
}

// ---- Link groups ----

BankLetterSet TAOR8200::ReadLinkGroup(const QString& command, int expectedLength, int timeLimitMs,
    const char* order, bool (*isLetter)(char), const QString& failure)
{
    const int positions = int(std::char_traits<char>::length(order));
    const int replyLength = 3 + positions + 2;
    for (int attempt = 0; attempt < RetryCount; ++attempt) {
        QString reply = SendCommandGetResponse(command, expectedLength, timeLimitMs);
        if (reply.size() != replyLength || reply.indexOf(CRLF) != replyLength - 2)
            continue;
        if (!TakePrefix(reply, command + QLatin1Char(' ')))
            continue;
        BankLetterSet group;
        bool valid = true;
        for (int i = 0; i < positions && valid; ++i) {
            const QChar c = reply.at(i);
            if (c == QLatin1Char('-'))
                continue;
            valid = c.unicode() < 128 && isLetter(char(c.unicode()));
            if (valid)
                group.Include(char(c.unicode()));
        }
        if (valid)
            return group;
    }
    throw EAOR8200(failure);
}

BankLetterSet TAOR8200::GetScanBankLinkGroup()
{
    return ReadLinkGroup(
        QStringLiteral("BM"), 26, 100, ScanBankLetters, [](char c) { return IsScanBankLetter(c); },
        QStringLiteral("GetScanBankLinkGroup"));
}

void TAOR8200::SetScanBankLinkGroup(const BankLetterSet& group)
{
    const QString command = QStringLiteral("BM%% ") + group.MembersIn(ScanBankLetters);
    const QString pattern = group.Pattern(ScanBankLetters);
    const QString answer = GetText(command, 20, 100, false);
    if (!(GetScanBankLinkGroup() == group))
        throw EAOR8200(QStringLiteral("SetScanBankLinkGroup ") + answer + QStringLiteral("<>") + pattern);
}

BankLetterSet TAOR8200::GetSearchBankLinkGroup()
{
    return ReadLinkGroup(
        QStringLiteral("BS"), 45, 1000, SearchBankLetters, [](char c) { return IsSearchBankLetter(c); },
        QStringLiteral("GetSearchBankLinkGroup"));
}

void TAOR8200::SetSearchBankLinkGroup(const BankLetterSet& group)
{
    const QString command = QStringLiteral("BS%% ") + group.MembersIn(SearchBankLetters);
    const QString expected = QStringLiteral("BS ") + group.Pattern(SearchBankLetters) + CRLF;
    if (SendCommandGetResponse(command, 45, 1000) != expected)
        throw EAOR8200(QStringLiteral("SetSearchBankLinkGroup"));
}

// ---- Actions ----

void TAOR8200::SetVFOFrequency(std::int32_t hertz)
{
    SendCommandCheckOK(QStringLiteral("VA") + FormatFrequencyField(hertz), 100);
}

void TAOR8200::StartMemoryScan(char bank)
{
    SendCommandCheckOK(IsScanBankLetter(bank) ? WithBank("MS", bank) : QStringLiteral("MS"), 200);
}

void TAOR8200::StartSearch(char bank)
{
    SendCommandCheckOK(IsSearchBankLetter(bank) ? WithBank("SS", bank) : QStringLiteral("SS"), 100);
}

void TAOR8200::AddPassFrequency()
{
    SendCommandCheckOK(QStringLiteral("PW"), 300);
}

void TAOR8200::PowerOff()
{
    try {
        SendCommandCheckOK(QStringLiteral("QP"), 200);
    } catch (...) {
        // Switching off is offered while closing; a receiver that does not answer is no error then.
    }
}

void TAOR8200::SendCursorKey(char key)
{
    // The receiver answers "?" CR LF; whatever comes back is ignored.
    SendCommandGetResponse(QString(QLatin1Char(key)), 3, 100);
}
