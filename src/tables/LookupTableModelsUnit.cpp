#include "tables/LookupTableModelsUnit.h"

#include "app/DataModuleUnit.h"
#include "monitor/FrequencyTextUnit.h"
#include "receiver/AOR8200Unit.h"
#include "support/Colour.h"

#include <QSqlError>
#include <QSqlField>
#include <QSqlIndex>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

// The two refusals a user can cause from the grid, as SQLite words them (the driver reports only the primary
// result code, the same for both).
bool IsUniqueViolation(const QSqlError& error)
{
    return error.databaseText().contains(QLatin1String("UNIQUE constraint failed"));
}

bool IsNotNullViolation(const QSqlError& error)
{
    return error.databaseText().contains(QLatin1String("NOT NULL constraint failed"));
}

QString FrequencyText(const QVariant& value)
{
    bool ok = false;
    const qint64 hertz = value.toLongLong(&ok);
    if (!ok || hertz < INT32_MIN || hertz > INT32_MAX)
        return value.toString();
    return FormatFrequency(qint32(hertz)).trimmed();
}

// "NOT NULL constraint failed: Table.Column" names the column after the last dot.
QString MissingColumn(const QSqlError& error)
{
    const QString text = error.databaseText();
    const qsizetype dot = text.lastIndexOf(u'.');
    return dot < 0 ? QString() : text.mid(dot + 1).trimmed();
}

// A value a new row starts with; it is written with the row even when the user never touches it.
void SetNewRowValue(QSqlRecord& record, const QString& field, const QVariant& value)
{
    record.setValue(field, value);
    record.setGenerated(field, true);
}

} // namespace

// ---------------------------------------------------------------------------------------------------------------

TLookupTableModel::TLookupTableModel(const QString& tableName, const QStringList& keyFields,
    const QString& defaultOrder, const QSqlDatabase& database, QObject* parent)
    : QSqlTableModel(parent, database)
    , DefaultOrder(defaultOrder)
    , Order(defaultOrder)
{
    setTable(tableName);
    setEditStrategy(OnRowChange);
    // The driver sees no primary key in a unique index; without one every column would identify the row.
    QSqlIndex key(QString(), QStringLiteral("C_PK"));
    const QSqlRecord columns = database.record(tableName);
    for (const QString& field : keyFields)
        key.append(columns.field(field));
    setPrimaryKey(key);
    connect(
        this, &QSqlTableModel::primeInsert, this, [this](int, QSqlRecord& record) { PrimeNewRow(record); });
}

QString TLookupTableModel::FieldName(int column) const
{
    return record().fieldName(column);
}

int TLookupTableModel::FieldIndex(const QString& fieldName) const
{
    return record().indexOf(fieldName);
}

bool TLookupTableModel::IsBooleanColumn(int column) const
{
    return BooleanFields.contains(FieldName(column));
}

bool TLookupTableModel::OrderBy(const QString& fieldName)
{
    // Only the table's own column names reach the SQL text.
    const int column = FieldIndex(fieldName);
    if (column < 0)
        return false;
    Order = FieldName(column);
    Reopen();
    return true;
}

void TLookupTableModel::Reopen()
{
    if (!select())
        throw EDatabaseError(tableName() + QStringLiteral(": ") + lastError().text());
}

bool TLookupTableModel::select()
{
    if (tableName().isEmpty())
        return false;
    revertAll();
    QString sql = QStringLiteral("SELECT * FROM ") + tableName();
    const QString where = WhereClause();
    if (!where.isEmpty())
        sql += u' ' + where;
    // The key columns break ties, so rows keep their places between openings.
    QStringList order {Order};
    const QSqlIndex key = primaryKey();
    for (int i = 0; i < key.count(); ++i) {
        if (key.fieldName(i) != Order)
            order << key.fieldName(i);
    }
    sql += QStringLiteral(" ORDER BY ") + order.join(QStringLiteral(", "));

    QSqlQuery query(database());
    if (!query.prepare(sql)) {
        setLastError(query.lastError());
        return false;
    }
    for (const QVariant& value : WhereValues())
        query.addBindValue(value);
    if (!query.exec()) {
        setLastError(query.lastError());
        return false;
    }
    QSqlQueryModel::setQuery(std::move(query));
    RefusalReported = false;
    return !lastError().isValid();
}

