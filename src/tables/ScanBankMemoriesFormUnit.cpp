#include "tables/ScanBankMemoriesFormUnit.h"

#include "app/DataModuleUnit.h"
#include "app/EventLogUnit.h"
#include "app/FormLocationUnit.h"
#include "monitor/FrequencyTextUnit.h"
#include "monitor/MainFormUnit.h"
#include "receiver/DBAOR8200Unit.h"
#include "support/MiscellaneousRoutinesUnit.h"
#include "support/QuonMessageDlgUnit.h"
#include "support/RadioGroupUnit.h"
#include "tables/DuplicateScanMemoriesUnit.h"
#include "tables/ReceiverBracketUnit.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QSqlRecord>
#include <QVBoxLayout>

#include <exception>
#include <vector>

TScanBankMemoriesForm* ScanBankMemoriesForm = nullptr;

namespace {

constexpr int SortAttemptLimit = 100;
constexpr int RewriteAttemptLimit = 101;

const QString ClassName = QStringLiteral("TScanBankMemoriesForm");

TDBAOR8200& Rx(TDBAOR8200* driver)
{
    return EditorDriver(driver);
}

TDataModule1& Tables()
{
    if (!DataModule1)
        throw EDatabaseError(QStringLiteral("No database"));
    return *DataModule1;
}

void LogError(const QString& text)
{
    AddToEventLog(text, clRed, true);
}

QString MessageOf(const std::exception& e)
{
    return QString::fromStdString(e.what());
}

QString StepText(std::int32_t step)
{
    return QString::asprintf("%9.4f kHz", step / 1000.0);
}

// The rows of the memories query, read out when it is opened: the result is fixed from then on.
std::vector<MemoryChannelRecord> OpenMemoriesQuery(const QString& sql)
{
    TDataModuleQuery* query = Tables().AOR8200MemoriesQuery_;
    query->SetSQL(sql);
    query->Open(Tables().Database());
    while (query->canFetchMore())
        query->fetchMore();
    std::vector<MemoryChannelRecord> rows;
    rows.reserve(std::size_t(query->rowCount()));
    for (int row = 0; row < query->rowCount(); ++row) {
        const QSqlRecord fields = query->record(row);
        MemoryChannelRecord record;
        record.Bank = char(fields.value(QStringLiteral("MemoryBank")).toInt());
        record.Channel = fields.value(QStringLiteral("MemoryChannel")).toInt();
        record.IsEmpty = fields.value(QStringLiteral("MemoryIsEmpty")).toBool();
        record.PassFlag = fields.value(QStringLiteral("MemoryPassFlag")).toBool();
        record.Frequency = fields.value(QStringLiteral("MemoryFrequency")).toInt();
        record.StepSize = fields.value(QStringLiteral("MemoryStepSize")).toInt();
        record.AutoMode = fields.value(QStringLiteral("MemoryAutoMode")).toBool();
        record.ReceiveMode = AOR8200RxModeType(fields.value(QStringLiteral("MemoryReceiveMode")).toInt());
        record.Attenuator = fields.value(QStringLiteral("MemoryAttenuatorFlag")).toBool();
        record.Text = fields.value(QStringLiteral("MemoryChannelText")).toString();
        rows.push_back(record);
    }
    return rows;
}

void CloseMemoriesQuery()
{
    if (DataModule1)
        DataModule1->AOR8200MemoriesQuery_->clear();
}

void WriteRecord(TDBAOR8200& driver, char bank, int channel, const MemoryChannelRecord& record)
{
    driver.WriteMemory(bank, channel, record.PassFlag, record.Frequency, record.StepSize, record.AutoMode,
        record.ReceiveMode, record.Attenuator, record.Text.ToString());
}

QColor MemoryItemColour(const MemoryChannelRecord& record, const QColor& normal)
{
    QColor colour = normal;
    if (record.AutoMode)
        colour = QColor(0, 128, 0);
    if (record.Attenuator)
        colour = QColor(0, 0, 255);
    if (record.PassFlag)
        colour = QColor(128, 128, 128);
    if (record.IsEmpty)
        colour = QColor(255, 255, 255);
    return colour;
}

QWidget* MainWindowOr(QWidget* fallback)
{
    return VarnockMainForm ? static_cast<QWidget*>(VarnockMainForm) : fallback;
}

} // namespace

