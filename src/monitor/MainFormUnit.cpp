#include "monitor/MainFormUnit.h"

#include "app/DataModuleUnit.h"
#include "app/EventLogFormUnit.h"
#include "app/EventLogUnit.h"
#include "app/FormLocationUnit.h"
#include "app/SplashFormUnit.h"
#include "app/VarnockApplicationUnit.h"
#include "monitor/FrequencyLogUnit.h"
#include "monitor/FrequencyTextUnit.h"
#include "monitor/HelpFormUnit.h"
#include "receiver/DBAOR8200Unit.h"
#include "receiver/FindAOR8200UiUnit.h"
#include "support/ImageListUnit.h"
#include "support/ProgramFilesUnit.h"
#include "support/QuonMessageDlgUnit.h"
#include "support/TQuonAnalogueClockUnit.h"
#include "support/VersionInfoUnit.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTime>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <map>

TVarnockMainForm* VarnockMainForm = nullptr;

namespace {

constexpr int ClockIntervalMs = 200;

QFont GridFont()
{
    QFont font(QStringLiteral("Courier New"), 8);
    font.setStyleHint(QFont::TypeWriter);
    font.setBold(true);
    return font;
}

void SetHelpContext(QObject* object, int helpContext)
{
    object->setProperty("helpContext", helpContext);
}

// The grid's cells: its own drawing, then the window's handler for the columns it draws itself.
class TFrequencyLogGridDelegate : public QStyledItemDelegate {
public:
    TFrequencyLogGridDelegate(TVarnockMainForm* form, QObject* parent)
        : QStyledItemDelegate(parent)
        , Form(form)
    {
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (FrequencyLogDrawnColumn(index) == TFrequencyLogColumn::Other) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        // The grid's own cell (background, selection, focus) without its text, then the window's text.
        QStyleOptionViewItem cell(option);
        initStyleOption(&cell, index);
        cell.text.clear();
        QStyle* style = cell.widget ? cell.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, cell.widget);
        Form->FrequencyLogDBGridDrawColumnCell(painter, cell, index);
    }

private:
    TVarnockMainForm* Form;
};

} // namespace

// ---------------------------------------------------------------------------------------------------------------
// Creation

TVarnockMainForm::TVarnockMainForm(QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("VarnockMainForm"));
    setWindowTitle(QStringLiteral("Varnock"));
    QFont font(QStringLiteral("MS Sans Serif"), 8);
    font.setStyleHint(QFont::SansSerif);
    setFont(font);
    resize(544, 570);
    VarnockMainForm = this;
    CreateActions();
    CreateMenus();
    CreateLayout();
    FormCreate();
}

TVarnockMainForm::~TVarnockMainForm()
{
    // The driver first: its threads may still report to this window until it has stopped them.
    Driver.reset();
    if (SplashForm)
        SplashForm->OnRefresh = nullptr;
    if (VarnockMainForm == this)
        VarnockMainForm = nullptr;
}

QAction* TVarnockMainForm::MakeAction(const char* name, const char* caption, int imageIndex, int helpContext,
    void (TVarnockMainForm::*execute)())
{
    auto* action = new QAction(QString::fromLatin1(caption), this);
    action->setObjectName(QString::fromLatin1(name));
    action->setProperty("imageIndex", imageIndex);
    SetHelpContext(action, helpContext);
    if (imageIndex >= 0)
        action->setIcon(ImageListIcon(imageIndex));
    connect(action, &QAction::triggered, this, execute);
    return action;
}

