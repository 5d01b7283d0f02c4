#include "app/DataModuleUnit.h"

#include "app/EventLogUnit.h"
#include "support/ProgramFilesUnit.h"

#include <QFileInfo>
#include <QSize>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>

#include <sqlite3.h>

#include <array>
#include <atomic>
#include <filesystem>
#include <memory>

TDataModule1* DataModule1 = nullptr;

EDatabaseMissing::EDatabaseMissing(const QString& path)
    : EDataModule(QStringLiteral("Database file ") + path + QStringLiteral(" not found"))
{
}

int StrToInt(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text).toStdString());
    return value;
}

FormLocation ClampFormLocation(FormLocation location, const QSize& screen)
{
    if (location.Width > screen.width())
        location.Width = screen.width();
    if (location.Height > screen.height())
        location.Height = screen.height();
    if (location.Left + location.Width > screen.width())
        location.Left = screen.width() - location.Width;
    if (location.Top + location.Height > screen.height())
        location.Top = screen.height() - location.Height;
    if (location.Left < 0)
        location.Left = 0;
    if (location.Top < 0)
        location.Top = 0;
    return location;
}

// ---------------------------------------------------------------------------------------------------------------
// Queries

TDataModuleQuery::TDataModuleQuery(const QString& name, const QString& designSql, QObject* parent)
    : QSqlQueryModel(parent)
    , QueryName(name)
    , SqlText(designSql)
{
    setObjectName(name);
}

void TDataModuleQuery::Open(const QSqlDatabase& database)
{
    setQuery(SqlText, database);
    if (lastError().isValid())
        throw EDatabaseError(QueryName + QStringLiteral(": ") + lastError().text());
}

void TDataModuleQuery::ExecSQL(const QSqlDatabase& database)
{
    QSqlQuery query(database);
    if (!query.exec(SqlText))
        throw EDatabaseError(QueryName + QStringLiteral(": ") + query.lastError().text());
}

void TDataModuleQuery::SetDisplayLabel(const QString& fieldName, const QString& title)
{
    DisplayLabels[fieldName] = title;
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, qMax(0, columnCount() - 1));
}

QString TDataModuleQuery::DisplayLabel(const QString& fieldName) const
{
    const auto found = DisplayLabels.find(fieldName);
    return found == DisplayLabels.end() ? fieldName : found->second;
}

QVariant TDataModuleQuery::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0
        && section < record().count())
        return DisplayLabel(record().fieldName(section));
    return QSqlQueryModel::headerData(section, orientation, role);
}

// ---------------------------------------------------------------------------------------------------------------
// Raw SQLite access for the integrity check and the online backup, done before QtSql opens the file.

namespace {
struct SqliteCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using SqliteHandle = std::unique_ptr<sqlite3, SqliteCloser>;

struct StatementFinaliser {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using StatementHandle = std::unique_ptr<sqlite3_stmt, StatementFinaliser>;

struct BackupFinisher {
    void operator()(sqlite3_backup* backup) const { sqlite3_backup_finish(backup); }
};
using BackupHandle = std::unique_ptr<sqlite3_backup, BackupFinisher>;

SqliteHandle OpenSqlite(const QString& path, int flags, int* status)
{
    sqlite3* db = nullptr;
    *status = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr);
    SqliteHandle handle(db);
    if (*status == SQLITE_OK)
        sqlite3_busy_timeout(db, 2000);
    return handle;
}

QString SqliteMessage(sqlite3* db)
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
}

struct IntegrityResult {
    int Status = SQLITE_OK;
    QString Text; // "ok" when sound
};

IntegrityResult QuickCheck(sqlite3* db)
{
    sqlite3_stmt* raw = nullptr;
    IntegrityResult result;
    result.Status = sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &raw, nullptr);
    StatementHandle statement(raw);
    if (result.Status != SQLITE_OK)
        return result;
    QStringList lines;
    while ((result.Status = sqlite3_step(statement.get())) == SQLITE_ROW)
        lines << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0)));
    if (result.Status == SQLITE_DONE)
        result.Status = SQLITE_OK;
    result.Text = lines.join(QStringLiteral("; "));
    return result;
}

void RemoveFile(const QString& path)
{
    std::error_code ignored;
    std::filesystem::remove(QFile::encodeName(path).toStdString(), ignored);
}

