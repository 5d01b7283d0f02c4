#pragma once
// The program's main window: the frequency log grid, the audio and activity charts, the clock, the playback
// panel and every command as an action. Its closing ends the program.
//
// The class grows in several source files, one per concern:
//   MainFormUnit.cpp      layout, actions, menus, start-up and closing, grid, clock timer, status bar, About
//   MainFormAudio.cpp     capture, recording, live output and their actions
//   MainFormSquelch.cpp   the squelch event pipeline and the held-frequency announcement step
//   MainFormPlayback.cpp  the recorded wave library and playback
//   MainFormCharts.cpp    the audio and activity charts
//   MainFormRetrieve.cpp  retrieval from the receiver and the duplicate check
// Each later file may keep whatever else it needs in its own state structure (declared here, defined there).

#include "support/Colour.h"
#include "support/DateTimeUnit.h"

#include <QMainWindow>
#include <QStringList>

#include <cstdint>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QPainter;
class QProgressBar;
class QScrollBar;
class QSplitter;
class QStatusBar;
class QStyleOptionViewItem;
class QTableView;
class QTimer;
class QToolBar;
class QToolButton;
class QPushButton;
class QVBoxLayout;
class QModelIndex;
class TDBAOR8200;
class TAOR8200;
class TQuonAnalogueClock;
class TAudioController;
class TAudioCaptureDevice;
class TAudioOutputDevice;

// A frequency marked on the audio chart with its two colours.
struct TFrequencyMarker {
    std::int32_t Frequency = 0;
    TColor PenColour = clBlack;
    TColor BrushColour = clBlack;
};

// Per-file state of the later source files: each structure and its deleter are defined in the file named,
// which creates the state in its start-up hook.
struct TMainFormAudioState; // MainFormAudio.cpp
struct TMainFormSquelchState; // MainFormSquelch.cpp
struct TMainFormPlaybackState; // MainFormPlayback.cpp
struct TMainFormChartsState; // MainFormCharts.cpp
struct TMainFormAudioStateDeleter {
    void operator()(TMainFormAudioState* state) const;
};
struct TMainFormSquelchStateDeleter {
    void operator()(TMainFormSquelchState* state) const;
};
struct TMainFormPlaybackStateDeleter {
    void operator()(TMainFormPlaybackState* state) const;
};
struct TMainFormChartsStateDeleter {
    void operator()(TMainFormChartsState* state) const;
};

class TVarnockMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TVarnockMainForm(QWidget* parent = nullptr);
    ~TVarnockMainForm() override;

    // ---- helpers for the other windows
    // The receiver driver; other windows take it from here. Null only after FormClose.
    std::unique_ptr<TDBAOR8200> Driver;
    // Ends the recording in progress, if any (the search bank editor's Add Pass calls it).
    void StopRecording();
    // The About box's lines joined by carriage returns; failures reading the receiver are logged.
    QString AboutText();

    // ---- controls (object names as given here)
    QTableView* FrequencyLogDBGrid = nullptr;
    QSplitter* Splitter1 = nullptr;
    QWidget* AudioChart = nullptr; // container: the charts file puts its chart view into AudioChartLayout
    QVBoxLayout* AudioChartLayout = nullptr;
    QWidget* BottomPanel = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QToolButton* AudioToggleToolButton = nullptr;
    QToolButton* SquelchRecordToolButton = nullptr;
    QToolButton* SearchToolButton = nullptr;
    QToolButton* ScanToolButton = nullptr;
    QMenu* AudioPopupMenu = nullptr;
    QAction* Autoswitchon1 = nullptr; // the pop-up's one item; its caption is set by the audio file
    QStatusBar* StatusBar1 = nullptr; // the empty strip above the long comment panel
    QLabel* LongCommentPanel = nullptr;
    QWidget* PlaybackPanel = nullptr;
    QToolButton* PlayWavesSpeedButton = nullptr;
    QProgressBar* PlayWavesProgressBar = nullptr;
    QWidget* MediaPlayer1 = nullptr; // container of the four player buttons below
    QToolButton* MediaPlayer1PlayButton = nullptr;
    QToolButton* MediaPlayer1PauseButton = nullptr;
    QToolButton* MediaPlayer1NextButton = nullptr;
    QToolButton* MediaPlayer1PrevButton = nullptr;
    QScrollBar* MediaPlayerScrollBar = nullptr;
    QPushButton* DeletePlayedWavesBitBtn = nullptr;
    QPushButton* ClearBitBtn = nullptr;
    QPushButton* SavePlayedWavesBitBtn = nullptr;
    QPushButton* PurgePlayedWavesBitBtn = nullptr;
    QToolButton* UpBitBtn = nullptr;
    QToolButton* LeftBitBtn = nullptr;
    QToolButton* RightBitBtn = nullptr;
    QToolButton* DownBitBtn = nullptr;
    TQuonAnalogueClock* QuonAnalogueClock1 = nullptr;
    QWidget* ActivityChart
        = nullptr; // container: the charts file puts its chart view into ActivityChartLayout
    QVBoxLayout* ActivityChartLayout = nullptr;
    QProgressBar* SquelchProgressBar = nullptr;
    QStatusBar* TxRxStatusBar = nullptr;
    QLabel* TxPanel = nullptr; // status panel 0, "Tx"
    QLabel* RxPanel = nullptr; // status panel 1, "Rx"
    QTimer* ClockTimer = nullptr;

    // ---- actions: caption, "imageIndex" and "helpContext" (properties)
    QAction* AudioOffAction = nullptr;
    QAction* AudioOnAction = nullptr;
    QAction* AudioToggleAction = nullptr;
    QAction* SquelchRecordAction = nullptr;
    QAction* RetrieveSearchFromRadioAction = nullptr;
    QAction* RetrieveScanFromRadioAction = nullptr;
    QAction* RetrieveAllInfoFromRadioAction = nullptr;
    QAction* ClearFrequencyLogAction = nullptr;
    QAction* AOR8200LeftAction = nullptr;
    QAction* AOR8200RightAction = nullptr;
    QAction* AOR8200UpAction = nullptr;
    QAction* AOR8200DownAction = nullptr;
    QAction* AOR8200SearchAction = nullptr;
    QAction* AOR8200ScanAction = nullptr;
    QAction* Radio_SearchBanks_Action = nullptr;
    QAction* Radio_ScanBanks_Action = nullptr;
    QAction* PlayWavesAction = nullptr; // its "Tag" property is the playback toggle counter
    QAction* DeletePlayedWavesAction = nullptr;
    QAction* SavePlayedWavesAction = nullptr;
    QAction* PurgeDeletedWavesAction = nullptr;
    QAction* FindAOR8200Action = nullptr;
    QAction* FrequencyLookupAction = nullptr;
    QAction* SpecialFrequenciesAction = nullptr;
    QAction* CheckForDuplicateScanMemoriesAction = nullptr;
    QAction* RecordOnAction = nullptr;
    QAction* RecordOffAction = nullptr;
    QAction* ShowHelpAction = nullptr;
    QAction* EventLogShowAction = nullptr;
    QAction* EventLogClearAction = nullptr;
    QAction* EventLogSaveAction = nullptr;
    QAction* About1 = nullptr; // the Help menu's "About" item

    QMenu* OptionsMenu = nullptr; // hidden
    QMenu* RadioMenu = nullptr;
    QMenu* FrequenciesMenu = nullptr;
    QMenu* EventLogMenu = nullptr;
    QMenu* HelpMenu = nullptr;

    // ---- window state
    bool ClosingStarted = false; // the close query has done its one-time work
    bool FirstShowDone = false; // the stored placement has been applied
    // The row last drawn selected in the grid.
    TFrequencyMarker SelectedMarker;

    // ---- audio and recording (MainFormAudio.cpp)
    // The stored options read at start-up and written at closing.
    bool SquelchRecordOn() const;
    bool OutputAudioOn() const;
    bool AudioAutoSwitchOn() const;
    // Sets the flag and gives Autoswitchon1 its caption.
    void SetAudioAutoSwitchOn(bool value);
    void SetAudioInput(bool on);
    void SetAudioOutput(bool on);
    QString RecordingDirectory() const;
    QString MakeWaveFileName(std::int32_t frequency) const;
    // False when the file could not be opened (the failure is logged).
    bool StartRecording(const QString& fileName);
    // Colour of both audio trace series.
    void SetTraceColour(TColor colour);
    TColor TraceColour() const;
    // Capture, recording and live output; exists from the first step of FormCreate. The audio chart shows
    // its TraceChanged points and TraceColourChanged colour.
    TAudioController* AudioController() const;
    // The next window created plays and captures on these devices instead of the default ones (tests).
    static void UseAudioDevicesForTesting(
        std::unique_ptr<TAudioCaptureDevice> capture, std::unique_ptr<TAudioOutputDevice> output);

    // ---- squelch pipeline (MainFormSquelch.cpp; the fields are its state)
    std::int32_t CurrentFrequency = 0;
    TDateTime SquelchOpenTime = 0;
    QString LastRecordingFileName;
    bool FrequencyHeld = false;
    QString HeldAnnouncement;
    TDateTime NextAnnouncementTime = 0;
    int AnnouncementInterval = 23; // seconds
    // Runs on the main thread for every squelch report of the driver.
    void HandleAOR8200Squelch(TAOR8200* sender, bool squelchOpen, std::uint8_t signalLevel,
        std::int32_t frequency, bool isSearch, char bank, std::int32_t channel);
    void ApplySpecialFrequencyOnOpen(std::int32_t frequency, bool isSearch, char bank, std::int32_t channel);
    TColor ApplySpecialFrequencyOnClose(std::int32_t frequency);
    // The clock timer's held-frequency announcement step.
    void AnnounceHeldFrequency(TDateTime now);

    // ---- playback (MainFormPlayback.cpp)
    bool QuonOptionsOn = false;
    QStringList PlayedWaves; // sorted, duplicates ignored
    TFrequencyMarker PlayingMarker;
    // Moves every played recording into the recording folder's subfolder, oldest first.
    void MoveListedWaves(const QString& subfolder, TColor clockColour);

    // ---- charts (MainFormCharts.cpp)
    void UpdateDistributionBar(std::int32_t frequency, TColor colour, double totalDuration);
    void AddActivityPoint(int binMinutes, int windowMinutes, double y0, TDateTime t);
    // FormCreate step 6: builds the charts into their containers, installs the bars' click handler, then
    // loads the three series from their tables.
    void LoadSeries();
    void SaveSeries();
    // The distribution bars, every activity series and the activity chart's title.
    void ClearCharts();
    // The bars' click handler: the bar's frequency, total and comments become the audio chart's title.
    void DistributionBarClick(int index);
    // After every repaint of the audio chart: the playing marker as a disc, then the selected one as an
    // arrow.
    void AudioChartAfterDraw(QPainter* canvas);
    void DrawFrequencyMarker(QPainter* canvas, const TFrequencyMarker& marker, bool disc);

