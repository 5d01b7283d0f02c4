// varnock-rx: the receiver from the command line, through the same driver as the program.

#include "MemoryCommands.h"
#include "receiver/AOR8200Unit.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <QTimer>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <map>
#include <optional>

namespace {

const char Usage[] = R"(usage: varnock-rx --port DEVICE [options] COMMAND
Drives the receiver on the serial device DEVICE.

Commands:
  raw TEXT                 send TEXT (C escapes \r \n \t \\ \xNN) as one command; print the reply, escaped
      --expect N           characters of reply to wait for (default 64)
      --limit MS           time limit of the exchange (default 200)
  get NAME [BANK]          print a setting on one line
  set NAME [BANK] VALUE    change a setting
  vfo HZ                   tune the receiver
  scan [BANK]              start a memory scan (of one bank, A-J a-j)
  search [BANK]            start a search (of one bank, A-T a-t)
  add-pass                 make the current search frequency a pass frequency
  power-off                switch the receiver off
  key left|right|up|down   press a cursor key
  monitor                  switch squelch reports on and print one line per report:
                           open|close LEVEL memory|search BANK CHANNEL|- HZ
      --count N            stop after N reports
      --seconds S          stop after S seconds (otherwise at SIGINT or SIGTERM)

Settings (get/set):
  squelch-reporting (LC, 0 or 1)   firmware (VR, get only)
  scan-group (GM)     search-group (GS)
  search-audio (SA)   search-level (SB)   search-pause (SP, s)   search-delay (SD, tenths of a second)
  scan-audio (XA)     scan-level (XB)     scan-pause (XP, s)     scan-delay (XD, tenths of a second)
  scan-bank-text BANK (TB)   scan-bank-size BANK (MW)
  scan-link-group (BM)   search-link-group (BS): the member letters, "" for none

Errors print the driver's message on standard error and exit 1; a usage error exits 2.
)";

struct UsageError {
    QString message;
};

struct Arguments {
    QString port;
    int expect = 64;
    int limitMs = 200;
    std::optional<int> count;
    std::optional<double> seconds;
    QStringList words; // the command and its operands
};

int ToInt(const QString& text, const QString& what, int low, int high)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < low || value > high)
        throw UsageError {
            QStringLiteral("%1 must be a whole number from %2 to %3").arg(what).arg(low).arg(high)};
    return value;
}

Arguments Parse(const QStringList& args)
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
            throw UsageError {};
        else if (word == "--port")
            a.port = value();
        else if (word == "--expect")
            a.expect = ToInt(value(), word, 0, 100000);
        else if (word == "--limit")
            a.limitMs = ToInt(value(), word, 0, 600000);
        else if (word == "--count")
            a.count = ToInt(value(), word, 1, 1 << 30);
        else if (word == "--seconds") {
            bool ok = false;
            a.seconds = value().toDouble(&ok);
            if (!ok || *a.seconds <= 0)
                throw UsageError {"--seconds needs a positive number"};
        } else if (word.startsWith("--"))
            throw UsageError {"unknown option " + word};
        else
            a.words << word;
    }
    if (a.words.isEmpty())
        throw UsageError {"no command given"};
    if (a.port.isEmpty())
        throw UsageError {"--port DEVICE is required"};
    return a;
}

QByteArray Unescape(const QString& text)
{
    const QByteArray in = text.toLatin1();
    QByteArray out;
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] != '\\' || i + 1 >= in.size()) {
            out += in[i];
            continue;
        }
        const char c = in[++i];
        if (c == 'r')
            out += '\r';
        else if (c == 'n')
            out += '\n';
        else if (c == 't')
            out += '\t';
        else if (c == '\\')
            out += '\\';
        else if (c == 'x') {
            bool ok = false;
            const int byte = in.mid(i + 1, 2).toInt(&ok, 16);
            if (!ok || i + 2 >= in.size())
                throw UsageError {"bad \\x escape in " + text};
            out += char(byte);
            i += 2;
        } else
            throw UsageError {QStringLiteral("unknown escape \\") + QLatin1Char(c)};
    }
    return out;
}