int TLookupTableModel::PendingRow() const
{
    if (!isDirty())
        return -1;
    for (int row = 0; row < rowCount(); ++row) {
        for (int column = 0; column < columnCount(); ++column) {
            if (isDirty(index(row, column)))
                return row;
        }
    }
    return -1;
}

bool TLookupTableModel::submit()
{
    if (!isDirty())
        return true;
    if (QSqlTableModel::submit())
        return true;
    if (!RefusalReported) {
        RefusalReported = true;
        Q_EMIT SaveRefused(RefusalMessage(PendingRow(), lastError()));
    }
    return false;
}

bool TLookupTableModel::SaveOrReport()
{
    RefusalReported = false;
    return submit();
}

QString TLookupTableModel::RefusalMessage(int, const QSqlError& error) const
{
    if (IsNotNullViolation(error) && !MissingColumn(error).isEmpty())
        return MissingColumn(error) + QStringLiteral(" needs a value.");
    return QStringLiteral("The row cannot be saved: ") + error.text();
}

QVariant TLookupTableModel::data(const QModelIndex& index, int role) const
{
    if (index.isValid() && IsBooleanColumn(index.column())) {
        const QVariant value = QSqlTableModel::data(index, Qt::EditRole);
        if (role == Qt::CheckStateRole)
            return value.isNull() ? QVariant() : QVariant(value.toBool() ? Qt::Checked : Qt::Unchecked);
        if (role == Qt::DisplayRole)
            return {};
    }
    return QSqlTableModel::data(index, role);
}

bool TLookupTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    RefusalReported = false;
    if (role == Qt::CheckStateRole && index.isValid() && IsBooleanColumn(index.column()))
        return QSqlTableModel::setData(index, value.toInt() == Qt::Checked ? 1 : 0, Qt::EditRole);
    return QSqlTableModel::setData(index, value, role);
}

bool TLookupTableModel::insertRows(int row, int count, const QModelIndex& parent)
{
    RefusalReported = false;
    return QSqlTableModel::insertRows(row, count, parent);
}

bool TLookupTableModel::removeRows(int row, int count, const QModelIndex& parent)
{
    RefusalReported = false;
    return QSqlTableModel::removeRows(row, count, parent);
}

Qt::ItemFlags TLookupTableModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags result = QSqlTableModel::flags(index);
    if (index.isValid() && IsBooleanColumn(index.column()))
        result |= Qt::ItemIsUserCheckable;
    return result;
}

// ---------------------------------------------------------------------------------------------------------------

TFrequencyLookupTableModel::TFrequencyLookupTableModel(const QSqlDatabase& database, QObject* parent)
    : TLookupTableModel(QStringLiteral("FrequencyLookupTable_"),
        {QStringLiteral("Frequency"), QStringLiteral("RxMode")}, QStringLiteral("Frequency"), database,
        parent)
{
    setObjectName(QStringLiteral("FrequencyLookupTableModel"));
}

void TFrequencyLookupTableModel::SetFilterText(const QString& text)
{
    Filter = text;
    ResetOrder();
    Reopen();
}

// instr matches the text as it is, with no wildcard or escape characters of its own.
QString TFrequencyLookupTableModel::WhereClause() const
{
    return Filter.isEmpty() ? QString() : QStringLiteral("WHERE instr(lower(LongComment), lower(?)) > 0");
}

QVariantList TFrequencyLookupTableModel::WhereValues() const
{
    return Filter.isEmpty() ? QVariantList() : QVariantList {Filter};
}

QString TFrequencyLookupTableModel::RefusalMessage(int row, const QSqlError& error) const
{
    if (!IsUniqueViolation(error))
        return TLookupTableModel::RefusalMessage(row, error);
    const QVariant frequency = data(index(row, FieldIndex(QStringLiteral("Frequency"))), Qt::EditRole);
    const int mode = data(index(row, FieldIndex(QStringLiteral("RxMode"))), Qt::EditRole).toInt();
    return QStringLiteral("%1 %2 is already in the lookup table: each frequency may have one row per "
                          "receive mode.")
        .arg(FrequencyText(frequency), RxModeName(AOR8200RxModeType(mode)));
}

