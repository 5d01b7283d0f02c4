#include "tables/FrequencyLookupFormUnit.h"

#include "app/DataModuleUnit.h"
#include "app/EventLogUnit.h"
#include "app/FormLocationUnit.h"
#include "monitor/FrequencyTextUnit.h"
#include "monitor/MainFormUnit.h"
#include "receiver/DBAOR8200Unit.h"
#include "support/QuonMessageDlgUnit.h"
#include "tables/CsvExchangeUnit.h"
#include "tables/LookupTableModelsUnit.h"
#include "tables/ScanBankMemoriesFormUnit.h"
#include "tables/SpecialFrequenciesAttributesFormUnit.h"
#include "tables/SpecialFrequenciesFormUnit.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QTableView>
#include <QThread>
#include <QVBoxLayout>

TFrequencyLookupForm* FrequencyLookupForm = nullptr;

namespace {

const QString LogName = QStringLiteral("TFrequencyLookupForm");
constexpr int WriteAttempts = 21;

TDataModule1& Tables(TDataModule1* dataModule)
{
    if (!dataModule)
        throw EDatabaseError(QStringLiteral("no data module"));
    return *dataModule;
}

void LogFailure(const QString& operation, const QString& message)
{
    AddToEventLog(LogName + u'.' + operation + u' ' + message, clRed, true);
}

void DrawCellText(
    QPainter* painter, const QStyleOptionViewItem& option, const QString& text, const QColor& colour)
{
    painter->save();
    painter->setClipRect(option.rect); // a narrow column cuts the text, as the grid's own cells do
    painter->setFont(option.font);
    painter->setPen(colour);
    const QFontMetrics metrics(option.font);
    const QRect rect = option.rect;
    painter->drawText(
        rect.left() + 2, rect.top() + (rect.height() - metrics.height()) / 2 + metrics.ascent(), text);
    painter->restore();
}

class THourglass {
public:
    THourglass() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~THourglass() { QApplication::restoreOverrideCursor(); }
    THourglass(const THourglass&) = delete;
    THourglass& operator=(const THourglass&) = delete;
};

// The copy's bracket: hourglass and squelch reports off for the whole series of receiver commands, both put
// back afterwards, also when the series fails (that failure then goes on, not one of putting back).
void RunWithReportsOff(TDBAOR8200& driver, const std::function<void()>& body)
{
    THourglass hourglass;
    const auto reporting = std::uint8_t(driver.GetSquelchReporting());
    driver.SetSquelchReporting(0);
    try {
        body();
    } catch (...) {
        try {
            driver.SetSquelchReporting(reporting);
        } catch (...) {
        }
        throw;
    }
    driver.SetSquelchReporting(reporting);
}

} // namespace

// ---------------------------------------------------------------------------------------------------------------
// Creation

TFrequencyLookupForm::TFrequencyLookupForm(TDBAOR8200* driver, TDataModule1* dataModule, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , Driver(driver)
    , DataModule(dataModule ? dataModule : DataModule1)
{
    setObjectName(QStringLiteral("FrequencyLookupForm"));
    setWindowTitle(QStringLiteral("FrequencyLookup"));
    FModel = FrequencyLookupTableModel(Tables(DataModule));
    ShowScanBank = [](char bank) {
        if (ScanBankMemoriesForm)
            ScanBankMemoriesForm->ShowBank(bank);
    };
    Pause = [](int milliseconds) { QThread::msleep(static_cast<unsigned long>(milliseconds)); };
    CreateActions();
    CreateControls();
    resize(658, 415);
    if (!FrequencyLookupForm)
        FrequencyLookupForm = this;
}

TFrequencyLookupForm::~TFrequencyLookupForm()
{
    StoreFormLocation(this);
    if (FrequencyLookupForm == this)
        FrequencyLookupForm = nullptr;
}

void TFrequencyLookupForm::CreateActions()
{
    auto makeAction = [this](const char* name, const char* caption, void (TFrequencyLookupForm::*execute)()) {
        auto* action = new QAction(QString::fromLatin1(caption), this);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, execute);
        return action;
    };
    SetVFOAction = makeAction("SetVFOAction", "SetVFO", &TFrequencyLookupForm::SetVFOActionExecute);
    SelectionToScanBankAction = makeAction("SelectionToScanBankAction", "SelectionToScanBank",
        &TFrequencyLookupForm::SelectionToScanBankActionExecute);
    SelectionToSpecialFrequenciesAction = makeAction("SelectionToSpecialFrequenciesAction",
        "SelectionToSpecialFrequencies", &TFrequencyLookupForm::SelectionToSpecialFrequenciesActionExecute);
    ImportCsvAction = makeAction(
        "ImportCsvAction", "Import Frequency Lookup (CSV)...", &TFrequencyLookupForm::ImportCsvActionExecute);
    ExportCsvAction = makeAction(
        "ExportCsvAction", "Export Frequency Lookup (CSV)...", &TFrequencyLookupForm::ExportCsvActionExecute);

    // Window creation steps 1 and 2: the mode names, each a pop-up item tagged with its ordinal.
    RxModePopupMenu = new QMenu(this);
    RxModePopupMenu->setObjectName(QStringLiteral("RxModePopupMenu"));
    QStringList modes;
    FillReceiveModeList(&modes);
    for (int mode = 0; mode < modes.size(); ++mode)
        RxModePopupMenu->addAction(modes[mode])->setData(mode);
    connect(RxModePopupMenu, &QMenu::triggered, this, &TFrequencyLookupForm::RxModePopupItemClick);
}

