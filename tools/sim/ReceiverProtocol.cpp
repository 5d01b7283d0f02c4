#include "ReceiverProtocol.h"

#include <algorithm>
#include <map>
#include <optional>

namespace {

const QByteArray Ok = "\r\n";
const QByteArray Invalid = "?\r\n";

constexpr qint32 LowestFrequency = 100000;
constexpr qint32 HighestFrequency = 2040000000;

ProtocolAnswer Answer(QByteArray reply)
{
    return {std::move(reply), false, 0};
}

ProtocolAnswer Stored(QByteArray reply = Ok)
{
    return {std::move(reply), true, 0};
}

QByteArray Padded(QByteArray text, int width)
{
    text.truncate(width);
    while (text.size() < width)
        text.append(' ');
    return text;
}

// A number of 1 to maxDigits decimal digits, nothing else.
std::optional<qint64> Digits(const QByteArray& text, int maxDigits)
{
    if (text.isEmpty() || text.size() > maxDigits)
        return std::nullopt;
    qint64 value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<int> Flag(const QByteArray& text)
{
    const auto value = Digits(text, 1);
    if (!value || *value > 1)
        return std::nullopt;
    return static_cast<int>(*value);
}

std::optional<SimMode> ModeDigit(const QByteArray& text)
{
    const auto value = Digits(text, 1);
    if (!value || *value >= SimModeCount)
        return std::nullopt;
    return static_cast<SimMode>(*value);
}

std::optional<qint32> Frequency(const QByteArray& text)
{
    const auto value = Digits(text, 10);
    if (!value || *value < LowestFrequency || *value > HighestFrequency)
        return std::nullopt;
    return static_cast<qint32>(*value);
}

// " XXvalue XXvalue ... TTtext": tagged fields after a record's address. The text tag takes the rest of
// the line, blanks included.
std::optional<std::map<QByteArray, QByteArray>> TaggedFields(QByteArray rest, const QByteArray& textTag)
{
    std::map<QByteArray, QByteArray> fields;
    while (!rest.isEmpty()) {
        if (rest.size() < 3 || rest.at(0) != ' ')
            return std::nullopt;
        const QByteArray tag = rest.mid(1, 2);
        rest.remove(0, 3);
        if (tag == textTag) {
            fields[tag] = rest;
            break;
        }
        const int end = rest.indexOf(' ');
        fields[tag] = end < 0 ? rest : rest.left(end);
        rest = end < 0 ? QByteArray() : rest.mid(end);
    }
    return fields;
}

QByteArray LinkPattern(const QByteArray& links, const char* order)
{
    QByteArray pattern;
    for (const char* letter = order; *letter; ++letter)
        pattern.append(links.contains(*letter) ? *letter : '-');
    return pattern;
}

// "%% " followed by member letters, in any order; null when a letter is not one of the allowed.
std::optional<QByteArray> LinkMembers(const QByteArray& argument, bool (*allowed)(char), const char* order)
{
    QByteArray letters;
    if (argument.startsWith("%% "))
        letters = argument.mid(3);
    else if (argument == "%%")
        letters = {};
    else
        return std::nullopt;
    for (char letter : letters)
        if (!allowed(letter))
            return std::nullopt;
    QByteArray members;
    for (const char* letter = order; *letter; ++letter)
        if (letters.contains(*letter))
            members.append(*letter);
    return members;
}

void ApplyAutoMode(SimMemory& memory)
{
    if (!memory.autoMode)
        return;
    const SimBandDefaults defaults = BandDefaultsFor(memory.frequency);
    memory.step = defaults.step;
    memory.mode = defaults.mode;
}

class Command {
public:
    Command(ReceiverState& state, const QByteArray& line, const ProtocolSettings& settings)
        : s(state)
        , line(line)
        , settings(settings)
        , name(line.left(2))
        , argument(line.mid(2))
    {
    }

    ProtocolAnswer Run();

private:
    ProtocolAnswer CursorKey(char key);
    ProtocolAnswer ReportSwitch();
    ProtocolAnswer GroupIndex(int& index, int count);
    ProtocolAnswer Squelch(int& value);
    ProtocolAnswer Pause(int& value);
    ProtocolAnswer Delay(int& value);
    ProtocolAnswer BankText();
    ProtocolAnswer BankSize();
    ProtocolAnswer ScanLinks();
    ProtocolAnswer SearchLinks();
    ProtocolAnswer Tune();
    ProtocolAnswer StartScan();
    ProtocolAnswer StartSearch();
    ProtocolAnswer AddPass();
    ProtocolAnswer AutoMode();
    ProtocolAnswer PassFlag();
    ProtocolAnswer Recall();
    ProtocolAnswer Report();
    ProtocolAnswer WriteMemory();
    ProtocolAnswer DeleteMemory();
    ProtocolAnswer ReadSearchBank();
    ProtocolAnswer WriteSearchBank();
    ProtocolAnswer ReadPass();
    ProtocolAnswer DeletePass();

    SimGroup& ScanGroup() { return s.scanGroups[s.scanGroupIndex]; }
    SimGroup& SearchGroup() { return s.searchGroups[s.searchGroupIndex]; }
    char BankArgument() const { return argument.isEmpty() ? '\0' : argument.at(0); }
    SimMemory* CurrentMemory() { return s.currentBank ? s.Memory(s.currentBank, s.currentChannel) : nullptr; }

    ReceiverState& s;
    const QByteArray& line;
    const ProtocolSettings& settings;
    const QByteArray name;
    const QByteArray argument;
};

ProtocolAnswer Command::Run()
{
    if (line.size() == 1 && line.at(0) >= 28 && line.at(0) <= 31)
        return CursorKey(line.at(0));
    using Handler = ProtocolAnswer (Command::*)();
    static const std::map<QByteArray, Handler> Handlers = {{"LC", &Command::ReportSwitch},
        {"TB", &Command::BankText}, {"MW", &Command::BankSize}, {"BM", &Command::ScanLinks},
        {"BS", &Command::SearchLinks}, {"VA", &Command::Tune}, {"MS", &Command::StartScan},
        {"SS", &Command::StartSearch}, {"PW", &Command::AddPass}, {"AU", &Command::AutoMode},
        {"MP", &Command::PassFlag}, {"MR", &Command::Recall}, {"RX", &Command::Report},
        {"MX", &Command::WriteMemory}, {"MQ", &Command::DeleteMemory}, {"SR", &Command::ReadSearchBank},
        {"SE", &Command::WriteSearchBank}, {"PR", &Command::ReadPass}, {"PD", &Command::DeletePass}};
    if (const auto handler = Handlers.find(name); handler != Handlers.end())
        return (this->*handler->second)();
    if (name == "VR" && argument.isEmpty())
        return Answer("VR" + s.firmware + Ok);
    if (name == "GM")
        return GroupIndex(s.scanGroupIndex, ReceiverState::ScanGroupCount);
    if (name == "GS")
        return GroupIndex(s.searchGroupIndex, ReceiverState::SearchGroupCount);
    if (name == "SA")
        return Squelch(SearchGroup().audio);
    if (name == "SB")
        return Squelch(SearchGroup().level);
    if (name == "XA")
        return Squelch(ScanGroup().audio);
    if (name == "XB")
        return Squelch(ScanGroup().level);
    if (name == "SP")
        return Pause(SearchGroup().pauseSecs);
    if (name == "XP")
        return Pause(ScanGroup().pauseSecs);
    if (name == "SD")
        return Delay(SearchGroup().delayTenths);
    if (name == "XD")
        return Delay(ScanGroup().delayTenths);
    if (line == "QP") {
        s.poweredOff = true;
        s.squelchReporting = false;
        return Answer(Ok);
    }
    if (line == "EX") {
        s.squelchReporting = false;
        return Answer(Ok);
    }
    return Answer(Invalid);
}

// The cursor keys move the receiver but are not commands: the answer is always "?".
ProtocolAnswer Command::CursorKey(char key)
{
    const bool up = key == 30 || key == 28;
    if (s.activity == SimActivity::Vfo) {
        const qint32 step = std::max<qint32>(s.vfo.step, 50);
        s.vfo.frequency = std::clamp<qint64>(
            qint64(s.vfo.frequency) + (up ? step : -step), LowestFrequency, HighestFrequency);
    } else if (s.activity == SimActivity::Memory && s.currentBank) {
        const int size = s.BankSize(s.currentBank);
        if (size > 0)
            s.currentChannel = (s.currentChannel + (up ? 1 : size - 1)) % size;
    }
    return Answer(Invalid);
}

ProtocolAnswer Command::ReportSwitch()
{
    if (argument.isEmpty())
        return Answer("LC" + QByteArray::number(s.squelchReporting ? 1 : 0) + Ok);
    const auto value = Flag(argument);
    if (!value)
        return Answer(Invalid);
    s.squelchReporting = *value == 1;
    return Answer(Ok);
}

ProtocolAnswer Command::GroupIndex(int& index, int count)
{
    if (argument.isEmpty())
        return Answer(name + QByteArray::number(index) + " " + Ok);
    const auto value = Digits(argument, 1);
    if (!value || *value >= count)
        return Answer(Invalid);
    index = static_cast<int>(*value);
    return Stored();
}

ProtocolAnswer Command::Squelch(int& value)
{
    if (argument.isEmpty())
        return Answer(name + QByteArray::number(value).rightJustified(4, '0') + Ok);
    const auto number = Digits(argument, 3);
    if (!number || *number > 255)
        return Answer(Invalid);
    value = static_cast<int>(*number);
    return Stored();
}

ProtocolAnswer Command::Pause(int& value)
{
    if (argument.isEmpty())
        return Answer(name + QByteArray::number(value).rightJustified(2, '0') + Ok);
    const auto number = Digits(argument, 2);
    if (!number || *number > 60)
        return Answer(Invalid);
    value = static_cast<int>(*number);
    return Stored();
}

// Delays are set in tenths and reported in seconds ("2.5").
ProtocolAnswer Command::Delay(int& value)
{
    if (argument.isEmpty())
        return Answer(name + QByteArray::number(value / 10) + "." + QByteArray::number(value % 10) + Ok);
    const auto number = Digits(argument, 2);
    if (!number)
        return Answer(Invalid);
    value = static_cast<int>(*number);
    return Stored();
}

ProtocolAnswer Command::BankText()
{
    const char bank = BankArgument();
    if (!ReceiverState::IsScanBank(bank))
        return Answer(Invalid);
    if (argument.size() == 1)
        return Answer("TB" + QByteArray(1, bank) + s.BankText(bank) + Ok);
    s.BankText(bank) = Padded(argument.mid(1), 8);
    return Stored();
}

// A new size re-sorts the pair: its memories by frequency, empty channels last, then split at the new
// boundary. The receiver is deaf while it works.
ProtocolAnswer Command::BankSize()
{
    const char bank = BankArgument();
    if (!ReceiverState::IsScanBank(bank))
        return Answer(Invalid);
    const char upper = bank <= 'J' ? bank : static_cast<char>(bank - 32);
    if (argument.size() == 1)
        return Answer(QByteArray("MW ") + upper + ":"
            + QByteArray::number(s.BankSize(upper)).rightJustified(2, '0') + " "
            + static_cast<char>(upper + 32) + ":"
            + QByteArray::number(s.BankSize(static_cast<char>(upper + 32))).rightJustified(2, '0') + Ok);
    const auto size = Digits(argument.mid(1), 2);
    if (!size || *size < 1 || *size > 99)
        return Answer(Invalid);
    SimBankPair& pair = s.Pair(bank);
    std::stable_sort(pair.channels.begin(), pair.channels.end(), [](const SimMemory& a, const SimMemory& b) {
        return !a.isEmpty && (b.isEmpty || a.frequency < b.frequency);
    });
    s.SetBankSize(bank, static_cast<int>(*size));
    if (s.currentBank == upper || s.currentBank == upper + 32)
        s.currentBank = '\0';
    return {Ok, true, settings.resortMs};
}

// The set command's answer echoes it, followed by the new pattern.
ProtocolAnswer Command::ScanLinks()
{
    if (argument.isEmpty())
        return Answer("BM " + ScanLinkPattern(ScanGroup().links) + Ok);
    const auto members = LinkMembers(argument, &ReceiverState::IsScanBank, ReceiverState::ScanBankLetters);
    if (!members)
        return Answer(Invalid);
    ScanGroup().links = *members;
    return Stored(line + ScanLinkPattern(*members) + Ok);
}

ProtocolAnswer Command::SearchLinks()
{
    if (argument.isEmpty())
        return Answer("BS " + SearchLinkPattern(SearchGroup().links) + Ok);
    const auto members
        = LinkMembers(argument, &ReceiverState::IsSearchBank, ReceiverState::SearchBankLetters);
    if (!members)
        return Answer(Invalid);
    SearchGroup().links = *members;
    return Stored("BS " + SearchLinkPattern(*members) + Ok);
}

ProtocolAnswer Command::Tune()
{
    const auto frequency = Frequency(argument);
    if (!frequency)
        return Answer(Invalid);
    s.vfo.frequency = *frequency;
    s.activity = SimActivity::Vfo;
    s.target = SimTarget::Vfo;
    return Answer(Ok);
}

ProtocolAnswer Command::StartScan()
{
    const char bank = BankArgument();
    if (argument.size() > 1 || (bank && !ReceiverState::IsScanBank(bank)))
        return Answer(Invalid);
    const QByteArray banks = bank ? QByteArray(1, bank) : ScanGroup().links;
    bool anything = false;
    for (char letter : banks.isEmpty() ? QByteArray(ReceiverState::ScanBankLetters) : banks)
        for (int channel = 0; channel < s.BankSize(letter); ++channel)
            anything = anything || !s.Memory(letter, channel)->isEmpty;
    if (!anything)
        return Answer(Invalid);
    s.activity = SimActivity::Scan;
    s.scanBank = bank;
    return Answer(Ok);
}

ProtocolAnswer Command::StartSearch()
{
    const char bank = BankArgument();
    if (argument.size() > 1 || (bank && !ReceiverState::IsSearchBank(bank)))
        return Answer(Invalid);
    if (bank && s.SearchBank(bank)->isEmpty)
        return Answer(Invalid);
    if (!bank && std::none_of(s.searchBanks.begin(), s.searchBanks.end(), [](auto& b) { return !b.isEmpty; }))
        return Answer(Invalid);
    s.activity = SimActivity::Search;
    s.currentSearchBank = bank;
    s.searchFrequency = 0;
    return Answer(Ok);
}

// Adds the frequency the search stopped on to that bank's pass list.
ProtocolAnswer Command::AddPass()
{
    if (!argument.isEmpty() || s.activity != SimActivity::Search || s.searchFrequency <= 0
        || !ReceiverState::IsSearchBank(s.searchHitBank))
        return Answer(Invalid);
    QList<qint32>& passes = s.SearchBank(s.searchHitBank)->passFrequencies;
    if (!passes.contains(s.searchFrequency)) {
        if (passes.size() >= ReceiverState::PassFrequencyLimit)
            return Answer(Invalid);
        passes.append(s.searchFrequency);
    }
    return Stored();
}

ProtocolAnswer Command::AutoMode()
{
    const auto value = Flag(argument);
    if (!value)
        return Answer(Invalid);
    switch (s.target) {
    case SimTarget::Vfo:
        s.vfo.autoMode = *value;
        break;
    case SimTarget::Memory:
        if (SimMemory* memory = CurrentMemory(); memory && !memory->isEmpty) {
            memory->autoMode = *value;
            ApplyAutoMode(*memory);
            break;
        }
        return Answer(Invalid);
    case SimTarget::SearchBank:
        s.SearchBank(s.targetSearchBank)->autoMode = *value;
        break;
    }
    return Stored();
}

ProtocolAnswer Command::PassFlag()
{
    const auto value = Flag(argument);
    SimMemory* memory = CurrentMemory();
    if (!value || s.target != SimTarget::Memory || !memory || memory->isEmpty)
        return Answer(Invalid);
    memory->pass = *value;
    return Stored();
}

ProtocolAnswer Command::Recall()
{
    const char bank = BankArgument();
    const auto channel = Digits(argument.mid(1), 2);
    if (argument.size() != 3 || !channel)
        return Answer(Invalid);
    const SimMemory* memory = s.Memory(bank, static_cast<int>(*channel));
    if (!memory || memory->isEmpty)
        return Answer(Invalid);
    s.activity = SimActivity::Memory;
    s.target = SimTarget::Memory;
    s.currentBank = bank;
    s.currentChannel = static_cast<int>(*channel);
    return Answer(Ok);
}

// What the receiver is doing now.
ProtocolAnswer Command::Report()
{
    if (!argument.isEmpty())
        return Answer(Invalid);
    switch (s.activity) {
    case SimActivity::Memory:
        if (const SimMemory* memory = CurrentMemory(); memory && !memory->isEmpty)
            return Answer("MR " + MemoryLine(s.currentBank, s.currentChannel, *memory));
        break;
    case SimActivity::Scan:
        return Answer("MS" + (s.scanBank ? QByteArray(1, s.scanBank) : QByteArray()) + Ok);
    case SimActivity::Search:
        return Answer("SS" + (s.currentSearchBank ? QByteArray(1, s.currentSearchBank) : QByteArray()) + " RF"
            + QByteArray::number(s.searchFrequency).rightJustified(10, '0') + Ok);
    case SimActivity::Vfo:
        break;
    }
    const SimVfo& v = s.vfo;
    return Answer(QByteArray("VA RF") + QByteArray::number(v.frequency).rightJustified(10, '0') + " ST"
        + QByteArray::number(v.step).rightJustified(6, '0') + " AU" + (v.autoMode ? '1' : '0') + " MD"
        + char('0' + static_cast<int>(v.mode)) + " AT" + (v.attenuator ? '1' : '0') + Ok);
}

// "MX" bank channel " RF" frequency " AU" flag " ST" step " MD" mode " AT" flag " TM" text; the tags may come
// in any order, the text last. Writing clears the pass flag and recalls the channel.
ProtocolAnswer Command::WriteMemory()
{
    const char bank = BankArgument();
    const auto channel = Digits(argument.mid(1, 2), 2);
    const auto fields = TaggedFields(argument.mid(3), "TM");
    if (argument.size() < 3 || !channel || !fields)
        return Answer(Invalid);
    SimMemory* slot = s.Memory(bank, static_cast<int>(*channel));
    auto field = [&](const char* tag) { return fields->contains(tag) ? fields->at(tag) : QByteArray(); };
    const auto frequency = Frequency(field("RF"));
    const auto step = Digits(field("ST"), 6);
    const auto mode = ModeDigit(field("MD"));
    const auto autoMode = fields->contains("AU") ? Flag(field("AU")) : std::optional<int>(0);
    const auto attenuator = fields->contains("AT") ? Flag(field("AT")) : std::optional<int>(0);
    const auto pass = fields->contains("MP") ? Flag(field("MP")) : std::optional<int>(0);
    if (!slot || !frequency || !step || !mode || !autoMode || !attenuator || !pass || field("TM").size() > 12)
        return Answer(Invalid);
    for (const auto& [tag, value] : *fields)
        if (!QList<QByteArray> {"RF", "ST", "MD", "AU", "AT", "MP", "TM"}.contains(tag))
            return Answer(Invalid);
    *slot = SimMemory {false, *pass == 1, *frequency, static_cast<qint32>(*step), *autoMode == 1, *mode,
        *attenuator == 1, Padded(field("TM"), 12)};
    ApplyAutoMode(*slot);
    s.activity = SimActivity::Memory;
    s.target = SimTarget::Memory;
    s.currentBank = bank;
    s.currentChannel = static_cast<int>(*channel);
    return Stored();
}

// "MQ" channel deletes in the bank recalled last; "MQ" bank "%%" empties a bank.
ProtocolAnswer Command::DeleteMemory()
{
    if (argument.size() == 3 && argument.endsWith("%%")) {
        const char bank = BankArgument();
        if (!ReceiverState::IsScanBank(bank))
            return Answer(Invalid);
        for (int channel = 0; channel < s.BankSize(bank); ++channel)
            *s.Memory(bank, channel) = SimMemory {};
        return Stored();
    }
    const auto channel = Digits(argument, 2);
    if (argument.size() != 2 || !channel || !s.currentBank)
        return Answer(Invalid);
    SimMemory* memory = s.Memory(s.currentBank, static_cast<int>(*channel));
    if (!memory)
        return Answer(Invalid);
    *memory = SimMemory {};
    return Stored();
}

ProtocolAnswer Command::ReadSearchBank()
{
    const char bank = BankArgument();
    if (argument.size() != 1 || !ReceiverState::IsSearchBank(bank))
        return Answer(Invalid);
    return Answer(SearchBankLine(bank, *s.SearchBank(bank)));
}

// "SE" bank " SL" lower " SU" upper " AU" flag " ST" step " MD" mode " AT" digit " TT" text.
ProtocolAnswer Command::WriteSearchBank()
{
    const char bank = BankArgument();
    const auto fields = TaggedFields(argument.mid(1), "TT");
    if (!ReceiverState::IsSearchBank(bank) || !fields)
        return Answer(Invalid);
    auto field = [&](const char* tag) { return fields->contains(tag) ? fields->at(tag) : QByteArray(); };
    const auto lower = Frequency(field("SL"));
    const auto upper = Frequency(field("SU"));
    const auto step = Digits(field("ST"), 6);
    const auto mode = ModeDigit(field("MD"));
    const auto autoMode = fields->contains("AU") ? Flag(field("AU")) : std::optional<int>(0);
    const auto attenuator = fields->contains("AT") ? Digits(field("AT"), 1) : std::optional<qint64>(0);
    if (!lower || !upper || !step || !mode || !autoMode || !attenuator || field("TT").size() > 12)
        return Answer(Invalid);
    for (const auto& [tag, value] : *fields)
        if (!QList<QByteArray> {"SL", "SU", "ST", "MD", "AU", "AT", "TT"}.contains(tag))
            return Answer(Invalid);
    SimSearchBank& target = *s.SearchBank(bank);
    target = SimSearchBank {false, *lower, *upper, static_cast<qint32>(*step), *autoMode == 1, *mode,
        static_cast<int>(*attenuator), field("TT"), target.passFrequencies};
    s.target = SimTarget::SearchBank;
    s.targetSearchBank = bank;
    return Stored();
}

ProtocolAnswer Command::ReadPass()
{
    const char bank = BankArgument();
    const auto index = Digits(argument.mid(1), 2);
    if (argument.size() != 3 || !ReceiverState::IsSearchBank(bank) || !index
        || *index >= ReceiverState::PassFrequencyLimit)
        return Answer(Invalid);
    const QList<qint32>& passes = s.SearchBank(bank)->passFrequencies;
    const QByteArray address = "PR" + argument;
    if (*index >= passes.size())
        return Answer(address + " ---" + Ok);
    return Answer(address + " " + QByteArray::number(passes.at(*index)).rightJustified(10, '0') + Ok);
}

// "PD" bank "%%" clears the list; "PD" bank index removes one entry and closes the gap.
ProtocolAnswer Command::DeletePass()
{
    const char bank = BankArgument();
    if (argument.size() != 3 || !ReceiverState::IsSearchBank(bank))
        return Answer(Invalid);
    QList<qint32>& passes = s.SearchBank(bank)->passFrequencies;
    if (argument.endsWith("%%")) {
        passes.clear();
        return Stored();
    }
    const auto index = Digits(argument.mid(1), 2);
    if (!index || *index >= passes.size())
        return Answer(Invalid);
    passes.removeAt(*index);
    return Stored(settings.acknowledgePassDelete ? Ok : QByteArray());
}

} // namespace

ProtocolAnswer AnswerCommand(
    ReceiverState& state, const QByteArray& command, const ProtocolSettings& settings)
{
    if (state.poweredOff)
        return {};
    return Command(state, command, settings).Run();
}

QByteArray MemoryLine(char bank, int channel, const SimMemory& m)
{
    return QByteArray("MX") + bank + QByteArray::number(channel).rightJustified(2, '0') + " MP"
        + (m.pass ? '1' : '0') + " RF" + QByteArray::number(m.frequency).rightJustified(10, '0') + " ST"
        + QByteArray::number(m.step).rightJustified(6, '0') + " AU" + (m.autoMode ? '1' : '0') + " MD"
        + char('0' + static_cast<int>(m.mode)) + " AT" + (m.attenuator ? '1' : '0') + " TM"
        + Padded(m.text, 12) + Ok;
}

QByteArray SearchBankLine(char bank, const SimSearchBank& b)
{
    if (b.isEmpty)
        return QByteArray("SR") + bank + " ---" + Ok;
    return QByteArray("SR") + bank + " SL" + QByteArray::number(b.lower).rightJustified(10, '0') + " SU"
        + QByteArray::number(b.upper).rightJustified(10, '0') + " ST"
        + QByteArray::number(b.step).rightJustified(6, '0') + " AU" + (b.autoMode ? '1' : '0') + " MD"
        + char('0' + static_cast<int>(b.mode)) + " AT" + char('0' + b.attenuator) + " TT" + Padded(b.text, 12)
        + Ok;
}

QByteArray ScanLinkPattern(const QByteArray& links)
{
    return LinkPattern(links, ReceiverState::ScanBankLetters);
}

QByteArray SearchLinkPattern(const QByteArray& links)
{
    return LinkPattern(links, ReceiverState::SearchBankLetters);
}
