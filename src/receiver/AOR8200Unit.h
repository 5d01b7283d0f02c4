#pragma once
// The AOR8200 receiver: its vocabulary (modes, bank letters, records, memory names), the driver TAOR8200 with
// its command engine and command set, and the squelch monitor that picks the receiver's reports off the line.
//
// Threads: every exchange runs on a short-lived worker thread of its own while the caller waits; the monitor
// polls the line every 100 ms. AccessEvent serialises all traffic on the line, SettingsEvent guards the port
// and the handlers. Squelch reports are handled on the main thread through Synchronize, also nested inside
// any driver call that the main thread is waiting in.

#include "receiver/SerialCommUnit.h"
#include "support/AutoResetEventUnit.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>

// ---- Vocabulary ----

enum AOR8200RxModeType : std::uint8_t {
    AOR8200RxModeWFM,
    AOR8200RxModeNFM,
    AOR8200RxModeAM,
    AOR8200RxModeUSB,
    AOR8200RxModeLSB,
    AOR8200RxModeCW,
    AOR8200RxModeSFM,
    AOR8200RxModeWAM,
    AOR8200RxModeNAM,
};
constexpr int AOR8200RxModeCount = 9;

// "WFM", "NFM", ... for the ordinals 0-8; empty for anything else.
QString RxModeName(AOR8200RxModeType mode);
// Clears the list and appends the nine names in ordinal order; nothing without a list.
void FillReceiveModeList(QStringList* list);

// Scan banks A-J and a-j; search banks A-T and a-t. Case matters: A and a are different banks.
constexpr bool IsScanBankLetter(char c)
{
    return (c >= 'A' && c <= 'J') || (c >= 'a' && c <= 'j');
}
constexpr bool IsSearchBankLetter(char c)
{
    return (c >= 'A' && c <= 'T') || (c >= 'a' && c <= 't');
}
// The link group orders: A-J then a-j (20 positions), A-T then a-t (40 positions).
extern const char ScanBankLetters[21];
extern const char SearchBankLetters[41];

// The bank letter and the channel zero-padded to two digits: A05, j49.
QString MemoryName(char bank, int channel);

// A short text of at most N characters kept inside the record, so that records compare byte for byte.
template <int N> struct TShortString {
    std::uint8_t Length = 0;
    char Chars[N] = {};

    TShortString() = default;
    TShortString(const QString& text) { Assign(text); }
    // Cuts longer texts to N characters; characters beyond Latin-1 become "?".
    void Assign(const QString& text)
    {
        const QByteArray bytes = text.left(N).toLatin1();
        *this = TShortString();
        Length = std::uint8_t(bytes.size());
        for (int i = 0; i < bytes.size(); ++i)
            Chars[i] = bytes[i];
    }
    QString ToString() const { return QString::fromLatin1(Chars, Length); }
    bool operator==(const TShortString&) const = default;
};

struct MemoryChannelRecord {
    char Bank = 0;
    std::int32_t Channel = 0;
    bool IsEmpty = false;
    bool PassFlag = false;
    std::int32_t Frequency = 0;
    std::int32_t StepSize = 0;
    bool AutoMode = false;
    AOR8200RxModeType ReceiveMode = AOR8200RxModeWFM;
    bool Attenuator = false;
    TShortString<12> Text;
    bool operator==(const MemoryChannelRecord&) const = default;
};
static_assert(sizeof(MemoryChannelRecord) == 36, "memory records are compared as 36-byte areas");

struct SearchBankRecord {
    char Bank = 0;
    bool IsEmpty = false;
    std::int32_t LowerFrequency = 0;
    std::int32_t UpperFrequency = 0;
    std::int32_t StepSize = 0;
    bool AutoMode = false;
    AOR8200RxModeType ReceiveMode = AOR8200RxModeWFM;
    std::uint8_t Attenuator = 0; // the digit as the receiver sent it
    TShortString<12> Text;
    bool operator==(const SearchBankRecord&) const = default;
};

// A set over the 256 character codes; a bank letter is a member when its bank belongs to the link group.
class BankLetterSet {
public:
    BankLetterSet() = default;
    // Every character of the text is a member.
    static BankLetterSet FromLetters(const QString& letters);

    void Include(char c) { bits.set(std::uint8_t(c)); }
    void Exclude(char c) { bits.reset(std::uint8_t(c)); }
    bool Contains(char c) const { return bits.test(std::uint8_t(c)); }
    bool IsEmpty() const { return bits.none(); }
    bool operator==(const BankLetterSet&) const = default;

    // The members that appear in order, in that order ("AC" for {C, A} and the scan order).
    QString MembersIn(const char* order) const;
    // One position per letter of order: the letter when a member, "-" when not.
    QString Pattern(const char* order) const;

private:
    std::bitset<256> bits;
};

class EAOR8200 : public std::runtime_error {
public:
    explicit EAOR8200(const QString& message);
};

// ---- Driver ----

class TAOR8200;

