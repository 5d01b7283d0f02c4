#include "tables/CsvExchangeUnit.h"

#include "app/DataModuleUnit.h"
#include "receiver/AOR8200Unit.h"
#include "support/Colour.h"
#include "support/DateTimeUnit.h"

#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringDecoder>

#include <functional>
#include <optional>

namespace {

QString LinePrefix(int line, int column)
{
    return column > 0 ? QStringLiteral("line %1, column %2: ").arg(line).arg(column)
                      : QStringLiteral("line %1: ").arg(line);
}

bool IsLineEnd(QChar c)
{
    return c == u'\r' || c == u'\n';
}

// Consumes one line end (CRLF, LF or CR) at i.
void SkipLineEnd(const QString& text, qsizetype& i)
{
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
        ++i;
    ++i;
}

} // namespace

ECsvFormatError::ECsvFormatError(int line, int column, const QString& reason)
    : std::runtime_error((LinePrefix(line, column) + reason).toStdString())
    , FLine(line)
    , FColumn(column)
    , FReason(reason)
{
}

// ---------------------------------------------------------------------------------------------------------------
// RFC 4180 text

namespace {

class TCsvReader {
public:
    explicit TCsvReader(const QString& text)
        : Text(text)
    {
        if (!Text.isEmpty() && Text.front() == QChar(0xFEFF))
            Position = 1;
    }

    std::vector<TCsvRecord> Records()
    {
        std::vector<TCsvRecord> records;
        while (Position < Text.size()) {
            if (IsLineEnd(Text[Position])) {
                SkipLineEnd(Text, Position);
                ++Line;
                continue;
            }
            records.push_back(Record());
        }
        return records;
    }

private:
    TCsvRecord Record()
    {
        TCsvRecord record;
        record.Line = Line;
        for (;;) {
            const int column = int(record.Fields.size()) + 1;
            record.Fields << (Position < Text.size() && Text[Position] == u'"' ? QuotedField(column)
                                                                               : PlainField(column));
            if (Position < Text.size() && Text[Position] == u',') {
                ++Position;
                continue;
            }
            if (Position < Text.size()) {
                SkipLineEnd(Text, Position);
                ++Line;
            }
            return record;
        }
    }

    QString PlainField(int column)
    {
        QString field;
        while (Position < Text.size() && Text[Position] != u',' && !IsLineEnd(Text[Position])) {
            if (Text[Position] == u'"')
                throw ECsvFormatError(Line, column,
                    QStringLiteral("a quote inside an unquoted field (quote the whole field and double "
                                   "the quotes inside it)"));
            field += Text[Position++];
        }
        return field;
    }

    QString QuotedField(int column)
    {
        const int startLine = Line;
        QString field;
        ++Position;
        for (;;) {
            if (Position >= Text.size())
                throw ECsvFormatError(startLine, column, QStringLiteral("the quoted field is never closed"));
            const QChar c = Text[Position++];
            if (c == u'"') {
                if (Position < Text.size() && Text[Position] == u'"') {
                    field += u'"';
                    ++Position;
                    continue;
                }
                break;
            }
            if (c == u'\n' || (c == u'\r' && !(Position < Text.size() && Text[Position] == u'\n')))
                ++Line;
            field += c;
        }
        if (Position < Text.size() && Text[Position] != u',' && !IsLineEnd(Text[Position]))
            throw ECsvFormatError(Line, column, QStringLiteral("text after the closing quote"));
        return field;
    }

