// The squelch event pipeline of the main window and the held-frequency announcements. Every report is acted
// on at once: a squelch period lasts from its opening report to the next closing report.

#include "monitor/MainFormUnit.h"

#include "app/DataModuleUnit.h"
#include "app/EventLogUnit.h"
#include "audio/HeldAnnouncementUnit.h"
#include "audio/RecordingUnit.h"
#include "audio/SimpleSpeechUnit.h"
#include "monitor/FrequencyTextUnit.h"
#include "receiver/DBAOR8200Unit.h"

#include <QAction>
#include <QColor>
#include <QLabel>
#include <QPalette>
#include <QProgressBar>
#include <QScrollBar>

#include <cstdint>
#include <stdexcept>

namespace {

constexpr std::int64_t RoundingStep = 50; // hertz
constexpr int ActivityBinMinutes = 5;
constexpr int ActivityWindowMinutes = 720;
constexpr double SecondsPerDay = 86400.0;

// To the nearest multiple of 50 Hz, an exact half to the even multiple.
std::int32_t RoundToStep(std::int32_t frequency)
{
    const std::int64_t value = frequency;
    std::int64_t quotient = value / RoundingStep;
    std::int64_t remainder = value % RoundingStep;
    if (remainder < 0) { // floor division, so that negative reports round the same way
        remainder += RoundingStep;
        --quotient;
    }
    const std::int64_t half = RoundingStep / 2;
    if (remainder > half || (remainder == half && quotient % 2 != 0))
        ++quotient;
    std::int64_t rounded = quotient * RoundingStep;
    if (rounded > INT32_MAX)
        rounded -= RoundingStep;
    else if (rounded < INT32_MIN)
        rounded += RoundingStep;
    return std::int32_t(rounded);
}

QString ChannelText(bool isSearch, char bank, std::int32_t channel)
{
    return isSearch ? QStringLiteral("Search") : MemoryName(bank, int(channel));
}

QString SquelchLine(
    std::int32_t frequency, bool isSearch, char bank, std::int32_t channel, const char* event, int level)
{
    return FormatFrequency(frequency, 0) + QStringLiteral("  ") + ChannelText(isSearch, bank, channel)
        + QStringLiteral("    Squelch ") + QLatin1String(event) + u' ' + QString::number(level);
}

struct TSpecialAttributes {
    bool IsSpecial = false;
    quint32 DisplayColour = 0;
    bool MakeAudioFilesReadOnly = false;
    bool HoldOnSquelch = false;
    bool SwitchAudioOn = false;
};

TSpecialAttributes SpecialAttributesOf(std::int32_t frequency)
{
    TSpecialAttributes attributes;
    if (DataModule1 != nullptr && frequency > 0)
        attributes.IsSpecial = DataModule1->GetSpecialFrequencyAttributes(frequency, attributes.DisplayColour,
            attributes.MakeAudioFilesReadOnly, attributes.HoldOnSquelch, attributes.SwitchAudioOn);
    return attributes;
}

// The driver's database copy off for one call, restored also when the call raises.
class TReceiverReadBracket {
public:
    explicit TReceiverReadBracket(TDBAOR8200& driver)
        : Driver(driver)
        , Saved(driver.UseDatabaseCopy)
    {
        Driver.UseDatabaseCopy = false;
    }
    ~TReceiverReadBracket() { Driver.UseDatabaseCopy = Saved; }
    TReceiverReadBracket(const TReceiverReadBracket&) = delete;
    TReceiverReadBracket& operator=(const TReceiverReadBracket&) = delete;

private:
    TDBAOR8200& Driver;
    bool Saved;
};

QColor ToQColor(TColor colour)
{
    return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

} // namespace

struct TMainFormSquelchState {
    // The moment of the report being handled: every step of one report uses the same.
    TDateTime ReportTime = 0;
    // The recording started at this period's opening; empty when the period records nothing. Only this file
    // is ever made read-only at the closing, never an earlier period's.
    QString PeriodRecordingFileName;
    // The voice, when no other part of the program has started one.
    std::unique_ptr<TSimpleSpeech> Speech;
};

void TMainFormSquelchStateDeleter::operator()(TMainFormSquelchState* state) const
{
    delete state;
}

void TVarnockMainForm::FormCreateSquelch()
{
    SquelchState.reset(new TMainFormSquelchState);
    if (!Speak(QString(), SpeakAsync | SpeakPurgeBeforeSpeak))
        SquelchState->Speech = std::make_unique<TSimpleSpeech>();
}

void TVarnockMainForm::HandleAOR8200Squelch(TAOR8200* /*sender*/, bool squelchOpen, std::uint8_t signalLevel,
    std::int32_t frequency, bool isSearch, char bank, std::int32_t channel)
{
    // A failing step ends this report's handling; the monitor goes on with the next report.
    try {
        const TDateTime now = Now();
        SquelchState->ReportTime = now;
        const std::int32_t rounded = RoundToStep(frequency);
        const int level = signalLevel;
        SquelchProgressBar->setValue(level);
        SquelchProgressBar->setToolTip(QStringLiteral("Squelch ") + QString::number(level));

        if (squelchOpen && rounded <= 0) {
            SquelchOpenTime = 0;
            CurrentFrequency = 0;
            SquelchState->PeriodRecordingFileName.clear();
            return;
        }
        if (squelchOpen) {
            CurrentFrequency = rounded;
            AddToEventLog(
                SquelchLine(CurrentFrequency, isSearch, bank, channel, "Open", level), clGreen, false);
            // A recording that cannot start is logged by the recorder; the opening is counted all the same.
            SquelchState->PeriodRecordingFileName.clear();
            bool recording = false;
            if (SquelchRecordOn()) {
                LastRecordingFileName = MakeWaveFileName(CurrentFrequency);
                recording = StartRecording(LastRecordingFileName);
                if (recording)
                    SquelchState->PeriodRecordingFileName = LastRecordingFileName;
            }
            SetTraceColour(recording ? clGreen : clRed);
            SquelchOpenTime = now;
            double total = 0;
            if (DataModule1)
                DataModule1->UpdateFrequencyLog(CurrentFrequency, 1, now, 0, isSearch, bank, channel, total);
            ApplySpecialFrequencyOnOpen(CurrentFrequency, isSearch, bank, channel);
            return;
        }

        const double duration = now - SquelchOpenTime;
        StopRecording();
        SetTraceColour(clGray);
        double total = 0;
        if (DataModule1)
            DataModule1->UpdateFrequencyLog(
                CurrentFrequency, 0, now, duration, isSearch, bank, channel, total);
        const TColor colour = ApplySpecialFrequencyOnClose(CurrentFrequency);
        SquelchState->PeriodRecordingFileName.clear();
        if (CurrentFrequency > 0) {
            UpdateDistributionBar(CurrentFrequency, colour, total);
            AddActivityPoint(ActivityBinMinutes, ActivityWindowMinutes, duration * SecondsPerDay, now);
            AddToEventLog(SquelchLine(CurrentFrequency, isSearch, bank, channel, "Close", level)
                    + QStringLiteral("\r\n"),
                clGreen, false);
        }
        CurrentFrequency = 0;
    } catch (const std::exception&) {
    }
}

void TVarnockMainForm::ApplySpecialFrequencyOnOpen(
    std::int32_t frequency, bool isSearch, char bank, std::int32_t channel)
{
    const TSpecialAttributes special = SpecialAttributesOf(frequency);
    if (!special.IsSpecial)
        return;

    if (AudioAutoSwitchOn() && special.SwitchAudioOn) {
        AudioOnActionExecute();
        // The playback loop sees the cleared counter at its next turn and stops.
        PlayWavesAction->setProperty("Tag", 0);
        MediaPlayer1->setEnabled(false);
        MediaPlayerScrollBar->setEnabled(false);
        if (isMinimized()) {
            showNormal();
        } else {
            raise();
            activateWindow();
        }
    }

    if (special.HoldOnSquelch && !FrequencyHeld && !isSearch) {
        QString text = FormatFrequency(frequency, 0);
        try {
            if (!Driver)
                throw std::runtime_error("no receiver driver");
            {
                // The receiver's own recall puts it on the channel, which stops the scan there.
                TReceiverReadBracket bracket(*Driver);
                MemoryChannelRecord record;
                Driver->ReadMemoryRecord(bank, int(channel), record);
            }
            text += QStringLiteral(" - Frequency Held ") + QChar(13)
                + QDateTimeFromDateTime(SquelchState->ReportTime)
                      .toString(QStringLiteral("yyyy-MM-dd  hh:mm:ss.zzz"));
            FrequencyHeld = true;
            HeldAnnouncement = HeldAnnouncementText(frequency);
            Speak(QString(), SpeakAsync | SpeakPurgeBeforeSpeak);
        } catch (const std::exception&) {
            text = FormatFrequency(frequency, 0) + QStringLiteral(" - FAILED to hold frequency");
        }
        QPalette palette = LongCommentPanel->palette();
        palette.setColor(QPalette::WindowText, ToQColor(special.DisplayColour));
        LongCommentPanel->setPalette(palette);
        LongCommentPanel->setText(text);
    }
}

TColor TVarnockMainForm::ApplySpecialFrequencyOnClose(std::int32_t frequency)
{
    const TSpecialAttributes special = SpecialAttributesOf(frequency);
    if (!special.IsSpecial)
        return 0;
    const QString& recording = SquelchState->PeriodRecordingFileName;
    if (special.MakeAudioFilesReadOnly && !recording.isEmpty())
        MakeRecordingReadOnly(recording);
    return special.DisplayColour;
}

void TVarnockMainForm::AnnounceHeldFrequency(TDateTime now)
{
    THeldFrequencyState state {FrequencyHeld, HeldAnnouncement, NextAnnouncementTime};
    ::AnnounceHeldFrequency(state, now, CurrentFrequency, AnnouncementInterval,
        [](const QString& sentence) { Speak(sentence, SpeakAsync); });
    NextAnnouncementTime = state.NextAnnouncementTime;
}
