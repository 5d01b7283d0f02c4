#pragma once
// A receiver on a pseudo-terminal: it answers the receiver's command protocol, keeps its state, sends squelch
// reports and misbehaves on request, all on a thread of its own. Open DevicePath() as the serial device.

#include "ReceiverState.h"
#include "SquelchTraffic.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

class SimulatorError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Line faults, drawn from the simulator's seed so that one seed always gives the same schedule. Rates are
// chances per reply (0 never, 1 always).
struct FaultOptions {
    double dropReplyRate = 0; // the command is carried out, the reply never sent
    double garbleRate = 0; // one byte of the reply replaced by another
    double splitRate = 0; // the bytes go out in writes of 1-4 bytes, splitGapMs apart
    int splitGapMs = 2;
    bool noiseBetweenReports = false; // stray bytes (never an "L") after each squelch report
    bool silent = false; // reads everything, answers nothing
    bool xoffXonOnWrites = false; // DC3 DC1 before the acknowledgement of the commands below
    QList<QByteArray> xoffXonCommands = {"SE"};
};

struct SimulatorOptions {
    quint64 seed = 1;
    bool pace = false; // 19200 baud, 10 bits a byte, in and out
    int resortMs = 200; // how long a bank size change keeps the receiver deaf
    bool acknowledgePassDelete = true; // "PD" + bank + index answered by CR LF (else by nothing)
    bool keepRecords = true; // transcript, commands and reports in memory (a long demo may not want them)
    FaultOptions faults;
    std::optional<ReceiverState> state; // Default() when not given
};

class ReceiverSimulator {
public:
    // Creates the pseudo-terminal and starts answering; throws SimulatorError when no terminal can be had.
    explicit ReceiverSimulator(const SimulatorOptions& options = {});
    ~ReceiverSimulator();
    ReceiverSimulator(const ReceiverSimulator&) = delete;
    ReceiverSimulator& operator=(const ReceiverSimulator&) = delete;

    QString DevicePath() const;

    // Writes bytes to the line now, after any reply in progress, whatever the report switch says.
    void EmitReport(const QByteArray& bytes);

    // A squelch opening or closing as the receiver would report it: written only while reports are on.
    // A closing without a source closes where the last opening was. Returns at once; the report goes out
    // on the simulator's thread.
    void OpenSquelch(const SquelchSource& source, int level = 150);
    void CloseSquelch(int level = 10);
    void RunScript(const QList<ScriptStep>& steps, bool loop = false);
    void StartTraffic(const TrafficOptions& traffic);
    void StopTraffic();
    // Blocks until everything handed to the simulator so far has gone out on the line (true), or the time
    // ran out (false).
    bool WaitUntilIdle(int timeoutMs = 5000);

    ReceiverState State() const;
    void SetState(const ReceiverState& state);

    // Every byte in ("<") and out (">"), one chunk a line: milliseconds since start, direction, C escapes.
    QByteArray Transcript() const;
    void SetTranscriptFile(const QString& path); // also appended there as it happens; throws when unwritable
    QList<QByteArray> ReceivedCommands() const; // each command line received, without its terminator
    QList<SquelchReport> SentReports() const; // every well-formed report that went out, in order
    void ClearRecords(); // forgets transcript, commands and reports so far

    void SetFaults(const FaultOptions& faults);
    void SetSilent(bool silent);
    // Called on the simulator's thread at every squelch opening (reported or not), e.g. to play a sound.
    void SetOpeningHandler(std::function<void(const SquelchReport&, int openMs)> handler);

    // Closes the terminal: the device vanishes and whoever has it open reads end of file or an error.
    void Stop();
    bool IsStopped() const;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};