void TVarnockMainForm::CreateActions()
{
    using F = TVarnockMainForm;
    constexpr int none = -1, noHelp = 0;
    AudioOffAction = MakeAction("AudioOffAction", "Audio Off", 0, noHelp, &F::AudioOffActionExecute);
    AudioOnAction = MakeAction("AudioOnAction", "Audio On", 1, noHelp, &F::AudioOnActionExecute);
    AudioToggleAction = MakeAction("AudioToggleAction", "Audio", 0, 10053, &F::AudioToggleActionExecute);
    AudioToggleAction->setCheckable(true);
    SquelchRecordAction
        = MakeAction("SquelchRecordAction", "Record", 23, 10054, &F::SquelchRecordActionExecute);
    SquelchRecordAction->setCheckable(true);
    RetrieveSearchFromRadioAction = MakeAction("RetrieveSearchFromRadioAction", "RetrieveSearchFromRadio",
        none, 10018, &F::RetrieveSearchFromRadioActionExecute);
    RetrieveScanFromRadioAction = MakeAction("RetrieveScanFromRadioAction", "RetrieveScanFromRadio", none,
        10019, &F::RetrieveScanFromRadioActionExecute);
    RetrieveAllInfoFromRadioAction = MakeAction("RetrieveAllInfoFromRadioAction", "RetrieveAllInfoFromRadio",
        none, 10020, &F::RetrieveAllInfoFromRadioActionExecute);
    ClearFrequencyLogAction = MakeAction(
        "ClearFrequencyLogAction", "Clear Frequency Log", 2, 10049, &F::ClearFrequencyLogActionExecute);
    AOR8200LeftAction = MakeAction("AOR8200LeftAction", "", 4, 10051, &F::AOR8200LeftActionExecute);
    AOR8200RightAction = MakeAction("AOR8200RightAction", "", 6, 10051, &F::AOR8200RightActionExecute);
    AOR8200UpAction = MakeAction("AOR8200UpAction", "", 8, 10051, &F::AOR8200UpActionExecute);
    AOR8200DownAction = MakeAction("AOR8200DownAction", "", 10, 10051, &F::AOR8200DownActionExecute);
    AOR8200SearchAction
        = MakeAction("AOR8200SearchAction", "Search", 14, 10021, &F::AOR8200SearchActionExecute);
    AOR8200ScanAction = MakeAction("AOR8200ScanAction", "Scan", 12, 10022, &F::AOR8200ScanActionExecute);
    Radio_SearchBanks_Action = MakeAction(
        "Radio_SearchBanks_Action", "Search Banks", none, 10023, &F::Radio_SearchBanks_ActionExecute);
    Radio_ScanBanks_Action
        = MakeAction("Radio_ScanBanks_Action", "Scan Banks", 14, 10024, &F::Radio_ScanBanks_ActionExecute);
    PlayWavesAction = MakeAction("PlayWavesAction", "PlayWaves", 1, 10043, &F::PlayWavesActionExecute);
    PlayWavesAction->setCheckable(true); // group 1: a toggle
    PlayWavesAction->setProperty("Tag", 0);
    DeletePlayedWavesAction = MakeAction(
        "DeletePlayedWavesAction", "DeletePlayedWaves", 20, 10047, &F::DeletePlayedWavesActionExecute);
    DeletePlayedWavesAction->setEnabled(false);
    SavePlayedWavesAction
        = MakeAction("SavePlayedWavesAction", "SavePlayedWaves", 18, 10048, &F::SavePlayedWavesActionExecute);
    SavePlayedWavesAction->setEnabled(false);
    PurgeDeletedWavesAction = MakeAction(
        "PurgeDeletedWavesAction", "PurgeDeletedWaves", 16, 10050, &F::PurgeDeletedWavesActionExecute);
    FindAOR8200Action
        = MakeAction("FindAOR8200Action", "FindAOR8200", none, 10017, &F::FindAOR8200ActionExecute);
    FrequencyLookupAction = MakeAction(
        "FrequencyLookupAction", "Frequency Lookup", none, noHelp, &F::FrequencyLookupActionExecute);
    SpecialFrequenciesAction = MakeAction(
        "SpecialFrequenciesAction", "SpecialFrequencies", none, noHelp, &F::SpecialFrequenciesActionExecute);
    CheckForDuplicateScanMemoriesAction = MakeAction("CheckForDuplicateScanMemoriesAction",
        "CheckForDuplicateScanMemories", none, 10025, &F::CheckForDuplicateScanMemoriesActionExecute);
    RecordOnAction = MakeAction("RecordOnAction", "RecordOnAction", none, noHelp, &F::RecordOnActionExecute);
    RecordOffAction
        = MakeAction("RecordOffAction", "RecordOffAction", none, noHelp, &F::RecordOffActionExecute);
    ShowHelpAction = MakeAction("ShowHelpAction", "ShowHelp", none, 10028, &F::ShowHelpActionExecute);
    EventLogShowAction
        = MakeAction("EventLogShowAction", "ShowEventLog", none, 10059, &F::EventLogShowActionExecute);
    EventLogClearAction
        = MakeAction("EventLogClearAction", "ClearEventLog", 2, 10060, &F::EventLogClearActionExecute);
    EventLogSaveAction
        = MakeAction("EventLogSaveAction", "SaveEventLog", 18, 10061, &F::EventLogSaveActionExecute);
    About1 = MakeAction("About1", "About", none, 10031, &F::About1Click);
}

void TVarnockMainForm::CreateMenus()
{
    auto addMenu = [this](const char* name, const char* title) {
        QMenu* menu = menuBar()->addMenu(QString::fromLatin1(title));
        menu->setObjectName(QString::fromLatin1(name));
        return menu;
    };
    OptionsMenu = addMenu("Options1", "Options");
    OptionsMenu->menuAction()->setVisible(false);

    RadioMenu = addMenu("Radio1", "Radio");
    RadioMenu->addActions({FindAOR8200Action, RetrieveSearchFromRadioAction, RetrieveScanFromRadioAction,
        RetrieveAllInfoFromRadioAction});
    RadioMenu->addSeparator();
    RadioMenu->addActions({AOR8200SearchAction, AOR8200ScanAction});
    RadioMenu->addSeparator();
    RadioMenu->addActions(
        {Radio_SearchBanks_Action, Radio_ScanBanks_Action, CheckForDuplicateScanMemoriesAction});

    FrequenciesMenu = addMenu("Frequencies1", "Frequencies");
    FrequenciesMenu->addActions({FrequencyLookupAction, SpecialFrequenciesAction});

    EventLogMenu = addMenu("EventLogMenu", "EventLog");
    EventLogMenu->addActions({EventLogShowAction, EventLogClearAction, EventLogSaveAction});

    HelpMenu = addMenu("Help1", "Help");
    HelpMenu->addActions({ShowHelpAction, About1});
}

QToolButton* TVarnockMainForm::MakeToolButton(const char* name, QAction* action)
{
    auto* button = new QToolButton;
    button->setObjectName(QString::fromLatin1(name));
    button->setDefaultAction(action);
    SetHelpContext(button, action->property("helpContext").toInt());
    return button;
}