// Copies source into a fresh file and only then puts it in place, so a failed copy leaves the old backup.
QString WriteBackup(sqlite3* source, const QString& backupPath)
{
    const QString partial = backupPath + QStringLiteral(".partial");
    RemoveFile(partial);
    RemoveFile(partial + QStringLiteral("-journal"));
    int status = SQLITE_OK;
    QString failure;
    {
        SqliteHandle target = OpenSqlite(partial, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, &status);
        if (status != SQLITE_OK)
            return SqliteMessage(target.get());
        BackupHandle backup(sqlite3_backup_init(target.get(), "main", source, "main"));
        if (!backup)
            return SqliteMessage(target.get());
        status = sqlite3_backup_step(backup.get(), -1);
        if (status != SQLITE_DONE)
            failure = QString::fromUtf8(sqlite3_errstr(status));
    }
    std::error_code error;
    if (failure.isEmpty())
        std::filesystem::rename(
            QFile::encodeName(partial).toStdString(), QFile::encodeName(backupPath).toStdString(), error);
    if (error)
        failure = QString::fromStdString(error.message());
    if (!failure.isEmpty())
        RemoveFile(partial);
    return failure;
}

const QString ConnectionComponentName = QStringLiteral("AOR8200Database");

QString NextConnectionName()
{
    static std::atomic<int> counter {0};
    return ConnectionComponentName + QString::number(++counter);
}

constexpr std::array<const char*, 4> Sides {"Left", "Top", "Width", "Height"};

QString SideKey(const QString& formName, const char* side)
{
    return formName + u'_' + QLatin1String(side);
}
} // namespace

// ---------------------------------------------------------------------------------------------------------------
// The data module

const std::vector<TTableDefinition>& TDataModule1::Tables()
{
    static const std::vector<TTableDefinition> tables {
        {"AOR8200MemoriesTable_", "AOR8200MemoriesTable_",
            {"MemoryBank", "MemoryChannel", "MemoryIsEmpty", "MemoryPassFlag", "MemoryFrequency",
                "MemoryStepSize", "MemoryAutoMode", "MemoryReceiveMode", "MemoryAttenuatorFlag",
                "MemoryChannelText"}},
        {"FrequencyLookupTable_", "FrequencyLookupTable_",
            {"Frequency", "RxMode", "ShortComment", "LongComment"}},
        {"FrequencyLogTable_", "FrequencyLogTable_",
            {"Frequency", "LastSquelchDateTime", "SquelchCount", "SquelchDuration", "MemoryId",
                "ShortComment", "LongComment"}},
        {"AOR8200ScanBanksTable_", "AOR8200ScanBanksTable_", {"ScanBank", "ScanBankText", "ScanBankSize"}},
        {"FrequencyDistributionSeriesTable_", "FrequencyDistributionSeriesTable_", {"Abscissa", "Ordinate"}},
        {"AOR8200SearchBanksTable_", "SearchBankTable_",
            {"SearchBank", "SearchBankText", "SearchLowerFrequency", "SearchUpperFrequency",
                "SearchTuningStepSize", "AutoMode", "MemoryReceiveMode", "AttenuatorIsOn", "IsEmpty"}},
        {"SearchPassFrequenciesTable_", "SearchPassFrequenciesTable_",
            {"SearchBank", "PassFrequencyIndex", "PassFrequency"}},
        {"ScanGroupTable_", "ScanGroupTable_",
            {"ScanBankIndex", "ScanAudioSquelch", "ScanLevelSquelch", "ScanPause", "ScanDelay",
                "ScanBankGroup"}},
        {"SearchGroupTable_", "SearchGroupTable_",
            {"SearchBankIndex", "SearchAudioSquelch", "SearchLevelSquelch", "SearchPause", "SearchDelay",
                "SearchBankGroup"}},
        {"SpecialFrequenciesTable_", "SpecialFrequenciesTable_",
            {"Frequency", "DisplayColour", "MakeAudioFilesReadOnly", "HoldOnSquelch", "SwitchAudioOn"}},
        {"ActivityChartSquelchSeriesTable_", "ActivityChartSquelchSeriesTable_", {"Abscissa", "Ordinate"}},
        {"ActivityChartActivitySeriesTable_", "ActivityChartActivitySeriesTable_", {"Abscissa", "Ordinate"}},
        {"OptionsTable_", "OptionsTable_", {"OptionName", "OptionValue"}},
    };
    return tables;
}