// Told every text read from or written to the port; the handler may change the text.
using TSerialTextEvent = std::function<void(TAOR8200* sender, QString& text)>;
// Told every squelch report, on the main thread.
using TAOR8200SquelchEvent = std::function<void(TAOR8200* sender, bool squelchOpen, std::uint8_t signalLevel,
    std::int32_t frequency, bool isSearch, char bank, std::int32_t channel)>;

// One squelch report as the monitor reads it.
struct TSquelchReport {
    bool SquelchOpen = false;
    std::uint8_t SignalLevel = 0;
    std::int32_t Frequency = 0;
    bool IsSearch = false;
    char Bank = '?';
    std::int32_t Channel = -1;
};

class TSquelchMonitoringThread;

class TAOR8200 : public QObject {
    Q_OBJECT
public:
    explicit TAOR8200(QObject* owner = nullptr);
    // Stops the monitor, sends "EX" when a port is open, waits for running work and closes the port.
    ~TAOR8200() override;

    // The two locks; each wait is bounded by 2000 ms.
    TAutoResetEvent SettingsEvent {true};
    TAutoResetEvent AccessEvent {true};
    int RetryCount = 5;

    std::uint8_t GetCommPortNumber();
    // Closes the current port and opens port number (1-255 of the port table); 0 only closes.
    void SetCommPortNumber(std::uint8_t number);
    void SetOnSerialRead(const TSerialTextEvent& handler);
    void SetOnSerialWrite(const TSerialTextEvent& handler);
    void SetOnAOR8200Squelch(const TAOR8200SquelchEvent& handler);

    // Raises EAOR8200 "AccessEvent.WaitFor failed" CR + operation.
    [[noreturn]] virtual void ReportAccessFailure(const QString& operation);

    // ---- Command engine ----
    // One exchange: command + CR LF out, up to expectedLength characters back within timeLimitMs. Never
    // raises; any failure inside gives the reply collected so far, usually empty.
    QString SendCommandGetResponse(const QString& command, int expectedLength, int timeLimitMs);
    // Up to RetryCount exchanges until the reply is exactly CR LF.
    void SendCommandCheckOK(const QString& command, int timeLimitMs);
    int GetNDigitIntegerValue(const QString& command, int digits, int minimum, int maximum,
        const QString& terminator, const QString& operationName);
    double GetNDigitRealValue(
        const QString& command, int characters, double minimum, double maximum, const QString& operationName);
    QString GetText(const QString& command, int length, int timeLimitMs, bool prefixCheck);
    void SetNDigitIntegerValue(const QString& command, int value, int digits);
    void SetText(const QString& command, const QString& text, int width);

    // Raw port access with the handler calls; the caller holds AccessEvent.
    void SerialWrite(const QString& text);
    QString SerialRead(int count);
    // Characters waiting in the receive queue; 0 without a port. The caller holds AccessEvent.
    int QueuedCharacterCount();

    // Reply parsers: each consumes from the front of text and tells whether it succeeded.
    static bool TakePrefix(QString& text, const QString& literal);
    static bool TakeChars(QString& text, int count, QString& part);
    static bool TakeInteger(QString& text, int count, std::int32_t& value);
    static bool TakePrefixedChars(QString& text, const QString& literal, int count, QString& part);
    static bool TakePrefixedInteger(QString& text, const QString& literal, int count, std::int32_t& value);
    // Decimal with optional leading blanks and sign, nothing after; false for anything else or an overflow.
    static bool StrToInt(const QString& text, std::int32_t& value);

    // The frequency cut to a multiple of 50 Hz in 10 digits; the step cut to a multiple of 5 Hz in 6 digits.
    static QString FormatFrequencyField(std::int32_t value);
    static QString FormatStepField(std::int32_t value);

    // ---- Command set: settings ----
    virtual int GetSquelchReporting();
    virtual void SetSquelchReporting(std::uint8_t value);
    virtual int GetFirmwareVersion();
    virtual int GetScanGroupIndex();
    virtual void SetScanGroupIndex(std::uint8_t value);
    virtual int GetSearchGroupIndex();
    virtual void SetSearchGroupIndex(std::uint8_t value);
    virtual int GetAudioSearchSetting();
    virtual void SetAudioSearchSetting(std::uint8_t value);
    virtual int GetLevelSearchSetting();
    virtual void SetLevelSearchSetting(std::uint8_t value);
    virtual int GetSearchPauseSecs();
    virtual void SetSearchPauseSecs(std::uint8_t value);
    virtual int GetSearchDelayDeciSecs();
    virtual void SetSearchDelayDeciSecs(std::uint8_t value);
    virtual int GetAudioScanSetting();
    virtual void SetAudioScanSetting(std::uint8_t value);
    virtual int GetLevelScanSetting();
    virtual void SetLevelScanSetting(std::uint8_t value);
    virtual int GetScanPauseSecs();
    virtual void SetScanPauseSecs(std::uint8_t value);
    virtual int GetScanDelayDeciSecs();
    virtual void SetScanDelayDeciSecs(std::uint8_t value);