void TFrequencyLookupForm::CreateControls()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    FrequencyLookupQuery_DBGrid = new QTableView(this);
    FrequencyLookupQuery_DBGrid->setObjectName(QStringLiteral("FrequencyLookupQuery_DBGrid"));
    SetUpLookupGrid(FrequencyLookupQuery_DBGrid, FModel, LogName);
    FrequencyLookupQuery_DBGrid->setItemDelegate(new TLookupGridDelegate(
        FrequencyLookupQuery_DBGrid, FModel,
        [this](QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) {
            return FrequencyLookupQuery_DBGridDrawColumnCell(painter, option, index);
        },
        QStringLiteral("RxMode"),
        [this](const QPoint& where) { FrequencyLookupQuery_DBGridEditButtonClick(where); }));
    FrequencyLookupQuery_DBGrid->setColumnWidth(FModel->FieldIndex(QStringLiteral("Frequency")), 97);
    FrequencyLookupQuery_DBGrid->horizontalHeader()->setStretchLastSection(true);
    connect(FrequencyLookupQuery_DBGrid->horizontalHeader(), &QHeaderView::sectionClicked, this,
        &TFrequencyLookupForm::FrequencyLookupQuery_DBGridTitleClick);
    auto* separator = new QAction(this);
    separator->setSeparator(true);
    FrequencyLookupQuery_DBGrid->addActions({separator, ImportCsvAction, ExportCsvAction});
    layout->addWidget(FrequencyLookupQuery_DBGrid, 1);

    BottomPanel = new QWidget(this);
    BottomPanel->setObjectName(QStringLiteral("BottomPanel"));
    BottomPanel->setFixedHeight(52);
    auto* row = new QHBoxLayout(BottomPanel);
    row->setContentsMargins(8, 4, 8, 4);
    ScanBankComboBox = new QComboBox(BottomPanel);
    ScanBankComboBox->setObjectName(QStringLiteral("ScanBankComboBox"));
    for (const char* letter = ScanBankLetters; *letter; ++letter)
        ScanBankComboBox->addItem(QString(QLatin1Char(*letter)));
    ScanBankComboBox->setCurrentIndex(-1);
    ScanBankComboBox->setPlaceholderText(QStringLiteral("Bank"));
    row->addWidget(ScanBankComboBox);
    auto makeButton = [this, row](const char* name, QAction* action) {
        auto* button = new QPushButton(action->text(), BottomPanel);
        button->setObjectName(QString::fromLatin1(name));
        connect(button, &QPushButton::clicked, action, &QAction::trigger);
        row->addWidget(button);
        return button;
    };
    SelectionToScanBankBitBtn = makeButton("SelectionToScanBankBitBtn", SelectionToScanBankAction);
    SelectionToSpecialFrequenciesBitBtn
        = makeButton("SelectionToSpecialFrequenciesBitBtn", SelectionToSpecialFrequenciesAction);
    SetVFOBitBtn = makeButton("SetVFOBitBtn", SetVFOAction);
    FilterLabel = new QLabel(QStringLiteral("Filter"), BottomPanel);
    FilterLabel->setObjectName(QStringLiteral("FilterLabel"));
    FilterEdit = new QLineEdit(BottomPanel);
    FilterEdit->setObjectName(QStringLiteral("FilterEdit"));
    FilterLabel->setBuddy(FilterEdit);
    connect(FilterEdit, &QLineEdit::textChanged, this, &TFrequencyLookupForm::FilterEditChange);
    row->addWidget(FilterLabel);
    row->addWidget(FilterEdit, 1);
    layout->addWidget(BottomPanel);
}