int TDataModule1::ComponentCount()
{
    constexpr int connection = 1, queries = 6, dataSources = 3;
    return connection + int(Tables().size()) + queries + dataSources;
}

QString TDataModule1::DatabasePath()
{
    return ProgramFile(QStringLiteral(".ABS"));
}

QString TDataModule1::BackupPath()
{
    return ProgramFile(QStringLiteral(".DatabaseBackup"));
}

TDataModule1::TDataModule1(TDataModuleReporter reporter, QObject* parent)
    : QObject(parent)
    , Reporter(std::move(reporter))
    , ConnectionName(NextConnectionName())
{
    setObjectName(QStringLiteral("DataModule1"));
    AOR8200MemoriesQuery_ = new TDataModuleQuery("AOR8200MemoriesQuery_",
        "Select * from AOR8200MemoriesTable_ Order By MemoryBank, MemoryChannel", this);
    FrequencyLookupQuery_
        = new TDataModuleQuery("FrequencyLookupQuery_", "Select * From FrequencyLookupTable_", this);
    FrequencyLogQuery_ = new TDataModuleQuery(
        "FrequencyLogQuery_", "Select * From FrequencyLogTable_ Order by Frequency", this);
    GeneralPurposeQuery_ = new TDataModuleQuery(
        "GeneralPurposeQuery_", "Select * From AOR8200MemoriesTable_ where MemoryFrequency=0", this);
    SearchPassFrequenciesQuery_ = new TDataModuleQuery(
        "SearchPassFrequenciesQuery_", "Select * from SearchPassFrequenciesTable_", this);
    SpecialFrequenciesQuery_ = new TDataModuleQuery(
        "SpecialFrequenciesQuery_", "Select * from SpecialFrequenciesTable_ order by Frequency", this);
    FrequencyLogDataSource_ = FrequencyLogQuery_;
    FrequencyLookupDataSource_ = FrequencyLookupQuery_;
    SpecialFrequenciesDataSource_ = SpecialFrequenciesQuery_;

    DataModule1 = this;
    try {
        DataModuleCreate();
    } catch (...) {
        for (TDataModuleQuery* query : Queries())
            query->clear();
        QSqlDatabase::removeDatabase(ConnectionName);
        DataModule1 = nullptr;
        throw;
    }
}

TDataModule1::~TDataModule1()
{
    for (TDataModuleQuery* query : Queries())
        delete query;
    // Views other modules made on the connection (owned here) let go of it before it closes.
    qDeleteAll(findChildren<QAbstractItemModel*>(Qt::FindDirectChildrenOnly));
    {
        QSqlDatabase database = QSqlDatabase::database(ConnectionName, false);
        database.close();
    }
    QSqlDatabase::removeDatabase(ConnectionName);
    if (DataModule1 == this)
        DataModule1 = nullptr;
}

std::vector<TDataModuleQuery*> TDataModule1::Queries() const
{
    return {AOR8200MemoriesQuery_, FrequencyLookupQuery_, FrequencyLogQuery_, GeneralPurposeQuery_,
        SearchPassFrequenciesQuery_, SpecialFrequenciesQuery_};
}

void TDataModule1::Report(const QString& text) const
{
    if (Reporter.Status)
        Reporter.Status(text);
}

void TDataModule1::DataModuleCreate()
{
    if (Reporter.Progress)
        Reporter.Progress(0, ComponentCount(), 0);
    Report(QStringLiteral("Initializing DataBase"));
    if (!QFileInfo(DatabasePath()).isFile())
        throw EDatabaseMissing(DatabasePath());
    BackupDatabase();
    OpenDatabase();
    Report(ConnectionComponentName + QStringLiteral(" Connected"));
    SetFrequencyLogTitles();
    for (const TTableDefinition& table : Tables())
        OpenTable(table);
    SecureJournal();
    OpenQueries();
}

