#include "MemoryCommands.h"

#include "app/DataModuleUnit.h"
#include "app/EventLogUnit.h"
#include "receiver/DBAOR8200Unit.h"
#include "receiver/FindAOR8200Unit.h"
#include "support/ProgramFilesUnit.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <chrono>
#include <cstdio>
#include <memory>
#include <set>
#include <thread>
#include <vector>

const char MemoryUsage[] = R"(
Receiver discovery (no --port):
  find [DEVICE...]         try the devices (or the system's serial ports) and print the one the receiver is on

Memories, search banks and pass frequencies (CSV with a header line; frequencies and steps in Hz, flags 0/1):
  read-memory BANK CHANNEL
  dump-memories [BANK...]  every channel of the banks (all banks when none is given)
  write-memory BANK CHANNEL FREQUENCY STEP MODE [--auto] [--pass] [--att] [--text TEXT]
  delete-memory BANK CHANNEL
  delete-bank BANK
  load-memories FILE       write every row of a dump-memories CSV (rows with Empty 1 delete); nothing is
                           written when a row does not parse
  read-search BANK
  write-search BANK LOWER UPPER STEP MODE [--auto] [--att DIGIT] [--text TEXT]
  read-pass BANK INDEX     print the pass frequency, or -1 for an empty slot
  delete-pass BANK INDEX|all
      --db FILE            go through the database copy in FILE (a Varnock.ABS): reads come from the copy
                           when it holds the value, everything read or written is stored there
      --no-copy            with --db, always read the receiver (and still store)
MODE is WFM, NFM, AM, USB, LSB, CW, SFM, WAM or NAM (or its digit 0-8).
)";

