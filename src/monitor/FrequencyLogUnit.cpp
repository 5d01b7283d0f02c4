#include "monitor/FrequencyLogUnit.h"

#include "app/DataModuleUnit.h"
#include "app/EventLogUnit.h"
#include "support/DateTimeUnit.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTime>

#include <algorithm>
#include <cmath>

namespace {

const QString FrequencyField = QStringLiteral("Frequency");
const QString LastSquelchDateTimeField = QStringLiteral("LastSquelchDateTime");
const QString SquelchDurationField = QStringLiteral("SquelchDuration");

constexpr int MemoryIdWidth = 3;
constexpr int ShortCommentWidth = 12;
constexpr int LongCommentWidth = 255;

const QString ErrorPrefix = QStringLiteral("TDataModule1.UpdateFrequencyLog");

// One write in its own transaction: rolled back unless Commit succeeds.
class TWriteTransaction {
public:
    explicit TWriteTransaction(QSqlDatabase database)
        : Database(std::move(database))
    {
        if (!Database.transaction())
            throw EDatabaseError(Database.lastError().text());
    }
    ~TWriteTransaction()
    {
        if (!Committed)
            Database.rollback();
    }
    void Commit()
    {
        if (!Database.commit())
            throw EDatabaseError(Database.lastError().text());
        Committed = true;
    }
    TWriteTransaction(const TWriteTransaction&) = delete;
    TWriteTransaction& operator=(const TWriteTransaction&) = delete;

private:
    QSqlDatabase Database;
    bool Committed = false;
};

QString MemoryIdOf(bool isSearch, char bank, int channel)
{
    if (isSearch)
        return QStringLiteral("Sch");
    return QChar::fromLatin1(bank) + QString::number(channel).rightJustified(2, u'0');
}

} // namespace

// ---------------------------------------------------------------------------------------------------------------
// The view

TFrequencyLogView::TFrequencyLogView(TDataModuleQuery* source, QObject* parent)
    : QAbstractTableModel(parent)
    , Source(source)
    , FCursor(new QItemSelectionModel(this, this))
{
    setObjectName(QStringLiteral("FrequencyLogView"));
    connect(Source, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
    connect(Source, &QAbstractItemModel::modelReset, this, [this] {
        SourceReset();
        endResetModel();
    });
    connect(Source, &QAbstractItemModel::rowsAboutToBeInserted, this,
        [this](const QModelIndex&, int first, int last) { beginInsertRows(QModelIndex(), first, last); });
    connect(Source, &QAbstractItemModel::rowsInserted, this, [this] { endInsertRows(); });
    connect(Source, &QAbstractItemModel::headerDataChanged, this, &QAbstractItemModel::headerDataChanged);
    connect(Source, &QObject::destroyed, this, [this] {
        beginResetModel();
        Source = nullptr;
        SourceReset();
        endResetModel();
    });
    connect(FCursor, &QItemSelectionModel::currentRowChanged, this,
        [this](const QModelIndex& current, const QModelIndex& previous) {
            for (const QModelIndex& index : {previous, current}) {
                if (index.isValid())
                    Q_EMIT headerDataChanged(Qt::Vertical, index.row(), index.row());
            }
        });
    SourceReset();
}

void TFrequencyLogView::SourceReset()
{
    Replaced.clear();
    Appended.clear();
    RowIndex.clear();
    RowIndexBuilt = false;
    FrequencyColumn = Source ? Source->record().indexOf(FrequencyField) : -1;
}

int TFrequencyLogView::SourceRows() const
{
    return Source ? Source->rowCount() : 0;
}

QString TFrequencyLogView::FieldName(int column) const
{
    if (!Source || column < 0 || column >= Source->record().count())
        return {};
    return Source->record().fieldName(column);
}

int TFrequencyLogView::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : SourceRows() + int(Appended.size());
}

int TFrequencyLogView::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() || !Source ? 0 : Source->columnCount();
}

bool TFrequencyLogView::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && Source && Source->canFetchMore(QModelIndex());
}

void TFrequencyLogView::fetchMore(const QModelIndex& parent)
{
    if (canFetchMore(parent))
        Source->fetchMore(QModelIndex());
}

QVariant TFrequencyLogView::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !Source)
        return {};
    const int row = index.row();
    const int sourceRows = SourceRows();
    QVariant value;
    if (role != Qt::DisplayRole && role != Qt::EditRole) {
        if (row < sourceRows)
            return Source->data(Source->index(row, index.column()), role);
        return {};
    }
    if (row < sourceRows) {
        const auto replaced = Replaced.constFind(row);
        value = replaced != Replaced.constEnd() ? replaced->value(index.column())
                                                : Source->data(Source->index(row, index.column()), role);
    } else if (row - sourceRows < Appended.size()) {
        value = Appended[row - sourceRows].value(index.column());
    }
    if (role == Qt::DisplayRole && !value.isNull() && FieldName(index.column()) == LastSquelchDateTimeField)
        return FormatDateTime(value.toDouble());
    return value;
}

