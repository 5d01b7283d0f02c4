// The squelch event pipeline on a main window offscreen: squelch reports handed straight to
// HandleAOR8200Squelch, sound through fake devices, the receiver (where one is needed) a simulator on a
// pseudo-terminal. Covers rounding, the log lines, recording per period, the frequency log, special
// frequencies (audio switch-on, hold, read-only marking), the Audio and Record actions and the announcement
// schedule.

#include "../app/TestDatabase.h"
#include "../audio/EventLogCapture.h"
#include "ReceiverSimulator.h"
#include "app/DataModuleUnit.h"
#include "app/VarnockApplicationUnit.h"
#include "audio/AudioControllerUnit.h"
#include "audio/AudioDeviceUnit.h"
#include "monitor/FrequencyTextUnit.h"
#include "monitor/MainFormUnit.h"
#include "receiver/DBAOR8200Unit.h"
#include "receiver/SerialCommUnit.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <deque>
#include <memory>

namespace {

constexpr std::int32_t Frequency = 145500000;
constexpr std::int32_t Special = 118100000;

// Capture that the test fills: full buffers come back as posted calls, as from a real device.
class TFakeCapture : public QObject, public TAudioCaptureDevice {
public:
    void Open(const TAudioFormat&, BufferHandler onFull) override
    {
        if (FailOpen)
            throw EAudioDevice("waveInOpen 2");
        OnFull = std::move(onFull);
    }
    void Start() override { }
    void AddBuffer(TCaptureBuffer* buffer) override { Queued.push_back(buffer); }
    void Reset() override
    {
        while (!Queued.empty())
            HandBack(0);
    }
    void Close() override { Queued.clear(); }

    // One quarter of a second of a constant sample value, delivered now.
    void Deliver(char value)
    {
        if (Queued.empty())
            return;
        HandBack(value, Queued.front()->Data.size());
        QCoreApplication::processEvents();
    }

    bool FailOpen = false;
    std::deque<TCaptureBuffer*> Queued;

private:
    void HandBack(char value, qint64 bytes = 0)
    {
        TCaptureBuffer* buffer = Queued.front();
        Queued.pop_front();
        buffer->Data.fill(value);
        buffer->BytesRecorded = bytes;
        buffer->Done = true;
        QMetaObject::invokeMethod(
            this, [handler = OnFull, buffer] { handler(buffer); }, Qt::QueuedConnection);
    }

    BufferHandler OnFull;
};

class TFakeOutput : public QObject, public TAudioOutputDevice {
public:
    void Open(const TAudioFormat&, BufferHandler onDone) override
    {
        ++Opens;
        if (FailOpen)
            throw EAudioDevice("waveOutOpen 2");
        OnDone = std::move(onDone);
    }
    void Write(TOutputBuffer* buffer) override
    {
        buffer->Done = true;
        QMetaObject::invokeMethod(
            this, [handler = OnDone, buffer] { handler(buffer); }, Qt::QueuedConnection);
    }
    void Reset() override { }
    void Close() override { }

    int Opens = 0;
    bool FailOpen = false;

private:
    BufferHandler OnDone;
};

// Answers every modal box (the start-up search's "AOR8200 not found").
class TBoxAnswerer : public QObject {
public:
    TBoxAnswerer()
    {
        connect(&Timer, &QTimer::timeout, this, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                AnswerNegatively(modal);
        });
        Timer.start(10);
    }

private:
    QTimer Timer;
};

struct TLogRow {
    int Count = -1;
    double Duration = -1; // days
};

// By the mode bits (WriteUser tells what this user may do, and root may always write).
bool IsReadOnly(const QString& path)
{
    const QFileDevice::Permissions writable
        = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return (QFileInfo(path).permissions() & writable) == 0;
}

} // namespace

class SquelchPipelineTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> Folder;
    std::unique_ptr<TDataModule1> Module;
    std::unique_ptr<TVarnockMainForm> Form;
    std::unique_ptr<ReceiverSimulator> Simulator;
    std::unique_ptr<TEventLogCapture> Log;
    TFakeCapture* Capture = nullptr;
    TFakeOutput* Output = nullptr;

    void Exec(const QString& sql)
    {
        QSqlQuery query(Module->Database());
        QVERIFY2(query.exec(sql), qPrintable(query.lastError().text()));
    }

    TLogRow LogRow(std::int32_t frequency)
    {
        QSqlQuery query(Module->Database());
        query.prepare("SELECT SquelchCount, SquelchDuration FROM FrequencyLogTable_ WHERE Frequency = ?");
        query.addBindValue(frequency);
        if (!query.exec() || !query.next())
            return {};
        return {query.value(0).toInt(), query.value(1).toDouble()};
    }

    int LogRows()
    {
        QSqlQuery query("SELECT COUNT(*) FROM FrequencyLogTable_", Module->Database());
        return query.next() ? query.value(0).toInt() : -1;
    }

    // attributes: DisplayColour, MakeAudioFilesReadOnly, HoldOnSquelch, SwitchAudioOn
    void AddSpecial(std::int32_t frequency, TColor colour, bool readOnly, bool hold, bool switchOn)
    {
        Exec(QString("INSERT INTO SpecialFrequenciesTable_ VALUES (%1, %2, %3, %4, %5)")
                 .arg(frequency)
                 .arg(colour)
                 .arg(int(readOnly))
                 .arg(int(hold))
                 .arg(int(switchOn)));
    }

    // The window on fake sound devices; with a receiver when one was started.
    void CreateForm()
    {
        auto capture = std::make_unique<TFakeCapture>();
        auto output = std::make_unique<TFakeOutput>();
        Capture = capture.get();
        Output = output.get();
        TVarnockMainForm::UseAudioDevicesForTesting(std::move(capture), std::move(output));
        Module->SetOptionString(
            "SerialPortDevices", Simulator ? Simulator->DevicePath() : Folder->filePath("no-receiver"));
        SetSerialPortTable({Simulator ? Simulator->DevicePath() : Folder->filePath("no-receiver")});
        TBoxAnswerer answerer;
        Form = std::make_unique<TVarnockMainForm>();
        Log->Clear();
    }

    void Open(
        std::int32_t frequency, int level = 120, bool isSearch = false, char bank = 'A', int channel = 5)
    {
        Form->HandleAOR8200Squelch(
            Form->Driver.get(), true, std::uint8_t(level), frequency, isSearch, bank, channel);
    }
    void Close(int level = 12, bool isSearch = false, char bank = 'A', int channel = 5)
    {
        Form->HandleAOR8200Squelch(
            Form->Driver.get(), false, std::uint8_t(level), 0, isSearch, bank, channel);
    }

    QStringList Wavs() const
    {
        return QDir(Form->RecordingDirectory()).entryList({"*.Wav"}, QDir::Files, QDir::Name);
    }