// The backup is replaced only by a database that passes the quick check: a file damaged in the last run must
// not overwrite the one good copy. The online backup reads through the write-ahead log a killed run left
// behind.
void TDataModule1::BackupDatabase()
{
    const QString path = DatabasePath();
    int status = SQLITE_OK;
    SqliteHandle source = OpenSqlite(path, SQLITE_OPEN_READWRITE, &status);
    if (status != SQLITE_OK)
        throw EDatabaseInvalid(
            QStringLiteral("Database file %1 cannot be opened: %2").arg(path, SqliteMessage(source.get())));
    const IntegrityResult check = QuickCheck(source.get());
    if (check.Status == SQLITE_NOTADB)
        throw EDatabaseInvalid(QStringLiteral("Database file %1 is not an SQLite database").arg(path));
    if (check.Status == SQLITE_BUSY || check.Status == SQLITE_LOCKED)
        throw EDatabaseInvalid(QStringLiteral("Database file %1 is in use by another program").arg(path));
    if (check.Status != SQLITE_OK || check.Text != QLatin1String("ok")) {
        const QString reason
            = check.Status != SQLITE_OK ? QString::fromUtf8(sqlite3_errstr(check.Status)) : check.Text;
        const QString message
            = QStringLiteral("Database file %1 failed its integrity check (%2). The backup %3 was "
                             "kept as it was; restore it from there if data is missing or wrong.")
                  .arg(path, reason.left(500), BackupPath());
        AddToEventLog(QStringLiteral("TDataModule1.BackupDatabase ") + message, clRed, true);
        if (Reporter.Error)
            Reporter.Error(message);
        return;
    }
    const QString failure = WriteBackup(source.get(), BackupPath());
    if (!failure.isEmpty())
        AddToEventLog(
            QStringLiteral("TDataModule1.BackupDatabase %1 not written: %2").arg(BackupPath(), failure),
            clGray, false);
}

void TDataModule1::OpenDatabase()
{
    const QString path = DatabasePath();
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), ConnectionName);
    // mode=rw: the program never creates the file.
    QUrl uri = QUrl::fromLocalFile(path);
    uri.setQuery(QStringLiteral("mode=rw"));
    database.setDatabaseName(uri.toString(QUrl::FullyEncoded));
    database.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=2000"));
    if (!database.open())
        throw EDatabaseInvalid(
            QStringLiteral("Database file %1 cannot be opened: %2").arg(path, database.lastError().text()));
    // Exclusive from the first access on, held until the connection closes; nothing is written yet.
    QSqlQuery query(database);
    for (const char* statement : {"PRAGMA locking_mode=EXCLUSIVE", "BEGIN EXCLUSIVE", "COMMIT"}) {
        if (!query.exec(QLatin1String(statement)))
            throw EDatabaseInvalid(QStringLiteral("Database file %1 is in use by another program (%2)")
                                       .arg(path, query.lastError().text()));
    }
}

void TDataModule1::SetFrequencyLogTitles()
{
    FrequencyLogQuery_->SetDisplayLabel("Frequency", "   Frequency   ");
    FrequencyLogQuery_->SetDisplayLabel("LastSquelchDateTime", " LastActiveDateTime ");
    FrequencyLogQuery_->SetDisplayLabel("SquelchCount", "Count");
    FrequencyLogQuery_->SetDisplayLabel("SquelchDuration", " Duration    ");
    FrequencyLogQuery_->SetDisplayLabel("MemoryId", "Mem");
}

void TDataModule1::OpenTable(const TTableDefinition& table)
{
    const QSqlRecord record = Database().record(table.TableName);
    if (record.isEmpty())
        throw EDatabaseInvalid(
            QStringLiteral("Database file %1 has no table %2").arg(DatabasePath(), table.TableName));
    QStringList present;
    for (int i = 0; i < record.count(); ++i)
        present << record.fieldName(i);
    QStringList missing;
    for (const QString& column : table.Columns) {
        if (!present.contains(column, Qt::CaseSensitive))
            missing << column;
    }
    if (!missing.isEmpty())
        throw EDatabaseInvalid(QStringLiteral("Database file %1: table %2 has no column %3")
                                   .arg(DatabasePath(), table.TableName, missing.join(QStringLiteral(", "))));
    Report(table.ComponentName + QStringLiteral(" Opened"));
}

// Only a database whose tables are all there is switched to WAL (a no-op for the file the build made), so a
// wrong file is left as it was.
void TDataModule1::SecureJournal()
{
    QSqlQuery query(Database());
    for (const char* statement : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=FULL"}) {
        if (!query.exec(QLatin1String(statement)))
            throw EDatabaseInvalid(
                QStringLiteral("Database file %1: %2 failed: %3")
                    .arg(DatabasePath(), QLatin1String(statement), query.lastError().text()));
    }
}