namespace {
// A button carrying its own caption for an action (the playback panel's buttons).
QPushButton* MakeActionButton(const char* name, const char* caption, QAction* action, int helpContext)
{
    auto* button = new QPushButton(action->icon(), QString::fromLatin1(caption));
    button->setObjectName(QString::fromLatin1(name));
    button->setEnabled(action->isEnabled());
    button->setProperty("helpContext", helpContext);
    button->setToolTip(action->text());
    QObject::connect(button, &QPushButton::clicked, action, &QAction::trigger);
    QObject::connect(
        action, &QAction::changed, button, [button, action] { button->setEnabled(action->isEnabled()); });
    return button;
}
} // namespace

void TVarnockMainForm::CreateLayout()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("CentralWidget"));
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    FrequencyLogDBGrid = new QTableView;
    FrequencyLogDBGrid->setObjectName(QStringLiteral("FrequencyLogDBGrid"));
    FrequencyLogDBGrid->setFont(GridFont());
    FrequencyLogDBGrid->horizontalHeader()->setFont(GridFont());
    FrequencyLogDBGrid->verticalHeader()->setFont(GridFont());
    FrequencyLogDBGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FrequencyLogDBGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    FrequencyLogDBGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    FrequencyLogDBGrid->setShowGrid(true);
    FrequencyLogDBGrid->setWordWrap(false);
    FrequencyLogDBGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    FrequencyLogDBGrid->horizontalHeader()->setHighlightSections(false);
    FrequencyLogDBGrid->horizontalHeader()->setSectionsClickable(true);
    FrequencyLogDBGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    FrequencyLogDBGrid->verticalHeader()->setDefaultSectionSize(QFontMetrics(GridFont()).height() + 4);
    FrequencyLogDBGrid->verticalHeader()->setFixedWidth(14); // the row indicator
    FrequencyLogDBGrid->setItemDelegate(new TFrequencyLogGridDelegate(this, FrequencyLogDBGrid));
    FrequencyLogDBGrid->setMouseTracking(true);
    FrequencyLogDBGrid->viewport()->setMouseTracking(true);
    FrequencyLogDBGrid->horizontalHeader()->setMouseTracking(true);
    FrequencyLogDBGrid->viewport()->installEventFilter(this);
    FrequencyLogDBGrid->horizontalHeader()->installEventFilter(this);
    connect(FrequencyLogDBGrid->horizontalHeader(), &QHeaderView::sectionClicked, this,
        &TVarnockMainForm::FrequencyLogDBGridTitleClick);

    AudioChart = new QWidget;
    AudioChart->setObjectName(QStringLiteral("AudioChart"));
    AudioChart->setMinimumHeight(5);
    AudioChart->setAutoFillBackground(true);
    AudioChart->setPalette(QPalette(Qt::white));
    AudioChartLayout = new QVBoxLayout(AudioChart);
    AudioChartLayout->setContentsMargins(0, 0, 0, 0);

    Splitter1 = new QSplitter(Qt::Vertical);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(9);
    Splitter1->setChildrenCollapsible(false);
    Splitter1->addWidget(FrequencyLogDBGrid);
    Splitter1->addWidget(AudioChart);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
    Splitter1->setSizes({570 - 212 - 96 - 9, 96});
    layout->addWidget(Splitter1, 1);

    BottomPanel = CreateBottomArea();
    layout->addWidget(BottomPanel, 0);
    setCentralWidget(central);

    ClockTimer = new QTimer(this);
    ClockTimer->setObjectName(QStringLiteral("ClockTimer"));
    ClockTimer->setInterval(ClockIntervalMs);
    ClockTimer->setSingleShot(false);
    connect(ClockTimer, &QTimer::timeout, this, &TVarnockMainForm::ClockTimerTimer);
}

