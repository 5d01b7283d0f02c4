// The database copy of the receiver's memories, banks, pass frequencies and groups: operations of
// TDataModule1 on its six memory tables. Each writer is one statement (an upsert on the table's unique key),
// so a failed write leaves the table as it was.

#include "app/DataModuleUnit.h"
#include "app/EventLogUnit.h"
#include "receiver/AOR8200Unit.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <functional>

namespace {

constexpr int MemoryTextWidth = 12;
constexpr int ScanBankTextWidth = 8;
constexpr int SearchBankTextWidth = 12;

int Key(char bank)
{
    return int(static_cast<unsigned char>(bank));
}

int Flag(bool value)
{
    return value ? 1 : 0;
}

AOR8200RxModeType ModeOf(const QVariant& stored)
{
    const int ordinal = stored.toInt();
    return ordinal >= 0 && ordinal < AOR8200RxModeCount ? AOR8200RxModeType(ordinal) : AOR8200RxModeWFM;
}

// Prepares and runs one statement with the values bound in order; the engine's complaint becomes an
// EDatabaseError.
QSqlQuery Run(const QSqlDatabase& database, const QString& sql, const QVariantList& values = {})
{
    QSqlQuery query(database);
    if (!query.prepare(sql))
        throw EDatabaseError(query.lastError().text());
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec())
        throw EDatabaseError(query.lastError().text());
    return query;
}

// The first row of a select, or false when there is none.
bool FirstRow(QSqlQuery& query)
{
    return query.next();
}

// A writer's failure goes to the event log as "TDataModule1." + name + " " + message, in red with a beep;
// passOn decides whether the caller sees it as well.
void Logged(const QString& name, bool passOn, const std::function<void()>& write)
{
    try {
        write();
    } catch (const std::exception& error) {
        AddToEventLog(
            QStringLiteral("TDataModule1.") + name + QLatin1Char(' ') + QString::fromUtf8(error.what()),
            clRed, true);
        if (passOn)
            throw;
    }
}

// The two kinds of group table, which differ only in their names and bank letters.
struct GroupTable {
    const char* Table;
    const char* Key;
    const char* Audio;
    const char* Level;
    const char* Pause;
    const char* Delay;
    const char* Group;
    const char* Letters;
    bool (*IsLetter)(char);
};

const GroupTable ScanGroups {"ScanGroupTable_", "ScanBankIndex", "ScanAudioSquelch", "ScanLevelSquelch",
    "ScanPause", "ScanDelay", "ScanBankGroup", ScanBankLetters, [](char c) { return IsScanBankLetter(c); }};
const GroupTable SearchGroups {"SearchGroupTable_", "SearchBankIndex", "SearchAudioSquelch",
    "SearchLevelSquelch", "SearchPause", "SearchDelay", "SearchBankGroup", SearchBankLetters,
    [](char c) { return IsSearchBankLetter(c); }};

bool ReadGroupColumn(
    const QSqlDatabase& database, const GroupTable& t, int groupIndex, const char* column, QVariant& value)
{
    QSqlQuery query = Run(database,
        QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
            .arg(QLatin1String(column), QLatin1String(t.Table), QLatin1String(t.Key)),
        {groupIndex});
    if (!FirstRow(query))
        return false;
    value = query.value(0);
    return true;
}

// A new group row starts with every value 0 and the group text "-" (the empty set); then the one column is
// set.
void SetGroupColumn(const QSqlDatabase& database, const GroupTable& t, int groupIndex, const char* column,
    const QVariant& value)
{
    const QString sql = QStringLiteral("INSERT INTO %1 (%2, %3, %4, %5, %6, %7) VALUES (?, 0, 0, 0, 0, '-') "
                                       "ON CONFLICT(%2) DO NOTHING")
                            .arg(QLatin1String(t.Table), QLatin1String(t.Key), QLatin1String(t.Audio),
                                QLatin1String(t.Level), QLatin1String(t.Pause), QLatin1String(t.Delay),
                                QLatin1String(t.Group));
    // One transaction, so that a failing update does not leave a fresh default row behind.
    QSqlDatabase connection = database;
    const bool own = connection.transaction();
    try {
        Run(database, sql, {groupIndex});
        Run(database,
            QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3 = ?")
                .arg(QLatin1String(t.Table), QLatin1String(column), QLatin1String(t.Key)),
            {value, groupIndex});
        if (own && !connection.commit())
            throw EDatabaseError(connection.lastError().text());
    } catch (...) {
        if (own)
            connection.rollback();
        throw;
    }
}

