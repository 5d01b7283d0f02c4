#pragma once
// The pieces of a whole-program test: a folder holding a copy of the built Varnock with a fresh database
// beside it, a private PulseAudio server, and the real program running there as a process offscreen. The
// receiver is the simulator, run in the test process, so that the test sees every byte and every report.

#include "ReceiverSimulator.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

#include <functional>
#include <memory>

// The simulator as the whole-program tests use it: a bank size change costs no waiting.
SimulatorOptions QuickReceiver();

// Polls the condition (handling events between tries) until it holds or the time runs out.
bool WaitUntil(const std::function<bool()>& condition, int milliseconds);

// The program's folder: Varnock, Varnock.ABS (from the build's template), a private temporary folder and
// a recording folder. The database is read and written here only while the program is not running.
class TProgramFolder {
public:
    TProgramFolder();
    bool IsValid() const { return Valid; }
    QString Path(const QString& name = {}) const;
    QString Database() const { return Path(QStringLiteral("Varnock.ABS")); }
    QString Backup() const { return Path(QStringLiteral("Varnock.DatabaseBackup")); }
    QString RecordingFolder() const { return Path(QStringLiteral("recordings")); }

    void SetOption(const QString& name, const QString& value);
    // Empty when the option is absent.
    QString Option(const QString& name) const;
    void Execute(const QString& sql);
    // Every row of a query, each as a list of column values.
    QList<QVariantList> Rows(const QString& sql) const;
    // The recordings below the recording folder, oldest name first.
    QStringList Recordings() const;

private:
    QTemporaryDir Dir;
    bool Valid = false;
};

// Reads any database file (for copies and backups) the same way as TProgramFolder::Rows.
QList<QVariantList> DatabaseRows(const QString& file, const QString& sql);

// A PulseAudio server of its own (scripts/pulse-start) in the folder; stopped when this goes.
class TPulseServer {
public:
    explicit TPulseServer(const QString& folder);
    ~TPulseServer();
    bool IsRunning() const { return !RuntimeDir.isEmpty(); }
    QString Problem() const { return StartProblem; }
    QString RuntimeDirectory() const { return RuntimeDir; }
    // The streams playing into the server ("pactl list short sink-inputs"); the keep-alive is one.
    int PlayingStreams() const;
    // The streams recording from it ("source-outputs"); the remapped microphone is one.
    int RecordingStreams() const;

private:
    int Streams(const QString& kind) const;
    QString Folder;
    QString RuntimeDir;
    QString StartProblem;
};

// The program as a process in its folder. Its output goes to varnock.out there.
class TProgram {
public:
    TProgram(const TProgramFolder& folder, const TPulseServer& pulse);
    ~TProgram();
    void Start();
    bool IsRunning() const;
    qint64 Pid() const;
    // SIGTERM, then the exit code once it ended (-1 when it did not end in time or crashed).
    int Terminate(int milliseconds = 30000);
    void Kill();
    int WaitForExit(int milliseconds);
    QString Output() const;
    // Resident memory from /proc, in kilobytes.
    qint64 ResidentKilobytes() const;
    // Files the process holds open whose names end in the suffix.
    QStringList OpenFiles(const QString& suffix) const;

private:
    const TProgramFolder& Folder;
    const TPulseServer& Pulse;
    std::unique_ptr<QProcess> Process;
};

// True once the program found the receiver (it switched the squelch reports on) and finished its start-up:
// the capture runs, and the options read after it are applied.
bool WaitForStartUp(const ReceiverSimulator& simulator, const TPulseServer& pulse, int reportSwitches = 1,
    int milliseconds = 60000);
int CommandCount(const ReceiverSimulator& simulator, const QByteArray& command);

// The two sizes in a WAV header and the file's length.
struct TWaveSizes {
    qint64 riffSize = -1;
    qint64 dataSize = -1;
    qint64 fileSize = -1;
};
TWaveSizes ReadWaveSizes(const QString& file);
// A closed recording holds exactly the header, the samples and an odd count's pad byte.
bool IsClosedWave(const QString& file);
// Bytes of one capture buffer (a quarter second of 16-bit stereo at 22050 per second).
constexpr qint64 CaptureBufferBytes = 22048;
// What sox makes of the file: its duration in seconds, or -1 when it cannot read it.
double SoxDuration(const QString& file);