void TDataModule1::OpenQueries()
{
    for (TDataModuleQuery* query : Queries()) {
        try {
            query->Open(Database());
        } catch (const EDatabaseError& error) {
            throw EDatabaseInvalid(QStringLiteral("Database file %1: %2").arg(DatabasePath(), error.what()));
        }
        Report(query->Name() + QStringLiteral(" Opened"));
    }
}

QSqlDatabase TDataModule1::Database() const
{
    return QSqlDatabase::database(ConnectionName, false);
}

QString TDataModule1::DatabaseVersion() const
{
    QSqlQuery query(Database());
    if (query.exec(QStringLiteral("select sqlite_version()")) && query.next())
        return QStringLiteral("SQLite ") + query.value(0).toString();
    return QStringLiteral("SQLite ") + QString::fromLatin1(sqlite3_libversion());
}

// ---------------------------------------------------------------------------------------------------------------
// Options

namespace {
constexpr int OptionNameLength = 64;
constexpr int OptionValueLength = 255;
} // namespace

QString TDataModule1::LookupOption(const QString& key, bool* found) const
{
    QSqlQuery query(Database());
    query.prepare(QStringLiteral("SELECT OptionValue FROM OptionsTable_ WHERE OptionName = ?"));
    query.addBindValue(key.left(OptionNameLength));
    if (!query.exec())
        throw EDatabaseError(QStringLiteral("OptionsTable_: ") + query.lastError().text());
    *found = query.next();
    return *found ? query.value(0).toString() : QString();
}

void TDataModule1::WriteOption(const QString& key, const QString& value)
{
    const QString name = key.left(OptionNameLength);
    const QString text = value.left(OptionValueLength);
    QSqlQuery update(Database());
    update.prepare(QStringLiteral("UPDATE OptionsTable_ SET OptionValue = ? WHERE OptionName = ?"));
    update.addBindValue(text);
    update.addBindValue(name);
    if (!update.exec())
        throw EDatabaseError(update.lastError().text());
    if (update.numRowsAffected() > 0)
        return;
    QSqlQuery insert(Database());
    insert.prepare(QStringLiteral("INSERT INTO OptionsTable_ (OptionName, OptionValue) VALUES (?, ?)"));
    insert.addBindValue(name);
    insert.addBindValue(text);
    if (!insert.exec())
        throw EDatabaseError(insert.lastError().text());
}

QString TDataModule1::GetOptionString(const QString& key) const
{
    bool found = false;
    return LookupOption(key, &found);
}

void TDataModule1::SetOptionString(const QString& key, const QString& text)
{
    try {
        WriteOption(key, text);
    } catch (const std::exception&) {
        // Option writers ignore failures by design.
    }
}

bool TDataModule1::GetOptionBoolean(const QString& key) const
{
    bool found = false;
    const QString text = LookupOption(key, &found);
    return found && !text.isEmpty() && QStringLiteral("TtYy").contains(text.front());
}

void TDataModule1::SetOptionBoolean(const QString& key, bool value)
{
    SetOptionString(key, value ? QStringLiteral("T") : QStringLiteral("F"));
}

int TDataModule1::GetOptionInteger(const QString& key) const
{
    bool found = false;
    const QString text = LookupOption(key, &found);
    return found ? StrToInt(text) : 0;
}

void TDataModule1::SetOptionInteger(const QString& key, int value)
{
    SetOptionString(key, QString::number(value));
}

void TDataModule1::GetStoredFormLocation(const QString& formName, FormLocation& location) const
{
    location.Left = GetOptionInteger(SideKey(formName, Sides[0]));
    location.Top = GetOptionInteger(SideKey(formName, Sides[1]));
    location.Width = GetOptionInteger(SideKey(formName, Sides[2]));
    location.Height = GetOptionInteger(SideKey(formName, Sides[3]));
}

void TDataModule1::SetStoredFormLocation(const QString& formName, const FormLocation& location)
{
    const std::array<int, 4> values {location.Left, location.Top, location.Width, location.Height};
    for (std::size_t i = 0; i < Sides.size(); ++i) {
        try {
            WriteOption(SideKey(formName, Sides[i]), QString::number(values[i]));
        } catch (const std::exception& error) {
            AddToEventLog(
                QStringLiteral("TDataModule1.SetStoredFormLocation ") + QString::fromUtf8(error.what()),
                clRed, true);
        }
    }
}
