// The two read-only lookups the rest of the program makes on the frequency lookup table and the special
// frequencies table. They read the tables directly, so the windows' filters and orders never affect them.

#include "app/DataModuleUnit.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

QSqlQuery RunLookup(const QSqlDatabase& database, const QString& sql, const QVariantList& values)
{
    QSqlQuery query(database);
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        throw EDatabaseError(query.lastError().text());
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec())
        throw EDatabaseError(query.lastError().text());
    return query;
}

} // namespace

bool TDataModule1::LookupFrequency(
    std::int32_t frequency, int& receiveMode, QString& shortComment, QString& longComment)
{
    shortComment.clear();
    longComment.clear();
    // With any mode the lowest mode of the frequency answers, so the choice is the same every time.
    QSqlQuery query = receiveMode < 0
        ? RunLookup(Database(),
            QStringLiteral("SELECT RxMode, ShortComment, LongComment FROM FrequencyLookupTable_ "
                           "WHERE Frequency = ? ORDER BY RxMode LIMIT 1"),
            {frequency})
        : RunLookup(Database(),
            QStringLiteral("SELECT RxMode, ShortComment, LongComment FROM FrequencyLookupTable_ "
                           "WHERE Frequency = ? AND RxMode = ?"),
            {frequency, receiveMode});
    if (!query.next())
        return false;
    receiveMode = query.value(0).toInt();
    shortComment = query.value(1).toString().trimmed();
    longComment = query.value(2).toString().trimmed();
    return true;
}

bool TDataModule1::GetSpecialFrequencyAttributes(std::int32_t frequency, quint32& displayColour,
    bool& makeAudioFilesReadOnly, bool& holdOnSquelch, bool& switchAudioOn)
{
    QSqlQuery query = RunLookup(Database(),
        QStringLiteral("SELECT DisplayColour, MakeAudioFilesReadOnly, HoldOnSquelch, SwitchAudioOn "
                       "FROM SpecialFrequenciesTable_ WHERE Frequency = ?"),
        {frequency});
    if (!query.next())
        return false;
    displayColour = quint32(query.value(0).toLongLong());
    makeAudioFilesReadOnly = query.value(1).toBool();
    holdOnSquelch = query.value(2).toBool();
    switchAudioOn = query.value(3).toBool();
    return true;
}
