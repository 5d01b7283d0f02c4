// The receiver's stored data: memory channels (recall and report, write and verify, delete), search banks and
// their pass frequencies. Every text below is one command line; the exchange adds the final CR LF.

#include "receiver/AOR8200Unit.h"

#include <chrono>
#include <thread>

namespace {

const QString CRLF = QStringLiteral("\r\n");
const QString XoffXon = QStringLiteral("\x13\x11");
constexpr int TextWidth = 12;
constexpr int HighestChannel = 99; // two digits on the wire
constexpr int HighestPassIndex = 99;

void SleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

QString TwoDigits(int value)
{
    return QString::number(value).rightJustified(2, QLatin1Char('0'));
}

QString Digit(bool flag)
{
    return flag ? QStringLiteral("1") : QStringLiteral("0");
}

// A wrong letter or number would be sent as a malformed command, or read back under a wrong key.
void RequireScanBank(const char* operation, char bank)
{
    if (!IsScanBankLetter(bank))
        throw EAOR8200(QString::fromLatin1(operation) + QStringLiteral(" - invalid ScanBankChar [")
            + QLatin1Char(bank) + QLatin1Char(']'));
}

void RequireSearchBank(const char* operation, char bank)
{
    if (!IsSearchBankLetter(bank))
        throw EAOR8200(QString::fromLatin1(operation) + QStringLiteral(" - invalid SearchBankChar [")
            + QLatin1Char(bank) + QLatin1Char(']'));
}

void RequireNumber(const char* operation, const char* what, int value, int highest)
{
    if (value < 0 || value > highest)
        throw EAOR8200(QString::fromLatin1(operation) + QStringLiteral(" - invalid ") + QLatin1String(what)
            + QStringLiteral(" [") + QString::number(value) + QLatin1Char(']'));
}

bool TakeFlag(QString& text, const QString& literal, bool& flag)
{
    std::int32_t value = 0;
    if (!TAOR8200::TakePrefixedInteger(text, literal, 1, value) || value < 0 || value > 1)
        return false;
    flag = value == 1;
    return true;
}

bool TakeMode(QString& text, AOR8200RxModeType& mode)
{
    std::int32_t value = 0;
    if (!TAOR8200::TakePrefixedInteger(text, QStringLiteral(" MD"), 1, value) || value < 0
        || value >= AOR8200RxModeCount)
        return false;
    mode = AOR8200RxModeType(value);
    return true;
}

bool TakeLetter(QString& text, bool (*isLetter)(char), char& letter)
{
    QString part;
    if (!TAOR8200::TakeChars(text, 1, part) || part.at(0).unicode() > 127
        || !isLetter(char(part.at(0).unicode())))
        return false;
    letter = char(part.at(0).unicode());
    return true;
}

// "MX" bank channel " MP"p " RF"f " ST"s " AU"a " MD"m " AT"t " TM"text(12) CR LF, into record.
bool ParseMemoryLine(QString line, MemoryChannelRecord& record)
{
    char bank = 0;
    std::int32_t channel = 0;
    QString text;
    bool ok = TAOR8200::TakePrefix(line, QStringLiteral("MX"))
        && TakeLetter(
            line, [](char c) { return IsScanBankLetter(c); }, bank)
        && TAOR8200::TakeInteger(line, 2, channel) && TakeFlag(line, QStringLiteral(" MP"), record.PassFlag)
        && TAOR8200::TakePrefixedInteger(line, QStringLiteral(" RF"), 10, record.Frequency)
        && TAOR8200::TakePrefixedInteger(line, QStringLiteral(" ST"), 6, record.StepSize)
        && TakeFlag(line, QStringLiteral(" AU"), record.AutoMode) && TakeMode(line, record.ReceiveMode)
        && TakeFlag(line, QStringLiteral(" AT"), record.Attenuator)
        && TAOR8200::TakePrefixedChars(line, QStringLiteral(" TM"), TextWidth, text)
        && TAOR8200::TakePrefix(line, CRLF);
    if (!ok)
        return false;
    record.Bank = bank;
    record.Channel = channel;
    record.Text = text;
    return true;
}

// "SR" bank " SL"l " SU"u " ST"s " AU"a " MD"m " AT"digit " TT"text(12) CR LF, into record.
bool ParseSearchLine(QString line, SearchBankRecord& record)
{
    char bank = 0;
    std::int32_t attenuator = 0;
    QString text;
    const bool ok = TAOR8200::TakePrefix(line, QStringLiteral("SR"))
        && TakeLetter(
            line, [](char c) { return IsSearchBankLetter(c); }, bank)
        && TAOR8200::TakePrefixedInteger(line, QStringLiteral(" SL"), 10, record.LowerFrequency)
        && TAOR8200::TakePrefixedInteger(line, QStringLiteral(" SU"), 10, record.UpperFrequency)
        && TAOR8200::TakePrefixedInteger(line, QStringLiteral(" ST"), 6, record.StepSize)
        && TakeFlag(line, QStringLiteral(" AU"), record.AutoMode) && TakeMode(line, record.ReceiveMode)
        && TAOR8200::TakePrefixedInteger(line, QStringLiteral(" AT"), 1, attenuator) && attenuator >= 0
        && TAOR8200::TakePrefixedChars(line, QStringLiteral(" TT"), TextWidth, text)
        && TAOR8200::TakePrefix(line, CRLF);
    if (!ok)
        return false;
    record.Bank = bank;
    record.Attenuator = std::uint8_t(attenuator);
    record.Text = text;
    return true;
}

} // namespace

