#pragma once
// WAV recordings of the capture stream: the recording folder, the file names and one recording at a time.

#include "audio/AudioFormatUnit.h"
#include "audio/WaveFileUnit.h"
#include "support/Colour.h"

#include <QDateTime>
#include <QObject>
#include <QString>

// The folder rule without side effects: the option (trailing delimiters removed) or, when the option is
// empty, the documents folder, plus the program's name; the program's name alone (relative to the working
// directory) when both are empty. Always ends in "/".
QString RecordingDirectoryPath(
    const QString& optionValue, const QString& documentsFolder, const QString& programName);

// The folder for the option "RecordedWaveFileDirectory" (value given by the caller), created with its
// parents.
QString MakeRecordingDirectory(const QString& optionValue);

// directory + FormatFrequency(frequency) (leading blanks kept) + "_" + "yyyymmdd_hhnnss.zzz" + ".Wav".
QString MakeWaveFileName(const QString& directory, qint32 frequency, const QDateTime& moment);

// Marks a recording read-only (removes every write permission bit, keeps the rest). False when the file does
// not exist or its permissions cannot be changed.
bool MakeRecordingReadOnly(const QString& fileName);

class TRecorder : public QObject {
    Q_OBJECT
public:
    explicit TRecorder(QObject* parent = nullptr);
    ~TRecorder() override;

    QString RecordingDirectory() const { return Directory; }
    void SetRecordingDirectory(const QString& directory) { Directory = directory; }

    // The name for a recording of this frequency starting now.
    QString MakeWaveFileName(qint32 frequency) const;

    // Stops a running recording of another file and starts this one. The same name again does nothing.
    // A file that cannot be opened is removed, logged in red and false returned; nothing records then.
    bool StartRecording(const QString& fileName, const TAudioFormat& format);

    // Ends the recording, if any, and deletes it when it holds no samples. Always resets caption and traces.
    void StopRecording();

    // Appends a captured buffer while a recording runs. The first failure of a recording is logged in red.
    void WriteWaveData(const char* data, qint64 count);

    bool IsRecording() const { return !CurrentRecordingFileName().isEmpty(); }
    QString CurrentRecordingFileName() const { return CurrentFileName; }
    qint64 RecordedDataBytes() const { return Writer.RecordedDataBytes(); }

Q_SIGNALS:
    // The main window's caption: "Varnock" or "Varnock " + the recording's file name.
    void CaptionChanged(const QString& caption);
    // Both audio trace series take this colour.
    void TraceColourChanged(TColor colour);

private:
    QString Directory;
    QString CurrentFileName;
    TWaveFileWriter Writer;
    bool WriteFailureLogged = false;
};