QString Escape(const QString& text)
{
    QString out;
    for (const QChar qc : text) {
        const ushort c = qc.unicode();
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\\')
            out += "\\\\";
        else if (c < 32 || c >= 127)
            out += QStringLiteral("\\x%1").arg(c & 0xFF, 2, 16, QLatin1Char('0'));
        else
            out += qc;
    }
    return out;
}

void PrintLine(const QString& line)
{
    std::fputs(qPrintable(line + "\n"), stdout);
    std::fflush(stdout);
}

char BankOperand(const QString& text, bool (*allowed)(char), const char* kind)
{
    if (text.size() != 1 || text.at(0).unicode() > 127 || !allowed(char(text.at(0).unicode())))
        throw UsageError {QStringLiteral("%1 is no %2 bank letter").arg(text, kind)};
    return char(text.at(0).unicode());
}

bool ScanBank(char c)
{
    return IsScanBankLetter(c);
}
bool SearchBank(char c)
{
    return IsSearchBankLetter(c);
}

// A setting: how to read it, how to change it, and whether it names a bank.
struct Setting {
    bool banked = false;
    std::function<QString(TAOR8200&, char bank)> get;
    std::function<void(TAOR8200&, char bank, const QString& value)> set; // empty: read only
    std::function<void(const QString& value)> check = {}; // raises UsageError for a value out of range
};

std::function<void(const QString&)> RangeCheck(int high)
{
    return [high](const QString& v) { ToInt(v, "VALUE", 0, high); };
}

std::function<void(TAOR8200&, char, const QString&)> ByteSetter(
    void (TAOR8200::*setter)(std::uint8_t), int high)
{
    return [setter, high](TAOR8200& d, char, const QString& v) {
        (d.*setter)(std::uint8_t(ToInt(v, "VALUE", 0, high)));
    };
}

std::function<QString(TAOR8200&, char)> IntGetter(int (TAOR8200::*getter)())
{
    return [getter](TAOR8200& d, char) { return QString::number((d.*getter)()); };
}