QVariant TFrequencyLogView::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        // The row indicator: a marker on the current row, nothing elsewhere.
        if (role == Qt::DisplayRole)
            return FCursor->currentIndex().row() == section ? QStringLiteral("\u25B8") : QString();
        return {};
    }
    return Source ? Source->headerData(section, orientation, role) : QVariant();
}

void TFrequencyLogView::BuildRowIndex()
{
    while (Source && Source->canFetchMore(QModelIndex()))
        Source->fetchMore(QModelIndex());
    RowIndex.clear();
    const int rows = SourceRows();
    RowIndex.reserve(rows);
    if (FrequencyColumn >= 0) {
        for (int row = 0; row < rows; ++row)
            RowIndex.insert(std::int32_t(data(index(row, FrequencyColumn), Qt::EditRole).toLongLong()), row);
    }
    RowIndexBuilt = true;
}

int TFrequencyLogView::RowOf(std::int32_t frequency)
{
    if (!RowIndexBuilt)
        BuildRowIndex();
    return RowIndex.value(frequency, -1);
}

QVector<QVariant> TFrequencyLogView::ValuesOf(const TFrequencyLogRow& row) const
{
    QVector<QVariant> values(columnCount());
    const QSqlRecord record = Source->record();
    auto put = [&](const char* field, const QVariant& value) {
        const int column = record.indexOf(QLatin1String(field));
        if (column >= 0)
            values[column] = value;
    };
    put("Frequency", row.Frequency);
    put("LastSquelchDateTime", row.LastSquelchDateTime);
    put("SquelchCount", row.SquelchCount);
    put("SquelchDuration", row.SquelchDuration);
    put("MemoryId", row.MemoryId);
    put("ShortComment", row.ShortComment);
    put("LongComment", row.LongComment);
    return values;
}

int TFrequencyLogView::ShowRow(const TFrequencyLogRow& row)
{
    if (!Source || columnCount() == 0)
        return -1;
    int shown = RowOf(row.Frequency);
    if (shown >= 0) {
        if (shown < SourceRows())
            Replaced.insert(shown, ValuesOf(row));
        else
            Appended[shown - SourceRows()] = ValuesOf(row);
        Q_EMIT dataChanged(index(shown, 0), index(shown, columnCount() - 1));
        return shown;
    }
    shown = rowCount();
    beginInsertRows(QModelIndex(), shown, shown);
    Appended.push_back(ValuesOf(row));
    RowIndex.insert(row.Frequency, shown);
    endInsertRows();
    return shown;
}