bool GetGroupValue(
    const QSqlDatabase& database, const GroupTable& t, int groupIndex, const char* column, int& value)
{
    QVariant stored;
    if (!ReadGroupColumn(database, t, groupIndex, column, stored))
        return false;
    value = stored.toInt();
    return true;
}

bool GetLinkGroup(const QSqlDatabase& database, const GroupTable& t, int groupIndex, BankLetterSet& group)
{
    QVariant stored;
    if (!ReadGroupColumn(database, t, groupIndex, t.Group, stored))
        return false;
    group = BankLetterSet();
    for (const QChar c : stored.toString())
        if (c.unicode() < 128 && t.IsLetter(char(c.unicode())))
            group.Include(char(c.unicode()));
    return true;
}

} // namespace

// ---- Memories ----

void TDataModule1::UpdateAOR8200MemoriesTable_(char bank, int channel, bool isEmpty, bool passFlag,
    std::int32_t frequency, std::int32_t stepSize, bool autoMode, AOR8200RxModeType receiveMode,
    bool attenuator, const QString& text)
{
    Logged(QStringLiteral("UpdateAOR8200MemoriesTable_"), true, [&] {
        Run(Database(),
            QStringLiteral(
                "INSERT INTO AOR8200MemoriesTable_ (MemoryBank, MemoryChannel, MemoryIsEmpty, "
                "MemoryPassFlag, MemoryFrequency, MemoryStepSize, MemoryAutoMode, MemoryReceiveMode, "
                "MemoryAttenuatorFlag, MemoryChannelText) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                "ON CONFLICT(MemoryBank, MemoryChannel) DO UPDATE SET "
                "MemoryIsEmpty = excluded.MemoryIsEmpty, MemoryPassFlag = excluded.MemoryPassFlag, "
                "MemoryFrequency = excluded.MemoryFrequency, MemoryStepSize = excluded.MemoryStepSize, "
                "MemoryAutoMode = excluded.MemoryAutoMode, "
                "MemoryReceiveMode = excluded.MemoryReceiveMode, "
                "MemoryAttenuatorFlag = excluded.MemoryAttenuatorFlag, "
                "MemoryChannelText = excluded.MemoryChannelText"),
            {Key(bank), channel, Flag(isEmpty), Flag(passFlag), frequency, stepSize, Flag(autoMode),
                int(receiveMode), Flag(attenuator), text.left(MemoryTextWidth)});
    });
}

bool TDataModule1::ReadAOR8200MemoriesTable_(char bank, int channel, bool& isEmpty, bool& passFlag,
    std::int32_t& frequency, std::int32_t& stepSize, bool& autoMode, AOR8200RxModeType& receiveMode,
    bool& attenuator, QString& text)
{
    QSqlQuery query = Run(Database(),
        QStringLiteral(
            "SELECT MemoryIsEmpty, MemoryPassFlag, MemoryFrequency, MemoryStepSize, MemoryAutoMode, "
            "MemoryReceiveMode, MemoryAttenuatorFlag, MemoryChannelText FROM AOR8200MemoriesTable_ "
            "WHERE MemoryBank = ? AND MemoryChannel = ?"),
        {Key(bank), channel});
    if (!FirstRow(query))
        return false;
    isEmpty = query.value(0).toBool();
    passFlag = query.value(1).toBool();
    frequency = query.value(2).toInt();
    stepSize = query.value(3).toInt();
    autoMode = query.value(4).toBool();
    receiveMode = ModeOf(query.value(5));
    attenuator = query.value(6).toBool();
    text = query.value(7).toString().left(MemoryTextWidth);
    return true;
}