TScanBankMemoriesForm::TScanBankMemoriesForm(TDBAOR8200* driver, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , Driver(driver)
{
    setObjectName(QStringLiteral("ScanBankMemoriesForm"));
    setWindowTitle(QStringLiteral("ScanBankMemoriesForm"));
    resize(569, 604);
    CreateControls();
    FormCreate();
}

TScanBankMemoriesForm::~TScanBankMemoriesForm()
{
    FormDestroy();
}

void TScanBankMemoriesForm::CreateControls()
{
    auto* layout = new QVBoxLayout(this);
    const auto named = [](QWidget* widget, const char* name) {
        widget->setObjectName(QString::fromLatin1(name));
        return widget;
    };

    ScanBanksRadioGroup = new TRadioGroup(QStringLiteral("Scan Banks"), this);
    named(ScanBanksRadioGroup, "ScanBanksRadioGroup");
    ScanBanksRadioGroup->setColumns(4);
    layout->addWidget(ScanBanksRadioGroup);

    ScanMemoriesRadioGroup = new TRadioGroup(QStringLiteral("Scan Memories"), this);
    named(ScanMemoriesRadioGroup, "ScanMemoriesRadioGroup");
    ScanMemoriesRadioGroup->setColumns(4);
    layout->addWidget(ScanMemoriesRadioGroup, 1);

    MemoryDataGroupBox = new QGroupBox(QStringLiteral("Memory Data"), this);
    named(MemoryDataGroupBox, "MemoryDataGroupBox");
    auto* data = new QGridLayout(MemoryDataGroupBox);
    const auto boldLabel = [&](const char* name) {
        auto* label = new QLabel(MemoryDataGroupBox);
        named(label, name);
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
        return label;
    };
    const auto labeledEdit = [&](const char* name, const QString& caption, int row, int column) {
        auto* edit = new QLineEdit(MemoryDataGroupBox);
        named(edit, name);
        data->addWidget(new QLabel(caption, MemoryDataGroupBox), row, column);
        data->addWidget(edit, row + 1, column);
        return edit;
    };
    ScanBankLabel = boldLabel("ScanBankLabel");
    ScanChannelLabel = boldLabel("ScanChannelLabel");
    data->addWidget(ScanBankLabel, 1, 0);
    data->addWidget(ScanChannelLabel, 1, 1);
    ScanTextLabeledEdit = labeledEdit("ScanTextLabeledEdit", QStringLiteral("Text"), 0, 2);
    ScanTextLabeledEdit->setMaxLength(12);
    ScanFrequencyLabeledEdit = labeledEdit("ScanFrequencyLabeledEdit", QStringLiteral("Frequency"), 0, 3);
    ScanStepSizeLabeledEdit = labeledEdit("ScanStepSizeLabeledEdit", QStringLiteral("Step Size"), 0, 4);
    ScanRxModeComboBox = new QComboBox(MemoryDataGroupBox);
    named(ScanRxModeComboBox, "ScanRxModeComboBox");
    data->addWidget(new QLabel(QStringLiteral("RxMode"), MemoryDataGroupBox), 0, 5);
    data->addWidget(ScanRxModeComboBox, 1, 5);
    ScanAutoModeIsOnCheckBox = new QCheckBox(QStringLiteral("AutoMode"), MemoryDataGroupBox);
    named(ScanAutoModeIsOnCheckBox, "ScanAutoModeIsOnCheckBox");
    ScanPassIsOnCheckBox = new QCheckBox(QStringLiteral("Pass"), MemoryDataGroupBox);
    named(ScanPassIsOnCheckBox, "ScanPassIsOnCheckBox");
    ScanAttenuatorIsOnCheckBox = new QCheckBox(QStringLiteral("Attenuator"), MemoryDataGroupBox);
    named(ScanAttenuatorIsOnCheckBox, "ScanAttenuatorIsOnCheckBox");
    data->addWidget(ScanAutoModeIsOnCheckBox, 2, 2);
    data->addWidget(ScanPassIsOnCheckBox, 2, 3);
    data->addWidget(ScanAttenuatorIsOnCheckBox, 2, 4);
    SaveMemoryBitBtn = new QPushButton(QStringLiteral("Update"), MemoryDataGroupBox);
    named(SaveMemoryBitBtn, "SaveMemoryBitBtn");
    SaveMemoryBitBtn->setDefault(true);
    MemoryDeleteBitBtn = new QPushButton(QStringLiteral("Delete"), MemoryDataGroupBox);
    named(MemoryDeleteBitBtn, "MemoryDeleteBitBtn");
    MemoryDeleteBitBtn->setShortcut(QKeySequence(Qt::Key_Escape));
    MemoryDeleteBitBtn->setEnabled(false);
    data->addWidget(SaveMemoryBitBtn, 2, 5);
    data->addWidget(MemoryDeleteBitBtn, 2, 6);
    ShortCommentLabel = new QLabel(MemoryDataGroupBox);
    named(ShortCommentLabel, "ShortCommentLabel");
    LongCommentLabel = new QLabel(MemoryDataGroupBox);
    named(LongCommentLabel, "LongCommentLabel");
    data->addWidget(ShortCommentLabel, 3, 0, 1, 3);
    data->addWidget(LongCommentLabel, 3, 3, 1, 4);
    layout->addWidget(MemoryDataGroupBox);

    auto* bankPanel = new QHBoxLayout;
    ScanGroupIndexRadioGroup = new TRadioGroup(QStringLiteral("Scan Group Index"), this);
    named(ScanGroupIndexRadioGroup, "ScanGroupIndexRadioGroup");
    ScanGroupIndexRadioGroup->setItems({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"});
    ScanGroupIndexRadioGroup->setColumns(5);
    bankPanel->addWidget(ScanGroupIndexRadioGroup);
    ScanPauseSpinEdit = new QSpinBox(this);
    named(ScanPauseSpinEdit, "ScanPauseSpinEdit");
    ScanPauseSpinEdit->setRange(0, 60);
    ScanPauseSpinEdit->setToolTip(QStringLiteral("Scan Pause (Seconds)"));
    ScanDelaySpinEdit = new QSpinBox(this);
    named(ScanDelaySpinEdit, "ScanDelaySpinEdit");
    ScanDelaySpinEdit->setRange(0, 99);
    ScanDelaySpinEdit->setToolTip(QStringLiteral("Scan Delay (1/10 Seconds)"));
    bankPanel->addWidget(ScanPauseSpinEdit);
    bankPanel->addWidget(ScanDelaySpinEdit);
    ScanBankGroupGroupBox = new QGroupBox(QStringLiteral("Scan Group"), this);
    named(ScanBankGroupGroupBox, "ScanBankGroupGroupBox");
    auto* groupGrid = new QGridLayout(ScanBankGroupGroupBox);
    for (int i = 0; i < 20; ++i) {
        auto* box = new QCheckBox(QString(QLatin1Char(ScanBankLetters[i])), ScanBankGroupGroupBox);
        box->setObjectName(QStringLiteral("ScanGroupCheckBox") + QLatin1Char(ScanBankLetters[i]));
        groupGrid->addWidget(box, i / 10, i % 10);
        GroupCheckBoxes.append(box);
        connect(box, &QCheckBox::clicked, this, &TScanBankMemoriesForm::CheckBox1Click);
    }
    bankPanel->addWidget(ScanBankGroupGroupBox, 1);
    layout->addLayout(bankPanel);

    auto* bankRow = new QHBoxLayout;
    bankRow->addWidget(new QLabel(QStringLiteral("ScanBankText"), this));
    ScanBankTextLabeledEdit = new QLineEdit(this);
    named(ScanBankTextLabeledEdit, "ScanBankTextLabeledEdit");
    ScanBankTextLabeledEdit->setMaxLength(8);
    bankRow->addWidget(ScanBankTextLabeledEdit);
    SeScanBankTextBitBtn = new QPushButton(QStringLiteral("Set Text"), this);
    named(SeScanBankTextBitBtn, "SeScanBankTextBitBtn");
    SeScanBankTextBitBtn->setDefault(true);
    bankRow->addWidget(SeScanBankTextBitBtn);
    ScanBankSizeSpinEdit = new QSpinBox(this);
    named(ScanBankSizeSpinEdit, "ScanBankSizeSpinEdit");
    ScanBankSizeSpinEdit->setRange(10, 90);
    ScanBankSizeSpinEdit->setSingleStep(10);
    ScanBankSizeSpinEdit->setValue(10);
    bankRow->addWidget(ScanBankSizeSpinEdit);
    SetScanBankSize = new QPushButton(QStringLiteral("SetBankSize"), this);
    named(SetScanBankSize, "SetScanBankSize");
    bankRow->addWidget(SetScanBankSize);
    DeleteBankBitBtn = new QPushButton(QStringLiteral("Delete Bank"), this);
    named(DeleteBankBitBtn, "DeleteBankBitBtn");
    bankRow->addWidget(DeleteBankBitBtn);
    SortBankBitBtn = new QPushButton(QStringLiteral("SortBank"), this);
    named(SortBankBitBtn, "SortBankBitBtn");
    bankRow->addWidget(SortBankBitBtn);
    layout->addLayout(bankRow);

    auto* squelch = new QGridLayout;
    const auto squelchBar = [&](const char* name, const QString& hint) {
        auto* bar = new QScrollBar(Qt::Horizontal, this);
        named(bar, name);
        bar->setRange(0, 255);
        bar->setPageStep(16);
        bar->setToolTip(hint);
        return bar;
    };
    ScanAudioScrollBar = squelchBar("ScanAudioScrollBar", QStringLiteral("Audio squelch "));
    ScanLevelScrollBar = squelchBar("ScanLevelScrollBar", QStringLiteral("Level squelch"));
    ScanAudioSquelchLabel = new QLabel(this);
    named(ScanAudioSquelchLabel, "ScanAudioSquelchLabel");
    ScanLevelSquelchLabel = new QLabel(this);
    named(ScanLevelSquelchLabel, "ScanLevelSquelchLabel");
    squelch->addWidget(ScanAudioSquelchLabel, 0, 0);
    squelch->addWidget(ScanAudioScrollBar, 0, 1);
    squelch->addWidget(ScanLevelSquelchLabel, 1, 0);
    squelch->addWidget(ScanLevelScrollBar, 1, 1);
    layout->addLayout(squelch);

    using F = TScanBankMemoriesForm;
    connect(ScanBanksRadioGroup, &TRadioGroup::clicked, this, &F::ScanBanksRadioGroupClick);
    connect(ScanMemoriesRadioGroup, &TRadioGroup::clicked, this, &F::ScanMemoriesRadioGroupClick);
    connect(ScanGroupIndexRadioGroup, &TRadioGroup::clicked, this, &F::ScanGroupIndexRadioGroupClick);
    connect(SaveMemoryBitBtn, &QPushButton::clicked, this, &F::SaveMemoryBitBtnClick);
    connect(MemoryDeleteBitBtn, &QPushButton::clicked, this, &F::MemoryDeleteBitBtnClick);
    connect(SeScanBankTextBitBtn, &QPushButton::clicked, this, &F::SeScanBankTextBitBtnClick);
    connect(DeleteBankBitBtn, &QPushButton::clicked, this, &F::DeleteBankBitBtnClick);
    connect(SetScanBankSize, &QPushButton::clicked, this, &F::SetScanBankSizeClick);
    connect(SortBankBitBtn, &QPushButton::clicked, this, &F::SortBankBitBtnClick);
    connect(ScanAudioScrollBar, &QScrollBar::valueChanged, this, &F::ScanAudioScrollBarChange);
    connect(ScanLevelScrollBar, &QScrollBar::valueChanged, this, &F::ScanLevelScrollBarChange);
    connect(ScanDelaySpinEdit, &QSpinBox::valueChanged, this, &F::ScanDelaySpinEditChange);
    connect(ScanPauseSpinEdit, &QSpinBox::valueChanged, this, &F::ScanPauseSpinEditChange);
}

// ---- Creation and showing ----

void TScanBankMemoriesForm::FormCreate()
{
    if (!Driver && VarnockMainForm)
        Driver = VarnockMainForm->Driver.get();
    QStringList modes;
    FillReceiveModeList(&modes);
    ScanRxModeComboBox->addItems(modes);
    ScanBankLabel->clear();
    ScanChannelLabel->clear();
}

void TScanBankMemoriesForm::FormShow()
{
    if (LoadedOnce)
        return;
    RestoreFormLocation(this);
    LoadScanBanks(true, MainWindowOr(this));
    ScanGroupIndexRadioGroup->setItemIndex(Rx(Driver).GetScanGroupIndex());
    LoadedOnce = true;
}

void TScanBankMemoriesForm::FormDestroy()
{
    StoreFormLocation(this);
}

void TScanBankMemoriesForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    FormShow();
}

void TScanBankMemoriesForm::closeEvent(QCloseEvent* event)
{
    // Closing only hides the window: it lives until the program ends.
    event->accept();
}

char TScanBankMemoriesForm::SelectedBank() const
{
    const int index = ScanBanksRadioGroup->itemIndex();
    if (index < 0)
        return 0;
    const QString caption = ScanBanksRadioGroup->button(index)->text();
    return caption.isEmpty() ? 0 : caption.at(0).toLatin1();
}

void TScanBankMemoriesForm::ShowBank(char bank)
{
    show();
    raise();
    const int index = int(QByteArray(ScanBankLetters).indexOf(bank));
    if (index < 0)
        return;
    SetRadioGroupSilently(ScanBanksRadioGroup, index);
    ShortCommentLabel->clear();
    LongCommentLabel->clear();
    LoadScanBankMemories(bank, this);
}

void TScanBankMemoriesForm::StartScan()
{
    Rx(Driver).StartMemoryScan(SelectedBank());
}

// ---- Loading ----

void TScanBankMemoriesForm::LoadScanBanks(bool useDatabaseCopy, QWidget* owner)
{
    TDBAOR8200& driver = Rx(Driver);
    TReceiverBracket bracket;
    bracket.UseDatabaseCopy = useDatabaseCopy;
    bracket.ProgressOver = owner;
    RunInReceiverBracket(driver, bracket, [&] {
        const int remembered = ScanBanksRadioGroup->itemIndex();
        RunThenAlways(
            [&] {
                ScanBanksRadioGroup->setItems({});
                QStringList items;
                for (const char letter : std::string_view(ScanBankLetters)) {
                    QString text;
                    try {
                        text = driver.GetScanBankText(letter);
                    } catch (const std::exception& e) {
                        text = QStringLiteral("ERROR!");
                        LogError(ClassName + QStringLiteral(".LoadScanBanks ") + MessageOf(e));
                    }
                    items.append(QLatin1Char(letter) + QStringLiteral(" ") + text);
                    ScanBanksRadioGroup->setItems(items);
                    ScanBanksRadioGroup->repaint();
                    ShowProgressStatus(QStringLiteral("Scan Bank ") + items.constLast());
                }
                SetRadioGroupSilently(ScanGroupIndexRadioGroup, -1);
                const int groupIndex = driver.GetScanGroupIndex();
                SetRadioGroupSilently(ScanGroupIndexRadioGroup, groupIndex);
                LoadScanGroup(groupIndex, useDatabaseCopy, owner);
            },
            [&](bool) {
                HideProgressWindow();
                const int index = qMax(0, remembered);
                LoadScanBankMemories(ScanBankLetters[index], owner);
                SetRadioGroupSilently(ScanBanksRadioGroup, index);
            });
    });
}

void TScanBankMemoriesForm::LoadScanBankMemories(char bank, QWidget* owner)
{
    TDBAOR8200& driver = Rx(Driver);
    TReceiverBracket bracket;
    bracket.ProgressOver = owner;
    RunInReceiverBracket(driver, bracket, [&] {
        ScanMemoriesRadioGroup->setItems({});
        const int size = driver.GetScanBankSize(bank);
        SetSpinEditSilently(ScanBankSizeSpinEdit, size);
        // The items are made at once and given their captions as the channels are read.
        QStringList numbers;
        for (int channel = 0; channel < size; ++channel)
            numbers.append(QString::number(channel) + QStringLiteral("  "));
        ScanMemoriesRadioGroup->setItems(numbers);
        for (int channel = 0; channel < size; ++channel) {
            ShowProgressStatus(QStringLiteral("Scan Bank ") + QLatin1Char(bank) + QStringLiteral("  Channel ")
                + QString::number(channel));
            RefreshScanMemoryData(bank, channel, false);
            ShowProgress(0, size - 1, channel);
        }
        ScanBankTextLabeledEdit->setText(driver.GetScanBankText(bank));
    });
}

void TScanBankMemoriesForm::RefreshScanMemoryData(char bank, int channel, bool show)
{
    MemoryChannelRecord record;
    QString caption = QString::number(channel) + QStringLiteral("  ");
    try {
        Rx(Driver).ReadMemoryRecord(bank, channel, record);
        caption += record.IsEmpty ? QStringLiteral("Empty") : FormatFrequency(record.Frequency, 0);
    } catch (const std::exception& e) {
        record = MemoryChannelRecord();
        caption += QStringLiteral("ERROR!");
        LogError(QStringLiteral("procedure ") + ClassName + QStringLiteral(".RefreshScanMemoryData ")
            + MessageOf(e));
    }
    record.Bank = bank;
    record.Channel = channel;
    SetMemoryItem(channel, caption, record);
    if (show)
        ShowMemoryData(bank, channel, record);
}

void TScanBankMemoriesForm::SetMemoryItem(
    int channel, const QString& caption, const MemoryChannelRecord& record)
{
    if (channel >= ScanMemoriesRadioGroup->count()) {
        QStringList captions;
        for (int i = 0; i < ScanMemoriesRadioGroup->count(); ++i)
            captions.append(ScanMemoriesRadioGroup->button(i)->text());
        while (captions.size() <= channel)
            captions.append(QString::number(captions.size()) + QStringLiteral("  "));
        ScanMemoriesRadioGroup->setItems(captions);
    }
    QRadioButton* item = ScanMemoriesRadioGroup->button(channel);
    item->setText(caption);
    QPalette palette = ScanMemoriesRadioGroup->palette();
    const QColor colour = MemoryItemColour(record, palette.color(QPalette::WindowText));
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    item->setPalette(palette);
    item->repaint();
}

void TScanBankMemoriesForm::ShowMemoryData(char bank, int channel, const MemoryChannelRecord& record)
{
    ScanBankLabel->setText(QString(QLatin1Char(bank)));
    ScanChannelLabel->setText(QStringLiteral("%1").arg(channel, 2, 10, QLatin1Char('0')));
    ScanTextLabeledEdit->setText(record.Text.ToString());
    SetCheckBoxSilently(ScanPassIsOnCheckBox, record.PassFlag);
    ScanFrequencyLabeledEdit->setText(FormatFrequency(record.Frequency, 0));
    ScanStepSizeLabeledEdit->setText(StepText(record.StepSize));
    ScanRxModeComboBox->setCurrentIndex(int(record.ReceiveMode));
    SetCheckBoxSilently(ScanAttenuatorIsOnCheckBox, record.Attenuator);
    SetCheckBoxSilently(ScanAutoModeIsOnCheckBox, record.AutoMode);
    ShortCommentLabel->clear();
    LongCommentLabel->clear();
    int mode = -1;
    QString shortComment;
    QString longComment;
    if (DataModule1 && DataModule1->LookupFrequency(record.Frequency, mode, shortComment, longComment)) {
        ShortCommentLabel->setText(shortComment);
        LongCommentLabel->setText(longComment);
    }
}

void TScanBankMemoriesForm::EnableGroupControls(bool enabled)
{
    ScanBankGroupGroupBox->setEnabled(enabled);
    EnableGroupBoxControls(this, ScanBankGroupGroupBox, enabled);
    ScanAudioScrollBar->setEnabled(enabled);
    ScanLevelScrollBar->setEnabled(enabled);
    ScanDelaySpinEdit->setEnabled(enabled);
    ScanPauseSpinEdit->setEnabled(enabled);
}

void TScanBankMemoriesForm::LoadScanGroup(int index, bool useDatabaseCopy, QWidget* owner)
{
    TDBAOR8200& driver = Rx(Driver);
    TReceiverBracket bracket;
    bracket.UseDatabaseCopy = useDatabaseCopy;
    bracket.ProgressOver = owner;
    RunInReceiverBracket(driver, bracket, [&] {
        const QString prefix = QStringLiteral("Bank ") + QString::number(index) + QStringLiteral(" ");
        driver.SetScanGroupIndex(std::uint8_t(index));
        BankLetterSet linked;
        if (index != 0) {
            SetScrollBarSilently(ScanAudioScrollBar, driver.GetAudioScanSetting());
            ShowProgressStatus(prefix + QStringLiteral("AudioScanSetting"));
            SetScrollBarSilently(ScanLevelScrollBar, driver.GetLevelScanSetting());
            ShowProgressStatus(prefix + QStringLiteral("LevelScanSetting"));
            SetSpinEditSilently(ScanDelaySpinEdit, driver.GetScanDelayDeciSecs());
            ShowProgressStatus(prefix + QStringLiteral("ScanDelayDeciSecs"));
            SetSpinEditSilently(ScanPauseSpinEdit, driver.GetScanPauseSecs());
            ShowProgressStatus(prefix + QStringLiteral("ScanPauseSecs"));
            ShowProgressStatus(prefix + QStringLiteral("ScanGroup"));
            linked = driver.GetScanBankLinkGroup();
            EnableGroupControls(true);
        } else {
            EnableGroupControls(false);
            SetScrollBarSilently(ScanAudioScrollBar, 0);
            SetScrollBarSilently(ScanLevelScrollBar, 0);
            SetSpinEditSilently(ScanDelaySpinEdit, 0);
            SetSpinEditSilently(ScanPauseSpinEdit, 0);
        }
        ShowScrollBarValue(ScanAudioScrollBar, ScanAudioSquelchLabel, QStringLiteral("AudioSquelch"));
        ShowScrollBarValue(ScanLevelScrollBar, ScanLevelSquelchLabel, QStringLiteral("LevelSquelch"));
        for (QCheckBox* box : std::as_const(GroupCheckBoxes)) {
            if (box->text().size() == 1)
                SetCheckBoxSilently(box, linked.Contains(box->text().at(0).toLatin1()));
        }
    });
}

// ---- Selecting ----

void TScanBankMemoriesForm::ScanBanksRadioGroupClick()
{
    ShortCommentLabel->clear();
    LongCommentLabel->clear();
    if (const char bank = SelectedBank())
        LoadScanBankMemories(bank, this);
}

void TScanBankMemoriesForm::ScanMemoriesRadioGroupClick()
{
    const char bank = SelectedBank();
    const int channel = ScanMemoriesRadioGroup->itemIndex();
    if (!bank || channel < 0)
        return;
    TDBAOR8200& driver = Rx(Driver);
    MemoryChannelRecord record;
    const bool useDatabaseCopy = driver.UseDatabaseCopy;
    driver.UseDatabaseCopy = false;
    RunThenAlways([&] { driver.ReadMemoryRecord(bank, channel, record); },
        [&](bool) { driver.UseDatabaseCopy = useDatabaseCopy; });
    ShowMemoryData(bank, channel, record);
    MemoryDeleteBitBtn->setEnabled(!record.IsEmpty);
}

void TScanBankMemoriesForm::ScanGroupIndexRadioGroupClick()
{
    const int index = ScanGroupIndexRadioGroup->itemIndex();
    if (index < 0)
        return;
    TReceiverBracket bracket;
    RunInReceiverBracket(Rx(Driver), bracket, [&] { LoadScanGroup(index, true, this); });
}

// ---- Editing memories and banks ----

void TScanBankMemoriesForm::SaveMemoryBitBtnClick()
{
    // Nothing is written before a memory has been shown: its bank and channel are not known.
    if (ScanBankLabel->text().isEmpty() || ScanChannelLabel->text().isEmpty()) {
        ShowMessageAtControl(
            QStringLiteral("No memory selected"), TMsgDlgType::mtError, MsgDlgBtn::mbOK, this, 0);
        return;
    }
    const char bank = ScanBankLabel->text().at(0).toLatin1();
    const int channel = StrToInt(ScanChannelLabel->text());
    const auto parsed = [](QLineEdit* edit, qint32 (*parse)(const QString&)) {
        try {
            return parse(edit->text());
        } catch (...) {
            edit->setFocus();
            QApplication::beep();
            throw;
        }
    };
    const qint32 frequency = parsed(ScanFrequencyLabeledEdit, &ParseMHzText);
    const qint32 step = parsed(ScanStepSizeLabeledEdit, &ParseKHzText);
    if (frequency < 1 || step < 1)
        return;
    TDBAOR8200& driver = Rx(Driver);
    TReceiverBracket bracket;
    bracket.Hourglass = false;
    RunInReceiverBracket(driver, bracket, [&] {
        const int mode = qMax(0, ScanRxModeComboBox->currentIndex());
        driver.WriteMemory(bank, channel, ScanPassIsOnCheckBox->isChecked(), frequency, step,
            ScanAutoModeIsOnCheckBox->isChecked(), AOR8200RxModeType(mode),
            ScanAttenuatorIsOnCheckBox->isChecked(), ScanTextLabeledEdit->text());
        RefreshScanMemoryData(bank, channel, true);
        MemoryDeleteBitBtn->setEnabled(true);
    });
}

void TScanBankMemoriesForm::MemoryDeleteBitBtnClick()
{
    if (ScanMemoriesRadioGroup->itemIndex() < 0 || ScanBankLabel->text().isEmpty()
        || ScanChannelLabel->text().isEmpty()) {
        ShowMessageAtControl(
            QStringLiteral("No memory selected"), TMsgDlgType::mtError, MsgDlgBtn::mbOK, this, 0);
        return;
    }
    if (ShowMessageAtControl(QStringLiteral("Are You sure?"), TMsgDlgType::mtConfirmation,
            MsgDlgBtn::mbOK | MsgDlgBtn::mbCancel, this, 0)
        != mrOk)
        return;
    const char bank = ScanBankLabel->text().at(0).toLatin1();
    const int channel = StrToInt(ScanChannelLabel->text());
    TDBAOR8200& driver = Rx(Driver);
    RunInReceiverBracket(driver, TReceiverBracket(), [&] {
        driver.DeleteMemory(bank, channel);
        RefreshScanMemoryData(bank, channel, true);
        MemoryDeleteBitBtn->setEnabled(false);
    });
}

void TScanBankMemoriesForm::SeScanBankTextBitBtnClick()
{
    THourglass hourglass;
    const char bank = SelectedBank();
    if (!bank) {
        ShowMessageAtControl(
            QStringLiteral("No scan bank selected"), TMsgDlgType::mtError, MsgDlgBtn::mbOK, this, 0);
        return;
    }
    TDBAOR8200& driver = Rx(Driver);
    TReceiverBracket bracket;
    bracket.Hourglass = false;
    RunInReceiverBracket(driver, bracket, [&] {
        const QString text = ScanBankTextLabeledEdit->text();
        driver.SetScanBankText(bank, text);
        ScanBanksRadioGroup->button(ScanBanksRadioGroup->itemIndex())
            ->setText(QLatin1Char(bank) + QStringLiteral(" ") + text);
    });
}

void TScanBankMemoriesForm::DeleteBankBitBtnClick()
{
    const char bank = SelectedBank();
    if (!bank) {
        ShowMessageAtControl(
            QStringLiteral("Please select bank"), TMsgDlgType::mtInformation, MsgDlgBtn::mbOK, this, 0);
        return;
    }
    if (ShowMessageAtControl(QStringLiteral("This will clear the ENTIRE bank"), TMsgDlgType::mtConfirmation,
            MsgDlgBtn::mbOK | MsgDlgBtn::mbCancel, this, 0)
        != mrOk)
        return;
    TDBAOR8200& driver = Rx(Driver);
    TReceiverBracket bracket;
    bracket.Hourglass = false;
    RunInReceiverBracket(driver, bracket, [&] {
        driver.DeleteCurrentBank(bank);
        ScanBanksRadioGroupClick();
    });
}

// ---- Group settings: each change goes to the receiver at once ----

void TScanBankMemoriesForm::CheckBox1Click()
{
    THourglass hourglass;
    BankLetterSet linked;
    for (QCheckBox* box : std::as_const(GroupCheckBoxes)) {
        if (box->isChecked() && box->text().size() == 1)
            linked.Include(box->text().at(0).toLatin1());
    }
    Rx(Driver).SetScanBankLinkGroup(linked);
}

void TScanBankMemoriesForm::ScanAudioScrollBarChange()
{
    Rx(Driver).SetAudioScanSetting(std::uint8_t(ScanAudioScrollBar->value()));
    ShowScrollBarValue(ScanAudioScrollBar, ScanAudioSquelchLabel, QStringLiteral("AudioSquelch"));
}

void TScanBankMemoriesForm::ScanLevelScrollBarChange()
{
    Rx(Driver).SetLevelScanSetting(std::uint8_t(ScanLevelScrollBar->value()));
    ShowScrollBarValue(ScanLevelScrollBar, ScanLevelSquelchLabel, QStringLiteral("LevelSquelch"));
}

void TScanBankMemoriesForm::ScanDelaySpinEditChange()
{
    Rx(Driver).SetScanDelayDeciSecs(std::uint8_t(ScanDelaySpinEdit->value()));
}

void TScanBankMemoriesForm::ScanPauseSpinEditChange()
{
    Rx(Driver).SetScanPauseSecs(std::uint8_t(ScanPauseSpinEdit->value()));
}

// ---- Sorting a bank ----

void TScanBankMemoriesForm::SortBankBitBtnClick()
{
    if (const char bank = SelectedBank())
        SortMemoryBank(bank);
}

void TScanBankMemoriesForm::SortMemoryBank(char bank)
{
    TDBAOR8200& driver = Rx(Driver);
    TReceiverBracket bracket;
    bracket.UseDatabaseCopy = false;
    bracket.ProgressOver = this;
    bracket.Status = QStringLiteral("Sorting Bank ") + QLatin1Char(bank);
    const bool useDatabaseCopy = driver.UseDatabaseCopy;
    RunInReceiverBracket(driver, bracket, [&] {
        RunThenAlways(
            [&] {
                Tables().EmptyScanBankMemories(bank);
                const int size = driver.GetScanBankSize(bank);
                for (int channel = 0; channel < size; ++channel) {
                    ShowProgressStatus(QStringLiteral("Checking ") + MemoryName(bank, channel));
                    MemoryChannelRecord record;
                    driver.ReadMemoryRecord(bank, channel, record);
                    ShowProgress(0, size - 1, channel);
                }
                // From here on the copy answers the reads: it was refreshed just now.
                driver.UseDatabaseCopy = true;
                int attempts = 1;
                int firstUnwritten = 0;
                SortWritingPass(bank, size, attempts, firstUnwritten);
                SortClearingPass(bank, size, firstUnwritten, attempts);
            },
            [&](bool) {
                CloseMemoriesQuery();
                driver.UseDatabaseCopy = useDatabaseCopy;
                LoadScanBankMemories(bank, this);
            });
    });
}

void TScanBankMemoriesForm::SortWritingPass(char bank, int size, int& attempts, int& firstUnwritten)
{
    TDBAOR8200& driver = Rx(Driver);
    const std::vector<MemoryChannelRecord> rows
        = OpenMemoriesQuery(QStringLiteral("Select * from AOR8200MemoriesTable_ where MemoryBank=")
            + QString::number(int(std::uint8_t(bank))) + QStringLiteral(" Order By MemoryFrequency"));
    int target = 0;
    for (const MemoryChannelRecord& row : rows) {
        bool done = row.IsEmpty;
        while (!done && attempts <= SortAttemptLimit) {
            try {
                ShowProgressStatus(QStringLiteral("Sorting Bank ") + MemoryName(bank, target)
                    + QStringLiteral("  ") + FormatFrequency(row.Frequency, 0) + QStringLiteral("   Attempt ")
                    + QString::number(attempts) + QStringLiteral("/") + QString::number(SortAttemptLimit));
                MemoryChannelRecord current;
                driver.ReadMemoryRecord(bank, target, current);
                MemoryChannelRecord wanted = row;
                wanted.Bank = bank;
                wanted.Channel = target;
                if (!(wanted == current))
                    WriteRecord(driver, bank, target, wanted);
                ShowProgress(0, size - 1, target);
                PauseMs(200);
                ++target;
                done = true;
            } catch (const std::exception& e) {
                LogError(ClassName + QStringLiteral(".SortMemoryBank, AOR8200.WriteMemory ") + MessageOf(e));
                ++attempts;
                QApplication::beep();
                PauseMs(500);
            }
        }
        PauseMs(150);
    }
    firstUnwritten = target;
}

void TScanBankMemoriesForm::SortClearingPass(char bank, int size, int firstUnwritten, int& attempts)
{
    TDBAOR8200& driver = Rx(Driver);
    for (int channel = firstUnwritten; channel < size; ++channel) {
        for (;;) {
            try {
                ShowProgressStatus(QStringLiteral("Sorting Bank ") + MemoryName(bank, channel)
                    + QStringLiteral("   Attempt ") + QString::number(attempts) + QStringLiteral("/")
                    + QString::number(SortAttemptLimit));
                MemoryChannelRecord current;
                driver.ReadMemoryRecord(bank, channel, current);
                if (!current.IsEmpty)
                    driver.DeleteMemory(bank, channel);
                ShowProgress(0, size - 1, channel);
                break;
            } catch (const std::exception& e) {
                LogError(ClassName + QStringLiteral(".SortMemoryBank ") + MessageOf(e));
                if (++attempts > SortAttemptLimit)
                    break;
            }
        }
    }
}

// ---- Changing the size of a bank pair ----

void TScanBankMemoriesForm::SetScanBankSizeClick()
{
    const char selected = SelectedBank();
    if (!selected) {
        ShowMessageAtControl(
            QStringLiteral("Please select bank"), TMsgDlgType::mtInformation, MsgDlgBtn::mbOK, this, 0);
        return;
    }
    if (ShowMessageAtControl(QStringLiteral("This will take a long time"), TMsgDlgType::mtConfirmation,
            MsgDlgBtn::mbOK | MsgDlgBtn::mbCancel, this, 0)
        != mrOk)
        return;
    TDBAOR8200& driver = Rx(Driver);
    const char upper = QChar(QLatin1Char(selected)).toUpper().toLatin1();
    const char lower = char(upper + 32);
    TReceiverBracket bracket;
    bracket.UseDatabaseCopy = false;
    bracket.ProgressOver = this;
    bracket.Status = QStringLiteral("ScanBankSize");
    const bool useDatabaseCopy = driver.UseDatabaseCopy;
    RunInReceiverBracket(driver, bracket, [&] {
        RunThenAlways(
            [&] {
                Tables().EmptyScanBankMemories(lower);
                Tables().EmptyScanBankMemories(upper);
                int sizes[2] = {0, 0};
                for (const int half : {0, 1}) {
                    const char bank = half == 0 ? upper : lower;
                    sizes[half] = driver.GetScanBankSize(bank);
                    for (int channel = 0; channel < sizes[half]; ++channel) {
                        ShowProgressStatus(QStringLiteral("Checking Memory ") + MemoryName(bank, channel));
                        MemoryChannelRecord record;
                        driver.ReadMemoryRecord(bank, channel, record);
                        ShowProgress(0, sizes[half] - 1, channel);
                    }
                }
                // Only the channels inside the two banks count: rows beyond a bank's size are left from an
                // earlier size and hold nothing (a second size change would otherwise always fail).
                const std::vector<MemoryChannelRecord> rows = OpenMemoriesQuery(QStringLiteral(
                    "select * from AOR8200MemoriesTable_ where (MemoryBank=%1 and MemoryChannel<%2)"
                    " or (MemoryBank=%3 and MemoryChannel<%4) order by MemoryBank,MemoryChannel")
                                                                                    .arg(int(upper))
                                                                                    .arg(sizes[0])
                                                                                    .arg(int(lower))
                                                                                    .arg(sizes[1]));
                if (rows.size() != 100)
                    throw EDatabaseError(
                        QStringLiteral("Unexpected DataModule1.AOR8200MemoriesQuery_.RecordCount ")
                        + QString::number(rows.size()));
                try {
                    driver.SetScanBankSize(selected, ScanBankSizeSpinEdit->value());
                } catch (const std::exception& e) {
                    LogError(ClassName + QStringLiteral(".SetScanBankSizeClick ") + MessageOf(e));
                }
                if (ShowMessageAtControl(
                        QStringLiteral("Wait for the radio to finish sorting memories\rand then click Ok"),
                        TMsgDlgType::mtConfirmation, MsgDlgBtn::mbOK, this, 0)
                    != mrOk)
                    return;
                std::size_t next = 0;
                for (const char target : {upper, lower}) {
                    const int size = driver.GetScanBankSize(target);
                    for (int channel = 0; next < rows.size() && channel < size; ++channel, ++next)
                        RewriteChannel(target, channel, size, rows[next]);
                }
            },
            [&](bool failed) {
                CloseMemoriesQuery();
                driver.UseDatabaseCopy = useDatabaseCopy;
                if (!failed)
                    ScanBanksRadioGroupClick();
            });
    });
}

void TScanBankMemoriesForm::RewriteChannel(char bank, int channel, int size, const MemoryChannelRecord& row)
{
    TDBAOR8200& driver = Rx(Driver);
    for (int attempt = 1; attempt <= RewriteAttemptLimit; ++attempt) {
        PauseMs(50);
        try {
            ShowProgressStatus(QStringLiteral("Writing Memory ") + MemoryName(bank, channel));
            MemoryChannelRecord current;
            driver.ReadMemoryRecord(bank, channel, current);
            ShowProgress(0, size - 1, channel);
            if (row.IsEmpty)
                driver.DeleteMemory(bank, channel);
            else
                WriteRecord(driver, bank, channel, row);
            return;
        } catch (const std::exception& e) {
            LogError(QStringLiteral("SetScanBankSizeClick Attempts") + QString::number(attempt)
                + QStringLiteral("  ") + MessageOf(e));
        }
    }
}

// ---- Retrieval and the duplicate check ----

void TScanBankMemoriesForm::RetrieveScanBanksFromRadio(QWidget* owner)
{
    if (!Driver || Driver->GetCommPortNumber() == 0) {
        ShowMessageAtControl(QStringLiteral("No comm port"), TMsgDlgType::mtError, MsgDlgBtn::mbOK, owner, 0);
        return;
    }
    TDBAOR8200& driver = *Driver;
    RunInReceiverBracket(driver, TReceiverBracket(), [&] {
        const int memoryIndex = ScanMemoriesRadioGroup->itemIndex();
        const int bankIndex = ScanBanksRadioGroup->itemIndex();
        int groupIndex = -1;
        std::exception_ptr failure;
        try {
            EmptyCopyTable(QStringLiteral("AOR8200ScanBanksTable_"));
            LoadScanBanks(false, owner);
            EmptyCopyTable(QStringLiteral("AOR8200MemoriesTable_"));
            for (int item = 0; item < 20; ++item) {
                SetRadioGroupSilently(ScanBanksRadioGroup, item);
                LoadScanBankMemories(ScanBankLetters[item], owner);
            }
            EmptyCopyTable(QStringLiteral("ScanGroupTable_"));
            groupIndex = ScanGroupIndexRadioGroup->itemIndex();
            for (int index = 0; index <= 9; ++index) {
                driver.SetScanGroupIndex(std::uint8_t(index));
                SetRadioGroupSilently(ScanGroupIndexRadioGroup, index);
                LoadScanGroup(index, false, owner);
            }
        } catch (...) {
            failure = std::current_exception();
        }
        // Each selection comes back also after a failure; a failure here goes on only when none came before.
        const auto restore = [&](const std::function<void()>& step) {
            try {
                step();
            } catch (...) {
                if (!failure)
                    failure = std::current_exception();
            }
        };
        restore([&] {
            if (groupIndex >= 0 && groupIndex < ScanGroupIndexRadioGroup->count())
                ScanGroupIndexRadioGroup->setItemIndex(groupIndex);
        });
        restore([&] {
            if (bankIndex >= 0 && ScanBanksRadioGroup->itemIndex() > bankIndex)
                ScanBanksRadioGroup->setItemIndex(bankIndex);
        });
        restore([&] {
            if (memoryIndex >= 0 && memoryIndex < ScanMemoriesRadioGroup->count())
                ScanMemoriesRadioGroup->setItemIndex(memoryIndex);
        });
        if (failure)
            std::rethrow_exception(failure);
    });
}

void TScanBankMemoriesForm::CheckForDuplicateScanMemories(QWidget* owner)
{
    TDBAOR8200& driver = Rx(Driver);
    TReceiverBracket bracket;
    bracket.ProgressOver = owner;
    RunInReceiverBracket(driver, bracket, [&] {
        std::vector<MemoryChannelRecord> memories;
        for (const char bank : std::string_view(ScanBankLetters)) {
            const int size = driver.GetScanBankSize(bank);
            for (int channel = 0; channel < size; ++channel) {
                ShowProgressStatus(QStringLiteral("Retrieving ") + MemoryName(bank, channel));
                MemoryChannelRecord record;
                driver.ReadMemoryRecord(bank, channel, record);
                if (!record.IsEmpty)
                    memories.push_back(record);
            }
        }
        ShowMessageAtControl(DuplicateScanMemoryLines(memories).join(QLatin1Char('\n')),
            TMsgDlgType::mtCustom, MsgDlgBtn::mbOK, owner, 0);
    });
}