    // ---- Command set: scan bank texts, sizes and link groups ----
    virtual QString GetScanBankText(char bank);
    virtual void SetScanBankText(char bank, const QString& text);
    virtual int GetScanBankSize(char bank);
    virtual void SetScanBankSize(char bank, int size); // never raises
    virtual BankLetterSet GetScanBankLinkGroup();
    virtual void SetScanBankLinkGroup(const BankLetterSet& group);
    virtual BankLetterSet GetSearchBankLinkGroup();
    virtual void SetSearchBankLinkGroup(const BankLetterSet& group);

    // ---- Command set: actions ----
    virtual void SetVFOFrequency(std::int32_t hertz);
    // A bank letter outside the scan (search) banks sends the command alone.
    virtual void StartMemoryScan(char bank);
    virtual void StartSearch(char bank);
    virtual void AddPassFrequency();
    virtual void PowerOff(); // never raises
    // Right 28, left 29, up 30, down 31. Never raises.
    virtual void SendCursorKey(char key);

    // ---- Memory channels, search banks and pass frequencies (AOR8200Memories.cpp) ----
    // A bank letter, channel or index out of range raises EAOR8200 before anything is sent. Inside this class
    // the operations call each other non-virtually: verification and deletion always read the receiver.

    // Recalls the channel on the receiver and reports it; an empty channel reads as text "Empty", all else 0.
    virtual void RecallMemory(char bank, int channel, bool& isEmpty, bool& passFlag, std::int32_t& frequency,
        std::int32_t& stepSize, bool& autoMode, AOR8200RxModeType& receiveMode, bool& attenuator,
        QString& text);
    virtual void ReadMemoryRecord(char bank, int channel, MemoryChannelRecord& record);
    // Writes and reads back until the receiver holds the values (the text as padded to 12 characters).
    virtual void WriteMemory(char bank, int channel, bool passFlag, std::int32_t frequency,
        std::int32_t stepSize, bool autoMode, AOR8200RxModeType receiveMode, bool attenuator,
        const QString& text);
    // Whether the receiver holds these values; step and mode are not compared with auto mode on. Raises a
    // plain std::runtime_error "TAOR8200.WriteMemory" when the channel cannot be read.
    bool MemoryMatches(char bank, int channel, bool passFlag, std::int32_t frequency, std::int32_t stepSize,
        bool autoMode, AOR8200RxModeType receiveMode, bool attenuator, const QString& text);
    // Sends nothing for a channel that is already empty.
    virtual void DeleteMemory(char bank, int channel);
    virtual void DeleteCurrentBank(char bank);

    virtual void GetSearchBankData(char bank, bool& isEmpty, std::int32_t& lowerFrequency,
        std::int32_t& upperFrequency, std::int32_t& stepSize, bool& autoMode, AOR8200RxModeType& receiveMode,
        std::uint8_t& attenuator, QString& text);
    // The text of GetSearchBankData (as this object answers it).
    virtual QString GetSearchBankText(char bank);
    // GetSearchBankData into a record (as this object answers it).
    SearchBankRecord ReadSearchBankRecord(char bank);
    // Frequencies cut to a multiple of 50 Hz, the step to 5 Hz; DC3 DC1 counts as an acknowledgement.
    virtual void SetSearchData(char bank, std::int32_t lowerFrequency, std::int32_t upperFrequency,
        std::int32_t stepSize, bool autoMode, AOR8200RxModeType receiveMode, std::uint8_t attenuator,
        const QString& text);

    // The frequency, or -1 for an empty slot; a slot holding 0 raises.
    virtual std::int32_t ReadPassFrequency(char bank, int index);
    // Accepts CR LF and also no reply at all: receivers differ in how they acknowledge this deletion.
    virtual void DeletePassFrequencyIndex(char bank, int index);
    virtual void DeleteAllPassFrequencies(char bank);

private:
    friend class TSendCommandGetResponseThread;
    friend class TSquelchMonitoringThread;

    TSerialTextEvent CurrentOnSerialRead() const;
    TSerialTextEvent CurrentOnSerialWrite() const;
    TAOR8200SquelchEvent CurrentOnAOR8200Squelch() const;
    BankLetterSet ReadLinkGroup(const QString& command, int expectedLength, int timeLimitMs,
        const char* order, bool (*isLetter)(char), const QString& failure);

    std::unique_ptr<SerialCommClass> CommPort;
    std::uint8_t CommPortNumber = 0;
    // The read and write paths use the handlers without SettingsEvent; this keeps a copy consistent.
    mutable std::mutex handlerMutex;
    TSerialTextEvent OnSerialRead;
    TSerialTextEvent OnSerialWrite;
    TAOR8200SquelchEvent OnAOR8200Squelch;
    std::atomic<bool> destroying {false};
    std::unique_ptr<TSquelchMonitoringThread> SquelchMonitor;
};

// Parses one report from the front of text (the whole line up to CR LF need not be examined). Also used
// alone.
bool ParseSquelchReport(const QString& text, TSquelchReport& report);