void TDataModule1::EmptyScanBankMemories(char bank)
{
    QList<int> channels;
    {
        QSqlQuery query = Run(Database(),
            QStringLiteral("SELECT MemoryChannel FROM AOR8200MemoriesTable_ WHERE MemoryBank = ?"),
            {Key(bank)});
        while (query.next())
            channels << query.value(0).toInt();
    }
    // All channels or none: a failure half-way does not leave the bank half emptied.
    QSqlDatabase connection = Database();
    const bool own = connection.transaction();
    try {
        for (const int channel : channels)
            UpdateAOR8200MemoriesTable_(
                bank, channel, true, false, 0, 0, false, AOR8200RxModeWFM, false, "?");
        if (own && !connection.commit())
            throw EDatabaseError(connection.lastError().text());
    } catch (...) {
        if (own)
            connection.rollback();
        throw;
    }
}

// ---- Scan banks ----

bool TDataModule1::GetScanBankText(char bank, QString& text)
{
    QSqlQuery query = Run(Database(),
        QStringLiteral("SELECT ScanBankText FROM AOR8200ScanBanksTable_ WHERE ScanBank = ?"), {Key(bank)});
    if (!FirstRow(query))
        return false;
    text = query.value(0).toString().left(ScanBankTextWidth);
    return text != NoBankText;
}

void TDataModule1::SetScanBankText(char bank, const QString& text)
{
    Logged(QStringLiteral("SetScanBankText"), true, [&] {
        Run(Database(),
            QStringLiteral(
                "INSERT INTO AOR8200ScanBanksTable_ (ScanBank, ScanBankText, ScanBankSize) "
                "VALUES (?, ?, -1) ON CONFLICT(ScanBank) DO UPDATE SET ScanBankText = excluded.ScanBankText"),
            {Key(bank), text.left(ScanBankTextWidth)});
    });
}

bool TDataModule1::GetScanBankSize(char bank, int& size)
{
    QSqlQuery query = Run(Database(),
        QStringLiteral("SELECT ScanBankSize FROM AOR8200ScanBanksTable_ WHERE ScanBank = ?"), {Key(bank)});
    if (!FirstRow(query))
        return false;
    size = query.value(0).toInt();
    return size >= 0;
}

void TDataModule1::SetScanBankSize(char bank, int size)
{
    Logged(QStringLiteral("SetScanBankText"), true, [&] {
        Run(Database(),
            QStringLiteral(
                "INSERT INTO AOR8200ScanBanksTable_ (ScanBank, ScanBankText, ScanBankSize) "
                "VALUES (?, ?, ?) ON CONFLICT(ScanBank) DO UPDATE SET ScanBankSize = excluded.ScanBankSize"),
            {Key(bank), NoBankText, size});
    });
}

// ---- Search banks ----

bool TDataModule1::GetSearchData(char bank, std::int32_t& lowerFrequency, std::int32_t& upperFrequency,
    std::int32_t& stepSize, bool& autoMode, AOR8200RxModeType& receiveMode, std::uint8_t& attenuator,
    QString& text, bool& isEmpty)
{
    QSqlQuery query = Run(Database(),
        QStringLiteral("SELECT SearchLowerFrequency, SearchUpperFrequency, SearchTuningStepSize, AutoMode, "
                       "MemoryReceiveMode, AttenuatorIsOn, SearchBankText, IsEmpty FROM SearchBankTable_ "
                       "WHERE SearchBank = ?"),
        {Key(bank)});
    if (!FirstRow(query))
        return false;
    lowerFrequency = query.value(0).toInt();
    upperFrequency = query.value(1).toInt();
    stepSize = query.value(2).toInt();
    autoMode = query.value(3).toBool();
    receiveMode = ModeOf(query.value(4));
    attenuator = std::uint8_t(query.value(5).toInt());
    text = query.value(6).toString().left(SearchBankTextWidth);
    isEmpty = query.value(7).toBool();
    return true;
}

