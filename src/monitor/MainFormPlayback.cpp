// Playback of the recorded waves in the main window, oldest first, with their comments and the moment of
// recording on the clock; moving the played ones into "Deleted" or "Saved" and purging "Deleted".
//
// The whole playback runs inside the action's handler and keeps the window responsive by processing events
// while it waits, so a second click, a squelch report or the window's closing is handled meanwhile and seen
// at the loop's next turn.

#include "monitor/MainFormUnit.h"

#include "app/DataModuleUnit.h"
#include "app/EventLogUnit.h"
#include "audio/SimpleSpeechUnit.h"
#include "audio/WaveLibraryUnit.h"
#include "monitor/FrequencyTextUnit.h"
#include "support/TQuonAnalogueClockUnit.h"

#include <QAction>
#include <QApplication>
#include <QAudioOutput>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QMediaPlayer>
#include <QProgressBar>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include <algorithm>
#include <climits>
#include <exception>
#include <functional>

struct TMainFormPlaybackState {
    TMainFormPlaybackState()
    {
        Player.setAudioOutput(&Output);
        Separator.setAudioOutput(&SeparatorOutput);
    }
    QAudioOutput Output;
    QMediaPlayer Player;
    QAudioOutput SeparatorOutput;
    QMediaPlayer Separator;
};

void TMainFormPlaybackStateDeleter::operator()(TMainFormPlaybackState* state) const
{
    delete state;
}