const std::map<QString, Setting>& Settings()
{
    static const std::map<QString, Setting> settings {
        {"squelch-reporting",
            {false, IntGetter(&TAOR8200::GetSquelchReporting), ByteSetter(&TAOR8200::SetSquelchReporting, 1),
                RangeCheck(1)}},
        {"firmware", {false, IntGetter(&TAOR8200::GetFirmwareVersion), {}}},
        {"scan-group",
            {false, IntGetter(&TAOR8200::GetScanGroupIndex), ByteSetter(&TAOR8200::SetScanGroupIndex, 9),
                RangeCheck(9)}},
        {"search-group",
            {false, IntGetter(&TAOR8200::GetSearchGroupIndex), ByteSetter(&TAOR8200::SetSearchGroupIndex, 9),
                RangeCheck(9)}},
        {"search-audio",
            {false, IntGetter(&TAOR8200::GetAudioSearchSetting),
                ByteSetter(&TAOR8200::SetAudioSearchSetting, 255), RangeCheck(255)}},
        {"search-level",
            {false, IntGetter(&TAOR8200::GetLevelSearchSetting),
                ByteSetter(&TAOR8200::SetLevelSearchSetting, 255), RangeCheck(255)}},
        {"search-pause",
            {false, IntGetter(&TAOR8200::GetSearchPauseSecs), ByteSetter(&TAOR8200::SetSearchPauseSecs, 60),
                RangeCheck(60)}},
        {"search-delay",
            {false, IntGetter(&TAOR8200::GetSearchDelayDeciSecs),
                ByteSetter(&TAOR8200::SetSearchDelayDeciSecs, 99), RangeCheck(99)}},
        {"scan-audio",
            {false, IntGetter(&TAOR8200::GetAudioScanSetting),
                ByteSetter(&TAOR8200::SetAudioScanSetting, 255), RangeCheck(255)}},
        {"scan-level",
            {false, IntGetter(&TAOR8200::GetLevelScanSetting),
                ByteSetter(&TAOR8200::SetLevelScanSetting, 255), RangeCheck(255)}},
        {"scan-pause",
            {false, IntGetter(&TAOR8200::GetScanPauseSecs), ByteSetter(&TAOR8200::SetScanPauseSecs, 60),
                RangeCheck(60)}},
        {"scan-delay",
            {false, IntGetter(&TAOR8200::GetScanDelayDeciSecs),
                ByteSetter(&TAOR8200::SetScanDelayDeciSecs, 99), RangeCheck(99)}},
        {"scan-bank-text",
            {true, [](TAOR8200& d, char bank) { return d.GetScanBankText(bank); },
                [](TAOR8200& d, char bank, const QString& v) { d.SetScanBankText(bank, v); }}},
        {"scan-bank-size",
            {true, [](TAOR8200& d, char bank) { return QString::number(d.GetScanBankSize(bank)); },
                [](TAOR8200& d, char bank, const QString& v) {
                    d.SetScanBankSize(bank, ToInt(v, "VALUE", 0, 100));
                }}},
        {"scan-link-group",
            {false, [](TAOR8200& d, char) { return d.GetScanBankLinkGroup().MembersIn(ScanBankLetters); },
                [](TAOR8200& d, char, const QString& v) {
                    d.SetScanBankLinkGroup(BankLetterSet::FromLetters(v));
                }}},
        {"search-link-group",
            {false, [](TAOR8200& d, char) { return d.GetSearchBankLinkGroup().MembersIn(SearchBankLetters); },
                [](TAOR8200& d, char, const QString& v) {
                    d.SetSearchBankLinkGroup(BankLetterSet::FromLetters(v));
                }}},
    };
    return settings;
}

void RequireOperands(const QStringList& words, int low, int high)
{
    const int operands = int(words.size()) - 1;
    if (operands < low || operands > high)
        throw UsageError {"wrong number of operands for " + words.first()};
}

using Action = std::function<void(TAOR8200&)>;

Action GetOrSet(const QStringList& words)
{
    const bool isSet = words.first() == "set";
    if (words.size() < 2)
        throw UsageError {words.first() + " needs a setting name"};
    const auto found = Settings().find(words.at(1));
    if (found == Settings().end())
        throw UsageError {"unknown setting " + words.at(1)};
    const Setting& setting = found->second;
    const int operands = 1 + (setting.banked ? 1 : 0) + (isSet ? 1 : 0);
    RequireOperands(words, operands, operands);
    const char bank = setting.banked ? BankOperand(words.at(2), ScanBank, "scan") : '\0';
    if (!isSet)
        return [&setting, bank](TAOR8200& d) { PrintLine(setting.get(d, bank)); };
    if (!setting.set)
        throw UsageError {words.at(1) + " cannot be set"};
    const QString value = words.last();
    if (setting.check)
        setting.check(value);
    return [&setting, bank, value](TAOR8200& d) { setting.set(d, bank, value); };
}

std::atomic<bool> stopRequested {false};

void RequestStop(int)
{
    stopRequested.store(true);
}

