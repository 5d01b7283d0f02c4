#pragma once
// TDataModule1: the program's one database (SQLite, beside the executable with ".ABS"), its tables, the query
// models the grids show, and the options store. It lives in the core library and never shows a window:
// start-up progress and problems go through TDataModuleReporter, fatal problems are EDataModule exceptions.

#include "support/ConvertErrorUnit.h"

#include <QObject>
#include <QSqlDatabase>
#include <QSqlQueryModel>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <map>
#include <stdexcept>
#include <vector>

class QSize;
class TFrequencyLogView;
class BankLetterSet;
enum AOR8200RxModeType : std::uint8_t;

// The scan bank label that marks "not known": one character of code 255.
inline const QString NoBankText = QString(QChar(255));

// Start-up cannot go on: the caller shows the message, writes it to standard error and ends with exit code 1.
class EDataModule : public std::runtime_error {
public:
    explicit EDataModule(const QString& message)
        : std::runtime_error(message.toStdString())
    {
    }
};
// "Database file " + path + " not found"
class EDatabaseMissing : public EDataModule {
public:
    explicit EDatabaseMissing(const QString& path);
};
// Not an SQLite file, a table or column missing, locked by another program, a query that does not run.
class EDatabaseInvalid : public EDataModule {
public:
    using EDataModule::EDataModule;
};
// A database operation failed after start-up.
class EDatabaseError : public std::runtime_error {
public:
    explicit EDatabaseError(const QString& message)
        : std::runtime_error(message.toStdString())
    {
    }
};
// Decimal integer with optional sign and surrounding blanks; anything else raises EConvertError
// ("'abc' is not a valid integer value").
int StrToInt(const QString& text);

struct FormLocation {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    friend bool operator==(const FormLocation&, const FormLocation&) = default;
};

// A stored placement pulled onto a screen of the given size: shrunk to it, then moved inside, top-left kept
// on it.
FormLocation ClampFormLocation(FormLocation location, const QSize& screen);

// How start-up steps and problems reach the user; any hook may be left empty.
struct TDataModuleReporter {
    std::function<void(const QString& text)> Status; // the start-up window's ShowSplashStatus(text, 2, 20)
    std::function<void(int minimum, int maximum, int position)> Progress;
    std::function<void(const QString& message)> Error; // shown in a box; start-up goes on
};

// A table as the program expects it: the component name it reports, the stored name and its columns in order.
struct TTableDefinition {
    QString ComponentName;
    QString TableName;
    QStringList Columns;
};

// One of the data module's named queries: a read-only model over the SQL text last given to it.
class TDataModuleQuery : public QSqlQueryModel {
    Q_OBJECT
public:
    TDataModuleQuery(const QString& name, const QString& designSql, QObject* parent);

    const QString& Name() const { return QueryName; }
    const QString& SQL() const { return SqlText; }
    // The text stays until the next replacement; Open or ExecSQL runs it.
    void SetSQL(const QString& sql) { SqlText = sql; }
    void Open(const QSqlDatabase& database);
    void ExecSQL(const QSqlDatabase& database);
    // The column title shown for a field, kept across reopenings; without one the field name is shown.
    void SetDisplayLabel(const QString& fieldName, const QString& title);
    QString DisplayLabel(const QString& fieldName) const;

    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QString QueryName;
    QString SqlText;
    std::map<QString, QString> DisplayLabels;
};

class TDataModule1 : public QObject {
    Q_OBJECT
public:
    // Runs the start-up steps: backup, open, tables, queries. Throws EDataModule when the program cannot
    // start.
    explicit TDataModule1(TDataModuleReporter reporter = {}, QObject* parent = nullptr);
    ~TDataModule1() override;

    // The file beside the executable and its backup.
    static QString DatabasePath();
    static QString BackupPath();
    static const std::vector<TTableDefinition>& Tables();
    // Tables, queries, data sources and the connection: the range of the start-up progress bar.
    static int ComponentCount();

