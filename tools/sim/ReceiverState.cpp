#include "ReceiverState.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <cstring>

namespace {

const char* const ModeNames[SimModeCount] = {"WFM", "NFM", "AM", "USB", "LSB", "CW", "SFM", "WAM", "NAM"};

QByteArray Padded(QByteArray text, int width)
{
    text.truncate(width);
    while (text.size() < width)
        text.append(' ');
    return text;
}

QByteArray TrimmedRight(QByteArray text)
{
    while (text.endsWith(' '))
        text.chop(1);
    return text;
}

[[noreturn]] void Fail(const QString& what)
{
    throw SimulatorStateError(("receiver state: " + what).toStdString());
}

QJsonValue Required(const QJsonObject& object, const char* key, const QString& where)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined())
        Fail(where + ": \"" + key + "\" missing");
    return value;
}

int IntIn(const QJsonObject& object, const char* key, qint64 low, qint64 high, const QString& where,
    std::optional<int> fallback = std::nullopt)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined() && fallback)
        return *fallback;
    const QJsonValue present = Required(object, key, where);
    const double number = present.toDouble(-1e300);
    if (!present.isDouble() || number != static_cast<double>(static_cast<qint64>(number)) || number < low
        || number > high)
        Fail(where + ": \"" + key + "\" must be a whole number from " + QString::number(low) + " to "
            + QString::number(high));
    return static_cast<int>(number);
}

bool Flag(const QJsonObject& object, const char* key, const QString& where)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined())
        return false;
    if (!value.isBool())
        Fail(where + ": \"" + key + "\" must be true or false");
    return value.toBool();
}

QByteArray Text(const QJsonObject& object, const char* key, int width, const QString& where)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined())
        return {};
    if (!value.isString())
        Fail(where + ": \"" + key + "\" must be a text");
    const QByteArray text = value.toString().toLatin1();
    if (text.size() > width)
        Fail(where + ": \"" + key + "\" is longer than " + QString::number(width) + " characters");
    return text;
}

SimMode Mode(const QJsonObject& object, const QString& where)
{
    const QString name = object.value("mode").toString();
    const auto mode = SimModeFromName(name);
    if (!mode)
        Fail(where + ": unknown mode \"" + name + "\"");
    return *mode;
}

char Letter(const QJsonObject& object, bool search, const QString& where)
{
    const QString text = object.value("bank").toString();
    const char letter = text.size() == 1 ? text.at(0).toLatin1() : '\0';
    if (search ? !ReceiverState::IsSearchBank(letter) : !ReceiverState::IsScanBank(letter))
        Fail(where + ": bad bank letter \"" + text + "\"");
    return letter;
}

QString LetterText(char letter)
{
    return QString(QChar::fromLatin1(letter));
}

constexpr qint32 FrequencyLimit = 2147483647;

QJsonObject MemoryToJson(int channel, const SimMemory& memory)
{
    return QJsonObject {{"channel", channel}, {"frequency", memory.frequency}, {"step", memory.step},
        {"mode", SimModeName(memory.mode)}, {"auto", memory.autoMode}, {"pass", memory.pass},
        {"attenuator", memory.attenuator}, {"text", QString::fromLatin1(TrimmedRight(memory.text))}};
}

SimMemory MemoryFromJson(const QJsonObject& object, const QString& where)
{
    SimMemory memory;
    memory.isEmpty = false;
    memory.frequency = IntIn(object, "frequency", 0, FrequencyLimit, where);
    memory.step = IntIn(object, "step", 0, 999999, where);
    memory.mode = Mode(object, where);
    memory.autoMode = Flag(object, "auto", where);
    memory.pass = Flag(object, "pass", where);
    memory.attenuator = Flag(object, "attenuator", where);
    memory.text = Padded(Text(object, "text", 12, where), 12);
    return memory;
}

