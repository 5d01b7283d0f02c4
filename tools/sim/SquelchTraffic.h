#pragma once
// Squelch reports as the receiver sends them, scripted sequences of them and seeded random traffic.

#include "ReceiverState.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <random>

// Where the squelch opened: a memory channel, or a frequency found by a search bank.
struct SquelchSource {
    bool isSearch = false;
    char bank = 'A';
    int channel = 0; // memory channels only
    qint32 frequency = 0; // search only; a memory reports its stored frequency

    static SquelchSource MemoryChannel(char bank, int channel) { return {false, bank, channel, 0}; }
    static SquelchSource Search(char bank, qint32 frequency) { return {true, bank, -1, frequency}; }
    bool operator==(const SquelchSource&) const = default;
};

struct SquelchReport {
    bool open = false;
    int level = 0; // 0-999; the driver keeps the low 8 bits
    bool isSearch = false;
    char bank = 'A';
    int channel = -1; // -1 for a search
    qint32 frequency = 0; // 0 for a closing

    bool operator==(const SquelchReport&) const = default;
};

// "LC" ["%"] level " " ("MX" bank channel | "SR" bank) [" RF" frequency] CR LF
QByteArray FormatSquelchReport(const SquelchReport& report);

// One line of a squelch script:
//   wait MS                      pause
//   open BANK CHANNEL [LEVEL]    opening on a memory channel (its stored frequency)
//   search BANK HZ [LEVEL]       opening on a search bank
//   close [LEVEL]                closing where the last opening was
//   raw TEXT                     bytes as they are, with C escapes (\r \n \xNN \\)
//   noise COUNT                  stray bytes
// Blank lines and lines starting with "#" are skipped.
struct ScriptStep {
    enum Kind { Wait, Open, Close, Raw, Noise } kind = Wait;
    int value = 0; // milliseconds, level or count
    SquelchSource source;
    QByteArray bytes;

    bool operator==(const ScriptStep&) const = default;
};
// Throws SimulatorStateError naming the line that does not parse.
QList<ScriptStep> ParseSquelchScript(const QByteArray& text);

struct TrafficOptions {
    double openingsPerSecond = 1.0;
    double openShare = 0.6; // of each cycle the squelch stays open, on average
    bool noise = false; // stray bytes between reports
};

// Picks, from a seed, where and when the squelch opens; the receiver's state says what it is doing: scanning
// picks the scanned banks' channels (not those marked pass), searching a step in the bank's range (not a pass
// frequency), a recalled memory only that channel. In VFO mode nothing opens.
class TrafficGenerator {
public:
    explicit TrafficGenerator(quint64 seed)
        : random_(seed)
    {
    }
    std::optional<SquelchSource> PickSource(const ReceiverState& state);
    int PickOpenLevel() { return 60 + Below(196); }
    int PickCloseLevel() { return Below(30); }
    // Milliseconds open and then closed for one cycle at the given rate.
    std::pair<int, int> PickCycle(const TrafficOptions& options);
    // Stray line bytes that can never start a report (no "L").
    QByteArray Noise(int count);
    quint64 Below(quint64 bound) { return bound == 0 ? 0 : random_() % bound; }

private:
    std::mt19937_64 random_;
};

// C escapes for bytes that are not printable ASCII, and the reverse.
QByteArray EscapeBytes(const QByteArray& bytes);
QByteArray UnescapeBytes(const QByteArray& text);