QWidget* TVarnockMainForm::CreateBottomArea()
{
    auto* bottom = new QWidget;
    bottom->setObjectName(QStringLiteral("BottomPanel"));
    bottom->setMinimumHeight(212);
    bottom->setFixedHeight(212);
    auto* row = new QHBoxLayout(bottom);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    auto* left = new QWidget;
    left->setObjectName(QStringLiteral("BottomLeftPanel"));
    auto* column = new QVBoxLayout(left);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(1);

    StatusBar1 = new QStatusBar;
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setFixedHeight(8);
    column->addWidget(StatusBar1);

    LongCommentPanel = new QLabel;
    LongCommentPanel->setObjectName(QStringLiteral("LongCommentPanel"));
    QFont commentFont = font();
    commentFont.setPointSize(10);
    commentFont.setBold(true);
    LongCommentPanel->setFont(commentFont);
    LongCommentPanel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    LongCommentPanel->setFrameShape(QFrame::Panel);
    LongCommentPanel->setFrameShadow(QFrame::Raised);
    LongCommentPanel->setTextFormat(Qt::PlainText);
    LongCommentPanel->setFixedHeight(QFontMetrics(commentFont).height() + 6);
    LongCommentPanel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    column->addWidget(LongCommentPanel);

    auto* middle = new QHBoxLayout;
    middle->setSpacing(2);
    PlaybackPanel = CreatePlaybackPanel();
    middle->addWidget(PlaybackPanel, 0);

    QuonAnalogueClock1 = new TQuonAnalogueClock;
    QuonAnalogueClock1->setObjectName(QStringLiteral("QuonAnalogueClock1"));
    QuonAnalogueClock1->setFixedSize(125, 153);
    QuonAnalogueClock1->SetSnapSecondHand(true);
    QuonAnalogueClock1->SetSnapMinuteHand(false);
    QuonAnalogueClock1->SetSnapHourHand(false);
    QuonAnalogueClock1->SetHourPenColour(clBlack);
    QuonAnalogueClock1->SetHourPenWidth(3);
    QuonAnalogueClock1->SetMinutePenColour(clBlack);
    QuonAnalogueClock1->SetMinutePenWidth(2);
    QuonAnalogueClock1->SetSecondPenColour(clRed);
    QuonAnalogueClock1->SetSecondPenWidth(1);
    QuonAnalogueClock1->SetCentreDiscColour(RGBColour(192, 192, 192));
    QuonAnalogueClock1->SetCentreDiscRadiusPerCent(12);
    QuonAnalogueClock1->SetTickPenColour(clGray);
    QuonAnalogueClock1->SetTickPenWidth(0);
    QuonAnalogueClock1->SetTransparent(false);
    QuonAnalogueClock1->SetOnPaintExit(
        [this](TQuonAnalogueClock* sender) { QuonAnalogueClock1PaintExit(sender); });
    middle->addWidget(QuonAnalogueClock1, 0, Qt::AlignLeft | Qt::AlignVCenter);

    ActivityChart = new QWidget;
    ActivityChart->setObjectName(QStringLiteral("ActivityChart"));
    ActivityChart->setAutoFillBackground(true);
    ActivityChart->setPalette(QPalette(Qt::white));
    ActivityChartLayout = new QVBoxLayout(ActivityChart);
    ActivityChartLayout->setContentsMargins(0, 0, 0, 0);
    middle->addWidget(ActivityChart, 1);
    column->addLayout(middle, 1);

    SquelchProgressBar = new QProgressBar;
    SquelchProgressBar->setObjectName(QStringLiteral("SquelchProgressBar"));
    SquelchProgressBar->setRange(0, 255);
    SquelchProgressBar->setValue(0);
    SquelchProgressBar->setTextVisible(false);
    SquelchProgressBar->setFixedHeight(12);
    column->addWidget(SquelchProgressBar);

    TxRxStatusBar = new QStatusBar;
    TxRxStatusBar->setObjectName(QStringLiteral("TxRxStatusBar"));
    TxRxStatusBar->setSizeGripEnabled(false);
    TxPanel = new QLabel(QStringLiteral("Tx"));
    TxPanel->setObjectName(QStringLiteral("TxPanel"));
    TxPanel->setFixedWidth(224);
    TxPanel->setTextFormat(Qt::PlainText);
    RxPanel = new QLabel(QStringLiteral("Rx"));
    RxPanel->setObjectName(QStringLiteral("RxPanel"));
    RxPanel->setMinimumWidth(50);
    RxPanel->setTextFormat(Qt::PlainText);
    TxRxStatusBar->addWidget(TxPanel, 0);
    TxRxStatusBar->addWidget(RxPanel, 1);
    column->addWidget(TxRxStatusBar);
    row->addWidget(left, 1);

    ToolBar1 = new QToolBar;
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setOrientation(Qt::Vertical);
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    ToolBar1->setIconSize(QSize(20, 20));
    AudioToggleToolButton = MakeToolButton("AudioToggleToolButton", AudioToggleAction);
    AudioPopupMenu = new QMenu(this);
    AudioPopupMenu->setObjectName(QStringLiteral("AudioPopupMenu"));
    Autoswitchon1 = AudioPopupMenu->addAction(QString());
    Autoswitchon1->setObjectName(QStringLiteral("Autoswitchon1"));
    connect(Autoswitchon1, &QAction::triggered, this, &TVarnockMainForm::Autoswitchon1Click);
    AudioToggleToolButton->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(AudioToggleToolButton, &QWidget::customContextMenuRequested, this,
        [this](const QPoint& point) { AudioPopupMenu->popup(AudioToggleToolButton->mapToGlobal(point)); });
    SquelchRecordToolButton = MakeToolButton("SquelchRecordToolButton", SquelchRecordAction);
    SearchToolButton = MakeToolButton("SearchToolButton", AOR8200SearchAction);
    ScanToolButton = MakeToolButton("ScanToolButton", AOR8200ScanAction);
    for (QToolButton* button :
        {AudioToggleToolButton, SquelchRecordToolButton, SearchToolButton, ScanToolButton}) {
        button->setFixedSize(42, 36);
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        ToolBar1->addWidget(button);
    }
    row->addWidget(ToolBar1, 0);
    return bottom;
}