void TFrequencyLookupForm::showEvent(QShowEvent* event)
{
    if (!FirstShowDone) {
        FirstShowDone = true;
        RestoreFormLocation(this);
    }
    QWidget::showEvent(event);
}

TSpecialFrequencyAttributesForm* TFrequencyLookupForm::AttributesForm()
{
    if (SpecialFrequencyAttributesForm)
        return SpecialFrequencyAttributesForm;
    if (!OwnAttributesForm)
        OwnAttributesForm = new TSpecialFrequencyAttributesForm(this);
    return OwnAttributesForm;
}

TDBAOR8200& TFrequencyLookupForm::Rx() const
{
    if (Driver)
        return *Driver;
    if (VarnockMainForm && VarnockMainForm->Driver)
        return *VarnockMainForm->Driver;
    throw EAOR8200(QStringLiteral("No receiver driver"));
}

QWidget* TFrequencyLookupForm::MessageOwner()
{
    return isVisible() ? this : nullptr;
}

// ---------------------------------------------------------------------------------------------------------------
// Grid

bool TFrequencyLookupForm::FrequencyLookupQuery_DBGridDrawColumnCell(
    QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index)
{
    const QString field = FModel->FieldName(index.column());
    const QVariant value = index.data(Qt::EditRole);
    const bool selected = option.state & QStyle::State_Selected;
    const QColor textColour = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    try {
        if (field == QLatin1String("Frequency")) {
            const auto frequency = std::int32_t(value.toLongLong());
            QColor colour = textColour;
            TColor special = clBlack;
            bool readOnly = false, hold = false, switchOn = false;
            if (DataModule
                && DataModule->GetSpecialFrequencyAttributes(frequency, special, readOnly, hold, switchOn))
                colour = QColor(RedOf(special), GreenOf(special), BlueOf(special));
            DrawCellText(painter, option, FormatFrequency(frequency), colour);
            return true;
        }
        if (field == QLatin1String("RxMode")) {
            bool ok = false;
            const int mode = value.toInt(&ok);
            if (!ok || mode < 0 || mode >= AOR8200RxModeCount)
                throw EConvertError(QStringLiteral("Receive mode %1 is not a mode of the receiver (0 to %2)")
                                        .arg(value.toString())
                                        .arg(AOR8200RxModeCount - 1)
                                        .toStdString());
            DrawCellText(painter, option, RxModeName(AOR8200RxModeType(mode)), textColour);
            return true;
        }
        return false;
    } catch (const std::exception& error) {
        // An error cell, logged once for each bad value rather than at every repaint.
        painter->fillRect(option.rect.adjusted(1, 1, -1, -1), QColor(255, 200, 200));
        DrawCellText(painter, option, value.toString() + QStringLiteral(" ?"), Qt::red);
        const QString message = QString::fromUtf8(error.what());
        if (!LoggedDrawFailures.contains(message)) {
            LoggedDrawFailures.insert(message);
            LogFailure(QStringLiteral("FrequencyLookupQuery_DBGridDrawColumnCell"), message);
        }
        return true;
    }
}

void TFrequencyLookupForm::FrequencyLookupQuery_DBGridEditButtonClick(const QPoint& globalPosition)
{
    if (FModel->FieldName(FrequencyLookupQuery_DBGrid->currentIndex().column()) == QLatin1String("RxMode"))
        RxModePopupMenu->popup(globalPosition);
}

void TFrequencyLookupForm::RxModePopupItemClick(QAction* item)
{
    const QModelIndex current = FrequencyLookupQuery_DBGrid->currentIndex();
    if (!current.isValid() || !item)
        return;
    FModel->setData(FModel->index(current.row(), FModel->FieldIndex(QStringLiteral("RxMode"))),
        item->data().toInt(), Qt::EditRole);
}