void TDataModule1::SetSearchData(char bank, std::int32_t lowerFrequency, std::int32_t upperFrequency,
    std::int32_t stepSize, bool autoMode, AOR8200RxModeType receiveMode, std::uint8_t attenuator,
    const QString& text, bool isEmpty)
{
    Logged(QStringLiteral("SetSearchData"), false, [&] {
        Run(Database(),
            QStringLiteral(
                "INSERT INTO SearchBankTable_ (SearchBank, SearchBankText, SearchLowerFrequency, "
                "SearchUpperFrequency, SearchTuningStepSize, AutoMode, MemoryReceiveMode, "
                "AttenuatorIsOn, IsEmpty) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?) "
                "ON CONFLICT(SearchBank) DO UPDATE SET SearchBankText = excluded.SearchBankText, "
                "SearchLowerFrequency = excluded.SearchLowerFrequency, "
                "SearchUpperFrequency = excluded.SearchUpperFrequency, "
                "SearchTuningStepSize = excluded.SearchTuningStepSize, AutoMode = excluded.AutoMode, "
                "MemoryReceiveMode = excluded.MemoryReceiveMode, "
                "AttenuatorIsOn = excluded.AttenuatorIsOn, IsEmpty = excluded.IsEmpty"),
            {Key(bank), text.left(SearchBankTextWidth), lowerFrequency, upperFrequency, stepSize,
                Flag(autoMode), int(receiveMode), int(attenuator), Flag(isEmpty)});
    });
}

// ---- Pass frequencies ----

bool TDataModule1::ReadPassFrequency(char bank, int index, std::int32_t& frequency)
{
    QSqlQuery query = Run(Database(),
        QStringLiteral("SELECT PassFrequency FROM SearchPassFrequenciesTable_ "
                       "WHERE SearchBank = ? AND PassFrequencyIndex = ?"),
        {Key(bank), index});
    if (!FirstRow(query))
        return false;
    frequency = query.value(0).toInt();
    return true;
}

void TDataModule1::WritePassFrequency(char bank, int index, std::int32_t frequency)
{
    Logged(QStringLiteral("WritePassFrequency"), false, [&] {
        Run(Database(),
            QStringLiteral(
                "INSERT INTO SearchPassFrequenciesTable_ (SearchBank, PassFrequencyIndex, PassFrequency) "
                "VALUES (?, ?, ?) ON CONFLICT(SearchBank, PassFrequencyIndex) DO UPDATE SET "
                "PassFrequency = excluded.PassFrequency"),
            {Key(bank), index, frequency});
    });
}

void TDataModule1::DeletePassFrequencyIndex(char bank, int index)
{
    Run(Database(),
        QStringLiteral(
            "DELETE FROM SearchPassFrequenciesTable_ WHERE SearchBank = ? AND PassFrequencyIndex = ?"),
        {Key(bank), index});
}

void TDataModule1::DeleteAllPassFrequencies(char bank)
{
    Run(Database(), QStringLiteral("DELETE FROM SearchPassFrequenciesTable_ WHERE SearchBank = ?"),
        {Key(bank)});
}

// ---- Groups ----

bool TDataModule1::GetScanBankLinkGroup(int groupIndex, BankLetterSet& group)
{
    return GetLinkGroup(Database(), ScanGroups, groupIndex, group);
}

void TDataModule1::SetScanBankLinkGroup(int groupIndex, const BankLetterSet& group)
{
    Logged(QStringLiteral("SetScanBankLinkGroup"), false, [&] {
        SetGroupColumn(Database(), ScanGroups, groupIndex, ScanGroups.Group, group.Pattern(ScanBankLetters));
    });
}

bool TDataModule1::GetSearchBankLinkGroup(int groupIndex, BankLetterSet& group)
{
    return GetLinkGroup(Database(), SearchGroups, groupIndex, group);
}

