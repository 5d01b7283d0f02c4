#include "receiver/DBAOR8200Unit.h"

#include "app/DataModuleUnit.h"

TDBAOR8200::TDBAOR8200(QObject* owner, TDataModule1* dataModule)
    : TAOR8200(owner)
    , dataModule(dataModule)
{
    CachedScanGroupIndex = 10;
    CachedSearchGroupIndex = 10;
}

TDataModule1& TDBAOR8200::Tables() const
{
    TDataModule1* tables = dataModule != nullptr ? dataModule : DataModule1;
    if (tables == nullptr)
        throw EDatabaseError(QStringLiteral("TDBAOR8200: no database"));
    return *tables;
}

// ---- Memories ----

void TDBAOR8200::RecallMemory(char bank, int channel, bool& isEmpty, bool& passFlag, std::int32_t& frequency,
    std::int32_t& stepSize, bool& autoMode, AOR8200RxModeType& receiveMode, bool& attenuator, QString& text)
{
    if (UseDatabaseCopy
        && Tables().ReadAOR8200MemoriesTable_(
            bank, channel, isEmpty, passFlag, frequency, stepSize, autoMode, receiveMode, attenuator, text))
        return;
    TAOR8200::RecallMemory(
        bank, channel, isEmpty, passFlag, frequency, stepSize, autoMode, receiveMode, attenuator, text);
    Tables().UpdateAOR8200MemoriesTable_(
        bank, channel, isEmpty, passFlag, frequency, stepSize, autoMode, receiveMode, attenuator, text);
}

void TDBAOR8200::ReadMemoryRecord(char bank, int channel, MemoryChannelRecord& record)
{
    record = MemoryChannelRecord();
    record.Bank = bank;
    record.Channel = channel;
    QString text;
    RecallMemory(bank, channel, record.IsEmpty, record.PassFlag, record.Frequency, record.StepSize,
        record.AutoMode, record.ReceiveMode, record.Attenuator, text);
    record.Text = text;
}

void TDBAOR8200::WriteMemory(char bank, int channel, bool passFlag, std::int32_t frequency,
    std::int32_t stepSize, bool autoMode, AOR8200RxModeType receiveMode, bool attenuator, const QString& text)
{
    TAOR8200::WriteMemory(
        bank, channel, passFlag, frequency, stepSize, autoMode, receiveMode, attenuator, text);
    Tables().UpdateAOR8200MemoriesTable_(
        bank, channel, false, passFlag, frequency, stepSize, autoMode, receiveMode, attenuator, text);
}

void TDBAOR8200::DeleteMemory(char bank, int channel)
{
    TAOR8200::DeleteMemory(bank, channel);
    Tables().UpdateAOR8200MemoriesTable_(
        bank, channel, true, false, 0, 0, false, AOR8200RxModeWFM, false, "?");
}

void TDBAOR8200::DeleteCurrentBank(char bank)
{
    TAOR8200::DeleteCurrentBank(bank);
    Tables().EmptyScanBankMemories(bank);
}

// ---- Scan banks ----

QString TDBAOR8200::GetScanBankText(char bank)
{
    QString text;
    if (UseDatabaseCopy && Tables().GetScanBankText(bank, text))
        return text;
    text = TAOR8200::GetScanBankText(bank);
    Tables().SetScanBankText(bank, text);
    return text;
}

void TDBAOR8200::SetScanBankText(char bank, const QString& text)
{
    TAOR8200::SetScanBankText(bank, text);
    Tables().SetScanBankText(bank, text);
}

int TDBAOR8200::GetScanBankSize(char bank)
{
    int size = 0;
    if (UseDatabaseCopy && Tables().GetScanBankSize(bank, size))
        return size;
    size = TAOR8200::GetScanBankSize(bank);
    Tables().SetScanBankSize(bank, size);
    return size;
}

void TDBAOR8200::SetScanBankSize(char bank, int size)
{
    TAOR8200::SetScanBankSize(bank, size);
    Tables().SetScanBankSize(bank, size);
    Tables().EmptyScanBankMemories(QChar(QLatin1Char(bank)).toLower().toLatin1());
    Tables().EmptyScanBankMemories(QChar(QLatin1Char(bank)).toUpper().toLatin1());
}

// ---- Search banks and pass frequencies ----

