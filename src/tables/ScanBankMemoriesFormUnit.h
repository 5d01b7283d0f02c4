#pragma once
// The scan bank editor: the receiver's 20 scan banks and their memory channels, bank texts and sizes, and the
// ten scan groups. Everything goes through the database-mirrored driver; long operations run inside the
// receiver bracket (hourglass, squelch reports off, copy flag, progress window, all restored afterwards).
// Created hidden at start-up; closing only hides it.

#include "receiver/AOR8200Unit.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QSpinBox;
class TDBAOR8200;
class TRadioGroup;

class TScanBankMemoriesForm : public QWidget {
    Q_OBJECT
public:
    // Without a driver the main window's is taken.
    explicit TScanBankMemoriesForm(TDBAOR8200* driver = nullptr, QWidget* parent = nullptr);
    ~TScanBankMemoriesForm() override;

    TDBAOR8200* Driver = nullptr; // not owned
    bool LoadedOnce = false;

    void LoadScanBanks(bool useDatabaseCopy, QWidget* owner);
    void LoadScanBankMemories(char bank, QWidget* owner);
    void LoadScanGroup(int index, bool useDatabaseCopy, QWidget* owner);
    void RefreshScanMemoryData(char bank, int channel, bool show);
    void ShowMemoryData(char bank, int channel, const MemoryChannelRecord& record);
    void SortMemoryBank(char bank);
    // Empties the copy and reads the scan banks, memories and groups again from the receiver.
    void RetrieveScanBanksFromRadio(QWidget* owner);
    // Lists in a message box every pair of scan memories holding the same frequency.
    void CheckForDuplicateScanMemories(QWidget* owner);

    // Shows the window with the bank selected and its memory list read again (after something else wrote
    // into the bank).
    void ShowBank(char bank);
    // The letter of the selected bank item; 0 when none is selected.
    char SelectedBank() const;

    // ---- controls (object names as here)
    TRadioGroup* ScanBanksRadioGroup = nullptr;
    TRadioGroup* ScanMemoriesRadioGroup = nullptr;
    QGroupBox* MemoryDataGroupBox = nullptr;
    QLabel* ScanBankLabel = nullptr;
    QLabel* ScanChannelLabel = nullptr;
    QLineEdit* ScanTextLabeledEdit = nullptr;
    QLineEdit* ScanFrequencyLabeledEdit = nullptr;
    QLineEdit* ScanStepSizeLabeledEdit = nullptr;
    QComboBox* ScanRxModeComboBox = nullptr;
    QCheckBox* ScanAutoModeIsOnCheckBox = nullptr;
    QCheckBox* ScanPassIsOnCheckBox = nullptr;
    QCheckBox* ScanAttenuatorIsOnCheckBox = nullptr;
    QPushButton* SaveMemoryBitBtn = nullptr;
    QPushButton* MemoryDeleteBitBtn = nullptr;
    QLabel* ShortCommentLabel = nullptr;
    QLabel* LongCommentLabel = nullptr;
    TRadioGroup* ScanGroupIndexRadioGroup = nullptr;
    QSpinBox* ScanPauseSpinEdit = nullptr;
    QSpinBox* ScanDelaySpinEdit = nullptr;
    QGroupBox* ScanBankGroupGroupBox = nullptr;
    QLineEdit* ScanBankTextLabeledEdit = nullptr;
    QPushButton* SeScanBankTextBitBtn = nullptr;
    QSpinBox* ScanBankSizeSpinEdit = nullptr;
    QPushButton* SetScanBankSize = nullptr;
    QPushButton* DeleteBankBitBtn = nullptr;
    QPushButton* SortBankBitBtn = nullptr;
    QScrollBar* ScanAudioScrollBar = nullptr;
    QScrollBar* ScanLevelScrollBar = nullptr;
    QLabel* ScanAudioSquelchLabel = nullptr;
    QLabel* ScanLevelSquelchLabel = nullptr;

public Q_SLOTS:
    // The receiver scans the selected bank, or its linked banks when none is selected.
    void StartScan();

    void ScanBanksRadioGroupClick();
    void ScanMemoriesRadioGroupClick();
    void SaveMemoryBitBtnClick();
    void MemoryDeleteBitBtnClick();
    void SeScanBankTextBitBtnClick();
    void DeleteBankBitBtnClick();
    void SetScanBankSizeClick();
    void SortBankBitBtnClick();
    void ScanGroupIndexRadioGroupClick();
    void CheckBox1Click();
    void ScanAudioScrollBarChange();
    void ScanLevelScrollBarChange();
    void ScanDelaySpinEditChange();
    void ScanPauseSpinEditChange();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    void FormCreate();
    void FormShow();
    void FormDestroy();
    void EnableGroupControls(bool enabled);
    void SetMemoryItem(int channel, const QString& caption, const MemoryChannelRecord& record);
    void SortWritingPass(char bank, int size, int& attempts, int& firstUnwritten);
    void SortClearingPass(char bank, int size, int firstUnwritten, int& attempts);
    void RewriteChannel(char bank, int channel, int size, const MemoryChannelRecord& row);

    QList<QCheckBox*> GroupCheckBoxes;
};

// The editor while it exists.
extern TScanBankMemoriesForm* ScanBankMemoriesForm;