private Q_SLOTS:
    void init()
    {
        Folder = std::make_unique<QTemporaryDir>();
        QVERIFY(!PrepareProgramFolder(*Folder).isEmpty());
        Module = std::make_unique<TDataModule1>();
        Exec("DELETE FROM OptionsTable_");
        Module->SetOptionString("RecordedWaveFileDirectory", Folder->filePath("recordings"));
        Log = std::make_unique<TEventLogCapture>();
    }

    void cleanup()
    {
        Form.reset();
        Simulator.reset();
        Module.reset();
        Log.reset();
        Folder.reset();
        SetSerialPortTable({});
    }

    // Reports are rounded to 50 Hz, halves to even; what rounds to 0 or less starts no period.
    void rounding_data()
    {
        QTest::addColumn<int>("reported");
        QTest::addColumn<int>("current");
        QTest::newRow("half down to even") << 145512525 << 145512500;
        QTest::newRow("half up to even") << 145512575 << 145512600;
        QTest::newRow("below half") << 145512524 << 145512500;
        QTest::newRow("above half") << 145512526 << 145512550;
        QTest::newRow("exact") << 27555000 << 27555000;
        QTest::newRow("75 Hz to 100") << 75 << 100;
        QTest::newRow("25 Hz to 0") << 25 << 0;
        QTest::newRow("zero") << 0 << 0;
        QTest::newRow("negative") << -1000 << 0;
    }
    void rounding()
    {
        QFETCH(int, reported);
        QFETCH(int, current);
        CreateForm();
        Form->SquelchOpenTime = 12345;
        Open(reported, 77);
        QCOMPARE(Form->CurrentFrequency, current);
        QCOMPARE(Form->SquelchProgressBar->value(), 77);
        QCOMPARE(Form->SquelchProgressBar->toolTip(), QString("Squelch 77"));
        if (current == 0) {
            // Nothing logged or counted, and the following closing adds nothing either.
            QCOMPARE(Form->SquelchOpenTime, 0.0);
            Close();
            QCOMPARE(Log->Messages(), QStringList());
            QCOMPARE(LogRows(), 0);
        } else {
            QCOMPARE(LogRow(current).Count, 1);
        }
    }

    // One period with recording on: the lines in order, one WAV with the delivered samples, the log row.
    void periodWithRecording()
    {
        CreateForm();
        Form->RecordOnAction->trigger();
        QCOMPARE(Form->SquelchRecordAction->property("imageIndex").toInt(), 22);
        QVERIFY(Form->SquelchRecordToolButton->isChecked());

        Open(Frequency, 130);
        const QString file = Form->LastRecordingFileName;
        QVERIFY(QFileInfo(file).fileName().startsWith(" 145.500000 MHz_"));
        QCOMPARE(Form->TraceColour(), clGreen);
        QCOMPARE(Form->windowTitle(), "Varnock " + QFileInfo(file).fileName());
        Capture->Deliver(7);
        Capture->Deliver(7);
        QTest::qWait(200);
        Close(15);

        QCOMPARE(Log->Messages(),
            QStringList({" 145.500000 MHz  A05    Squelch Open 130", "Recording Start " + file,
                "Recording Stop " + file + "  44096 data bytes",
                " 145.500000 MHz  A05    Squelch Close 15\r\n"}));
        const std::vector<TColor> colours = {clGreen, clPurple, clPurple, clGreen};
        QCOMPARE(Log->Colours(), colours);
        QCOMPARE(Form->TraceColour(), clGray);
        QCOMPARE(Form->windowTitle(), QString("Varnock"));
        QCOMPARE(Form->CurrentFrequency, 0);
        QCOMPARE(Wavs().size(), 1);
        QFile wav(file);
        QVERIFY(wav.open(QIODevice::ReadOnly));
        QCOMPARE(wav.size(), 44 + 44096);
        QVERIFY(!IsReadOnly(file)); // not a special frequency
        const TLogRow row = LogRow(Frequency);
        QCOMPARE(row.Count, 1);
        QVERIFY2(row.Duration * 86400 >= 0.19 && row.Duration * 86400 < 2,
            qPrintable(QString::number(row.Duration * 86400)));
    }

    // Recording off: red traces at the opening, no recording lines; a search opening names no channel.
    void periodWithoutRecording()
    {
        CreateForm();
        Open(Frequency, 99, true, 'b', 0);
        QCOMPARE(Form->TraceColour(), clRed);
        Capture->Deliver(3);
        Close(5, true, 'b', 0);
        QCOMPARE(Log->Messages(),
            QStringList({" 145.500000 MHz  Search    Squelch Open 99",
                " 145.500000 MHz  Search    Squelch Close 5\r\n"}));
        QVERIFY(Wavs().isEmpty());
        QCOMPARE(LogRow(Frequency).Count, 1);
    }

    // A second opening without a closing: a new recording, counted again, one closing line only.
    void twoOpeningsInARow()
    {
        CreateForm();
        Form->RecordOnAction->trigger();
        Open(Frequency);
        const QString first = Form->LastRecordingFileName;
        Capture->Deliver(1);
        QTest::qWait(5);
        Open(Frequency);
        const QString second = Form->LastRecordingFileName;
        QVERIFY(first != second);
        Capture->Deliver(2);
        Close();
        const QStringList messages = Log->Messages();
        QCOMPARE(messages.filter("Recording Start ").size(), 2);
        QCOMPARE(messages.filter("Recording Stop ").size(), 2);
        QCOMPARE(messages.filter("Squelch Close").size(), 1);
        // The second opening's line, then the first file's stop, then the second start.
        QCOMPARE(messages.indexOf(
                     QRegularExpression("^Recording Stop " + QRegularExpression::escape(first) + ".*")),
            3);
        QCOMPARE(LogRow(Frequency).Count, 2);
        QCOMPARE(Wavs().size(), 2);
    }

    // A closing without an opening: only the level, the traces and the recording state change.
    void closingWithoutOpening()
    {
        CreateForm();
        Close(44);
        QCOMPARE(Form->SquelchProgressBar->value(), 44);
        QCOMPARE(Form->TraceColour(), clGray);
        QCOMPARE(Log->Messages(), QStringList());
        QCOMPARE(LogRows(), 0);
    }

    // A period in which no sample arrived leaves no file behind.
    void emptyRecordingIsDeleted()
    {
        CreateForm();
        Form->RecordOnAction->trigger();
        Open(Frequency);
        const QString file = Form->LastRecordingFileName;
        Close();
        QVERIFY(Log->Messages().contains("Recording Stop " + file + "  0 data bytes"));
        QVERIFY(Log->Messages().contains(file + " contains no data - deleted"));
        QVERIFY(Wavs().isEmpty());
    }

    // A recording that cannot start is logged in red, and the opening still counts and times the period.
    void recordingThatCannotStartStillCounts()
    {
        QFile blocker(Folder->filePath("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        Module->SetOptionString("RecordedWaveFileDirectory", blocker.fileName()); // a file, not a folder
        AddSpecial(Frequency, clNavy, true, false, false);
        CreateForm();
        Form->RecordOnAction->trigger();
        Open(Frequency);
        const TDateTime opened = Form->SquelchOpenTime;
        QVERIFY(std::abs(opened - Now()) < 2.0 / 86400);
        QCOMPARE(Form->TraceColour(), clRed);
        QCOMPARE(LogRow(Frequency).Count, 1);
        const QStringList messages = Log->Messages();
        QCOMPARE(messages.size(), 2);
        QVERIFY(messages[1].startsWith("TVarnockMainForm.StartRecording "));
        QCOMPARE(Log->Colours()[1], clRed);
        QTest::qWait(100);
        Close();
        QVERIFY(LogRow(Frequency).Duration * 86400 < 2);
        QCOMPARE(Log->Messages().filter("Recording Stop").size(), 0);
        QVERIFY(Log->Messages().last().contains("Squelch Close"));
    }

    // Read-only marking takes only the recording of the period that closes, never an earlier one.
    void readOnlyMarksOnlyThisPeriodsRecording()
    {
        AddSpecial(Special, clMaroon, true, false, false);
        CreateForm();
        Form->RecordOnAction->trigger();
        Open(Frequency);
        const QString plain = Form->LastRecordingFileName;
        Capture->Deliver(1);
        Close();
        QVERIFY(!IsReadOnly(plain));

        Form->RecordOffAction->trigger();
        QCOMPARE(Form->SquelchRecordAction->property("imageIndex").toInt(), 23);
        Open(Special);
        Capture->Deliver(1);
        Close();
        QVERIFY(!IsReadOnly(plain)); // the earlier period's file is left alone

        Form->RecordOnAction->trigger();
        Open(Special);
        const QString special = Form->LastRecordingFileName;
        Capture->Deliver(1);
        Close();
        QVERIFY(IsReadOnly(special));
        QVERIFY(!IsReadOnly(plain));
    }

    // Switching Record off during a period closes the file at once; on again records from the next opening.
    void recordSwitchedDuringAPeriod()
    {
        CreateForm();
        Form->SquelchRecordAction->trigger();
        QVERIFY(Form->SquelchRecordOn());
        Open(Frequency);
        Capture->Deliver(1);
        Form->SquelchRecordAction->trigger();
        QVERIFY(!Form->SquelchRecordOn());
        QVERIFY(Form->AudioController()->CurrentRecordingFileName().isEmpty());
        QCOMPARE(Log->Messages().filter("Recording Stop ").size(), 1);
        Form->RecordOnAction->trigger();
        Capture->Deliver(1);
        QVERIFY(Form->AudioController()->CurrentRecordingFileName().isEmpty());
        Close();
        QCOMPARE(Wavs().size(), 1);
    }

    // A burst of openings and closings: every one counted, one file each, none left open.
    void burstOfPeriods()
    {
        CreateForm();
        Form->RecordOnAction->trigger();
        constexpr int Periods = 100;
        for (int period = 0; period < Periods; ++period) {
            Open(Frequency + 12500 * (period % 4));
            Capture->Deliver(char(period));
            Close();
            QTest::qWait(1); // distinct file names
        }
        int counted = 0;
        for (int step = 0; step < 4; ++step)
            counted += LogRow(Frequency + 12500 * step).Count;
        QCOMPARE(counted, Periods);
        QCOMPARE(Wavs().size(), Periods);
        QVERIFY(Form->AudioController()->CurrentRecordingFileName().isEmpty());
        QCOMPARE(Log->Messages().filter("Squelch Close").size(), Periods);
    }

    // Special frequency with switch-on: live audio on and playback stopped, only when auto switch-on is on.
    void audioSwitchOn_data()
    {
        QTest::addColumn<bool>("autoSwitchOn");
        QTest::addColumn<bool>("switchAttribute");
        QTest::addColumn<bool>("expectOn");
        QTest::newRow("both") << true << true << true;
        QTest::newRow("auto off") << false << true << false;
        QTest::newRow("attribute off") << true << false << false;
    }
    void audioSwitchOn()
    {
        QFETCH(bool, autoSwitchOn);
        QFETCH(bool, switchAttribute);
        QFETCH(bool, expectOn);
        AddSpecial(Special, clNavy, false, false, switchAttribute);
        Module->SetOptionBoolean("AudioAutoSwitchOn", autoSwitchOn);
        CreateForm();
        QCOMPARE(Form->Autoswitchon1->text(),
            QString(autoSwitchOn ? "Disable Auto Switch On" : "Enable Auto Switch On"));
        Form->PlayWavesAction->setProperty("Tag", 3);
        Open(Special);
        QCOMPARE(Form->OutputAudioOn(), expectOn);
        QCOMPARE(Form->AudioToggleToolButton->isChecked(), expectOn);
        QCOMPARE(Form->PlayWavesAction->property("Tag").toInt(), expectOn ? 0 : 3);
        if (expectOn)
            QVERIFY(!Form->MediaPlayerScrollBar->isEnabled() && !Form->MediaPlayer1->isEnabled());
        // The live output plays the captured buffers.
        Capture->Deliver(5);
        QTRY_COMPARE(Form->AudioController()->OutputBufferCount(), 0);
        QCOMPARE(Capture->Queued.size(), std::size_t(4)); // re-queued after playing
        QCOMPARE(Form->LongCommentPanel->text(), QString()); // no hold attribute
    }

    // Without a receiver the hold fails visibly and is tried again at the next opening; searching never
    // holds.
    void holdWithoutAReceiver()
    {
        AddSpecial(Special, clMaroon, false, true, false);
        CreateForm();
        Open(Special, 100, true, 'b', 0);
        QCOMPARE(Form->LongCommentPanel->text(), QString());
        Close();
        Open(Special);
        QCOMPARE(Form->LongCommentPanel->text(), QString(" 118.100000 MHz - FAILED to hold frequency"));
        QCOMPARE(Form->LongCommentPanel->palette().color(QPalette::WindowText), QColor(128, 0, 0));
        QVERIFY(!Form->FrequencyHeld);
        QVERIFY(Form->Driver->UseDatabaseCopy);
        QCOMPARE(LogRow(Special).Count, 2);
    }

    // With a receiver: held once by recalling the channel from the receiver itself, announced on schedule.
    void holdOnAReceiver()
    {
        SimulatorOptions options;
        Simulator = std::make_unique<ReceiverSimulator>(options);
        const ReceiverState state = Simulator->State();
        int channel = -1;
        for (int candidate = 0; candidate < state.BankSize('A') && channel < 0; ++candidate) {
            if (!state.Memory('A', candidate)->isEmpty)
                channel = candidate;
        }
        QVERIFY(channel >= 0);
        const std::int32_t stored = state.Memory('A', channel)->frequency;
        AddSpecial(stored, clMaroon, false, true, false);
        CreateForm();
        QVERIFY(Form->Driver->GetCommPortNumber() != 0);
        QVERIFY(Form->Driver->UseDatabaseCopy);
        // The copy holds the channel: a read through it would not reach the receiver.
        MemoryChannelRecord copy;
        Form->Driver->ReadMemoryRecord('A', channel, copy);
        Simulator->ClearRecords();

        Open(stored, 150, false, 'A', channel);
        QVERIFY(Form->FrequencyHeld);
        const QString recall = QString("MRA%1").arg(channel, 2, 10, QChar('0'));
        QVERIFY2(Simulator->ReceivedCommands().contains(recall.toLatin1()),
            qPrintable(QString::fromLatin1(Simulator->ReceivedCommands().join(' '))));
        QVERIFY(Form->Driver->UseDatabaseCopy);
        const QString text = Form->LongCommentPanel->text();
        QVERIFY2(text.startsWith(FormatFrequency(stored, 0) + " - Frequency Held \r"), qPrintable(text));
        QVERIFY(QDateTime::fromString(text.section('\r', 1), "yyyy-MM-dd  hh:mm:ss.zzz").isValid());
        QCOMPARE(Form->HeldAnnouncement,
            "Frequency held.. " + QString::number(stored / 1e6, 'g', 15) + " megahertz");
        Close();

        // Held already: the next opening sends no recall.
        Simulator->ClearRecords();
        Open(stored, 150, false, 'A', channel);
        Close();
        QVERIFY(!Simulator->ReceivedCommands().contains(recall.toLatin1()));

        // The first tick schedules, a tick during an open squelch only reschedules.
        Form->ClockTimer->stop();
        const TDateTime noon = 45321.5;
        Form->AnnounceHeldFrequency(noon);
        QCOMPARE(Form->NextAnnouncementTime, noon + 23 / 86400.0);
        Open(stored, 150, false, 'A', channel);
        Form->AnnounceHeldFrequency(noon + 24 / 86400.0);
        QCOMPARE(Form->NextAnnouncementTime, noon + 47 / 86400.0);
        Close();

        // A scan ends the hold.
        Form->AOR8200ScanAction->trigger();
        QVERIFY(!Form->FrequencyHeld);
        QCOMPARE(Form->NextAnnouncementTime, 0.0);
    }

    // Audio On that cannot open: one red line, the button stays up, the next press tries again; the toggle.
    void audioActions()
    {
        CreateForm();
        Output->FailOpen = true;
        Form->AudioOnAction->trigger();
        QVERIFY(!Form->OutputAudioOn());
        QVERIFY(!Form->AudioToggleToolButton->isChecked());
        QCOMPARE(Log->Messages().size(), 1);
        QCOMPARE(Log->Colours()[0], clRed);
        Form->AudioOffAction->trigger(); // nothing to close, no error
        QCOMPARE(Log->Messages().size(), 1);

        Output->FailOpen = false;
        Form->AudioToggleToolButton->click();
        QCOMPARE(Output->Opens, 2);
        QVERIFY(Form->OutputAudioOn());
        QVERIFY(Form->AudioToggleToolButton->isChecked());
        QCOMPARE(Form->AudioToggleAction->property("imageIndex").toInt(), 1);
        Form->AudioToggleToolButton->click();
        QVERIFY(!Form->OutputAudioOn());
        QVERIFY(!Form->AudioToggleToolButton->isChecked());
        QCOMPARE(Form->AudioToggleAction->property("imageIndex").toInt(), 0);

        Form->Autoswitchon1->trigger();
        QVERIFY(Form->AudioAutoSwitchOn());
        QCOMPARE(Form->Autoswitchon1->text(), QString("Disable Auto Switch On"));
    }

    // The stored switches take effect at start-up and are written back at closing.
    void optionsAtStartUpAndClosing()
    {
        Module->SetOptionBoolean("SquelchRecordOn", true);
        Module->SetOptionBoolean("OutputAudioOn", true);
        CreateForm();
        QVERIFY(Form->SquelchRecordOn());
        QVERIFY(Form->OutputAudioOn());
        QVERIFY(Form->AudioController()->InputAudioOn());
        QCOMPARE(Form->AudioController()->InputFormat().Channels, 2);
        QCOMPARE(Form->RecordingDirectory(), Folder->filePath("recordings") + "/Varnock/");
        Form->RecordOffAction->trigger();
        Form->Autoswitchon1->trigger();
        Form->close();
        QVERIFY(!Form->AudioController()->InputAudioOn());
        QVERIFY(!Form->AudioController()->OutputAudioOn());
        QCOMPARE(Module->GetOptionBoolean("SquelchRecordOn"), false);
        QCOMPARE(Module->GetOptionBoolean("OutputAudioOn"), true);
        QCOMPARE(Module->GetOptionBoolean("AudioAutoSwitchOn"), true);
    }
};

QTEST_MAIN(SquelchPipelineTest)
#include "SquelchPipelineTest.moc"