void TFrequencyLookupForm::FilterEditChange()
{
    FModel->SaveOrReport();
    FModel->SetFilterText(FilterEdit->text());
    LoggedDrawFailures.clear();
}

void TFrequencyLookupForm::FrequencyLookupQuery_DBGridTitleClick(int column)
{
    const QString field = FModel->FieldName(column);
    if (field.isEmpty() || !FModel->SaveOrReport())
        return;
    FModel->OrderBy(field);
}

// ---------------------------------------------------------------------------------------------------------------
// Commands

void TFrequencyLookupForm::SetVFOActionExecute()
{
    const QModelIndex current = FrequencyLookupQuery_DBGrid->currentIndex();
    if (!current.isValid())
        return;
    const QVariant frequency
        = FModel->index(current.row(), FModel->FieldIndex(QStringLiteral("Frequency"))).data(Qt::EditRole);
    if (!frequency.isNull())
        Rx().SetVFOFrequency(std::int32_t(frequency.toLongLong()));
}

void TFrequencyLookupForm::SelectionToSpecialFrequenciesActionExecute()
{
    const QList<int> rows = SelectedGridRows(FrequencyLookupQuery_DBGrid);
    if (rows.isEmpty())
        return;
    std::int32_t frequency = 0;
    TColor colour = RGBColour(128, 128, 128);
    bool readOnly = false, hold = false, switchOn = false;
    if (!AttributesForm()->EditSpecialFrequencyAttributes(
            frequency, colour, readOnly, hold, switchOn, false, false, this))
        return;
    const int frequencyColumn = FModel->FieldIndex(QStringLiteral("Frequency"));
    for (const int row : rows) {
        try {
            const QVariant value = FModel->index(row, frequencyColumn).data(Qt::EditRole);
            if (value.isNull())
                throw EDatabaseError(QStringLiteral("row %1 has no frequency").arg(row + 1));
            WriteSpecialFrequency(
                Tables(DataModule), std::int32_t(value.toLongLong()), colour, readOnly, hold, switchOn);
            if (SpecialFrequenciesForm)
                SpecialFrequenciesForm->Refresh();
        } catch (const std::exception& error) {
            LogFailure(QStringLiteral("SelectionToSpecialFrequenciesActionExecute"),
                QString::fromUtf8(error.what()));
        }
    }
    FrequencyLookupQuery_DBGrid->viewport()->update();
}

void TFrequencyLookupForm::SelectionToScanBankActionExecute()
{
    if (ScanBankComboBox->currentIndex() < 0) {
        ShowMessageAtControl(QStringLiteral("No Scan Bank Selected"), TMsgDlgType::mtError, MsgDlgBtn::mbOK,
            MessageOwner(), 0);
        ScanBankComboBox->setFocus();
        return;
    }
    const char bank = ScanBankComboBox->currentText().at(0).toLatin1();
    if (!FModel->SaveOrReport())
        return;
    const int frequencyColumn = FModel->FieldIndex(QStringLiteral("Frequency"));
    const int modeColumn = FModel->FieldIndex(QStringLiteral("RxMode"));
    const int commentColumn = FModel->FieldIndex(QStringLiteral("ShortComment"));
    QList<TBankEntry> entries;
    for (const int row : SelectedGridRows(FrequencyLookupQuery_DBGrid)) {
        entries.push_back({std::int32_t(FModel->index(row, frequencyColumn).data(Qt::EditRole).toLongLong()),
            FModel->index(row, modeColumn).data(Qt::EditRole).toInt(),
            FModel->index(row, commentColumn).data(Qt::EditRole).toString()});
    }
    TDBAOR8200& driver = Rx();
    RunWithReportsOff(driver, [&] { CopyToScanBank(driver, bank, entries); });
    if (ShowScanBank)
        ShowScanBank(bank);
}

