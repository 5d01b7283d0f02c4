#pragma once
// The WAV writer of the recordings: RIFF "WAVE", a 16-byte PCM "fmt " chunk and one "data" chunk, nothing
// else. Both chunk sizes are rewritten after every write, so a file cut off by a crash or a kill still plays
// up to the last buffer written; a closed file holds exactly the classic 44-byte header, the samples and a
// pad byte when the sample count is odd.

#include "audio/AudioFormatUnit.h"

#include <QFile>
#include <QString>

#include <stdexcept>

class EWaveFile : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

constexpr qint64 WaveHeaderBytes = 44;

class TWaveFileWriter {
public:
    TWaveFileWriter() = default;
    TWaveFileWriter(const TWaveFileWriter&) = delete;
    TWaveFileWriter& operator=(const TWaveFileWriter&) = delete;
    ~TWaveFileWriter();

    // Creates (or truncates) the file and writes the header. On failure nothing is left open or on disk and
    // EWaveFile carries the failing step's name and the system's reason.
    void OpenWaveFile(const QString& fileName, const TAudioFormat& format);

    // Appends sample bytes and brings both sizes up to date. A failed or short write is undone (the file
    // keeps whole buffers only, so the frames stay aligned) and raises EWaveFile.
    void WriteWaveData(const char* data, qint64 count);

    // Pads an odd data chunk, writes the final sizes and closes. Does nothing when no file is open.
    void CloseWaveFile();

    bool IsOpen() const { return File.isOpen(); }
    qint64 RecordedDataBytes() const { return DataBytes; }
    QString FileName() const { return File.fileName(); }

private:
    void WriteSizes(qint64 riffSize, qint64 dataSize);
    void WriteAt(qint64 offset, const QByteArray& bytes, const char* operation);
    [[noreturn]] void Fail(const char* operation);

    QFile File;
    qint64 DataBytes = 0;
};

// The 44 header bytes of a file with dataBytes sample bytes (RIFF size 36 + data + pad).
QByteArray WaveFileHeader(const TAudioFormat& format, qint64 dataBytes);
