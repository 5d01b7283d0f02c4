#pragma once
// The frequency log as the main window's grid shows it. TDataModule1 keeps the operations on the table
// (UpdateFrequencyLog, ClearFrequencyLog, OrderFrequencyLogBy, declared in DataModuleUnit.h); this view sits
// on FrequencyLogQuery_ and shows each stored change at once without running the query again, so a burst of
// squelch reports never re-reads a long log.

#include <QAbstractTableModel>
#include <QHash>
#include <QItemSelectionModel>
#include <QVariant>
#include <QVector>

#include <cstdint>

class TDataModuleQuery;

// One row of FrequencyLogTable_.
struct TFrequencyLogRow {
    std::int32_t Frequency = 0;
    double LastSquelchDateTime = 0; // days since 1899-12-30
    int SquelchCount = 0;
    double SquelchDuration = 0; // days
    QString MemoryId;
    QString ShortComment;
    QString LongComment;
};

class TFrequencyLogView : public QAbstractTableModel {
    Q_OBJECT
public:
    TFrequencyLogView(TDataModuleQuery* source, QObject* parent);

    // The current row (the dataset cursor of the log); the grid uses it as its selection model.
    QItemSelectionModel* Cursor() const { return FCursor; }
    // The field shown in a column, empty for none.
    QString FieldName(int column) const;
    // The row showing the frequency, or -1. The first call after an opening reads the rest of the query.
    int RowOf(std::int32_t frequency);
    // Shows a stored row: replaces the row of its frequency or, for a new frequency, appends it.
    int ShowRow(const TFrequencyLogRow& row);
    // Makes the row current and selects it; the grid scrolls to it.
    void MakeCurrent(int row);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    void SourceReset();
    void BuildRowIndex();
    QVector<QVariant> ValuesOf(const TFrequencyLogRow& row) const;
    int SourceRows() const;

    TDataModuleQuery* Source;
    QItemSelectionModel* FCursor;
    // Changes since the query was opened: replaced source rows and rows appended after them.
    QHash<int, QVector<QVariant>> Replaced;
    QVector<QVector<QVariant>> Appended;
    QHash<std::int32_t, int> RowIndex;
    bool RowIndexBuilt = false;
    int FrequencyColumn = -1;
};

// The two columns the window draws itself.
enum class TFrequencyLogColumn { Frequency, SquelchDuration, Other };
TFrequencyLogColumn FrequencyLogDrawnColumn(const QModelIndex& index);

// A duration in days as "hh:nn:ss.zzz" (the hours of the time of day, as a clock shows them).
QString FormatDurationText(double days);