QJsonObject SearchBankToJson(char letter, const SimSearchBank& bank)
{
    QJsonArray passes;
    for (qint32 frequency : bank.passFrequencies)
        passes.append(frequency);
    return QJsonObject {{"bank", LetterText(letter)}, {"lower", bank.lower}, {"upper", bank.upper},
        {"step", bank.step}, {"mode", SimModeName(bank.mode)}, {"auto", bank.autoMode},
        {"attenuator", bank.attenuator}, {"text", QString::fromLatin1(bank.text)}, {"pass", passes}};
}

SimSearchBank SearchBankFromJson(const QJsonObject& object, const QString& where)
{
    SimSearchBank bank;
    bank.isEmpty = false;
    bank.lower = IntIn(object, "lower", 0, FrequencyLimit, where);
    bank.upper = IntIn(object, "upper", 0, FrequencyLimit, where);
    bank.step = IntIn(object, "step", 0, 999999, where);
    bank.mode = Mode(object, where);
    bank.autoMode = Flag(object, "auto", where);
    bank.attenuator = IntIn(object, "attenuator", 0, 9, where, 0);
    bank.text = Text(object, "text", 12, where);
    const QJsonArray passes = object.value("pass").toArray();
    if (passes.size() > ReceiverState::PassFrequencyLimit)
        Fail(where + ": more than 50 pass frequencies");
    for (const QJsonValue& pass : passes) {
        if (!pass.isDouble() || pass.toDouble() <= 0 || pass.toDouble() > FrequencyLimit)
            Fail(where + ": bad pass frequency");
        bank.passFrequencies.append(static_cast<qint32>(pass.toDouble()));
    }
    return bank;
}

QJsonArray GroupsToJson(const auto& groups)
{
    QJsonArray array;
    for (int index = 0; index < static_cast<int>(groups.size()); ++index) {
        const SimGroup& group = groups[index];
        array.append(QJsonObject {{"index", index}, {"links", QString::fromLatin1(group.links)},
            {"audio", group.audio}, {"level", group.level}, {"delay", group.delayTenths},
            {"pause", group.pauseSecs}});
    }
    return array;
}

void GroupsFromJson(const QJsonValue& value, auto& groups, bool search, const char* name)
{
    for (const QJsonValue& entry : value.toArray()) {
        const QJsonObject object = entry.toObject();
        const QString where = QString(name) + " " + QString::number(object.value("index").toInt(-1));
        const int index = IntIn(object, "index", 0, static_cast<int>(groups.size()) - 1, where);
        SimGroup group;
        for (char letter : Text(object, "links", 40, where)) {
            if (search ? !ReceiverState::IsSearchBank(letter) : !ReceiverState::IsScanBank(letter))
                Fail(where + ": bad linked bank \"" + LetterText(letter) + "\"");
            if (!group.links.contains(letter))
                group.links.append(letter);
        }
        group.audio = IntIn(object, "audio", 0, 255, where, 0);
        group.level = IntIn(object, "level", 0, 255, where, 0);
        group.delayTenths = IntIn(object, "delay", 0, 99, where, 20);
        group.pauseSecs = IntIn(object, "pause", 0, 60, where, 5);
        groups[index] = group;
    }
}

} // namespace

QString SimModeName(SimMode mode)
{
    return ModeNames[static_cast<int>(mode)];
}

std::optional<SimMode> SimModeFromName(const QString& name)
{
    for (int ordinal = 0; ordinal < SimModeCount; ++ordinal)
        if (name.compare(ModeNames[ordinal], Qt::CaseInsensitive) == 0)
            return static_cast<SimMode>(ordinal);
    return std::nullopt;
}

bool ReceiverState::IsScanBank(char letter)
{
    return (letter >= 'A' && letter <= 'J') || (letter >= 'a' && letter <= 'j');
}

bool ReceiverState::IsSearchBank(char letter)
{
    return (letter >= 'A' && letter <= 'T') || (letter >= 'a' && letter <= 't');
}