public Q_SLOTS:
    // ---- this file
    // Every error that reaches the event loop: logged red with a beep as "--->" + message; the program goes
    // on.
    void ApplicationEvents1Exception(const QString& message);
    // The single-instance message: wParam 1 restores a minimised window or brings it to the front.
    void ApplicationEvents1Message(quint32 wParam, quint32 lParam);
    void ClockTimerTimer();
    void ClearFrequencyLogActionExecute();
    void AOR8200LeftActionExecute();
    void AOR8200RightActionExecute();
    void AOR8200UpActionExecute();
    void AOR8200DownActionExecute();
    void AOR8200SearchActionExecute();
    void AOR8200ScanActionExecute();
    void Radio_SearchBanks_ActionExecute();
    void Radio_ScanBanks_ActionExecute();
    void FindAOR8200ActionExecute();
    void FrequencyLookupActionExecute();
    void SpecialFrequenciesActionExecute();
    void ShowHelpActionExecute();
    void EventLogShowActionExecute();
    void EventLogClearActionExecute();
    void EventLogSaveActionExecute();
    void About1Click();
    void FrequencyLogDBGridTitleClick(int column);

    // ---- audio and recording (MainFormAudio.cpp)
    void AudioOffActionExecute();
    void AudioOnActionExecute();
    void AudioToggleActionExecute();
    void SquelchRecordActionExecute();
    void RecordOnActionExecute();
    void RecordOffActionExecute();
    void Autoswitchon1Click();

    // ---- playback (MainFormPlayback.cpp)
    void PlayWavesActionExecute();
    void DeletePlayedWavesActionExecute();
    void SavePlayedWavesActionExecute();
    void PurgeDeletedWavesActionExecute();
    void MediaPlayerScrollBarScroll();

    // ---- charts (MainFormCharts.cpp)
    void AudioChartClick();

    // ---- retrieval (MainFormRetrieve.cpp)
    void RetrieveSearchFromRadioActionExecute();
    void RetrieveScanFromRadioActionExecute();
    void RetrieveAllInfoFromRadioActionExecute();
    void CheckForDuplicateScanMemoriesActionExecute();

