#pragma once
// The search bank editor: the receiver's 40 search banks (text, frequency range, step, mode, auto mode,
// attenuator), their pass frequencies and the ten search groups. It works through the database-mirrored
// driver inside the receiver bracket, like the scan bank editor. Created hidden at start-up; closing only
// hides it.

#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QSpinBox;
class QTableWidget;
class TDBAOR8200;
class TRadioGroup;

class TSearchBankMemoriesForm : public QWidget {
    Q_OBJECT
public:
    // Without a driver the main window's is taken.
    explicit TSearchBankMemoriesForm(TDBAOR8200* driver = nullptr, QWidget* parent = nullptr);
    ~TSearchBankMemoriesForm() override;

    TDBAOR8200* Driver = nullptr; // not owned
    bool LoadedOnce = false;
    // Ends any recording in progress (Add Pass); the main window's StopRecording unless replaced.
    std::function<void()> StopRecording;

    void LoadSearchBanks(bool useDatabaseCopy, QWidget* owner);
    void LoadSearchGroup(int index, bool useDatabaseCopy, QWidget* owner);
    void ShowSearchBankData(char bank, bool useDatabaseCopy, QWidget* owner);
    void LoadPassFrequencies(char bank, bool useDatabaseCopy, QWidget* owner);
    // Empties the copy's search banks and groups and reads them again from the receiver, with every pass
    // frequency.
    void RetrieveSearchBanksFromRadio(QWidget* owner);

    // The letter of the selected bank item; 0 when none is selected.
    char SelectedBank() const;
    // Where pass frequency index k is shown: row, index column (the frequency is in the next column).
    static int PassRow(int index);
    static int PassColumn(int index);

    // ---- controls (object names as here)
    TRadioGroup* SearchBanksRadioGroup = nullptr;
    QTableWidget* PassFrequencyStringGrid = nullptr;
    QLineEdit* SearchBankTextLabeledEdit = nullptr;
    QLineEdit* SearchLowerFrequencyLabeledEdit = nullptr;
    QLineEdit* SearchUpperFrequencyLabeledEdit = nullptr;
    QLineEdit* SearchStepSizeLabeledEdit = nullptr;
    QComboBox* SearchRxModeComboBox = nullptr;
    QCheckBox* SearchAutoModeIsOnCheckBox = nullptr;
    QCheckBox* SearchAttenuatorIsOnCheckBox = nullptr;
    QCheckBox* SearchIsEmpyCheckBox = nullptr;
    QPushButton* SetSearchBankDataBitBtn = nullptr;
    QPushButton* SearchWritePassBitBtn = nullptr;
    QPushButton* DeleteSelectionBitBtn = nullptr;
    QPushButton* DeleteAllPassFrequenciesBitBtn = nullptr;
    QScrollBar* SearchAudioScrollBar = nullptr;
    QScrollBar* SearchLevelScrollBar = nullptr;
    QLabel* SearchAudioSquelchLabel = nullptr;
    QLabel* SearchLevelSquelchLabel = nullptr;
    TRadioGroup* SearchGroupIndexRadioGroup = nullptr;
    QSpinBox* SearchPauseSpinEdit = nullptr;
    QSpinBox* SearchDelaySpinEdit = nullptr;
    QGroupBox* SearchBankGroupGroupBox = nullptr;

public Q_SLOTS:
    // The receiver searches the selected bank, or its linked banks when none is selected.
    void StartSearch();

    void SearchBanksRadioGroupClick();
    void SetSearchBankDataBitBtnClick();
    void SearchWritePassBitBtnClick();
    void DeleteSelectionBitBtnClick();
    void DeleteAllPassFrequenciesBitBtnClick();
    void SearchGroupIndexRadioGroupClick();
    void CheckBox1Click();
    void SearchAudioScrollBarChange();
    void SearchLevelScrollBarChange();
    void SearchDelaySpinEditChange();
    void SearchPauseSpinEditChange();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    void FormCreate();
    void FormShow();
    void FormDestroy();
    void EnableGroupControls(bool enabled);
    void SetCell(int row, int column, const QString& text);
    QString Cell(int row, int column) const;

    QList<QCheckBox*> GroupCheckBoxes;
};

// The editor while it exists.
extern TSearchBankMemoriesForm* SearchBankMemoriesForm;