int ReceiverState::SearchBankIndex(char letter)
{
    if (!IsSearchBank(letter))
        return -1;
    return letter <= 'T' ? letter - 'A' : 20 + letter - 'a';
}

int ReceiverState::ScanLinkPosition(char letter)
{
    if (!IsScanBank(letter))
        return -1;
    return letter <= 'J' ? letter - 'A' : 10 + letter - 'a';
}

SimBankPair& ReceiverState::Pair(char scanBank)
{
    return scanBanks[ScanLinkPosition(scanBank) % 10];
}

const SimBankPair& ReceiverState::Pair(char scanBank) const
{
    return scanBanks[ScanLinkPosition(scanBank) % 10];
}

int ReceiverState::BankSize(char scanBank) const
{
    const SimBankPair& pair = Pair(scanBank);
    return scanBank <= 'J' ? pair.upperSize : 100 - pair.upperSize;
}

SimMemory* ReceiverState::Memory(char scanBank, int channel)
{
    return const_cast<SimMemory*>(std::as_const(*this).Memory(scanBank, channel));
}

const SimMemory* ReceiverState::Memory(char scanBank, int channel) const
{
    if (!IsScanBank(scanBank) || channel < 0 || channel >= BankSize(scanBank))
        return nullptr;
    const SimBankPair& pair = Pair(scanBank);
    return &pair.channels[scanBank <= 'J' ? channel : pair.upperSize + channel];
}

QByteArray& ReceiverState::BankText(char scanBank)
{
    SimBankPair& pair = Pair(scanBank);
    return scanBank <= 'J' ? pair.upperText : pair.lowerText;
}

const QByteArray& ReceiverState::BankText(char scanBank) const
{
    const SimBankPair& pair = Pair(scanBank);
    return scanBank <= 'J' ? pair.upperText : pair.lowerText;
}

SimSearchBank* ReceiverState::SearchBank(char letter)
{
    const int index = SearchBankIndex(letter);
    return index < 0 ? nullptr : &searchBanks[index];
}

const SimSearchBank* ReceiverState::SearchBank(char letter) const
{
    const int index = SearchBankIndex(letter);
    return index < 0 ? nullptr : &searchBanks[index];
}

void ReceiverState::SetBankSize(char scanBank, int size)
{
    Pair(scanBank).upperSize = scanBank <= 'J' ? size : 100 - size;
}