void TDBAOR8200::GetSearchBankData(char bank, bool& isEmpty, std::int32_t& lowerFrequency,
    std::int32_t& upperFrequency, std::int32_t& stepSize, bool& autoMode, AOR8200RxModeType& receiveMode,
    std::uint8_t& attenuator, QString& text)
{
    if (UseDatabaseCopy
        && Tables().GetSearchData(
            bank, lowerFrequency, upperFrequency, stepSize, autoMode, receiveMode, attenuator, text, isEmpty))
        return;
    TAOR8200::GetSearchBankData(
        bank, isEmpty, lowerFrequency, upperFrequency, stepSize, autoMode, receiveMode, attenuator, text);
    Tables().SetSearchData(
        bank, lowerFrequency, upperFrequency, stepSize, autoMode, receiveMode, attenuator, text, isEmpty);
}

void TDBAOR8200::SetSearchData(char bank, std::int32_t lowerFrequency, std::int32_t upperFrequency,
    std::int32_t stepSize, bool autoMode, AOR8200RxModeType receiveMode, std::uint8_t attenuator,
    const QString& text)
{
    TAOR8200::SetSearchData(
        bank, lowerFrequency, upperFrequency, stepSize, autoMode, receiveMode, attenuator, text);
    Tables().SetSearchData(
        bank, lowerFrequency, upperFrequency, stepSize, autoMode, receiveMode, attenuator, text, false);
}

std::int32_t TDBAOR8200::ReadPassFrequency(char bank, int index)
{
    std::int32_t frequency = -1;
    if (UseDatabaseCopy && Tables().ReadPassFrequency(bank, index, frequency))
        return frequency;
    frequency = TAOR8200::ReadPassFrequency(bank, index);
    Tables().WritePassFrequency(bank, index, frequency);
    return frequency;
}

void TDBAOR8200::DeletePassFrequencyIndex(char bank, int index)
{
    TAOR8200::DeletePassFrequencyIndex(bank, index);
    Tables().DeletePassFrequencyIndex(bank, index);
}

void TDBAOR8200::DeleteAllPassFrequencies(char bank)
{
    TAOR8200::DeleteAllPassFrequencies(bank);
    Tables().DeleteAllPassFrequencies(bank);
}

// ---- Group indexes ----

int TDBAOR8200::GetScanGroupIndex()
{
    if (UseDatabaseCopy && CachedScanGroupIndex < 10)
        return CachedScanGroupIndex;
    return TAOR8200::GetScanGroupIndex();
}

void TDBAOR8200::SetScanGroupIndex(std::uint8_t value)
{
    TAOR8200::SetScanGroupIndex(value);
    CachedScanGroupIndex = value;
}

int TDBAOR8200::GetSearchGroupIndex()
{
    if (UseDatabaseCopy && CachedSearchGroupIndex < 10)
        return CachedSearchGroupIndex;
    return TAOR8200::GetSearchGroupIndex();
}

void TDBAOR8200::SetSearchGroupIndex(std::uint8_t value)
{
    TAOR8200::SetSearchGroupIndex(value);
    CachedSearchGroupIndex = value;
}

// ---- Group values ----

int TDBAOR8200::ReadGroupValue(
    bool scan, const std::function<int()>& receiver, GroupGetter get, GroupSetter set)
{
    const auto groupIndex = [&] { return scan ? GetScanGroupIndex() : GetSearchGroupIndex(); };
    int value = 0;
    if (UseDatabaseCopy && (Tables().*get)(groupIndex(), value))
        return value;
    value = receiver();
    (Tables().*set)(groupIndex(), value);
    return value;
}

void TDBAOR8200::WriteGroupValue(bool scan, const std::function<void()>& receiver, GroupSetter set, int value)
{
    receiver();
    (Tables().*set)(scan ? GetScanGroupIndex() : GetSearchGroupIndex(), value);
}

BankLetterSet TDBAOR8200::GetScanBankLinkGroup()
{
    BankLetterSet group;
    if (UseDatabaseCopy && Tables().GetScanBankLinkGroup(GetScanGroupIndex(), group))
        return group;
    group = TAOR8200::GetScanBankLinkGroup();
    Tables().SetScanBankLinkGroup(GetScanGroupIndex(), group);
    return group;
}

void TDBAOR8200::SetScanBankLinkGroup(const BankLetterSet& group)
{
    TAOR8200::SetScanBankLinkGroup(group);
    Tables().SetScanBankLinkGroup(GetScanGroupIndex(), group);
}

BankLetterSet TDBAOR8200::GetSearchBankLinkGroup()
{
    BankLetterSet group;
    if (UseDatabaseCopy && Tables().GetSearchBankLinkGroup(GetSearchGroupIndex(), group))
        return group;
    group = TAOR8200::GetSearchBankLinkGroup();
    Tables().SetSearchBankLinkGroup(GetSearchGroupIndex(), group);
    return group;
}

