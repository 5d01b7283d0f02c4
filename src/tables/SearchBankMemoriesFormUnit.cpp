#include "tables/SearchBankMemoriesFormUnit.h"

#include "app/DataModuleUnit.h"
#include "app/EventLogUnit.h"
#include "app/FormLocationUnit.h"
#include "monitor/FrequencyTextUnit.h"
#include "monitor/MainFormUnit.h"
#include "receiver/DBAOR8200Unit.h"
#include "support/MiscellaneousRoutinesUnit.h"
#include "support/QuonMessageDlgUnit.h"
#include "support/RadioGroupUnit.h"
#include "tables/ReceiverBracketUnit.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <exception>

TSearchBankMemoriesForm* SearchBankMemoriesForm = nullptr;

namespace {

const QString ClassName = QStringLiteral("TSearchBankMemoriesForm");
constexpr int GridColumns = 6;
constexpr int GridRows = 18;
constexpr int PassPairs = GridColumns / 2;
constexpr int PassLimit = 50;

void LogError(const QString& text)
{
    AddToEventLog(text, clRed, true);
}

QString MessageOf(const std::exception& e)
{
    return QString::fromStdString(e.what());
}

} // namespace

TSearchBankMemoriesForm::TSearchBankMemoriesForm(TDBAOR8200* driver, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , Driver(driver)
{
    setObjectName(QStringLiteral("SearchBankMemoriesForm"));
    setWindowTitle(QStringLiteral("Search"));
    resize(552, 593);
    CreateControls();
    FormCreate();
}

TSearchBankMemoriesForm::~TSearchBankMemoriesForm()
{
    FormDestroy();
}

void TSearchBankMemoriesForm::CreateControls()
{
    auto* layout = new QVBoxLayout(this);
    const auto named = [](QWidget* widget, const char* name) {
        widget->setObjectName(QString::fromLatin1(name));
        return widget;
    };

    SearchBanksRadioGroup = new TRadioGroup(QStringLiteral("Search Banks"), this);
    named(SearchBanksRadioGroup, "SearchBanksRadioGroup");
    SearchBanksRadioGroup->setColumns(5);
    layout->addWidget(SearchBanksRadioGroup);

    PassFrequencyStringGrid = new QTableWidget(GridRows, GridColumns, this);
    named(PassFrequencyStringGrid, "PassFrequencyStringGrid");
    PassFrequencyStringGrid->horizontalHeader()->hide();
    PassFrequencyStringGrid->verticalHeader()->hide();
    PassFrequencyStringGrid->verticalHeader()->setDefaultSectionSize(18);
    PassFrequencyStringGrid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    PassFrequencyStringGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    const int widths[GridColumns] = {48, 128, 43, 128, 39, 128};
    for (int column = 0; column < GridColumns; ++column)
        PassFrequencyStringGrid->setColumnWidth(column, widths[column]);
    layout->addWidget(PassFrequencyStringGrid, 1);

    auto* data = new QGridLayout;
    const auto labeledEdit = [&](const char* name, const QString& caption, int column) {
        auto* edit = new QLineEdit(this);
        named(edit, name);
        data->addWidget(new QLabel(caption, this), 0, column);
        data->addWidget(edit, 1, column);
        return edit;
    };
    SearchBankTextLabeledEdit
        = labeledEdit("SearchBankTextLabeledEdit", QStringLiteral("Search Bank Text"), 0);
    SearchLowerFrequencyLabeledEdit
        = labeledEdit("SearchLowerFrequencyLabeledEdit", QStringLiteral("Lower Frequency"), 1);
    SearchUpperFrequencyLabeledEdit
        = labeledEdit("SearchUpperFrequencyLabeledEdit", QStringLiteral("Upper Frequency"), 2);
    SearchStepSizeLabeledEdit = labeledEdit("SearchStepSizeLabeledEdit", QStringLiteral("Step Size"), 3);
    SearchRxModeComboBox = new QComboBox(this);
    named(SearchRxModeComboBox, "SearchRxModeComboBox");
    data->addWidget(SearchRxModeComboBox, 1, 4);
    SearchAutoModeIsOnCheckBox = new QCheckBox(QStringLiteral("AutoMode"), this);
    named(SearchAutoModeIsOnCheckBox, "SearchAutoModeIsOnCheckBox");
    SearchAttenuatorIsOnCheckBox = new QCheckBox(QStringLiteral("Attenuator"), this);
    named(SearchAttenuatorIsOnCheckBox, "SearchAttenuatorIsOnCheckBox");
    SearchIsEmpyCheckBox = new QCheckBox(QStringLiteral("Is Empty"), this);
    named(SearchIsEmpyCheckBox, "SearchIsEmpyCheckBox");
    data->addWidget(SearchAutoModeIsOnCheckBox, 2, 0);
    data->addWidget(SearchAttenuatorIsOnCheckBox, 2, 1);
    data->addWidget(SearchIsEmpyCheckBox, 2, 2);
    const auto button = [&](const char* name, const QString& caption) {
        auto* pushButton = new QPushButton(caption, this);
        named(pushButton, name);
        return pushButton;
    };
    SetSearchBankDataBitBtn = button("SetSearchBankDataBitBtn", QStringLiteral("Set Search Bank Data"));
    SearchWritePassBitBtn = button("SearchWritePassBitBtn", QStringLiteral("Add Pass"));
    DeleteSelectionBitBtn = button("DeleteSelectionBitBtn", QStringLiteral("Selection"));
    DeleteAllPassFrequenciesBitBtn = button("DeleteAllPassFrequenciesBitBtn", QStringLiteral("Delete All"));
    data->addWidget(SetSearchBankDataBitBtn, 3, 0);
    data->addWidget(SearchWritePassBitBtn, 3, 1);
    data->addWidget(DeleteSelectionBitBtn, 3, 2);
    data->addWidget(DeleteAllPassFrequenciesBitBtn, 3, 3);
    layout->addLayout(data);

    auto* squelch = new QGridLayout;
    const auto squelchBar = [&](const char* name, const QString& hint) {
        auto* bar = new QScrollBar(Qt::Horizontal, this);
        named(bar, name);
        bar->setRange(0, 255);
        bar->setPageStep(16);
        bar->setToolTip(hint);
        return bar;
    };
    SearchAudioScrollBar = squelchBar("SearchAudioScrollBar", QStringLiteral("Audio squelch "));
    SearchLevelScrollBar = squelchBar("SearchLevelScrollBar", QStringLiteral("Level squelch"));
    SearchAudioSquelchLabel = new QLabel(this);
    named(SearchAudioSquelchLabel, "SearchAudioSquelchLabel");
    SearchLevelSquelchLabel = new QLabel(this);
    named(SearchLevelSquelchLabel, "SearchLevelSquelchLabel");
    squelch->addWidget(SearchAudioSquelchLabel, 0, 0);
    squelch->addWidget(SearchAudioScrollBar, 0, 1);
    squelch->addWidget(SearchLevelSquelchLabel, 1, 0);
    squelch->addWidget(SearchLevelScrollBar, 1, 1);
    layout->addLayout(squelch);

    auto* groupPanel = new QHBoxLayout;
    SearchGroupIndexRadioGroup = new TRadioGroup(QStringLiteral("Search Group Index"), this);
    named(SearchGroupIndexRadioGroup, "SearchGroupIndexRadioGroup");
    SearchGroupIndexRadioGroup->setItems({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"});
    SearchGroupIndexRadioGroup->setColumns(5);
    groupPanel->addWidget(SearchGroupIndexRadioGroup);
    SearchPauseSpinEdit = new QSpinBox(this);
    named(SearchPauseSpinEdit, "SearchPauseSpinEdit");
    SearchPauseSpinEdit->setRange(0, 99);
    SearchPauseSpinEdit->setToolTip(QStringLiteral("Search Pause (seconds)"));
    SearchDelaySpinEdit = new QSpinBox(this);
    named(SearchDelaySpinEdit, "SearchDelaySpinEdit");
    SearchDelaySpinEdit->setRange(0, 99);
    SearchDelaySpinEdit->setToolTip(QStringLiteral("Search Delay (1/10 Seconds)"));
    groupPanel->addWidget(SearchPauseSpinEdit);
    groupPanel->addWidget(SearchDelaySpinEdit);
    SearchBankGroupGroupBox = new QGroupBox(QStringLiteral("Search Group"), this);
    named(SearchBankGroupGroupBox, "SearchBankGroupGroupBox");
    auto* groupGrid = new QGridLayout(SearchBankGroupGroupBox);
    for (int i = 0; i < 40; ++i) {
        const char letter = SearchBankLetters[i];
        auto* box = new QCheckBox(QString(QLatin1Char(letter)), SearchBankGroupGroupBox);
        box->setObjectName(QStringLiteral("SearchGroupCheckBox") + QLatin1Char(letter));
        groupGrid->addWidget(box, i / 10, i % 10);
        GroupCheckBoxes.append(box);
        connect(box, &QCheckBox::clicked, this, &TSearchBankMemoriesForm::CheckBox1Click);
    }
    groupPanel->addWidget(SearchBankGroupGroupBox, 1);
    layout->addLayout(groupPanel);

    using F = TSearchBankMemoriesForm;
    connect(SearchBanksRadioGroup, &TRadioGroup::clicked, this, &F::SearchBanksRadioGroupClick);
    connect(SearchGroupIndexRadioGroup, &TRadioGroup::clicked, this, &F::SearchGroupIndexRadioGroupClick);
    connect(SetSearchBankDataBitBtn, &QPushButton::clicked, this, &F::SetSearchBankDataBitBtnClick);
    connect(SearchWritePassBitBtn, &QPushButton::clicked, this, &F::SearchWritePassBitBtnClick);
    connect(DeleteSelectionBitBtn, &QPushButton::clicked, this, &F::DeleteSelectionBitBtnClick);
    connect(
        DeleteAllPassFrequenciesBitBtn, &QPushButton::clicked, this, &F::DeleteAllPassFrequenciesBitBtnClick);
    connect(SearchAudioScrollBar, &QScrollBar::valueChanged, this, &F::SearchAudioScrollBarChange);
    connect(SearchLevelScrollBar, &QScrollBar::valueChanged, this, &F::SearchLevelScrollBarChange);
    connect(SearchDelaySpinEdit, &QSpinBox::valueChanged, this, &F::SearchDelaySpinEditChange);
    connect(SearchPauseSpinEdit, &QSpinBox::valueChanged, this, &F::SearchPauseSpinEditChange);
}

// ---- Creation and showing ----

void TSearchBankMemoriesForm::FormCreate()
{
    if (!Driver && VarnockMainForm)
        Driver = VarnockMainForm->Driver.get();
    StopRecording = [] {
        if (VarnockMainForm)
            VarnockMainForm->StopRecording();
    };
    QStringList modes;
    FillReceiveModeList(&modes);
    SearchRxModeComboBox->addItems(modes);
}

void TSearchBankMemoriesForm::FormShow()
{
    if (LoadedOnce)
        return;
    RestoreFormLocation(this);
    LoadSearchBanks(true, VarnockMainForm ? static_cast<QWidget*>(VarnockMainForm) : this);
    SearchGroupIndexRadioGroup->setItemIndex(EditorDriver(Driver).GetSearchGroupIndex());
    LoadedOnce = true;
}

void TSearchBankMemoriesForm::FormDestroy()
{
    StoreFormLocation(this);
}

void TSearchBankMemoriesForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    FormShow();
}

void TSearchBankMemoriesForm::closeEvent(QCloseEvent* event)
{
    // Closing only hides the window: it lives until the program ends.
    event->accept();
}

char TSearchBankMemoriesForm::SelectedBank() const
{
    const int index = SearchBanksRadioGroup->itemIndex();
    if (index < 0)
        return 0;
    const QString caption = SearchBanksRadioGroup->button(index)->text();
    return caption.isEmpty() ? 0 : caption.at(0).toLatin1();
}

int TSearchBankMemoriesForm::PassRow(int index)
{
    return index / PassPairs + 1;
}

int TSearchBankMemoriesForm::PassColumn(int index)
{
    return (index % PassPairs) * 2;
}

void TSearchBankMemoriesForm::SetCell(int row, int column, const QString& text)
{
    QTableWidgetItem* item = PassFrequencyStringGrid->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        PassFrequencyStringGrid->setItem(row, column, item);
    }
    item->setText(text);
}

QString TSearchBankMemoriesForm::Cell(int row, int column) const
{
    const QTableWidgetItem* item = PassFrequencyStringGrid->item(row, column);
    return item ? item->text() : QString();
}

void TSearchBankMemoriesForm::StartSearch()
{
    EditorDriver(Driver).StartSearch(SelectedBank());
}

// ---- Loading ----

void TSearchBankMemoriesForm::LoadSearchBanks(bool useDatabaseCopy, QWidget* owner)
{
    TDBAOR8200& driver = EditorDriver(Driver);
    TReceiverBracket bracket;
    bracket.UseDatabaseCopy = useDatabaseCopy;
    bracket.ProgressOver = owner;
    RunInReceiverBracket(driver, bracket, [&] {
        RunThenAlways(
            [&] {
                const int remembered = SearchBanksRadioGroup->itemIndex();
                SearchBanksRadioGroup->setItems({});
                QStringList items;
                for (const char letter : std::string_view(SearchBankLetters)) {
                    QString text;
                    try {
                        text = driver.GetSearchBankText(letter);
                    } catch (const std::exception& e) {
                        text = QStringLiteral("Error!");
                        LogError(ClassName + QStringLiteral(".LoadSearchBanks ") + MessageOf(e));
                    }
                    items.append(QLatin1Char(letter) + QStringLiteral("  ") + text);
                    SearchBanksRadioGroup->setItems(items);
                    ShowProgressStatus(QStringLiteral("Search Bank ") + items.constLast());
                    repaint();
                }
                if (remembered < SearchBanksRadioGroup->count())
                    SearchBanksRadioGroup->setItemIndex(remembered);
                const int groupIndex = driver.GetSearchGroupIndex();
                LoadSearchGroup(groupIndex, useDatabaseCopy, owner);
                SetRadioGroupSilently(SearchGroupIndexRadioGroup, groupIndex);
            },
            [](bool) { HideProgressWindow(); });
    });
}

void TSearchBankMemoriesForm::EnableGroupControls(bool enabled)
{
    SearchBankGroupGroupBox->setEnabled(enabled);
    EnableGroupBoxControls(this, SearchBankGroupGroupBox, enabled);
    SearchAudioScrollBar->setEnabled(enabled);
    SearchLevelScrollBar->setEnabled(enabled);
    SearchDelaySpinEdit->setEnabled(enabled);
    SearchPauseSpinEdit->setEnabled(enabled);
}

void TSearchBankMemoriesForm::LoadSearchGroup(int index, bool useDatabaseCopy, QWidget* owner)
{
    TDBAOR8200& driver = EditorDriver(Driver);
    TReceiverBracket bracket;
    bracket.UseDatabaseCopy = useDatabaseCopy;
    bracket.ProgressOver = owner;
    RunInReceiverBracket(driver, bracket, [&] {
        const QString prefix = QStringLiteral("Group ") + QString::number(index) + QStringLiteral(" ");
        driver.SetSearchGroupIndex(std::uint8_t(index));
        BankLetterSet linked;
        if (index != 0) {
            SetScrollBarSilently(SearchAudioScrollBar, driver.GetAudioSearchSetting());
            ShowProgressStatus(prefix + QStringLiteral("AudioSearchSetting"));
            SetScrollBarSilently(SearchLevelScrollBar, driver.GetLevelSearchSetting());
            ShowProgressStatus(prefix + QStringLiteral("LevelSearchSetting"));
            SetSpinEditSilently(SearchDelaySpinEdit, driver.GetSearchDelayDeciSecs());
            ShowProgressStatus(prefix + QStringLiteral("SearchDelayDeciSecs"));
            SetSpinEditSilently(SearchPauseSpinEdit, driver.GetSearchPauseSecs());
            ShowProgressStatus(prefix + QStringLiteral("SearchPauseSecs"));
            ShowProgressStatus(prefix + QStringLiteral("SearchGroup"));
            linked = driver.GetSearchBankLinkGroup();
            EnableGroupControls(true);
        } else {
            EnableGroupControls(false);
            SetScrollBarSilently(SearchAudioScrollBar, 0);
            SetScrollBarSilently(SearchLevelScrollBar, 0);
            SetSpinEditSilently(SearchDelaySpinEdit, 0);
            SetSpinEditSilently(SearchPauseSpinEdit, 0);
        }
        ShowScrollBarValue(SearchAudioScrollBar, SearchAudioSquelchLabel, QStringLiteral("AudioSquelch"));
        ShowScrollBarValue(SearchLevelScrollBar, SearchLevelSquelchLabel, QStringLiteral("LevelSquelch"));
        for (QCheckBox* box : std::as_const(GroupCheckBoxes)) {
            if (box->text().size() == 1)
                SetCheckBoxSilently(box, linked.Contains(box->text().at(0).toLatin1()));
        }
    });
}

void TSearchBankMemoriesForm::ShowSearchBankData(char bank, bool useDatabaseCopy, QWidget* owner)
{
    TDBAOR8200& driver = EditorDriver(Driver);
    TReceiverBracket bracket;
    bracket.UseDatabaseCopy = useDatabaseCopy;
    RunInReceiverBracket(driver, bracket, [&] {
        SearchBankRecord data = driver.ReadSearchBankRecord(bank);
        SetCheckBoxSilently(SearchIsEmpyCheckBox, data.IsEmpty);
        if (data.IsEmpty) {
            SearchBankTextLabeledEdit->clear();
            SearchLowerFrequencyLabeledEdit->clear();
            SearchUpperFrequencyLabeledEdit->clear();
            SearchStepSizeLabeledEdit->clear();
            SearchRxModeComboBox->setCurrentIndex(-1);
            SetCheckBoxSilently(SearchAutoModeIsOnCheckBox, false);
            SetCheckBoxSilently(SearchAttenuatorIsOnCheckBox, false);
        } else {
            SearchBankTextLabeledEdit->setText(data.Text.ToString());
            SearchLowerFrequencyLabeledEdit->setText(FormatFrequency(data.LowerFrequency, 0));
            SearchUpperFrequencyLabeledEdit->setText(FormatFrequency(data.UpperFrequency, 0));
            SearchStepSizeLabeledEdit->setText(QString::asprintf("%9.4f kHz", data.StepSize / 1000.0));
            SearchRxModeComboBox->setCurrentIndex(int(data.ReceiveMode));
            SetCheckBoxSilently(SearchAutoModeIsOnCheckBox, data.AutoMode);
            SetCheckBoxSilently(SearchAttenuatorIsOnCheckBox, data.Attenuator != 0);
        }
        LoadPassFrequencies(bank, useDatabaseCopy, owner);
    });
}

void TSearchBankMemoriesForm::LoadPassFrequencies(char bank, bool useDatabaseCopy, QWidget* owner)
{
    TDBAOR8200& driver = EditorDriver(Driver);
    TReceiverBracket bracket;
    bracket.UseDatabaseCopy = useDatabaseCopy;
    bracket.ProgressOver = owner;
    bracket.Status = QStringLiteral("Retrieving PassFrequencies");
    RunInReceiverBracket(driver, bracket, [&] {
        RunThenAlways(
            [&] {
                for (int pair = 0; pair < PassPairs; ++pair) {
                    SetCell(0, pair * 2, QStringLiteral("Pass"));
                    SetCell(0, pair * 2 + 1, QStringLiteral("Frequency"));
                }
                for (int k = 0; k < PassLimit; ++k) {
                    SetCell(PassRow(k), PassColumn(k), QString::number(k));
                    SetCell(PassRow(k), PassColumn(k) + 1, QString());
                }
                // First what the copy holds; from the first index it lacks on, the receiver.
                int k = 0;
                int phase = 0;
                for (;;) {
                    const std::int32_t frequency = driver.ReadPassFrequency(bank, k);
                    ShowProgressStatus(QStringLiteral("SearchBank ") + QLatin1Char(bank)
                        + QStringLiteral("   PassFrequency ") + QString::number(k));
                    if (frequency > 0)
                        SetCell(PassRow(k), PassColumn(k) + 1, FormatFrequency(frequency, 0));
                    ++k;
                    if (k < PassLimit && frequency > 0)
                        continue;
                    if (++phase == 2)
                        break;
                    driver.UseDatabaseCopy = false;
                    --k;
                }
            },
            [](bool) { HideProgressWindow(); });
    });
}

// ---- Handlers ----

void TSearchBankMemoriesForm::SearchBanksRadioGroupClick()
{
    if (const char bank = SelectedBank())
        ShowSearchBankData(bank, true, this);
}

void TSearchBankMemoriesForm::SetSearchBankDataBitBtnClick()
{
    TDBAOR8200& driver = EditorDriver(Driver);
    TReceiverBracket bracket;
    bracket.UseDatabaseCopy = false;
    RunInReceiverBracket(driver, bracket, [&] {
        const char bank = SelectedBank();
        if (!bank) {
            ShowMessageAtControl(
                QStringLiteral("No search bank selected"), TMsgDlgType::mtError, MsgDlgBtn::mbOK, this, 0);
            return;
        }
        const qint32 upper = ParseMHzText(SearchUpperFrequencyLabeledEdit->text());
        const qint32 step = ParseKHzText(SearchStepSizeLabeledEdit->text());
        const bool autoMode = SearchAutoModeIsOnCheckBox->isChecked();
        const int mode = qMax(0, SearchRxModeComboBox->currentIndex());
        const bool attenuator = SearchAttenuatorIsOnCheckBox->isChecked();
        const QString text = SearchBankTextLabeledEdit->text();
        const qint32 lower = ParseMHzText(SearchLowerFrequencyLabeledEdit->text());
        driver.SetSearchData(bank, lower, upper, step, autoMode, AOR8200RxModeType(mode),
            std::uint8_t(attenuator ? 1 : 0), text.left(12));
        LoadSearchBanks(true, this);
        ShowSearchBankData(bank, true, this);
    });
}

void TSearchBankMemoriesForm::SearchWritePassBitBtnClick()
{
    EditorDriver(Driver).AddPassFrequency();
    if (StopRecording)
        StopRecording();
    if (const char bank = SelectedBank())
        LoadPassFrequencies(bank, true, this);
}

void TSearchBankMemoriesForm::DeleteAllPassFrequenciesBitBtnClick()
{
    const char bank = SelectedBank();
    if (!bank)
        return;
    EditorDriver(Driver).DeleteAllPassFrequencies(bank);
    LoadPassFrequencies(bank, true, this);
}

void TSearchBankMemoriesForm::DeleteSelectionBitBtnClick()
{
    const char bank = SelectedBank();
    if (!bank)
        return;
    TDBAOR8200& driver = EditorDriver(Driver);
    const QList<QTableWidgetSelectionRange> ranges = PassFrequencyStringGrid->selectedRanges();
    // Bottom row first and right to left: the highest indexes go first, so the lower ones keep their place.
    try {
        if (!ranges.isEmpty()) {
            const QTableWidgetSelectionRange& range = ranges.constFirst();
            for (int row = range.bottomRow(); row >= range.topRow(); --row) {
                for (int column = range.rightColumn(); column >= range.leftColumn(); --column) {
                    if (column % 2 == 0 || Cell(row, column).isEmpty())
                        continue;
                    const int index = StrToInt(Cell(row, column - 1));
                    try {
                        driver.DeletePassFrequencyIndex(bank, index);
                    } catch (const std::exception& e) {
                        LogError(ClassName + QStringLiteral(".DeleteSelectionBitBtnClick ") + MessageOf(e));
                    }
                    PauseMs(100);
                }
            }
        }
    } catch (const std::exception&) {
        // A cell that holds no index (the header row) ends the walk.
    }
    LoadPassFrequencies(bank, false, this);
}

void TSearchBankMemoriesForm::SearchGroupIndexRadioGroupClick()
{
    const int index = SearchGroupIndexRadioGroup->itemIndex();
    if (index < 0)
        return;
    RunInReceiverBracket(
        EditorDriver(Driver), TReceiverBracket(), [&] { LoadSearchGroup(index, true, this); });
}

void TSearchBankMemoriesForm::CheckBox1Click()
{
    THourglass hourglass;
    BankLetterSet linked;
    for (QCheckBox* box : std::as_const(GroupCheckBoxes)) {
        if (box->isChecked() && box->text().size() == 1)
            linked.Include(box->text().at(0).toLatin1());
    }
    EditorDriver(Driver).SetSearchBankLinkGroup(linked);
}

void TSearchBankMemoriesForm::SearchAudioScrollBarChange()
{
    EditorDriver(Driver).SetAudioSearchSetting(std::uint8_t(SearchAudioScrollBar->value()));
    ShowScrollBarValue(SearchAudioScrollBar, SearchAudioSquelchLabel, QStringLiteral("AudioSquelch"));
}

void TSearchBankMemoriesForm::SearchLevelScrollBarChange()
{
    EditorDriver(Driver).SetLevelSearchSetting(std::uint8_t(SearchLevelScrollBar->value()));
    ShowScrollBarValue(SearchLevelScrollBar, SearchLevelSquelchLabel, QStringLiteral("LevelSquelch"));
}

void TSearchBankMemoriesForm::SearchDelaySpinEditChange()
{
    EditorDriver(Driver).SetSearchDelayDeciSecs(std::uint8_t(SearchDelaySpinEdit->value()));
}

void TSearchBankMemoriesForm::SearchPauseSpinEditChange()
{
    EditorDriver(Driver).SetSearchPauseSecs(std::uint8_t(SearchPauseSpinEdit->value()));
}

// ---- Retrieval ----

void TSearchBankMemoriesForm::RetrieveSearchBanksFromRadio(QWidget* owner)
{
    if (!Driver || Driver->GetCommPortNumber() == 0) {
        ShowMessageAtControl(QStringLiteral("No comm port"), TMsgDlgType::mtError, MsgDlgBtn::mbOK, owner, 0);
        return;
    }
    TDBAOR8200& driver = *Driver;
    RunInReceiverBracket(driver, TReceiverBracket(), [&] {
        EmptyCopyTable(QStringLiteral("SearchBankTable_"));
        const int bankIndex = SearchBanksRadioGroup->itemIndex();
        RunThenAlways([&] { LoadSearchBanks(false, owner); },
            [&](bool) {
                if (bankIndex >= 0 && bankIndex < SearchBanksRadioGroup->count())
                    SearchBanksRadioGroup->setItemIndex(bankIndex);
            });
        const int groupIndex = SearchGroupIndexRadioGroup->itemIndex();
        RunThenAlways(
            [&] {
                for (const char letter : std::string_view(SearchBankLetters)) {
                    LoadPassFrequencies(letter, false, owner);
                    repaint();
                }
                EmptyCopyTable(QStringLiteral("SearchGroupTable_"));
                for (int index = 0; index <= 9; ++index) {
                    driver.SetSearchGroupIndex(std::uint8_t(index));
                    SetRadioGroupSilently(SearchGroupIndexRadioGroup, index);
                    LoadSearchGroup(index, false, owner);
                }
            },
            [&](bool) {
                if (groupIndex >= 0 && groupIndex < SearchGroupIndexRadioGroup->count())
                    SearchGroupIndexRadioGroup->setItemIndex(groupIndex);
            });
        // The grid was last filled with the last bank's pass frequencies: show the selected bank's again.
        if (const char bank = SelectedBank())
            LoadPassFrequencies(bank, true, owner);
    });
}