QByteArray ReceiverState::ToJson() const
{
    QJsonArray banks;
    for (const char* letter = ScanBankLetters; *letter; ++letter) {
        QJsonArray memories;
        for (int channel = 0; channel < BankSize(*letter); ++channel)
            if (const SimMemory* memory = Memory(*letter, channel); !memory->isEmpty)
                memories.append(MemoryToJson(channel, *memory));
        banks.append(QJsonObject {{"bank", LetterText(*letter)}, {"size", BankSize(*letter)},
            {"text", QString::fromLatin1(TrimmedRight(BankText(*letter)))}, {"memories", memories}});
    }
    QJsonArray searches;
    for (const char* letter = SearchBankLetters; *letter; ++letter)
        if (const SimSearchBank* bank = SearchBank(*letter); !bank->isEmpty)
            searches.append(SearchBankToJson(*letter, *bank));
    const QJsonObject root {{"firmware", QString::fromLatin1(firmware)}, {"scanGroupIndex", scanGroupIndex},
        {"searchGroupIndex", searchGroupIndex},
        {"vfo",
            QJsonObject {{"frequency", vfo.frequency}, {"step", vfo.step}, {"mode", SimModeName(vfo.mode)},
                {"auto", vfo.autoMode}, {"attenuator", vfo.attenuator}}},
        {"scanBanks", banks}, {"searchBanks", searches}, {"scanGroups", GroupsToJson(scanGroups)},
        {"searchGroups", GroupsToJson(searchGroups)}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

ReceiverState ReceiverState::FromJson(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        Fail(error.errorString() + " at offset " + QString::number(error.offset));
    if (!document.isObject())
        Fail("not a JSON object");
    const QJsonObject root = document.object();
    ReceiverState state = Empty();
    if (root.contains("firmware")) {
        state.firmware = Text(root, "firmware", 4, "firmware");
        if (state.firmware.size() != 4)
            Fail("firmware: must be four characters");
    }
    state.scanGroupIndex = IntIn(root, "scanGroupIndex", 0, ScanGroupCount - 1, "state", 1);
    state.searchGroupIndex = IntIn(root, "searchGroupIndex", 0, SearchGroupCount - 1, "state", 1);
    if (root.contains("vfo")) {
        const QJsonObject vfo = root.value("vfo").toObject();
        state.vfo.frequency = IntIn(vfo, "frequency", 0, FrequencyLimit, "vfo");
        state.vfo.step = IntIn(vfo, "step", 0, 999999, "vfo");
        state.vfo.mode = Mode(vfo, "vfo");
        state.vfo.autoMode = Flag(vfo, "auto", "vfo");
        state.vfo.attenuator = Flag(vfo, "attenuator", "vfo");
    }
    for (const QJsonValue& entry : root.value("scanBanks").toArray()) {
        const QJsonObject object = entry.toObject();
        const char letter = Letter(object, false, "scan bank");
        const QString where = "scan bank " + LetterText(letter);
        if (object.contains("size"))
            state.SetBankSize(letter, IntIn(object, "size", 0, 100, where));
    }
    for (const QJsonValue& entry : root.value("scanBanks").toArray()) {
        const QJsonObject object = entry.toObject();
        const char letter = Letter(object, false, "scan bank");
        const QString where = "scan bank " + LetterText(letter);
        if (object.contains("size") && IntIn(object, "size", 0, 100, where) != state.BankSize(letter))
            Fail(where + ": the sizes of a bank pair must add up to 100");
        state.BankText(letter) = Padded(Text(object, "text", 8, where), 8);
        for (const QJsonValue& memoryEntry : object.value("memories").toArray()) {
            const QJsonObject memory = memoryEntry.toObject();
            const int channel = IntIn(memory, "channel", 0, 99, where);
            SimMemory* slot = state.Memory(letter, channel);
            if (!slot)
                Fail(where + ": channel " + QString::number(channel) + " lies beyond the bank's size");
            *slot = MemoryFromJson(memory, where + QString::asprintf("%02d", channel));
        }
    }
    for (const QJsonValue& entry : root.value("searchBanks").toArray()) {
        const QJsonObject object = entry.toObject();
        const char letter = Letter(object, true, "search bank");
        *state.SearchBank(letter) = SearchBankFromJson(object, "search bank " + LetterText(letter));
    }
    GroupsFromJson(root.value("scanGroups"), state.scanGroups, false, "scan group");
    GroupsFromJson(root.value("searchGroups"), state.searchGroups, true, "search group");
    return state;
}

ReceiverState ReceiverState::LoadFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        Fail(path + ": " + file.errorString());
    return FromJson(file.readAll());
}

void ReceiverState::SaveFile(const QString& path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(ToJson()) < 0 || !file.commit())
        Fail(path + ": " + file.errorString());
}

ReceiverState ReceiverState::Empty()
{
    ReceiverState state;
    state.scanGroupIndex = 1;
    state.searchGroupIndex = 1;
    return state;
}

