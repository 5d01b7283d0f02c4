#pragma once
// The frequency lookup window: the user's list of known frequencies with a comment per frequency and
// receive mode. It filters the list, tunes the receiver to an entry, copies selected entries into the empty
// channels of a scan bank, and marks selected entries as special frequencies. Created hidden at start-up;
// closing only hides it.

#include <QPointer>
#include <QSet>
#include <QWidget>

#include <cstdint>
#include <functional>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMenu;
class QModelIndex;
class QPainter;
class QPushButton;
class QStyleOptionViewItem;
class QTableView;
class TDataModule1;
class TDBAOR8200;
class TFrequencyLookupTableModel;
class TSpecialFrequencyAttributesForm;

class TFrequencyLookupForm : public QWidget {
    Q_OBJECT
public:
    // Without a driver the main window's is taken when needed; without a data module the program's one.
    explicit TFrequencyLookupForm(
        TDBAOR8200* driver = nullptr, TDataModule1* dataModule = nullptr, QWidget* parent = nullptr);
    ~TFrequencyLookupForm() override;

    QPointer<TDBAOR8200> Driver;
    TFrequencyLookupTableModel* Model() const { return FModel; }

    // After the copy into a scan bank: the scan bank editor shows the bank (replaceable for tests).
    std::function<void(char bank)> ShowScanBank;
    // The pauses between receiver reads and writes (replaceable for tests).
    std::function<void(int milliseconds)> Pause;
    // The attributes dialog used for marking rows special: the program's one, else one of this window's.
    TSpecialFrequencyAttributesForm* AttributesForm();

    // ---- controls and commands (object names as here)
    QTableView* FrequencyLookupQuery_DBGrid = nullptr;
    QWidget* BottomPanel = nullptr;
    QComboBox* ScanBankComboBox = nullptr; // 'A'-'J', 'a'-'j'; nothing chosen at first
    QPushButton* SelectionToScanBankBitBtn = nullptr;
    QPushButton* SelectionToSpecialFrequenciesBitBtn = nullptr;
    QPushButton* SetVFOBitBtn = nullptr;
    QLabel* FilterLabel = nullptr;
    QLineEdit* FilterEdit = nullptr;
    QMenu* RxModePopupMenu = nullptr; // one item per mode, its tag (data) the mode's ordinal
    QAction* SetVFOAction = nullptr;
    QAction* SelectionToScanBankAction = nullptr;
    QAction* SelectionToSpecialFrequenciesAction = nullptr;
    QAction* ImportCsvAction = nullptr;
    QAction* ExportCsvAction = nullptr;

    // ---- CSV exchange; both report the outcome in a message box
    void ImportCsv(const QString& path);
    void ExportCsv(const QString& path);

    // Frequencies in the shared format and special colour, modes by name; true when the cell was drawn.
    bool FrequencyLookupQuery_DBGridDrawColumnCell(
        QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index);

public Q_SLOTS:
    void SetVFOActionExecute();
    void SelectionToScanBankActionExecute();
    void SelectionToSpecialFrequenciesActionExecute();
    void FilterEditChange();
    void FrequencyLookupQuery_DBGridTitleClick(int column);
    // The mode column's ellipsis: the mode pop-up at the pointer.
    void FrequencyLookupQuery_DBGridEditButtonClick(const QPoint& globalPosition);
    // A pop-up item: the current row's mode := the item's tag (saved when the user leaves the row).
    void RxModePopupItemClick(QAction* item);
    void ImportCsvActionExecute();
    void ExportCsvActionExecute();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateActions();
    void CreateControls();
    TDBAOR8200& Rx() const;
    struct TBankEntry {
        std::int32_t Frequency = 0;
        int Mode = 0;
        QString ShortComment;
    };
    void CopyToScanBank(TDBAOR8200& driver, char bank, const QList<TBankEntry>& entries);
    // The window for message boxes: this one when shown, else none (the screen's centre).
    QWidget* MessageOwner();

    TDataModule1* DataModule;
    TFrequencyLookupTableModel* FModel = nullptr;
    TSpecialFrequencyAttributesForm* OwnAttributesForm = nullptr;
    QSet<QString> LoggedDrawFailures; // each bad value is logged once, not at every repaint
    bool FirstShowDone = false;
};

// The window while it exists.
extern TFrequencyLookupForm* FrequencyLookupForm;

// The frequency log written as CSV to a file the user chooses.
void ExportFrequencyLogCsvActionExecute(QWidget* window);
// The main window's File menu with the CSV commands of the log and the two table windows (which must exist).
QMenu* InstallCsvFileMenu(QMainWindow* mainWindow);