// ---- Memory channels ----

void TAOR8200::RecallMemory(char bank, int channel, bool& isEmpty, bool& passFlag, std::int32_t& frequency,
    std::int32_t& stepSize, bool& autoMode, AOR8200RxModeType& receiveMode, bool& attenuator, QString& text)
{
    RequireScanBank("RecallMemory", bank);
    RequireNumber("RecallMemory", "channel", channel, HighestChannel);
    const QString command
        = QStringLiteral("MR") + QLatin1Char(bank) + TwoDigits(channel) + CRLF + QStringLiteral("RX");
    MemoryChannelRecord read;
    bool succeeded = false;
    isEmpty = false;
    for (int attempt = 0; attempt < RetryCount && !succeeded; ++attempt) {
        QString reply = SendCommandGetResponse(command, 65, 10);
        read = MemoryChannelRecord();
        if (TakePrefix(reply, CRLF + QStringLiteral("MR ")))
            succeeded = ParseMemoryLine(reply, read) && read.Bank == bank && read.Channel == channel;
        else if (reply.startsWith(QStringLiteral("?") + CRLF))
            succeeded = isEmpty = true;
        if (!succeeded)
            SleepMs(100);
    }
    if (!succeeded)
        throw EAOR8200(QStringLiteral("RecallMemory"));
    if (isEmpty) {
        read = MemoryChannelRecord();
        read.Text = QStringLiteral("Empty");
    }
    passFlag = read.PassFlag;
    frequency = read.Frequency;
    stepSize = read.StepSize;
    autoMode = read.AutoMode;
    receiveMode = read.ReceiveMode;
    attenuator = read.Attenuator;
    text = read.Text.ToString();
}

void TAOR8200::ReadMemoryRecord(char bank, int channel, MemoryChannelRecord& record)
{
    record = MemoryChannelRecord();
    record.Bank = bank;
    record.Channel = channel;
    QString text;
    TAOR8200::RecallMemory(bank, channel, record.IsEmpty, record.PassFlag, record.Frequency, record.StepSize,
        record.AutoMode, record.ReceiveMode, record.Attenuator, text);
    record.Text = text;
}

bool TAOR8200::MemoryMatches(char bank, int channel, bool passFlag, std::int32_t frequency,
    std::int32_t stepSize, bool autoMode, AOR8200RxModeType receiveMode, bool attenuator, const QString& text)
{
    MemoryChannelRecord held;
    try {
        TAOR8200::ReadMemoryRecord(bank, channel, held);
    } catch (const EAOR8200&) {
        throw std::runtime_error("TAOR8200.WriteMemory");
    }
    const bool stepAndModeMatch = autoMode || (held.StepSize == stepSize && held.ReceiveMode == receiveMode);
    return held.PassFlag == passFlag && held.Frequency == frequency && held.AutoMode == autoMode
        && held.Attenuator == attenuator && stepAndModeMatch && held.Text.ToString() == text;
}