QWidget* TVarnockMainForm::CreatePlaybackPanel()
{
    auto* panel = new QWidget;
    panel->setObjectName(QStringLiteral("PlaybackPanel"));
    panel->setFixedWidth(214);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(1, 1, 1, 1);
    grid->setSpacing(1);

    PlayWavesSpeedButton = MakeToolButton("PlayWavesSpeedButton", PlayWavesAction);
    PlayWavesSpeedButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    PlayWavesSpeedButton->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    grid->addWidget(PlayWavesSpeedButton, 0, 0, 1, 4);

    PlayWavesProgressBar = new QProgressBar;
    PlayWavesProgressBar->setObjectName(QStringLiteral("PlayWavesProgressBar"));
    PlayWavesProgressBar->setTextVisible(false);
    PlayWavesProgressBar->setFixedHeight(8);
    PlayWavesProgressBar->setRange(0, 0);
    PlayWavesProgressBar->setRange(0, 100);
    PlayWavesProgressBar->setValue(0);
    grid->addWidget(PlayWavesProgressBar, 1, 0, 1, 4);

    MediaPlayer1 = new QWidget;
    MediaPlayer1->setObjectName(QStringLiteral("MediaPlayer1"));
    SetHelpContext(MediaPlayer1, 10045);
    MediaPlayer1->setEnabled(false);
    auto* player = new QHBoxLayout(MediaPlayer1);
    player->setContentsMargins(0, 0, 0, 0);
    player->setSpacing(0);
    auto playerButton = [this, player](const char* name, QStyle::StandardPixmap pixmap) {
        auto* button = new QToolButton;
        button->setObjectName(QString::fromLatin1(name));
        button->setIcon(style()->standardIcon(pixmap));
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        SetHelpContext(button, 10045);
        player->addWidget(button);
        return button;
    };
    MediaPlayer1PlayButton = playerButton("MediaPlayer1PlayButton", QStyle::SP_MediaPlay);
    MediaPlayer1PauseButton = playerButton("MediaPlayer1PauseButton", QStyle::SP_MediaPause);
    MediaPlayer1NextButton = playerButton("MediaPlayer1NextButton", QStyle::SP_MediaSkipForward);
    MediaPlayer1PrevButton = playerButton("MediaPlayer1PrevButton", QStyle::SP_MediaSkipBackward);
    grid->addWidget(MediaPlayer1, 2, 0, 1, 4);

    MediaPlayerScrollBar = new QScrollBar(Qt::Horizontal);
    MediaPlayerScrollBar->setObjectName(QStringLiteral("MediaPlayerScrollBar"));
    MediaPlayerScrollBar->setEnabled(false);
    connect(
        MediaPlayerScrollBar, &QScrollBar::sliderMoved, this, &TVarnockMainForm::MediaPlayerScrollBarScroll);
    connect(MediaPlayerScrollBar, &QScrollBar::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove && action != QAbstractSlider::SliderNoAction)
            QTimer::singleShot(0, this, &TVarnockMainForm::MediaPlayerScrollBarScroll);
    });
    grid->addWidget(MediaPlayerScrollBar, 3, 0, 1, 4);

    DeletePlayedWavesBitBtn
        = MakeActionButton("DeletePlayedWavesBitBtn", "DeletePlayedWaves", DeletePlayedWavesAction, 10047);
    ClearBitBtn = MakeActionButton("ClearBitBtn", "ClearFrequencyLog", ClearFrequencyLogAction, 10049);
    SavePlayedWavesBitBtn
        = MakeActionButton("SavePlayedWavesBitBtn", "SavePlayedWaves", SavePlayedWavesAction, 10048);
    PurgePlayedWavesBitBtn
        = MakeActionButton("PurgePlayedWavesBitBtn", "PurgeDeletedWaves", PurgeDeletedWavesAction, 10050);
    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(1);
    for (QPushButton* button :
        {DeletePlayedWavesBitBtn, ClearBitBtn, SavePlayedWavesBitBtn, PurgePlayedWavesBitBtn}) {
        button->setStyleSheet(QStringLiteral("text-align: left; padding: 1px 2px;"));
        button->setIconSize(QSize(12, 12));
        button->setMinimumWidth(144);
        buttons->addWidget(button);
    }
    grid->addLayout(buttons, 4, 0, 3, 2);

    UpBitBtn = MakeToolButton("UpBitBtn", AOR8200UpAction);
    LeftBitBtn = MakeToolButton("LeftBitBtn", AOR8200LeftAction);
    RightBitBtn = MakeToolButton("RightBitBtn", AOR8200RightAction);
    DownBitBtn = MakeToolButton("DownBitBtn", AOR8200DownAction);
    auto* arrows = new QGridLayout;
    arrows->setSpacing(0);
    arrows->addWidget(UpBitBtn, 0, 1);
    arrows->addWidget(LeftBitBtn, 1, 0);
    arrows->addWidget(RightBitBtn, 1, 2);
    arrows->addWidget(DownBitBtn, 2, 1);
    for (QToolButton* arrow : {UpBitBtn, LeftBitBtn, RightBitBtn, DownBitBtn})
        arrow->setFixedSize(22, 22);
    grid->addLayout(arrows, 4, 2, 3, 2, Qt::AlignCenter);
    grid->setRowStretch(7, 1);
    return panel;
}