namespace {

const QStringList MemoryColumns {
    "Bank", "Channel", "Empty", "Pass", "Frequency", "Step", "Auto", "Mode", "Attenuator", "Text"};
const QStringList SearchColumns {
    "Bank", "Empty", "Lower", "Upper", "Step", "Auto", "Mode", "Attenuator", "Text"};

struct UsageError {
    QString message;
};

// A value that does not do: which column and why.
struct FieldError {
    QString column;
    QString problem;
};

struct Arguments {
    QString port;
    QString database;
    bool noCopy = false;
    bool autoMode = false;
    bool pass = false;
    bool attenuator = false;
    std::optional<QString> attenuatorDigit;
    std::optional<QString> text;
    QStringList words;
};

bool IsOwnCommand(const QString& word)
{
    static const std::set<QString> commands {"find", "read-memory", "dump-memories", "write-memory",
        "delete-memory", "delete-bank", "load-memories", "read-search", "write-search", "read-pass",
        "delete-pass"};
    return commands.count(word) > 0;
}

// Empty when the arguments are not for these commands.
std::optional<Arguments> Parse(const QStringList& args)
{
    Arguments a;
    for (int i = 1; i < args.size(); ++i) {
        const QString& word = args.at(i);
        const auto value = [&]() -> QString {
            if (i + 1 >= args.size())
                throw UsageError {word + " needs a value"};
            return args.at(++i);
        };
        if (word == "--help" || word == "-h")
            return std::nullopt;
        if (word == "--port")
            a.port = value();
        else if (word == "--db")
            a.database = value();
        else if (word == "--no-copy")
            a.noCopy = true;
        else if (word == "--auto")
            a.autoMode = true;
        else if (word == "--pass")
            a.pass = true;
        else if (word == "--att" && !a.words.isEmpty() && a.words.first() == "write-search")
            a.attenuatorDigit = value();
        else if (word == "--att")
            a.attenuator = true;
        else if (word == "--text")
            a.text = value();
        else
            a.words << word; // an unknown option is judged below, once the command is known
    }
    if (a.words.isEmpty() || !IsOwnCommand(a.words.first()))
        return std::nullopt;
    for (const QString& word : a.words)
        if (word.startsWith("--"))
            throw UsageError {"unknown option " + word};
    return a;
}

void PrintLine(const QString& line)
{
    std::fputs(line.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// The tool has no window: the event log goes to standard error.
class StandardErrorLog : public EventLogSink {
public:
    StandardErrorLog() { SetEventLogSink(this); }
    ~StandardErrorLog() override { SetEventLogSink(nullptr); }
    StandardErrorLog(const StandardErrorLog&) = delete;
    StandardErrorLog& operator=(const StandardErrorLog&) = delete;
    void AppendLine(const EventLogLine& line) override
    {
        std::fprintf(stderr, "%s\n", line.text.toLocal8Bit().constData());
    }
};

// ---- Values ----

int WholeNumber(const QString& text, const QString& column, qint64 low, qint64 high)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    if (!ok || value < low || value > high)
        throw FieldError {
            column, QStringLiteral("'%1' is no whole number from %2 to %3").arg(text).arg(low).arg(high)};
    return int(value);
}

bool FlagValue(const QString& text, const QString& column)
{
    if (text != "0" && text != "1")
        throw FieldError {column, QStringLiteral("'%1' is neither 0 nor 1").arg(text)};
    return text == "1";
}

char BankValue(const QString& text, const QString& column, bool (*allowed)(char), const char* kind)
{
    if (text.size() != 1 || text.at(0).unicode() > 127 || !allowed(char(text.at(0).unicode())))
        throw FieldError {column, QStringLiteral("'%1' is no %2 bank letter").arg(text, QLatin1String(kind))};
    return char(text.at(0).unicode());
}

AOR8200RxModeType ModeValue(const QString& text, const QString& column)
{
    for (int mode = 0; mode < AOR8200RxModeCount; ++mode)
        if (text.compare(RxModeName(AOR8200RxModeType(mode)), Qt::CaseInsensitive) == 0
            || text == QString::number(mode))
            return AOR8200RxModeType(mode);
    throw FieldError {column, QStringLiteral("'%1' is no receive mode").arg(text)};
}

QString TextValue(const QString& text, const QString& column)
{
    if (text.size() > 12)
        throw FieldError {column, QStringLiteral("'%1' is longer than 12 characters").arg(text)};
    for (const QChar c : text)
        if (c.unicode() < 32 || c.unicode() > 255)
            throw FieldError {
                column, QStringLiteral("'%1' holds a character the receiver cannot show").arg(text)};
    return text;
}

// The same checks for the command line: a bad operand is a usage error.
template <class Check> auto Operand(Check check)
{
    try {
        return check();
    } catch (const FieldError& e) {
        throw UsageError {e.column + ": " + e.problem};
    }
}

// ---- CSV ----

QString CsvField(const QString& value)
{
    const bool quote
        = value.contains(',') || value.contains('"') || value.startsWith(' ') || value.endsWith(' ');
    if (!quote)
        return value;
    return '"' + QString(value).replace("\"", "\"\"") + '"';
}

QString Flag01(bool flag)
{
    return flag ? QStringLiteral("1") : QStringLiteral("0");
}

QString MemoryRow(const MemoryChannelRecord& r)
{
    return QStringList {QString(QLatin1Char(r.Bank)), QString::number(r.Channel), Flag01(r.IsEmpty),
        Flag01(r.PassFlag), QString::number(r.Frequency), QString::number(r.StepSize), Flag01(r.AutoMode),
        RxModeName(r.ReceiveMode), Flag01(r.Attenuator), CsvField(r.Text.ToString())}
        .join(',');
}

QString SearchRow(const SearchBankRecord& r)
{
    return QStringList {QString(QLatin1Char(r.Bank)), Flag01(r.IsEmpty), QString::number(r.LowerFrequency),
        QString::number(r.UpperFrequency), QString::number(r.StepSize), Flag01(r.AutoMode),
        RxModeName(r.ReceiveMode), QString::number(r.Attenuator), CsvField(r.Text.ToString())}
        .join(',');
}

// One line into its fields; quoted fields may hold commas and doubled quotes.
QStringList SplitCsvLine(const QString& line, const QStringList& columns)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    bool wasQuoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line.at(i + 1) == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"' && field.isEmpty() && !wasQuoted) {
            quoted = wasQuoted = true;
        } else if (c == ',') {
            fields << field;
            field.clear();
            wasQuoted = false;
        } else if (wasQuoted) {
            throw FieldError {columns.value(int(fields.size()), "?"), "text after the closing quote"};
        } else {
            field += c;
        }
    }
    if (quoted)
        throw FieldError {columns.value(int(fields.size()), "?"), "quote not closed"};
    fields << field;
    return fields;
}

MemoryChannelRecord ParseMemoryRow(const QString& line)
{
    const QStringList f = SplitCsvLine(line, MemoryColumns);
    if (f.size() < MemoryColumns.size())
        throw FieldError {MemoryColumns.at(f.size()), "missing"};
    if (f.size() > MemoryColumns.size())
        throw FieldError {QStringLiteral("%1").arg(f.size()),
            QStringLiteral("only %1 columns expected").arg(MemoryColumns.size())};
    MemoryChannelRecord r;
    r.Bank = BankValue(
        f.at(0), "Bank", [](char c) { return IsScanBankLetter(c); }, "scan");
    r.Channel = WholeNumber(f.at(1), "Channel", 0, 99);
    r.IsEmpty = FlagValue(f.at(2), "Empty");
    r.PassFlag = FlagValue(f.at(3), "Pass");
    r.Frequency = WholeNumber(f.at(4), "Frequency", 0, 2147483647);
    r.StepSize = WholeNumber(f.at(5), "Step", 0, 999999);
    r.AutoMode = FlagValue(f.at(6), "Auto");
    r.ReceiveMode = ModeValue(f.at(7), "Mode");
    r.Attenuator = FlagValue(f.at(8), "Attenuator");
    r.Text = TextValue(f.at(9), "Text");
    return r;
}