// The frequency is left for the user to type: a row saved without one is refused.
void TFrequencyLookupTableModel::PrimeNewRow(QSqlRecord& record) const
{
    SetNewRowValue(record, QStringLiteral("RxMode"), int(AOR8200RxModeAM));
    SetNewRowValue(record, QStringLiteral("ShortComment"), QString(""));
    SetNewRowValue(record, QStringLiteral("LongComment"), QString(""));
}

// ---------------------------------------------------------------------------------------------------------------

TSpecialFrequenciesTableModel::TSpecialFrequenciesTableModel(const QSqlDatabase& database, QObject* parent)
    : TLookupTableModel(QStringLiteral("SpecialFrequenciesTable_"), {QStringLiteral("Frequency")},
        QStringLiteral("Frequency"), database, parent)
{
    setObjectName(QStringLiteral("SpecialFrequenciesTableModel"));
    SetBooleanFields({QStringLiteral("MakeAudioFilesReadOnly"), QStringLiteral("HoldOnSquelch"),
        QStringLiteral("SwitchAudioOn")});
}

QString TSpecialFrequenciesTableModel::RefusalMessage(int row, const QSqlError& error) const
{
    if (!IsUniqueViolation(error))
        return TLookupTableModel::RefusalMessage(row, error);
    const QVariant frequency = data(index(row, FieldIndex(QStringLiteral("Frequency"))), Qt::EditRole);
    return QStringLiteral("%1 is already a special frequency: each frequency may appear only once.")
        .arg(FrequencyText(frequency));
}

void TSpecialFrequenciesTableModel::PrimeNewRow(QSqlRecord& record) const
{
    SetNewRowValue(record, QStringLiteral("DisplayColour"), qint64(clGray));
    for (const char* field : {"MakeAudioFilesReadOnly", "HoldOnSquelch", "SwitchAudioOn"})
        SetNewRowValue(record, QLatin1String(field), 0);
}

// ---------------------------------------------------------------------------------------------------------------

namespace {
template <class Model> Model* OwnedModel(TDataModule1& dataModule)
{
    if (auto* model = dataModule.findChild<Model*>(QString(), Qt::FindDirectChildrenOnly))
        return model;
    auto* model = new Model(dataModule.Database(), &dataModule);
    model->Reopen();
    return model;
}
} // namespace

TFrequencyLookupTableModel* FrequencyLookupTableModel(TDataModule1& dataModule)
{
    return OwnedModel<TFrequencyLookupTableModel>(dataModule);
}

TSpecialFrequenciesTableModel* SpecialFrequenciesTableModel(TDataModule1& dataModule)
{
    return OwnedModel<TSpecialFrequenciesTableModel>(dataModule);
}

void WriteSpecialFrequency(TDataModule1& dataModule, std::int32_t frequency, quint32 displayColour,
    bool makeAudioFilesReadOnly, bool holdOnSquelch, bool switchAudioOn)
{
    QSqlQuery query(dataModule.Database());
    const QString sql = QStringLiteral(
        "INSERT INTO SpecialFrequenciesTable_ (Frequency, DisplayColour, MakeAudioFilesReadOnly, "
        "HoldOnSquelch, SwitchAudioOn) VALUES (?, ?, ?, ?, ?) ON CONFLICT (Frequency) DO UPDATE SET "
        "DisplayColour = excluded.DisplayColour, MakeAudioFilesReadOnly = excluded.MakeAudioFilesReadOnly, "
        "HoldOnSquelch = excluded.HoldOnSquelch, SwitchAudioOn = excluded.SwitchAudioOn");
    if (query.prepare(sql)) {
        for (const QVariant& value :
            {QVariant(frequency), QVariant(qint64(displayColour)), QVariant(int(makeAudioFilesReadOnly)),
                QVariant(int(holdOnSquelch)), QVariant(int(switchAudioOn))})
            query.addBindValue(value);
        if (query.exec())
            return;
    }
    throw EDatabaseError(QStringLiteral("SpecialFrequenciesTable_: ") + query.lastError().text());
}