namespace {

constexpr int LoopSleepMs = 100;
// How often the collecting and counting phases show their progress and process events.
constexpr int ProgressEveryMs = 40;
// A separator sound that never reports its end does not hold playback up for longer than this.
constexpr int SeparatorLimitMs = 10000;

// Waits while processing events, without spinning.
void PumpFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

TColor FromQColor(const QColor& colour)
{
    return RGBColour(colour.red(), colour.green(), colour.blue());
}

QColor ToQColor(TColor colour)
{
    return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

bool PlayerFailed(const QMediaPlayer& player)
{
    return player.error() != QMediaPlayer::NoError || player.mediaStatus() == QMediaPlayer::InvalidMedia;
}

bool PlayerAtEnd(const QMediaPlayer& player)
{
    return player.mediaStatus() == QMediaPlayer::EndOfMedia;
}

// The progress bar counts bytes; totals beyond its int range are scaled down.
class TByteProgress {
public:
    TByteProgress(QProgressBar* bar, qint64 total)
        : Bar(bar)
        , Scale(total / INT_MAX + 1)
    {
        Bar->setRange(0, int(total / Scale));
        Bar->setValue(0);
    }
    void Step(qint64 bytes)
    {
        Done += bytes;
        Bar->setValue(int(std::min<qint64>(Done / Scale, Bar->maximum())));
    }

private:
    QProgressBar* Bar;
    qint64 Scale;
    qint64 Done = 0;
};

// Puts back what a playback, move or purge changed on the window, also when it ends by an error.
class TClockAndCaption {
public:
    TClockAndCaption(TQuonAnalogueClock* clock, QTimer* timer)
        : Clock(clock)
        , Timer(timer)
        , Colour(clock->Color())
        , TimerWasRunning(timer->isActive())
    {
        Timer->stop();
    }
    ~TClockAndCaption()
    {
        Clock->SetColor(Colour);
        if (TimerWasRunning)
            Timer->start();
    }
    TClockAndCaption(const TClockAndCaption&) = delete;
    TClockAndCaption& operator=(const TClockAndCaption&) = delete;

private:
    TQuonAnalogueClock* Clock;
    QTimer* Timer;
    TColor Colour;
    bool TimerWasRunning;
};

class TWaitCursor {
public:
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

void CollectWaves(
    TVarnockMainForm& form, QStringList& files, qint64& totalBytes, const std::function<bool()>& playing)
{
    const QString folder = form.RecordingDirectory();
    if (folder.isEmpty())
        return;
    const TClockAndCaption clockRestore(form.QuonAnalogueClock1, form.ClockTimer);
    const QString caption = form.PlayWavesAction->text();
    form.QuonAnalogueClock1->SetColor(clGray);
    QElapsedTimer shown;
    shown.start();
    ForEachWaveFile(folder, WavePatterns, [&](const QFileInfo& file) {
        if (!playing())
            return false;
        files.append(file.absoluteFilePath());
        totalBytes += file.size();
        // Ten thousand recordings must not cost ten thousand repaints.
        if (shown.elapsed() >= ProgressEveryMs) {
            form.PlayWavesAction->setText(QStringLiteral("Finding ") + file.fileName());
            form.PlayWavesSpeedButton->repaint();
            form.QuonAnalogueClock1->SetTimeBeingDisplayed(TimeFromFileName(file.fileName()));
            QCoreApplication::processEvents();
            shown.restart();
        }
        return true;
    });
    form.PlayWavesAction->setText(caption);
}

qint64 CountWaveBytes(TVarnockMainForm& form, const QStringList& files)
{
    qint64 total = 0;
    QElapsedTimer shown;
    shown.start();
    for (const QString& path : files) {
        total += QFileInfo(path).size(); // 0 for a file that has gone
        if (shown.elapsed() >= ProgressEveryMs) {
            form.PlayWavesAction->setText(QStringLiteral("Counting Bytes ") + QString::number(total));
            form.PlayWavesSpeedButton->repaint();
            QCoreApplication::processEvents();
            shown.restart();
        }
    }
    return total;
}

TColor ShowPlaybackComments(
    TVarnockMainForm& form, const QString& path, std::int32_t frequency, std::int32_t previous)
{
    QString caption = QFileInfo(path).fileName();
    QString longComment;
    TColor colour = FromQColor(form.palette().color(QPalette::WindowText));
    try {
        int receiveMode = -1;
        QString shortComment;
        if (DataModule1 && DataModule1->LookupFrequency(frequency, receiveMode, shortComment, longComment))
            caption += QStringLiteral("  ") + shortComment;
        quint32 displayColour = 0;
        bool readOnly = false;
        bool hold = false;
        bool switchOn = false;
        if (DataModule1
            && DataModule1->GetSpecialFrequencyAttributes(frequency, displayColour, readOnly, hold, switchOn))
            colour = displayColour;
        form.PlayWavesAction->setText(caption);
        QPalette panel = form.LongCommentPanel->palette();
        panel.setColor(QPalette::WindowText, ToQColor(colour));
        form.LongCommentPanel->setPalette(panel);
        form.LongCommentPanel->setText(longComment);
        form.LongCommentPanel->repaint();
        if (form.QuonOptionsOn && frequency != previous && !longComment.startsWith(QStringLiteral("Quon"))
            && !longComment.startsWith(QStringLiteral("Heard")))
            Speak(FormatFrequency(frequency, 3), SpeakSynchronous);
    } catch (const std::exception& error) {
        AddToEventLog(
            QStringLiteral("TVarnockMainForm.PlayWavesActionExecute ") + QString::fromUtf8(error.what()),
            clRed, true);
    }
    form.PlayWavesAction->setText(caption);
    return colour;
}

void FitMediaScrollBar(QScrollBar* bar, int length)
{
    if (bar->maximum() == length)
        return;
    bar->setMaximum(length);
    bar->setPageStep(length / 10);
    bar->setSingleStep(length / 100 + 1);
}

void CloseMediaPlayer(TVarnockMainForm& form, TMainFormPlaybackState* state)
{
    if (state) {
        state->Player.stop();
        state->Player.setSource(QUrl());
    }
    form.MediaPlayer1->setEnabled(false);
    form.MediaPlayerScrollBar->setEnabled(false);
}

bool PlayWaveFile(TVarnockMainForm& form, TMainFormPlaybackState& state, const QString& path,
    TPlayedWave& current, TColor colour)
{
    QMediaPlayer& player = state.Player;
    bool finished = false;
    try {
        player.setSource(QUrl::fromLocalFile(path));
        form.MediaPlayer1->setEnabled(true);
        form.MediaPlayerScrollBar->setEnabled(true);
        form.MediaPlayerScrollBar->setValue(0);
        player.play();
        current.PlayStart = Now();
        form.PlayingMarker = {current.Frequency, colour, colour};
        while (!form.ClosingStarted && form.MediaPlayer1->isEnabled() && !PlayerAtEnd(player)
            && !PlayerFailed(player)) {
            PumpFor(LoopSleepMs);
            form.QuonAnalogueClock1->SetTimeBeingDisplayed(Now() + current.FileTime - current.PlayStart);
            FitMediaScrollBar(form.MediaPlayerScrollBar, int(std::min<qint64>(player.duration(), INT_MAX)));
            form.MediaPlayerScrollBar->setValue(int(std::min<qint64>(player.position(), INT_MAX)));
        }
        // A file that cannot be played counts as played, so it can be moved away like the others.
        finished = PlayerAtEnd(player) || PlayerFailed(player);
    } catch (const std::exception&) {
        finished = true;
    }
    CloseMediaPlayer(form, &state);
    return finished;
}

void PlaySeparator(TVarnockMainForm& form, TMainFormPlaybackState& state)
{
    const QString sound = SeparatorSoundFile();
    if (!QFileInfo::exists(sound)) {
        for (int i = 0; i < 20; ++i)
            PumpFor(50);
        return;
    }
    QMediaPlayer& separator = state.Separator;
    separator.setSource(QUrl::fromLocalFile(sound));
    separator.play();
    QElapsedTimer waited;
    waited.start();
    while (!PlayerAtEnd(separator) && !PlayerFailed(separator) && waited.elapsed() < SeparatorLimitMs
        && !form.ClosingStarted)
        PumpFor(20);
    separator.stop();
    separator.setSource(QUrl());
}

} // namespace

void TVarnockMainForm::FormCreatePlayback()
{
    PlayedWaves.clear();
    PlaybackState.reset(new TMainFormPlaybackState);
    // The player's own buttons act on the open file.
    QMediaPlayer* player = &PlaybackState->Player;
    connect(MediaPlayer1PlayButton, &QToolButton::clicked, player, &QMediaPlayer::play);
    connect(MediaPlayer1PauseButton, &QToolButton::clicked, player, &QMediaPlayer::pause);
    connect(MediaPlayer1NextButton, &QToolButton::clicked, player,
        [player] { player->setPosition(player->duration()); });
    connect(MediaPlayer1PrevButton, &QToolButton::clicked, player, [player] { player->setPosition(0); });
}

void TVarnockMainForm::PlayWavesActionExecute()
{
    const int counter = PlayWavesAction->property("Tag").toInt() + 1;
    PlayWavesAction->setProperty("Tag", counter);
    if (counter % 2 == 0) {
        PlayWavesAction->setChecked(false);
        CloseMediaPlayer(*this, PlaybackState.get());
        return;
    }
    const auto playing = [this] { return PlayWavesAction->property("Tag").toInt() % 2 == 1; };

    PlayWavesAction->setChecked(true);
    const QString caption = PlayWavesAction->text();
    // Step 10 in every case, also after an error.
    struct TRestore {
        TVarnockMainForm* Form;
        QString Caption;
        ~TRestore()
        {
            Form->LongCommentPanel->clear();
            Form->PlayWavesAction->setText(Caption);
            Form->PlayWavesAction->setChecked(false);
        }
    } restore {this, caption};

    QStringList files;
    qint64 totalBytes = 0;
    CollectWaves(*this, files, totalBytes, playing);

    const TClockAndCaption clockRestore(QuonAnalogueClock1, ClockTimer);
    QuonAnalogueClock1->SetColor(clWhite);

    PlayWavesAction->setText(QStringLiteral("Sorting"));
    PlayWavesSpeedButton->repaint();
    SortWaveFiles(files);
    if (totalBytes == 0)
        totalBytes = CountWaveBytes(*this, files);

    TByteProgress progress(PlayWavesProgressBar, totalBytes);
    DeletePlayedWavesAction->setEnabled(false);
    SavePlayedWavesAction->setEnabled(false);
    PlayedWaves.clear();

    TPlayedWave previous;
    TPlayedWave current;
    for (qsizetype index = 0; index < files.size() && !ClosingStarted && playing(); ++index) {
        const QString& path = files.at(index);
        previous = current;
        current.FileTime = TimeFromFileName(path);
        current.Frequency = FrequencyFromFileName(path);
        QuonAnalogueClock1->SetTimeBeingDisplayed(current.FileTime);
        const TColor colour = ShowPlaybackComments(*this, path, current.Frequency, previous.Frequency);

        AddToEventLog(QStringLiteral("Playing ") + path, clGray, false);
        const bool finished = PlayWaveFile(*this, *PlaybackState, path, current, colour);
        if (finished) {
            progress.Step(QFileInfo(path).size());
            AddSortedUnique(PlayedWaves, path);
            DeletePlayedWavesAction->setEnabled(true);
            SavePlayedWavesAction->setEnabled(true);
        }
        // Nothing more to hear once the playback has been stopped.
        if (index + 1 < files.size() && playing() && !ClosingStarted && SeparatorFollows(previous, current))
            PlaySeparator(*this, *PlaybackState);
    }
    PlayingMarker.PenColour = clWhite; // the audio chart's background
    PlayingMarker.BrushColour = clWhite;
    PlayWavesAction->setProperty("Tag", 0);
}

void TVarnockMainForm::MoveListedWaves(const QString& subfolder, TColor clockColour)
{
    const TWaitCursor cursor;
    const TClockAndCaption clockRestore(QuonAnalogueClock1, ClockTimer);
    QuonAnalogueClock1->SetColor(clockColour);
    const QString caption = windowTitle();
    const struct TCaption {
        TVarnockMainForm* Form;
        QString Text;
        ~TCaption() { Form->setWindowTitle(Text); }
    } captionRestore {this, caption};

    if (RecordingDirectory().isEmpty())
        return;
    SortWaveFiles(PlayedWaves);
    const QString folder = QDir(RecordingDirectory()).filePath(subfolder);
    while (!PlayedWaves.isEmpty()) {
        const QString path = PlayedWaves.takeFirst();
        MoveWaveFile(path, folder); // a failed move is not reported; the line below still shows it
        const QString name = QFileInfo(path).fileName();
        setWindowTitle(QStringLiteral("Moving ") + name);
        QuonAnalogueClock1->SetTimeBeingDisplayed(TimeFromFileName(name));
        AddToEventLog(QStringLiteral("Moved ") + path, clGray, false);
    }
    DeletePlayedWavesAction->setEnabled(false);
    SavePlayedWavesAction->setEnabled(false);
}

void TVarnockMainForm::DeletePlayedWavesActionExecute()
{
    MoveListedWaves(DeletedFolderName, clYellow);
}

void TVarnockMainForm::SavePlayedWavesActionExecute()
{
    MoveListedWaves(SavedFolderName, RGBColour(192, 192, 192));
}

void TVarnockMainForm::PurgeDeletedWavesActionExecute()
{
    const TWaitCursor cursor;
    const TClockAndCaption clockRestore(QuonAnalogueClock1, ClockTimer);
    const QString caption = windowTitle();
    const struct TCaption {
        TVarnockMainForm* Form;
        QString Text;
        ~TCaption() { Form->setWindowTitle(Text); }
    } captionRestore {this, caption};
    QuonAnalogueClock1->SetColor(clRed);
    if (RecordingDirectory().isEmpty())
        return;

    const QString folder = QDir(RecordingDirectory()).filePath(DeletedFolderName) + u'/';
    QList<QFileInfo> files;
    ForEachWaveFile(folder, WavePatterns, [&files](const QFileInfo& file) {
        files.append(file);
        return true;
    });
    for (const QFileInfo& file : files) {
        AddToEventLog(QStringLiteral("Attempting to delete ") + file.absoluteFilePath(), clGray, false);
        DeleteWaveFile(file); // read-only recordings stay, and nothing more is said
        setWindowTitle(QStringLiteral("Purged ") + file.fileName());
        QuonAnalogueClock1->SetTimeBeingDisplayed(TimeFromFileName(file.fileName()));
    }
}

void TVarnockMainForm::MediaPlayerScrollBarScroll()
{
    if (!PlaybackState)
        return;
    PlaybackState->Player.setPosition(MediaPlayerScrollBar->value());
    PlaybackState->Player.play();
}
