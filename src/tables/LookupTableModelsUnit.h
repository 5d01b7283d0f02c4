#pragma once
// The editable views of the frequency lookup table and the special frequencies table, as the two windows'
// grids show them. Both are owned by the data module (made at first use) and keep their filter and order for
// the run. A row is written when the user leaves it; a refused row (a duplicate key, a required value
// missing) stays in the view as typed and SaveRefused says why, so the user can correct it.

#include <QSqlTableModel>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <cstdint>

class TDataModule1;

class TLookupTableModel : public QSqlTableModel {
    Q_OBJECT
public:
    // keyFields: the columns of the table's primary index, which identify a row when it is written.
    TLookupTableModel(const QString& tableName, const QStringList& keyFields, const QString& defaultOrder,
        const QSqlDatabase& database, QObject* parent);

    QString FieldName(int column) const;
    int FieldIndex(const QString& fieldName) const;
    QString OrderField() const { return Order; }

    // Reopens the view ordered (ascending) by a column of the table; other names change nothing and
    // return false.
    bool OrderBy(const QString& fieldName);
    // select(), raising EDatabaseError when the view cannot be opened.
    void Reopen();

    // Runs the view's SQL with its values bound, never pasted into the text.
    bool select() override;
    // Writes the pending row; a refusal keeps it and emits SaveRefused, once until the row changes again
    // (the grid tries again each time the user moves on).
    bool submit() override;
    // submit() for a command of the user's: a refusal is always reported.
    bool SaveOrReport();

    // The switch columns show as check boxes.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    bool insertRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The first row with pending changes, or -1.
    int PendingRow() const;

Q_SIGNALS:
    void SaveRefused(const QString& message);

protected:
    // The view's selection: a WHERE clause with ? placeholders and the values bound to them.
    virtual QString WhereClause() const { return {}; }
    virtual QVariantList WhereValues() const { return {}; }
    // The user's message for a refused row.
    virtual QString RefusalMessage(int row, const QSqlError& error) const;
    void SetBooleanFields(const QStringList& fields) { BooleanFields = fields; }
    void ResetOrder() { Order = DefaultOrder; }
    bool IsBooleanColumn(int column) const;
    // The value a new row starts with in each column that has one.
    virtual void PrimeNewRow(QSqlRecord& record) const = 0;

private:
    QString DefaultOrder;
    QString Order;
    QStringList BooleanFields;
    bool RefusalReported = false;
};

// FrequencyLookupTable_: Frequency, RxMode, ShortComment, LongComment, one row per frequency and mode.
class TFrequencyLookupTableModel : public TLookupTableModel {
    Q_OBJECT
public:
    TFrequencyLookupTableModel(const QSqlDatabase& database, QObject* parent);

    // Rows whose long comment contains the text, ignoring case; an empty text shows every row. Each change
    // returns to ordering by frequency. The text is matched literally (quotes, %, _ and \ included).
    void SetFilterText(const QString& text);
    QString FilterText() const { return Filter; }

protected:
    QString WhereClause() const override;
    QVariantList WhereValues() const override;
    QString RefusalMessage(int row, const QSqlError& error) const override;
    void PrimeNewRow(QSqlRecord& record) const override;

private:
    QString Filter;
};

// SpecialFrequenciesTable_: Frequency, DisplayColour, MakeAudioFilesReadOnly, HoldOnSquelch, SwitchAudioOn.
class TSpecialFrequenciesTableModel : public TLookupTableModel {
    Q_OBJECT
public:
    TSpecialFrequenciesTableModel(const QSqlDatabase& database, QObject* parent);

protected:
    QString RefusalMessage(int row, const QSqlError& error) const override;
    void PrimeNewRow(QSqlRecord& record) const override;
};

// The data module's two views, made on first use and owned by it.
TFrequencyLookupTableModel* FrequencyLookupTableModel(TDataModule1& dataModule);
TSpecialFrequenciesTableModel* SpecialFrequenciesTableModel(TDataModule1& dataModule);

// Inserts or updates the special frequency row of frequency (Frequency is its primary index); raises
// EDatabaseError.
void WriteSpecialFrequency(TDataModule1& dataModule, std::int32_t frequency, quint32 displayColour,
    bool makeAudioFilesReadOnly, bool holdOnSquelch, bool switchAudioOn);