// Each entry goes into the next empty channel; the channel just written is found used by the next entry's
// search, which moves past it.
void TFrequencyLookupForm::CopyToScanBank(TDBAOR8200& driver, char bank, const QList<TBankEntry>& entries)
{
    const int size = driver.GetScanBankSize(bank);
    int channel = 0;
    for (const TBankEntry& entry : entries) {
        if (channel >= size)
            break;
        if (entry.Mode < 0 || entry.Mode >= AOR8200RxModeCount) {
            // Written to the receiver such a mode would be garbage; the entry is left out and said so.
            LogFailure(QStringLiteral("SelectionToScanBankActionExecute"),
                QStringLiteral("%1: receive mode %2 is not a mode of the receiver; not copied")
                    .arg(FormatFrequency(entry.Frequency).trimmed())
                    .arg(entry.Mode));
            continue;
        }
        bool isEmpty = false;
        do {
            bool passFlag = false, autoMode = false, attenuator = false;
            std::int32_t frequency = 0, stepSize = 0;
            AOR8200RxModeType mode = AOR8200RxModeWFM;
            QString text;
            driver.RecallMemory(
                bank, channel, isEmpty, passFlag, frequency, stepSize, autoMode, mode, attenuator, text);
            if (!isEmpty) {
                ++channel;
                Pause(100);
            }
        } while (!isEmpty && channel < size);
        if (isEmpty && channel < size) {
            for (int attempt = 1; attempt <= WriteAttempts; ++attempt) {
                try {
                    driver.WriteMemory(bank, channel, false, entry.Frequency, 1000, false,
                        AOR8200RxModeType(entry.Mode), false, entry.ShortComment);
                    break;
                } catch (const std::exception& error) {
                    LogFailure(QStringLiteral("SelectionToScanBankActionExecute"),
                        QStringLiteral("AOR8200.WriteMemory ") + QString::fromUtf8(error.what()));
                    Pause(200);
                }
            }
            Pause(100);
        }
        FrequencyLookupQuery_DBGrid->viewport()->repaint();
    }
}

// ---------------------------------------------------------------------------------------------------------------
// CSV exchange

void TFrequencyLookupForm::ImportCsv(const QString& path)
{
    if (!FModel->SaveOrReport())
        return;
    ReportCsvImport(MessageOwner(), QStringLiteral("Frequency lookup table"), path,
        [this, &path] { return ImportFrequencyLookupCsv(Tables(DataModule), ReadCsvFile(path)); });
    ReopenKeepingPlace(FrequencyLookupQuery_DBGrid, FModel);
}

void TFrequencyLookupForm::ExportCsv(const QString& path)
{
    ReportCsvExport(MessageOwner(), QStringLiteral("Frequency lookup table"), path,
        [this] { return FrequencyLookupCsv(Tables(DataModule)); });
}

void TFrequencyLookupForm::ImportCsvActionExecute()
{
    const QString path
        = ChooseCsvFile(MessageOwner(), false, QStringLiteral("Import frequency lookup table"));
    if (!path.isEmpty())
        ImportCsv(path);
}

void TFrequencyLookupForm::ExportCsvActionExecute()
{
    const QString path = ChooseCsvFile(MessageOwner(), true, QStringLiteral("Export frequency lookup table"));
    if (!path.isEmpty())
        ExportCsv(path);
}

void ExportFrequencyLogCsvActionExecute(QWidget* window)
{
    const QString path = ChooseCsvFile(window, true, QStringLiteral("Export frequency log"));
    if (path.isEmpty())
        return;
    ReportCsvExport(
        window, QStringLiteral("Frequency log"), path, [] { return FrequencyLogCsv(Tables(DataModule1)); });
}

QMenu* InstallCsvFileMenu(QMainWindow* mainWindow)
{
    auto* menu = new QMenu(QStringLiteral("File"), mainWindow);
    menu->setObjectName(QStringLiteral("File1"));
    auto* exportLog = menu->addAction(QStringLiteral("Export Frequency Log (CSV)..."));
    exportLog->setObjectName(QStringLiteral("ExportFrequencyLogCsvAction"));
    QObject::connect(exportLog, &QAction::triggered, mainWindow,
        [mainWindow] { ExportFrequencyLogCsvActionExecute(mainWindow); });
    if (FrequencyLookupForm) {
        menu->addSeparator();
        menu->addActions({FrequencyLookupForm->ImportCsvAction, FrequencyLookupForm->ExportCsvAction});
    }
    if (SpecialFrequenciesForm) {
        menu->addSeparator();
        menu->addActions({SpecialFrequenciesForm->ImportCsvAction, SpecialFrequenciesForm->ExportCsvAction});
    }
    QMenuBar* bar = mainWindow->menuBar();
    const QList<QAction*> menus = bar->actions();
    bar->insertMenu(menus.isEmpty() ? nullptr : menus.front(), menu);
    return menu;
}
