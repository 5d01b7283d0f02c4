#include "SquelchTraffic.h"

#include <QList>

#include <algorithm>
#include <cctype>

QByteArray FormatSquelchReport(const SquelchReport& report)
{
    QByteArray line = "LC";
    if (!report.open)
        line += '%';
    line += QByteArray::number(report.level).rightJustified(3, '0');
    line += report.isSearch ? " SR" : " MX";
    line += report.bank;
    if (!report.isSearch)
        line += QByteArray::number(report.channel).rightJustified(2, '0');
    if (report.open)
        line += " RF" + QByteArray::number(report.frequency).rightJustified(10, '0');
    return line + "\r\n";
}

namespace {

[[noreturn]] void Fail(int lineNumber, const QByteArray& line, const char* why)
{
    throw SimulatorStateError(QString("squelch script line %1: %2: %3")
                                  .arg(lineNumber)
                                  .arg(QString::fromLatin1(line), why)
                                  .toStdString());
}

int Number(const QByteArray& word, int lineNumber, const QByteArray& line, int low, int high)
{
    bool ok = false;
    const int value = word.toInt(&ok);
    if (!ok || value < low || value > high)
        Fail(lineNumber, line, "bad number");
    return value;
}

char BankWord(const QByteArray& word, bool search, int lineNumber, const QByteArray& line)
{
    const char letter = word.size() == 1 ? word.at(0) : '\0';
    if (search ? !ReceiverState::IsSearchBank(letter) : !ReceiverState::IsScanBank(letter))
        Fail(lineNumber, line, "bad bank letter");
    return letter;
}

} // namespace

QList<ScriptStep> ParseSquelchScript(const QByteArray& text)
{
    QList<ScriptStep> steps;
    int lineNumber = 0;
    for (const QByteArray& rawLine : text.split('\n')) {
        ++lineNumber;
        const QByteArray line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QList<QByteArray> words = line.simplified().split(' ');
        const QByteArray& verb = words.at(0);
        const auto argument
            = [&](int index) { return index < words.size() ? words.at(index) : QByteArray(); };
        ScriptStep step;
        if (verb == "wait" && words.size() == 2) {
            step = {ScriptStep::Wait, Number(argument(1), lineNumber, line, 0, 86400000), {}, {}};
        } else if (verb == "open" && (words.size() == 3 || words.size() == 4)) {
            const char bank = BankWord(argument(1), false, lineNumber, line);
            const int channel = Number(argument(2), lineNumber, line, 0, 99);
            const int level = words.size() == 4 ? Number(argument(3), lineNumber, line, 0, 999) : 150;
            step = {ScriptStep::Open, level, SquelchSource::MemoryChannel(bank, channel), {}};
        } else if (verb == "search" && (words.size() == 3 || words.size() == 4)) {
            const char bank = BankWord(argument(1), true, lineNumber, line);
            const int frequency = Number(argument(2), lineNumber, line, 0, 2147483647);
            const int level = words.size() == 4 ? Number(argument(3), lineNumber, line, 0, 999) : 150;
            step = {ScriptStep::Open, level, SquelchSource::Search(bank, frequency), {}};
        } else if (verb == "close" && words.size() <= 2) {
            step = {ScriptStep::Close, words.size() == 2 ? Number(argument(1), lineNumber, line, 0, 999) : 10,
                {}, {}};
        } else if (verb == "raw" && words.size() >= 2) {
            step = {ScriptStep::Raw, 0, {}, UnescapeBytes(line.mid(4).trimmed())};
        } else if (verb == "noise" && words.size() == 2) {
            step = {ScriptStep::Noise, Number(argument(1), lineNumber, line, 1, 100000), {}, {}};
        } else {
            Fail(lineNumber, line, "unknown step");
        }
        steps.append(step);
    }
    return steps;
}