// Every row of the file; the first bad one raises an error naming its line and column.
std::vector<MemoryChannelRecord> ReadMemoryFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw std::runtime_error(QStringLiteral("%1: %2").arg(path, file.errorString()).toStdString());
    QTextStream in(&file);
    in.setEncoding(QStringConverter::Utf8);
    std::vector<MemoryChannelRecord> rows;
    for (int number = 1; !in.atEnd(); ++number) {
        const QString line = in.readLine();
        if (line.trimmed().isEmpty() || (number == 1 && line == MemoryColumns.join(',')))
            continue;
        try {
            rows.push_back(ParseMemoryRow(line));
        } catch (const FieldError& e) {
            throw std::runtime_error(QStringLiteral("%1 line %2, column %3: %4")
                                         .arg(path)
                                         .arg(number)
                                         .arg(e.column, e.problem)
                                         .toStdString());
        }
    }
    return rows;
}

// ---- Commands ----

void Require(const QStringList& words, int low, int high)
{
    const int operands = int(words.size()) - 1;
    if (operands < low || operands > high)
        throw UsageError {"wrong number of operands for " + words.first()};
}

char ScanBankOperand(const QString& text)
{
    return Operand([&] {
        return BankValue(
            text, "BANK", [](char c) { return IsScanBankLetter(c); }, "scan");
    });
}

char SearchBankOperand(const QString& text)
{
    return Operand([&] {
        return BankValue(
            text, "BANK", [](char c) { return IsSearchBankLetter(c); }, "search");
    });
}

int NumberOperand(const QString& text, const char* name, qint64 low, qint64 high)
{
    return Operand([&] { return WholeNumber(text, QLatin1String(name), low, high); });
}

void PrintMemoryHeader()
{
    PrintLine(MemoryColumns.join(','));
}

void DumpMemories(TAOR8200& driver, const QStringList& banks)
{
    std::vector<char> letters;
    for (const QString& bank : banks)
        letters.push_back(ScanBankOperand(bank));
    if (letters.empty())
        letters.assign(ScanBankLetters, ScanBankLetters + 20);
    PrintMemoryHeader();
    for (const char bank : letters) {
        const int size = driver.GetScanBankSize(bank);
        for (int channel = 0; channel < size; ++channel) {
            MemoryChannelRecord record;
            driver.ReadMemoryRecord(bank, channel, record);
            PrintLine(MemoryRow(record));
        }
    }
}

void LoadMemories(TAOR8200& driver, const QString& path)
{
    // Everything is parsed before the first row goes to the receiver.
    for (const MemoryChannelRecord& r : ReadMemoryFile(path)) {
        if (r.IsEmpty)
            driver.DeleteMemory(r.Bank, r.Channel);
        else
            driver.WriteMemory(r.Bank, r.Channel, r.PassFlag, r.Frequency, r.StepSize, r.AutoMode,
                r.ReceiveMode, r.Attenuator, r.Text.ToString());
    }
}

void WriteMemory(TAOR8200& driver, const Arguments& a)
{
    const QStringList& w = a.words;
    Require(w, 5, 5);
    const char bank = ScanBankOperand(w.at(1));
    const int channel = NumberOperand(w.at(2), "CHANNEL", 0, 99);
    const int frequency = NumberOperand(w.at(3), "FREQUENCY", 0, 2147483647);
    const int step = NumberOperand(w.at(4), "STEP", 0, 999999);
    const AOR8200RxModeType mode = Operand([&] { return ModeValue(w.at(5), "MODE"); });
    const QString text = Operand([&] { return TextValue(a.text.value_or(QString()), "--text"); });
    driver.WriteMemory(bank, channel, a.pass, frequency, step, a.autoMode, mode, a.attenuator, text);
}

void WriteSearch(TAOR8200& driver, const Arguments& a)
{
    const QStringList& w = a.words;
    Require(w, 5, 5);
    const char bank = SearchBankOperand(w.at(1));
    const int lower = NumberOperand(w.at(2), "LOWER", 0, 2147483647);
    const int upper = NumberOperand(w.at(3), "UPPER", 0, 2147483647);
    const int step = NumberOperand(w.at(4), "STEP", 0, 999999);
    const AOR8200RxModeType mode = Operand([&] { return ModeValue(w.at(5), "MODE"); });
    const int attenuator = NumberOperand(a.attenuatorDigit.value_or("0"), "--att", 0, 9);
    const QString text = Operand([&] { return TextValue(a.text.value_or(QString()), "--text"); });
    driver.SetSearchData(bank, lower, upper, step, a.autoMode, mode, std::uint8_t(attenuator), text);
}