    const QString& Text;
    qsizetype Position = 0;
    int Line = 1;
};

QString QuotedIfNeeded(const QString& field)
{
    const bool needed = field.contains(u',') || field.contains(u'"') || field.contains(u'\r')
        || field.contains(u'\n') || (!field.isEmpty() && (field.front().isSpace() || field.back().isSpace()));
    if (!needed)
        return field;
    QString quoted = field;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

} // namespace

std::vector<TCsvRecord> ParseCsv(const QString& text)
{
    return TCsvReader(text).Records();
}

QString CsvRecordText(const QStringList& fields)
{
    QStringList quoted;
    quoted.reserve(fields.size());
    for (const QString& field : fields)
        quoted << QuotedIfNeeded(field);
    return quoted.join(u',') + QStringLiteral("\r\n");
}

QString CsvImportSummary(const TCsvImportResult& result)
{
    QString summary = QStringLiteral("%1 rows added, %2 changed, %3 unchanged, %4 refused")
                          .arg(result.Added)
                          .arg(result.Changed)
                          .arg(result.Unchanged)
                          .arg(result.Refused);
    for (const QString& refusal : result.Refusals)
        summary += u'\n' + refusal;
    return summary;
}

// ---------------------------------------------------------------------------------------------------------------
// Values

namespace {

// A parser raises the reason as a QString.
using TValueParser = std::function<QVariant(const QString& text)>;
using TValueFormatter = std::function<QString(const QVariant& value)>;

QVariant ParseFrequency(const QString& text)
{
    bool ok = false;
    const qint64 hertz = text.trimmed().toLongLong(&ok, 10);
    if (!ok || hertz <= 0 || hertz > INT32_MAX)
        throw QStringLiteral("'%1' is not a frequency in hertz (a whole number from 1 to %2)")
            .arg(text)
            .arg(INT32_MAX);
    return hertz;
}

QVariant ParseRxMode(const QString& text)
{
    QStringList names;
    FillReceiveModeList(&names);
    const qsizetype mode = names.indexOf(text.trimmed().toUpper());
    if (mode < 0)
        throw QStringLiteral("'%1' is not a receive mode (%2)").arg(text, names.join(QStringLiteral(", ")));
    return int(mode);
}

QString FormatRxMode(const QVariant& value)
{
    const int mode = value.toInt();
    // A value outside the modes is written as it is stored, so the export hides nothing.
    return mode >= 0 && mode < AOR8200RxModeCount ? RxModeName(AOR8200RxModeType(mode)) : value.toString();
}

QVariant ParseColour(const QString& text)
{
    const QString t = text.trimmed();
    bool ok = t.size() == 7 && t.front() == u'#';
    const uint rgb = ok ? t.mid(1).toUInt(&ok, 16) : 0;
    if (!ok)
        throw QStringLiteral("'%1' is not a colour (#RRGGBB)").arg(text);
    return qint64(RGBColour(int(rgb >> 16), int(rgb >> 8), int(rgb)));
}

QString FormatColour(const QVariant& value)
{
    const TColor colour = TColor(value.toLongLong());
    return QStringLiteral("#%1%2%3")
        .arg(RedOf(colour), 2, 16, QLatin1Char('0'))
        .arg(GreenOf(colour), 2, 16, QLatin1Char('0'))
        .arg(BlueOf(colour), 2, 16, QLatin1Char('0'))
        .toUpper();
}

QVariant ParseSwitch(const QString& text)
{
    const QString t = text.trimmed().toLower();
    for (const char* yes : {"true", "yes", "1", "t", "y"}) {
        if (t == QLatin1String(yes))
            return 1;
    }
    for (const char* no : {"false", "no", "0", "f", "n"}) {
        if (t == QLatin1String(no))
            return 0;
    }
    throw QStringLiteral("'%1' is not a switch (true or false)").arg(text);
}

QString FormatSwitch(const QVariant& value)
{
    return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
}

QVariant ParseText(const QString& text)
{
    return text;
}

QString FormatPlain(const QVariant& value)
{
    return value.toString();
}

struct TCsvColumn {
    QString Name;
    TValueParser Parse;
    TValueFormatter Format;
    int MaxLength = 0; // texts: longer values are refused rather than cut
};

// A table as the CSV shows it; the first KeyCount columns form its primary index.
struct TCsvTable {
    QString TableName;
    std::vector<TCsvColumn> Columns;
    int KeyCount = 1;

