#include "audio/WaveFileUnit.h"

#include <QtEndian>

#include <limits>

namespace {

constexpr qint64 RiffSizeOffset = 4;
constexpr qint64 DataSizeOffset = 40;
// Everything after the RIFF size field except the samples: "WAVE", the fmt chunk and the data chunk's header.
constexpr qint64 RiffOverhead = WaveHeaderBytes - 8;
constexpr qint64 MaxDataBytes = qint64(std::numeric_limits<quint32>::max()) - RiffOverhead - 1;

void AppendLE16(QByteArray& bytes, quint16 value)
{
    char field[2];
    qToLittleEndian(value, field);
    bytes.append(field, 2);
}

void AppendLE32(QByteArray& bytes, quint32 value)
{
    char field[4];
    qToLittleEndian(value, field);
    bytes.append(field, 4);
}

QByteArray LE32(qint64 value)
{
    QByteArray bytes;
    AppendLE32(bytes, quint32(value));
    return bytes;
}

qint64 PadBytes(qint64 dataBytes)
{
    return dataBytes & 1;
}

} // namespace

QByteArray WaveFileHeader(const TAudioFormat& format, qint64 dataBytes)
{
    QByteArray header;
    header.reserve(WaveHeaderBytes);
    header.append("RIFF");
    AppendLE32(header, quint32(RiffOverhead + dataBytes + PadBytes(dataBytes)));
    header.append("WAVE");
    header.append("fmt ");
    AppendLE32(header, 16);
    AppendLE16(header, WavePcmFormatTag);
    AppendLE16(header, format.Channels);
    AppendLE32(header, format.SamplesPerSec);
    AppendLE32(header, format.SamplesPerSec * format.BlockAlign);
    AppendLE16(header, format.BlockAlign);
    AppendLE16(header, format.BitsPerSample);
    header.append("data");
    AppendLE32(header, quint32(dataBytes));
    return header;
}

TWaveFileWriter::~TWaveFileWriter()
{
    try {
        CloseWaveFile();
    } catch (const EWaveFile&) {
        // A destructor cannot report; the samples written so far are already described by the header.
    }
}

void TWaveFileWriter::OpenWaveFile(const QString& fileName, const TAudioFormat& format)
{
    CloseWaveFile();
    File.setFileName(fileName);
    DataBytes = 0;
    // Unbuffered: every write reaches the system at once, so a killed program loses nothing already handed
    // over.
    if (!File.open(QIODevice::ReadWrite | QIODevice::Truncate | QIODevice::Unbuffered)) {
        throw EWaveFile("mmioOpen " + File.errorString().toStdString());
    }
    const QByteArray header = WaveFileHeader(CompleteAudioFormat(format), 0);
    if (File.write(header) != header.size()) {
        Fail("mmioWrite");
    }
}

void TWaveFileWriter::WriteWaveData(const char* data, qint64 count)
{
    if (!IsOpen()) {
        throw EWaveFile("mmioWrite no file open");
    }
    if (count <= 0 || data == nullptr) {
        return;
    }
    if (DataBytes + count > MaxDataBytes) {
        throw EWaveFile("mmioWrite the file has reached the largest size a WAV file can describe");
    }
    const qint64 end = WaveHeaderBytes + DataBytes;
    const qint64 written = File.write(data, count);
    if (written != count) {
        const std::string reason = written >= 0 ? "short write: the disk is full or the file too large"
                                                : File.errorString().toStdString();
        File.resize(end);
        File.seek(end);
        throw EWaveFile("mmioWrite " + reason);
    }
    DataBytes += count;
    // Sizes only after the samples are there: at any moment the header never claims bytes the file lacks.
    WriteSizes(RiffOverhead + DataBytes, DataBytes);
}

void TWaveFileWriter::CloseWaveFile()
{
    if (!IsOpen()) {
        return;
    }
    const qint64 pad = PadBytes(DataBytes);
    try {
        if (pad != 0) {
            WriteAt(WaveHeaderBytes + DataBytes, QByteArray(1, '\0'), "mmioAscend");
        }
        WriteSizes(RiffOverhead + DataBytes + pad, DataBytes);
    } catch (...) {
        File.close();
        throw;
    }
    File.close();
}

void TWaveFileWriter::WriteSizes(qint64 riffSize, qint64 dataSize)
{
    WriteAt(RiffSizeOffset, LE32(riffSize), "mmioAscend");
    WriteAt(DataSizeOffset, LE32(dataSize), "mmioAscend");
    File.seek(WaveHeaderBytes + DataBytes);
}

void TWaveFileWriter::WriteAt(qint64 offset, const QByteArray& bytes, const char* operation)
{
    if (!File.seek(offset) || File.write(bytes) != bytes.size()) {
        throw EWaveFile(std::string(operation) + " " + File.errorString().toStdString());
    }
}

void TWaveFileWriter::Fail(const char* operation)
{
    const std::string reason = File.errorString().toStdString();
    File.close();
    File.remove();
    DataBytes = 0;
    throw EWaveFile(std::string(operation) + " " + reason);
}