void TAOR8200::WriteMemory(char bank, int channel, bool passFlag, std::int32_t frequency,
    std::int32_t stepSize, bool autoMode, AOR8200RxModeType receiveMode, bool attenuator, const QString& text)
{
    RequireScanBank("WriteMemory", bank);
    RequireNumber("WriteMemory", "channel", channel, HighestChannel);
    const QString cut = text.left(TextWidth);
    // Before the first write the text is compared as given, so a short text is always written once.
    QString carried = cut;
    QString lastCommand;
    int attempts = 0;
    bool matches = false;
    const auto check = [&] {
        return TAOR8200::MemoryMatches(
            bank, channel, passFlag, frequency, stepSize, autoMode, receiveMode, attenuator, carried);
    };
    do {
        ++attempts;
        try {
            matches = check();
            while (!matches && attempts <= RetryCount) {
                carried = cut.leftJustified(TextWidth, QLatin1Char(' '));
                lastCommand = QStringLiteral("MX") + QLatin1Char(bank) + TwoDigits(channel)
                    + QStringLiteral(" RF") + QString::number(frequency).rightJustified(10, QLatin1Char('0'))
                    + QStringLiteral(" AU") + Digit(autoMode) + QStringLiteral(" ST")
                    + QString::number(stepSize).rightJustified(6, QLatin1Char('0')) + QStringLiteral(" MD")
                    + QString::number(int(receiveMode)) + QStringLiteral(" AT") + Digit(attenuator)
                    + QStringLiteral(" TM") + carried + CRLF;
                ++attempts;
                SendCommandCheckOK(lastCommand, 300);
                if (autoMode)
                    SendCommandCheckOK(QStringLiteral("AU1"), 50);
                if (passFlag)
                    SendCommandCheckOK(QStringLiteral("MP1"), 50);
                SleepMs(100);
                matches = check();
            }
        } catch (const std::exception&) {
            SleepMs(200);
        }
    } while (!matches && attempts < RetryCount);
    if (!matches)
        throw EAOR8200(QStringLiteral("Cmd String ") + lastCommand + QStringLiteral("Invalid reply "));
}

void TAOR8200::DeleteMemory(char bank, int channel)
{
    RequireScanBank("DeleteMemory", bank);
    RequireNumber("DeleteMemory", "channel", channel, HighestChannel);
    MemoryChannelRecord held;
    // Also recalls the channel: "MQ" applies to the bank recalled last.
    TAOR8200::ReadMemoryRecord(bank, channel, held);
    if (held.IsEmpty)
        return;
    const QString reply = SendCommandGetResponse(QStringLiteral("MQ") + TwoDigits(channel), 2, 1000);
    if (reply != CRLF)
        throw EAOR8200(QStringLiteral("DeleteMemory ") + reply);
}

void TAOR8200::DeleteCurrentBank(char bank)
{
    RequireScanBank("DeleteCurrentBank", bank);
    const QString command = QStringLiteral("MQ") + QLatin1Char(bank) + QStringLiteral("%%");
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (SendCommandGetResponse(command, 2, 1000) == CRLF)
            return;
    }
    throw EAOR8200(QStringLiteral("DeleteCurrentBank"));
}

// ---- Search banks ----

void TAOR8200::GetSearchBankData(char bank, bool& isEmpty, std::int32_t& lowerFrequency,
    std::int32_t& upperFrequency, std::int32_t& stepSize, bool& autoMode, AOR8200RxModeType& receiveMode,
    std::uint8_t& attenuator, QString& text)
{
    const QString command = QStringLiteral("SR") + QLatin1Char(bank);
    RequireSearchBank("GetSearchBankData", bank);
    const QString emptyForm = command + QStringLiteral(" ---") + CRLF;
    SearchBankRecord read;
    bool succeeded = false;
    for (int attempt = 0; attempt < RetryCount && !succeeded; ++attempt) {
        const QString reply = SendCommandGetResponse(command, 67, 10);
        read = SearchBankRecord();
        read.IsEmpty = reply == emptyForm;
        // A line for another bank than the one asked for would be stored under the wrong letter.
        succeeded = read.IsEmpty || (ParseSearchLine(reply, read) && read.Bank == bank);
    }
    if (!succeeded)
        throw EAOR8200(QStringLiteral("GetSearchBankText ") + command);
    if (read.IsEmpty) {
        read = SearchBankRecord();
        read.IsEmpty = true;
    }
    isEmpty = read.IsEmpty;
    lowerFrequency = read.LowerFrequency;
    upperFrequency = read.UpperFrequency;
    stepSize = read.StepSize;
    autoMode = read.AutoMode;
    receiveMode = read.ReceiveMode;
    attenuator = read.Attenuator;
    text = read.Text.ToString();
}