namespace {

QList<SquelchSource> MemoryCandidates(const ReceiverState& state, const QByteArray& banks)
{
    QList<SquelchSource> sources;
    for (char bank : banks)
        for (int channel = 0; channel < state.BankSize(bank); ++channel)
            if (const SimMemory* memory = state.Memory(bank, channel); !memory->isEmpty && !memory->pass)
                sources.append(SquelchSource::MemoryChannel(bank, channel));
    return sources;
}

QByteArray ScannedBanks(const ReceiverState& state)
{
    if (state.scanBank)
        return QByteArray(1, state.scanBank);
    const QByteArray& links = state.scanGroups[state.scanGroupIndex].links;
    return links.isEmpty() ? QByteArray(ReceiverState::ScanBankLetters) : links;
}

QByteArray SearchedBanks(const ReceiverState& state)
{
    QByteArray banks = state.currentSearchBank ? QByteArray(1, state.currentSearchBank)
                                               : state.searchGroups[state.searchGroupIndex].links;
    if (banks.isEmpty())
        banks = ReceiverState::SearchBankLetters;
    QByteArray usable;
    for (char bank : banks)
        if (const SimSearchBank* search = state.SearchBank(bank);
            !search->isEmpty && search->step > 0 && search->upper >= search->lower)
            usable.append(bank);
    return usable;
}

} // namespace

std::optional<SquelchSource> TrafficGenerator::PickSource(const ReceiverState& state)
{
    switch (state.activity) {
    case SimActivity::Memory:
        if (state.currentBank && state.Memory(state.currentBank, state.currentChannel)
            && !state.Memory(state.currentBank, state.currentChannel)->isEmpty)
            return SquelchSource::MemoryChannel(state.currentBank, state.currentChannel);
        return std::nullopt;
    case SimActivity::Scan: {
        const QList<SquelchSource> sources = MemoryCandidates(state, ScannedBanks(state));
        if (sources.isEmpty())
            return std::nullopt;
        return sources.at(static_cast<int>(Below(sources.size())));
    }
    case SimActivity::Search: {
        const QByteArray banks = SearchedBanks(state);
        if (banks.isEmpty())
            return std::nullopt;
        const char bank = banks.at(static_cast<int>(Below(banks.size())));
        const SimSearchBank& search = *state.SearchBank(bank);
        const quint64 steps = static_cast<quint64>(search.upper - search.lower) / search.step + 1;
        for (int attempt = 0; attempt < 8; ++attempt) {
            const qint32 frequency = search.lower + static_cast<qint32>(Below(steps)) * search.step;
            if (!search.passFrequencies.contains(frequency))
                return SquelchSource::Search(bank, frequency);
        }
        return std::nullopt;
    }
    case SimActivity::Vfo:
        break;
    }
    return std::nullopt;
}

std::pair<int, int> TrafficGenerator::PickCycle(const TrafficOptions& options)
{
    const double cycleMs = 1000.0 / std::max(options.openingsPerSecond, 0.001);
    // Open for 50% to 150% of the average share, never all of the cycle.
    const double share
        = std::clamp(options.openShare * (0.5 + static_cast<double>(Below(1001)) / 1000.0), 0.05, 0.95);
    const int openMs = std::max(1, static_cast<int>(cycleMs * share));
    const int closedMs = std::max(1, static_cast<int>(cycleMs) - openMs);
    return {openMs, closedMs};
}

QByteArray TrafficGenerator::Noise(int count)
{
    QByteArray noise;
    while (noise.size() < count) {
        const char byte = static_cast<char>(Below(256));
        if (byte != 'L')
            noise.append(byte);
    }
    return noise;
}

QByteArray EscapeBytes(const QByteArray& bytes)
{
    QByteArray text;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r')
            text += "\\r";
        else if (c == '\n')
            text += "\\n";
        else if (c == '\\')
            text += "\\\\";
        else if (byte >= 32 && byte < 127)
            text += c;
        else
            text += "\\x" + QByteArray::number(byte, 16).rightJustified(2, '0');
    }
    return text;
}

static bool IsHexPair(const QByteArray& text)
{
    return text.size() == 2 && std::isxdigit(static_cast<unsigned char>(text.at(0)))
        && std::isxdigit(static_cast<unsigned char>(text.at(1)));
}

QByteArray UnescapeBytes(const QByteArray& text)
{
    QByteArray bytes;
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) != '\\' || i + 1 == text.size()) {
            bytes += text.at(i);
            continue;
        }
        const char code = text.at(++i);
        if (code == 'r')
            bytes += '\r';
        else if (code == 'n')
            bytes += '\n';
        else if (code == 't')
            bytes += '\t';
        else if (code == 'x' && IsHexPair(text.mid(i + 1, 2))) {
            bytes += static_cast<char>(text.mid(i + 1, 2).toInt(nullptr, 16));
            i += 2;
        } else
            bytes += code;
    }
    return bytes;
}