    QStringList Names() const
    {
        QStringList names;
        for (const TCsvColumn& column : Columns)
            names << column.Name;
        return names;
    }
};

const TCsvTable& LookupTable()
{
    static const TCsvTable table {QStringLiteral("FrequencyLookupTable_"),
        {{QStringLiteral("Frequency"), ParseFrequency, FormatPlain},
            {QStringLiteral("RxMode"), ParseRxMode, FormatRxMode},
            {QStringLiteral("ShortComment"), ParseText, FormatPlain, 12},
            {QStringLiteral("LongComment"), ParseText, FormatPlain, 255}},
        2};
    return table;
}

const TCsvTable& SpecialTable()
{
    static const TCsvTable table {QStringLiteral("SpecialFrequenciesTable_"),
        {{QStringLiteral("Frequency"), ParseFrequency, FormatPlain},
            {QStringLiteral("DisplayColour"), ParseColour, FormatColour},
            {QStringLiteral("MakeAudioFilesReadOnly"), ParseSwitch, FormatSwitch},
            {QStringLiteral("HoldOnSquelch"), ParseSwitch, FormatSwitch},
            {QStringLiteral("SwitchAudioOn"), ParseSwitch, FormatSwitch}},
        1};
    return table;
}

QString FormatDuration(const QVariant& value)
{
    return QString::number(value.toDouble() * 86400.0, 'f', 3);
}

QString FormatLogDateTime(const QVariant& value)
{
    return FormatDateTime(value.toDouble());
}

// The log is exported only; its columns are read under their own names, shown under the header's.
const TCsvTable& LogTable()
{
    static const TCsvTable table {QStringLiteral("FrequencyLogTable_"),
        {{QStringLiteral("Frequency"), ParseText, FormatPlain},
            {QStringLiteral("LastSquelchDateTime"), ParseText, FormatLogDateTime},
            {QStringLiteral("SquelchCount"), ParseText, FormatPlain},
            {QStringLiteral("SquelchDuration"), ParseText, FormatDuration},
            {QStringLiteral("MemoryId"), ParseText, FormatPlain},
            {QStringLiteral("ShortComment"), ParseText, FormatPlain},
            {QStringLiteral("LongComment"), ParseText, FormatPlain}},
        1};
    return table;
}

QSqlQuery Run(TDataModule1& dataModule, const QString& sql, const QVariantList& values = {})
{
    QSqlQuery query(dataModule.Database());
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        throw EDatabaseError(query.lastError().text());
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec())
        throw EDatabaseError(query.lastError().text());
    return query;
}

QByteArray ExportTable(TDataModule1& dataModule, const TCsvTable& table, const QStringList& header)
{
    const QStringList names = table.Names();
    QStringList order;
    for (int i = 0; i < table.KeyCount; ++i)
        order << names[i];
    QSqlQuery query = Run(dataModule,
        QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
            .arg(names.join(QStringLiteral(", ")), table.TableName, order.join(QStringLiteral(", "))));
    QString text = CsvRecordText(header);
    while (query.next()) {
        QStringList fields;
        for (int i = 0; i < int(table.Columns.size()); ++i)
            fields << table.Columns[std::size_t(i)].Format(query.value(i));
        text += CsvRecordText(fields);
    }
    return text.toUtf8();
}

// ---- import

struct TParsedRow {
    int Line = 0;
    QVariantList Values; // in the table's column order
};

QString DecodeUtf8(const QByteArray& contents)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(contents);
    if (!decoder.hasError())
        return text;
    // Name the first line that is not UTF-8.
    const QList<QByteArray> lines = contents.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        QStringDecoder lineDecoder(QStringDecoder::Utf8);
        [[maybe_unused]] const QString ignored = lineDecoder.decode(lines[i]);
        if (lineDecoder.hasError())
            throw ECsvFormatError(
                i + 1, 0, QStringLiteral("the text is not UTF-8 (save the file as CSV UTF-8)"));
    }
    throw ECsvFormatError(1, 0, QStringLiteral("the text is not UTF-8"));
}