QString TAOR8200::GetSearchBankText(char bank)
{
    return ReadSearchBankRecord(bank).Text.ToString();
}

SearchBankRecord TAOR8200::ReadSearchBankRecord(char bank)
{
    SearchBankRecord record;
    record.Bank = bank;
    QString text;
    GetSearchBankData(bank, record.IsEmpty, record.LowerFrequency, record.UpperFrequency, record.StepSize,
        record.AutoMode, record.ReceiveMode, record.Attenuator, text);
    record.Text = text;
    return record;
}

void TAOR8200::SetSearchData(char bank, std::int32_t lowerFrequency, std::int32_t upperFrequency,
    std::int32_t stepSize, bool autoMode, AOR8200RxModeType receiveMode, std::uint8_t attenuator,
    const QString& text)
{
    if (!IsSearchBankLetter(bank))
        throw EAOR8200(QStringLiteral("SetSearchData - invalid SearchBankChar [") + QLatin1Char(bank)
            + QLatin1Char(']'));
    RequireNumber("SetSearchData", "attenuator digit", attenuator, 9);
    QString command = QStringLiteral("SE") + QLatin1Char(bank) + QStringLiteral(" SL")
        + FormatFrequencyField(lowerFrequency) + QStringLiteral(" SU") + FormatFrequencyField(upperFrequency)
        + QStringLiteral(" AU") + Digit(autoMode) + QStringLiteral(" ST") + FormatStepField(stepSize)
        + QStringLiteral(" MD") + QString::number(int(receiveMode)) + QStringLiteral(" AT")
        + QString::number(attenuator) + QStringLiteral(" TT") + text.left(TextWidth);
    QString reply;
    int attempts = 0;
    bool accepted = false;
    while (!accepted && attempts < RetryCount) {
        ++attempts;
        reply = SendCommandGetResponse(command, 2, 200);
        accepted = reply == CRLF || reply == XoffXon;
    }
    if (accepted && autoMode) {
        command = QStringLiteral("AU1");
        accepted = false;
        do {
            ++attempts;
            reply = SendCommandGetResponse(command, 2, 20);
            accepted = reply == CRLF;
        } while (!accepted && attempts < RetryCount);
    }
    if (!accepted)
        throw EAOR8200(QStringLiteral("Cmd String ") + command + QStringLiteral("Invalid reply ") + reply);
}

// ---- Pass frequencies ----

std::int32_t TAOR8200::ReadPassFrequency(char bank, int index)
{
    RequireSearchBank("ReadPassFrequency", bank);
    RequireNumber("ReadPassFrequency", "index", index, HighestPassIndex);
    const QString command = QStringLiteral("PR") + QLatin1Char(bank) + TwoDigits(index);
    std::int32_t result = -1;
    bool succeeded = false;
    for (int attempt = 0; attempt < RetryCount && !succeeded; ++attempt) {
        QString reply = SendCommandGetResponse(command, 20, 20);
        if (reply.startsWith(command + QStringLiteral(" ---") + CRLF)) {
            succeeded = true;
            break;
        }
        std::int32_t frequency = 0;
        succeeded = TakePrefixedInteger(reply, command + QLatin1Char(' '), 10, frequency)
            && TakePrefix(reply, CRLF);
        if (succeeded)
            result = frequency;
    }
    if (!succeeded || result == 0)
        throw EAOR8200(QStringLiteral("ReadPassFrequency PR"));
    return result;
}

void TAOR8200::DeletePassFrequencyIndex(char bank, int index)
{
    RequireSearchBank("DeletePassFrequencyIndex", bank);
    RequireNumber("DeletePassFrequencyIndex", "index", index, HighestPassIndex);
    const QString reply
        = SendCommandGetResponse(QStringLiteral("PD") + QLatin1Char(bank) + TwoDigits(index), 2, 100);
    if (!reply.isEmpty() && reply != CRLF)
        throw EAOR8200(QStringLiteral("DeletePassFrequencyIndex ") + reply);
}

void TAOR8200::DeleteAllPassFrequencies(char bank)
{
    RequireSearchBank("DeleteAllPassFrequencies", bank);
    const QString reply
        = SendCommandGetResponse(QStringLiteral("PD") + QLatin1Char(bank) + QStringLiteral("%%"), 2, 100);
    if (reply != CRLF)
        throw EAOR8200(QStringLiteral("DeleteAllPassFrequencies ") + reply);
}