void TDBAOR8200::SetSearchBankLinkGroup(const BankLetterSet& group)
{
    TAOR8200::SetSearchBankLinkGroup(group);
    Tables().SetSearchBankLinkGroup(GetSearchGroupIndex(), group);
}

int TDBAOR8200::GetScanDelayDeciSecs()
{
    return ReadGroupValue(
        true, [this] { return TAOR8200::GetScanDelayDeciSecs(); }, &TDataModule1::GetScanDelayDeciSecs,
        &TDataModule1::SetScanDelayDeciSecs);
}

void TDBAOR8200::SetScanDelayDeciSecs(std::uint8_t value)
{
    WriteGroupValue(
        true, [&] { TAOR8200::SetScanDelayDeciSecs(value); }, &TDataModule1::SetScanDelayDeciSecs, value);
}

int TDBAOR8200::GetScanPauseSecs()
{
    return ReadGroupValue(
        true, [this] { return TAOR8200::GetScanPauseSecs(); }, &TDataModule1::GetScanPauseSecs,
        &TDataModule1::SetScanPauseSecs);
}

void TDBAOR8200::SetScanPauseSecs(std::uint8_t value)
{
    WriteGroupValue(
        true, [&] { TAOR8200::SetScanPauseSecs(value); }, &TDataModule1::SetScanPauseSecs, value);
}

int TDBAOR8200::GetAudioScanSetting()
{
    return ReadGroupValue(
        true, [this] { return TAOR8200::GetAudioScanSetting(); }, &TDataModule1::GetAudioScanSetting,
        &TDataModule1::SetAudioScanSetting);
}

void TDBAOR8200::SetAudioScanSetting(std::uint8_t value)
{
    WriteGroupValue(
        true, [&] { TAOR8200::SetAudioScanSetting(value); }, &TDataModule1::SetAudioScanSetting, value);
}

int TDBAOR8200::GetLevelScanSetting()
{
    return ReadGroupValue(
        true, [this] { return TAOR8200::GetLevelScanSetting(); }, &TDataModule1::GetLevelScanSetting,
        &TDataModule1::SetLevelScanSetting);
}

void TDBAOR8200::SetLevelScanSetting(std::uint8_t value)
{
    WriteGroupValue(
        true, [&] { TAOR8200::SetLevelScanSetting(value); }, &TDataModule1::SetLevelScanSetting, value);
}

int TDBAOR8200::GetSearchDelayDeciSecs()
{
    return ReadGroupValue(
        false, [this] { return TAOR8200::GetSearchDelayDeciSecs(); }, &TDataModule1::GetSearchDelayDeciSecs,
        &TDataModule1::SetSearchDelayDeciSecs);
}

void TDBAOR8200::SetSearchDelayDeciSecs(std::uint8_t value)
{
    WriteGroupValue(
        false, [&] { TAOR8200::SetSearchDelayDeciSecs(value); }, &TDataModule1::SetSearchDelayDeciSecs,
        value);
}

int TDBAOR8200::GetSearchPauseSecs()
{
    return ReadGroupValue(
        false, [this] { return TAOR8200::GetSearchPauseSecs(); }, &TDataModule1::GetSearchPauseSecs,
        &TDataModule1::SetSearchPauseSecs);
}

void TDBAOR8200::SetSearchPauseSecs(std::uint8_t value)
{
    WriteGroupValue(
        false, [&] { TAOR8200::SetSearchPauseSecs(value); }, &TDataModule1::SetSearchPauseSecs, value);
}

int TDBAOR8200::GetAudioSearchSetting()
{
    return ReadGroupValue(
        false, [this] { return TAOR8200::GetAudioSearchSetting(); }, &TDataModule1::GetAudioSearchSetting,
        &TDataModule1::SetAudioSearchSetting);
}

void TDBAOR8200::SetAudioSearchSetting(std::uint8_t value)
{
    WriteGroupValue(
        false, [&] { TAOR8200::SetAudioSearchSetting(value); }, &TDataModule1::SetAudioSearchSetting, value);
}

int TDBAOR8200::GetLevelSearchSetting()
{
    return ReadGroupValue(
        false, [this] { return TAOR8200::GetLevelSearchSetting(); }, &TDataModule1::GetLevelSearchSetting,
        &TDataModule1::SetLevelSearchSetting);
}

void TDBAOR8200::SetLevelSearchSetting(std::uint8_t value)
{
    WriteGroupValue(
        false, [&] { TAOR8200::SetLevelSearchSetting(value); }, &TDataModule1::SetLevelSearchSetting, value);
}