void TDataModule1::SetSearchBankLinkGroup(int groupIndex, const BankLetterSet& group)
{
    Logged(QStringLiteral("SetSearchBankLinkGroup"), false, [&] {
        SetGroupColumn(
            Database(), SearchGroups, groupIndex, SearchGroups.Group, group.Pattern(SearchBankLetters));
    });
}

bool TDataModule1::GetScanDelayDeciSecs(int groupIndex, int& value)
{
    return GetGroupValue(Database(), ScanGroups, groupIndex, ScanGroups.Delay, value);
}

void TDataModule1::SetScanDelayDeciSecs(int groupIndex, int value)
{
    Logged(QStringLiteral("SetScanDelayDeciSecs"), false,
        [&] { SetGroupColumn(Database(), ScanGroups, groupIndex, ScanGroups.Delay, value); });
}

bool TDataModule1::GetScanPauseSecs(int groupIndex, int& value)
{
    return GetGroupValue(Database(), ScanGroups, groupIndex, ScanGroups.Pause, value);
}

void TDataModule1::SetScanPauseSecs(int groupIndex, int value)
{
    Logged(QStringLiteral("SetScanPauseSecs"), false,
        [&] { SetGroupColumn(Database(), ScanGroups, groupIndex, ScanGroups.Pause, value); });
}

bool TDataModule1::GetAudioScanSetting(int groupIndex, int& value)
{
    return GetGroupValue(Database(), ScanGroups, groupIndex, ScanGroups.Audio, value);
}

void TDataModule1::SetAudioScanSetting(int groupIndex, int value)
{
    Logged(QStringLiteral("SetAudioScanSetting"), false,
        [&] { SetGroupColumn(Database(), ScanGroups, groupIndex, ScanGroups.Audio, value); });
}

bool TDataModule1::GetLevelScanSetting(int groupIndex, int& value)
{
    return GetGroupValue(Database(), ScanGroups, groupIndex, ScanGroups.Level, value);
}

void TDataModule1::SetLevelScanSetting(int groupIndex, int value)
{
    Logged(QStringLiteral("SetLevelScanSetting"), false,
        [&] { SetGroupColumn(Database(), ScanGroups, groupIndex, ScanGroups.Level, value); });
}

bool TDataModule1::GetSearchDelayDeciSecs(int groupIndex, int& value)
{
    return GetGroupValue(Database(), SearchGroups, groupIndex, SearchGroups.Delay, value);
}

void TDataModule1::SetSearchDelayDeciSecs(int groupIndex, int value)
{
    Logged(QStringLiteral("SetSearchDelayDeciSecs"), false,
        [&] { SetGroupColumn(Database(), SearchGroups, groupIndex, SearchGroups.Delay, value); });
}

bool TDataModule1::GetSearchPauseSecs(int groupIndex, int& value)
{
    return GetGroupValue(Database(), SearchGroups, groupIndex, SearchGroups.Pause, value);
}

void TDataModule1::SetSearchPauseSecs(int groupIndex, int value)
{
    Logged(QStringLiteral("SetSearchPauseSecs"), false,
        [&] { SetGroupColumn(Database(), SearchGroups, groupIndex, SearchGroups.Pause, value); });
}

bool TDataModule1::GetAudioSearchSetting(int groupIndex, int& value)
{
    return GetGroupValue(Database(), SearchGroups, groupIndex, SearchGroups.Audio, value);
}

void TDataModule1::SetAudioSearchSetting(int groupIndex, int value)
{
    Logged(QStringLiteral("SetAudioSearchSetting"), false,
        [&] { SetGroupColumn(Database(), SearchGroups, groupIndex, SearchGroups.Audio, value); });
}

bool TDataModule1::GetLevelSearchSetting(int groupIndex, int& value)
{
    return GetGroupValue(Database(), SearchGroups, groupIndex, SearchGroups.Level, value);
}

void TDataModule1::SetLevelSearchSetting(int groupIndex, int value)
{
    Logged(QStringLiteral("SetLevelSearchSetting"), false,
        [&] { SetGroupColumn(Database(), SearchGroups, groupIndex, SearchGroups.Level, value); });
}
