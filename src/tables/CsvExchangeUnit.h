#pragma once
// CSV exchange of the user's lists with spreadsheets: export of the frequency log, export and import of the
// frequency lookup table and the special frequencies. RFC 4180 text in UTF-8 with a header row and CRLF line
// ends; frequencies in hertz, receive modes by name, colours as #RRGGBB, switches as true/false.
//
// An import first reads the whole file; a row that does not parse refuses the whole file (ECsvFormatError
// with the line and column of the first error) and nothing is written. Rows that parse are then written in
// one transaction: each is added, changed, left as it was, or refused (a text too long for its column, a key
// given twice in the file, a database refusal).

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <stdexcept>
#include <vector>

class TDataModule1;

class ECsvFormatError : public std::runtime_error {
public:
    // line and column count from 1; column 0 stands for the whole line.
    ECsvFormatError(int line, int column, const QString& reason);
    int Line() const { return FLine; }
    int Column() const { return FColumn; }
    QString Reason() const { return FReason; }

private:
    int FLine;
    int FColumn;
    QString FReason;
};

// A file that cannot be read or written.
class ECsvFileError : public std::runtime_error {
public:
    explicit ECsvFileError(const QString& message)
        : std::runtime_error(message.toStdString())
    {
    }
};

// One record of a CSV text and the line it starts on.
struct TCsvRecord {
    int Line = 0;
    QStringList Fields;
};

// RFC 4180: fields separated by commas, quoted fields may hold commas, line breaks and doubled quotes. CRLF,
// LF and CR all end a line; empty lines and a leading byte order mark are skipped.
std::vector<TCsvRecord> ParseCsv(const QString& text);
// The fields quoted where needed (comma, quote, line break, blanks at either end), joined, with CRLF.
QString CsvRecordText(const QStringList& fields);

struct TCsvImportResult {
    int Added = 0;
    int Changed = 0;
    int Unchanged = 0;
    int Refused = 0;
    QStringList Refusals; // "line 7: ..." for each refused row
};
// "3 rows added, 1 changed, 0 unchanged, 1 refused" followed by the refusals, one a line.
QString CsvImportSummary(const TCsvImportResult& result);

// Frequency,RxMode,ShortComment,LongComment ordered by frequency and mode.
QByteArray FrequencyLookupCsv(TDataModule1& dataModule);
TCsvImportResult ImportFrequencyLookupCsv(TDataModule1& dataModule, const QByteArray& contents);

// Frequency,DisplayColour,MakeAudioFilesReadOnly,HoldOnSquelch,SwitchAudioOn ordered by frequency.
QByteArray SpecialFrequenciesCsv(TDataModule1& dataModule);
TCsvImportResult ImportSpecialFrequenciesCsv(TDataModule1& dataModule, const QByteArray& contents);

// Frequency,LastSquelchDateTime,SquelchCount,SquelchDurationSeconds,MemoryId,ShortComment,LongComment
// ordered by frequency; date-times as "yyyy-mm-dd hh:nn:ss" local time.
QByteArray FrequencyLogCsv(TDataModule1& dataModule);

// Written through a temporary file that replaces the target only when complete.
void WriteCsvFile(const QString& path, const QByteArray& contents);
QByteArray ReadCsvFile(const QString& path);