    // The connection (component AOR8200Database) for the table operations of the other modules.
    QSqlDatabase Database() const;
    // The engine's own version text, for the About box.
    QString DatabaseVersion() const;

    // Options store: keys are matched exactly (case-sensitively). Writers swallow failures.
    QString GetOptionString(const QString& key) const;
    void SetOptionString(const QString& key, const QString& text);
    bool GetOptionBoolean(const QString& key) const;
    void SetOptionBoolean(const QString& key, bool value);
    int GetOptionInteger(const QString& key) const; // EConvertError when the stored text is no integer
    void SetOptionInteger(const QString& key, int value);

    // Window placement under name + "_Left", "_Top", "_Width", "_Height"; absent keys read 0.
    void GetStoredFormLocation(const QString& formName, FormLocation& location) const;
    void SetStoredFormLocation(const QString& formName, const FormLocation& location);

    // Queries in declaration order; the grids attach to the data sources (the same models).
    TDataModuleQuery* AOR8200MemoriesQuery_ = nullptr;
    TDataModuleQuery* FrequencyLookupQuery_ = nullptr;
    TDataModuleQuery* FrequencyLogQuery_ = nullptr;
    TDataModuleQuery* GeneralPurposeQuery_ = nullptr;
    TDataModuleQuery* SearchPassFrequenciesQuery_ = nullptr;
    TDataModuleQuery* SpecialFrequenciesQuery_ = nullptr;

    QAbstractItemModel* FrequencyLogDataSource_ = nullptr;
    QAbstractItemModel* FrequencyLookupDataSource_ = nullptr;
    QAbstractItemModel* SpecialFrequenciesDataSource_ = nullptr;

    // Operations on the individual tables are declared below by the modules that implement them
    // (frequency log: src/monitor; memories, banks, groups, lookup, special frequencies: src/tables).

    // ---- Frequency log (src/monitor/FrequencyLogUnit.cpp) ----
    // Counts an opening (countIncrement 1) or adds a period's duration (countIncrement 0) into the
    // frequency's row, naming it from the lookup table and the memory copy; totalDuration := the row's new
    // total. A frequency of 0 or less changes nothing. Failures are logged and never passed on. The grid's
    // view shows the row at once and makes it current.
    void UpdateFrequencyLog(std::int32_t frequency, int countIncrement, double dateTime, double duration,
        bool isSearch, char bank, int channel, double& totalDuration);
    // Removes every row; failures are passed on.
    void ClearFrequencyLog();
    // Reopens the log view ordered by a column of the log; other names do nothing.
    void OrderFrequencyLogBy(const QString& columnName);
    // The grid's model over FrequencyLogQuery_, made at first use and owned by the data module.
    TFrequencyLogView* FrequencyLogView();

    // ---- Frequency lookups (src/tables/FrequencyLookupsUnit.cpp) ----
    // Both read the tables directly and pass failures on; out-values are set only when a row is found.
    // receiveMode: negative for any mode; on success the row's mode.
    bool LookupFrequency(
        std::int32_t frequency, int& receiveMode, QString& shortComment, QString& longComment);
    bool GetSpecialFrequencyAttributes(std::int32_t frequency, quint32& displayColour,
        bool& makeAudioFilesReadOnly, bool& holdOnSquelch, bool& switchAudioOn);

    // ---- Memories, banks, pass frequencies, groups (src/tables/MemoryTablesUnit.cpp) ----
    // Banks are keyed by the letter's character code; readers return true when the row exists (the scan bank
    // readers: when the value is known) and fill their out-values only then. Writers insert or update the
    // one row of their key; which of them log and which pass a failure on is noted per writer.