void TVarnockMainForm::FormCreate()
{
    // 1
    LongCommentPanel->clear();
    // 2
    FormCreateRecordingDirectory();
    // 3: Qt widgets are double buffered already.
    // 4, 5
    FormCreatePlayback();
    // 6
    LoadSeries();
    // 7
    CreateDriver();
    FormCreateSquelch();
    // 8
    FormCreateAudio();
    // 9
    if (Driver)
        FindAOR8200(*Driver, nullptr);
    // 10
    SetAudioInput(true);
    SetAudioOutput(false);
    // 11
    qApp->setProperty("HelpFile", ProgramFile(QStringLiteral(".chm")));
    // 12
    if (DataModule1 && DataModule1->GetOptionBoolean(QStringLiteral("SquelchRecordOn")))
        RecordOnAction->trigger();
    if (DataModule1 && DataModule1->GetOptionBoolean(QStringLiteral("OutputAudioOn")))
        AudioOnAction->trigger();
    // 13
    AnnouncementInterval = 0;
    if (DataModule1) {
        try {
            AnnouncementInterval = DataModule1->GetOptionInteger(QStringLiteral("AnnouncementInterval"));
        } catch (const std::exception& error) {
            AddToEventLog(QStringLiteral("TVarnockMainForm.FormCreate ") + QString::fromUtf8(error.what()),
                clRed, true);
        }
    }
    if (AnnouncementInterval <= 0)
        AnnouncementInterval = 23;
    // 14
    if (DataModule1) {
        QuonOptionsOn = DataModule1->GetOptionBoolean(QStringLiteral("QuonOptionsOn"));
        SetAudioAutoSwitchOn(DataModule1->GetOptionBoolean(QStringLiteral("AudioAutoSwitchOn")));
    }
    SetAudioAutoSwitchOn(AudioAutoSwitchOn());
    // 15
    if (SplashForm)
        SplashForm->OnRefresh = [this] { repaint(); };

    if (TVarnockApplication* application = VarnockApp()) {
        connect(application, &TVarnockApplication::ExceptionRaised, this,
            &TVarnockMainForm::ApplicationEvents1Exception);
    }
    if (DataModule1) {
        TFrequencyLogView* view = DataModule1->FrequencyLogView();
        FrequencyLogDBGrid->setModel(view);
        FrequencyLogDBGrid->setSelectionModel(view->Cursor());
        // A reopened log (ordering, clearing) gets its columns back at their widths.
        connect(view, &QAbstractItemModel::modelReset, this, &TVarnockMainForm::SizeFrequencyLogColumns);
        SizeFrequencyLogColumns();
    }
    ClockTimer->start();
}

void TVarnockMainForm::CreateDriver()
{
    Driver = std::make_unique<TDBAOR8200>(nullptr, DataModule1);
    Driver->SetCommPortNumber(0);
    Driver->SetOnSerialWrite([this](TAOR8200* sender, QString& text) { ShowSerialWrite(sender, text); });
    Driver->SetOnSerialRead([this](TAOR8200* sender, QString& text) { ShowSerialRead(sender, text); });
    Driver->SetOnAOR8200Squelch([this](TAOR8200* sender, bool squelchOpen, std::uint8_t signalLevel,
                                    std::int32_t frequency, bool isSearch, char bank, std::int32_t channel) {
        HandleAOR8200Squelch(sender, squelchOpen, signalLevel, frequency, isSearch, bank, channel);
    });
    Driver->UseDatabaseCopy = true;
}

// ---------------------------------------------------------------------------------------------------------------
// Showing and closing

void TVarnockMainForm::FormShow()
{
    if (FirstShowDone)
        return;
    FirstShowDone = true;
    RestoreFormLocation(this);
}

void TVarnockMainForm::FormCloseQuery(bool& canClose)
{
    canClose = true;
    setWindowTitle(windowTitle() + QStringLiteral(" - Closing"));
    if (!ClosingStarted) {
        ClosingStarted = true;
        ClockTimer->stop();
        if (DataModule1) {
            DataModule1->SetOptionBoolean(QStringLiteral("SquelchRecordOn"), SquelchRecordOn());
            DataModule1->SetOptionBoolean(QStringLiteral("OutputAudioOn"), OutputAudioOn());
            DataModule1->SetOptionInteger(QStringLiteral("AnnouncementInterval"), AnnouncementInterval);
            DataModule1->SetOptionBoolean(QStringLiteral("AudioAutoSwitchOn"), AudioAutoSwitchOn());
        }
        StopRecording();
        SetAudioOutput(false);
        SetAudioInput(false);
        FreeAudioBuffers();
        if (Driver && Driver->GetCommPortNumber() != 0) {
            const TModalResult answer = ShowMessageAtControl(QStringLiteral("Power Off AOR8200?"),
                TMsgDlgType::mtConfirmation, MsgDlgBtn::mbYes | MsgDlgBtn::mbNo, this, 0);
            if (answer == mrYes)
                Driver->PowerOff();
        }
    }
    StoreFormLocation(this);
}

void TVarnockMainForm::FormClose()
{
    SaveSeries();
    Driver.reset();
    PlayedWaves.clear();
}

void TVarnockMainForm::showEvent(QShowEvent* event)
{
    FormShow();
    QMainWindow::showEvent(event);
}

void TVarnockMainForm::closeEvent(QCloseEvent* event)
{
    bool canClose = true;
    FormCloseQuery(canClose);
    if (!canClose) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
    Q_EMIT FormClosed();
}

// ---------------------------------------------------------------------------------------------------------------
// Application events

void TVarnockMainForm::ApplicationEvents1Exception(const QString& message)
{
    AddToEventLog(QStringLiteral("--->") + message, clRed, true);
}

