// Starting playback on a recording folder of 10000 recordings in the main window (offscreen): the time from
// the click until the first file plays (collecting, sorting and counting), and the longest stretch in which
// the window handled no events meanwhile. The library's collecting and sorting alone are timed beside it.
// Goal: first file playing within 1 s.

#include "app/DataModuleUnit.h"
#include "app/EventLogUnit.h"
#include "app/VarnockApplicationUnit.h"
#include "audio/AudioFormatUnit.h"
#include "audio/WaveFileUnit.h"
#include "audio/WaveLibraryUnit.h"
#include "monitor/FrequencyTextUnit.h"
#include "monitor/MainFormUnit.h"
#include "receiver/SerialCommUnit.h"
#include "support/ProgramFilesUnit.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>

namespace {

constexpr int Recordings = 10000;

// Names as the recorder makes them, in shuffled creation order so the folder's order is not the time order.
bool MakeRecordings(const QString& folder)
{
    if (!QDir().mkpath(folder))
        return false;
    TWaveFileWriter writer;
    const QByteArray samples(2205 * 2, '\0'); // 0.1 s
    std::vector<int> order(Recordings);
    for (int i = 0; i < Recordings; ++i)
        order[size_t(i)] = i;
    std::shuffle(order.begin(), order.end(), std::mt19937(7));
    const QDateTime start(QDate(2024, 3, 1), QTime(6, 0));
    for (int i : order) {
        const QString name = FormatFrequency(25000000 + (i % 400) * 12500, 0) + u'_'
            + start.addMSecs(qint64(i) * 7301).toString(QStringLiteral("yyyyMMdd_hhmmss.zzz")) + ".Wav";
        try {
            writer.OpenWaveFile(folder + name, InitialAudioFormat());
            writer.WriteWaveData(samples.constData(), samples.size());
            writer.CloseWaveFile();
        } catch (const std::exception&) {
            return false;
        }
    }
    return true;
}

// Notes the moment the first file starts playing and stops the playback there.
class TFirstPlaying : public EventLogSink {
public:
    TFirstPlaying(QElapsedTimer& clock, QAction* play)
        : Clock(clock)
        , Play(play)
    {
        SetEventLogSink(this);
    }
    ~TFirstPlaying() override { SetEventLogSink(nullptr); }
    void AppendLine(const EventLogLine& line) override
    {
        if (FirstMs >= 0 || !line.text.contains(QStringLiteral("Playing ")))
            return;
        FirstMs = double(Clock.nsecsElapsed()) / 1e6;
        QTimer::singleShot(0, Play, &QAction::trigger);
    }
    double FirstMs = -1;

private:
    QElapsedTimer& Clock;
    QAction* Play;
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir program;
    SetExecutablePathForTesting(program.filePath(QStringLiteral("Varnock")));
    const QString database = ProgramFile(QStringLiteral(".ABS"));
    if (!QFile::copy(QStringLiteral(VARNOCK_BINARY_DIR "/db/VarnockTemplate.ABS"), database)
        || !QFile::setPermissions(database, QFile::ReadOwner | QFile::WriteOwner)) {
        std::fprintf(stderr, "cannot prepare %s\n", qPrintable(database));
        return 1;
    }
    auto dataModule = std::make_unique<TDataModule1>();
    dataModule->SetOptionString(
        QStringLiteral("RecordedWaveFileDirectory"), program.filePath(QStringLiteral("rec")));
    SetSerialPortTable({program.filePath(QStringLiteral("no-receiver"))});

    // No receiver answers: the start-up search ends in a box, answered here.
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [] {
        if (QWidget* modal = QApplication::activeModalWidget())
            AnswerNegatively(modal);
    });
    answerer.start(20);
    auto window = std::make_unique<TVarnockMainForm>();
    answerer.stop();
    window->show();
    QApplication::processEvents();

    const QString folder = window->RecordingDirectory();
    QElapsedTimer made;
    made.start();
    if (!MakeRecordings(folder)) {
        std::fprintf(stderr, "cannot write the recordings into %s\n", qPrintable(folder));
        return 1;
    }
    const double makeMs = double(made.nsecsElapsed()) / 1e6;

    // The library alone: list the folder and sort it by recording time.
    QElapsedTimer library;
    library.start();
    QStringList files;
    ForEachWaveFile(folder, WavePatterns, [&files](const QFileInfo& file) {
        files.append(file.absoluteFilePath());
        return true;
    });
    const double listMs = double(library.nsecsElapsed()) / 1e6;
    SortWaveFiles(files);
    const double sortMs = double(library.nsecsElapsed()) / 1e6 - listMs;

    // The window: click, and watch how long the event loop goes unserved.
    QElapsedTimer clock;
    QElapsedTimer sinceTick;
    double longestGapMs = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestGapMs = std::max(longestGapMs, double(sinceTick.nsecsElapsed()) / 1e6);
        sinceTick.start();
    });
    TFirstPlaying first(clock, window->PlayWavesAction);
    ticker.start();
    sinceTick.start();
    clock.start();
    window->PlayWavesAction->trigger();
    const double wholeMs = double(clock.nsecsElapsed()) / 1e6;
    ticker.stop();

    std::printf(
        "Playback start on %d recordings (%lld files listed; made in %.0f ms):\n"
        "  library: listing %.1f ms, sorting %.1f ms\n"
        "  window: first file playing %.1f ms after the click (goal <= 1000 ms)\n"
        "  window: longest stretch without event handling %.1f ms; stopped and restored after %.1f ms\n",
        Recordings, qlonglong(files.size()), makeMs, listMs, sortMs, first.FirstMs, longestGapMs, wholeMs);
    window.reset();
    dataModule.reset();
    return first.FirstMs >= 0 ? 0 : 1;
}