Q_SIGNALS:
    // The user (or a close signal) closed the window: the program ends.
    void FormClosed();

public:
    // ---- grid drawing (public for the grid's delegate)
    // After the grid's own drawing of a cell: durations, frequencies and special colours.
    void FrequencyLogDBGridDrawColumnCell(
        QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index);
    void FrequencyLogDBGridMouseMove(QWidget* over);
    // Draws AM or PM on the clock after it has painted itself.
    void QuonAnalogueClock1PaintExit(TQuonAnalogueClock* sender);
    // Driver handlers, called on its worker threads: the text is posted to the status bar.
    void ShowSerialWrite(TAOR8200* sender, QString& text);
    void ShowSerialRead(TAOR8200* sender, QString& text);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateLayout();
    QWidget* CreateBottomArea();
    QWidget* CreatePlaybackPanel();
    void SizeFrequencyLogColumns();
    QToolButton* MakeToolButton(const char* name, QAction* action);
    QAction* MakeAction(const char* name, const char* caption, int imageIndex, int helpContext,
        void (TVarnockMainForm::*execute)());
    void ShowStatusPanel(QLabel* panel, const QString& text);

    void FormCreate();
    void FormShow();
    void FormCloseQuery(bool& canClose);
    void FormClose();

    void CreateDriver(); // FormCreate step 7

    // Hook points of the later files in FormCreate (steps as numbered there) and in closing.
    void FormCreateRecordingDirectory(); // step 2 (audio)
    void FormCreatePlayback(); // steps 4 and 5 (playback)
    void FormCreateAudio(); // step 8 (audio)
    void FormCreateSquelch(); // after step 7 (squelch pipeline)
    void FreeAudioBuffers(); // close query step 2.3 (audio)

    std::unique_ptr<TMainFormAudioState, TMainFormAudioStateDeleter> AudioState;
    std::unique_ptr<TMainFormSquelchState, TMainFormSquelchStateDeleter> SquelchState;
    std::unique_ptr<TMainFormPlaybackState, TMainFormPlaybackStateDeleter> PlaybackState;
    std::unique_ptr<TMainFormChartsState, TMainFormChartsStateDeleter> ChartsState;
};

// The main window while it exists.
extern TVarnockMainForm* VarnockMainForm;