void TVarnockMainForm::ApplicationEvents1Message(quint32 wParam, quint32 /*lParam*/)
{
    if (wParam != 1)
        return;
    if (isMinimized()) {
        showNormal();
    } else {
        show();
        raise();
        activateWindow();
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Clock, status bar

void TVarnockMainForm::ClockTimerTimer()
{
    ClockTimer->stop();
    try {
        const TDateTime now = Now();
        QuonAnalogueClock1->SetTimeBeingDisplayed(now);
        AnnounceHeldFrequency(now);
    } catch (const std::exception& error) {
        AddToEventLog(
            QStringLiteral("procedure TVarnockMainForm.ClockTimerTimer ") + QString::fromUtf8(error.what()),
            clRed, true);
    }
    if (!ClosingStarted && !QCoreApplication::closingDown())
        ClockTimer->start();
}

void TVarnockMainForm::QuonAnalogueClock1PaintExit(TQuonAnalogueClock* sender)
{
    if (sender != QuonAnalogueClock1 || sender->Canvas() == nullptr)
        return;
    try {
        const TDateTime shown = sender->TimeBeingDisplayed();
        const QString text = shown - std::floor(shown) >= 0.5 ? QStringLiteral("PM") : QStringLiteral("AM");
        QPainter& canvas = *sender->Canvas();
        // Text takes the font's colour, not the pen the last hand or the disc left behind.
        canvas.setPen(sender->palette().color(QPalette::WindowText));
        const QFontMetrics metrics(canvas.font());
        const int x = (sender->width() - metrics.horizontalAdvance(text)) / 2;
        const int y = (sender->height() - metrics.height()) / 2 - 1;
        canvas.drawText(x, y + metrics.ascent(), text);
    } catch (...) {
        // Drawing the marker is decoration only.
    }
}

void TVarnockMainForm::ShowStatusPanel(QLabel* panel, const QString& text)
{
    panel->setText(text);
    TxRxStatusBar->repaint();
}

namespace {
// The panel shows one line: line ends and other control characters become blanks.
QString StatusPanelText(const QString& text)
{
    QString line = QTime::currentTime().toString(QStringLiteral("HH:mm:ss")) + QStringLiteral("  ") + text;
    for (QChar& c : line) {
        if (c.unicode() < 32)
            c = u' ';
    }
    return line;
}
} // namespace

void TVarnockMainForm::ShowSerialWrite(TAOR8200* /*sender*/, QString& text)
{
    QMetaObject::invokeMethod(
        this, [this, line = StatusPanelText(text)] { ShowStatusPanel(TxPanel, line); }, Qt::QueuedConnection);
}

void TVarnockMainForm::ShowSerialRead(TAOR8200* /*sender*/, QString& text)
{
    QMetaObject::invokeMethod(
        this, [this, line = StatusPanelText(text)] { ShowStatusPanel(RxPanel, line); }, Qt::QueuedConnection);
}

// ---------------------------------------------------------------------------------------------------------------
// The frequency log grid

void TVarnockMainForm::FrequencyLogDBGridDrawColumnCell(
    QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index)
{
    try {
        const TFrequencyLogColumn column = FrequencyLogDrawnColumn(index);
        const QVariant value = index.data(Qt::DisplayRole);
        if (column == TFrequencyLogColumn::Other || value.isNull() || value.toString().isEmpty())
            return;

        const bool selected = option.state & QStyle::State_Selected;
        QColor fontColour = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
        QString text;
        if (column == TFrequencyLogColumn::SquelchDuration) {
            text = FormatDurationText(value.toDouble());
        } else {
            const auto frequency = std::int32_t(value.toLongLong());
            text = FormatFrequency(frequency, 0);
            TColor colour = 0;
            bool readOnly = false, hold = false, switchOn = false;
            if (DataModule1
                && DataModule1->GetSpecialFrequencyAttributes(frequency, colour, readOnly, hold, switchOn))
                fontColour = QColor(RedOf(colour), GreenOf(colour), BlueOf(colour));
            if (selected) {
                const TColor used = RGBColour(fontColour.red(), fontColour.green(), fontColour.blue());
                SelectedMarker = {frequency, used, used};
            }
        }
        painter->save();
        painter->setFont(option.font);
        painter->setPen(fontColour);
        const QRect rect = option.rect;
        const QFontMetrics metrics(option.font);
        painter->drawText(
            rect.left() + 2, rect.top() + (rect.height() - metrics.height()) / 2 + metrics.ascent(), text);
        painter->restore();
    } catch (const std::exception& error) {
        AddToEventLog(QStringLiteral("TVarnockMainForm.FrequencyLogDBGridDrawColumnCell ")
                + QString::fromUtf8(error.what()),
            clRed, true);
    }
}

void TVarnockMainForm::SizeFrequencyLogColumns()
{
    const auto* view = qobject_cast<const TFrequencyLogView*>(FrequencyLogDBGrid->model());
    if (!view)
        return;
    // Wide enough for the column's widest text as it is drawn, and for its title.
    static const std::map<QString, QString> samples {{"Frequency", " 1296.000000 MHz"},
        {"LastSquelchDateTime", "2024-12-31 23:59:59"}, {"SquelchCount", "99999"},
        {"SquelchDuration", "00:00:00.000"}, {"MemoryId", "Sch"}, {"ShortComment", "MMMMMMMMMMMM"}};
    const QFontMetrics metrics(FrequencyLogDBGrid->font());
    const QFontMetrics titleMetrics(FrequencyLogDBGrid->horizontalHeader()->font());
    for (int column = 0; column < view->columnCount(); ++column) {
        const auto sample = samples.find(view->FieldName(column));
        if (sample == samples.end())
            continue;
        const QString title = view->headerData(column, Qt::Horizontal).toString();
        FrequencyLogDBGrid->setColumnWidth(column,
            std::max(metrics.horizontalAdvance(sample->second), titleMetrics.horizontalAdvance(title)) + 12);
    }
}

void TVarnockMainForm::FrequencyLogDBGridMouseMove(QWidget* over)
{
    const bool overTitles = over == FrequencyLogDBGrid->horizontalHeader();
    FrequencyLogDBGrid->setCursor(overTitles ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

bool TVarnockMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
        if (watched == FrequencyLogDBGrid->viewport() || watched == FrequencyLogDBGrid->horizontalHeader())
            FrequencyLogDBGridMouseMove(static_cast<QWidget*>(watched));
    }
    return QMainWindow::eventFilter(watched, event);
}

void TVarnockMainForm::FrequencyLogDBGridTitleClick(int column)
{
    if (!DataModule1)
        return;
    const QString fieldName = DataModule1->FrequencyLogView()->FieldName(column);
    if (!fieldName.isEmpty())
        DataModule1->OrderFrequencyLogBy(fieldName);
}

// ---------------------------------------------------------------------------------------------------------------
// Actions

namespace {
// The hourglass for the scope of an operation, put away also when it raises.
class THourglass {
public:
    THourglass() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~THourglass() { QApplication::restoreOverrideCursor(); }
    THourglass(const THourglass&) = delete;
    THourglass& operator=(const THourglass&) = delete;
};
} // namespace

void TVarnockMainForm::ClearFrequencyLogActionExecute()
{
    const THourglass hourglass;
    if (DataModule1)
        DataModule1->ClearFrequencyLog();
    ClearCharts();
}

void TVarnockMainForm::AOR8200LeftActionExecute()
{
    Driver->SendCursorKey(char(29));
}

void TVarnockMainForm::AOR8200RightActionExecute()
{
    Driver->SendCursorKey(char(28));
}

void TVarnockMainForm::AOR8200UpActionExecute()
{
    Driver->SendCursorKey(char(30));
}

void TVarnockMainForm::AOR8200DownActionExecute()
{
    Driver->SendCursorKey(char(31));
}

namespace {
// The windows created hidden at start-up are found by their object names, so this window needs none of their
// headers.
QWidget* FormNamed(const char* name)
{
    const QString objectName = QString::fromLatin1(name);
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == objectName)
            return widget;
    }
    return nullptr;
}

void ShowFormNamed(const char* name)
{
    if (QWidget* form = FormNamed(name)) {
        form->show();
        form->raise();
        form->activateWindow();
    }
}

// Runs the editor's StartScan or StartSearch; false when the editor is not there.
bool RunEditorCommand(const char* formName, const char* command)
{
    QWidget* form = FormNamed(formName);
    return form && QMetaObject::invokeMethod(form, command, Qt::DirectConnection);
}
} // namespace