void Run(TAOR8200& driver, const Arguments& a)
{
    const QStringList& w = a.words;
    const QString& command = w.first();
    if (command == "read-memory") {
        Require(w, 2, 2);
        const char bank = ScanBankOperand(w.at(1));
        MemoryChannelRecord record;
        driver.ReadMemoryRecord(bank, NumberOperand(w.at(2), "CHANNEL", 0, 99), record);
        PrintMemoryHeader();
        PrintLine(MemoryRow(record));
    } else if (command == "dump-memories") {
        DumpMemories(driver, w.mid(1));
    } else if (command == "write-memory") {
        WriteMemory(driver, a);
    } else if (command == "delete-memory") {
        Require(w, 2, 2);
        const char bank = ScanBankOperand(w.at(1));
        driver.DeleteMemory(bank, NumberOperand(w.at(2), "CHANNEL", 0, 99));
    } else if (command == "delete-bank") {
        Require(w, 1, 1);
        driver.DeleteCurrentBank(ScanBankOperand(w.at(1)));
    } else if (command == "load-memories") {
        Require(w, 1, 1);
        LoadMemories(driver, w.at(1));
    } else if (command == "read-search") {
        Require(w, 1, 1);
        const SearchBankRecord record = driver.ReadSearchBankRecord(SearchBankOperand(w.at(1)));
        PrintLine(SearchColumns.join(','));
        PrintLine(SearchRow(record));
    } else if (command == "write-search") {
        WriteSearch(driver, a);
    } else if (command == "read-pass") {
        Require(w, 2, 2);
        const char bank = SearchBankOperand(w.at(1));
        PrintLine(QString::number(driver.ReadPassFrequency(bank, NumberOperand(w.at(2), "INDEX", 0, 99))));
    } else if (command == "delete-pass") {
        Require(w, 2, 2);
        const char bank = SearchBankOperand(w.at(1));
        if (w.at(2) == "all")
            driver.DeleteAllPassFrequencies(bank);
        else
            driver.DeletePassFrequencyIndex(bank, NumberOperand(w.at(2), "INDEX", 0, 99));
    }
}

int Find(const QStringList& devices)
{
    SetSerialPortTable(devices);
    TAOR8200 driver;
    TFindAOR8200Hooks hooks;
    // A tool answers at once: no lingering over the result.
    hooks.Pause = [](int ms) {
        if (ms < 1000)
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    };
    if (!SearchForAOR8200(driver, hooks)) {
        std::fputs("AOR8200 not found\n", stderr);
        return 1;
    }
    PrintLine(SerialPortDevice(driver.GetCommPortNumber()));
    return 0;
}

// The data module opens the file as the program's own database (NAME.ABS beside a program NAME).
std::unique_ptr<TDataModule1> OpenDatabase(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const QString program = ChangeFileExt(absolute, QString());
    if (ChangeFileExt(program, QStringLiteral(".ABS")) != absolute)
        throw UsageError {"--db needs a file named NAME.ABS"};
    SetExecutablePathForTesting(program);
    return std::make_unique<TDataModule1>();
}

int RunCommand(const Arguments& a)
{
    if (a.words.first() == "find") {
        if (!a.database.isEmpty() || !a.port.isEmpty())
            throw UsageError {"find takes devices, not --port or --db"};
        return Find(a.words.mid(1));
    }
    if (a.port.isEmpty())
        throw UsageError {"--port DEVICE is required"};
    if (a.noCopy && a.database.isEmpty())
        throw UsageError {"--no-copy needs --db"};
    std::unique_ptr<TDataModule1> tables;
    if (!a.database.isEmpty())
        tables = OpenDatabase(a.database);
    SetSerialPortTable({a.port});
    std::unique_ptr<TAOR8200> driver;
    if (tables) {
        auto mirrored = std::make_unique<TDBAOR8200>(nullptr, tables.get());
        mirrored->UseDatabaseCopy = !a.noCopy;
        driver = std::move(mirrored);
    } else {
        driver = std::make_unique<TAOR8200>();
    }
    driver->SetCommPortNumber(1);
    Run(*driver, a);
    return 0;
}

} // namespace

std::optional<int> RunMemoryTool(const QStringList& arguments)
{
    std::optional<Arguments> parsed;
    try {
        parsed = Parse(arguments);
        if (!parsed)
            return std::nullopt;
        StandardErrorLog log;
        return RunCommand(*parsed);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "varnock-rx: %s\n", e.message.toLocal8Bit().constData());
        return 2;
    } catch (const std::exception& e) {
        // The driver's messages separate their lines with CR.
        std::fprintf(
            stderr, "%s\n", QString::fromStdString(e.what()).replace('\r', '\n').toLocal8Bit().constData());
        return 1;
    }
}