int IndexIgnoringCase(const QStringList& names, const QString& name)
{
    for (int i = 0; i < names.size(); ++i) {
        if (names[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

// For each of the table's columns, its position in the file.
std::vector<int> ReadHeader(const TCsvTable& table, const TCsvRecord& header)
{
    const QStringList names = table.Names();
    std::vector<int> positions(table.Columns.size(), -1);
    for (int position = 0; position < header.Fields.size(); ++position) {
        const QString name = header.Fields[position].trimmed();
        const int found = IndexIgnoringCase(names, name);
        if (found < 0)
            throw ECsvFormatError(header.Line, position + 1,
                QStringLiteral("unknown column '%1' (the header is %2)").arg(name, names.join(u',')));
        if (positions[std::size_t(found)] >= 0)
            throw ECsvFormatError(
                header.Line, position + 1, QStringLiteral("column '%1' appears twice").arg(names[found]));
        positions[std::size_t(found)] = position;
    }
    for (int i = 0; i < names.size(); ++i) {
        if (positions[std::size_t(i)] < 0)
            throw ECsvFormatError(header.Line, 0,
                QStringLiteral("the header has no column %1 (the header is %2)")
                    .arg(names[i], names.join(u',')));
    }
    return positions;
}

TParsedRow ParseRow(const TCsvTable& table, const std::vector<int>& positions, const TCsvRecord& record)
{
    const int expected = int(positions.size());
    if (record.Fields.size() != expected)
        throw ECsvFormatError(record.Line, int(std::min<qsizetype>(record.Fields.size(), expected)) + 1,
            QStringLiteral("%1 fields where the header has %2").arg(record.Fields.size()).arg(expected));
    TParsedRow row;
    row.Line = record.Line;
    for (std::size_t i = 0; i < table.Columns.size(); ++i) {
        const int position = positions[i];
        try {
            row.Values << table.Columns[i].Parse(record.Fields[position]);
        } catch (const QString& reason) {
            throw ECsvFormatError(
                record.Line, position + 1, table.Columns[i].Name + QStringLiteral(": ") + reason);
        }
    }
    return row;
}

std::vector<TParsedRow> ParseTableCsv(const TCsvTable& table, const QByteArray& contents)
{
    const std::vector<TCsvRecord> records = ParseCsv(DecodeUtf8(contents));
    if (records.empty())
        throw ECsvFormatError(1, 0, QStringLiteral("the file is empty (a header row is needed)"));
    const std::vector<int> positions = ReadHeader(table, records.front());
    std::vector<TParsedRow> rows;
    rows.reserve(records.size() - 1);
    for (std::size_t i = 1; i < records.size(); ++i)
        rows.push_back(ParseRow(table, positions, records[i]));
    return rows;
}

// Why a parsed row cannot be stored as it is, or nothing.
std::optional<QString> RowProblem(const TCsvTable& table, const TParsedRow& row)
{
    for (std::size_t i = 0; i < table.Columns.size(); ++i) {
        const TCsvColumn& column = table.Columns[i];
        if (column.MaxLength > 0 && row.Values[int(i)].toString().size() > column.MaxLength)
            return QStringLiteral("%1 is longer than %2 characters").arg(column.Name).arg(column.MaxLength);
    }
    return std::nullopt;
}

class TTableWriter {
public:
    TTableWriter(TDataModule1& dataModule, const TCsvTable& table)
        : DataModule(dataModule)
        , Table(table)
    {
        const QStringList names = table.Names();
        QStringList keyTests, assignments, placeholders;
        for (int i = 0; i < names.size(); ++i) {
            placeholders << QStringLiteral("?");
            if (i < table.KeyCount) {
                keyTests << names[i] + QStringLiteral(" = ?");
            } else {
                Others << names[i];
                assignments << names[i] + QStringLiteral(" = ?");
            }
        }
        const QString where = QStringLiteral(" WHERE ") + keyTests.join(QStringLiteral(" AND "));
        SelectSql
            = QStringLiteral("SELECT %1 FROM %2").arg(Others.join(QStringLiteral(", ")), table.TableName)
            + where;
        UpdateSql
            = QStringLiteral("UPDATE %1 SET %2").arg(table.TableName, assignments.join(QStringLiteral(", ")))
            + where;
        InsertSql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                        .arg(table.TableName, names.join(QStringLiteral(", ")),
                            placeholders.join(QStringLiteral(", ")));
    }

    enum class TOutcome { Added, Changed, Unchanged };

    TOutcome Write(const TParsedRow& row)
    {
        const QVariantList keys = row.Values.mid(0, Table.KeyCount);
        const QVariantList others = row.Values.mid(Table.KeyCount);
        QSqlQuery stored = Run(DataModule, SelectSql, keys);
        if (!stored.next()) {
            Run(DataModule, InsertSql, row.Values);
            return TOutcome::Added;
        }
        bool same = true;
        for (int i = 0; i < others.size(); ++i)
            same = same && stored.value(i).toString() == others[i].toString();
        if (same)
            return TOutcome::Unchanged;
        Run(DataModule, UpdateSql, others + keys);
        return TOutcome::Changed;
    }

private:
    TDataModule1& DataModule;
    const TCsvTable& Table;
    QStringList Others;
    QString SelectSql, UpdateSql, InsertSql;
};

QString KeyText(const TCsvTable& table, const TParsedRow& row)
{
    QStringList parts;
    for (int i = 0; i < table.KeyCount; ++i)
        parts << row.Values[i].toString();
    return parts.join(u'/');
}

TCsvImportResult WriteRows(
    TDataModule1& dataModule, const TCsvTable& table, const std::vector<TParsedRow>& rows)
{
    QSqlDatabase database = dataModule.Database();
    if (!database.transaction())
        throw EDatabaseError(table.TableName + QStringLiteral(": ") + database.lastError().text());
    TCsvImportResult result;
    TTableWriter writer(dataModule, table);
    QHash<QString, int> firstLines;
    auto refuse = [&result](const TParsedRow& row, const QString& reason) {
        ++result.Refused;
        result.Refusals << LinePrefix(row.Line, 0) + reason;
    };
    for (const TParsedRow& row : rows) {
        const QString key = KeyText(table, row);
        if (const auto first = firstLines.constFind(key); first != firstLines.constEnd()) {
            refuse(row,
                QStringLiteral("the same %1 as line %2")
                    .arg(table.KeyCount > 1 ? QStringLiteral("frequency and mode")
                                            : QStringLiteral("frequency"))
                    .arg(*first));
            continue;
        }
        firstLines.insert(key, row.Line);
        if (const auto problem = RowProblem(table, row)) {
            refuse(row, *problem);
            continue;
        }
        try {
            switch (writer.Write(row)) {
            case TTableWriter::TOutcome::Added:
                ++result.Added;
                break;
            case TTableWriter::TOutcome::Changed:
                ++result.Changed;
                break;
            case TTableWriter::TOutcome::Unchanged:
                ++result.Unchanged;
                break;
            }
        } catch (const EDatabaseError& error) {
            refuse(row, QString::fromUtf8(error.what()));
        }
    }
    if (!database.commit()) {
        const QString message = database.lastError().text();
        database.rollback();
        throw EDatabaseError(table.TableName + QStringLiteral(": ") + message);
    }
    return result;
}

} // namespace

// ---------------------------------------------------------------------------------------------------------------

QByteArray FrequencyLookupCsv(TDataModule1& dataModule)
{
    return ExportTable(dataModule, LookupTable(), LookupTable().Names());
}

TCsvImportResult ImportFrequencyLookupCsv(TDataModule1& dataModule, const QByteArray& contents)
{
    return WriteRows(dataModule, LookupTable(), ParseTableCsv(LookupTable(), contents));
}

QByteArray SpecialFrequenciesCsv(TDataModule1& dataModule)
{
    return ExportTable(dataModule, SpecialTable(), SpecialTable().Names());
}

TCsvImportResult ImportSpecialFrequenciesCsv(TDataModule1& dataModule, const QByteArray& contents)
{
    return WriteRows(dataModule, SpecialTable(), ParseTableCsv(SpecialTable(), contents));
}

QByteArray FrequencyLogCsv(TDataModule1& dataModule)
{
    QStringList header = LogTable().Names();
    header[3] = QStringLiteral("SquelchDurationSeconds");
    return ExportTable(dataModule, LogTable(), header);
}

void WriteCsvFile(const QString& path, const QByteArray& contents)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size() || !file.commit())
        throw ECsvFileError(QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString()));
}

QByteArray ReadCsvFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ECsvFileError(QStringLiteral("%1 cannot be read: %2").arg(path, file.errorString()));
    return file.readAll();
}
