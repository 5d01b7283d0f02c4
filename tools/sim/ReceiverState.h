#pragma once
// Everything the simulated receiver remembers: its memories, banks, groups and settings (saved as JSON),
// and what it is doing at the moment (not saved).

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>
#include <optional>
#include <stdexcept>

class SimulatorStateError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Receive modes by the digit the receiver uses after "MD".
enum class SimMode { WFM, NFM, AM, USB, LSB, CW, SFM, WAM, NAM };
constexpr int SimModeCount = 9;
QString SimModeName(SimMode mode);
std::optional<SimMode> SimModeFromName(const QString& name);

struct SimMemory {
    bool isEmpty = true;
    bool pass = false;
    qint32 frequency = 0;
    qint32 step = 0;
    bool autoMode = false;
    SimMode mode = SimMode::WFM;
    bool attenuator = false;
    QByteArray text; // always 12 characters once written

    bool operator==(const SimMemory&) const = default;
};

struct SimSearchBank {
    bool isEmpty = true;
    qint32 lower = 0;
    qint32 upper = 0;
    qint32 step = 0;
    bool autoMode = false;
    SimMode mode = SimMode::WFM;
    int attenuator = 0; // the digit as written, 0-9
    QByteArray text; // at most 12 characters, as written
    QList<qint32> passFrequencies;

    bool operator==(const SimSearchBank&) const = default;
};

struct SimGroup {
    QByteArray links; // member bank letters in wire order
    int audio = 0; // 0-255
    int level = 0; // 0-255
    int delayTenths = 20;
    int pauseSecs = 5;

    bool operator==(const SimGroup&) const = default;
};

// One scan bank pair (A and a, ...): 100 channels, the upper half owns the first upperSize of them. A size
// change only moves the boundary, so the pair reads as one sequence of memories.
struct SimBankPair {
    int upperSize = 50;
    std::array<SimMemory, 100> channels {};
    QByteArray upperText = "        ";
    QByteArray lowerText = "        ";

    bool operator==(const SimBankPair&) const = default;
};

enum class SimActivity { Vfo, Memory, Scan, Search };
// What "AU" and "MP" without a bank apply to: whatever was tuned, recalled or written last.
enum class SimTarget { Vfo, Memory, SearchBank };

struct SimVfo {
    qint32 frequency = 145500000;
    qint32 step = 12500;
    bool autoMode = false;
    SimMode mode = SimMode::NFM;
    bool attenuator = false;

    bool operator==(const SimVfo&) const = default;
};

struct ReceiverState {
    static constexpr int ScanGroupCount = 10;
    static constexpr int SearchGroupCount = 10;
    static constexpr int PassFrequencyLimit = 50;
    static constexpr char ScanBankLetters[] = "ABCDEFGHIJabcdefghij";
    static constexpr char SearchBankLetters[] = "ABCDEFGHIJKLMNOPQRSTabcdefghijklmnopqrst";

    // Saved.
    QByteArray firmware = "0102"; // four characters
    std::array<SimBankPair, 10> scanBanks {};
    std::array<SimSearchBank, 40> searchBanks {};
    std::array<SimGroup, ScanGroupCount> scanGroups {};
    std::array<SimGroup, SearchGroupCount> searchGroups {};
    int scanGroupIndex = 1;
    int searchGroupIndex = 1;
    SimVfo vfo;

    // Not saved: what the receiver is doing.
    bool squelchReporting = false;
    bool poweredOff = false;
    SimActivity activity = SimActivity::Scan;
    char currentBank = '\0'; // memory channel recalled or written last ('\0': none yet)
    int currentChannel = 0;
    char scanBank = '\0'; // scanned bank ('\0' for a scan over the linked group)
    char currentSearchBank = '\0'; // searched bank ('\0' for a search over the linked group)
    char searchHitBank = '\0'; // where the search stopped last, and on what frequency
    qint32 searchFrequency = 0;
    SimTarget target = SimTarget::Vfo;
    char targetSearchBank = 'A';

    bool operator==(const ReceiverState&) const = default;

    static bool IsScanBank(char letter);
    static bool IsSearchBank(char letter);
    static int SearchBankIndex(char letter); // 0-39, or -1
    static int ScanLinkPosition(char letter); // 0-19, or -1

    SimBankPair& Pair(char scanBank);
    const SimBankPair& Pair(char scanBank) const;
    int BankSize(char scanBank) const;
    // The memory at (bank, channel), or null when the channel lies beyond the bank's size.
    SimMemory* Memory(char scanBank, int channel);
    const SimMemory* Memory(char scanBank, int channel) const;
    QByteArray& BankText(char scanBank);
    const QByteArray& BankText(char scanBank) const;
    SimSearchBank* SearchBank(char letter);
    const SimSearchBank* SearchBank(char letter) const;
    // Sets the size of one half; the partner gets the rest of the 100 channels.
    void SetBankSize(char scanBank, int size);

    QByteArray ToJson() const;
    // Throws SimulatorStateError naming what is wrong.
    static ReceiverState FromJson(const QByteArray& json);
    static ReceiverState LoadFile(const QString& path);
    void SaveFile(const QString& path) const;

    // A receiver set up as someone near an airport and a harbour would have it.
    static ReceiverState Default();
    // Everything empty, all banks 50/50, groups with nothing linked.
    static ReceiverState Empty();
};

// The step and mode the receiver picks for a frequency when auto mode is on.
struct SimBandDefaults {
    qint32 step;
    SimMode mode;
};
SimBandDefaults BandDefaultsFor(qint32 frequency);