void TFrequencyLogView::MakeCurrent(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    FCursor->setCurrentIndex(index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

TFrequencyLogColumn FrequencyLogDrawnColumn(const QModelIndex& index)
{
    const auto* view = qobject_cast<const TFrequencyLogView*>(index.model());
    if (!view)
        return TFrequencyLogColumn::Other;
    const QString field = view->FieldName(index.column());
    if (field == FrequencyField)
        return TFrequencyLogColumn::Frequency;
    if (field == SquelchDurationField)
        return TFrequencyLogColumn::SquelchDuration;
    return TFrequencyLogColumn::Other;
}

QString FormatDurationText(double days)
{
    const double fraction = std::fabs(days - std::trunc(days));
    auto ms = qint64(std::llround(fraction * MillisecondsPerDay));
    if (ms >= qint64(MillisecondsPerDay))
        ms = 0;
    return QTime::fromMSecsSinceStartOfDay(int(ms)).toString(QStringLiteral("HH:mm:ss.zzz"));
}

// ---------------------------------------------------------------------------------------------------------------
// The store

TFrequencyLogView* TDataModule1::FrequencyLogView()
{
    auto* view = findChild<TFrequencyLogView*>(QString(), Qt::FindDirectChildrenOnly);
    if (!view)
        view = new TFrequencyLogView(FrequencyLogQuery_, this);
    return view;
}

namespace {

// The text of the receiver memory holding the frequency, through the work query; false when there is none.
bool FindMemoryText(TDataModule1& module, std::int32_t frequency, char bank, int channel, QString& text)
{
    TDataModuleQuery& query = *module.GeneralPurposeQuery_;
    query.SetSQL(QStringLiteral("Select * from AOR8200MemoriesTable_ where (MemoryFrequency=%1) and "
                                "(MemoryBank=%2) and (MemoryChannel=%3)")
                     .arg(frequency)
                     .arg(int(static_cast<unsigned char>(bank)))
                     .arg(channel));
    query.Open(module.Database());
    if (query.rowCount() == 0)
        return false;
    text = query.record(0).value(QStringLiteral("MemoryChannelText")).toString().trimmed();
    return true;
}

// Counts the update into the stored row, or stores a new one, and returns the row as stored.
TFrequencyLogRow StoreFrequencyLogRow(
    const QSqlDatabase& database, const TFrequencyLogRow& update, int countIncrement)
{
    TWriteTransaction transaction(database);
    QSqlQuery query(database);
    query.setForwardOnly(true);
    if (!query.prepare(QStringLiteral(
            "INSERT INTO FrequencyLogTable_ (Frequency, LastSquelchDateTime, SquelchCount, SquelchDuration, "
            "MemoryId, ShortComment, LongComment) VALUES (?, ?, 1, ?, ?, ?, ?) "
            "ON CONFLICT(Frequency) DO UPDATE SET LastSquelchDateTime = excluded.LastSquelchDateTime, "
            "SquelchCount = SquelchCount + ?, SquelchDuration = SquelchDuration + excluded.SquelchDuration, "
            "ShortComment = excluded.ShortComment, LongComment = excluded.LongComment "
            "RETURNING Frequency, LastSquelchDateTime, SquelchCount, SquelchDuration, MemoryId, "
            "ShortComment, "
            "LongComment")))
        throw EDatabaseError(query.lastError().text());
    query.addBindValue(update.Frequency);
    query.addBindValue(update.LastSquelchDateTime);
    query.addBindValue(update.SquelchDuration);
    query.addBindValue(update.MemoryId);
    query.addBindValue(update.ShortComment);
    query.addBindValue(update.LongComment);
    query.addBindValue(countIncrement);
    if (!query.exec())
        throw EDatabaseError(query.lastError().text());
    if (!query.next())
        throw EDatabaseError(QStringLiteral("FrequencyLogTable_: the row was not stored"));
    TFrequencyLogRow stored;
    stored.Frequency = std::int32_t(query.value(0).toLongLong());
    stored.LastSquelchDateTime = query.value(1).toDouble();
    stored.SquelchCount = query.value(2).toInt();
    stored.SquelchDuration = query.value(3).toDouble();
    stored.MemoryId = query.value(4).toString();
    stored.ShortComment = query.value(5).toString();
    stored.LongComment = query.value(6).toString();
    query.finish();
    transaction.Commit();
    return stored;
}

} // namespace

void TDataModule1::UpdateFrequencyLog(std::int32_t frequency, int countIncrement, double dateTime,
    double duration, bool isSearch, char bank, int channel, double& totalDuration)
{
    if (frequency <= 0)
        return;
    try {
        int receiveMode = -1;
        QString shortComment, longComment;
        LookupFrequency(frequency, receiveMode, shortComment, longComment);
        const QString memoryId = MemoryIdOf(isSearch, bank, channel);
        if (!isSearch) {
            try {
                FindMemoryText(*this, frequency, bank, channel, shortComment);
            } catch (const std::exception& error) {
                AddToEventLog(ErrorPrefix + QString::fromUtf8(error.what()), clRed, true);
            }
        }
        if (shortComment.isEmpty())
            shortComment = QStringLiteral("N/A");
        if (longComment.isEmpty())
            longComment = QStringLiteral("Not found in database");

        TFrequencyLogRow update;
        update.Frequency = frequency;
        update.LastSquelchDateTime = dateTime;
        update.SquelchDuration = duration;
        update.MemoryId = memoryId.left(MemoryIdWidth);
        update.ShortComment = shortComment.left(ShortCommentWidth);
        update.LongComment = longComment.left(LongCommentWidth);
        const TFrequencyLogRow stored = StoreFrequencyLogRow(Database(), update, countIncrement);
        totalDuration = stored.SquelchDuration;

        TFrequencyLogView* view = FrequencyLogView();
        view->MakeCurrent(view->ShowRow(stored));
    } catch (const std::exception& error) {
        AddToEventLog(ErrorPrefix + QLatin1Char(' ') + QString::fromUtf8(error.what()), clRed, true);
    }
}

void TDataModule1::ClearFrequencyLog()
{
    FrequencyLogQuery_->clear();
    QSqlQuery query(Database());
    if (!query.exec(QStringLiteral("DELETE FROM FrequencyLogTable_")))
        throw EDatabaseError(QStringLiteral("ClearFrequencyLog ") + query.lastError().text());
    FrequencyLogQuery_->Open(Database());
}

void TDataModule1::OrderFrequencyLogBy(const QString& columnName)
{
    // Only a column of the log: the name becomes part of the SQL text.
    const bool known = std::any_of(Tables().begin(), Tables().end(), [&](const TTableDefinition& table) {
        return table.ComponentName == QLatin1String("FrequencyLogTable_")
            && table.Columns.contains(columnName);
    });
    if (!known)
        return;
    FrequencyLogQuery_->clear();
    FrequencyLogQuery_->SetSQL(QStringLiteral("Select * From FrequencyLogTable_ Order by ") + columnName);
    FrequencyLogQuery_->Open(Database());
}