void Monitor(TAOR8200& driver, const Arguments& arguments)
{
    int delivered = 0;
    driver.SetOnAOR8200Squelch([&](TAOR8200*, bool open, std::uint8_t level, std::int32_t frequency,
                                   bool search, char bank, std::int32_t channel) {
        PrintLine(QStringLiteral("%1 %2 %3 %4 %5 %6")
                      .arg(open ? "open" : "close")
                      .arg(level)
                      .arg(search ? "search" : "memory")
                      .arg(QLatin1Char(bank))
                      .arg(search ? QStringLiteral("-") : QString::number(channel))
                      .arg(open ? frequency : 0));
        if (arguments.count && ++delivered >= *arguments.count)
            QCoreApplication::quit();
    });
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    driver.SetSquelchReporting(1);
    QElapsedTimer clock;
    clock.start();
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (stopRequested.load() || (arguments.seconds && clock.elapsed() >= *arguments.seconds * 1000))
            QCoreApplication::quit();
    });
    watch.start(20);
    QCoreApplication::exec();
    driver.SetOnAOR8200Squelch({});
    driver.SetSquelchReporting(0);
}

// Checks the command and its operands, so that a usage error never waits for the receiver.
Action Prepare(const Arguments& a)
{
    const QStringList& w = a.words;
    const QString& command = w.first();
    if (command == "raw") {
        RequireOperands(w, 1, 1);
        const QString text = QString::fromLatin1(Unescape(w.at(1)));
        return [text, a](
                   TAOR8200& d) { PrintLine(Escape(d.SendCommandGetResponse(text, a.expect, a.limitMs))); };
    }
    if (command == "get" || command == "set")
        return GetOrSet(w);
    if (command == "vfo") {
        RequireOperands(w, 1, 1);
        const int hertz = ToInt(w.at(1), "HZ", 0, 2147483647);
        return [hertz](TAOR8200& d) { d.SetVFOFrequency(hertz); };
    }
    if (command == "scan") {
        RequireOperands(w, 0, 1);
        const char bank = w.size() > 1 ? BankOperand(w.at(1), ScanBank, "scan") : '\0';
        return [bank](TAOR8200& d) { d.StartMemoryScan(bank); };
    }
    if (command == "search") {
        RequireOperands(w, 0, 1);
        const char bank = w.size() > 1 ? BankOperand(w.at(1), SearchBank, "search") : '\0';
        return [bank](TAOR8200& d) { d.StartSearch(bank); };
    }
    if (command == "add-pass") {
        RequireOperands(w, 0, 0);
        return [](TAOR8200& d) { d.AddPassFrequency(); };
    }
    if (command == "power-off") {
        RequireOperands(w, 0, 0);
        return [](TAOR8200& d) { d.PowerOff(); };
    }
    if (command == "key") {
        RequireOperands(w, 1, 1);
        static const std::map<QString, char> keys {{"right", 28}, {"left", 29}, {"up", 30}, {"down", 31}};
        const auto key = keys.find(w.at(1));
        if (key == keys.end())
            throw UsageError {"key must be left, right, up or down"};
        const char code = key->second;
        return [code](TAOR8200& d) { d.SendCursorKey(code); };
    }
    if (command == "monitor") {
        RequireOperands(w, 0, 0);
        return [a](TAOR8200& d) { Monitor(d, a); };
    }
    throw UsageError {"unknown command " + command};
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    if (const std::optional<int> exitCode = RunMemoryTool(QCoreApplication::arguments()))
        return *exitCode;
    Arguments arguments;
    Action action;
    try {
        arguments = Parse(QCoreApplication::arguments());
        action = Prepare(arguments);
    } catch (const UsageError& e) {
        if (e.message.isEmpty()) {
            std::fputs(Usage, stdout);
            std::fputs(MemoryUsage, stdout);
            return 0;
        }
        std::fprintf(stderr, "varnock-rx: %s\n%s%s", qPrintable(e.message), Usage, MemoryUsage);
        return 2;
    }
    try {
        SetSerialPortTable({arguments.port});
        TAOR8200 driver;
        driver.SetCommPortNumber(1);
        action(driver);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "varnock-rx: %s\n", qPrintable(e.message));
        return 2;
    } catch (const std::exception& e) {
        // The driver's messages separate their lines with CR.
        std::fprintf(stderr, "%s\n", qPrintable(QString::fromStdString(e.what()).replace('\r', '\n')));
        return 1;
    }
    return 0;
}