namespace {

struct Preset {
    double megahertz;
    const char* text;
    SimMode mode;
    qint32 step;
    bool pass = false;
    bool autoMode = false;
};

void Fill(ReceiverState& state, char bank, const char* text, std::initializer_list<Preset> presets)
{
    state.BankText(bank) = Padded(text, 8);
    int channel = 0;
    for (const Preset& preset : presets) {
        SimMemory& memory = *state.Memory(bank, channel++);
        memory.isEmpty = false;
        memory.frequency = static_cast<qint32>(preset.megahertz * 1e6 + 0.5);
        memory.step = preset.step;
        memory.mode = preset.mode;
        memory.pass = preset.pass;
        memory.autoMode = preset.autoMode;
        memory.text = Padded(preset.text, 12);
    }
}

void Search(ReceiverState& state, char bank, const char* text, double lower, double upper, qint32 step,
    SimMode mode, std::initializer_list<double> passes = {})
{
    SimSearchBank& search = *state.SearchBank(bank);
    search.isEmpty = false;
    search.lower = static_cast<qint32>(lower * 1e6 + 0.5);
    search.upper = static_cast<qint32>(upper * 1e6 + 0.5);
    search.step = step;
    search.mode = mode;
    search.text = text;
    for (double pass : passes)
        search.passFrequencies.append(static_cast<qint32>(pass * 1e6 + 0.5));
}

void Group(SimGroup& group, const char* links, int audio, int level, int delayTenths, int pauseSecs)
{
    group = {links, audio, level, delayTenths, pauseSecs};
}

} // namespace