    // Logs and passes a failure on.
    void UpdateAOR8200MemoriesTable_(char bank, int channel, bool isEmpty, bool passFlag,
        std::int32_t frequency, std::int32_t stepSize, bool autoMode, AOR8200RxModeType receiveMode,
        bool attenuator, const QString& text);
    bool ReadAOR8200MemoriesTable_(char bank, int channel, bool& isEmpty, bool& passFlag,
        std::int32_t& frequency, std::int32_t& stepSize, bool& autoMode, AOR8200RxModeType& receiveMode,
        bool& attenuator, QString& text);
    // Every stored channel of the bank becomes empty ("?", frequency 0); no row is added.
    void EmptyScanBankMemories(char bank);

    // A new row gets the other value's marker: NoBankText for the label, -1 for the size. Both log as
    // "SetScanBankText" and pass a failure on.
    bool GetScanBankText(char bank, QString& text);
    void SetScanBankText(char bank, const QString& text);
    bool GetScanBankSize(char bank, int& size);
    void SetScanBankSize(char bank, int size);

    // Logs a failure and swallows it.
    bool GetSearchData(char bank, std::int32_t& lowerFrequency, std::int32_t& upperFrequency,
        std::int32_t& stepSize, bool& autoMode, AOR8200RxModeType& receiveMode, std::uint8_t& attenuator,
        QString& text, bool& isEmpty);
    void SetSearchData(char bank, std::int32_t lowerFrequency, std::int32_t upperFrequency,
        std::int32_t stepSize, bool autoMode, AOR8200RxModeType receiveMode, std::uint8_t attenuator,
        const QString& text, bool isEmpty);

    // -1 is stored as it is: the receiver's slot is known to be empty. The writer logs and swallows a
    // failure; the deleters pass it on without logging.
    bool ReadPassFrequency(char bank, int index, std::int32_t& frequency);
    void WritePassFrequency(char bank, int index, std::int32_t frequency);
    void DeletePassFrequencyIndex(char bank, int index);
    void DeleteAllPassFrequencies(char bank);

    // Groups 0-9, values 0-255. Setters log a failure under their own name and swallow it.
    bool GetScanBankLinkGroup(int groupIndex, BankLetterSet& group);
    void SetScanBankLinkGroup(int groupIndex, const BankLetterSet& group);
    bool GetScanDelayDeciSecs(int groupIndex, int& value);
    void SetScanDelayDeciSecs(int groupIndex, int value);
    bool GetScanPauseSecs(int groupIndex, int& value);
    void SetScanPauseSecs(int groupIndex, int value);
    bool GetAudioScanSetting(int groupIndex, int& value);
    void SetAudioScanSetting(int groupIndex, int value);
    bool GetLevelScanSetting(int groupIndex, int& value);
    void SetLevelScanSetting(int groupIndex, int value);
    bool GetSearchBankLinkGroup(int groupIndex, BankLetterSet& group);
    void SetSearchBankLinkGroup(int groupIndex, const BankLetterSet& group);
    bool GetSearchDelayDeciSecs(int groupIndex, int& value);
    void SetSearchDelayDeciSecs(int groupIndex, int value);
    bool GetSearchPauseSecs(int groupIndex, int& value);
    void SetSearchPauseSecs(int groupIndex, int value);
    bool GetAudioSearchSetting(int groupIndex, int& value);
    void SetAudioSearchSetting(int groupIndex, int value);
    bool GetLevelSearchSetting(int groupIndex, int& value);
    void SetLevelSearchSetting(int groupIndex, int value);

private:
    void DataModuleCreate();
    void BackupDatabase();
    void OpenDatabase();
    void SetFrequencyLogTitles();
    void OpenTable(const TTableDefinition& table);
    void SecureJournal();
    void OpenQueries();
    std::vector<TDataModuleQuery*> Queries() const;
    QString LookupOption(const QString& key, bool* found) const;
    void WriteOption(const QString& key, const QString& value); // throws EDatabaseError
    void Report(const QString& text) const;

    TDataModuleReporter Reporter;
    QString ConnectionName;
};

// The one data module of the running program (set while it exists).
extern TDataModule1* DataModule1;
