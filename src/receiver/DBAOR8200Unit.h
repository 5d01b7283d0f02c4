#pragma once
// TDBAOR8200: the receiver driver the program creates. It keeps a copy of the receiver's memories, banks,
// pass frequencies and group settings in the data module's tables:
//  - reads: while UseDatabaseCopy is on, a value the copy holds is answered without serial traffic; otherwise
//    the receiver is asked and what it said is stored;
//  - writes: the receiver first; only when it accepted, the copy.
// Receiver errors reach the caller and leave the copy untouched; database errors behave as the table
// operations define (some logged and swallowed, some logged and passed on after the receiver has changed).
// Main thread only (the database is touched only there).

#include "receiver/AOR8200Unit.h"

class TDataModule1;

class TDBAOR8200 : public TAOR8200 {
    Q_OBJECT
public:
    // Without a data module the program's one (DataModule1) is used.
    explicit TDBAOR8200(QObject* owner = nullptr, TDataModule1* dataModule = nullptr);

    bool UseDatabaseCopy = false;
    // The group indexes last set through this object; 10 means not set.
    std::uint8_t CachedScanGroupIndex = 10;
    std::uint8_t CachedSearchGroupIndex = 10;

    // ---- Memories ----
    void RecallMemory(char bank, int channel, bool& isEmpty, bool& passFlag, std::int32_t& frequency,
        std::int32_t& stepSize, bool& autoMode, AOR8200RxModeType& receiveMode, bool& attenuator,
        QString& text) override;
    void ReadMemoryRecord(char bank, int channel, MemoryChannelRecord& record) override;
    void WriteMemory(char bank, int channel, bool passFlag, std::int32_t frequency, std::int32_t stepSize,
        bool autoMode, AOR8200RxModeType receiveMode, bool attenuator, const QString& text) override;
    void DeleteMemory(char bank, int channel) override;
    void DeleteCurrentBank(char bank) override;

    // ---- Scan banks ----
    QString GetScanBankText(char bank) override;
    void SetScanBankText(char bank, const QString& text) override;
    int GetScanBankSize(char bank) override;
    // The new size re-sorts the receiver's pair of banks: the stored memories of both halves become empty.
    void SetScanBankSize(char bank, int size) override;

    // ---- Search banks and pass frequencies ----
    void GetSearchBankData(char bank, bool& isEmpty, std::int32_t& lowerFrequency,
        std::int32_t& upperFrequency, std::int32_t& stepSize, bool& autoMode, AOR8200RxModeType& receiveMode,
        std::uint8_t& attenuator, QString& text) override;
    void SetSearchData(char bank, std::int32_t lowerFrequency, std::int32_t upperFrequency,
        std::int32_t stepSize, bool autoMode, AOR8200RxModeType receiveMode, std::uint8_t attenuator,
        const QString& text) override;
    // An empty slot is stored as -1 too.
    std::int32_t ReadPassFrequency(char bank, int index) override;
    void DeletePassFrequencyIndex(char bank, int index) override;
    void DeleteAllPassFrequencies(char bank) override;

    // ---- Groups: values are stored under the current group index of their kind ----
    // With the copy on and an index set through this object, answered from the cache.
    int GetScanGroupIndex() override;
    void SetScanGroupIndex(std::uint8_t value) override;
    int GetSearchGroupIndex() override;
    void SetSearchGroupIndex(std::uint8_t value) override;

    BankLetterSet GetScanBankLinkGroup() override;
    void SetScanBankLinkGroup(const BankLetterSet& group) override;
    int GetScanDelayDeciSecs() override;
    void SetScanDelayDeciSecs(std::uint8_t value) override;
    int GetScanPauseSecs() override;
    void SetScanPauseSecs(std::uint8_t value) override;
    int GetAudioScanSetting() override;
    void SetAudioScanSetting(std::uint8_t value) override;
    int GetLevelScanSetting() override;
    void SetLevelScanSetting(std::uint8_t value) override;

    BankLetterSet GetSearchBankLinkGroup() override;
    void SetSearchBankLinkGroup(const BankLetterSet& group) override;
    int GetSearchDelayDeciSecs() override;
    void SetSearchDelayDeciSecs(std::uint8_t value) override;
    int GetSearchPauseSecs() override;
    void SetSearchPauseSecs(std::uint8_t value) override;
    int GetAudioSearchSetting() override;
    void SetAudioSearchSetting(std::uint8_t value) override;
    int GetLevelSearchSetting() override;
    void SetLevelSearchSetting(std::uint8_t value) override;

private:
    // The data module in use; raises EDatabaseError when there is none.
    TDataModule1& Tables() const;
    // One group value: from the copy when allowed and present, else from the receiver, then stored.
    using GroupGetter = bool (TDataModule1::*)(int groupIndex, int& value);
    using GroupSetter = void (TDataModule1::*)(int groupIndex, int value);
    // (The receiver read comes as a function: a pointer to the virtual member would call this class again.)
    int ReadGroupValue(bool scan, const std::function<int()>& receiver, GroupGetter get, GroupSetter set);
    void WriteGroupValue(bool scan, const std::function<void()>& receiver, GroupSetter set, int value);

    TDataModule1* dataModule;
};