ReceiverState ReceiverState::Default()
{
    using enum SimMode;
    ReceiverState state = Empty();
    state.SetBankSize('C', 20);
    state.SetBankSize('E', 40);
    Fill(state, 'A', "AIRBAND",
        {{118.100, "TOWER", AM, 25000}, {118.700, "APPROACH", AM, 25000}, {119.450, "RADAR", AM, 25000},
            {120.400, "CENTRE", AM, 25000}, {121.500, "GUARD", AM, 25000}, {121.750, "GROUND", AM, 25000},
            {121.900, "DELIVERY", AM, 25000}, {123.450, "AIR TO AIR", AM, 25000},
            {124.225, "ATIS", AM, 25000, true}, {126.600, "VOLMET", AM, 25000, true},
            {129.700, "GLIDING", AM, 25000}, {132.850, "CENTRE 2", AM, 25000},
            {135.475, "OPERATIONS", AM, 25000}});
    Fill(state, 'a', "MIL AIR",
        {{243.000, "UHF GUARD", AM, 25000}, {250.800, "MIL TOWER", AM, 25000}, {282.800, "SAR", AM, 25000},
            {312.650, "MIL APP", AM, 25000}});
    Fill(state, 'B', "MARINE",
        {{156.800, "CH16 DISTR", NFM, 25000}, {156.300, "CH06 SHIP", NFM, 25000},
            {156.400, "CH08 SHIP", NFM, 25000}, {156.450, "CH09 PILOT", NFM, 25000},
            {156.500, "CH10 SAR", NFM, 25000}, {156.600, "CH12 PORT", NFM, 25000},
            {156.650, "CH13 BRIDGE", NFM, 25000}, {156.700, "CH14 PORT", NFM, 25000},
            {156.375, "CH67 SAR", NFM, 25000}, {156.525, "CH70 DSC", NFM, 25000, true},
            {156.625, "CH72 SHIP", NFM, 25000}, {156.875, "CH77 SHIP", NFM, 25000},
            {156.000, "CH00 CG", NFM, 25000}});
    Fill(state, 'b', "MAR DUPX",
        {{161.800, "CH24 COAST", NFM, 25000}, {161.850, "CH25 COAST", NFM, 25000},
            {161.900, "CH26 COAST", NFM, 25000}, {161.975, "AIS 1", NFM, 25000, true},
            {162.025, "AIS 2", NFM, 25000, true}});
    Fill(state, 'C', "PMR446",
        {{446.00625, "PMR 1", NFM, 6250}, {446.01875, "PMR 2", NFM, 6250}, {446.03125, "PMR 3", NFM, 6250},
            {446.04375, "PMR 4", NFM, 6250}, {446.05625, "PMR 5", NFM, 6250}, {446.06875, "PMR 6", NFM, 6250},
            {446.08125, "PMR 7", NFM, 6250}, {446.09375, "PMR 8", NFM, 6250}});
    Fill(state, 'c', "LPD433",
        {{433.075, "LPD 1", NFM, 25000}, {433.100, "LPD 2", NFM, 25000}, {433.125, "LPD 3", NFM, 25000},
            {433.150, "LPD 4", NFM, 25000}});
    Fill(state, 'D', "2M HAM",
        {{145.500, "2M CALLING", NFM, 12500}, {144.800, "APRS", NFM, 12500, true},
            {145.800, "ISS DOWN", NFM, 12500}, {145.600, "REPEATER R0", NFM, 12500},
            {145.625, "REPEATER R1", NFM, 12500}, {145.650, "REPEATER R2", NFM, 12500},
            {145.675, "REPEATER R3", NFM, 12500}, {145.700, "REPEATER R4", NFM, 12500},
            {145.725, "REPEATER R5", NFM, 12500}, {145.750, "REPEATER R6", NFM, 12500},
            {145.775, "REPEATER R7", NFM, 12500}, {145.525, "SIMPLEX S21", NFM, 12500}});
    Fill(state, 'd', "70CM HAM",
        {{433.500, "70CM CALLING", NFM, 12500}, {433.450, "SIMPLEX U276", NFM, 12500},
            {430.875, "REPEATER U70", NFM, 12500, false, true}, {439.000, "REPEATER U80", NFM, 12500}});
    Fill(state, 'E', "BCAST FM",
        {{88.100, "FM 88.1", WFM, 100000}, {93.500, "FM 93.5", WFM, 100000}, {98.800, "FM 98.8", WFM, 100000},
            {100.000, "FM 100.0", WFM, 100000}, {104.600, "FM 104.6", WFM, 100000}});
    Search(state, 'A', "AIR VHF", 118.000, 136.975, 25000, AM, {121.500, 126.600});
    Search(state, 'B', "MARINE", 156.000, 162.025, 25000, NFM, {156.525});
    Search(state, 'C', "PMR446", 446.00625, 446.19375, 12500, NFM);
    Search(state, 'D', "2M BAND", 144.000, 146.000, 12500, NFM, {144.800});
    Search(state, 'E', "70CM BAND", 430.000, 440.000, 12500, NFM);
    Search(state, 'F', "FM BROADCAST", 87.500, 108.000, 100000, WFM);
    Search(state, 'G', "CB 27MHZ", 26.965, 27.405, 10000, AM);
    Search(state, 'H', "AIR UHF", 225.000, 400.000, 25000, AM);
    Group(state.scanGroups[1], "ABa", 40, 0, 20, 5);
    Group(state.scanGroups[2], "BbC", 40, 0, 20, 3);
    Group(state.scanGroups[3], "CDd", 60, 0, 10, 5);
    Group(state.searchGroups[1], "AB", 40, 0, 20, 5);
    Group(state.searchGroups[2], "DE", 40, 0, 20, 5);
    Group(state.searchGroups[3], "CG", 60, 0, 10, 3);
    state.activity = SimActivity::Scan;
    return state;
}

SimBandDefaults BandDefaultsFor(qint32 frequency)
{
    using enum SimMode;
    struct Band {
        qint32 below;
        SimBandDefaults defaults;
    };
    static const Band Bands[] = {{30000000, {5000, AM}}, {88000000, {12500, NFM}}, {108000000, {100000, WFM}},
        {137000000, {25000, AM}}, {225000000, {12500, NFM}}, {400000000, {25000, AM}},
        {470000000, {12500, NFM}}, {862000000, {100000, WFM}}};
    for (const Band& band : Bands)
        if (frequency < band.below)
            return band.defaults;
    return {12500, NFM};
}