void TVarnockMainForm::AOR8200ScanActionExecute()
{
    StopRecording();
    // Without the editor no bank is chosen: the receiver scans its linked banks.
    if (!RunEditorCommand("ScanBankMemoriesForm", "StartScan"))
        Driver->StartMemoryScan(0);
    FrequencyHeld = false;
    HeldAnnouncement.clear();
    NextAnnouncementTime = 0;
    LongCommentPanel->clear();
}

void TVarnockMainForm::AOR8200SearchActionExecute()
{
    StopRecording();
    if (!RunEditorCommand("SearchBankMemoriesForm", "StartSearch"))
        Driver->StartSearch(0);
    FrequencyHeld = false;
    HeldAnnouncement.clear();
    NextAnnouncementTime = 0;
    LongCommentPanel->clear();
}

void TVarnockMainForm::Radio_SearchBanks_ActionExecute()
{
    ShowFormNamed("SearchBankMemoriesForm");
}

void TVarnockMainForm::Radio_ScanBanks_ActionExecute()
{
    ShowFormNamed("ScanBankMemoriesForm");
}

void TVarnockMainForm::FindAOR8200ActionExecute()
{
    FindAOR8200(*Driver, this);
}

void TVarnockMainForm::FrequencyLookupActionExecute()
{
    ShowFormNamed("FrequencyLookupForm");
}

void TVarnockMainForm::SpecialFrequenciesActionExecute()
{
    ShowFormNamed("SpecialFrequenciesForm");
}

void TVarnockMainForm::ShowHelpActionExecute()
{
    ShowHelpContents(this);
}

void TVarnockMainForm::EventLogShowActionExecute()
{
    if (!EventLogForm)
        return;
    EventLogForm->show();
    EventLogForm->raise();
}

void TVarnockMainForm::EventLogClearActionExecute()
{
    if (EventLogForm)
        EventLogForm->ClearLog();
}

void TVarnockMainForm::EventLogSaveActionExecute()
{
    if (EventLogForm)
        EventLogForm->SaveLogAs();
}

QString TVarnockMainForm::AboutText()
{
    QString version = GetFileVersionText(ExecutablePath());
    if (version.isEmpty())
        version = QStringLiteral("N/A");
    QStringList lines {QStringLiteral("Version ") + version,
        QStringLiteral("Database Version ") + (DataModule1 ? DataModule1->DatabaseVersion() : QString())};
    try {
        if (Driver && Driver->GetCommPortNumber() != 0) {
            lines << QStringLiteral("Comm Port COM") + QString::number(Driver->GetCommPortNumber());
            lines << QStringLiteral("AOR8200 Firmware Version ")
                    + QString::number(Driver->GetFirmwareVersion());
        }
    } catch (const std::exception& error) {
        AddToEventLog(
            QStringLiteral("TVarnockMainForm.About1Click ") + QString::fromUtf8(error.what()), clRed, true);
    }
    return lines.join(QChar(13));
}

void TVarnockMainForm::About1Click()
{
    QString text = AboutText();
    text.replace(QChar(13), QChar(10));
    ShowMessageAtControl(text, TMsgDlgType::mtInformation, MsgDlgBtn::mbOK, this, 0);
}
